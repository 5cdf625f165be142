#pragma once
// The per-user settings store: sections of named text values under one key path,
// kept in one registry-export style file. Opened, used and closed within one handler.

#include <QString>
#include <stdexcept>

// A store failure; what() is the UTF-8 text shown in the error box
// ("キー F1 の作成に失敗しました", "'X' の設定に失敗しました", "'X' の取得に失敗しました",
// "'X' のデータ型が不正です").
class SettingsError : public std::runtime_error {
public:
    explicit SettingsError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

class SettingsStore {
public:
    static constexpr const char *KeyPath = "Software\\Pemrod\\Zantel\\Quenlo";

    // Opens the store (creating the key when missing) in the default per-user file,
    // $XDG_CONFIG_HOME/Pemrod/Zantel/Quenlo.reg.
    SettingsStore();
    // Opens the store kept in the given file (tests).
    explicit SettingsStore(const QString &filePath);
    ~SettingsStore(); // closes
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    static QString defaultFilePath();

    // Empty, unless this opening found the file unparseable: then a message for the user
    // naming the file, the line and what is wrong with it, and where the file was kept
    // (moved aside next to it). The store then starts from defaults; a file that could not
    // be moved is left in place and every write fails rather than overwrite it.
    QString fileProblem() const;

    QString readText(const QString &section, const QString &name, const QString &defaultText);
    int readInteger(const QString &section, const QString &name, int defaultValue);
    bool readFlag(const QString &section, const QString &name, bool defaultValue);
    void writeText(const QString &section, const QString &name, const QString &text);
    void writeInteger(const QString &section, const QString &name, int value);
    void writeFlag(const QString &section, const QString &name, bool value);
    void close();

private:
    struct Private;
    Private *d;
};
