#include "settings/dialogs/tform5.h"

#include "settings/dialogs/dialogform.h"
#include "settings/settingsstore.h"
#include "ui_tform5.h"

#include <QKeyEvent>
#include <QShowEvent>

QPointer<TForm5> Form5;

namespace {
const QString F1 = QStringLiteral("F1");
const QString MyName = QStringLiteral("MyName");
}

TForm5::TForm5(QWidget *owner, Dialogs &dialogs, std::function<void(const QString &)> setOwnName)
    : QDialog(owner), ui(std::make_unique<Ui::TForm5>()), m_setOwnName(std::move(setOwnName)),
      m_guard(dialogs, this)
{
    ui->setupUi(this);
    prepareDialogForm(this, CaptionButtons::MenuAndClose);

    connect(ui->Edit1, &QLineEdit::textChanged, this, m_guard([this](const QString &) { Edit1Change(); }));
    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));
    connect(ui->Button2, &QPushButton::clicked, this, m_guard([this](bool) { Button2Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm5::~TForm5() = default;

void TForm5::showModal(QWidget *owner, Dialogs &dialogs,
                       std::function<void(const QString &)> setOwnName)
{
    Form5 = new TForm5(owner, dialogs, std::move(setOwnName));
    Form5->exec(); // releases the dialog once it has closed
}

void TForm5::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_guard.run([this] { FormShow(); });
}

void TForm5::keyPressEvent(QKeyEvent *event)
{
    if (isPlainEscape(event))
        return;
    QDialog::keyPressEvent(event);
}

void TForm5::FormCreate()
{
    SettingsStore store;
    ui->Edit1->setText(store.readText(F1, MyName, QString()));
    store.close();
}

void TForm5::FormShow()
{
    ui->Button1->setEnabled(false);
}

void TForm5::Edit1Change()
{
    ui->Button1->setEnabled(true);
}

// The main window's box changes only once the name is stored.
void TForm5::Button1Click()
{
    const QString name = ui->Edit1->text();
    SettingsStore store;
    store.writeText(F1, MyName, name);
    store.close();
    if (m_setOwnName)
        m_setOwnName(name);
    ui->Button1->setEnabled(false);
}

void TForm5::Button2Click()
{
    close();
}
