// The conversation of the main window against real sockets on the loopback interface:
// status line, boxes, buttons, the pane, and what a peer receives.

#include "formfixture.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

const QString NameMissing = u"メッセージを送るには自分の名前を入力して下さい。"_s;
const QString NotFound = u"クライアントマシンが見つかりません、IPアドレスもしくはコンピュータ名を確認して下さい"_s;
const QString ConnectFailed = u"接続に失敗しました、宛先Hostをもう一度確認して下さい。\r\nもしくは相手先のMirevoが起動していません。"_s;
const QString NewMessage = u"新着メッセージが届きました。"_s;

enum class Peer { Answers, Refuses };

// A port on which nothing listens.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

ShownBox message(const QString &text)
{
    return {ShownBox::Message, text, {}, 0};
}

} // namespace

class ConversationTest : public QObject {
    Q_OBJECT

    // A peer listening on the loopback address; the window's client sends to its port.
    std::unique_ptr<TNMMSGServ> peer;
    std::unique_ptr<QSignalSpy> received;

    NetworkOptions towardsPeer(Peer kind)
    {
        NetworkOptions network = noListener();
        peer = std::make_unique<TNMMSGServ>();
        peer->Port = 0;
        if (kind == Peer::Answers) {
            if (!peer->listen(QHostAddress::LocalHost))
                qFatal("peer cannot listen");
            network.sendPort = peer->serverPort();
        } else {
            network.sendPort = closedPort();
        }
        received = std::make_unique<QSignalSpy>(peer.get(), &TNMMSGServ::OnMSG);
        return network;
    }

    static void typeLine(FormFixture &f, const QString &name, const QString &host, const QString &line)
    {
        f.ui().Edit2->setText(name);
        f.ui().ComboBox3->setEditText(host);
        f.ui().Edit1->setText(line);
    }

private Q_SLOTS:
    void initTestCase() { isolateUserFiles(); }

    void statusLine_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<Peer>("peerKind");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<QList<ShownBox>>("boxes");
        QTest::addColumn<bool>("button1");
        QTest::addColumn<QStringList>("pane");
        QTest::addColumn<QString>("edit1");

