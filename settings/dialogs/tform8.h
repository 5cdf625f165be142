#pragma once
// The server dialog: stores the presence server's host (F8 HOST) and whether the
// presence server is used (F8 CB). The running client is left as it is.

#include "platform/handlerguard.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class Dialogs;
namespace Ui { class TForm8; }

class TForm8 : public QDialog {
    Q_OBJECT
public:
    TForm8(QWidget *owner, Dialogs &dialogs);
    ~TForm8() override;

    // Creates the dialog over owner, keeps it in Form8 and waits until it has closed.
    static void showModal(QWidget *owner, Dialogs &dialogs);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void Edit1Change();
    void CheckBox1Click();
    void Button1Click();
    void Button2Click();

    std::unique_ptr<Ui::TForm8> ui;
    HandlerGuard m_guard;
};

extern QPointer<TForm8> Form8;
