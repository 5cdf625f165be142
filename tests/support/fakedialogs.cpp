#include "support/fakedialogs.h"

void FakeDialogs::showMessage(QWidget *, const QString &text)
{
    shown.append({ShownBox::Message, text, {}, 0});
    if (onShow)
        onShow(shown.back());
}

int FakeDialogs::messageBox(QWidget *, const QString &text, const QString &caption, int flags)
{
    shown.append({ShownBox::Box, text, caption, flags});
    if (onShow)
        onShow(shown.back());
    if ((flags & 0x0F) != 0x04)
        return Ok;
    return answers.isEmpty() ? Yes : answers.takeFirst();
}

void FakeDialogs::showError(QWidget *, const QString &text)
{
    shown.append({ShownBox::Error, text, {}, 0});
    if (onShow)
        onShow(shown.back());
}

std::optional<QColor> FakeDialogs::chooseColor(QWidget *, const QColor &initial)
{
    shown.append({ShownBox::Colour, {}, {}, 0});
    colourInitials.append(initial);
    return colours.isEmpty() ? std::nullopt : colours.takeFirst();
}

QStringList FakeDialogs::texts() const
{
    QStringList result;
    for (const ShownBox &box : shown)
        result.append(box.text);
    return result;
}

char *toString(const ShownBox &box)
{
    static const char *kinds[] = {"Message", "Box", "Error", "Colour"};
    return QTest::toString(QStringLiteral("%1(\"%2\", \"%3\", %4)")
                               .arg(QLatin1String(kinds[box.kind]), box.text, box.caption)
                               .arg(box.flags));
}
