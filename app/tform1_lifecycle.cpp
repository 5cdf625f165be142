// The main window's life: creation, show, activation, the close sequence, fast shutdown
// and the end of the desktop session.

#include "app/tform1.h"

#include "app/aboutbox.h"
#include "app/apptitle.h"
#include "app/windowplacement.h"
#include "platform/dialogs.h"
#include "settings/settingsstore.h"
#include "ui_tform1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <cstdlib>

using namespace Qt::StringLiterals;

void terminateAtOnce(int status)
{
    std::_Exit(status);
}

// The start-up sequence. Each step belongs to its concern's file and keeps this order;
// an error ends the sequence at its step (the guard shows it) and the window still opens.
void TForm1::FormCreate()
{
    // 1. The close box is absent from the start (window flags, see the constructor).
    // 2. Open the settings store; it is closed when this handler ends, on every path (11).
    SettingsStore store;
    reportSettingsFileProblem(store);
    // 3. Read the window values in their order: position X and Y (centred when absent),
    //    font-size index, destination index, own name, text and background colours,
    //    pane font size; then the notification flags into Live.
    placeAtDefaultPosition();
    loadWindowSettings(store);
    // 4. Register the tray icon.
    registerTrayIcon();
    // 5.-7. Start the socket library; computer name, IPv4 address and adapter reset.
    const LocalIdentity::AtCreation found = createIdentity();
    if (!found.socketsStarted)
        return;
    // 8. Read the presence-server host and link flag.
    loadServerSettings(store);
    // 9. Set Live.OwnIp and Live.OwnComputerName.
    Live.OwnIp = found.ownIp;
    Live.OwnComputerName = found.ownComputerName;
    // 10. "Connected" announcement when the server link is on.
    announceStart();
    // 11. Close the settings store (on every path).
    store.close();
}

// Runs each time the window becomes visible: the first show and every restore.
void TForm1::FormShow()
{
    // 1. No taskbar button (where the window system honours the hint).
    // 2. Read the user name and MAC address again.
    showIdentity();
    // 3. Keyboard focus to the window, and the window to the front.
    activateWindow();
    raise();
}

void TForm1::FormActivate()
{
    if (Live.StartInTray)
        Timer1->start();
}

void TForm1::FormCloseQuery(bool &canClose)
{
    // 1. Write the window values: X, Y, destination index, text colour, background
    //    colour, font-size index, pane font size.
    saveWindowSettings();
    // 2. "Disconnected" announcement when the server link is on; its error abandons the close.
    announceClose();
    // 3. The query itself never refuses.
    canClose = true;
}

void TForm1::FormClose()
{
    removeTrayIcon();
}

void TForm1::closeMainWindow()
{
    // A close request that comes while one is under way (its announcement may be waiting
    // on the network) joins it rather than running the sequence twice.
    if (m_closing)
        return;
    m_closing = true;
    bool canClose = false;
    const bool closes = guard.run([&] { FormCloseQuery(canClose); }) && canClose
                        && guard.run([this] { FormClose(); });
    m_closing = false;
    if (!closes)
        return;
    m_closeApproved = true;
    close();
    Q_EMIT mainWindowClosed();
}

void TForm1::queueClose()
{
    QMetaObject::invokeMethod(this, &TForm1::closeMainWindow, Qt::QueuedConnection);
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The window manager's close request is refused: the program's own commands end it.
    if (m_closeApproved)
        event->accept();
    else
        event->ignore();
}

void TForm1::Button7Click()
{
    const int answer = m_services.dialogs.messageBox(
        this, u"アプリケーションを終了してもよろしいですか？"_s, applicationTitle(),
        Dialogs::YesNoQuestion);
    if (answer == Dialogs::Yes)
        closeMainWindow();
}

void TForm1::Exit2Click()
{
    closeMainWindow();
}

void TForm1::K1Click()
{
    const int answer = m_services.dialogs.messageBox(
        this,
        u"高速シャットダウンは、正常に終了出来ない時しか使用しないで下さい。アプリケーションを終了しますか？"_s,
        mainWindowCaption(), Dialogs::YesNoQuestionDefaultNo);
    if (answer == Dialogs::Yes)
        m_services.terminate(255);
}

void TForm1::About1Click()
{
    QPointer<TAboutBox> box = new TAboutBox(this);
    AboutBox = box;
    box->exec();
}

// The window's outer size is the client area and menu bar plus the frame that the window
// manager adds. The frame is known only once the window is shown, so the window is
// centred by its own size first and centred again when the frame turns up.
void TForm1::placeAtDefaultPosition()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    adjustSize();
    move(centredPosition(screen->geometry().size(), frameGeometry().size()));
    m_centrePending = true;
    m_centredAt = pos();
}

void TForm1::recentreOnceFrameKnown()
{
    if (!m_centrePending || frameGeometry().size() == size())
        return;
    m_centrePending = false;
    // A position that was set after the centring (a stored one) stands.
    if (pos() != m_centredAt)
        return;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(centredPosition(screen->geometry().size(), frameGeometry().size()));
}

void TForm1::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (event->spontaneous())
        return;
    guard.run([this] { FormShow(); });
    if (m_centrePending)
        QTimer::singleShot(0, this, [this] { recentreOnceFrameKnown(); });
}

void TForm1::hideEvent(QHideEvent *event)
{
    // A window brought back from the tray stays where it was.
    m_centrePending = false;
    QMainWindow::hideEvent(event);
}

void TForm1::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    recentreOnceFrameKnown();
}

bool TForm1::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        guard.run([this] { FormActivate(); });
    return QMainWindow::event(event);
}
