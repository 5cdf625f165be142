// The wire format: counted fields, the reply and the listener's reading rules, with every
// input also fed in two pieces split at each byte boundary.

#include "net/wirecodec.h"

#include <QTest>

using namespace Qt::StringLiterals;
using wire::MessageDecoder;
using Status = MessageDecoder::Status;

namespace {

struct Decoded {
    Status status;
    QByteArray sender;
    QByteArray text;
    qsizetype consumed;  // of the whole input, when complete
    bool operator==(const Decoded &) const = default;
};

const char *statusName(Status s)
{
    switch (s) {
    case Status::NeedMore: return "NeedMore";
    case Status::Complete: return "Complete";
    case Status::NotANumber: return "NotANumber";
    }
    return "?";
}

// Feeds the input in the given pieces; closes the stream at the end when peerCloses.
Decoded decode(const QList<QByteArray> &pieces, bool peerCloses)
{
    MessageDecoder decoder;
    qsizetype consumed = 0;
    for (const QByteArray &piece : pieces) {
        const MessageDecoder::Result r = decoder.feed(piece);
        consumed += r.consumed;
        if (r.status != Status::NeedMore)
            break;
    }
    const Status status = peerCloses ? decoder.finish() : decoder.status();
    return {status, decoder.sender(), decoder.text(), status == Status::Complete ? consumed : -1};
}

} // namespace

namespace QTest {
template <>
char *toString(const Decoded &d)
{
    return qstrdup(QByteArray(statusName(d.status)) + " sender=" + d.sender.toHex(' ') + " text="
                   + d.text.toHex(' ') + " consumed=" + QByteArray::number(d.consumed));
}
} // namespace QTest

