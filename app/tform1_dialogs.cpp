// The commands that open the settings dialogs and the address book. Each dialog is made
// anew with the main window as owner, shown modally, and deletes itself when it closes.

#include "app/tform1.h"

#include "addressbook/tform6.h"
#include "platform/autostart.h"
#include "settings/dialogs/tform3.h"
#include "settings/dialogs/tform4.h"
#include "settings/dialogs/tform5.h"
#include "settings/dialogs/tform8.h"
#include "ui_tform1.h"

#include <QPointer>

void TForm1::connectDialogs()
{
    connect(ui->P2, &QAction::triggered, this, guard([this] { P2Click(); }));
    connect(ui->S1, &QAction::triggered, this, guard([this] { S1Click(); }));
    connect(ui->N1, &QAction::triggered, this, guard([this] { N1Click(); }));
    connect(ui->S2, &QAction::triggered, this, guard([this] { S2Click(); }));
    connect(ui->Post1, &QAction::triggered, this, guard([this] { Post1Click(); }));
    connect(ui->Button6, &QPushButton::clicked, this, guard([this] { Button6Click(); }));
}

void TForm1::P2Click()
{
    TForm3::showModal(this, dialogs(), Live);
}

void TForm1::S1Click()
{
    XdgAutostart autostart;
    QPointer<TForm4> startup = new TForm4(dialogs(), autostart, this, m_services.terminate);
    startup->exec();
}

void TForm1::N1Click()
{
    TForm5::showModal(this, dialogs(), [this](const QString &name) { ui->Edit2->setText(name); });
}

void TForm1::S2Click()
{
    TForm8::showModal(this, dialogs());
}

void TForm1::Post1Click()
{
    // The destination first: its change clears the partner name, which is set after it.
    QPointer<TForm6> book = new TForm6(
        dialogs(),
        [this](const QString &host, const QString &name) {
            ui->ComboBox3->setEditText(host);
            ui->Edit8->setText(name);
        },
        this);
    book->exec();
}

void TForm1::Button6Click()
{
    Post1Click();
}
