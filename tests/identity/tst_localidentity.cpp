// The identity procedures against a fake operating system: what each failure leaves in
// the four fields, when the warning box appears, and what the creation reports for
// OwnIp and OwnComputerName.

#include "net/localidentity.h"
#include "support/fakeosqueries.h"

#include <QtTest>

namespace {

struct Fields {
    QString edit7; // computer name
    QString edit6; // address
    QString edit5; // user name
    QString edit4; // MAC address
    bool operator==(const Fields &) const = default;
};

struct Warning {
    QString text;
    QString caption;
    int flags = 0;
    bool operator==(const Warning &) const = default;
};

class RecordingView : public IdentityView {
public:
    Fields fields;
    QList<Warning> warnings;
    Fields fieldsWhenWarned;

    void setComputerName(const QString &text) override { fields.edit7 = text; }
    void setAddress(const QString &text) override { fields.edit6 = text; }
    void setUserName(const QString &text) override { fields.edit5 = text; }
    void setMacAddress(const QString &text) override { fields.edit4 = text; }
    void showWarning(const QString &text, const QString &caption, int flags) override
    {
        warnings.append({text, caption, flags});
        fieldsWhenWarned = fields;
    }
};

const QString NoAddress = QStringLiteral("0 or DHCPサーバ割当");
const QString NoMac = QStringLiteral("取得出来ません");
const Warning NoMacWarning{
    QStringLiteral("MACアドレスを取得出来ません、ネットワークカードが正しく認識されていない可能性があります。"),
    QStringLiteral("Mirevo For Windows"), 64};
const QString Mac = QStringLiteral("00-1A-2B-3C-4D-5E");

char *toString(const Fields &f)
{
    return QTest::toString(QStringLiteral("Edit7=\"%1\" Edit6=\"%2\" Edit5=\"%3\" Edit4=\"%4\"")
                               .arg(f.edit7, f.edit6, f.edit5, f.edit4));
}

char *toString(const Warning &w)
{
    return QTest::toString(QStringLiteral("\"%1\" \"%2\" %3").arg(w.text, w.caption).arg(w.flags));
}

enum class Host { Readable, Unreadable };
enum class Lookup { Found, NoAddress };
enum class Reset { Succeeds, Fails };
enum class Status { Succeeds, Fails };

} // namespace

Q_DECLARE_METATYPE(Fields)
Q_DECLARE_METATYPE(Host)
Q_DECLARE_METATYPE(Lookup)
Q_DECLARE_METATYPE(Reset)
Q_DECLARE_METATYPE(Status)

class TestLocalIdentity : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void creation_data();
    void creation();
    void socketLayerRefused_data();
    void socketLayerRefused();
    void showAfterCreation_data();
    void showAfterCreation();
    void showKeepsFieldsOnFailure_data();
    void showKeepsFieldsOnFailure();
    void refresh_data();
    void refresh();
    void refreshShowsChangedAddress();
    void macFormatting_data();
    void macFormatting();
};