class TestWireCodec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void encodeField_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty") << QByteArray() << "0000"_ba;
        QTest::newRow("ascii") << "abc"_ba << "0003abc"_ba;
        QTest::newRow("three double-byte characters count 6")
                << "\x82\xa0\x82\xa2\x82\xa4"_ba << "0006\x82\xa0\x82\xa2\x82\xa4"_ba;
        QTest::newRow("9999 bytes") << QByteArray(9999, 'x') << "9999"_ba + QByteArray(9999, 'x');
    }
    void encodeField()
    {
        QFETCH(QByteArray, field);
        QFETCH(QByteArray, expected);
        QCOMPARE(wire::encodeField(field), expected);
    }

    void reply() { QCOMPARE(wire::reply(), "OK" + QByteArray(14, ' ')); }

    void parseCount_data()
    {
        QTest::addColumn<QByteArray>("chars");
        QTest::addColumn<int>("value");  // -1000: not a number
        const int nan = -1000;
        QTest::newRow("zero-padded") << "0012"_ba << 12;
        QTest::newRow("zero") << "0000"_ba << 0;
        QTest::newRow("most") << "9999"_ba << 9999;
        QTest::newRow("leading blanks") << "  12"_ba << 12;
        QTest::newRow("plus sign") << "+012"_ba << 12;
        QTest::newRow("blanks then sign") << " +12"_ba << 12;
        QTest::newRow("negative") << "-005"_ba << -5;
        QTest::newRow("minus zero") << "-000"_ba << 0;
        QTest::newRow("four letters") << "abcd"_ba << nan;
        QTest::newRow("four blanks") << "    "_ba << nan;
        QTest::newRow("sign alone") << "   +"_ba << nan;
        QTest::newRow("trailing blank") << "012 "_ba << nan;
        QTest::newRow("digits then letter") << "12ab"_ba << nan;
        QTest::newRow("two signs") << "+-12"_ba << nan;
        QTest::newRow("tab is no blank") << "\t012"_ba << nan;
        QTest::newRow("zero byte") << "00\x00" "1"_ba << nan;
    }
    void parseCount()
    {
        QFETCH(QByteArray, chars);
        QFETCH(int, value);
        QCOMPARE(wire::parseCount(chars).value_or(-1000), value);
    }

    void decoder_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("peerCloses");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("sender");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("consumed");  // bytes that make up a complete message, else -1
        const int complete = int(Status::Complete), nan = int(Status::NotANumber),
                  more = int(Status::NeedMore);
        QTest::newRow("both fields") << "0009127.0.0.10005hello"_ba << false << complete
                                     << "127.0.0.1"_ba << "hello"_ba << 22;
        QTest::newRow("empty sender, 8-byte text: 16 bytes")
                << "000000081234abcd"_ba << false << complete << ""_ba << "1234abcd"_ba << 16;
        QTest::newRow("both empty") << "00000000"_ba << false << complete << ""_ba << ""_ba << 8;
        QTest::newRow("negative counts are empty fields")
                << "-001 -12"_ba << false << complete << ""_ba << ""_ba << 8;
        QTest::newRow("blank-padded counts")
                << "   1a  +2bc"_ba << false << complete << "a"_ba << "bc"_ba << 11;
        QTest::newRow("bytes after the text are ignored")
                << "0001a0001bEXTRA0005"_ba << false << complete << "a"_ba << "b"_ba << 10;
        QTest::newRow("count of four letters") << "abcd0001x"_ba << false << nan << ""_ba << ""_ba << -1;
        QTest::newRow("text count not a number")
                << "0001aXYZW"_ba << false << nan << "a"_ba << ""_ba << -1;
        QTest::newRow("zero byte inside a field is data")
                << "0002a\x00" "0000"_ba << false << complete << "a\x00"_ba << ""_ba << 10;
        QTest::newRow("9999-byte text") << "0000" "9999"_ba + QByteArray(9999, 'm') << false
                                        << complete << ""_ba << QByteArray(9999, 'm') << 10007;
        QTest::newRow("incomplete text waits")
                << "0000" "0005hel"_ba << false << more << ""_ba << "hel"_ba << -1;
        QTest::newRow("incomplete count waits") << "00"_ba << false << more << ""_ba << ""_ba << -1;

        // The peer closes: a field cut short is empty, a count cut short is not a number.
        QTest::newRow("close before anything") << ""_ba << true << nan << ""_ba << ""_ba << -1;
        QTest::newRow("close mid sender count") << "00"_ba << true << nan << ""_ba << ""_ba << -1;
        QTest::newRow("close mid sender field") << "0005ab"_ba << true << nan << ""_ba << ""_ba << -1;
        QTest::newRow("close after sender field") << "0002ab"_ba << true << nan << "ab"_ba << ""_ba << -1;
        QTest::newRow("close mid text count") << "0002ab00"_ba << true << nan << "ab"_ba << ""_ba << -1;
        QTest::newRow("close mid text: empty text")
                << "0002ab0005hel"_ba << true << complete << "ab"_ba << ""_ba << 13;
        QTest::newRow("close after a complete message")
                << "0002ab0001x"_ba << true << complete << "ab"_ba << "x"_ba << 11;
    }
    void decoder()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, peerCloses);
        QFETCH(int, status);
        QFETCH(QByteArray, sender);
        QFETCH(QByteArray, text);
        QFETCH(int, consumed);
        const Decoded expected{Status(status), sender, text, consumed};

        QCOMPARE(decode({input}, peerCloses), expected);
        for (qsizetype cut = 0; cut <= input.size(); ++cut) {
            const Decoded split = decode({input.first(cut), input.sliced(cut)}, peerCloses);
            if (split != expected)
                QFAIL(qPrintable(u"split at %1: %2"_s.arg(cut).arg(QString::fromLatin1(QTest::toString(split)))));
        }
        if (input.size() < 100) {  // and one byte at a time
            QList<QByteArray> bytes;
            for (char c : input)
                bytes.append(QByteArray(1, c));
            QCOMPARE(decode(bytes, peerCloses), expected);
        }
    }

    void consumedStopsAtTheTextEnd()
    {
        MessageDecoder decoder;
        const MessageDecoder::Result r = decoder.feed("0001a0002bcTRAILING"_ba);
        QCOMPARE(r.status, Status::Complete);
        QCOMPARE(r.consumed, 11);
        QCOMPARE(decoder.feed("more"_ba).consumed, 0);
    }
};

QTEST_APPLESS_MAIN(TestWireCodec)
#include "tst_wirecodec.moc"
