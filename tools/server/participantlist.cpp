#include "participantlist.h"

#include "net/cp932.h"

namespace {
constexpr qsizetype maxNameChars = 64;
const QString lineEnd = QStringLiteral("\r\n");

QString stamp(const QDateTime &t) {
    return t.toString(QStringLiteral("yyyy/MM/dd HH:mm"));
}

QString header(qsizetype total, const QDateTime &now, const QString &part) {
    QString h =
        QStringLiteral("Mirevo Server > 参加ユーザー %1 人 (%2 現在)").arg(total).arg(stamp(now));
    if (!part.isEmpty())
        h += u' ' + part;
    return h;
}

QString participantLine(const Participant &p) {
    QString name = p.computer.isEmpty() ? QStringLiteral("(名前なし)") : p.computer;
    if (name.size() > maxNameChars)
        name = name.left(maxNameChars - 1) + u'…';
    return wireSafeLine(QStringLiteral("  %1  %2  %3 から").arg(name, p.address, stamp(p.since)));
}
} // namespace

QString wireSafeLine(const QString &text) {
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, len);
        i += len;
        if (ch.at(0).category() == QChar::Other_Control) {
            safe += u'?';
            continue;
        }
        safe += cp932::encode(ch).unencodable ? QStringLiteral("?") : ch;
    }
    return safe;
}

int wireSize(const QString &text) {
    return int(cp932::encode(text).bytes.size());
}

QStringList formatParticipantList(const QList<Participant> &participants, const QDateTime &now,
                                  int maxBytes) {
    const qsizetype total = participants.size();
    // Room for the longest header a part can have ("n/n" with n no larger than the total).
    const int headerRoom = wireSize(header(total, now, QStringLiteral("%1/%1").arg(total)));

    QList<QStringList> parts{QStringList()};
    int partBytes = headerRoom;
    for (const Participant &p : participants) {
        const QString line = participantLine(p);
        const int lineBytes = wireSize(lineEnd) + wireSize(line);
        if (!parts.last().isEmpty() && partBytes + lineBytes > maxBytes) {
            parts.append(QStringList());
            partBytes = headerRoom;
        }
        parts.last().append(line);
        partBytes += lineBytes;
    }

    QStringList texts;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part =
            parts.size() > 1 ? QStringLiteral("%1/%2").arg(i + 1).arg(parts.size()) : QString();
        QStringList lines{header(total, now, part)};
        lines += parts.at(i);
        texts.append(lines.join(lineEnd));
    }
    return texts;
}