void TestLocalIdentity::creation_data()
{
    QTest::addColumn<Host>("host");
    QTest::addColumn<Lookup>("lookup");
    QTest::addColumn<Reset>("reset");
    QTest::addColumn<bool>("warnNoMac");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<bool>("warned");
    QTest::addColumn<QString>("ownIp");
    QTest::addColumn<QString>("ownComputerName");
    QTest::addColumn<QStringList>("calls");

    const QStringList full{QStringLiteral("startSockets(257)"), QStringLiteral("hostName"),
                           QStringLiteral("firstIPv4Address(pc01)"), QStringLiteral("resetAdapter"),
                           QStringLiteral("stopSockets")};
    const QString ip = QStringLiteral("192.168.1.10");
    const QString pc = QStringLiteral("pc01");

    QTest::newRow("everything readable") << Host::Readable << Lookup::Found << Reset::Succeeds << true
                                         << Fields{pc, ip, {}, {}} << false << ip << pc << full;
    QTest::newRow("host name unreadable: no reset, no warning")
        << Host::Unreadable << Lookup::Found << Reset::Fails << true << Fields{} << false << QString()
        << QString()
        << QStringList{QStringLiteral("startSockets(257)"), QStringLiteral("hostName"),
                       QStringLiteral("stopSockets")};
    QTest::newRow("no address: OwnIp is the text shown")
        << Host::Readable << Lookup::NoAddress << Reset::Succeeds << false
        << Fields{pc, NoAddress, {}, {}} << false << NoAddress << pc << full;
    QTest::newRow("reset fails, WarnNoMac off") << Host::Readable << Lookup::Found << Reset::Fails << false
                                                << Fields{pc, ip, {}, NoMac} << false << ip << pc << full;
    QTest::newRow("reset fails, WarnNoMac on") << Host::Readable << Lookup::Found << Reset::Fails << true
                                               << Fields{pc, ip, {}, NoMac} << true << ip << pc << full;
}

void TestLocalIdentity::creation()
{
    QFETCH(Host, host);
    QFETCH(Lookup, lookup);
    QFETCH(Reset, reset);
    QFETCH(bool, warnNoMac);
    QFETCH(Fields, fields);
    QFETCH(bool, warned);
    QFETCH(QString, ownIp);
    QFETCH(QString, ownComputerName);
    QFETCH(QStringList, calls);

    FakeOsQueries os;
    if (host == Host::Unreadable)
        os.host.reset();
    if (lookup == Lookup::NoAddress)
        os.address.reset();
    os.resetSucceeds = reset == Reset::Succeeds;
    RecordingView view;

    const LocalIdentity::AtCreation result = LocalIdentity(os, view).create(warnNoMac);

    QCOMPARE(view.fields, fields);
    QCOMPARE(view.warnings, warned ? QList<Warning>{NoMacWarning} : QList<Warning>{});
    if (warned) // the box is up with the failure already in the field
        QCOMPARE(view.fieldsWhenWarned, fields);
    QVERIFY(result.socketsStarted);
    QCOMPARE(result.ownIp, ownIp);
    QCOMPARE(result.ownComputerName, ownComputerName);
    QCOMPARE(os.calls, calls);
    QCOMPARE(os.socketsRunning, 0);
}

void TestLocalIdentity::socketLayerRefused_data()
{
    QTest::addColumn<bool>("started");
    QTest::addColumn<int>("grantedVersion");
    QTest::addColumn<QStringList>("calls");

    QTest::newRow("start fails") << false << 0 << QStringList{QStringLiteral("startSockets(257)")};
    QTest::newRow("version 2.2 granted, stopped again")
        << true << 0x0202 << QStringList{QStringLiteral("startSockets(257)"), QStringLiteral("stopSockets")};
    QTest::newRow("version 1.0 granted, stopped again")
        << true << 0x0001 << QStringList{QStringLiteral("startSockets(257)"), QStringLiteral("stopSockets")};
}

// Neither the creation nor a refresh touches a field when the socket layer is refused.
void TestLocalIdentity::socketLayerRefused()
{
    QFETCH(bool, started);
    QFETCH(int, grantedVersion);
    QFETCH(QStringList, calls);

    FakeOsQueries os;
    os.socketStart = {started, static_cast<quint16>(grantedVersion)};
    os.resetSucceeds = false;
    RecordingView view;
    LocalIdentity identity(os, view);

    const LocalIdentity::AtCreation result = identity.create(true);
    QVERIFY(!result.socketsStarted);
    QCOMPARE(result.ownIp, QString());
    QCOMPARE(result.ownComputerName, QString());
    QCOMPARE(os.calls, calls);

    const Fields before{QStringLiteral("old"), QStringLiteral("10.0.0.1"), QStringLiteral("hanako"),
                        QStringLiteral("AA-BB-CC-DD-EE-FF")};
    view.fields = before;
    os.calls.clear();
    identity.refresh(true);
    QCOMPARE(view.fields, before);
    QCOMPARE(os.calls, calls);
    QVERIFY(view.warnings.isEmpty());
    QCOMPARE(os.socketsRunning, 0);
}

