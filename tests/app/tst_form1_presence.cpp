// The presence link of the main window against a listener on the loopback interface:
// the bytes of the announcements and of the participants query, when they are sent,
// and what their failures do to the start-up and the close.

#include "formfixture.h"
#include "net/wirecodec.h"
#include "support/scriptedpeer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString QueryQuestion =
    u"サーバーに接続し参加ユーザーの情報を取得します。接続状況を取得しますか？\r\n"
    u"またホスト設定をしていないと、この機能は使用出来ません。"_s;
const QString ServerNotFound =
    u"サーバーマシンが見つかりません、IPアドレスもしくはコンピュータ名を確認して下さい"_s;
const QString ConnectFailed = u"接続に失敗しました、宛先Hostをもう一度確認して下さい。\r\n"
                              u"もしくは相手先のMirevoが起動していません。"_s;

// The messages as they reach the wire from PC1 at 10.0.0.2 (CP932 text).
const QByteArray Connected = "000810.0.0.20038 PC1 10.0.0.2 Connected "
                             "\x90\xda\x91\xb1\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";
const QByteArray Disconnected = "000810.0.0.20041 PC1 10.0.0.2 Disconnected "
                                "\x90\xd8\x92\x66\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd";
const QByteArray Query = "000810.0.0.200010";

void storeServer(const QString &host, bool linkOn)
{
    SettingsStore store;
    store.writeText(u"F8"_s, u"HOST"_s, host);
    store.writeFlag(u"F8"_s, u"CB"_s, linkOn);
}

quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

NetworkOptions sendingTo(quint16 port)
{
    NetworkOptions network = noListener();
    network.sendPort = port;
    return network;
}

void asPC1(FormFixture &f)
{
    f.os.host = u"PC1"_s;
    f.os.address = u"10.0.0.2"_s;
}

} // namespace

class Form1PresenceTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void announcements_data()
    {
        QTest::addColumn<bool>("linkOn");
        QTest::addColumn<QList<QByteArray>>("atStart");
        QTest::addColumn<QList<QByteArray>>("atClose");
        QTest::newRow("link on") << true << QList<QByteArray>{Connected}
                                 << QList<QByteArray>{Connected, Disconnected};
        QTest::newRow("link off") << false << QList<QByteArray>{} << QList<QByteArray>{};
    }

    void announcements()
    {
        QFETCH(bool, linkOn);
        ScriptedPeer server;
        QVERIFY(server.listen());
        storeServer(u"127.0.0.1"_s, linkOn);
        FormFixture f(sendingTo(server.port()), asPC1);
        QTEST(server.messages(), "atStart");
        // A delivered announcement holds the window for its pause like any send.
        QCOMPARE(f.hold.holds.size(), linkOn ? 1 : 0);
        QCOMPARE(f.status(), QString());
        f.form->show();
        QVERIFY(f.closeWindow());
        QTEST(server.messages(), "atClose");
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    // A refused start announcement ends the start-up with the error box; the window
    // opens, and the failure silences later failure messages.
    void refusedStartAnnouncement()
    {
        storeServer(u"127.0.0.1"_s, true);
        FormFixture f(sendingTo(closedPort()), asPC1);
        QCOMPARE(f.dialogs.shown.size(), 2);
        QCOMPARE(f.dialogs.shown.value(0), (ShownBox{ShownBox::Message, ConnectFailed, {}, 0}));
        QCOMPARE(f.dialogs.shown.value(1).kind, ShownBox::Error);
        QVERIFY(f.form->Live.SendFailed);
        QCOMPARE(f.form->Live.OwnIp, u"10.0.0.2"_s);
        f.form->show();
        QVERIFY(f.form->isVisible());
    }

    void unresolvableServerAtStart()
    {
        storeServer(u"no-such-server.invalid"_s, true);
        FormFixture f(noListener(), asPC1);
        QCOMPARE(f.dialogs.shown.size(), 1);
        QCOMPARE(f.dialogs.shown.value(0).kind, ShownBox::Error);
        QCOMPARE(f.status(), u"接続先が見つかりませんでした"_s);
        QVERIFY(!f.form->Live.SendFailed);
    }

    // The store is written first; the failed announcement then keeps the window open,
    // at every attempt.
    void unreachableServerAbandonsClose()
    {
        auto server = std::make_unique<ScriptedPeer>();
        QVERIFY(server->listen());
        const quint16 port = server->port();
        storeServer(u"127.0.0.1"_s, true);
        FormFixture f(sendingTo(port), asPC1);
        QCOMPARE(server->messages().size(), 1);
        server.reset();
        f.form->show();

        for (int attempt = 0; attempt < 2; ++attempt) {
            settingsHome().clear();
            f.dialogs.shown.clear();
            QVERIFY(!f.closeWindow());
            QVERIFY(f.form->isVisible());
            QCOMPARE(settingsHome().stored(u"F1"_s, u"FC"_s), u"clWindowText"_s);
            QCOMPARE(f.dialogs.shown.last().kind, ShownBox::Error);
        }
        // Once the link is off, the close goes through.
        f.form->Live.ServerLinkEnabled = false;
        QVERIFY(f.closeWindow());
    }

    void participantsQuery_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("yes") << int(Dialogs::Yes) << QList<QByteArray>{Query};
        QTest::newRow("no") << int(Dialogs::No) << QList<QByteArray>{};
    }

    // Asked with the link off; the server's host is read from the store before the
    // question, even when the answer is No.
    void participantsQuery()
    {
        QFETCH(int, answer);
        ScriptedPeer server;
        QVERIFY(server.listen());
        FormFixture f(sendingTo(server.port()), asPC1);
        QCOMPARE(f.form->Live.ServerHost, QString());
        storeServer(u"127.0.0.1"_s, false);
        f.dialogs.answers = {answer};

        f.ui().Button5->click();

        QCOMPARE(f.dialogs.shown, (QList<ShownBox>{{ShownBox::Box, QueryQuestion,
                                                    u"Mirevo For Windows クライアント"_s, 36}}));
        QCOMPARE(f.form->Live.ServerHost, u"127.0.0.1"_s);
        QTEST(server.messages(), "sent");
        QCOMPARE(f.form->NMMsg1->Host, answer == Dialogs::Yes ? u"127.0.0.1"_s : QString());
    }

    void queryFailure_data()
    {
        QTest::addColumn<bool>("sendFailedBefore");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("first failure") << false << QStringList{ServerNotFound};
        QTest::newRow("after a failed connection") << true << QStringList{};
    }

    void queryFailure()
    {
        QFETCH(bool, sendFailedBefore);
        FormFixture f;
        storeServer(u"no-such-server.invalid"_s, false);
        f.form->Live.SendFailed = sendFailedBefore;
        f.dialogs.answers = {Dialogs::Yes};
        f.ui().Button5->click();
        QStringList messages;
        for (const ShownBox &box : f.dialogs.shown)
            if (box.kind == ShownBox::Message)
                messages.append(box.text);
        QTEST(messages, "messages");
        QCOMPARE(f.status(), u"接続先が見つかりませんでした"_s);
        QVERIFY(!f.ui().Button1->isEnabled());
    }
};

QTEST_MAIN(Form1PresenceTest)
#include "tst_form1_presence.moc"
