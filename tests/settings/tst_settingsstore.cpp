#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray StoreKey = "[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel\\Quenlo]";
const QByteArray F1Key = "[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel\\Quenlo\\F1]";
const QByteArray F3Key = "[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel\\Quenlo\\F3]";

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A file with a section F3 holding the given lines.
QByteArray fileWithF3(const QByteArray &values) {
    return "REGEDIT4\n\n" + StoreKey + "\n\n" + F3Key + "\n" + values + "\n";
}

template <typename Operation> QString errorOf(Operation operation) {
    try {
        operation();
    } catch (const SettingsError &error) {
        return error.text();
    }
    return QStringLiteral("(no error)");
}

// Lets writes grow no file beyond the given size, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void openingCreatesTheKey();
    void integerGrammar_data();
    void integerGrammar();
    void flagGrammar_data();
    void flagGrammar();
    void writtenIntegersAndFlags();
    void otherKindsRaiseTypeError_data();
    void otherKindsRaiseTypeError();
    void expandableTextReadsUnexpanded();
    void readingNeverCreatesASection();
    void textRoundTrip_data();
    void textRoundTrip();
    void fileSyntax();
    void foreignLinesWrittenBackUnchanged();
    void acceptsCrlfAndByteOrderMark();
    void corruptFileKeptAndReported_data();
    void corruptFileKeptAndReported();
    void fileChangedToGarbageIsNotOverwritten();
    void privateModes();
    void failingWriteRaisesAndKeepsOldFile_data();
    void failingWriteRaisesAndKeepsOldFile();
    void storesOpenTogetherKeepEachOthersWrites();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestSettingsStore::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("Pemrod/Zantel/Quenlo.reg"));
}

void TestSettingsStore::openingCreatesTheKey() {
    SettingsStore store(m_path);
    QCOMPARE(readAll(m_path), "REGEDIT4\n\n" + StoreKey + "\n");
    QVERIFY(store.fileProblem().isEmpty());
}

void TestSettingsStore::integerGrammar_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("expected");
    const int def = 42;
    QTest::newRow("abc") << QStringLiteral("abc") << def;
    QTest::newRow("empty") << QString() << def;
    QTest::newRow("eleven digits") << QStringLiteral("12345678901") << def;
    QTest::newRow("0x10") << QStringLiteral("0x10") << 16;
    QTest::newRow("0X10") << QStringLiteral("0X10") << 16;
    QTest::newRow("$10") << QStringLiteral("$10") << 16;
    QTest::newRow("x10") << QStringLiteral("x10") << 16;
    QTest::newRow("leading blank") << QStringLiteral(" 7") << 7;
    QTest::newRow("trailing blank") << QStringLiteral("7 ") << def;
    QTest::newRow("plus") << QStringLiteral("+5") << 5;
    QTest::newRow("minus") << QStringLiteral("-1") << -1;
    QTest::newRow("largest") << QStringLiteral("2147483647") << 2147483647;
    QTest::newRow("smallest") << QStringLiteral("-2147483648") << -2147483647 - 1;
    QTest::newRow("above 32 bits") << QStringLiteral("2147483648") << def;
    QTest::newRow("below 32 bits") << QStringLiteral("-2147483649") << def;
    QTest::newRow("eight hex digits wrap") << QStringLiteral("0xFFFFFFFF") << -1;
    QTest::newRow("nine hex digits") << QStringLiteral("0x100000000") << def;
    QTest::newRow("sign before hex") << QStringLiteral("-$10") << def;
    QTest::newRow("prefix alone") << QStringLiteral("0x") << def;
    QTest::newRow("sign alone") << QStringLiteral("-") << def;
    QTest::newRow("full-width digits") << QStringLiteral("７") << def;
}

void TestSettingsStore::integerGrammar() {
    QFETCH(QString, stored);
    QFETCH(int, expected);
    SettingsStore store(m_path);
    store.writeText(QStringLiteral("F1"), QStringLiteral("X"), stored);
    QCOMPARE(store.readInteger(QStringLiteral("F1"), QStringLiteral("X"), 42), expected);
}

void TestSettingsStore::flagGrammar_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("defaultFlag");
    QTest::addColumn<bool>("expected");
    QTest::newRow("2") << QStringLiteral("2") << false << true;
    QTest::newRow("-1") << QStringLiteral("-1") << false << true;
    QTest::newRow("1") << QStringLiteral("1") << false << true;
    QTest::newRow("0") << QStringLiteral("0") << true << false;
    QTest::newRow("yes, default on") << QStringLiteral("yes") << true << true;
    QTest::newRow("yes, default off") << QStringLiteral("yes") << false << false;
    QTest::newRow("empty, default on") << QString() << true << true;
}

