#pragma once
// Starting the program with the desktop session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/mirevo.desktop) whose Exec is the executable's full path.

#include <QString>
#include <stdexcept>

// A failed write of the entry; what() is the UTF-8 text "<file> に書き込めません".
class AutostartError : public std::runtime_error {
public:
    explicit AutostartError(const QString &filePath);
};

class Autostart {
public:
    virtual ~Autostart() = default;

    // Creates or replaces the entry so that the session starts executablePath.
    virtual void enable(const QString &executablePath) = 0;
    // Removes the entry; nothing to do when there is none.
    virtual void disable() = 0;
    virtual bool isEnabled() const = 0;
};

class XdgAutostart : public Autostart {
public:
    // The entry in the user's autostart folder ($XDG_CONFIG_HOME/autostart).
    XdgAutostart();
    explicit XdgAutostart(QString entryPath);

    static QString defaultEntryPath();
    QString entryPath() const { return m_entryPath; }

    void enable(const QString &executablePath) override;
    void disable() override;
    bool isEnabled() const override;

    // The entry's text for the executable (the Exec value quoted and escaped as
    // desktop entries require).
    static QByteArray entryText(const QString &executablePath);

private:
    QString m_entryPath;
};
