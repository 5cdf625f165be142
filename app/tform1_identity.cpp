// The machine's network identity in the "Network Config" group: read at creation, at
// every show and on "取得".

#include "app/tform1.h"

#include "platform/dialogs.h"
#include "ui_tform1.h"

namespace {

// The group's four fields and the warning box.
class IdentityFields : public IdentityView {
public:
    IdentityFields(Ui::TForm1 &ui, Dialogs &dialogs, QWidget *owner)
        : m_ui(ui), m_dialogs(dialogs), m_owner(owner)
    {
    }
    void setComputerName(const QString &text) override { m_ui.Edit7->setText(text); }
    void setAddress(const QString &text) override { m_ui.Edit6->setText(text); }
    void setUserName(const QString &text) override { m_ui.Edit5->setText(text); }
    void setMacAddress(const QString &text) override { m_ui.Edit4->setText(text); }
    void showWarning(const QString &text, const QString &caption, int flags) override
    {
        m_dialogs.messageBox(m_owner, text, caption, flags);
    }

private:
    Ui::TForm1 &m_ui;
    Dialogs &m_dialogs;
    QWidget *m_owner;
};

} // namespace

void TForm1::connectIdentity()
{
    connect(ui->Button8, &QPushButton::clicked, this, guard([this] { Button8Click(); }));
}

LocalIdentity::AtCreation TForm1::createIdentity()
{
    IdentityFields fields(*ui, m_services.dialogs, this);
    return LocalIdentity(m_services.os, fields).create(Live.WarnNoMac);
}

void TForm1::showIdentity()
{
    IdentityFields fields(*ui, m_services.dialogs, this);
    LocalIdentity(m_services.os, fields).show();
}

void TForm1::Button8Click()
{
    IdentityFields fields(*ui, m_services.dialogs, this);
    LocalIdentity(m_services.os, fields).refresh(Live.WarnNoMac);
}
