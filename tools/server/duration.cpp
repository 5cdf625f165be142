#include "duration.h"

std::optional<std::chrono::seconds> parseDuration(const QString &text) {
    QString number = text.trimmed();
    qint64 unit = 3600;
    if (!number.isEmpty()) {
        switch (number.back().unicode()) {
        case u's':
            unit = 1;
            break;
        case u'm':
            unit = 60;
            break;
        case u'h':
            unit = 3600;
            break;
        case u'd':
            unit = 86400;
            break;
        default:
            unit = 0;
            break;
        }
        if (unit != 0)
            number.chop(1);
        else
            unit = 3600;
    }
    bool ok = false;
    const qint64 count = number.toLongLong(&ok);
    // A bound far beyond any use, so that the product cannot overflow.
    if (!ok || count < 0 || count > 100LL * 365 * 86400 / unit || number.startsWith(u'+'))
        return std::nullopt;
    return std::chrono::seconds(count * unit);
}

QString formatDuration(std::chrono::seconds duration) {
    const qint64 s = duration.count();
    if (s == 0)
        return QStringLiteral("0");
    if (s % 86400 == 0)
        return QStringLiteral("%1d").arg(s / 86400);
    if (s % 3600 == 0)
        return QStringLiteral("%1h").arg(s / 3600);
    if (s % 60 == 0)
        return QStringLiteral("%1m").arg(s / 60);
    return QStringLiteral("%1s").arg(s);
}
