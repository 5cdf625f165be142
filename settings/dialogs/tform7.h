#pragma once
// The password gate: asks for the stored password before the main window comes back
// from the tray. It offers no way out but the right password.

#include "platform/handlerguard.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

class Dialogs;
struct LiveSettings;
namespace Ui { class TForm7; }

class TForm7 : public QDialog {
    Q_OBJECT
public:
    // Loads the stored password (F3 ED1) into live.StoredPassword. On a match the gate
    // closes itself and then calls showMainWindow.
    TForm7(QWidget *owner, Dialogs &dialogs, LiveSettings &live,
           std::function<void()> showMainWindow);
    ~TForm7() override;

    // Creates the gate over owner, keeps it in Form7 and waits until it has closed.
    static void showModal(QWidget *owner, Dialogs &dialogs, LiveSettings &live,
                          std::function<void()> showMainWindow);

    static QString pictureResource() { return QStringLiteral(":/icons/gate.svg"); }

protected:
    void reject() override; // neither Escape nor a close request leaves the gate
    void changeEvent(QEvent *event) override; // nor does minimising it

private:
    void FormCreate();
    void Button1Click();
    void loadPicture();
    void centreOnDesktop();

    std::unique_ptr<Ui::TForm7> ui;
    Dialogs &m_dialogs;
    LiveSettings &m_live;
    std::function<void()> m_showMainWindow;
    HandlerGuard m_guard;
};

extern QPointer<TForm7> Form7;
