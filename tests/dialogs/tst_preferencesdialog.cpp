#include "settings/dialogs/tform3.h"
#include "settings/livesettings.h"
#include "support/fakedialogs.h"
#include "support/settingsfixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest/QTest>

namespace {
const QString F3 = QStringLiteral("F3");
const QString MismatchText = QStringLiteral("もう一度入力しなおして下さい！！");
const QString ClientCaption = QStringLiteral("Mirevo For Windows クライアント");
const QString RefreshHint =
    QStringLiteral("設定を有効にするには、詳細設定の「最新の設定に更新」を実行して下さい。");
} // namespace

class TestPreferencesDialog : public QObject {
    Q_OBJECT

    SettingsFixture m_settings;
    FakeDialogs m_dialogs;
    LiveSettings m_live;
    QWidget m_owner;
    QPointer<TForm3> m_form;

    // Opens the dialog over the stand-in main window as the menu command does.
    TForm3 *open()
    {
        m_form = new TForm3(&m_owner, m_dialogs, m_live);
        m_form->show();
        return m_form;
    }
    template <class T> T *control(const char *name)
    {
        T *found = m_form->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QCheckBox *box(int n) { return control<QCheckBox>(QByteArray("CheckBox" + QByteArray::number(n)).constData()); }
    QLineEdit *field(const char *name) { return control<QLineEdit>(name); }
    QPushButton *closeButton() { return control<QPushButton>("Button1"); }
    QPushButton *updateButton() { return control<QPushButton>("Button2"); }
    QPushButton *registerButton() { return control<QPushButton>("Button3"); }
    // Replaces a password field's text as the user does, so its change handler runs.
    void retype(const char *name, const QString &text)
    {
        QLineEdit *edit = field(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

private Q_SLOTS:
    void init()
    {
        m_settings.clear();
        m_dialogs = FakeDialogs();
        m_live = LiveSettings();
    }
    void cleanup() { delete m_form; }

    void loadsStoredFlags_data();
    void loadsStoredFlags();
    void passwordRuleFollowsCheckBox5();
    void updateStoresWhatTheBoxesShow();
    void updateStoresBothFieldsAsTheyStand();
    void registration_data();
    void registration();
    void passwordFieldsTakeEightCharacters();
    void leavesOnlyThroughCloseButton();
    void storeErrorsAreShownAndTheDialogStays();
};

void TestPreferencesDialog::loadsStoredFlags_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QList<bool>>("ticked"); // CheckBox1 .. CheckBox6
    QTest::addColumn<bool>("checkBox3Enabled");
    QTest::addColumn<bool>("passwordGroupEnabled");

    QTest::newRow("empty store") << QStringList() << QList<bool>{true, false, false, false, false, false}
                                 << true << false;
    QTest::newRow("CK3 on, CK5 off")
        << QStringList{QStringLiteral("\"CK3\"=\"1\""), QStringLiteral("\"CK5\"=\"0\"")}
        << QList<bool>{true, false, true, false, false, false} << true << false;
    QTest::newRow("CK3 and CK5 on")
        << QStringList{QStringLiteral("\"CK3\"=\"1\""), QStringLiteral("\"CK5\"=\"1\"")}
        << QList<bool>{true, false, false, false, true, false} << false << true;
    QTest::newRow("the others")
        << QStringList{QStringLiteral("\"CK\"=\"0\""), QStringLiteral("\"CK2\"=\"1\""),
                       QStringLiteral("\"CK4\"=\"-1\""), QStringLiteral("\"CK6\"=\"1\"")}
        << QList<bool>{false, true, false, true, false, true} << true << false;
}

void TestPreferencesDialog::loadsStoredFlags()
{
    QFETCH(QStringList, values);
    QFETCH(QList<bool>, ticked);
    QFETCH(bool, checkBox3Enabled);
    QFETCH(bool, passwordGroupEnabled);
    m_settings.prepare(F3, values + QStringList{QStringLiteral("\"ED1\"=\"one\""),
                                                QStringLiteral("\"ED2\"=\"two\"")});
    open();

    for (int n = 1; n <= 6; ++n)
        QVERIFY2(box(n)->isChecked() == ticked[n - 1], qPrintable(QStringLiteral("CheckBox%1").arg(n)));
    QCOMPARE(box(3)->isEnabled(), checkBox3Enabled);
    QCOMPARE(control<QGroupBox>("GroupBox1")->isEnabled(), passwordGroupEnabled);
    QCOMPARE(field("Edit1")->isEnabled(), passwordGroupEnabled);
    QCOMPARE(field("Edit2")->isEnabled(), passwordGroupEnabled);
    QCOMPARE(field("Edit1")->text(), QStringLiteral("one"));
    QCOMPARE(field("Edit2")->text(), QStringLiteral("two"));
    // Whatever the loading ran, both buttons start disabled.
    QVERIFY(!updateButton()->isEnabled());
    QVERIFY(!registerButton()->isEnabled());
    QVERIFY(m_dialogs.shown.isEmpty());
}

void TestPreferencesDialog::passwordRuleFollowsCheckBox5()
{
    m_settings.prepare(F3, {QStringLiteral("\"CK3\"=\"1\"")});
    open();
    QVERIFY(box(3)->isChecked());

    box(5)->click();
    QVERIFY(!box(3)->isChecked());
    QVERIFY(!box(3)->isEnabled());
    QVERIFY(field("Edit1")->isEnabled());
    QVERIFY(field("Edit2")->isEnabled());
    QVERIFY(updateButton()->isEnabled());

    box(5)->click();
    QVERIFY(!field("Edit1")->isEnabled());
    QVERIFY(!field("Edit2")->isEnabled());
    QVERIFY(!control<QGroupBox>("GroupBox1")->isEnabled());
    QVERIFY(box(3)->isEnabled());
    QVERIFY(!box(3)->isChecked()); // unticking the password box does not tick it again
}

void TestPreferencesDialog::updateStoresWhatTheBoxesShow()
{
    m_settings.prepare(F3, {QStringLiteral("\"CK3\"=\"1\""), QStringLiteral("\"CK5\"=\"1\"")});
    open();
    box(4)->click();
    QVERIFY(updateButton()->isEnabled());
    updateButton()->click();

    QCOMPARE(m_dialogs.shown, (QList<ShownBox>{{ShownBox::Message, RefreshHint, {}, 0}}));
    const QList<std::pair<const char *, const char *>> expected{
        {"CK", "1"}, {"CK2", "0"}, {"CK3", "0"}, {"CK4", "1"}, {"CK5", "1"}, {"CK6", "0"}};
    for (const auto &[name, value] : expected)
        QCOMPARE(m_settings.stored(F3, QLatin1String(name)), QString::fromLatin1(value));
    QVERIFY(!updateButton()->isEnabled());
    // The main window's saved place is the main window's own business.
    QCOMPARE(m_settings.stored(QStringLiteral("F1"), QStringLiteral("Y")), SettingsFixture::missing());
    QVERIFY(m_form->isVisible());
}

void TestPreferencesDialog::updateStoresBothFieldsAsTheyStand()
{
    m_settings.prepare(F3, {QStringLiteral("\"CK5\"=\"1\"")});
    open();
    retype("Edit1", QStringLiteral("first"));
    retype("Edit2", QStringLiteral("second"));
    box(6)->click();
    updateButton()->click();

    QCOMPARE(m_settings.stored(F3, QStringLiteral("ED1")), QStringLiteral("first"));
    QCOMPARE(m_settings.stored(F3, QStringLiteral("ED2")), QStringLiteral("second"));
    QVERIFY(!m_dialogs.texts().contains(MismatchText));
}

void TestPreferencesDialog::registration_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("match");

    QTest::newRow("same") << QStringLiteral("pass") << QStringLiteral("pass") << true;
    QTest::newRow("both empty") << QString() << QString() << true;
    QTest::newRow("case of one letter") << QStringLiteral("pass") << QStringLiteral("Pass") << false;
    QTest::newRow("different") << QStringLiteral("pass") << QStringLiteral("word") << false;
}

void TestPreferencesDialog::registration()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, match);
    m_settings.prepare(F3, {QStringLiteral("\"CK5\"=\"1\""), QStringLiteral("\"ED1\"=\"old\"")});
    open();
    retype("Edit1", QStringLiteral("x"));
    retype("Edit1", first);
    retype("Edit2", second);
    QVERIFY(registerButton()->isEnabled());
    registerButton()->click();

    QCOMPARE(m_live.StoredPassword, first);
    QCOMPARE(m_live.EnteredPassword, second);
    if (match) {
        QVERIFY(m_dialogs.shown.isEmpty());
        QCOMPARE(m_settings.stored(F3, QStringLiteral("ED2")), second);
        QCOMPARE(field("Edit1")->text(), first);
    } else {
        QCOMPARE(m_dialogs.shown,
                 (QList<ShownBox>{{ShownBox::Box, MismatchText, ClientCaption, Dialogs::Stop}}));
        QCOMPARE(m_settings.stored(F3, QStringLiteral("ED2")), SettingsFixture::missing());
        QCOMPARE(field("Edit1")->text(), QString());
        QCOMPARE(field("Edit2")->text(), QString());
    }
    // The gate's password is untouched, and only a check box click enables "更新".
    QCOMPARE(m_settings.stored(F3, QStringLiteral("ED1")), QStringLiteral("old"));
    QVERIFY(!registerButton()->isEnabled());
    QVERIFY(!updateButton()->isEnabled());
}

