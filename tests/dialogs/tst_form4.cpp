#include "platform/autostart.h"
#include "settings/dialogs/tform4.h"
#include "support/fakedialogs.h"
#include "support/settingsfixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QtTest>

#include <optional>


class TestForm4 : public QObject {
    Q_OBJECT

private:
    SettingsFixture m_settings;
    FakeDialogs m_dialogs;
    QList<int> m_terminations;
    QStringList m_boxesAtTermination;

    QString autostartFolder() const
    {
        return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/autostart");
    }
    QString entryPath() const { return autostartFolder() + QStringLiteral("/mirevo.desktop"); }

    QPointer<TForm4> open(Autostart &autostart)
    {
        auto *form = new TForm4(m_dialogs, autostart, nullptr, [this](int status) {
            m_terminations.append(status);
            m_boxesAtTermination = m_dialogs.texts();
        });
        form->show();
        return form;
    }

    static void choose(TForm4 *form, int index)
    {
        form->findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item%1").arg(index))->click();
    }

    static void closeByOk(QPointer<TForm4> &form)
    {
        form->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QTRY_VERIFY(form.isNull());
    }

    std::optional<QString> storedChoice() const { return m_settings.storedValue(QStringLiteral("F4"), QStringLiteral("RG")); }

private Q_SLOTS:
    void init()
    {
        m_settings.clear();
        m_dialogs = FakeDialogs();
        m_terminations.clear();
        m_boxesAtTermination.clear();
    }

    void storedChoiceIsClamped_data()
    {
        QTest::addColumn<QString>("stored"); // null: nothing stored
        QTest::addColumn<int>("selected");
        QTest::newRow("nothing stored") << QString() << 1;
        QTest::newRow("0") << QStringLiteral("0") << 0;
        QTest::newRow("1") << QStringLiteral("1") << 1;
        QTest::newRow("5") << QStringLiteral("5") << 1;
        QTest::newRow("-1") << QStringLiteral("-1") << -1;
        QTest::newRow("-3") << QStringLiteral("-3") << -1;
        QTest::newRow("not a number") << QStringLiteral("abc") << 1;
    }

    void storedChoiceIsClamped()
    {
        QFETCH(QString, stored);
        QFETCH(int, selected);
        if (!stored.isNull())
            m_settings.store(QStringLiteral("F4"), QStringLiteral("RG"), stored);
        XdgAutostart autostart;
        QPointer<TForm4> form = open(autostart);
        QCOMPARE(form->itemIndex(), selected);
        QCOMPARE(form->findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item0"))->isChecked(), selected == 0);
        QCOMPARE(form->findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item1"))->isChecked(), selected == 1);
        delete form;
    }

    void everyCloseRegisters_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << QStringLiteral("OK");
        QTest::newRow("Enter") << QStringLiteral("Enter");
        QTest::newRow("close button") << QStringLiteral("close button");
        QTest::newRow("Escape") << QStringLiteral("Escape");
    }

    // The first opening shows "起動する", so closing it in any way registers the program.
    void everyCloseRegisters()
    {
        QFETCH(QString, how);
        XdgAutostart autostart;
        QPointer<TForm4> form = open(autostart);
        if (how == u"OK")
            form->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        else if (how == u"Enter")
            QTest::keyClick(form, Qt::Key_Return);
        else if (how == u"Escape")
            QTest::keyClick(form, Qt::Key_Escape);
        else
            form->close();
        QTRY_VERIFY(form.isNull());

        QCOMPARE(storedChoice(), QStringLiteral("1"));
        QVERIFY(autostart.isEnabled());
        QFile entry(entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), XdgAutostart::entryText(QCoreApplication::applicationFilePath()));
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void choosingTwiceLeavesOneEntry()
    {
        XdgAutostart autostart;
        for (int round = 0; round < 2; ++round) {
            QPointer<TForm4> form = open(autostart);
            choose(form, 1);
            closeByOk(form);
        }
        QCOMPARE(QDir(autostartFolder()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("mirevo.desktop")});
    }

    void notStartingRemovesTheEntry()
    {
        XdgAutostart autostart;
        autostart.enable(QStringLiteral("/usr/bin/mirevo"));
        QPointer<TForm4> form = open(autostart);
        choose(form, 0);
        closeByOk(form);
        QCOMPARE(storedChoice(), QStringLiteral("0"));
        QVERIFY(!QFile::exists(entryPath()));

        form = open(autostart); // nothing to remove
        closeByOk(form);
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    // The choice is stored, the error names the entry's file and the dialog stays open.
    void failedWriteAbandonsTheClose()
    {
        QDir().mkpath(qEnvironmentVariable("XDG_CONFIG_HOME"));
        QFile blocker(autostartFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        XdgAutostart autostart;
        QPointer<TForm4> form = open(autostart);
        form->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(m_dialogs.shown, (QList<ShownBox>{{ShownBox::Error, entryPath() + QStringLiteral(" に書き込めません"), {}, 0}}));
        QVERIFY(form->isVisible());
        QCOMPARE(storedChoice(), QStringLiteral("1"));

        QVERIFY(QFile::remove(autostartFolder()));
        closeByOk(form);
        QVERIFY(autostart.isEnabled());
    }

    // Nothing selected: the notice, then the program ends with 255; the entry is untouched.
    void nothingSelectedEndsTheProgram()
    {
        m_settings.store(QStringLiteral("F4"), QStringLiteral("RG"), QStringLiteral("-3"));
        XdgAutostart autostart;
        autostart.enable(QStringLiteral("/usr/bin/mirevo"));
        const QByteArray entryBefore = XdgAutostart::entryText(QStringLiteral("/usr/bin/mirevo"));

        QPointer<TForm4> form = open(autostart);
        form->close();
        QCOMPARE(m_terminations, QList<int>{255});
        const QString notice = QStringLiteral("Iniファイル書き込み中、例外エラーが発生しました。");
        QCOMPARE(m_boxesAtTermination, QStringList{notice});
        QCOMPARE(m_dialogs.shown.first().kind, ShownBox::Message);
        QCOMPARE(storedChoice(), QStringLiteral("-1"));
        QFile entry(entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), entryBefore);
        delete form;
    }
};

QTEST_MAIN(TestForm4)
#include "tst_form4.moc"
