// The entry routine's single-instance decision, on real lock files.

#include "app/entry.h"
#include "support/fakedialogs.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class EntryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void singleInstance()
    {
        QTemporaryDir runtime;
        FakeDialogs dialogs;

        SingleInstance first(runtime.path());
        QCOMPARE(refuseSecondCopy(first.acquire(), dialogs), std::nullopt);
        QVERIFY(dialogs.shown.isEmpty());

        SingleInstance second(runtime.path());
        QCOMPARE(refuseSecondCopy(second.acquire(), dialogs), std::optional<int>(255));
        QCOMPARE(dialogs.texts(), QStringList{u"同じプログラムが起動しています"_s});
    }

    void markerThatCannotBeMadeEndsSilently()
    {
        QTemporaryDir runtime;
        const QString missing = runtime.filePath(u"no/such/dir"_s);
        FakeDialogs dialogs;
        SingleInstance instance(missing);
        QCOMPARE(refuseSecondCopy(instance.acquire(), dialogs), std::optional<int>(255));
        QVERIFY(dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(EntryTest)
#include "tst_entry.moc"
