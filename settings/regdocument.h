#pragma once
// The settings file's contents in the syntax of a registry export ("REGEDIT4"). The lines
// are kept as they were read, so comments, other keys and values of other kinds are
// written back unchanged; text values are read and set by key path and value name
// (both compared without regard to letter case, as the registry does).

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <variant>

class RegDocument {
public:
    // Text covers "quoted" values and text in hexadecimal form (hex(1), and expandable
    // text hex(2), which is taken unexpanded); everything else is another kind.
    enum class Kind { Text, OtherKind };
    struct Value {
        Kind kind;
        QString text;
    };
    struct ParseError {
        int line; // 1-based
        QString reason;
    };

    // The header line only.
    RegDocument();
    // Accepts UTF-8 with or without a byte-order mark and LF or CRLF line ends.
    static std::variant<RegDocument, ParseError> parse(const QByteArray &bytes);
    // UTF-8, LF line ends.
    QByteArray toBytes() const;

    bool hasKey(QStringView keyPath) const;
    // Appends the key line, after a blank line.
    void addKey(const QString &keyPath);
    // The last definition of the value under the key, if any.
    std::optional<Value> value(QStringView keyPath, QStringView name) const;
    // Replaces the value (whatever its kind) or appends it to the key, which must exist.
    void setText(QStringView keyPath, const QString &name, const QString &text);

private:
    struct Line {
        enum Type { Plain, Key, Entry } type = Plain;
        QString raw;  // as read; a value continued over several lines holds them all
        QString key;  // Key: the key path
        QString name; // Entry: the value name ("" for "@")
        Kind kind = Kind::OtherKind;
        QString text; // Entry of kind Text
    };
    QList<Line> m_lines;
};
