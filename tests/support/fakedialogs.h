#pragma once
// A dialogs service for tests: records every box shown and answers from a queue.

#include "platform/dialogs.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QtTest/QTest>
#include <functional>

struct ShownBox {
    enum Kind { Message, Box, Error, Colour } kind = Message;
    QString text;
    QString caption; // for Box
    int flags = 0;   // for Box

    bool operator==(const ShownBox &) const = default;
};

class FakeDialogs : public Dialogs {
public:
    QList<ShownBox> shown;
    QList<int> answers;                       // for messageBox; Yes when empty
    QList<std::optional<QColor>> colours;     // for chooseColor; cancelled when empty
    QList<QColor> colourInitials;             // the initial colour each picker was opened with
    std::function<void(const ShownBox &)> onShow; // runs while the "modal" box is up

    void showMessage(QWidget *owner, const QString &text) override;
    int messageBox(QWidget *owner, const QString &text, const QString &caption, int flags) override;
    void showError(QWidget *owner, const QString &text) override;
    std::optional<QColor> chooseColor(QWidget *owner, const QColor &initial) override;

    QStringList texts() const;
};

char *toString(const ShownBox &box);