void TestPreferencesDialog::passwordFieldsTakeEightCharacters()
{
    m_settings.prepare(F3, {QStringLiteral("\"CK5\"=\"1\"")});
    open();
    for (const char *name : {"Edit1", "Edit2"}) {
        retype(name, QStringLiteral("0123456789"));
        QCOMPARE(field(name)->text(), QStringLiteral("01234567"));
        QCOMPARE(field(name)->echoMode(), QLineEdit::Password);
        QVERIFY(!field(name)->testAttribute(Qt::WA_InputMethodEnabled));
    }
}

void TestPreferencesDialog::leavesOnlyThroughCloseButton()
{
    open();
    QCOMPARE(m_form->size(), QSize(440, 311));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowCloseButtonHint));
    box(2)->click();

    QVERIFY(!m_form->close());
    QTest::keyClick(m_form, Qt::Key_Escape);
    QVERIFY(m_form->isVisible());

    closeButton()->click();
    QTRY_VERIFY(m_form.isNull());
    QCOMPARE(m_settings.stored(F3, QStringLiteral("CK2")), SettingsFixture::missing());
}

void TestPreferencesDialog::storeErrorsAreShownAndTheDialogStays()
{
    m_settings.prepare(F3, {QStringLiteral("\"CK\"=dword:00000001"), QStringLiteral("\"CK5\"=\"0\"")});
    open();
    QCOMPARE(m_dialogs.shown,
             (QList<ShownBox>{{ShownBox::Error, QStringLiteral("'CK' のデータ型が不正です"), {}, 0}}));
    QVERIFY(m_form->isVisible());
    QVERIFY(!box(1)->isChecked()); // the loading stopped at the failing value

    m_dialogs.shown.clear();
    box(2)->click();
    m_settings.breakStore();
    updateButton()->click();
    QCOMPARE(m_dialogs.texts(), (QStringList{RefreshHint, QStringLiteral("'CK' の設定に失敗しました")}));
    QVERIFY(m_form->isVisible());
    QVERIFY(updateButton()->isEnabled());
}

QTEST_MAIN(TestPreferencesDialog)
#include "tst_preferencesdialog.moc"
