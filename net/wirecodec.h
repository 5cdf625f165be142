#pragma once
// The message wire format: two counted fields from the client, a fixed 16-byte reply
// from the listener. Pure functions and a stream decoder, no sockets.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace wire {

inline constexpr int MaxFieldBytes = 9999;  // the most that four digits can count
inline constexpr int CountBytes = 4;
inline constexpr int ReplyBytes = 16;

// The count ("%.4d") followed by the bytes. The caller keeps fields to MaxFieldBytes.
QByteArray encodeField(QByteArrayView bytes);

// "OK" followed by 14 spaces.
QByteArray reply();

// Reads four count characters as a decimal integer: leading blanks, then an optional
// sign, then at least one digit, and only digits up to the fourth character.
// nullopt when they do not form a number; a result of zero or less means an empty field.
std::optional<int> parseCount(QByteArrayView fourChars);

// Decodes one message (sender count, sender field, text count, text) from a byte stream
// fed in pieces of any size. Bytes after the text are not consumed.
class MessageDecoder {
public:
    enum class Status { NeedMore, Complete, NotANumber };
    struct Result {
        Status status;
        qsizetype consumed;
    };

    Result feed(QByteArrayView bytes);
    // The peer has closed the stream: a field cut short is empty, a count cut short is
    // not a number. Returns Complete or NotANumber.
    Status finish();

    Status status() const { return m_status; }
    const QByteArray &sender() const { return m_fields[0]; }
    const QByteArray &text() const { return m_fields[1]; }

private:
    enum class Stage { SenderCount, SenderField, TextCount, Text, Done };
    void startField(int count);
    void endField();

    Stage m_stage = Stage::SenderCount;
    Status m_status = Status::NeedMore;
    char m_count[CountBytes] = {};
    int m_have = 0;   // bytes of the current count read so far
    int m_want = 0;   // bytes of the current field still missing
    QByteArray m_fields[2];
};

} // namespace wire
