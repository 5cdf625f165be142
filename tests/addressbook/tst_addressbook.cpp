#include "addressbook/tform6.h"
#include "settings/settingsstore.h"
#include "support/fakedialogs.h"
#include "support/settingsfixture.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest/QtTest>

#include <optional>

#include <csignal>
#include <sys/resource.h>

namespace {

using Destination = std::pair<QString, QString>; // host, name

// The fields in the order the book reads and stores them.
QList<int> storeOrder()
{
    QList<int> order;
    for (int entry = 1; entry <= 10; ++entry)
        order << entry << 10 + entry << 20 + entry;
    return order;
}

QString valueName(int number)
{
    return QStringLiteral("ED%1").arg(number);
}

// Stores a full book whose value n is prefix + n.
void storeBook(const QString &prefix)
{
    SettingsStore store;
    for (int number = 1; number <= 30; ++number)
        store.writeText(QStringLiteral("F6"), valueName(number), prefix + QString::number(number));
    store.close();
}

// Caps the size of files this process writes, so that the store's file stops growing.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit capped = m_saved;
        capped.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &capped);
    }
    ~FileSizeCap() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

class TestAddressBook : public QObject {
    Q_OBJECT

private:
    SettingsFixture m_settings;
    FakeDialogs m_dialogs;
    QList<Destination> m_destinations;

    // Opens the book as the main window does: created afresh and shown.
    QPointer<TForm6> open(QWidget *owner = nullptr)
    {
        auto *form = new TForm6(
            m_dialogs, [this](const QString &host, const QString &name) { m_destinations.append({host, name}); },
            owner);
        form->show();
        return form;
    }

    static QPushButton *button(TForm6 *form, const char *name)
    {
        return form->findChild<QPushButton *>(QLatin1String(name));
    }

    static void closeAndWait(QPointer<TForm6> &form)
    {
        form->close();
        QTRY_VERIFY(form.isNull());
    }

private Q_SLOTS:
    void init()
    {
        m_settings.clear();
        m_dialogs = FakeDialogs();
        m_destinations.clear();
    }

    void emptyStoreOpensEmpty()
    {
        QPointer<TForm6> form = open();
        for (int number = 1; number <= 30; ++number)
            QCOMPARE(form->field(number)->text(), QString());
        QVERIFY(!button(form, "Button2")->isEnabled());
        QVERIFY(form->findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item1"))->isChecked());

        button(form, "Button1")->click();
        QCOMPARE(m_destinations.size(), 1);
        QCOMPARE(m_destinations.first(), Destination());
        QTRY_VERIFY(form.isNull());
        QVERIFY(m_dialogs.shown.isEmpty());
    }

    void storedEntriesOpenWithRegistrationDisabled()
    {
        storeBook(QStringLiteral("value "));
        QPointer<TForm6> form = open();
        for (int number = 1; number <= 30; ++number)
            QCOMPARE(form->field(number)->text(), QStringLiteral("value %1").arg(number));
        QVERIFY(!button(form, "Button2")->isEnabled());
        closeAndWait(form);
    }

    void typingEnablesRegistration_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("name of entry 1") << 1;
        QTest::newRow("host of entry 10") << 20;
        QTest::newRow("description of entry 10") << 30;
    }

    void typingEnablesRegistration()
    {
        QFETCH(int, number);
        QPointer<TForm6> form = open();
        QTest::keyClicks(form->field(number), QStringLiteral("x"));
        QVERIFY(button(form, "Button2")->isEnabled());

        button(form, "Button2")->click();
        QVERIFY(!button(form, "Button2")->isEnabled());
        QCOMPARE(m_settings.storedValue(QStringLiteral("F6"), valueName(number)), QStringLiteral("x"));
        QVERIFY(form->isVisible());
        closeAndWait(form);
    }

