#include "settings/dialogs/tform5.h"
#include "settings/dialogs/tform8.h"
#include "support/fakedialogs.h"
#include "support/settingsfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

namespace {
const QString F1 = QStringLiteral("F1");
const QString F8 = QStringLiteral("F8");
} // namespace

class TestRegistrationDialogs : public QObject {
    Q_OBJECT

    SettingsFixture m_settings;
    FakeDialogs m_dialogs;
    QWidget m_owner;
    QStringList m_ownNames; // what the main window's own-name box was set to
    QPointer<QDialog> m_form;

    TForm5 *openName()
    {
        auto *form = new TForm5(&m_owner, m_dialogs, [this](const QString &name) { m_ownNames << name; });
        m_form = form;
        form->show();
        return form;
    }
    TForm8 *openServer()
    {
        auto *form = new TForm8(&m_owner, m_dialogs);
        m_form = form;
        form->show();
        return form;
    }
    template <class T> T *control(const char *name)
    {
        T *found = m_form->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QLineEdit *field() { return control<QLineEdit>("Edit1"); }
    void retype(const QString &text)
    {
        field()->selectAll();
        QTest::keyClick(field(), Qt::Key_Delete);
        for (const QChar c : text) // any text, as the keyboard's input delivers it
            QTest::sendKeyEvent(QTest::Click, field(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

private Q_SLOTS:
    void init()
    {
        m_settings.clear();
        m_dialogs = FakeDialogs();
        m_ownNames.clear();
    }
    void cleanup() { delete m_form; }

    void nameDialogStoresAndSetsTheOwnName_data();
    void nameDialogStoresAndSetsTheOwnName();
    void enterInNameFieldClosesWithoutStoring();
    void nameDialogCaptionCloseStoresNothing();
    void failedNameWriteLeavesTheOwnNameBox();
    void serverDialogLoads_data();
    void serverDialogLoads();
    void serverDialogStoresHostAndFlag();
    void serverDialogOkStoresNothing();
    void serverDialogShowsReadErrors();
};

void TestRegistrationDialogs::nameDialogStoresAndSetsTheOwnName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("name") << QStringLiteral("山田 \"taro\"");
    QTest::newRow("emptied") << QString();
}

void TestRegistrationDialogs::nameDialogStoresAndSetsTheOwnName()
{
    QFETCH(QString, name);
    m_settings.prepare(F1, {QStringLiteral("\"MyName\"=\"old name\"")});
    openName();
    QCOMPARE(m_form->size(), QSize(423, 118));
    const QFont captionFont = control<QLabel>("Label3")->font(); // bold, still the form's 12 px
    QVERIFY(captionFont.bold());
    QCOMPARE(captionFont.pixelSize(), 12);
    QCOMPARE(field()->text(), QStringLiteral("old name"));
    QPushButton *store = control<QPushButton>("Button1");
    QVERIFY(!store->isEnabled());

    retype(name);
    QVERIFY(store->isEnabled());
    store->click();

    QCOMPARE(m_settings.stored(F1, QStringLiteral("MyName")), name);
    QCOMPARE(m_ownNames, QStringList{name});
    QVERIFY(!store->isEnabled());
    QVERIFY(m_form->isVisible());
    QVERIFY(m_dialogs.shown.isEmpty());
}

void TestRegistrationDialogs::enterInNameFieldClosesWithoutStoring()
{
    openName();
    QTest::keyClicks(field(), QStringLiteral("typed"));
    QTest::keyClick(field(), Qt::Key_Escape); // does not close
    QVERIFY(m_form->isVisible());
    QTest::keyClick(field(), Qt::Key_Return);

    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(m_settings.stored(F1, QStringLiteral("MyName")), SettingsFixture::missing());
    QVERIFY(m_ownNames.isEmpty());
}

void TestRegistrationDialogs::nameDialogCaptionCloseStoresNothing()
{
    openName();
    QVERIFY(m_form->windowFlags() & Qt::WindowCloseButtonHint);
    retype(QStringLiteral("typed"));
    QVERIFY(m_form->close());
    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(m_settings.stored(F1, QStringLiteral("MyName")), SettingsFixture::missing());
    QVERIFY(m_ownNames.isEmpty());
}

void TestRegistrationDialogs::failedNameWriteLeavesTheOwnNameBox()
{
    openName();
    retype(QStringLiteral("new"));
    m_settings.breakStore();
    control<QPushButton>("Button1")->click();

    QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("'MyName' の設定に失敗しました")});
    QVERIFY(m_ownNames.isEmpty());
    QVERIFY(m_form->isVisible());
}

void TestRegistrationDialogs::serverDialogLoads_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("host");
    QTest::addColumn<bool>("ticked");

