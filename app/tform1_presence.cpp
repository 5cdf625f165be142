// The link to the presence server: the announcements at start and close, and the
// participants query "参加ユーザー取得". Whatever the server sends back arrives as an
// ordinary message.

#include "app/tform1.h"

#include "app/apptitle.h"
#include "platform/dialogs.h"
#include "settings/settingsstore.h"
#include "ui_tform1.h"

#include <exception>

using namespace Qt::StringLiterals;

void TForm1::connectPresence()
{
    connect(ui->Button5, &QPushButton::clicked, this, guard([this] { Button5Click(); }));
}

// Sent with the sender field OwnIp, whether or not the own address goes with messages.
// Errors are the caller's: an announcement's error ends the start-up or the close.
void TForm1::postToServer(const QString &text)
{
    if (const QString refusal = TNMMsg::checkMessage(Live.OwnIp, text); !refusal.isEmpty())
        throw ESockError(refusal);
    // A send still under way keeps its destination.
    if (NMMsg1->isBusy())
        throw ESockError(u"Already connected"_s);
    NMMsg1->Host = Live.ServerHost;
    NMMsg1->FromName = Live.OwnIp;
    NMMsg1->PostIt(text);
}

void TForm1::announceStart()
{
    if (Live.ServerLinkEnabled)
        postToServer(u" "_s + Live.OwnComputerName + u" "_s + Live.OwnIp
                     + u" Connected 接続されました"_s);
}

void TForm1::announceClose()
{
    if (Live.ServerLinkEnabled)
        postToServer(u" "_s + Live.OwnComputerName + u" "_s + Live.OwnIp
                     + u" Disconnected 切断されました"_s);
}

// Asked whether or not the link is on; the host is read afresh, so a server registered
// since start-up is asked at once.
void TForm1::Button5Click()
{
    {
        SettingsStore store;
        Live.ServerHost = store.readText(u"F8"_s, u"HOST"_s, QString());
        store.close();
    }
    const int answer = m_services.dialogs.messageBox(
        this,
        u"サーバーに接続し参加ユーザーの情報を取得します。接続状況を取得しますか？\r\n"
        u"またホスト設定をしていないと、この機能は使用出来ません。"_s,
        mainWindowCaption(), Dialogs::YesNoQuestion);
    if (answer != Dialogs::Yes)
        return;
    // What the wire cannot carry is refused before anything is sent.
    if (const QString refusal = TNMMsg::checkMessage(Live.OwnIp, u"0"_s); !refusal.isEmpty()) {
        m_services.dialogs.showMessage(this, refusal);
        return;
    }
    try {
        postToServer(u"0"_s);
    } catch (const std::exception &) {
        if (Live.SendFailed)
            return;
        m_services.dialogs.showMessage(
            this, u"サーバーマシンが見つかりません、IPアドレスもしくはコンピュータ名を確認して下さい"_s);
        showStatusText(u"接続先が見つかりませんでした"_s);
    }
}
