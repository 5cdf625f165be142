#include "settings/regdocument.h"

#include <QStringDecoder>

#include <algorithm>

namespace {

const QString Header = QStringLiteral("REGEDIT4");
const QString UnicodeHeader = QStringLiteral("Windows Registry Editor Version 5.00");

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A quoted string starting at text[pos] == '"', with \\ and \" as its only escapes.
// On success pos is just past the closing quote.
std::optional<QString> parseQuoted(QStringView text, qsizetype &pos) {
    QString out;
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'"') {
            pos = i + 1;
            return out;
        }
        if (c == u'\\') {
            if (i + 1 >= text.size() || (text[i + 1] != u'\\' && text[i + 1] != u'"'))
                return std::nullopt;
            ++i;
        }
        out.append(text[i]);
    }
    return std::nullopt;
}

QString quoted(const QString &text) {
    QString out = text;
    out.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

// "b1,b2,..." (possibly empty), each byte one or two hexadecimal digits.
std::optional<QByteArray> parseHexBytes(QStringView text) {
    QByteArray bytes;
    if (text.trimmed().isEmpty())
        return bytes;
    for (QStringView part : text.split(u',')) {
        part = part.trimmed();
        if (part.isEmpty() || part.size() > 2 || !isHexDigit(part[0]) ||
            (part.size() == 2 && !isHexDigit(part[1])))
            return std::nullopt;
        bytes.append(char(part.toUInt(nullptr, 16)));
    }
    return bytes;
}

struct ParsedData {
    RegDocument::Kind kind;
    QString text;
};

// The part after '=': "text", dword:, hex:, hex(n): or the deletion mark "-".
std::optional<ParsedData> parseData(QStringView data) {
    if (data.startsWith(u'"')) {
        qsizetype pos = 0;
        const auto text = parseQuoted(data, pos);
        if (!text || !data.mid(pos).trimmed().isEmpty())
            return std::nullopt;
        return ParsedData{RegDocument::Kind::Text, *text};
    }
    data = data.trimmed();
    if (data == u"-")
        return ParsedData{RegDocument::Kind::OtherKind, {}};
    if (data.startsWith(u"dword:", Qt::CaseInsensitive)) {
        const QStringView digits = data.mid(6);
        if (digits.size() != 8 || !std::all_of(digits.begin(), digits.end(), isHexDigit))
            return std::nullopt;
        return ParsedData{RegDocument::Kind::OtherKind, {}};
    }
    if (!data.startsWith(u"hex", Qt::CaseInsensitive))
        return std::nullopt;
    data = data.mid(3);
    int type = 3; // binary
    if (data.startsWith(u'(')) {
        const qsizetype close = data.indexOf(u')');
        bool ok = false;
        if (close > 1)
            type = data.mid(1, close - 1).toInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        data = data.mid(close + 1);
    }
    if (!data.startsWith(u':'))
        return std::nullopt;
    const auto bytes = parseHexBytes(data.mid(1));
    if (!bytes)
        return std::nullopt;
    if (type == 1 || type == 2) { // text and expandable text: UTF-8 up to the first zero byte
        const qsizetype end = bytes->indexOf('\0');
        return ParsedData{RegDocument::Kind::Text,
                          QString::fromUtf8(end < 0 ? *bytes : bytes->left(end))};
    }
    return ParsedData{RegDocument::Kind::OtherKind, {}};
}

// A text that a quoted value cannot hold on one line is written as text in hexadecimal form.
QString textData(const QString &text) {
    if (!text.contains(u'\n') && !text.contains(u'\r') && !text.contains(QChar(0)))
        return quoted(text);
    QStringList bytes;
    for (char byte : text.toUtf8())
        bytes.append(QStringLiteral("%1").arg(uchar(byte), 2, 16, QLatin1Char('0')));
    bytes.append(QStringLiteral("00"));
    return QStringLiteral("hex(1):") + bytes.join(u',');
}

QString valueLine(const QString &name, const QString &text) {
    return quoted(name) + QLatin1Char('=') + textData(text);
}

} // namespace

RegDocument::RegDocument() {
    m_lines.append(Line{Line::Plain, Header, {}, {}, Kind::OtherKind, {}});
}