    QTest::newRow("empty store") << QStringList() << QString() << false;
    QTest::newRow("host, link on")
        << QStringList{QStringLiteral("\"HOST\"=\"server1\""), QStringLiteral("\"CB\"=\"1\"")}
        << QStringLiteral("server1") << true;
    QTest::newRow("host, link off")
        << QStringList{QStringLiteral("\"HOST\"=\"10.0.0.5\""), QStringLiteral("\"CB\"=\"0\"")}
        << QStringLiteral("10.0.0.5") << false;
}

void TestRegistrationDialogs::serverDialogLoads()
{
    QFETCH(QStringList, values);
    QFETCH(QString, host);
    QFETCH(bool, ticked);
    if (!values.isEmpty())
        m_settings.prepare(F8, values);
    openServer();

    QCOMPARE(m_form->size(), QSize(511, 198));
    QCOMPARE(field()->text(), host);
    QCOMPARE(control<QCheckBox>("CheckBox1")->isChecked(), ticked);
    QVERIFY(!control<QPushButton>("Button2")->isEnabled());
    QVERIFY(m_dialogs.shown.isEmpty());
}

void TestRegistrationDialogs::serverDialogStoresHostAndFlag()
{
    openServer();
    QPushButton *store = control<QPushButton>("Button2");
    control<QCheckBox>("CheckBox1")->click();
    QVERIFY(store->isEnabled());
    store->click();
    QCOMPARE(m_settings.stored(F8, QStringLiteral("HOST")), QString());
    QCOMPARE(m_settings.stored(F8, QStringLiteral("CB")), QStringLiteral("1"));
    QVERIFY(!store->isEnabled());

    retype(QStringLiteral(" host-2 "));
    QVERIFY(store->isEnabled());
    store->click();
    QCOMPARE(m_settings.stored(F8, QStringLiteral("HOST")), QStringLiteral(" host-2 "));
    QVERIFY(m_form->isVisible());
    QVERIFY(m_dialogs.shown.isEmpty());
}

void TestRegistrationDialogs::serverDialogOkStoresNothing()
{
    openServer();
    retype(QStringLiteral("typed"));
    QTest::keyClick(field(), Qt::Key_Return); // no default button: Enter does nothing
    QTest::keyClick(field(), Qt::Key_Escape);
    QVERIFY(m_form->isVisible());
    control<QPushButton>("Button1")->click();
    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(m_settings.stored(F8, QStringLiteral("HOST")), SettingsFixture::missing());
}

void TestRegistrationDialogs::serverDialogShowsReadErrors()
{
    m_settings.prepare(F8, {QStringLiteral("\"HOST\"=hex:41,00"), QStringLiteral("\"CB\"=\"1\"")});
    openServer();
    QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("'HOST' のデータ型が不正です")});
    QVERIFY(m_form->isVisible());
    QVERIFY(!control<QCheckBox>("CheckBox1")->isChecked()); // loading stopped before CB
}

QTEST_MAIN(TestRegistrationDialogs)
#include "tst_registrationdialogs.moc"