void TestSettingsStore::flagGrammar() {
    QFETCH(QString, stored);
    QFETCH(bool, defaultFlag);
    QFETCH(bool, expected);
    SettingsStore store(m_path);
    store.writeText(QStringLiteral("F3"), QStringLiteral("CK"), stored);
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK"), defaultFlag), expected);
}

void TestSettingsStore::writtenIntegersAndFlags() {
    {
        SettingsStore store(m_path);
        store.writeInteger(QStringLiteral("F1"), QStringLiteral("CB3"), -1);
        store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK"), true);
        store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK2"), false);
        store.close();
    }
    SettingsStore store(m_path);
    QCOMPARE(store.readText(QStringLiteral("F1"), QStringLiteral("CB3"), {}), QStringLiteral("-1"));
    QCOMPARE(store.readText(QStringLiteral("F3"), QStringLiteral("CK"), {}), QStringLiteral("1"));
    QCOMPARE(store.readText(QStringLiteral("F3"), QStringLiteral("CK2"), {}), QStringLiteral("0"));
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK2"), true), false);
}

void TestSettingsStore::otherKindsRaiseTypeError_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("dword") << QByteArray("\"CK\"=dword:00000001");
    QTest::newRow("binary") << QByteArray("\"CK\"=hex:01,00");
    QTest::newRow("multi-text") << QByteArray("\"CK\"=hex(7):41,00,00,00");
}

void TestSettingsStore::otherKindsRaiseTypeError() {
    QFETCH(QByteArray, line);
    QDir().mkpath(QFileInfo(m_path).path());
    writeAll(m_path, fileWithF3(line));
    SettingsStore store(m_path);
    const QString F3 = QStringLiteral("F3"), CK = QStringLiteral("CK");
    const QString typeError = QStringLiteral("'CK' のデータ型が不正です");
    QCOMPARE(errorOf([&] { store.readText(F3, CK, {}); }), typeError);
    QCOMPARE(errorOf([&] { store.readInteger(F3, CK, 0); }), typeError);
    QCOMPARE(errorOf([&] { store.readFlag(F3, CK, true); }), typeError);
}

void TestSettingsStore::expandableTextReadsUnexpanded() {
    QDir().mkpath(QFileInfo(m_path).path());
    // "%HOME%" and a zero byte, continued over two lines as exports wrap long values.
    writeAll(m_path, fileWithF3("\"ED1\"=hex(2):25,48,4f,\\\n  4d,45,25,00"));
    SettingsStore store(m_path);
    QCOMPARE(store.readText(QStringLiteral("F3"), QStringLiteral("ED1"), {}),
             QStringLiteral("%HOME%"));
}

void TestSettingsStore::readingNeverCreatesASection() {
    SettingsStore store(m_path);
    QCOMPARE(store.readText(QStringLiteral("F8"), QStringLiteral("HOST"), QStringLiteral("d")),
             QStringLiteral("d"));
    QCOMPARE(store.readInteger(QStringLiteral("F4"), QStringLiteral("RG"), 1), 1);
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK"), true), true);
    QVERIFY(!readAll(m_path).contains("F8"));
    QVERIFY(!readAll(m_path).contains("F3"));

    store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK6"), true);
    QVERIFY(readAll(m_path).contains(F3Key + "\n\"CK6\"=\"1\"\n"));
    QVERIFY(!readAll(m_path).contains("F8"));
}

void TestSettingsStore::textRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("quotes") << QStringLiteral("say \"hi\"");
    QTest::newRow("backslashes") << QStringLiteral("C:\\temp\\");
    QTest::newRow("japanese") << QStringLiteral("山田 太郎～①");
    QTest::newRow("escape-like") << QStringLiteral("\\\"\\\\\"");
    QTest::newRow("blanks kept") << QStringLiteral("  a  ");
    QTest::newRow("section-like") << QStringLiteral("[x]\n\"CK\"=dword:00000001");
    QTest::newRow("carriage return") << QStringLiteral("a\r\nb");
}

void TestSettingsStore::textRoundTrip() {
    QFETCH(QString, text);
    {
        SettingsStore store(m_path);
        store.writeText(QStringLiteral("F6"), QStringLiteral("ED1"), text);
        store.writeText(QStringLiteral("F6"), QStringLiteral("ED2"), QStringLiteral("next"));
    }
    SettingsStore store(m_path);
    QVERIFY2(store.fileProblem().isEmpty(), qPrintable(store.fileProblem()));
    QCOMPARE(store.readText(QStringLiteral("F6"), QStringLiteral("ED1"), QStringLiteral("d")),
             text);
    QCOMPARE(store.readText(QStringLiteral("F6"), QStringLiteral("ED2"), {}),
             QStringLiteral("next"));
}

