// The Linux identity queries on real interfaces, inside a private network namespace:
// first with only the loopback interface, then with a veth pair whose address and
// hardware address the test chooses.

#include "platform/linuxosqueries.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <QProcess>
#include <QtTest>

namespace {

// Runs `ip` with space-separated arguments.
bool ip(const QString &command)
{
    const QStringList arguments = command.split(QLatin1Char(' '));
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    if (!process.waitForFinished() || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << "ip" << arguments << process.readAllStandardError();
        return false;
    }
    return true;
}

bool isRunning(const QString &name)
{
    return QNetworkInterface::interfaceFromName(name).flags().testFlag(QNetworkInterface::IsRunning);
}

// What the address query must answer for `host` when `machineAddress` is the first IPv4
// address of an up, running, non-loopback interface (empty when there is none).
std::optional<QString> expectedAddress(const QString &host, const QString &machineAddress)
{
    const QHostInfo info = QHostInfo::fromName(host);
    QList<QHostAddress> v4;
    for (const QHostAddress &a : info.addresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol)
            v4.append(a);
    if (info.error() != QHostInfo::NoError || v4.isEmpty())
        return std::nullopt;
    const bool onlyLoopback = std::all_of(v4.cbegin(), v4.cend(), [](const QHostAddress &a) { return a.isLoopback(); });
    if (onlyLoopback && !machineAddress.isEmpty())
        return machineAddress;
    return v4.first().toString();
}

} // namespace

class TestLinuxOsQueries : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void socketLayerAlwaysStarts();
    void userName();
    void onlyLoopback();
    void vethPair();
    void cleanupTestCase();
};

void TestLinuxOsQueries::initTestCase()
{
    if (qgetenv("MIREVO_IN_NETNS") != "1")
        QSKIP("creates interfaces: runs only in the private network namespace of run-in-netns.sh");
}

void TestLinuxOsQueries::socketLayerAlwaysStarts()
{
    LinuxOsQueries os;
    const OsQueries::SocketStart start = os.startSockets(257);
    QVERIFY(start.started);
    QCOMPARE(start.grantedVersion, quint16(257));
    os.stopSockets();
}

void TestLinuxOsQueries::userName()
{
    LinuxOsQueries os;
    const std::optional<QString> name = os.userName();
    QVERIFY(name.has_value());
    QProcess id;
    id.start(QStringLiteral("id"), {QStringLiteral("-un")});
    QVERIFY(id.waitForFinished());
    QCOMPARE(*name, QString::fromLocal8Bit(id.readAllStandardOutput()).trimmed());
}

void TestLinuxOsQueries::onlyLoopback()
{
    LinuxOsQueries os;

    QVERIFY(!os.resetAdapter());
    QVERIFY(!os.adapterStatus());

    // Without another interface a loopback-only answer stands.
    const std::optional<QString> local = os.firstIPv4Address(QStringLiteral("localhost"));
    QVERIFY(local);
    QVERIFY(QHostAddress(*local).isLoopback());

    QCOMPARE(os.firstIPv4Address(QStringLiteral("10.77.0.9")), std::optional(QStringLiteral("10.77.0.9")));
    QCOMPARE(os.firstIPv4Address(QStringLiteral("no-such-host.invalid")), std::nullopt);

    const std::optional<QString> host = os.hostName();
    QVERIFY(host && !host->isEmpty());
    QCOMPARE(os.firstIPv4Address(*host), expectedAddress(*host, {}));
}

void TestLinuxOsQueries::vethPair()
{
    // Fixed indexes: the kernel registers a veth peer before the device itself.
    QVERIFY(ip(QStringLiteral("link add v0 index 100 address 02:11:22:33:44:55 type veth peer name v1 index 101 address 02:11:22:33:44:66")));
    QVERIFY(ip(QStringLiteral("addr add 10.77.0.2/24 dev v0")));
    QVERIFY(ip(QStringLiteral("link set v0 up")));
    QVERIFY(ip(QStringLiteral("link set v1 up")));
    QTRY_VERIFY(isRunning(QStringLiteral("v0")));

    LinuxOsQueries os;
    QVERIFY(os.resetAdapter());
    QCOMPARE(os.adapterStatus(), std::optional(MacAddress{0x02, 0x11, 0x22, 0x33, 0x44, 0x55}));

    // A name that resolves to loopback only gives the machine's address.
    QCOMPARE(os.firstIPv4Address(QStringLiteral("localhost")), std::optional(QStringLiteral("10.77.0.2")));
    QCOMPARE(os.firstIPv4Address(QStringLiteral("10.77.0.9")), std::optional(QStringLiteral("10.77.0.9")));
    const std::optional<QString> host = os.hostName();
    QVERIFY(host);
    QCOMPARE(os.firstIPv4Address(*host), expectedAddress(*host, QStringLiteral("10.77.0.2")));

    // With v0 down its address is gone and the adapter is the next interface that is up,
    // even without a carrier.
    QVERIFY(ip(QStringLiteral("link set v0 down")));
    QTRY_VERIFY(!isRunning(QStringLiteral("v1")));
    QCOMPARE(os.adapterStatus(), std::optional(MacAddress{0x02, 0x11, 0x22, 0x33, 0x44, 0x66}));
    const std::optional<QString> local = os.firstIPv4Address(QStringLiteral("localhost"));
    QVERIFY(local && QHostAddress(*local).isLoopback());
}

void TestLinuxOsQueries::cleanupTestCase()
{
    if (QNetworkInterface::interfaceFromName(QStringLiteral("v0")).isValid())
        ip(QStringLiteral("link del v0"));
}

QTEST_GUILESS_MAIN(TestLinuxOsQueries)
#include "tst_linuxosqueries.moc"
