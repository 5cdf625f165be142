#pragma once
// CP932 (Windows Shift-JIS), the encoding of text on the wire.

#include <QByteArray>
#include <QString>
#include <optional>

namespace cp932 {

struct Encoded {
    QByteArray bytes;
    // The first character that CP932 cannot carry (a zero character counts as one),
    // as a code point; nullopt when the whole text was encoded.
    std::optional<char32_t> unencodable;
};

Encoded encode(const QString &text);

// Never fails: invalid sequences and zero bytes become U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace cp932
