// The presence server's protocol logic: reading announcements, the registry with its
// clock, where answers go, and the list as clients see it.

#include "tools/server/duration.h"
#include "tools/server/participantlist.h"
#include "tools/server/participants.h"
#include "tools/server/presencemessage.h"

#include <QTest>

using namespace std::chrono_literals;
using Kind = PresenceMessage::Kind;
using namespace Qt::StringLiterals;

namespace QTest {
template <> char *toString(const PresenceMessage &m) {
    static const char *const kinds[] = {"Connected", "Disconnected", "Query", "Malformed"};
    return qstrdup(QStringLiteral("%1(\"%2\", \"%3\")")
                       .arg(QString::fromLatin1(kinds[int(m.kind)]), m.computer, m.address)
                       .toUtf8()
                       .constData());
}
template <> char *toString(const Participant &p) {
    return qstrdup(QStringLiteral("Participant(\"%1\", %2, since %3, seen %4)")
                       .arg(p.computer, p.address, p.since.toString(Qt::ISODate),
                            p.lastSeen.toString(Qt::ISODate))
                       .toUtf8()
                       .constData());
}
} // namespace QTest

// A clock the test moves by hand.
struct ManualClock {
    QDateTime now{QDate(2024, 5, 1), QTime(9, 0)};
    Participants::Clock function() {
        return [this] { return now; };
    }
};

class TestServerRegistry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsesMessages_data();
    void parsesMessages();
    void chooseReplyDestination_data();
    void chooseReplyDestination();
    void connectAndDisconnect();
    void secondConnectFromAnAddressReplacesIt();
    void disconnectOfUnknownChangesNothing_data();
    void disconnectOfUnknownChangesNothing();
    void expiresSilentParticipants();
    void neverExpiresWithZero();
    void listIsSortedByNameThenAddress();
    void formatsList();
    void formatsEmptyList();
    void makesEveryNameSendableOnOneLine_data();
    void makesEveryNameSendableOnOneLine();
    void splitsLongListsIntoMessagesThatFit();
    void parsesDurations_data();
    void parsesDurations();
    void printsDurationsItReadsBack_data();
    void printsDurationsItReadsBack();
};

void TestServerRegistry::parsesMessages_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<PresenceMessage>("expected");
    const QString conn = QStringLiteral(" Connected 接続されました");
    const QString disc = QStringLiteral(" Disconnected 切断されました");

    QTest::newRow("start") << (u" PC1 10.0.0.2"_s + conn)
                           << PresenceMessage{Kind::Connected, u"PC1"_s, u"10.0.0.2"_s};
    QTest::newRow("close") << (u" PC1 10.0.0.2"_s + disc)
                           << PresenceMessage{Kind::Disconnected, u"PC1"_s, u"10.0.0.2"_s};
    QTest::newRow("query") << u"0"_s << PresenceMessage{Kind::Query, {}, {}};
    QTest::newRow("japanese name")
        << (u" 営業部のパソコン 192.168.1.20"_s + conn)
        << PresenceMessage{Kind::Connected, u"営業部のパソコン"_s, u"192.168.1.20"_s};
    QTest::newRow("name with blanks")
        << (u" My PC 10.0.0.2"_s + disc)
        << PresenceMessage{Kind::Disconnected, u"My PC"_s, u"10.0.0.2"_s};
    QTest::newRow("client without address")
        << (u" PC1 "_s + conn) << PresenceMessage{Kind::Connected, u"PC1"_s, {}};
    QTest::newRow("client without name or address")
        << (u"  "_s + conn) << PresenceMessage{Kind::Connected, {}, {}};
    QTest::newRow("leading zeros name the same machine")
        << (u" PC1 010.000.0.2"_s + conn)
        << PresenceMessage{Kind::Connected, u"PC1"_s, u"10.0.0.2"_s};

    const PresenceMessage malformed;
    QTest::newRow("empty") << QString() << malformed;
    QTest::newRow("query with blank") << u"0 "_s << malformed;
    QTest::newRow("other number") << u"1"_s << malformed;
    QTest::newRow("ordinary message") << u"taro > hello"_s << malformed;
    QTest::newRow("no leading blank") << (u"PC1 10.0.0.2"_s + conn) << malformed;
    QTest::newRow("tail only") << conn << malformed;
    QTest::newRow("only one word") << (u" PC1"_s + conn) << malformed;
    QTest::newRow("address not dotted") << (u" PC1 pc1.example"_s + conn) << malformed;
    QTest::newRow("address out of range") << (u" PC1 10.0.0.256"_s + conn) << malformed;
    QTest::newRow("short address") << (u" PC1 10.2"_s + conn) << malformed;
    QTest::newRow("english word only") << u" PC1 10.0.0.2 Connected"_s << malformed;
    QTest::newRow("text after tail") << (u" PC1 10.0.0.2"_s + conn + u"\r\n"_s) << malformed;
    QTest::newRow("lower case") << u" PC1 10.0.0.2 connected 接続されました"_s << malformed;
}

