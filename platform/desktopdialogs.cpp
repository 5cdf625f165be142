#include "platform/desktopdialogs.h"

#include "platform/errortext.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The parts of a message-box flag word: buttons in the low nibble, icon in the next,
// default button in the third.
constexpr int ButtonMask = 0x0F, YesNoButtons = 0x04;
constexpr int IconMask = 0xF0, IconStop = 0x10, IconQuestion = 0x20, IconWarning = 0x30,
              IconInformation = 0x40;
constexpr int SecondButtonDefault = 0x100;

QMessageBox::Icon iconFor(int flags)
{
    switch (flags & IconMask) {
    case IconStop: return QMessageBox::Critical;
    case IconQuestion: return QMessageBox::Question;
    case IconWarning: return QMessageBox::Warning;
    case IconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

// Room in the title bar for its icon, buttons and margins, besides the caption.
constexpr int CaptionChrome = 120;

// A message box is as wide as its text, so a short text under a long caption leaves the
// title bar too narrow and the window manager cuts the caption ("Mirev... dows"). A
// zero-height row as wide as the caption keeps the whole caption readable.
void leaveRoomForCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + CaptionChrome;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

DesktopDialogs::DesktopDialogs(QString appTitle) : m_appTitle(std::move(appTitle)) {}

void DesktopDialogs::showMessage(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_appTitle, text, QMessageBox::Ok, owner);
    leaveRoomForCaption(box);
    box.exec();
}

int DesktopDialogs::messageBox(QWidget *owner, const QString &text, const QString &caption,
                               int flags)
{
    QMessageBox box(iconFor(flags), caption, text, QMessageBox::NoButton, owner);
    leaveRoomForCaption(box);
    if ((flags & ButtonMask) == YesNoButtons) {
        QPushButton *yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton *no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(flags & SecondButtonDefault ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? Yes : No;
    }
    box.addButton(QMessageBox::Ok);
    box.exec();
    return Ok;
}

void DesktopDialogs::showError(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, m_appTitle, errorBoxText(text), QMessageBox::Ok, owner);
    leaveRoomForCaption(box);
    box.exec();
}

std::optional<QColor> DesktopDialogs::chooseColor(QWidget *owner, const QColor &initial)
{
    const QColor chosen = QColorDialog::getColor(initial, owner);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
