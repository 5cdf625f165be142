// Two windows in one process, each listening on port 6711 of its own loopback address,
// send to each other in both directions with Japanese text.

#include "formfixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class TwoClientsTest : public QObject {
    Q_OBJECT

    static NetworkOptions listeningOn(const QString &address)
    {
        NetworkOptions network;
        network.listenAddress = QHostAddress(address);
        return network;
    }

    static void send(FormFixture &from, const QString &name, const QString &to, const QString &line)
    {
        from.ui().Edit2->setText(name);
        from.ui().ComboBox3->setEditText(to);
        from.ui().Edit1->setText(line);
        from.ui().Button1->click();
    }

private Q_SLOTS:
    void initTestCase() { isolateUserFiles(); }

    void exchangeBothWays()
    {
        FormFixture yamada(listeningOn(u"127.0.0.1"_s));
        FormFixture suzuki(listeningOn(u"127.0.0.2"_s));
        QVERIFY(yamada.form->NMMSGServ1->isListening());
        QVERIFY(suzuki.form->NMMSGServ1->isListening());
        QCOMPARE(yamada.form->NMMSGServ1->serverPort(), quint16(6711));
        yamada.form->Live.NotifyOnReceipt = true;
        suzuki.form->Live.NotifyOnReceipt = true;
        yamada.form->Live.SendOwnIp = true;
        yamada.ui().Edit6->setText(u"127.0.0.1"_s);

        send(yamada, u"山田"_s, u"127.0.0.2"_s, u"こんにちは～①"_s);
        QCOMPARE(yamada.memoLines(), QStringList{u"<< こんにちは～①"_s});
        QTRY_COMPARE(suzuki.memoLines(), QStringList{u"山田 > こんにちは～①"_s});
        QCOMPARE(suzuki.ui().Edit3->text(), u"127.0.0.1"_s);

        send(suzuki, u"鈴木"_s, u"127.0.0.1"_s, u"はい、元気です"_s);
        QCOMPARE(suzuki.memoLines(), (QStringList{u"山田 > こんにちは～①"_s, u"<< はい、元気です"_s}));
        QTRY_COMPARE(yamada.memoLines(), (QStringList{u"<< こんにちは～①"_s, u"鈴木 > はい、元気です"_s}));
        QCOMPARE(yamada.ui().Edit3->text(), u"非通知"_s);

        // One notice each, and no other box.
        const QStringList notice = {u"新着メッセージが届きました。"_s};
        QCOMPARE(yamada.dialogs.texts(), notice);
        QCOMPARE(suzuki.dialogs.texts(), notice);
    }
};

QTEST_MAIN(TwoClientsTest)
#include "tst_twoclients.moc"
