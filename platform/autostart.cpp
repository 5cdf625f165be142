#include "platform/autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

AutostartError::AutostartError(const QString &filePath)
    : std::runtime_error(QStringLiteral("%1 に書き込めません").arg(filePath).toStdString())
{
}

namespace {

// One argument of an Exec line: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped by a backslash.
QString execArgument(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::any_of(argument.begin(), argument.end(),
                                         [](QChar c) { return reserved.contains(c); });
    QString result = argument;
    if (needsQuotes) {
        result.clear();
        for (QChar c : argument) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                result += u'\\';
            result += c;
        }
        result = u'"' + result + u'"';
    }
    // A lone % would start a field code.
    result.replace(u'%', QStringLiteral("%%"));
    return result;
}

// The escapes of a string value in a desktop entry, applied after the Exec quoting.
QString stringValue(const QString &text)
{
    QString result;
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'\\': result += QStringLiteral("\\\\"); break;
        case u'\n': result += QStringLiteral("\\n"); break;
        case u'\t': result += QStringLiteral("\\t"); break;
        case u'\r': result += QStringLiteral("\\r"); break;
        default: result += c;
        }
    }
    return result;
}

} // namespace

XdgAutostart::XdgAutostart() : XdgAutostart(defaultEntryPath()) {}

XdgAutostart::XdgAutostart(QString entryPath) : m_entryPath(std::move(entryPath)) {}

QString XdgAutostart::defaultEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
           + QStringLiteral("/autostart/mirevo.desktop");
}

QByteArray XdgAutostart::entryText(const QString &executablePath)
{
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Mirevo\n"
                                        "Comment=Start Mirevo with the desktop session\n"
                                        "Exec=%1\n"
                                        "Icon=mirevo\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(stringValue(execArgument(executablePath)));
    return text.toUtf8();
}

void XdgAutostart::enable(const QString &executablePath)
{
    if (!QDir().mkpath(QFileInfo(m_entryPath).absolutePath()))
        throw AutostartError(m_entryPath);
    QSaveFile file(m_entryPath);
    if (!file.open(QIODevice::WriteOnly))
        throw AutostartError(m_entryPath);
    file.write(entryText(executablePath));
    if (!file.commit())
        throw AutostartError(m_entryPath);
}

void XdgAutostart::disable()
{
    QFile file(m_entryPath);
    if (file.exists() && !file.remove())
        throw AutostartError(m_entryPath);
}

bool XdgAutostart::isEnabled() const
{
    return QFileInfo(m_entryPath).isFile();
}
