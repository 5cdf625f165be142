#include "app/fieldcolours.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace {

struct PaletteColour {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// The palette colour that plays the part of each desktop system colour (0 to 24).
constexpr PaletteColour SystemColours[] = {
    {QPalette::Active, QPalette::Button},          // clScrollBar
    {QPalette::Active, QPalette::Dark},            // clBackground (the desktop)
    {QPalette::Active, QPalette::Highlight},       // clActiveCaption
    {QPalette::Inactive, QPalette::Mid},           // clInactiveCaption
    {QPalette::Active, QPalette::Window},          // clMenu
    {QPalette::Active, QPalette::Base},            // clWindow
    {QPalette::Active, QPalette::Shadow},          // clWindowFrame
    {QPalette::Active, QPalette::WindowText},      // clMenuText
    {QPalette::Active, QPalette::Text},            // clWindowText
    {QPalette::Active, QPalette::HighlightedText}, // clCaptionText
    {QPalette::Active, QPalette::Window},          // clActiveBorder
    {QPalette::Inactive, QPalette::Window},        // clInactiveBorder
    {QPalette::Active, QPalette::Dark},            // clAppWorkSpace
    {QPalette::Active, QPalette::Highlight},       // clHighlight
    {QPalette::Active, QPalette::HighlightedText}, // clHighlightText
    {QPalette::Active, QPalette::Button},          // clBtnFace
    {QPalette::Active, QPalette::Dark},            // clBtnShadow
    {QPalette::Disabled, QPalette::Text},          // clGrayText
    {QPalette::Active, QPalette::ButtonText},      // clBtnText
    {QPalette::Disabled, QPalette::WindowText},    // clInactiveCaptionText
    {QPalette::Active, QPalette::Light},           // clBtnHighlight
    {QPalette::Active, QPalette::Shadow},          // cl3DDkShadow
    {QPalette::Active, QPalette::Midlight},        // cl3DLight
    {QPalette::Active, QPalette::ToolTipText},     // clInfoText
    {QPalette::Active, QPalette::ToolTipBase},     // clInfoBk
};

constexpr unsigned SystemFlag = 0x80000000u;

} // namespace

QColor displayColour(int colour)
{
    const auto value = unsigned(colour);
    if ((value & 0xFF000000u) == SystemFlag) {
        const unsigned n = value & 0xFFu;
        const QPalette palette = QApplication::palette();
        // Numbers past the table (later desktop additions) show as window text.
        const PaletteColour pick = n < std::size(SystemColours)
                                       ? SystemColours[n]
                                       : PaletteColour{QPalette::Active, QPalette::Text};
        return palette.color(pick.group, pick.role);
    }
    // An RGB value; the top byte (as in clNone) carries no colour of its own.
    return QColor(int(value & 0xFFu), int((value >> 8) & 0xFFu), int((value >> 16) & 0xFFu));
}

int colourValue(const QColor &colour)
{
    return Colour::rgb(colour.red(), colour.green(), colour.blue());
}

void showFieldColours(QWidget *field, const FieldColours &colours)
{
    QPalette palette = field->palette();
    const QColor text = displayColour(colours.text);
    const QColor background = displayColour(colours.background);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Base, background);
    }
    field->setPalette(palette);
}
