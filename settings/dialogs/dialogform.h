#pragma once
// What every settings dialog shares: created per opening, modal, released when it closes,
// a fixed client size taken from its form, and the forms' font.

class QDialog;
class QKeyEvent;
class QLineEdit;

enum class CaptionButtons {
    None,           // no window menu, no close button
    MenuOnly,       // window menu, close button greyed (absent)
    MenuAndClose,   // window menu and close button
};

// Applies the window flags, the fixed size of the form's geometry, the 12-pixel font
// and release on close. Call after setupUi.
void prepareDialogForm(QDialog *dialog, CaptionButtons buttons);

// A password field takes no input-method composition: only what the keys type.
void turnInputMethodOff(QLineEdit *field);

// Escape closes none of these dialogs: they are left through their own buttons.
bool isPlainEscape(const QKeyEvent *event);
