#pragma once
// The preferences dialog: the six behaviour flags of section F3 and the password that
// guards restoring the main window from the tray.

#include "platform/handlerguard.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class Dialogs;
struct LiveSettings;
namespace Ui { class TForm3; }

class TForm3 : public QDialog {
    Q_OBJECT
public:
    // Loads the flags and both password fields from the store (errors go to the error
    // box; the dialog opens all the same).
    TForm3(QWidget *owner, Dialogs &dialogs, LiveSettings &live);
    ~TForm3() override;

    // Creates the dialog over owner, keeps it in Form3 and waits until it has closed.
    static void showModal(QWidget *owner, Dialogs &dialogs, LiveSettings &live);

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override; // only "閉じる" leaves the dialog

private:
    void FormCreate();
    void FormShow();
    void CheckBox2Click();
    void CheckBox5Click();
    void Edit1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    std::unique_ptr<Ui::TForm3> ui;
    Dialogs &m_dialogs;
    LiveSettings &m_live;
    HandlerGuard m_guard;
};

extern QPointer<TForm3> Form3;
