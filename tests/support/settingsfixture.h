#pragma once
// A private configuration folder for tests: XDG_CONFIG_HOME points into a temporary
// folder, so every SettingsStore the code opens (and the autostart entry) lives there.

#include "settings/settingsstore.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest/QTest>

#include <optional>

class SettingsFixture {
public:
    SettingsFixture() { qputenv("XDG_CONFIG_HOME", m_home.path().toUtf8()); }

    // The private folder that XDG_CONFIG_HOME names.
    QString path() const { return m_home.path(); }
    QString filePath() const { return SettingsStore::defaultFilePath(); }

    // Starts from a store that holds nothing.
    void clear()
    {
        QDir(m_home.path()).removeRecursively();
        QDir().mkpath(m_home.path());
    }

    // Writes a store holding the given values of one section, lines in the file's own
    // syntax ("\"CK\"=\"1\"", "\"CK\"=dword:00000001").
    void prepare(const QString &section, const QStringList &values)
    {
        clear();
        const QString key = QStringLiteral("[HKEY_CURRENT_USER\\Software\\Pemrod\\Zantel\\Quenlo");
        QString text = QStringLiteral("REGEDIT4\r\n\r\n") + key + QStringLiteral("]\r\n\r\n") + key
                       + QLatin1Char('\\') + section + QStringLiteral("]\r\n");
        for (const QString &value : values)
            text += value + QStringLiteral("\r\n");
        QDir().mkpath(QFileInfo(filePath()).absolutePath());
        QFile file(filePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    // Makes every later access fail: the file's place is taken by a folder.
    void breakStore()
    {
        QFile::remove(filePath());
        QVERIFY(QDir().mkpath(filePath()));
    }

    // What stands for a value that is not in the store.
    static QString missing() { return QStringLiteral("(missing)"); }

    // The stored text of a value, or missing().
    QString stored(const QString &section, const QString &name) const
    {
        SettingsStore store(filePath());
        return store.readText(section, name, missing());
    }

    // The stored text of a value, or nothing when it is missing.
    static std::optional<QString> storedValue(const QString &section, const QString &name)
    {
        const QString absent = QStringLiteral("\u0001missing");
        SettingsStore store;
        const QString text = store.readText(section, name, absent);
        if (text == absent)
            return std::nullopt;
        return text;
    }

    // Stores one value through the store itself, as the program would.
    static void store(const QString &section, const QString &name, const QString &text)
    {
        SettingsStore store;
        store.writeText(section, name, text);
        store.close();
    }

private:
    QTemporaryDir m_home;
};
