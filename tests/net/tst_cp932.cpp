// CP932 on the wire: what Windows peers send and expect, and bytes from a peer that
// are not CP932 at all.

#include "net/cp932.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCp932 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << u"Hello, 127.0.0.1"_s << "Hello, 127.0.0.1"_ba;
        QTest::newRow("backslash and tilde stay ASCII") << u"a\\b~"_s << "a\\b~"_ba;
        QTest::newRow("fullwidth tilde") << u"～"_s << "\x81\x60"_ba;
        QTest::newRow("circled one") << u"①"_s << "\x87\x40"_ba;
        QTest::newRow("half-width katakana") << u"ﾒｯｾｰｼﾞ"_s << "\xd2\xaf\xbe\xb0\xbc\xde"_ba;
        QTest::newRow("kanji and kana") << u"山田 > こんにちは"_s
                                        << "\x8e\x52\x93\x63 > \x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd"_ba;
        QTest::newRow("control characters keep their bytes")
                << u"\x1a\x1c\x7f\t\r\n"_s << "\x1a\x1c\x7f\t\r\n"_ba;
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const cp932::Encoded encoded = cp932::encode(text);
        QCOMPARE(encoded.bytes, bytes);
        QVERIFY(!encoded.unencodable);
        QCOMPARE(cp932::decode(bytes), text);
    }

    // The JIS forms that Linux input methods type go out as CP932's forms of the same
    // characters, and come back in those forms.
    void jisFormsSentAsCp932_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("received");
        QTest::newRow("wave dash") << u"1〜2"_s << "1\x81\x60" "2"_ba << u"1～2"_s;
        QTest::newRow("double vertical line") << u"‖"_s << "\x81\x61"_ba << u"∥"_s;
        QTest::newRow("minus sign") << u"−5"_s << "\x81\x7c" "5"_ba << u"－5"_s;
        QTest::newRow("cent, pound, not") << u"¢£¬"_s << "\x81\x91\x81\x92\x81\xca"_ba << u"￠￡￢"_s;
        QTest::newRow("em dash") << u"—"_s << "\x81\x5c"_ba << u"―"_s;
    }

    void jisFormsSentAsCp932()
    {
        QFETCH(QString, typed);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, received);
        const cp932::Encoded encoded = cp932::encode(typed);
        QVERIFY(!encoded.unencodable);
        QCOMPARE(encoded.bytes, bytes);
        QCOMPARE(cp932::decode(bytes), received);
    }

    void unencodable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("first");
        QTest::newRow("emoji") << u"ok 😀 then €"_s << uint(0x1F600);
        QTest::newRow("euro sign") << u"10€"_s << uint(0x20AC);
        QTest::newRow("after a control character") << u"\x1a" u"é"_s << uint(0xE9);
        QTest::newRow("zero character") << QStringView(u"a\0b", 3).toString() << uint(0);
    }
    void unencodable()
    {
        QFETCH(QString, text);
        QFETCH(uint, first);
        const cp932::Encoded encoded = cp932::encode(text);
        QVERIFY(encoded.unencodable.has_value());
        QCOMPARE(uint(*encoded.unencodable), first);
    }

    void invalidBytesBecomeReplacements_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const QString r(QChar::ReplacementCharacter);
        QTest::newRow("zero byte") << "a\x00" "b"_ba << u"a"_s + r + u"b"_s;
        QTest::newRow("lone lead byte at the end") << "ab\x82"_ba << u"ab"_s + r;
        QTest::newRow("lead byte before a line end keeps the line end") << "\x82\n"_ba << r + u"\n"_s;
        QTest::newRow("bytes that start nothing") << "\x80\xa0\xfd\xfe\xff"_ba << r + r + r + r + r;
        QTest::newRow("invalid among valid") << "\x81\x60\xff\x87\x40"_ba << u"～"_s + r + u"①"_s;
        QTest::newRow("control byte with an invalid byte") << "\x1a\xff"_ba << u"\x1a"_s + r;
    }
    void invalidBytesBecomeReplacements()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(cp932::decode(bytes), text);
    }

    void anyByteSequenceDecodes()
    {
        // Every pair of bytes: the decoder never fails and never yields a zero character.
        for (int a = 0; a < 256; ++a) {
            QByteArray bytes;
            for (int b = 0; b < 256; ++b)
                bytes += char(a), bytes += char(b);
            const QString text = cp932::decode(bytes);
            QVERIFY2(!text.contains(QChar(0)), qPrintable(QString::number(a, 16)));
        }
    }
};

QTEST_APPLESS_MAIN(TestCp932)
#include "tst_cp932.moc"
