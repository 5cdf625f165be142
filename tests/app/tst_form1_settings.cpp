// The main window's values in the settings file: what the start-up loads, what the close
// writes, in which order, and the reload command.

#include "app/windowplacement.h"
#include "formfixture.h"
#include "platform/errortext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString F1 = u"F1"_s, F3 = u"F3"_s, F8 = u"F8"_s;
const QString RefreshQuestion = u"アプリケーションの設定を更新しますか？"_s;

struct Stored {
    QString section, name, text;
};

void store(const QList<Stored> &values)
{
    SettingsStore settings;
    for (const Stored &value : values)
        settings.writeText(value.section, value.name, value.text);
}

QString stored(const QString &section, const QString &name)
{
    return settingsHome().stored(section, name);
}

// The value names of one section in the order the file holds them.
QStringList namesInFile(const QString &section)
{
    QFile file(SettingsStore::defaultFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    const qsizetype start = text.indexOf(u"\\"_s + section + u"]"_s);
    if (start < 0)
        return {};
    const qsizetype end = text.indexOf(u"\n["_s, start);
    QStringList names;
    static const QRegularExpression valueLine(u"^\"([^\"]+)\"="_s, QRegularExpression::MultilineOption);
    for (auto match = valueLine.globalMatch(text.mid(start, end < 0 ? -1 : end - start));
         match.hasNext();)
        names.append(match.next().captured(1));
    return names;
}

} // namespace

Q_DECLARE_METATYPE(Stored)

