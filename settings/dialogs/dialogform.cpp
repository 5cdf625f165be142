#include "settings/dialogs/dialogform.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>

void prepareDialogForm(QDialog *dialog, CaptionButtons buttons)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (buttons != CaptionButtons::None)
        flags |= Qt::WindowSystemMenuHint;
    if (buttons == CaptionButtons::MenuAndClose)
        flags |= Qt::WindowCloseButtonHint;
    dialog->setWindowFlags(flags);

    QFont font = dialog->font();
    font.setPixelSize(12);
    dialog->setFont(font);

    dialog->setFixedSize(dialog->size());
    dialog->setModal(true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
}

void turnInputMethodOff(QLineEdit *field)
{
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setInputMethodHints(field->inputMethodHints() | Qt::ImhHiddenText
                               | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText
                               | Qt::ImhLatinOnly);
}

bool isPlainEscape(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier;
}