void TestServerRegistry::parsesMessages() {
    QFETCH(QString, text);
    QFETCH(PresenceMessage, expected);
    QCOMPARE(parsePresenceMessage(text), expected);
}

void TestServerRegistry::chooseReplyDestination_data() {
    QTest::addColumn<QString>("senderField");
    QTest::addColumn<QHostAddress>("peer");
    QTest::addColumn<QString>("expected");
    const QHostAddress peer(u"10.0.0.7"_s);
    QTest::newRow("sender field") << u"10.0.0.2"_s << peer << u"10.0.0.2"_s;
    QTest::newRow("empty field") << QString() << peer << u"10.0.0.7"_s;
    QTest::newRow("host name in field") << u"pc1"_s << peer << u"10.0.0.7"_s;
    QTest::newRow("field 0.0.0.0") << u"0.0.0.0"_s << peer << u"10.0.0.7"_s;
    QTest::newRow("field broadcast") << u"255.255.255.255"_s << peer << u"10.0.0.7"_s;
    QTest::newRow("field with blank") << u" 10.0.0.2"_s << peer << u"10.0.0.7"_s;
    QTest::newRow("field leading zeros") << u"010.0.0.02"_s << peer << u"10.0.0.2"_s;
    QTest::newRow("mapped peer") << QString() << QHostAddress(u"::ffff:10.0.0.9"_s)
                                 << u"10.0.0.9"_s;
    QTest::newRow("no IPv4 anywhere") << QString() << QHostAddress(u"fe80::1"_s) << QString();
}

void TestServerRegistry::chooseReplyDestination() {
    QFETCH(QString, senderField);
    QFETCH(QHostAddress, peer);
    QFETCH(QString, expected);
    QCOMPARE(replyDestination(senderField, peer), expected);
}

void TestServerRegistry::connectAndDisconnect() {
    ManualClock clock;
    Participants registry(clock.function(), 24h);
    QCOMPARE(registry.connect(u"PC1"_s, u"10.0.0.2"_s), Participants::Change::Added);
    clock.now = clock.now.addSecs(60);
    QCOMPARE(registry.connect(u"PC2"_s, u"10.0.0.3"_s), Participants::Change::Added);
    QCOMPARE(registry.list(),
             (QList<Participant>{
                 {u"PC1"_s, u"10.0.0.2"_s, QDateTime(QDate(2024, 5, 1), QTime(9, 0)),
                  QDateTime(QDate(2024, 5, 1), QTime(9, 0))},
                 {u"PC2"_s, u"10.0.0.3"_s, QDateTime(QDate(2024, 5, 1), QTime(9, 1)),
                  QDateTime(QDate(2024, 5, 1), QTime(9, 1))},
             }));

    QCOMPARE(registry.disconnect(u"PC1"_s, u"10.0.0.2"_s), Participants::Change::Removed);
    QCOMPARE(registry.size(), 1);
    QCOMPARE(registry.list().constFirst().computer, u"PC2"_s);
}

void TestServerRegistry::secondConnectFromAnAddressReplacesIt() {
    ManualClock clock;
    Participants registry(clock.function(), 24h);
    registry.connect(u"PC1"_s, u"10.0.0.2"_s);
    clock.now = clock.now.addSecs(3600);
    QCOMPARE(registry.connect(u"PC1-new"_s, u"10.0.0.2"_s), Participants::Change::Renewed);
    QCOMPARE(registry.list(),
             (QList<Participant>{{u"PC1-new"_s, u"10.0.0.2"_s, clock.now, clock.now}}));
}

void TestServerRegistry::disconnectOfUnknownChangesNothing_data() {
    QTest::addColumn<QString>("computer");
    QTest::addColumn<QString>("address");
    QTest::newRow("unknown address") << u"PC1"_s << u"10.0.0.9"_s;
    QTest::newRow("other name at the address") << u"PC9"_s << u"10.0.0.2"_s;
}

