#include "settings/settingsstore.h"

#include "settings/integertext.h"
#include "settings/settingsfile.h"

#include <QStandardPaths>

#include <optional>

namespace {

QString storeKey() {
    return QStringLiteral("HKEY_CURRENT_USER\\") + QLatin1String(SettingsStore::KeyPath);
}

QString sectionKey(const QString &section) {
    return storeKey() + QLatin1Char('\\') + section;
}

QString problemText(const QString &path, const RegDocument::ParseError &error,
                    const QString &keptAt) {
    const QString found = QStringLiteral("設定ファイル %1 の %2 行目を読み取れません（%3）。")
                              .arg(path)
                              .arg(error.line)
                              .arg(error.reason);
    if (keptAt.isEmpty())
        return found + QStringLiteral("ファイルはそのまま残し、設定は既定値で使います。"
                                      "このファイルを直すか移すまで、設定は保存できません。");
    return found +
           QStringLiteral("ファイルは %1 に移して残し、設定は既定値から始めます。").arg(keptAt);
}

} // namespace

struct SettingsStore::Private {
    QString path;
    QString problem;
    bool open = true;

    std::optional<RegDocument::Value> find(const QString &section, const QString &name) const;
    void write(const QString &section, const QString &name, const QString &text) const;
};

SettingsStore::SettingsStore() : SettingsStore(defaultFilePath()) {}

SettingsStore::SettingsStore(const QString &filePath) : d(new Private{filePath, {}, true}) {
    LoadedSettingsFile loaded = loadSettingsFile(filePath);
    if (loaded.status == LoadedSettingsFile::Corrupt) {
        const QString keptAt = moveCorruptFileAside(filePath);
        d->problem = problemText(filePath, loaded.error, keptAt);
        if (keptAt.isEmpty())
            return;
        loaded = LoadedSettingsFile{};
    }
    if (loaded.status == LoadedSettingsFile::Unreadable || loaded.document.hasKey(storeKey()))
        return;
    loaded.document.addKey(storeKey());
    // A store that cannot be created is reported by its first write.
    saveSettingsFile(filePath, loaded.document);
}

SettingsStore::~SettingsStore() {
    delete d;
}

QString SettingsStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Pemrod/Zantel/Quenlo.reg");
}

QString SettingsStore::fileProblem() const {
    return d->problem;
}

// Every operation reads the file afresh, so stores opened one inside another (a nested
// event loop) never write back stale values.
std::optional<RegDocument::Value> SettingsStore::Private::find(const QString &section,
                                                               const QString &name) const {
    Q_ASSERT(open);
    const LoadedSettingsFile loaded = loadSettingsFile(path);
    if (loaded.status == LoadedSettingsFile::Unreadable)
        throw SettingsError(QStringLiteral("'%1' の取得に失敗しました").arg(name));
    if (loaded.status != LoadedSettingsFile::Ok) // a corrupt file left in place reads as empty
        return std::nullopt;
    auto value = loaded.document.value(sectionKey(section), name);
    if (value && value->kind != RegDocument::Kind::Text)
        throw SettingsError(QStringLiteral("'%1' のデータ型が不正です").arg(name));
    return value;
}

void SettingsStore::Private::write(const QString &section, const QString &name,
                                   const QString &text) const {
    Q_ASSERT(open);
    LoadedSettingsFile loaded = loadSettingsFile(path);
    if (loaded.status == LoadedSettingsFile::Unreadable ||
        loaded.status == LoadedSettingsFile::Corrupt)
        throw SettingsError(QStringLiteral("'%1' の設定に失敗しました").arg(name));
    RegDocument &document = loaded.document;
    const QString key = sectionKey(section);
    if (!document.hasKey(key)) {
        if (!document.hasKey(storeKey()))
            document.addKey(storeKey());
        document.addKey(key);
        if (!saveSettingsFile(path, document))
            throw SettingsError(QStringLiteral("キー %1 の作成に失敗しました").arg(section));
    }
    const QByteArray unchanged = document.toBytes();
    document.setText(key, name, text);
    if (document.toBytes() == unchanged)
        return; // the same value again: nothing to save
    if (!saveSettingsFile(path, document))
        throw SettingsError(QStringLiteral("'%1' の設定に失敗しました").arg(name));
}

QString SettingsStore::readText(const QString &section, const QString &name,
                                const QString &defaultText) {
    const auto value = d->find(section, name);
    return value ? value->text : defaultText;
}

int SettingsStore::readInteger(const QString &section, const QString &name, int defaultValue) {
    const auto value = d->find(section, name);
    return value ? parseStoredInteger(value->text).value_or(defaultValue) : defaultValue;
}

bool SettingsStore::readFlag(const QString &section, const QString &name, bool defaultValue) {
    return readInteger(section, name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::writeText(const QString &section, const QString &name, const QString &text) {
    d->write(section, name, text);
}

void SettingsStore::writeInteger(const QString &section, const QString &name, int value) {
    d->write(section, name, QString::number(value));
}

void SettingsStore::writeFlag(const QString &section, const QString &name, bool value) {
    d->write(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void SettingsStore::close() {
    d->open = false;
}