class Form1SettingsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void emptyStoreGivesDefaults()
    {
        FormFixture f;
        f.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QTRY_COMPARE(f.form->pos(), ::centredPosition(screen, f.form->frameGeometry().size()));
        QCOMPARE(f.ui().ComboBox1->currentText(), u"9"_s);
        QCOMPARE(f.ui().Memo1->font().pointSize(), 9);
        QCOMPARE(f.ui().Edit2->text(), QString());
        for (int field = 0; field < 3; ++field)
            QCOMPARE(f.form->fieldColours(field), (FieldColours{Colour::WindowText, Colour::Window}));
        const QPalette app = QApplication::palette();
        QCOMPARE(f.ui().Edit3->palette().color(QPalette::Text), app.color(QPalette::Text));
        QCOMPARE(f.ui().Memo1->palette().color(QPalette::Base), app.color(QPalette::Base));
        const LiveSettings &live = f.form->Live;
        QVERIFY(live.NotifyOnReceipt);
        QVERIFY(!live.SendOwnIp && !live.ShowAfterNotice && !live.StartInTray
                && !live.PasswordOnPopup && !live.WarnNoMac && !live.ServerLinkEnabled);
        QVERIFY(f.dialogs.shown.isEmpty());
        // Reading creates no section.
        QCOMPARE(namesInFile(F1), QStringList());
    }

    void closeWritesWindowValuesInOrder()
    {
        QPoint place;
        {
            FormFixture f;
            f.form->show();
            QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
            f.form->move(f.form->pos() + QPoint(31, 17));
            place = f.form->pos();
            f.ui().ComboBox3->setEditText(u"pc02"_s);
            QVERIFY(f.closeWindow());
        }
        QCOMPARE(namesInFile(F1), (QStringList{u"X"_s, u"Y"_s, u"CB3"_s, u"FC"_s, u"BK"_s,
                                                u"CB"_s, u"F"_s}));
        QCOMPARE(stored(F1, u"X"_s), QString::number(place.x()));
        QCOMPARE(stored(F1, u"Y"_s), QString::number(place.y()));
        QCOMPARE(stored(F1, u"CB3"_s), u"-1"_s);
        QCOMPARE(stored(F1, u"FC"_s), u"clWindowText"_s);
        QCOMPARE(stored(F1, u"BK"_s), u"clWindow"_s);
        QCOMPARE(stored(F1, u"CB"_s), u"0"_s);
        QCOMPARE(stored(F1, u"F"_s), u"9"_s);
        // Only the window's own values: the flags and the server belong to the dialogs.
        QCOMPARE(namesInFile(F3), QStringList());
        QCOMPARE(namesInFile(F8), QStringList());

        // The next start opens where the window was closed, and stays there.
        FormFixture again;
        QCOMPARE(again.form->pos(), place);
        again.form->show();
        QVERIFY(QTest::qWaitForWindowExposed(again.form.get()));
        QCoreApplication::processEvents();
        QCOMPARE(again.form->pos(), place);
    }

    void storedValuesLoadAndWriteBack_data()
    {
        QTest::addColumn<QList<Stored>>("values");
        QTest::addColumn<QString>("listShows");
        QTest::addColumn<int>("paneSize");
        QTest::addColumn<QString>("writtenCB");
        QTest::addColumn<QString>("writtenF");

        QTest::newRow("list position apart from the size")
            << QList<Stored>{{F1, u"CB"_s, u"3"_s}, {F1, u"F"_s, u"15"_s}} << u"12"_s << 15 << u"3"_s
            << u"15"_s;
        QTest::newRow("list position past the list")
            << QList<Stored>{{F1, u"CB"_s, u"9"_s}} << QString() << 9 << u"-1"_s << u"9"_s;
        QTest::newRow("negative list position")
            << QList<Stored>{{F1, u"CB"_s, u"-1"_s}} << QString() << 9 << u"-1"_s << u"9"_s;
        QTest::newRow("unparseable values take their defaults")
            << QList<Stored>{{F1, u"CB"_s, u"abc"_s}, {F1, u"F"_s, u"7 "_s}} << u"9"_s << 9 << u"0"_s
            << u"9"_s;
        QTest::newRow("a size no font has is kept")
            << QList<Stored>{{F1, u"CB"_s, u"6"_s}, {F1, u"F"_s, u"0"_s}} << u"15"_s << 9 << u"6"_s
            << u"0"_s;
    }

    void storedValuesLoadAndWriteBack()
    {
        QFETCH(QList<Stored>, values);
        store(values);
        FormFixture f;
        QTEST(f.ui().ComboBox1->currentText(), "listShows");
        QTEST(f.ui().Memo1->font().pointSize(), "paneSize");
        QVERIFY(f.closeWindow());
        QTEST(stored(F1, u"CB"_s), "writtenCB");
        QTEST(stored(F1, u"F"_s), "writtenF");
    }

    void storedFlagsNameAndColours()
    {
        store({{F1, u"MyName"_s, u"山田 \"taro\""_s},
               {F1, u"FC"_s, u"CLRED"_s},
               {F1, u"BK"_s, u"0x00563412"_s},
               {F3, u"CK"_s, u"0"_s},
               {F3, u"CK2"_s, u"1"_s},
               {F3, u"CK3"_s, u"2"_s},
               {F3, u"CK4"_s, u"-1"_s},
               {F3, u"CK5"_s, u"yes"_s},
               {F3, u"CK6"_s, u"1"_s}});
        FormFixture f;
        QCOMPARE(f.ui().Edit2->text(), u"山田 \"taro\""_s);
        for (int field = 0; field < 3; ++field)
            QCOMPARE(f.form->fieldColours(field), (FieldColours{Colour::rgb(255, 0, 0), Colour::rgb(0x12, 0x34, 0x56)}));
        QCOMPARE(f.ui().Edit1->palette().color(QPalette::Text), QColor(255, 0, 0));
        QCOMPARE(f.ui().Edit3->palette().color(QPalette::Base), QColor(0x12, 0x34, 0x56));
        const LiveSettings &live = f.form->Live;
        QVERIFY(!live.NotifyOnReceipt);
        QVERIFY(live.SendOwnIp && live.ShowAfterNotice && live.StartInTray && live.WarnNoMac);
        QVERIFY(!live.PasswordOnPopup); // "yes" is no integer: the default
        QVERIFY(f.closeWindow());
        QCOMPARE(stored(F1, u"FC"_s), u"clRed"_s);
        QCOMPARE(stored(F1, u"BK"_s), u"0x00563412"_s);
    }

    // A colour text that is no colour ends the start-up at that read: the error box shows
    // it, everything read later keeps its initial state, and the window still opens.
    void malformedColourEndsStartUp()
    {
        store({{F1, u"MyName"_s, u"taro"_s},
               {F1, u"FC"_s, u"zzz"_s},
               {F1, u"F"_s, u"15"_s},
               {F3, u"CK2"_s, u"1"_s},
               {F8, u"HOST"_s, u"server"_s}});
        FormFixture f;
        QCOMPARE(f.dialogs.shown, (QList<ShownBox>{{ShownBox::Error, u"'zzz' は整数ではありません"_s, {}, 0}}));
        QCOMPARE(errorBoxText(f.dialogs.shown.value(0).text), u"'zzz' は整数ではありません."_s);
        QCOMPARE(f.ui().Edit2->text(), u"taro"_s); // read before the colour
        QCOMPARE(f.ui().Memo1->font().pointSize(), 9);
        QCOMPARE(f.form->fieldColours(0), (FieldColours{Colour::WindowText, Colour::Window}));
        QCOMPARE(f.form->fieldColours(2), (FieldColours{Colour::rgb(0, 0, 0), Colour::Window}));
        QVERIFY(!f.form->Live.NotifyOnReceipt);
        QVERIFY(!f.form->Live.SendOwnIp);
        QCOMPARE(f.form->Live.ServerHost, QString());
        QCOMPARE(f.ui().Edit7->text(), QString()); // the identity was not read
        QVERIFY(!f.os.calls.contains(u"hostName"_s));

        f.form->show();
        QVERIFY(f.form->isVisible());
        QVERIFY(f.closeWindow());
        QCOMPARE(stored(F1, u"FC"_s), u"clBlack"_s);
        QCOMPARE(stored(F1, u"BK"_s), u"clWindow"_s);
        QCOMPARE(stored(F1, u"F"_s), u"9"_s);
    }

    void unreadableFileIsReportedAndKept()
    {
        const QString path = SettingsStore::defaultFilePath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is not a settings file\n");
        file.close();

        FormFixture f;
        QCOMPARE(f.dialogs.shown.size(), 1);
        const ShownBox box = f.dialogs.shown.value(0);
        QCOMPARE(box.kind, ShownBox::Box);
        QCOMPARE(box.caption, u"Mirevo For Windows"_s);
        QCOMPARE(box.flags, 48);
        QVERIFY2(box.text.contains(path), qPrintable(box.text));
        // The window starts from defaults.
        QVERIFY(f.form->Live.NotifyOnReceipt);
        QCOMPARE(f.ui().ComboBox1->currentText(), u"9"_s);
    }

    void refresh_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("reloads");
        QTest::newRow("declined") << int(Dialogs::No) << false;
        QTest::newRow("accepted") << int(Dialogs::Yes) << true;
    }

    // The running window's values are all set apart from what the empty store gives, so
    // that every reloaded one shows.
    void refresh()
    {
        QFETCH(int, answer);
        QFETCH(bool, reloads);
        store({{F1, u"MyName"_s, u"taro"_s},
               {F3, u"CK"_s, u"0"_s},
               {F3, u"CK2"_s, u"1"_s},
               {F3, u"CK3"_s, u"1"_s},
               {F3, u"CK4"_s, u"1"_s},
               {F3, u"CK5"_s, u"1"_s},
               {F3, u"CK6"_s, u"0"_s},
               {F1, u"CB"_s, u"2"_s},
               {F1, u"F"_s, u"13"_s}});
        FormFixture f;
        f.form->Live.ServerHost = u"server"_s;
        f.form->Live.ServerLinkEnabled = true;
        f.ui().ComboBox3->setEditText(u"pc02"_s);
        const LiveSettings before = f.form->Live;
        settingsHome().clear();
        f.dialogs.answers = {answer};

        f.ui().N2->trigger();

        QCOMPARE(f.dialogs.shown, (QList<ShownBox>{{ShownBox::Box, RefreshQuestion,
                                                    u"Mirevo For Windows"_s, 36}}));
        const LiveSettings &live = f.form->Live;
        QCOMPARE(live.NotifyOnReceipt, reloads ? true : before.NotifyOnReceipt);
        QCOMPARE(live.SendOwnIp, reloads ? false : before.SendOwnIp);
        QCOMPARE(live.ShowAfterNotice, reloads ? false : before.ShowAfterNotice);
        QCOMPARE(live.PasswordOnPopup, reloads ? false : before.PasswordOnPopup);
        QCOMPARE(live.WarnNoMac, reloads ? true : before.WarnNoMac);
        QCOMPARE(live.ServerHost, reloads ? QString() : before.ServerHost);
        QCOMPARE(live.ServerLinkEnabled, reloads ? false : before.ServerLinkEnabled);
        QCOMPARE(live.StartInTray, true); // never reloaded
        QCOMPARE(f.ui().Edit2->text(), reloads ? QString() : u"taro"_s);
        // Not reloaded: the display values and the destination's text.
        QCOMPARE(f.ui().ComboBox1->currentText(), u"11"_s);
        QCOMPARE(f.ui().Memo1->font().pointSize(), 13);
        QCOMPARE(f.ui().ComboBox3->currentText(), u"pc02"_s);
        // Reading creates nothing, and nothing is announced.
        QCOMPARE(namesInFile(F1), QStringList());
        QVERIFY(f.statuses.isEmpty());
    }
};

QTEST_MAIN(Form1SettingsTest)
#include "tst_form1_settings.moc"
