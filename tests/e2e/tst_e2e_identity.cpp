// The main window with the machine's real identity queries, in a private network
// namespace: with only loopback, and with a veth pair whose address and hardware address
// the test chooses. A window that sends its own address puts that address, as Edit6
// shows it, into the sender field at the receiver.

#include "app/formfixture.h"
#include "peernamespace.h"
#include "platform/linuxosqueries.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// A window with the real identity queries; the rest as in the window tests.
struct RealIdentityWindow {
    FakeDialogs dialogs;
    RecordingHold hold;
    FakeTray tray;
    LinuxOsQueries os;
    std::unique_ptr<TForm1> form;

    explicit RealIdentityWindow(NetworkOptions network = noListener())
    {
        settingsHome();
        form = std::make_unique<TForm1>(FormServices{dialogs, hold, tray, os, [](int) {}}, network);
    }
    Ui::TForm1 &ui() const { return *form->ui; }
};

NetworkOptions listeningOn(const QString &address)
{
    NetworkOptions network;
    network.listenAddress = QHostAddress(address);
    return network;
}

} // namespace

class E2eIdentityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void loopbackOnly()
    {
        RealIdentityWindow w;
        w.form->show();
        QCOMPARE(w.ui().Edit7->text(), QHostInfo::localHostName());
        // The host name maps to a loopback address, or to nothing at all.
        const QString address = w.ui().Edit6->text();
        QVERIFY2(address == u"0 or DHCPサーバ割当"_s || QHostAddress(address).isLoopback(),
                 qPrintable(address));
        QCOMPARE(w.ui().Edit4->text(), u"取得出来ません"_s);
        QVERIFY(!w.ui().Edit5->text().isEmpty());
        QCOMPARE(w.form->Live.OwnIp, address);
    }

    void vethPairAndOwnAddressAsSender()
    {
        PeerNamespace peer;
        QVERIFY(peer.start(u"mv0"_s, u"10.66.0.2/24"_s, u"02:1a:2b:3c:4d:5e"_s, u"mv1"_s,
                           u"10.66.0.1/24"_s));
        {
            SettingsStore store;
            store.writeText(u"F3"_s, u"CK2"_s, u"1"_s); // send the own address
            store.writeText(u"F1"_s, u"MyName"_s, u"山田"_s);
        }
        RealIdentityWindow sender(listeningOn(u"127.0.0.1"_s));
        RealIdentityWindow receiver(listeningOn(u"127.0.0.2"_s));
        sender.form->show();
        QCOMPARE(sender.ui().Edit6->text(), u"10.66.0.2"_s);
        QCOMPARE(sender.ui().Edit4->text(), u"02-1A-2B-3C-4D-5E"_s);
        QCOMPARE(sender.form->Live.OwnIp, u"10.66.0.2"_s);
        QVERIFY(sender.form->Live.SendOwnIp);
        QVERIFY(sender.dialogs.shown.isEmpty());

        receiver.form->Live.NotifyOnReceipt = false;
        sender.ui().ComboBox3->setEditText(u"127.0.0.2"_s);
        sender.ui().Edit1->setText(u"こんにちは"_s);
        sender.ui().Button1->click();
        QTRY_COMPARE(receiver.ui().Memo1->toPlainText(), u"山田 > こんにちは"_s);
        QCOMPARE(receiver.ui().Edit3->text(), u"10.66.0.2"_s);
    }
};

QTEST_MAIN(E2eIdentityTest)
#include "tst_e2e_identity.moc"