std::variant<RegDocument, RegDocument::ParseError> RegDocument::parse(const QByteArray &bytes) {
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QList<QByteArray> physical = data.split('\n');
    if (data.endsWith('\n'))
        physical.removeLast();

    QStringList lines;
    lines.reserve(physical.size());
    for (qsizetype i = 0; i < physical.size(); ++i) {
        QByteArray &line = physical[i];
        if (line.endsWith('\r'))
            line.chop(1);
        QStringDecoder decoder(QStringDecoder::Utf8);
        lines.append(decoder(line));
        if (decoder.hasError())
            return ParseError{int(i + 1), QStringLiteral("UTF-8 として読めない文字があります")};
    }

    if (lines.isEmpty() ||
        (lines.first().trimmed() != Header && lines.first().trimmed() != UnicodeHeader))
        return ParseError{1, QStringLiteral("先頭行が REGEDIT4 ではありません")};

    RegDocument doc;
    doc.m_lines.first().raw = lines.first();
    QString key;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const QString &text = lines[i];
        const QStringView trimmed = QStringView(text).trimmed();
        Line line{Line::Plain, text, {}, {}, Kind::OtherKind, {}};
        if (trimmed.isEmpty() || trimmed.startsWith(u';')) {
            doc.m_lines.append(line);
            continue;
        }
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            key = trimmed.mid(1, trimmed.size() - 2).toString();
            line.type = Line::Key;
            line.key = key;
            doc.m_lines.append(line);
            continue;
        }
        if (!text.startsWith(u'"') && !text.startsWith(u'@'))
            return ParseError{lineNumber, QStringLiteral("解釈できない行です")};
        if (key.isEmpty())
            return ParseError{lineNumber, QStringLiteral("キーの行より前に値があります")};

        qsizetype pos = 1;
        if (text.startsWith(u'"')) {
            pos = 0;
            const auto name = parseQuoted(text, pos);
            if (!name)
                return ParseError{lineNumber, QStringLiteral("値の名前の書式が不正です")};
            line.name = *name;
        }
        while (pos < text.size() && text[pos] == u' ')
            ++pos;
        if (pos >= text.size() || text[pos] != u'=')
            return ParseError{lineNumber, QStringLiteral("値の名前の後に = がありません")};
        ++pos;
        while (pos < text.size() && text[pos] == u' ')
            ++pos;

        // Hexadecimal data may go on over lines ending in a backslash.
        QString dataText = text.mid(pos);
        while (dataText.startsWith(u"hex", Qt::CaseInsensitive) &&
               QStringView(dataText).trimmed().endsWith(u'\\')) {
            if (++i >= lines.size())
                return ParseError{lineNumber, QStringLiteral("値の続きの行がありません")};
            dataText = QStringView(dataText).trimmed().chopped(1).toString() + lines[i].trimmed();
            line.raw += QLatin1Char('\n') + lines[i];
        }
        const auto parsed = parseData(dataText);
        if (!parsed)
            return ParseError{lineNumber, QStringLiteral("値の書式が不正です")};
        line.type = Line::Entry;
        line.key = key;
        line.kind = parsed->kind;
        line.text = parsed->text;
        doc.m_lines.append(line);
    }
    return doc;
}

QByteArray RegDocument::toBytes() const {
    QString out;
    for (const Line &line : m_lines)
        out += line.raw + QLatin1Char('\n');
    return out.toUtf8();
}

bool RegDocument::hasKey(QStringView keyPath) const {
    return std::any_of(m_lines.begin(), m_lines.end(), [&](const Line &line) {
        return line.type == Line::Key && sameName(line.key, keyPath);
    });
}

void RegDocument::addKey(const QString &keyPath) {
    if (!m_lines.last().raw.trimmed().isEmpty())
        m_lines.append(Line{Line::Plain, {}, {}, {}, Kind::OtherKind, {}});
    m_lines.append(Line{Line::Key,
                        QLatin1Char('[') + keyPath + QLatin1Char(']'),
                        keyPath,
                        {},
                        Kind::OtherKind,
                        {}});
}

std::optional<RegDocument::Value> RegDocument::value(QStringView keyPath, QStringView name) const {
    for (auto it = m_lines.crbegin(); it != m_lines.crend(); ++it) {
        if (it->type == Line::Entry && sameName(it->key, keyPath) && sameName(it->name, name))
            return Value{it->kind, it->text};
    }
    return std::nullopt;
}

void RegDocument::setText(QStringView keyPath, const QString &name, const QString &text) {
    const Line line{Line::Entry, valueLine(name, text), keyPath.toString(), name, Kind::Text, text};
    qsizetype insertAt = -1;
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        const Line &candidate = m_lines[i];
        if (candidate.type == Line::Plain || !sameName(candidate.key, keyPath))
            continue;
        if (candidate.type == Line::Entry && sameName(candidate.name, name)) {
            m_lines[i] = line;
            return;
        }
        if (insertAt < 0)
            insertAt = i + 1;
    }
    Q_ASSERT(insertAt >= 0);
    m_lines.insert(insertAt, line);
}