void TestSettingsStore::fileSyntax() {
    {
        SettingsStore store(m_path);
        store.writeInteger(QStringLiteral("F1"), QStringLiteral("X"), 253);
        store.writeText(QStringLiteral("F1"), QStringLiteral("MyName"),
                        QStringLiteral("山田 \"taro\""));
        store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK"), true);
        store.writeText(QStringLiteral("F3"), QStringLiteral("ED1"), QString());
        store.writeInteger(QStringLiteral("F1"), QStringLiteral("X"), 254);
    }
    QCOMPARE(QString::fromUtf8(readAll(m_path)),
             QString::fromUtf8("REGEDIT4\n\n" + StoreKey + "\n\n" + F1Key +
                               "\n\"X\"=\"254\"\n\"MyName\"=\"山田 \\\"taro\\\"\"\n\n" + F3Key +
                               "\n\"CK\"=\"1\"\n\"ED1\"=\"\"\n"));
}

void TestSettingsStore::foreignLinesWrittenBackUnchanged() {
    const QByteArray foreign = "REGEDIT4\n"
                               "; exported by hand\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel]\n"
                               "\"Other\"=\"kept\"\n"
                               "\n" +
                               StoreKey +
                               "\n"
                               "@=\"default value\"\n"
                               "\n" +
                               F3Key +
                               "\n"
                               "\"CK\"=dword:00000001\n"
                               "\"Blob\"=hex:00,01,02,\\\n"
                               "  03,04\n"
                               "\"Gone\"=-\n"
                               "\"CK2\"=\"0\"\n"
                               "\n"
                               "[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel\\Quenlo\\F3\\Sub]\n"
                               "\"CK3\"=\"1\"\n";
    QDir().mkpath(QFileInfo(m_path).path());
    writeAll(m_path, foreign);
    {
        SettingsStore store(m_path);
        QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK3"), false), false);
        store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK2"), true);
        store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK3"), true);
    }
    QByteArray expected = foreign;
    expected.replace("\"CK2\"=\"0\"\n", "\"CK2\"=\"1\"\n\"CK3\"=\"1\"\n");
    QCOMPARE(readAll(m_path), expected);
}

void TestSettingsStore::acceptsCrlfAndByteOrderMark() {
    QDir().mkpath(QFileInfo(m_path).path());
    QByteArray bytes = "\xEF\xBB\xBF" + fileWithF3("\"ED1\"=\"パス\"\n\"CK\"=\"0\"");
    bytes.replace("\n", "\r\n");
    writeAll(m_path, bytes);
    SettingsStore store(m_path);
    QVERIFY2(store.fileProblem().isEmpty(), qPrintable(store.fileProblem()));
    QCOMPARE(store.readText(QStringLiteral("F3"), QStringLiteral("ED1"), {}),
             QStringLiteral("パス"));
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK"), true), false);
}

void TestSettingsStore::corruptFileKeptAndReported_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::newRow("no header") << QByteArray(F3Key + "\n\"CK\"=\"1\"\n") << 1;
    QTest::newRow("unquoted name") << fileWithF3("\"CK\"=\"1\"\nCK2=\"1\"") << 7;
    QTest::newRow("unterminated text") << fileWithF3("\"CK\"=\"1") << 6;
    QTest::newRow("unknown escape") << fileWithF3("\"ED1\"=\"C:\\temp\"") << 6;
    QTest::newRow("short dword") << fileWithF3("\"CK\"=dword:1") << 6;
    QTest::newRow("value before key") << QByteArray("REGEDIT4\n\"CK\"=\"1\"\n") << 2;
    QTest::newRow("invalid UTF-8") << fileWithF3("\"ED1\"=\"\x93\xfa\x96\x7b\"") << 6;
    QTest::newRow("unfinished hex") << fileWithF3("\"B\"=hex:01,\\") << 6;
}

