#pragma once
// The name dialog: stores the own display name (F1 MyName) and puts it into the main
// window's own-name box at once.

#include "platform/handlerguard.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>

class Dialogs;
namespace Ui { class TForm5; }

class TForm5 : public QDialog {
    Q_OBJECT
public:
    // setOwnName receives the name after it has been stored.
    TForm5(QWidget *owner, Dialogs &dialogs, std::function<void(const QString &)> setOwnName);
    ~TForm5() override;

    // Creates the dialog over owner, keeps it in Form5 and waits until it has closed.
    static void showModal(QWidget *owner, Dialogs &dialogs,
                          std::function<void(const QString &)> setOwnName);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void Edit1Change();
    void Button1Click();
    void Button2Click();

    std::unique_ptr<Ui::TForm5> ui;
    std::function<void(const QString &)> m_setOwnName;
    HandlerGuard m_guard;
};

extern QPointer<TForm5> Form5;