void TestLocalIdentity::showAfterCreation_data()
{
    QTest::addColumn<Reset>("reset");
    QTest::addColumn<Status>("status");
    QTest::addColumn<QString>("edit4");

    QTest::newRow("good reset, status fails: stays empty") << Reset::Succeeds << Status::Fails << QString();
    QTest::newRow("failed reset, status fails: keeps the failure") << Reset::Fails << Status::Fails << NoMac;
    QTest::newRow("failed reset, status succeeds: the MAC") << Reset::Fails << Status::Succeeds << Mac;
    QTest::newRow("good reset, status succeeds") << Reset::Succeeds << Status::Succeeds << Mac;
}

void TestLocalIdentity::showAfterCreation()
{
    QFETCH(Reset, reset);
    QFETCH(Status, status);
    QFETCH(QString, edit4);

    FakeOsQueries os;
    os.resetSucceeds = reset == Reset::Succeeds;
    if (status == Status::Fails)
        os.mac.reset();
    RecordingView view;
    LocalIdentity identity(os, view);

    identity.create(true);
    identity.show();

    QCOMPARE(view.fields.edit4, edit4);
    QCOMPARE(view.fields.edit5, QStringLiteral("taro"));
    QCOMPARE(view.warnings.size(), reset == Reset::Fails ? 1 : 0);
}

void TestLocalIdentity::showKeepsFieldsOnFailure_data()
{
    QTest::addColumn<bool>("userReadable");
    QTest::addColumn<bool>("statusReadable");
    QTest::addColumn<Fields>("fields");

    const Fields before{QStringLiteral("pc01"), QStringLiteral("192.168.1.10"), QStringLiteral("hanako"),
                        QStringLiteral("AA-BB-CC-DD-EE-FF")};
    QTest::newRow("both readable") << true << true
                                   << Fields{before.edit7, before.edit6, QStringLiteral("taro"), Mac};
    QTest::newRow("user unreadable") << false << true << Fields{before.edit7, before.edit6, before.edit5, Mac};
    QTest::newRow("status unreadable: last MAC stays")
        << true << false << Fields{before.edit7, before.edit6, QStringLiteral("taro"), before.edit4};
}

// A later show (a restore from the tray) reads the user name and MAC again, and only those.
void TestLocalIdentity::showKeepsFieldsOnFailure()
{
    QFETCH(bool, userReadable);
    QFETCH(bool, statusReadable);
    QFETCH(Fields, fields);

    FakeOsQueries os;
    if (!userReadable)
        os.user.reset();
    if (!statusReadable)
        os.mac.reset();
    RecordingView view;
    view.fields = {QStringLiteral("pc01"), QStringLiteral("192.168.1.10"), QStringLiteral("hanako"),
                   QStringLiteral("AA-BB-CC-DD-EE-FF")};

    LocalIdentity(os, view).show();

    QCOMPARE(view.fields, fields);
    QCOMPARE(os.calls, (QStringList{QStringLiteral("userName"), QStringLiteral("adapterStatus")}));
}

