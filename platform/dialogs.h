#pragma once
// The message boxes and the colour picker that every window uses, behind one small
// interface so that tests answer them without a screen.

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

class Dialogs {
public:
    // Flags of the question and warning boxes, and their answers.
    enum Flags { YesNoQuestion = 36, YesNoQuestionDefaultNo = 292, Information = 64, Stop = 16 };
    enum Answer { Ok = 1, Yes = 6, No = 7 };

    virtual ~Dialogs() = default;

    // Plain notice: one OK button, no icon, the application title as caption.
    virtual void showMessage(QWidget *owner, const QString &text) = 0;
    // Question or warning box with an explicit caption; returns Ok, Yes or No.
    virtual int messageBox(QWidget *owner, const QString &text, const QString &caption, int flags) = 0;
    // The application's error box: error icon, application title, the text with its full stop.
    virtual void showError(QWidget *owner, const QString &text) = 0;
    // The colour picker: starts on initial; the chosen colour, or nothing when cancelled.
    virtual std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) = 0;
};
