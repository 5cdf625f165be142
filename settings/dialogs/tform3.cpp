#include "settings/dialogs/tform3.h"

#include "platform/dialogs.h"
#include "settings/dialogs/dialogform.h"
#include "settings/livesettings.h"
#include "settings/settingsstore.h"
#include "ui_tform3.h"

#include <QShowEvent>

QPointer<TForm3> Form3;

namespace {
const QString F3 = QStringLiteral("F3");
}

TForm3::TForm3(QWidget *owner, Dialogs &dialogs, LiveSettings &live)
    : QDialog(owner), ui(std::make_unique<Ui::TForm3>()), m_dialogs(dialogs), m_live(live),
      m_guard(dialogs, this)
{
    ui->setupUi(this);
    // The close item is greyed: no close button, and a close request is ignored.
    prepareDialogForm(this, CaptionButtons::MenuOnly);
    turnInputMethodOff(ui->Edit1);
    turnInputMethodOff(ui->Edit2);

    // toggled runs for a change from code as for a click, whenever the state changes.
    for (QCheckBox *box : {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3, ui->CheckBox4, ui->CheckBox6})
        connect(box, &QCheckBox::toggled, this, m_guard([this](bool) { CheckBox2Click(); }));
    connect(ui->CheckBox5, &QCheckBox::toggled, this, m_guard([this](bool) { CheckBox5Click(); }));
    for (QLineEdit *field : {ui->Edit1, ui->Edit2})
        connect(field, &QLineEdit::textChanged, this, m_guard([this](const QString &) { Edit1Change(); }));
    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));
    connect(ui->Button2, &QPushButton::clicked, this, m_guard([this](bool) { Button2Click(); }));
    connect(ui->Button3, &QPushButton::clicked, this, m_guard([this](bool) { Button3Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm3::~TForm3() = default;

void TForm3::showModal(QWidget *owner, Dialogs &dialogs, LiveSettings &live)
{
    Form3 = new TForm3(owner, dialogs, live);
    Form3->exec(); // releases the dialog once it has closed
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_guard.run([this] { FormShow(); });
}

void TForm3::reject() {}

void TForm3::FormCreate()
{
    SettingsStore store;
    ui->CheckBox1->setChecked(store.readFlag(F3, QStringLiteral("CK"), true));
    ui->CheckBox3->setChecked(store.readFlag(F3, QStringLiteral("CK3"), false));
    ui->CheckBox4->setChecked(store.readFlag(F3, QStringLiteral("CK4"), false));
    ui->CheckBox2->setChecked(store.readFlag(F3, QStringLiteral("CK2"), false));
    ui->CheckBox5->setChecked(store.readFlag(F3, QStringLiteral("CK5"), false));
    ui->CheckBox6->setChecked(store.readFlag(F3, QStringLiteral("CK6"), false));
    if (!ui->CheckBox5->isChecked()) {
        ui->Edit1->setEnabled(false);
        ui->Edit2->setEnabled(false);
        ui->GroupBox1->setEnabled(false);
    }
    ui->Edit1->setText(store.readText(F3, QStringLiteral("ED1"), QString()));
    ui->Edit2->setText(store.readText(F3, QStringLiteral("ED2"), QString()));
    store.close();
}

void TForm3::FormShow()
{
    ui->Button2->setEnabled(false);
    ui->Button3->setEnabled(false);
}

void TForm3::CheckBox2Click()
{
    ui->Button2->setEnabled(true);
}

// Restoring from the tray never opens by itself after a notice while it asks for a
// password: the password rule keeps "show after notice" off while it is on.
void TForm3::CheckBox5Click()
{
    if (ui->CheckBox5->isChecked()) {
        ui->GroupBox1->setEnabled(true);
        ui->Edit1->setEnabled(true);
        ui->Edit2->setEnabled(true);
        ui->CheckBox3->setChecked(false);
        ui->CheckBox3->setEnabled(false);
    } else {
        ui->Edit1->setEnabled(false);
        ui->Edit2->setEnabled(false);
        ui->GroupBox1->setEnabled(false);
        ui->CheckBox3->setEnabled(true);
    }
    ui->Button2->setEnabled(true);
}

void TForm3::Edit1Change()
{
    ui->Button3->setEnabled(true);
}

void TForm3::Button1Click()
{
    done(QDialog::Rejected);
}

// Stores the flags and both password fields as they stand. The main window's saved top
// edge (F1 Y) is left alone: only the main window's own close writes it.
void TForm3::Button2Click()
{
    m_dialogs.showMessage(this, QStringLiteral("設定を有効にするには、詳細設定の「最新の設定に更新」を実行して下さい。"));
    SettingsStore store;
    store.writeFlag(F3, QStringLiteral("CK"), ui->CheckBox1->isChecked());
    store.writeFlag(F3, QStringLiteral("CK2"), ui->CheckBox2->isChecked());
    store.writeFlag(F3, QStringLiteral("CK3"), ui->CheckBox3->isChecked());
    store.writeFlag(F3, QStringLiteral("CK4"), ui->CheckBox4->isChecked());
    store.writeFlag(F3, QStringLiteral("CK5"), ui->CheckBox5->isChecked());
    store.writeFlag(F3, QStringLiteral("CK6"), ui->CheckBox6->isChecked());
    store.writeText(F3, QStringLiteral("ED1"), ui->Edit1->text());
    store.writeText(F3, QStringLiteral("ED2"), ui->Edit2->text());
    store.close();
    ui->Button2->setEnabled(false);
}

// Confirms that both fields agree (exactly, case included) and stores the second one.
// The gate's password is the first field, which only "更新" stores.
void TForm3::Button3Click()
{
    m_live.StoredPassword = ui->Edit1->text();
    m_live.EnteredPassword = ui->Edit2->text();
    if (m_live.StoredPassword != m_live.EnteredPassword) {
        m_dialogs.messageBox(this, QStringLiteral("もう一度入力しなおして下さい！！"),
                             QStringLiteral("Mirevo For Windows クライアント"), Dialogs::Stop);
        ui->Edit1->clear();
        ui->Edit2->clear();
    } else {
        SettingsStore store;
        store.writeText(F3, QStringLiteral("ED2"), ui->Edit2->text());
        store.close();
    }
    ui->Button3->setEnabled(false);
}
