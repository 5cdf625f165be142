#include "settings/colourtext.h"

#include <QTest>

using Colour::rgb;
using Colour::system;

class TestColourText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void namesBothWays_data();
    void namesBothWays();
    void unnamedColoursAsHex_data();
    void unnamedColoursAsHex();
    void readsIntegers_data();
    void readsIntegers();
    void malformedTextRaises_data();
    void malformedTextRaises();
};

void TestColourText::namesBothWays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("colour");
    const struct {
        const char *name;
        int colour;
    } table[] = {
        {"clBlack", rgb(0, 0, 0)},
        {"clMaroon", rgb(128, 0, 0)},
        {"clGreen", rgb(0, 128, 0)},
        {"clOlive", rgb(128, 128, 0)},
        {"clNavy", rgb(0, 0, 128)},
        {"clPurple", rgb(128, 0, 128)},
        {"clTeal", rgb(0, 128, 128)},
        {"clGray", rgb(128, 128, 128)},
        {"clSilver", rgb(192, 192, 192)},
        {"clRed", 0x0000FF},
        {"clLime", 0x00FF00},
        {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},
        {"clFuchsia", rgb(255, 0, 255)},
        {"clAqua", rgb(0, 255, 255)},
        {"clWhite", 0xFFFFFF},
        {"clScrollBar", -2147483647 - 1},
        {"clBackground", system(1)},
        {"clActiveCaption", system(2)},
        {"clInactiveCaption", system(3)},
        {"clMenu", system(4)},
        {"clWindow", -2147483643},
        {"clWindowFrame", system(6)},
        {"clMenuText", system(7)},
        {"clWindowText", -2147483640},
        {"clCaptionText", system(9)},
        {"clActiveBorder", system(10)},
        {"clInactiveBorder", system(11)},
        {"clAppWorkSpace", system(12)},
        {"clHighlight", system(13)},
        {"clHighlightText", system(14)},
        {"clBtnFace", system(15)},
        {"clBtnShadow", system(16)},
        {"clGrayText", system(17)},
        {"clBtnText", system(18)},
        {"clInactiveCaptionText", system(19)},
        {"clBtnHighlight", system(20)},
        {"cl3DDkShadow", system(21)},
        {"cl3DLight", system(22)},
        {"clInfoText", system(23)},
        {"clInfoBk", -2147483647 + 23},
        {"clNone", 536870911},
    };
    for (const auto &row : table)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.colour;
}

void TestColourText::namesBothWays() {
    QFETCH(QString, name);
    QFETCH(int, colour);
    QCOMPARE(colourToText(colour), name);
    QCOMPARE(textToColour(name), colour);
    QCOMPARE(textToColour(name.toUpper()), colour);
    QCOMPARE(textToColour(name.toLower()), colour);
}

void TestColourText::unnamedColoursAsHex_data() {
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("text");
    QTest::newRow("red 255 green 128 blue 0") << rgb(255, 128, 0) << QStringLiteral("0x000080FF");
    QTest::newRow("small rgb") << rgb(1, 2, 3) << QStringLiteral("0x00030201");
    QTest::newRow("system colour 25") << system(25) << QStringLiteral("0x80000019");
    QTest::newRow("all bits") << -1 << QStringLiteral("0xFFFFFFFF");
}

void TestColourText::unnamedColoursAsHex() {
    QFETCH(int, colour);
    QFETCH(QString, text);
    QCOMPARE(colourToText(colour), text);
    QCOMPARE(textToColour(text), colour);
}

void TestColourText::readsIntegers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    QTest::newRow("CLRED") << QStringLiteral("CLRED") << rgb(255, 0, 0);
    QTest::newRow("$000000FF") << QStringLiteral("$000000FF") << rgb(255, 0, 0);
    QTest::newRow("255") << QStringLiteral("255") << rgb(255, 0, 0);
    QTest::newRow("leading blanks") << QStringLiteral("  255") << rgb(255, 0, 0);
    QTest::newRow("x prefix") << QStringLiteral("xff") << 255;
    QTest::newRow("0X prefix") << QStringLiteral("0XFF") << 255;
    QTest::newRow("window text default") << QStringLiteral("-2147483640") << Colour::WindowText;
    QTest::newRow("window default") << QStringLiteral("-2147483643") << Colour::Window;
    QTest::newRow("signed hex") << QStringLiteral("-$10") << -16;
}

void TestColourText::readsIntegers() {
    QFETCH(QString, text);
    QFETCH(int, colour);
    QCOMPARE(textToColour(text), colour);
}

void TestColourText::malformedTextRaises_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("garbage") << QStringLiteral("abc");
    QTest::newRow("empty") << QString();
    QTest::newRow("trailing blank") << QStringLiteral("255 ");
    QTest::newRow("prefix only") << QStringLiteral("0x");
    QTest::newRow("near name") << QStringLiteral("clRedd");
    QTest::newRow("beyond 32 bits") << QStringLiteral("0x100000000");
    QTest::newRow("japanese") << QStringLiteral("赤");
}

void TestColourText::malformedTextRaises() {
    QFETCH(QString, text);
    try {
        textToColour(text);
        QFAIL("no error raised");
    } catch (const ColourTextError &error) {
        QCOMPARE(error.text(), QStringLiteral("'%1' は整数ではありません").arg(text));
    }
}

QTEST_GUILESS_MAIN(TestColourText)
#include "tst_colourtext.moc"