void TestServerRegistry::disconnectOfUnknownChangesNothing() {
    QFETCH(QString, computer);
    QFETCH(QString, address);
    ManualClock clock;
    Participants registry(clock.function(), 24h);
    registry.connect(u"PC1"_s, u"10.0.0.2"_s);
    const QList<Participant> before = registry.list();
    QCOMPARE(registry.disconnect(computer, address), Participants::Change::Unknown);
    QCOMPARE(registry.list(), before);
}

void TestServerRegistry::expiresSilentParticipants() {
    ManualClock clock;
    Participants registry(clock.function(), 24h);
    const QDateTime start = clock.now;
    registry.connect(u"PC1"_s, u"10.0.0.2"_s);
    registry.connect(u"PC2"_s, u"10.0.0.3"_s);

    clock.now = start.addSecs(20 * 3600);
    registry.seen(u"10.0.0.3"_s);  // PC2 asked for the list
    registry.seen(u"10.0.0.99"_s); // not a participant: nothing happens

    clock.now = start.addSecs(24 * 3600);
    QVERIFY(registry.expire().isEmpty()); // exactly the expiry time is not yet too long

    clock.now = start.addSecs(24 * 3600 + 1);
    const QList<Participant> expired = registry.expire();
    QCOMPARE(expired.size(), 1);
    QCOMPARE(expired.constFirst().computer, u"PC1"_s);
    QCOMPARE(registry.size(), 1);
    QCOMPARE(registry.find(u"10.0.0.3"_s)->since, start); // a query does not reset "since"

    clock.now = start.addSecs(44 * 3600 + 1);
    QCOMPARE(registry.expire().size(), 1);
    QCOMPARE(registry.size(), 0);
}

void TestServerRegistry::neverExpiresWithZero() {
    ManualClock clock;
    Participants registry(clock.function(), 0s);
    registry.connect(u"PC1"_s, u"10.0.0.2"_s);
    clock.now = clock.now.addYears(1);
    QVERIFY(registry.expire().isEmpty());
    QCOMPARE(registry.size(), 1);
}

void TestServerRegistry::listIsSortedByNameThenAddress() {
    ManualClock clock;
    Participants registry(clock.function(), 24h);
    registry.connect(u"pc2"_s, u"10.0.0.10"_s);
    registry.connect(u"PC1"_s, u"10.0.0.11"_s);
    registry.connect(u"PC1"_s, u"10.0.0.9"_s);
    registry.connect(u"PC1"_s, u"10.0.0.100"_s);
    QStringList order;
    for (const Participant &p : registry.list())
        order << p.computer + u' ' + p.address;
    QCOMPARE(order, (QStringList{u"PC1 10.0.0.9"_s, u"PC1 10.0.0.11"_s, u"PC1 10.0.0.100"_s,
                                 u"pc2 10.0.0.10"_s}));
}

void TestServerRegistry::formatsList() {
    const QDateTime t1(QDate(2024, 5, 1), QTime(9, 0));
    const QDateTime t2(QDate(2024, 5, 1), QTime(9, 5));
    const QList<Participant> participants{
        {u"PC1"_s, u"10.0.0.2"_s, t1, t1},
        {u"営業部"_s, u"10.0.0.3"_s, t2, t2},
        {QString(), u"10.0.0.4"_s, t2, t2},
    };
    QCOMPARE(formatParticipantList(participants, QDateTime(QDate(2024, 5, 1), QTime(10, 23))),
             QStringList{u"Mirevo Server > 参加ユーザー 3 人 (2024/05/01 10:23 現在)\r\n"
                         "  PC1  10.0.0.2  2024/05/01 09:00 から\r\n"
                         "  営業部  10.0.0.3  2024/05/01 09:05 から\r\n"
                         "  (名前なし)  10.0.0.4  2024/05/01 09:05 から"_s});
}

void TestServerRegistry::formatsEmptyList() {
    QCOMPARE(formatParticipantList({}, QDateTime(QDate(2024, 5, 1), QTime(10, 23))),
             QStringList{u"Mirevo Server > 参加ユーザー 0 人 (2024/05/01 10:23 現在)"_s});
}

void TestServerRegistry::makesEveryNameSendableOnOneLine_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << u"PC1"_s << u"PC1"_s;
    QTest::newRow("wave dash and circled digit") << u"PC～①"_s << u"PC～①"_s;
    QTest::newRow("line break") << u"PC\r\n1"_s << u"PC??1"_s;
    QTest::newRow("tab") << u"PC\t1"_s << u"PC?1"_s;
    QTest::newRow("replacement character") << u"PC\uFFFD"_s << u"PC?"_s;
    QTest::newRow("emoji") << u"PC\U0001F600!"_s << u"PC?!"_s;
    QTest::newRow("hangul") << u"PC한"_s << u"PC?"_s;
    QTest::newRow("too long") << QString(70, u'x') << QString(63, u'x') + u'…';
}

