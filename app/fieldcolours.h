#pragma once
// The colours of the fields that show the conversation, as colour values (see
// settings/colourtext.h) and as the screen shows them.

#include "settings/colourtext.h"

#include <QColor>

class QWidget;

// A field's text and background colour values. They are kept as values, not as the
// colours on screen, so that they are written back exactly as they were loaded or
// chosen: a desktop system colour keeps its name.
struct FieldColours {
    int text = Colour::WindowText;
    int background = Colour::Window;

    bool operator==(const FieldColours &) const = default;
};

// What a colour value looks like now: an RGB value as it is; a desktop system colour as
// the matching colour of the application's palette, so that it follows the desktop's
// colour scheme.
QColor displayColour(int colour);

// The RGB colour value of a colour chosen in the picker.
int colourValue(const QColor &colour);

// Shows the colours in the field's palette (the text and the text area's background).
void showFieldColours(QWidget *field, const FieldColours &colours);
