#pragma once
// The address book: ten destinations (name, host, description) kept in section F6 of the
// settings store, one of which can be made the main window's destination.

#include "platform/handlerguard.h"

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class Dialogs;
class QButtonGroup;
class QLineEdit;
namespace Ui {
class TForm6;
}

class TForm6 : public QDialog {
    Q_OBJECT
public:
    // Sets the main window's destination to host, then its partner name to name.
    using SetDestination = std::function<void(const QString &host, const QString &name)>;

    // Reads the stored entries; the dialog deletes itself once closed.
    TForm6(Dialogs &dialogs, SetDestination setDestination, QWidget *owner = nullptr);
    ~TForm6() override;

    // Field 1 to 30: names 1-10, hosts 11-20, descriptions 21-30.
    QLineEdit *field(int number) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void Edit1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();

    std::unique_ptr<Ui::TForm6> ui;
    HandlerGuard m_guard;
    SetDestination m_setDestination;
    QButtonGroup *m_entries;
};
