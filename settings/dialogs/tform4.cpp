#include "settings/dialogs/tform4.h"

#include "platform/autostart.h"
#include "platform/dialogs.h"
#include "settings/dialogs/dialogform.h"
#include "settings/settingsstore.h"
#include "ui_tform4.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

void TForm4::exitAtOnce(int status)
{
    std::_Exit(status);
}

TForm4::TForm4(Dialogs &dialogs, Autostart &autostart, QWidget *owner, Terminator terminate)
    : QDialog(owner),
      ui(std::make_unique<Ui::TForm4>()),
      m_guard(dialogs, this),
      m_dialogs(dialogs),
      m_autostart(autostart),
      m_terminate(std::move(terminate)),
      m_choices(new QButtonGroup(this))
{
    ui->setupUi(this);
    prepareDialogForm(this, CaptionButtons::MenuAndClose);
    m_choices->addButton(ui->RadioGroup1Item0, 0);
    m_choices->addButton(ui->RadioGroup1Item1, 1);
    connect(ui->Button1, &QPushButton::clicked, this, m_guard([this](bool) { Button1Click(); }));

    m_guard.run([this] { FormCreate(); });
}

TForm4::~TForm4() = default;

int TForm4::itemIndex() const
{
    return m_choices->checkedId();
}

void TForm4::setItemIndex(int index)
{
    if (QAbstractButton *button = m_choices->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group never unchecks its checked button by itself.
    if (QAbstractButton *checked = m_choices->checkedButton()) {
        m_choices->setExclusive(false);
        checked->setChecked(false);
        m_choices->setExclusive(true);
    }
}

void TForm4::done(int result)
{
    if (m_guard.run([this] { FormCloseQuery(); }))
        QDialog::done(result);
}

void TForm4::FormCreate()
{
    SettingsStore store;
    const int stored = store.readInteger(QStringLiteral("F4"), QStringLiteral("RG"), 1);
    setItemIndex(std::clamp(stored, -1, 1));
    store.close();
}

void TForm4::Button1Click()
{
    close();
}

void TForm4::FormCloseQuery()
{
    const QString executable = QCoreApplication::applicationFilePath();
    const int index = itemIndex();
    {
        SettingsStore store;
        store.writeInteger(QStringLiteral("F4"), QStringLiteral("RG"), index);
        store.close();
    }
    switch (index) {
    case 0:
        m_autostart.disable();
        break;
    case 1:
        m_autostart.enable(executable);
        break;
    default:
        m_dialogs.showMessage(this, QStringLiteral("Iniファイル書き込み中、例外エラーが発生しました。"));
        m_terminate(255);
    }
}
