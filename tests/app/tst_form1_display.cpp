// Display preferences of the main window: the colour commands and their picker, the
// pane's font size, the factory colours and clearing the pane.

#include "formfixture.h"

#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
const QString FactoryQuestion = u"アプリケーションの設定を出荷時状態に戻しますか？"_s;
const QString FactoryCaption = u"Mirevo For Windows LOAD DEFAULT!!"_s;

QString storedAfterClose(FormFixture &f, const QString &name)
{
    if (!f.closeWindow())
        return u"(not closed)"_s;
    return settingsHome().stored(u"F1"_s, name);
}

// The user picks an item of the size list with the keyboard.
void pickSize(FormFixture &f, const QString &size)
{
    QComboBox *list = f.ui().ComboBox1;
    QTest::keyClick(list, Qt::Key_Home);
    while (list->currentText() != size && list->currentIndex() < list->count() - 1)
        QTest::keyClick(list, Qt::Key_Down);
}
} // namespace

class Form1DisplayTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void chosenColourIsShownAndStored_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QColor>("chosen");
        QTest::addColumn<QString>("storedText");
        QTest::newRow("text, pure red") << u"F1"_s << QColor(255, 0, 0) << u"clRed"_s;
        QTest::newRow("text, no name") << u"F1"_s << QColor(255, 128, 0) << u"0x000080FF"_s;
        QTest::newRow("background, pure red") << u"B1"_s << QColor(255, 0, 0) << u"clRed"_s;
        QTest::newRow("background, no name") << u"B1"_s << QColor(255, 128, 0) << u"0x000080FF"_s;
    }

    void chosenColourIsShownAndStored()
    {
        QFETCH(QString, command);
        QFETCH(QColor, chosen);
        const bool text = command == u"F1";
        FormFixture f;
        f.dialogs.colours = {chosen};
        (text ? f.ui().F1 : f.ui().B1)->trigger();

        const int value = Colour::rgb(chosen.red(), chosen.green(), chosen.blue());
        const FieldColours expected = text ? FieldColours{value, Colour::Window}
                                           : FieldColours{Colour::WindowText, value};
        for (int field = 0; field < 3; ++field)
            QCOMPARE(f.form->fieldColours(field), expected);
        const QPalette::ColorRole role = text ? QPalette::Text : QPalette::Base;
        for (QWidget *field : {static_cast<QWidget *>(f.ui().Memo1),
                               static_cast<QWidget *>(f.ui().Edit1), static_cast<QWidget *>(f.ui().Edit3)})
            QCOMPARE(field->palette().color(role), chosen);
        QTEST(storedAfterClose(f, text ? u"FC"_s : u"BK"_s), "storedText");
    }

    // One picker serves both commands: it opens on the colour last confirmed in it,
    // black at first, and a cancel changes nothing.
    void pickerRemembersLastConfirmedColour()
    {
        FormFixture f;
        f.dialogs.colours = {QColor(255, 0, 0), std::nullopt, QColor(0, 0, 255), std::nullopt};
        f.ui().F1->trigger();
        f.ui().B1->trigger(); // cancelled
        f.ui().B1->trigger();
        f.ui().F1->trigger(); // cancelled
        QCOMPARE(f.dialogs.colourInitials, (QList<QColor>{Qt::black, QColor(255, 0, 0),
                                                          QColor(255, 0, 0), QColor(0, 0, 255)}));
        QCOMPARE(f.form->fieldColours(1), (FieldColours{Colour::rgb(255, 0, 0), Colour::rgb(0, 0, 255)}));
    }

    void sizeListSetsThePaneOnly()
    {
        FormFixture f;
        const int inputSize = f.ui().Edit1->font().pointSize();
        pickSize(f, u"15"_s);
        QCOMPARE(f.ui().ComboBox1->currentText(), u"15"_s);
        QCOMPARE(f.ui().Memo1->font().pointSize(), 15);
        QCOMPARE(f.ui().Edit1->font().pointSize(), inputSize);
        QCOMPARE(f.ui().Edit3->font().pointSize(), inputSize);
        QCOMPARE(storedAfterClose(f, u"F"_s), u"15"_s);
        QCOMPARE(settingsHome().stored(u"F1"_s, u"CB"_s), u"6"_s);
    }

    void factoryColours_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("resets");
        QTest::newRow("yes") << int(Dialogs::Yes) << true;
        QTest::newRow("no") << int(Dialogs::No) << false;
    }

    // Only the colours go back; the size and the list stay.
    void factoryColours()
    {
        QFETCH(int, answer);
        QFETCH(bool, resets);
        FormFixture f;
        pickSize(f, u"12"_s);
        f.dialogs.colours = {QColor(255, 0, 0), QColor(0, 0, 128)};
        f.ui().F1->trigger();
        f.ui().B1->trigger();
        const FieldColours chosen{Colour::rgb(255, 0, 0), Colour::rgb(0, 0, 128)};
        f.dialogs.shown.clear();
        f.dialogs.answers = {answer};

        f.ui().D1->trigger();

        QCOMPARE(f.dialogs.shown, (QList<ShownBox>{{ShownBox::Box, FactoryQuestion, FactoryCaption, 36}}));
        const FieldColours expected = resets ? FieldColours{} : chosen;
        for (int field = 0; field < 3; ++field)
            QCOMPARE(f.form->fieldColours(field), expected);
        QCOMPARE(f.ui().Edit3->palette().color(QPalette::Text),
                 resets ? QApplication::palette().color(QPalette::Text) : QColor(255, 0, 0));
        QCOMPARE(f.ui().Memo1->font().pointSize(), 12);
        QCOMPARE(f.ui().ComboBox1->currentText(), u"12"_s);
        QCOMPARE(storedAfterClose(f, u"FC"_s), resets ? u"clWindowText"_s : u"clRed"_s);
        QCOMPARE(settingsHome().stored(u"F1"_s, u"BK"_s), resets ? u"clWindow"_s : u"clNavy"_s);
    }

    void clearingThePaneAsksNothing()
    {
        FormFixture f;
        f.form->Live.NotifyOnReceipt = false;
        f.form->NMMSGServ1MSG(u"10.0.0.2"_s, u"山田 > こんにちは"_s);
        f.form->NMMSGServ1MSG(QString(), u"鈴木 > はい"_s);
        QCOMPARE(f.memoLines().size(), 2);
        f.ui().Button3->click();
        QCOMPARE(f.ui().Memo1->toPlainText(), QString());
        QCOMPARE(f.ui().Edit3->text(), u"非通知"_s);
        QVERIFY(f.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(Form1DisplayTest)
#include "tst_form1_display.moc"
