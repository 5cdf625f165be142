#include "settings/dialogs/tform7.h"
#include "settings/livesettings.h"
#include "support/fakedialogs.h"
#include "support/settingsfixture.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest/QTest>

namespace {
const QString F3 = QStringLiteral("F3");
const ShownBox Refusal{ShownBox::Box,
                       QStringLiteral("パスワードが違います、大文字や小文字も確認して下さい。"),
                       QStringLiteral("Mirevo For Windows クライアント"), Dialogs::Stop};
} // namespace

class TestPasswordGate : public QObject {
    Q_OBJECT

    SettingsFixture m_settings;
    FakeDialogs m_dialogs;
    LiveSettings m_live;
    QWidget m_owner; // the main window, hidden in the tray
    int m_mainWindowShown = 0;
    QPointer<TForm7> m_gate;

    TForm7 *open()
    {
        m_gate = new TForm7(&m_owner, m_dialogs, m_live, [this] { ++m_mainWindowShown; });
        m_gate->show();
        return m_gate;
    }
    static QLineEdit *field(TForm7 *gate) { return gate->findChild<QLineEdit *>(QStringLiteral("Edit1")); }
    // Types the password and presses Enter, which presses "OK".
    static void enter(TForm7 *gate, const QString &typed)
    {
        QTest::keyClicks(field(gate), typed);
        QTest::keyClick(field(gate), Qt::Key_Return);
    }

private Q_SLOTS:
    void initTestCase() { m_owner.setGeometry(0, 0, 200, 100); }
    void init()
    {
        m_settings.clear();
        m_dialogs = FakeDialogs();
        m_live = LiveSettings();
        m_mainWindowShown = 0;
    }
    void cleanup() { delete m_gate; }

    void comparesExactly_data();
    void comparesExactly();
    void offersNoOtherWayOut();
    void modalRunEndsOnlyWithTheRightPassword();
    void storeErrorKeepsThePreviousPassword();
};

void TestPasswordGate::comparesExactly_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("nothing stored, nothing typed") << QStringList() << QString() << true;
    QTest::newRow("empty stored, nothing typed") << QStringList{QStringLiteral("\"ED1\"=\"\"")} << QString() << true;
    QTest::newRow("empty stored, text typed") << QStringList{QStringLiteral("\"ED1\"=\"\"")} << QStringLiteral("a") << false;
    QTest::newRow("same") << QStringList{QStringLiteral("\"ED1\"=\"Secret1\"")} << QStringLiteral("Secret1") << true;
    QTest::newRow("case of one letter") << QStringList{QStringLiteral("\"ED1\"=\"Secret1\"")} << QStringLiteral("secret1") << false;
    // The field takes eight characters, so a longer stored password cannot be matched.
    QTest::newRow("longer than the field") << QStringList{QStringLiteral("\"ED1\"=\"123456789\"")}
                                           << QStringLiteral("123456789") << false;
    QTest::newRow("second field is not the password")
        << QStringList{QStringLiteral("\"ED1\"=\"one\""), QStringLiteral("\"ED2\"=\"two\"")}
        << QStringLiteral("two") << false;
}

void TestPasswordGate::comparesExactly()
{
    QFETCH(QStringList, values);
    QFETCH(QString, typed);
    QFETCH(bool, accepted);
    if (!values.isEmpty())
        m_settings.prepare(F3, values);
    m_live.StoredPassword = QStringLiteral("left over");
    TForm7 *gate = open();
    enter(gate, typed);

    if (accepted) {
        QVERIFY(m_dialogs.shown.isEmpty());
        QCOMPARE(m_mainWindowShown, 1);
        QTRY_VERIFY(m_gate.isNull());
    } else {
        QCOMPARE(m_dialogs.shown, QList<ShownBox>{Refusal});
        QCOMPARE(field(gate)->text(), QString());
        QCOMPARE(m_mainWindowShown, 0);
        QVERIFY(gate->isVisible());
    }
    QCOMPARE(m_live.EnteredPassword, typed.left(8));
}

void TestPasswordGate::offersNoOtherWayOut()
{
    TForm7 *gate = open();
    QCOMPARE(gate->size(), QSize(425, 113));
    QVERIFY(!(gate->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
    QVERIFY(!field(gate)->testAttribute(Qt::WA_InputMethodEnabled));
    QCOMPARE(field(gate)->echoMode(), QLineEdit::Password);
    // Centred on the desktop, not on the (hidden) main window; the window frame may shift it.
    const QPoint offCentre = gate->geometry().center() - m_owner.screen()->availableGeometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 8, qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));

    QTest::keyClick(field(gate), Qt::Key_Escape);
    QVERIFY(!gate->close());
    QVERIFY(gate->isVisible());
    // A window manager that minimises it anyway gets it straight back.
    gate->showMinimized();
    QTRY_VERIFY(!gate->isMinimized());
    QVERIFY(gate->isVisible());
    QCOMPARE(m_mainWindowShown, 0);
}

// As the tray's restore runs it: the caller waits until the gate has closed.
void TestPasswordGate::modalRunEndsOnlyWithTheRightPassword()
{
    m_settings.prepare(F3, {QStringLiteral("\"ED1\"=\"pw\"")});
    QStringList attempts{QStringLiteral("PW"), QStringLiteral("pw")};
    auto typeNext = [&] {
        QTRY_VERIFY(Form7 && Form7->isVisible());
        QVERIFY(Form7->isModal());
        enter(Form7, attempts.takeFirst());
    };
    m_dialogs.onShow = [&](const ShownBox &) { QTimer::singleShot(0, &m_owner, typeNext); };
    QTimer::singleShot(0, &m_owner, typeNext);

    TForm7::showModal(&m_owner, m_dialogs, m_live, [this] { ++m_mainWindowShown; });

    QVERIFY(attempts.isEmpty());
    QCOMPARE(m_dialogs.shown, QList<ShownBox>{Refusal});
    QCOMPARE(m_mainWindowShown, 1);
    QVERIFY(Form7.isNull());
}

void TestPasswordGate::storeErrorKeepsThePreviousPassword()
{
    m_settings.prepare(F3, {QStringLiteral("\"ED1\"=dword:00000001")});
    m_live.StoredPassword = QStringLiteral("before");
    TForm7 *gate = open();
    QCOMPARE(m_dialogs.texts(), QStringList{QStringLiteral("'ED1' のデータ型が不正です")});
    QCOMPARE(m_live.StoredPassword, QStringLiteral("before"));
    enter(gate, QStringLiteral("before"));
    QCOMPARE(m_mainWindowShown, 1);
}

QTEST_MAIN(TestPasswordGate)
#include "tst_passwordgate.moc"
