#include "addressbook/tform6.h"

#include "settings/settingsstore.h"
#include "ui_tform6.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

namespace {

const QString Section = QStringLiteral("F6");

// Fields in the order they are read and stored: entry by entry, name, host, description.
QList<int> storeOrder()
{
    QList<int> order;
    for (int entry = 1; entry <= 10; ++entry)
        order << entry << 10 + entry << 20 + entry;
    return order;
}

QString valueName(int number)
{
    return QStringLiteral("ED%1").arg(number);
}

} // namespace

TForm6::TForm6(Dialogs &dialogs, SetDestination setDestination, QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                         | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm6>()),
      m_guard(dialogs, this),
      m_setDestination(std::move(setDestination)),
      m_entries(new QButtonGroup(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(688, 453);
    move(281, 144); // its designed place, not centred on the owner

    for (int n = 1; n <= 10; ++n)
        m_entries->addButton(findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item%1").arg(n)), n);
    for (int number = 1; number <= 30; ++number)
        connect(field(number), &QLineEdit::textChanged, this, m_guard([this](const QString &) { Edit1Change(); }));
    for (int number = 11; number <= 20; ++number) {
        // Host names and addresses are typed without the input method.
        field(number)->setAttribute(Qt::WA_InputMethodEnabled, false);
        field(number)->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    }
    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));
    connect(ui->Button2, &QPushButton::clicked, this, m_guard([this](bool) { Button2Click(); }));
    connect(ui->Button3, &QPushButton::clicked, this, m_guard([this](bool) { Button3Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm6::~TForm6() = default;

QLineEdit *TForm6::field(int number) const
{
    return findChild<QLineEdit *>(QStringLiteral("Edit%1").arg(number));
}

void TForm6::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_guard.run([this] { FormShow(); });
}

void TForm6::FormCreate()
{
    SettingsStore store;
    for (int number : storeOrder())
        field(number)->setText(store.readText(Section, valueName(number), {}));
    store.close();
}

void TForm6::FormShow()
{
    ui->Button2->setEnabled(false);
}

void TForm6::Edit1Change()
{
    ui->Button2->setEnabled(true);
}

void TForm6::Button1Click()
{
    const int entry = m_entries->checkedId();
    m_setDestination(field(10 + entry)->text(), field(entry)->text());
    close();
}

void TForm6::Button2Click()
{
    SettingsStore store;
    for (int number : storeOrder())
        store.writeText(Section, valueName(number), field(number)->text());
    store.close();
    ui->Button2->setEnabled(false);
}

void TForm6::Button3Click()
{
    close();
}