void TestServerRegistry::makesEveryNameSendableOnOneLine() {
    QFETCH(QString, name);
    QFETCH(QString, shown);
    const QDateTime t(QDate(2024, 5, 1), QTime(9, 0));
    const QStringList texts = formatParticipantList({{name, u"10.0.0.2"_s, t, t}}, t);
    QCOMPARE(texts.size(), 1);
    const QStringList lines = texts.constFirst().split(u"\r\n"_s);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.at(1), u"  %1  10.0.0.2  2024/05/01 09:00 から"_s.arg(shown));
}

void TestServerRegistry::splitsLongListsIntoMessagesThatFit() {
    const QDateTime t(QDate(2024, 5, 1), QTime(9, 0));
    QList<Participant> participants;
    for (int i = 0; i < 400; ++i)
        participants.append({u"コンピュータ%1"_s.arg(i, 3, 10, QLatin1Char('0')),
                             u"10.0.%1.%2"_s.arg(i / 250).arg(i % 250), t, t});

    const QStringList texts = formatParticipantList(participants, t);
    QVERIFY2(texts.size() > 1, "400 participants do not fit one message");
    QStringList lines;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        QVERIFY2(wireSize(texts.at(i)) <= maxMessageBytes,
                 qPrintable(u"part %1: %2 bytes"_s.arg(i).arg(wireSize(texts.at(i)))));
        QStringList partLines = texts.at(i).split(u"\r\n"_s);
        QCOMPARE(
            partLines.takeFirst(),
            u"Mirevo Server > 参加ユーザー 400 人 (2024/05/01 09:00 現在) %1/%2"_s.arg(i + 1).arg(
                texts.size()));
        lines += partLines;
    }
    QCOMPARE(lines.size(), 400);
    QCOMPARE(lines.constFirst(), u"  コンピュータ000  10.0.0.0  2024/05/01 09:00 から"_s);
    QCOMPARE(lines.constLast(), u"  コンピュータ399  10.0.1.149  2024/05/01 09:00 から"_s);

    // A tight limit still puts at least one participant in each message.
    QCOMPARE(formatParticipantList(participants.mid(0, 3), t, 10).size(), 3);
}

void TestServerRegistry::parsesDurations_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("seconds"); // -1: refused
    QTest::newRow("hours") << u"24h"_s << qint64(86400);
    QTest::newRow("bare number counts hours") << u"2"_s << qint64(7200);
    QTest::newRow("minutes") << u"90m"_s << qint64(5400);
    QTest::newRow("seconds") << u"3s"_s << qint64(3);
    QTest::newRow("days") << u"7d"_s << qint64(7 * 86400);
    QTest::newRow("never") << u"0"_s << qint64(0);
    QTest::newRow("empty") << QString() << qint64(-1);
    QTest::newRow("negative") << u"-1h"_s << qint64(-1);
    QTest::newRow("plus sign") << u"+1h"_s << qint64(-1);
    QTest::newRow("unit only") << u"h"_s << qint64(-1);
    QTest::newRow("unknown unit") << u"3w"_s << qint64(-1);
    QTest::newRow("overflow") << u"99999999999999d"_s << qint64(-1);
}

void TestServerRegistry::parsesDurations() {
    QFETCH(QString, text);
    QFETCH(qint64, seconds);
    const auto parsed = parseDuration(text);
    if (seconds < 0)
        QVERIFY2(!parsed, qPrintable(u"accepted as %1 s"_s.arg(parsed ? parsed->count() : 0)));
    else
        QCOMPARE(parsed.value_or(-1s).count(), seconds);
}

void TestServerRegistry::printsDurationsItReadsBack_data() {
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("never") << qint64(0) << u"0"_s;
    QTest::newRow("day") << qint64(86400) << u"1d"_s;
    QTest::newRow("hours") << qint64(7200) << u"2h"_s;
    QTest::newRow("minutes") << qint64(5400) << u"90m"_s;
    QTest::newRow("seconds") << qint64(61) << u"61s"_s;
}

void TestServerRegistry::printsDurationsItReadsBack() {
    QFETCH(qint64, seconds);
    QFETCH(QString, text);
    QCOMPARE(formatDuration(std::chrono::seconds(seconds)), text);
    QCOMPARE(parseDuration(text).value_or(-1s).count(), seconds);
}

QTEST_GUILESS_MAIN(TestServerRegistry)
#include "tst_server_registry.moc"
