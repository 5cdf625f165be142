// The conversation: sending a line, receiving messages and the status line that follows
// every exchange.

#include "app/tform1.h"

#include "app/hold.h"
#include "platform/dialogs.h"
#include "ui_tform1.h"

#include <QScopeGuard>
#include <exception>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

void TForm1::Button1Click()
{
    ui->Button1->setEnabled(false);
    if (ui->Edit2->text().isEmpty()) {
        m_services.dialogs.showMessage(this, u"メッセージを送るには自分の名前を入力して下さい。"_s);
        return;
    }
    const QString fromName = Live.SendOwnIp ? ui->Edit6->text() : QString();
    const QString line = ui->Edit1->text();
    const QString text = ui->Edit2->text() + u" > "_s + line;
    // What the wire cannot carry is refused before anything is sent; the line stays.
    if (const QString refusal = TNMMsg::checkMessage(fromName, text); !refusal.isEmpty()) {
        m_services.dialogs.showMessage(this, refusal);
        return;
    }
    try {
        // A send started while another is still under way (Button1 comes back with any
        // edit) is refused before it touches the client, so the first goes on unharmed.
        if (NMMsg1->isBusy())
            throw ESockError(u"Already connected"_s);
        NMMsg1->Host = ui->ComboBox3->currentText();
        NMMsg1->FromName = fromName;
        NMMsg1->PostIt(text);
        // The pane shows the line that went out. A line typed while it was on its way
        // is the user's next one: it stays, with the buttons its typing left.
        appendToMemo(u"<< "_s + line);
        if (ui->Edit1->text() == line) {
            clearEdit1();
            ui->Button1->setEnabled(false);
        }
    } catch (const std::exception &) {
        sendFailurePath();
    }
}

void TForm1::sendFailurePath()
{
    if (Live.SendFailed)
        return;
    m_services.dialogs.showMessage(
        this, u"クライアントマシンが見つかりません、IPアドレスもしくはコンピュータ名を確認して下さい"_s);
    showStatusText(u"接続先が見つかりませんでした"_s);
    ui->Button1->setEnabled(true);
}

void TForm1::Button2Click()
{
    clearEdit1();
    ui->Button1->setEnabled(false);
}

void TForm1::Edit1Change()
{
    ui->Button1->setEnabled(true);
    ui->Button2->setEnabled(true);
    ui->Edit8->clear();
}

void TForm1::Edit1Click()
{
    showStatusText(QString());
}

void TForm1::FormClick()
{
    showStatusText(QString());
}

void TForm1::NMMsg1HostResolved()
{
    showStatusText(u"接続しています"_s);
}

void TForm1::NMMsg1Connect()
{
    showStatusText(u"送信中です"_s);
}

void TForm1::NMMsg1Discnnect()
{
    showStatusText(u"相手との接続が終了しました"_s);
    // The text must be on screen before the window stops for the pause, and so must the
    // rest of the window: a box closed just before would otherwise stay on its picture.
    repaint();
    m_services.hold.hold(2000ms);
    showStatusNormal();
}

void TForm1::NMMsg1ConnectionFailed()
{
    showStatusText(u"接続先が見つかりません"_s);
    m_services.dialogs.showMessage(this, u"接続に失敗しました、宛先Hostをもう一度確認して下さい。\r\n"
                                         u"もしくは相手先のMirevoが起動していません。"_s);
    Live.SendFailed = true;
    showStatusNormal();
}

void TForm1::NMMsg1InvalidHost(bool &Handled)
{
    Q_UNUSED(Handled); // left as it came: the send then fails
    showStatusText(u"接続先が見つかりませんでした"_s);
}

void TForm1::NMMSGServ1MSG(const QString &sFrom, const QString &sMsg)
{
    // 1. The new-message icon in the tray, for every message.
    showTrayPicture(TrayIcon::Picture::NewMessage);
    ui->Edit3->setText(sFrom.isEmpty() ? u"非通知"_s : sFrom);
    appendToMemo(sMsg);
    if (NoticeOpen || !Live.NotifyOnReceipt)
        return;
    {
        NoticeOpen = true;
        const auto closed = qScopeGuard([this] { NoticeOpen = false; });
        // Modal: messages that arrive meanwhile are handled and find NoticeOpen set.
        m_services.dialogs.showMessage(this, u"新着メッセージが届きました。"_s);
    }
    if (Live.ShowAfterNotice)
        bringToFront();
}

void TForm1::showStatusText(const QString &text)
{
    ui->StatusBar1->showMessage(text);
}

void TForm1::showStatusNormal()
{
    ui->StatusBar1->clearMessage();
}

void TForm1::appendToMemo(const QString &line)
{
    // Peers on Windows end their lines with CR LF; the pane breaks lines at LF.
    QString shown = line;
    shown.replace(u"\r\n"_s, u"\n"_s);
    ui->Memo1->appendPlainText(shown);
}

void TForm1::clearEdit1()
{
    if (ui->Edit1->text().isEmpty())
        Edit1Change();
    else
        ui->Edit1->clear(); // runs Edit1Change through its change signal
}