void TestSettingsStore::corruptFileKeptAndReported() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QDir().mkpath(QFileInfo(m_path).path());
    writeAll(m_path, bytes);

    SettingsStore store(m_path);
    const QString problem = store.fileProblem();
    QVERIFY(problem.contains(m_path));
    QVERIFY2(problem.contains(QStringLiteral(" %1 行目").arg(line)), qPrintable(problem));
    const QStringList aside =
        QFileInfo(m_path).dir().entryList({QStringLiteral("Quenlo.reg.corrupt-*")});
    QCOMPARE(aside.size(), 1);
    const QString keptAt = QFileInfo(m_path).dir().filePath(aside.first());
    QVERIFY(problem.contains(keptAt));
    QCOMPARE(readAll(keptAt), bytes);

    // The store goes on from defaults without touching the kept file.
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK"), true), true);
    store.writeFlag(QStringLiteral("F3"), QStringLiteral("CK"), false);
    QCOMPARE(store.readFlag(QStringLiteral("F3"), QStringLiteral("CK"), true), false);
    QCOMPARE(readAll(keptAt), bytes);

    SettingsStore reopened(m_path);
    QVERIFY(reopened.fileProblem().isEmpty());
}

void TestSettingsStore::fileChangedToGarbageIsNotOverwritten() {
    SettingsStore store(m_path);
    const QByteArray garbage = "not a registry export\n";
    writeAll(m_path, garbage);
    QCOMPARE(errorOf([&] { store.writeText(QStringLiteral("F1"), QStringLiteral("MyName"), {}); }),
             QStringLiteral("'MyName' の設定に失敗しました"));
    QCOMPARE(readAll(m_path), garbage);
    QCOMPARE(store.readText(QStringLiteral("F1"), QStringLiteral("MyName"), QStringLiteral("d")),
             QStringLiteral("d"));
}

void TestSettingsStore::privateModes() {
    SettingsStore store(m_path);
    const QFile::Permissions owner = QFile::ReadOwner | QFile::WriteOwner;
    QCOMPARE(QFile::permissions(m_path) & ~(QFile::ReadUser | QFile::WriteUser), owner);
    const QString folder = QFileInfo(m_path).path();
    const QFile::Permissions folderOwner = owner | QFile::ExeOwner;
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    QCOMPARE(QFile::permissions(folder) & ~userBits, folderOwner);
    QCOMPARE(QFile::permissions(QFileInfo(folder).path()) & ~userBits, folderOwner);

    // A file made readable by others gets private again with the next write.
    QVERIFY(QFile::setPermissions(m_path, owner | QFile::ReadGroup | QFile::ReadOther));
    store.writeText(QStringLiteral("F3"), QStringLiteral("ED1"), QStringLiteral("secret"));
    QCOMPARE(QFile::permissions(m_path) & ~(QFile::ReadUser | QFile::WriteUser), owner);
}

void TestSettingsStore::failingWriteRaisesAndKeepsOldFile_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("error");
    QTest::newRow("existing section")
        << QStringLiteral("F1") << QStringLiteral("'MyName' の設定に失敗しました");
    QTest::newRow("new section") << QStringLiteral("F8")
                                 << QStringLiteral("キー F8 の作成に失敗しました");
}

void TestSettingsStore::failingWriteRaisesAndKeepsOldFile() {
    QFETCH(QString, section);
    QFETCH(QString, error);
    SettingsStore store(m_path);
    store.writeText(QStringLiteral("F1"), QStringLiteral("X"), QStringLiteral("10"));
    const QByteArray before = readAll(m_path);
    QString raised;
    {
        FileSizeLimit full(before.size());
        raised = errorOf(
            [&] { store.writeText(section, QStringLiteral("MyName"), QStringLiteral("山田")); });
    }
    QCOMPARE(raised, error);
    QCOMPARE(readAll(m_path), before);
    QCOMPARE(QFileInfo(m_path).dir().entryList(QDir::Files),
             QStringList{QStringLiteral("Quenlo.reg")});
    QCOMPARE(store.readInteger(QStringLiteral("F1"), QStringLiteral("X"), 0), 10);
}

void TestSettingsStore::storesOpenTogetherKeepEachOthersWrites() {
    SettingsStore outer(m_path);
    SettingsStore inner(m_path);
    inner.writeText(QStringLiteral("F8"), QStringLiteral("HOST"), QStringLiteral("server"));
    outer.writeFlag(QStringLiteral("F8"), QStringLiteral("CB"), true);
    QCOMPARE(outer.readText(QStringLiteral("F8"), QStringLiteral("HOST"), {}),
             QStringLiteral("server"));
    SettingsStore later(m_path);
    QCOMPARE(later.readText(QStringLiteral("F8"), QStringLiteral("HOST"), {}),
             QStringLiteral("server"));
    QCOMPARE(later.readFlag(QStringLiteral("F8"), QStringLiteral("CB"), false), true);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