        const QStringList delivered = {u"送信中です"_s, u"相手との接続が終了しました"_s, QString()};
        QTest::newRow("dotted address") << u"127.0.0.1"_s << Peer::Answers << delivered
                                        << QList<ShownBox>{} << false << QStringList{u"<< hello"_s} << QString();
        QTest::newRow("host name") << u"localhost"_s << Peer::Answers
                                   << (QStringList{u"接続しています"_s} + delivered) << QList<ShownBox>{}
                                   << false << QStringList{u"<< hello"_s} << QString();
        QTest::newRow("unresolvable name")
            << u"no-such-host.invalid"_s << Peer::Answers << QStringList{u"接続先が見つかりませんでした"_s}
            << QList<ShownBox>{message(NotFound)} << true << QStringList{} << u"hello"_s;
        QTest::newRow("0.0.0.0") << u"0.0.0.0"_s << Peer::Answers << QStringList{u"接続先が見つかりませんでした"_s}
                                 << QList<ShownBox>{message(NotFound)} << true << QStringList{} << u"hello"_s;
        QTest::newRow("refused connection")
            << u"127.0.0.1"_s << Peer::Refuses << QStringList{u"接続先が見つかりません"_s, QString()}
            << QList<ShownBox>{message(ConnectFailed)} << false << QStringList{} << u"hello"_s;
    }

    void statusLine()
    {
        QFETCH(QString, host);
        QFETCH(Peer, peerKind);
        FormFixture f(towardsPeer(peerKind));
        QStringList statusDuringHold, statusDuringBox;
        f.hold.during = [&] { statusDuringHold.append(f.status()); };
        f.dialogs.onShow = [&](const ShownBox &) { statusDuringBox.append(f.status()); };
        typeLine(f, u"太郎"_s, host, u"hello"_s);

        f.ui().Button1->click();

        QTEST(f.statuses, "statuses");
        QTEST(f.dialogs.shown, "boxes");
        QTEST(f.ui().Button1->isEnabled(), "button1");
        QTEST(f.memoLines(), "pane");
        QTEST(f.ui().Edit1->text(), "edit1");
        // The closing text stays on screen through the pause; a box shows the status it explains.
        if (f.hold.holds.isEmpty()) {
            QVERIFY(statusDuringHold.isEmpty());
        } else {
            QCOMPARE(f.hold.holds, QList<std::chrono::milliseconds>{2000ms});
            QCOMPARE(statusDuringHold, QStringList{u"相手との接続が終了しました"_s});
        }
        if (peerKind == Peer::Refuses)
            QCOMPARE(statusDuringBox, QStringList{u"接続先が見つかりません"_s});
        QCOMPARE(f.form->Live.SendFailed, peerKind == Peer::Refuses);
    }

    void afterRefusedConnectionFailuresAreSilent()
    {
        FormFixture f(towardsPeer(Peer::Refuses));
        typeLine(f, u"太郎"_s, u"127.0.0.1"_s, u"hello"_s);
        f.ui().Button1->click();
        QCOMPARE(f.dialogs.shown.size(), 1);

        f.ui().ComboBox3->setEditText(u"no-such-host.invalid"_s);
        f.statuses.clear();
        f.ui().Button1->click();

        QCOMPARE(f.statuses, QStringList{u"接続先が見つかりませんでした"_s});
        QCOMPARE(f.dialogs.shown.size(), 1);
        QVERIFY(!f.ui().Button1->isEnabled());
        QCOMPARE(f.ui().Edit1->text(), u"hello"_s);
    }

    void peerReceives_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("sendOwnIp");
        QTest::addColumn<QString>("ownAddress");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("ownLine");

        QTest::newRow("address withheld") << u"こんにちは～①"_s << false << u"192.0.2.7"_s
                                          << u"山田 太郎 > こんにちは～①"_s << QString() << u"<< こんにちは～①"_s;
        QTest::newRow("own address sent") << u"hi"_s << true << u"192.0.2.7"_s
                                          << u"山田 太郎 > hi"_s << u"192.0.2.7"_s << u"<< hi"_s;
        QTest::newRow("empty line") << QString() << false << QString() << u"山田 太郎 > "_s << QString()
                                    << u"<< "_s;
    }

    void peerReceives()
    {
        QFETCH(QString, line);
        QFETCH(bool, sendOwnIp);
        QFETCH(QString, ownAddress);
        FormFixture f(towardsPeer(Peer::Answers));
        f.form->Live.SendOwnIp = sendOwnIp;
        f.ui().Edit6->setText(ownAddress);
        typeLine(f, u"山田 太郎"_s, u"127.0.0.1"_s, u"draft"_s);
        f.ui().Edit1->setText(line);

        f.ui().Button1->click();

        QTRY_COMPARE(received->size(), 1);
        QTEST(received->at(0).at(1).toString(), "text");
        QTEST(received->at(0).at(0).toString(), "from");
        QTEST(f.memoLines().value(0), "ownLine");
        QCOMPARE(f.ui().Edit1->text(), QString());
        QVERIFY(!f.ui().Button1->isEnabled());
        QVERIFY(f.ui().Button2->isEnabled());
        QCOMPARE(f.ui().Edit8->text(), QString());
        QCOMPARE(f.status(), QString());
    }

    void ownNameMissing()
    {
        FormFixture f(towardsPeer(Peer::Answers));
        typeLine(f, QString(), u"127.0.0.1"_s, u"hello"_s);
        f.ui().Button1->click();

        QCOMPARE(f.dialogs.shown, QList<ShownBox>{message(NameMissing)});
        QCOMPARE(f.ui().Edit1->text(), u"hello"_s);
        QVERIFY(!f.ui().Button1->isEnabled());
        QVERIFY(f.statuses.isEmpty());
        // A name of blanks is a name.
        f.ui().Edit2->setText(u" "_s);
        f.ui().Edit1->setText(u"hello!"_s);
        f.ui().Button1->click();
        QTRY_COMPARE(received->size(), 1);
        QCOMPARE(received->at(0).at(1).toString(), u"  > hello!"_s);
    }

    void lineTheWireCannotCarry_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("over 9,999 bytes") << QString(10000, QLatin1Char('a'));
        QTest::newRow("character outside CP932") << u"smile 😀"_s;
    }

    void lineTheWireCannotCarry()
    {
        QFETCH(QString, line);
        FormFixture f(towardsPeer(Peer::Answers));
        typeLine(f, u"太郎"_s, u"127.0.0.1"_s, line);

        f.ui().Button1->click();

        const QString refusal = TNMMsg::checkMessage(QString(), u"太郎 > "_s + line);
        QVERIFY(!refusal.isEmpty());
        QCOMPARE(f.dialogs.shown, QList<ShownBox>{message(refusal)});
        QCOMPARE(f.ui().Edit1->text(), line);
        QVERIFY(f.memoLines().isEmpty());
        QVERIFY(f.statuses.isEmpty()); // no connection was tried
        QCOMPARE(received->size(), 0);
    }

    void buttonStates_data()
    {
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("button1");
        QTest::addColumn<bool>("button2");
        QTest::newRow("window opens") << u"open"_s << false << false;
        QTest::newRow("change of Edit1") << u"edit1"_s << true << true;
        QTest::newRow("change of ComboBox3") << u"combo"_s << true << true;
        QTest::newRow("own-name message") << u"noname"_s << false << false;
        QTest::newRow("successful send") << u"sent"_s << false << true;
        QTest::newRow("failed send, SendFailed clear") << u"failed"_s << true << false;
        QTest::newRow("failed send, SendFailed set") << u"failedAgain"_s << false << false;
        QTest::newRow("Button2Click") << u"button2"_s << false << true;
    }

    void buttonStates()
    {
        QFETCH(QString, after);
        FormFixture f(towardsPeer(Peer::Answers));
        // Rows that expect Button2 unchanged start it disabled after their typing, so
        // that only the step under test could have enabled it.
        if (after == u"edit1") {
            f.ui().Edit1->setText(u"x"_s);
        } else if (after == u"combo") {
            f.ui().ComboBox3->setEditText(u"x"_s);
        } else if (after == u"noname") {
            f.ui().Edit1->setText(u"x"_s);
            f.ui().Button2->setEnabled(false);
            f.ui().Button1->click();
        } else if (after == u"sent") {
            typeLine(f, u"太郎"_s, u"127.0.0.1"_s, u"x"_s);
            f.ui().Button2->setEnabled(false);
            f.ui().Button1->click();
        } else if (after == u"failed" || after == u"failedAgain") {
            f.form->Live.SendFailed = after == u"failedAgain";
            typeLine(f, u"太郎"_s, u"0.0.0.0"_s, u"x"_s);
            f.ui().Button2->setEnabled(false);
            f.ui().Button1->click();
        } else if (after == u"button2") {
            f.ui().Edit1->setText(u"x"_s);
            f.ui().Button2->click();
            QCOMPARE(f.ui().Edit1->text(), QString());
        }
        QTEST(f.ui().Button1->isEnabled(), "button1");
        QTEST(f.ui().Button2->isEnabled(), "button2");
    }

    void buttonDisabledWhileSending()
    {
        FormFixture f(towardsPeer(Peer::Answers));
        typeLine(f, u"太郎"_s, u"127.0.0.1"_s, u"x"_s);
        QList<bool> duringSend;
        f.hold.during = [&] { duringSend.append(f.ui().Button1->isEnabled()); };
        f.ui().Button1->click();
        QCOMPARE(duringSend, QList<bool>{false});
    }

    // A second send while the first waits for its reply is refused through the failure
    // path; the first completes with its own line.
    void secondSendDuringFirstIsRefused()
    {
        QTcpServer slowPeer;
        QVERIFY(slowPeer.listen(QHostAddress::LocalHost));
        NetworkOptions network = noListener();
        network.sendPort = slowPeer.serverPort();
        FormFixture f(network);
        typeLine(f, u"太郎"_s, u"127.0.0.1"_s, u"first"_s);

        QByteArray arrived;
        QPointer<QTcpSocket> connection;
        connect(&slowPeer, &QTcpServer::newConnection, this, [&] {
            connection = slowPeer.nextPendingConnection();
            connect(connection, &QTcpSocket::readyRead, this, [&] {
                arrived += connection->readAll();
                if (!arrived.endsWith("first"))
                    return;
                // The user types the next line and presses send while the first is open.
                f.ui().Edit1->setText(u"second"_s);
                QVERIFY(f.ui().Button1->isEnabled());
                f.ui().Button1->click();
                connection->write("OK" + QByteArray(14, ' '));
                connection->disconnectFromHost();
            });
        });

        f.ui().Button1->click();

        QCOMPARE(f.dialogs.shown, QList<ShownBox>{message(NotFound)});
        const QByteArray text = QStringEncoder("Shift_JIS").encode(u"太郎 > first"_s);
        QCOMPARE(arrived, "0000" + QByteArray::number(text.size()).rightJustified(4, '0') + text);
        QCOMPARE(f.memoLines(), QStringList{u"<< first"_s});
        QCOMPARE(f.ui().Edit1->text(), u"second"_s); // the next line stays
        QVERIFY(!f.form->NMMsg1->isBusy());
        QCOMPARE(f.statuses.last(), QString());
    }

    void receipt_data()
    {
        QTest::addColumn<bool>("notify");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("edit3");
        QTest::addColumn<QList<ShownBox>>("boxes");
        QTest::newRow("notice, sender withheld") << true << QString() << u"非通知"_s << QList<ShownBox>{message(NewMessage)};
        QTest::newRow("notice, sender address") << true << u"192.0.2.9"_s << u"192.0.2.9"_s << QList<ShownBox>{message(NewMessage)};
        QTest::newRow("no notice") << false << u"192.0.2.9"_s << u"192.0.2.9"_s << QList<ShownBox>{};
    }

    void receipt()
    {
        QFETCH(bool, notify);
        QFETCH(QString, from);
        FormFixture f;
        f.form->Live.NotifyOnReceipt = notify;
        f.form->NMMSGServ1MSG(from, u"花子 > やあ\r\n二行目"_s);
        QTEST(f.ui().Edit3->text(), "edit3");
        QCOMPARE(f.memoLines(), (QStringList{u"花子 > やあ"_s, u"二行目"_s}));
        QTEST(f.dialogs.shown, "boxes");
        QVERIFY(!f.form->NoticeOpen);
    }

    void receiptsWhileNoticeIsOpen()
    {
        NetworkOptions network = noListener();
        network.listen = true;
        network.listenAddress = QHostAddress::LocalHost;
        network.listenPort = 0;
        FormFixture f(network);
        f.form->Live.NotifyOnReceipt = true;
        const quint16 port = f.form->NMMSGServ1->serverPort();
        auto post = [port](const QString &from, const QString &text) {
            TNMMsg client;
            client.Host = u"127.0.0.1"_s;
            client.Port = port;
            client.FromName = from;
            client.PostIt(text);
        };
        bool noticeWasOpen = false;
        f.dialogs.onShow = [&](const ShownBox &) {
            noticeWasOpen = f.form->NoticeOpen;
            post(u"192.0.2.2"_s, u"second"_s);
            post(u"192.0.2.3"_s, u"third"_s);
            QTRY_COMPARE(f.memoLines().size(), 3);
        };

        post(QString(), u"first"_s);

        QTRY_COMPARE(f.memoLines(), (QStringList{u"first"_s, u"second"_s, u"third"_s}));
        QVERIFY(noticeWasOpen);
        QCOMPARE(f.dialogs.shown, QList<ShownBox>{message(NewMessage)});
        QCOMPARE(f.ui().Edit3->text(), u"192.0.2.3"_s);
        QVERIFY(!f.form->NoticeOpen);
    }

    void noticeBringsHiddenWindowBack()
    {
        FormFixture f;
        f.form->Live.NotifyOnReceipt = true;
        f.form->Live.ShowAfterNotice = true;
        bool visibleDuringNotice = true;
        f.dialogs.onShow = [&](const ShownBox &) { visibleDuringNotice = f.form->isVisible(); };
        f.form->NMMSGServ1MSG(QString(), u"x"_s);
        QVERIFY(!visibleDuringNotice);
        QVERIFY(f.form->isVisible());
    }

    void enterPressesSendOnlyWhileEnabled_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("Edit1, enabled") << u"Edit1"_s << true;
        QTest::newRow("Edit1, disabled") << u"Edit1"_s << false;
        QTest::newRow("Edit2, enabled") << u"Edit2"_s << true;
        QTest::newRow("ComboBox3, enabled") << u"ComboBox3"_s << true;
        QTest::newRow("ComboBox3, disabled") << u"ComboBox3"_s << false;
    }

    void enterPressesSendOnlyWhileEnabled()
    {
        QFETCH(QString, control);
        QFETCH(bool, enabled);
        FormFixture f; // no own name: a send that runs shows the own-name message
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        if (enabled)
            f.ui().Edit1->setText(u"x"_s);
        QWidget *target = f.form->findChild<QWidget *>(control);
        if (auto *combo = qobject_cast<QComboBox *>(target))
            target = combo->lineEdit();
        target->setFocus();

        QTest::keyClick(target, Qt::Key_Return);

        QCOMPARE(f.dialogs.texts(), enabled ? QStringList{NameMissing} : QStringList{});
    }

    void clicksClearTheStatusLine_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<bool>("clears");
        QTest::newRow("Edit1") << u"Edit1"_s << QPoint(5, 5) << true;
        QTest::newRow("Edit2") << u"Edit2"_s << QPoint(5, 5) << true;
        QTest::newRow("ComboBox3 text") << u"ComboBox3"_s << QPoint(5, 5) << true;
        QTest::newRow("window background") << u"ClientArea"_s << QPoint(200, 50) << true;
        QTest::newRow("inside the network frame") << u"ClientArea"_s << QPoint(560, 320) << true;
        QTest::newRow("a label") << u"Label2"_s << QPoint(2, 2) << false;
        QTest::newRow("the pane") << u"Memo1"_s << QPoint(20, 20) << false;
    }

    void clicksClearTheStatusLine()
    {
        QFETCH(QString, control);
        QFETCH(QPoint, at);
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        f.form->showStatusText(u"接続先が見つかりませんでした"_s);
        QWidget *target = f.form->findChild<QWidget *>(control);
        if (auto *combo = qobject_cast<QComboBox *>(target))
            target = combo->lineEdit();
        if (auto *memo = qobject_cast<QPlainTextEdit *>(target))
            target = memo->viewport();

        QTest::mouseClick(target, Qt::LeftButton, {}, at);

        QTEST(f.status().isEmpty(), "clears");
    }
};

QTEST_MAIN(ConversationTest)
#include "tst_conversation.moc"