void TestLocalIdentity::refresh_data()
{
    QTest::addColumn<Host>("host");
    QTest::addColumn<Reset>("reset");
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("warnNoMac");
    QTest::addColumn<Fields>("fields");
    QTest::addColumn<bool>("warned");

    const QString newIp = QStringLiteral("10.1.2.3");
    const QString pc = QStringLiteral("pc02");
    const QString user = QStringLiteral("taro");

    QTest::newRow("new name and address") << Host::Readable << Reset::Succeeds << Status::Succeeds << true
                                          << Fields{pc, newIp, user, Mac} << false;
    QTest::newRow("host name unreadable: name and address stay, user and MAC read")
        << Host::Unreadable << Reset::Fails << Status::Succeeds << true
        << Fields{QStringLiteral("pc01"), QStringLiteral("192.168.1.10"), user, Mac} << false;
    QTest::newRow("reset fails with WarnNoMac: warned again, then the MAC")
        << Host::Readable << Reset::Fails << Status::Succeeds << true << Fields{pc, newIp, user, Mac} << true;
    QTest::newRow("reset and status fail without WarnNoMac")
        << Host::Readable << Reset::Fails << Status::Fails << false << Fields{pc, newIp, user, NoMac} << false;
}

void TestLocalIdentity::refresh()
{
    QFETCH(Host, host);
    QFETCH(Reset, reset);
    QFETCH(Status, status);
    QFETCH(bool, warnNoMac);
    QFETCH(Fields, fields);
    QFETCH(bool, warned);

    FakeOsQueries os;
    RecordingView view;
    view.fields = {QStringLiteral("pc01"), QStringLiteral("192.168.1.10"), QStringLiteral("hanako"),
                   QStringLiteral("AA-BB-CC-DD-EE-FF")};
    os.host = host == Host::Readable ? std::optional(QStringLiteral("pc02")) : std::nullopt;
    os.address = QStringLiteral("10.1.2.3");
    os.resetSucceeds = reset == Reset::Succeeds;
    if (status == Status::Fails)
        os.mac.reset();

    LocalIdentity(os, view).refresh(warnNoMac);

    QCOMPARE(view.fields, fields);
    QCOMPARE(view.warnings, warned ? QList<Warning>{NoMacWarning} : QList<Warning>{});
    if (warned)
        QCOMPARE(view.fieldsWhenWarned.edit4, NoMac);
    QCOMPARE(os.socketsRunning, 0);
    // The socket layer is stopped before the user name and MAC are read.
    QCOMPARE(os.calls.mid(os.calls.indexOf(QStringLiteral("stopSockets"))),
             (QStringList{QStringLiteral("stopSockets"), QStringLiteral("userName"),
                          QStringLiteral("adapterStatus")}));
}

// OwnIp and OwnComputerName come from the creation's result only, which the window keeps;
// a refresh after the address changed shows the new address in the field.
void TestLocalIdentity::refreshShowsChangedAddress()
{
    FakeOsQueries os;
    RecordingView view;
    LocalIdentity identity(os, view);
    const LocalIdentity::AtCreation atStart = identity.create(false);
    QCOMPARE(atStart.ownIp, QStringLiteral("192.168.1.10"));

    os.address = QStringLiteral("192.168.1.77");
    os.host = QStringLiteral("renamed");
    identity.refresh(false);

    QCOMPARE(view.fields.edit6, QStringLiteral("192.168.1.77"));
    QCOMPARE(view.fields.edit7, QStringLiteral("renamed"));
}

void TestLocalIdentity::macFormatting_data()
{
    QTest::addColumn<MacAddress>("mac");
    QTest::addColumn<QString>("text");

    QTest::newRow("leading zero, upper case") << MacAddress{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E} << Mac;
    QTest::newRow("all bits") << MacAddress{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}
                              << QStringLiteral("FF-FF-FF-FF-FF-FF");
    QTest::newRow("small values") << MacAddress{0x02, 0x11, 0x00, 0x0A, 0x01, 0xB0}
                                  << QStringLiteral("02-11-00-0A-01-B0");
}

void TestLocalIdentity::macFormatting()
{
    QFETCH(MacAddress, mac);
    QFETCH(QString, text);

    FakeOsQueries os;
    os.mac = mac;
    RecordingView view;
    LocalIdentity(os, view).show();
    QCOMPARE(view.fields.edit4, text);
}

QTEST_GUILESS_MAIN(TestLocalIdentity)
#include "tst_localidentity.moc"
