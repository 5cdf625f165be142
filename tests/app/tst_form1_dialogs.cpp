// The main window's commands that open dialogs: what a dialog chooses reaches the running
// window, and the start-up choice reaches the desktop's autostart folder.

#include "formfixture.h"

#include "addressbook/tform6.h"
#include "settings/dialogs/tform5.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest/QTest>

using namespace Qt::StringLiterals;

namespace {

// Runs `act` on the modal dialog once the command under test has opened it.
void whenDialogOpens(const std::function<void(QDialog *)> &act)
{
    QTimer::singleShot(0, [act] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY2(dialog, "no modal dialog open");
        act(dialog);
    });
}

QString autostartEntry()
{
    return qEnvironmentVariable("XDG_CONFIG_HOME") + u"/autostart/mirevo.desktop"_s;
}

} // namespace

class TestForm1Dialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { settingsHome().clear(); }

    void addressBookEntryBecomesTheDestination()
    {
        settingsHome().prepare(u"F6"_s, {u"\"ED10\"=\"山田\""_s, u"\"ED20\"=\"pc-yamada\""_s});
        FormFixture f;
        f.ui().ComboBox3->setEditText(u"old-host"_s);

        whenDialogOpens([](QDialog *book) {
            book->findChild<QRadioButton *>(u"RadioGroup1Item10"_s)->click();
            book->findChild<QPushButton *>(u"Button1"_s)->click();
        });
        f.ui().Button6->click();

        QCOMPARE(f.ui().ComboBox3->currentText(), u"pc-yamada"_s);
        QCOMPARE(f.ui().Edit8->text(), u"山田"_s);
        QVERIFY(f.dialogs.shown.isEmpty());
    }

    void nameDialogSetsTheOwnName()
    {
        FormFixture f;
        whenDialogOpens([](QDialog *names) {
            names->findChild<QLineEdit *>(u"Edit1"_s)->setText(u"花子"_s);
            names->findChild<QPushButton *>(u"Button1"_s)->click(); // 登録
            names->findChild<QPushButton *>(u"Button2"_s)->click(); // 閉じる
        });
        f.ui().N1->trigger();

        QCOMPARE(f.ui().Edit2->text(), u"花子"_s);
        QCOMPARE(settingsHome().stored(u"F1"_s, u"MyName"_s), u"花子"_s);
    }

    void startupDialogAddsAndRemovesTheAutostartEntry()
    {
        FormFixture f;
        whenDialogOpens([](QDialog *startup) {
            startup->findChild<QPushButton *>(u"Button1"_s)->click(); // 起動する is preselected
        });
        f.ui().S1->trigger();
        QVERIFY(QFile::exists(autostartEntry()));
        QCOMPARE(settingsHome().stored(u"F4"_s, u"RG"_s), u"1"_s);

        whenDialogOpens([](QDialog *startup) {
            startup->findChild<QRadioButton *>(u"RadioGroup1Item0"_s)->click(); // 起動しない
            startup->findChild<QPushButton *>(u"Button1"_s)->click();
        });
        f.ui().S1->trigger();
        QVERIFY(!QFile::exists(autostartEntry()));
        QCOMPARE(settingsHome().stored(u"F4"_s, u"RG"_s), u"0"_s);
        QVERIFY(f.terminations.isEmpty());
    }
};

QTEST_MAIN(TestForm1Dialogs)
#include "tst_form1_dialogs.moc"
