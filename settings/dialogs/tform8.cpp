#include "settings/dialogs/tform8.h"

#include "settings/dialogs/dialogform.h"
#include "settings/settingsstore.h"
#include "ui_tform8.h"

#include <QKeyEvent>
#include <QShowEvent>

QPointer<TForm8> Form8;

namespace {
const QString F8 = QStringLiteral("F8");
}

TForm8::TForm8(QWidget *owner, Dialogs &dialogs)
    : QDialog(owner), ui(std::make_unique<Ui::TForm8>()), m_guard(dialogs, this)
{
    ui->setupUi(this);
    prepareDialogForm(this, CaptionButtons::MenuAndClose);
    turnInputMethodOff(ui->Edit1);

    connect(ui->Edit1, &QLineEdit::textChanged, this, m_guard([this](const QString &) { Edit1Change(); }));
    connect(ui->CheckBox1, &QCheckBox::toggled, this, m_guard([this](bool) { CheckBox1Click(); }));
    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));
    connect(ui->Button2, &QPushButton::clicked, this, m_guard([this](bool) { Button2Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm8::~TForm8() = default;

void TForm8::showModal(QWidget *owner, Dialogs &dialogs)
{
    Form8 = new TForm8(owner, dialogs);
    Form8->exec(); // releases the dialog once it has closed
}

void TForm8::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_guard.run([this] { FormShow(); });
}

void TForm8::keyPressEvent(QKeyEvent *event)
{
    if (isPlainEscape(event))
        return;
    QDialog::keyPressEvent(event);
}

void TForm8::FormCreate()
{
    SettingsStore store;
    ui->Edit1->setText(store.readText(F8, QStringLiteral("HOST"), QString()));
    ui->CheckBox1->setChecked(store.readFlag(F8, QStringLiteral("CB"), false));
    store.close();
}

void TForm8::FormShow()
{
    ui->Button2->setEnabled(false);
}

void TForm8::Edit1Change()
{
    ui->Button2->setEnabled(true);
}

void TForm8::CheckBox1Click()
{
    ui->Button2->setEnabled(true);
}

void TForm8::Button1Click()
{
    close();
}

void TForm8::Button2Click()
{
    SettingsStore store;
    store.writeText(F8, QStringLiteral("HOST"), ui->Edit1->text());
    store.writeFlag(F8, QStringLiteral("CB"), ui->CheckBox1->isChecked());
    store.close();
    ui->Button2->setEnabled(false);
}
