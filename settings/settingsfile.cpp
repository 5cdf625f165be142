#include "settings/settingsfile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr QFile::Permissions PrivateFile = QFile::ReadOwner | QFile::WriteOwner;
constexpr QFile::Permissions PrivateFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// Creates each missing folder of the path, private to the user.
bool makeFolders(const QString &folder) {
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink())
        return false;
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath() || !makeFolders(parent))
        return false;
    return QDir().mkdir(info.absoluteFilePath(), PrivateFolder);
}

} // namespace

LoadedSettingsFile loadSettingsFile(const QString &path) {
    LoadedSettingsFile loaded;
    QFile file(path);
    if (!file.exists())
        return loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.status = LoadedSettingsFile::Unreadable;
        return loaded;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        loaded.status = LoadedSettingsFile::Unreadable;
        return loaded;
    }
    // An empty file holds nothing that could be lost (a save never leaves one behind).
    if (bytes.trimmed().isEmpty())
        return loaded;
    auto parsed = RegDocument::parse(bytes);
    if (auto *error = std::get_if<RegDocument::ParseError>(&parsed)) {
        loaded.status = LoadedSettingsFile::Corrupt;
        loaded.error = *error;
        return loaded;
    }
    loaded.status = LoadedSettingsFile::Ok;
    loaded.document = std::get<RegDocument>(std::move(parsed));
    return loaded;
}

bool saveSettingsFile(const QString &path, const RegDocument &document) {
    if (!makeFolders(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    // Unbuffered, so that a short write (full disk, size limit) shows here: a buffered save
    // file flushes a short write at commit and still reports success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray bytes = document.toBytes();
    if (file.write(bytes) != bytes.size() || !file.setPermissions(PrivateFile))
        return false; // the save file's destructor discards the temporary copy
    return file.commit();
}

QString moveCorruptFileAside(const QString &path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString target = path + QStringLiteral(".corrupt-") + stamp;
        if (attempt > 0)
            target += QLatin1Char('-') + QString::number(attempt);
        if (QFile::exists(target))
            continue;
        if (QFile::rename(path, target))
            return target;
        if (!QFile::exists(target))
            break; // not a clash of names: the file cannot be moved
    }
    return {};
}
