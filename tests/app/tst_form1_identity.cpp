// The "Network Config" group of the main window with the operating system's answers
// replaced: what creation, every show and "取得" put into the fields, and what the
// creation leaves for the presence link.

#include "formfixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString NoMacWarning =
    u"MACアドレスを取得出来ません、ネットワークカードが正しく認識されていない可能性があります。"_s;

void storeText(const QString &section, const QString &name, const QString &text)
{
    SettingsStore store;
    store.writeText(section, name, text);
}
} // namespace

class Form1IdentityTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void fieldsAtCreationAndShow()
    {
        FormFixture f(noListener(), [](FormFixture &f) {
            f.os.host = u"PC1"_s;
            f.os.address = u"10.0.0.2"_s;
        });
        QCOMPARE(f.ui().Edit7->text(), u"PC1"_s);
        QCOMPARE(f.ui().Edit6->text(), u"10.0.0.2"_s);
        QCOMPARE(f.ui().Edit5->text(), QString()); // read when the window is shown
        QCOMPARE(f.ui().Edit4->text(), QString());
        QCOMPARE(f.form->Live.OwnIp, u"10.0.0.2"_s);
        QCOMPARE(f.form->Live.OwnComputerName, u"PC1"_s);
        QCOMPARE(f.os.socketsRunning, 0);

        f.form->show();
        QCOMPARE(f.ui().Edit5->text(), u"taro"_s);
        QCOMPARE(f.ui().Edit4->text(), u"00-1A-2B-3C-4D-5E"_s);
        QVERIFY(f.dialogs.shown.isEmpty());

        // Every show reads the user and the adapter again, not the name or the address.
        f.form->hide();
        f.os.user = u"hanako"_s;
        f.os.mac = MacAddress{0xAA, 0xBB, 0xCC, 0x01, 0x02, 0x03};
        f.os.host = u"PC9"_s;
        f.form->show();
        QCOMPARE(f.ui().Edit5->text(), u"hanako"_s);
        QCOMPARE(f.ui().Edit4->text(), u"AA-BB-CC-01-02-03"_s);
        QCOMPARE(f.ui().Edit7->text(), u"PC1"_s);
    }

    void adapterResetFails_data()
    {
        QTest::addColumn<QString>("storedCK6");
        QTest::addColumn<bool>("warns");
        QTest::newRow("warning on") << u"1"_s << true;
        QTest::newRow("warning off") << u"0"_s << false;
    }

    void adapterResetFails()
    {
        QFETCH(QString, storedCK6);
        QFETCH(bool, warns);
        storeText(u"F3"_s, u"CK6"_s, storedCK6);
        FormFixture f(noListener(), [](FormFixture &f) {
            f.os.resetSucceeds = false;
            f.os.mac = std::nullopt;
        });
        const QList<ShownBox> warning{{ShownBox::Box, NoMacWarning, u"Mirevo For Windows"_s, 64}};
        QCOMPARE(f.dialogs.shown, warns ? warning : QList<ShownBox>{});
        QCOMPARE(f.ui().Edit4->text(), u"取得出来ません"_s);
        f.form->show();
        QCOMPARE(f.ui().Edit4->text(), u"取得出来ません"_s);

        // "取得" warns again by the flag.
        f.dialogs.shown.clear();
        f.ui().Button8->click();
        QCOMPARE(f.dialogs.shown, warns ? warning : QList<ShownBox>{});
    }

    // Without the socket layer the creation stops: no fields, no server settings, and
    // so no announcement even with the link stored on.
    void socketLayerUnavailable()
    {
        storeText(u"F8"_s, u"HOST"_s, u"127.0.0.1"_s);
        storeText(u"F8"_s, u"CB"_s, u"1"_s);
        FormFixture f(noListener(), [](FormFixture &f) { f.os.socketStart = {false, 0}; });
        QCOMPARE(f.ui().Edit7->text(), QString());
        QCOMPARE(f.ui().Edit6->text(), QString());
        QCOMPARE(f.form->Live.ServerHost, QString());
        QVERIFY(!f.form->Live.ServerLinkEnabled);
        QCOMPARE(f.form->Live.OwnIp, QString());
        QVERIFY(f.statuses.isEmpty());
        QVERIFY(f.dialogs.shown.isEmpty());
        // The user and the adapter still appear when the window is shown.
        f.form->show();
        QCOMPARE(f.ui().Edit5->text(), u"taro"_s);
        QCOMPARE(f.ui().Edit4->text(), u"00-1A-2B-3C-4D-5E"_s);
    }

    void refreshKeepsOwnAddress()
    {
        FormFixture f;
        f.form->show();
        f.os.address = u"192.168.1.77"_s;
        f.os.user = u"hanako"_s;
        f.ui().Button8->click();
        QCOMPARE(f.ui().Edit6->text(), u"192.168.1.77"_s);
        QCOMPARE(f.ui().Edit5->text(), u"hanako"_s);
        QCOMPARE(f.form->Live.OwnIp, u"192.168.1.10"_s);
        QCOMPARE(f.form->Live.OwnComputerName, u"pc01"_s);
        QCOMPARE(f.os.socketsRunning, 0);
    }
};

QTEST_MAIN(Form1IdentityTest)
#include "tst_form1_identity.moc"
