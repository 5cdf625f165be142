#pragma once
// The main window. Its handlers are grouped by concern, one source file each:
//   tform1.cpp               construction, wiring of controls and menus, input routing
//   tform1_lifecycle.cpp     creation, show, activation, close, fast shutdown, session end
//   tform1_conversation.cpp  send, receipt, status line
//   tform1_settings.cpp      window values loaded at start-up and saved at close, reload
//   tform1_identity.cpp      computer name, address, user name, MAC address
//   tform1_presence.cpp      announcements to the presence server, participants query
//   tform1_display.cpp       text and background colours, pane font size, clearing the pane
// Every handler is connected through `guard`, so an error it does not catch is shown in
// the error box and ends that handler only.

#include "app/fieldcolours.h"
#include "app/formservices.h"
#include "net/localidentity.h"
#include "platform/handlerguard.h"
#include "platform/trayicon.h"
#include "settings/livesettings.h"

#include <QColor>
#include <QMainWindow>
#include <QString>
#include <array>
#include <optional>

class Dialogs;
class QMenu;
class QTimer;
class SettingsStore;
namespace Ui {
class TForm1;
}

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(FormServices services, NetworkOptions network = {}, QWidget *parent = nullptr);
    ~TForm1() override;

    // The controls by their designer names (Form1->ui->Edit2), for the dialogs that set them.
    Ui::TForm1 *const ui;
    TNMMsg *const NMMsg1;
    TNMMSGServ *const NMMSGServ1;
    QMenu *const PopupMenu1; // the tray icon's menu: O1, Exit2
    QTimer *const Timer1;    // the start-in-tray timer, 1000 ms, stopped at start

    // The values shared with the dialogs, which get them by reference.
    LiveSettings Live;
    // The new-message notice is on screen.
    bool NoticeOpen = false;
    // The password gate opened from the tray is on screen.
    bool GateOpen = false;
    // Ticks of Timer1 since start; never reset.
    int TrayTickCount = 0;

    Dialogs &dialogs() const { return m_services.dialogs; }

    // --- lifecycle (tform1_lifecycle.cpp) ---
    void FormCreate();
    void FormShow();
    void FormActivate();
    // Returns through canClose whether the close may go on.
    void FormCloseQuery(bool &canClose);
    void FormClose();
    void Button7Click();
    void Exit2Click();
    void K1Click();
    void About1Click();

    // Runs the close sequence now; the window closes unless a step of it failed.
    void closeMainWindow();
    // Queues a close request; the close sequence then runs from the event loop
    // (the end of the desktop session, SIGTERM, SIGHUP).
    void queueClose();

    // --- dialogs (tform1_dialogs.cpp) ---
    void P2Click();
    void S1Click();
    void N1Click();
    void S2Click();
    void Post1Click();
    void Button6Click();

    // --- conversation (tform1_conversation.cpp) ---
    void Button1Click();
    void Button2Click();
    void Edit1Change();
    void Edit1Click();
    void FormClick();
    void NMMsg1HostResolved();
    void NMMsg1Connect();
    void NMMsg1Discnnect();
    void NMMsg1ConnectionFailed();
    void NMMsg1InvalidHost(bool &Handled);
    void NMMSGServ1MSG(const QString &sFrom, const QString &sMsg);

    // What a failed send or query does: silent once a connection has failed in this
    // run, otherwise a message, the invalid-host status and Button1 enabled again.
    void sendFailurePath();
    // The status line: simple mode shows one text, normal mode shows nothing.
    void showStatusText(const QString &text);
    void showStatusNormal();

    // --- tray residency (tform1_tray.cpp) ---
    void TrayIconNotify(TrayIcon::Notification notification);
    void Button4Click();
    void O1Click();
    void Timer1Timer();
    void registerTrayIcon();
    void showTrayPicture(TrayIcon::Picture picture);
    void removeTrayIcon();

    // --- settings reload (tform1_settings.cpp) ---
    void N2Click();

    // --- network identity (tform1_identity.cpp) ---
    void Button8Click();

    // --- presence server link (tform1_presence.cpp) ---
    void Button5Click();

    // --- display preferences (tform1_display.cpp) ---
    void F1Click();
    void B1Click();
    void ComboBox1Change();
    void Button3Click();
    void D1Click();
    // The colour values of Memo1, Edit1 and Edit3, as stored and written back.
    FieldColours fieldColours(int field) const { return m_fieldColours.at(field); }
    int memo1FontSize() const { return m_memo1FontSize; }

Q_SIGNALS:
    // The close sequence has finished and the window has closed: the program ends.
    void mainWindowClosed();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

    const FormServices m_services;
    const HandlerGuard guard;

private:
    void connectControls();
    void connectMenus();
    void connectTray();
    void connectDialogs();
    void hideIntoTray();
    void bringToFront();
    void trayAvailabilityChanged(bool available);
    void startListener(const NetworkOptions &network);
    void placeAtDefaultPosition();
    void recentreOnceFrameKnown();
    void appendToMemo(const QString &line);
    // Clears Edit1; Edit1Change runs as part of the clear, even when it was empty.
    void clearEdit1();

    // Start-up and close steps of their concerns, called in order by the lifecycle.
    void reportSettingsFileProblem(const SettingsStore &store);
    void loadWindowSettings(SettingsStore &store);
    void loadServerSettings(SettingsStore &store);
    void saveWindowSettings();
    LocalIdentity::AtCreation createIdentity();
    void showIdentity();
    void announceStart();
    void announceClose();
    void postToServer(const QString &text);
    void connectSettings();
    void connectIdentity();
    void connectPresence();
    void connectDisplay();
    // Display preferences: the three coloured fields, Memo1, Edit1, Edit3 in that order.
    QWidget *colouredField(int field) const;
    void setTextColour(int field, int colour);
    void setBackgroundColour(int field, int colour);
    void setMemo1FontSize(int points);
    void selectFontSizeItem(int index);
    std::optional<int> pickColour();

    QString m_listenProblem;
    bool m_closing = false;       // the close sequence is under way
    bool m_closeApproved = false; // the close sequence let the window close
    bool m_centrePending = false; // centred before the window frame was known
    QPoint m_centredAt;
    bool m_trayRegistered = false; // the icon belongs in the notification area
    TrayIcon::Picture m_trayPicture = TrayIcon::Picture::Application;
    // Memo1, Edit1, Edit3; Edit3's text is black by design until the start-up loads FC.
    std::array<FieldColours, 3> m_fieldColours{
        {{}, {}, {Colour::rgb(0, 0, 0), Colour::Window}}};
    int m_memo1FontSize = 9;
    // The colour picker ColorDialog1 opens on the colour last confirmed in it.
    QColor m_colorDialog1 = Qt::black;
};

// The main window of the running program (null in tests): the dialogs reach it here.
extern TForm1 *Form1;