    void registrationStoresAllThirty()
    {
        m_settings.store(QStringLiteral("F6"), QStringLiteral("ED3"), QStringLiteral("old name"));
        QPointer<TForm6> form = open();
        form->field(3)->clear();
        form->field(14)->setText(QStringLiteral("192.168.0.4"));
        button(form, "Button2")->click();

        for (int number = 1; number <= 30; ++number) {
            const QString expected = number == 14 ? QStringLiteral("192.168.0.4") : QString();
            QCOMPARE(m_settings.storedValue(QStringLiteral("F6"), valueName(number)), expected);
        }
        QVERIFY(m_dialogs.shown.isEmpty());
        closeAndWait(form);
    }

    void unregisteredEditsAreLostOnClose()
    {
        m_settings.store(QStringLiteral("F6"), QStringLiteral("ED1"), QStringLiteral("佐藤"));
        QPointer<TForm6> form = open();
        form->field(1)->setText(QStringLiteral("鈴木"));
        button(form, "Button3")->click();
        QTRY_VERIFY(form.isNull());

        form = open();
        QCOMPARE(form->field(1)->text(), QStringLiteral("佐藤"));
        closeAndWait(form);
    }

    void destinationTakesTheSelectedEntry_data()
    {
        QTest::addColumn<int>("entry");
        QTest::newRow("entry 1") << 1;
        QTest::newRow("entry 4") << 4;
        QTest::newRow("entry 10") << 10;
    }

    // The fields as they stand are used, registered or not; the store keeps its values.
    void destinationTakesTheSelectedEntry()
    {
        QFETCH(int, entry);
        storeBook(QStringLiteral("stored "));
        QPointer<TForm6> form = open();
        form->field(entry)->setText(QStringLiteral("edited name"));
        form->field(10 + entry)->setText(QStringLiteral("edited.host"));
        form->findChild<QRadioButton *>(QStringLiteral("RadioGroup1Item%1").arg(entry))->click();
        button(form, "Button1")->click();

        QCOMPARE(m_destinations.size(), 1);
        QCOMPARE(m_destinations.first(), Destination(QStringLiteral("edited.host"), QStringLiteral("edited name")));
        QTRY_VERIFY(form.isNull());
        QCOMPARE(m_settings.storedValue(QStringLiteral("F6"), valueName(entry)), QStringLiteral("stored %1").arg(entry));
        QCOMPARE(m_settings.storedValue(QStringLiteral("F6"), valueName(10 + entry)),
                 QStringLiteral("stored %1").arg(10 + entry));
    }

    // A store failure in the middle of a registration: the values before it stay
    // written in the book's order, the rest are not, and the button stays enabled.
    void failedRegistrationStopsAtTheFailingValue()
    {
        QPointer<TForm6> form = open();
        for (int number = 1; number <= 30; ++number)
            form->field(number)->setText(QString(100, QLatin1Char('a' + number % 26)));
        {
            const FileSizeCap cap(1500);
            button(form, "Button2")->click();
        }
        QVERIFY(button(form, "Button2")->isEnabled());
        QCOMPARE(m_dialogs.shown.size(), 1);
        QCOMPARE(m_dialogs.shown.first().kind, ShownBox::Error);

        const QList<int> order = storeOrder();
        qsizetype written = 0;
        while (written < order.size() && m_settings.storedValue(QStringLiteral("F6"), valueName(order[written])).has_value())
            ++written;
        QVERIFY2(written > 0 && written < order.size(), qPrintable(QString::number(written)));
        QCOMPARE(m_dialogs.shown.first().text, QStringLiteral("'%1' の設定に失敗しました").arg(valueName(order[written])));
        for (qsizetype i = 0; i < order.size(); ++i) {
            const auto stored = m_settings.storedValue(QStringLiteral("F6"), valueName(order[i]));
            QCOMPARE(stored, i < written ? std::optional(form->field(order[i])->text()) : std::nullopt);
        }
        closeAndWait(form);
    }

    void opensAtItsDesignedPlace()
    {
        QWidget owner;
        owner.setGeometry(600, 500, 400, 300);
        owner.show();
        QPointer<TForm6> form = open(&owner);
        QCOMPARE(form->pos(), QPoint(281, 144));
        closeAndWait(form);
    }
};

QTEST_MAIN(TestAddressBook)
#include "tst_addressbook.moc"
