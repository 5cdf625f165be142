#include "net/cp932.h"

#include <QStringDecoder>
#include <algorithm>
#include <QStringEncoder>

// Qt's "windows-31j" comes from ICU, whose table exchanges the control characters
// 0x1A, 0x1C and 0x7F and reports invalid bytes as U+001A. Windows keeps every byte
// below 0x80 as it is, so those bytes are handled here and ICU sees only the rest.

namespace cp932 {
namespace {

constexpr char const *CodecName = "windows-31j";

bool isSwappedControl(char32_t c)
{
    return c == 0x1A || c == 0x1C || c == 0x7F;
}

// Encodes a run without the exchanged control characters; false when ICU met a
// character it cannot encode.
bool encodeRun(QStringView run, QByteArray &out)
{
    if (run.isEmpty())
        return true;
    QStringEncoder encoder(CodecName);  // a stateless encoder does not report errors
    out += encoder.encode(run);
    return !encoder.hasError();
}

std::optional<char32_t> firstUnencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const char32_t c = text.at(i).isHighSurrogate() && i + 1 < text.size()
                ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1))
                : text.at(i).unicode();
        const qsizetype len = c > 0xFFFF ? 2 : 1;
        if (c == 0)
            return c;
        if (QByteArray ignored; !isSwappedControl(c) && !encodeRun(text.sliced(i, len), ignored))
            return c;
        i += len;
    }
    return std::nullopt;
}

// Characters that Japanese input on Linux produces in their JIS X 0208 form, while CP932
// carries the same character under another code point (WAVE DASH as FULLWIDTH TILDE, and
// so on). They are sent as CP932's form, which is what Windows peers show for them.
char16_t cp932Form(char16_t u)
{
    switch (u) {
    case 0x301C: return 0xFF5E; // 〜 -> ～
    case 0x2016: return 0x2225; // ‖ -> ∥
    case 0x2212: return 0xFF0D; // − -> －
    case 0x00A2: return 0xFFE0; // ¢ -> ￠
    case 0x00A3: return 0xFFE1; // £ -> ￡
    case 0x00AC: return 0xFFE2; // ¬ -> ￢
    case 0x2014: return 0x2015; // — -> ―
    default: return u;
    }
}

bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool isSuspicious(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0 || u == 0x1A || u == 0x1C || u == 0x7F;
}

// Byte by byte, for input that ICU could not take as it is.
QString decodeCarefully(QByteArrayView bytes)
{
    QStringDecoder pairDecoder(CodecName, QStringDecoder::Flag::Stateless);
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            out += b == 0 ? QChar(QChar::ReplacementCharacter) : QChar(char16_t(b));
            ++i;
        } else if (b >= 0xA1 && b <= 0xDF) {  // half-width katakana
            out += QChar(char16_t(0xFF61 + (b - 0xA1)));
            ++i;
        } else if (isLeadByte(b) && i + 1 < bytes.size() && isTrailByte(uchar(bytes[i + 1]))) {
            pairDecoder.resetState();
            const QString c = pairDecoder.decode(bytes.sliced(i, 2));
            out += c.size() == 1 && !isSuspicious(c.at(0)) ? c.at(0) : QChar(QChar::ReplacementCharacter);
            i += 2;
        } else {
            out += QChar(QChar::ReplacementCharacter);
            ++i;
        }
    }
    return out;
}

} // namespace

Encoded encode(const QString &original)
{
    QString text = original;
    for (QChar &c : text)
        c = QChar(cp932Form(c.unicode()));
    Encoded result;
    result.bytes.reserve(text.size() * 2);
    bool ok = true;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == 0) {
            ok = false;
        } else if (isSwappedControl(u)) {
            ok = encodeRun(QStringView(text).sliced(runStart, i - runStart), result.bytes) && ok;
            result.bytes += char(u);
            runStart = i + 1;
        }
    }
    ok = encodeRun(QStringView(text).sliced(runStart), result.bytes) && ok;
    if (!ok)
        result.unencodable = firstUnencodable(text);
    return result;
}

QString decode(QByteArrayView bytes)
{
    // Opening an ICU converter costs more than decoding a message, so each thread keeps one.
    thread_local QStringDecoder decoder(CodecName, QStringDecoder::Flag::Stateless);
    decoder.resetState();
    QString text = decoder.decode(bytes);
    if (!decoder.hasError() && std::none_of(text.cbegin(), text.cend(), isSuspicious))
        return text;
    return decodeCarefully(bytes);
}

} // namespace cp932
