#include "app/aboutbox.h"

#include "ui_aboutbox.h"

#include <QApplication>
#include <QLayout>

using namespace Qt::StringLiterals;

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *owner) : QDialog(owner), ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    ui->Version->setText(u"バージョン %1"_s.arg(QStringLiteral(MIREVO_VERSION)));
    const QIcon icon = owner ? owner->windowIcon() : QApplication::windowIcon();
    if (icon.isNull())
        ui->ProgramIcon->hide();
    else
        ui->ProgramIcon->setPixmap(icon.pixmap(32, 32));
}

TAboutBox::~TAboutBox()
{
    if (AboutBox == this)
        AboutBox = nullptr;
    delete ui;
}
