#include "net/wirecodec.h"

#include <algorithm>
#include <cstdio>

namespace wire {

QByteArray encodeField(QByteArrayView bytes)
{
    Q_ASSERT(bytes.size() <= MaxFieldBytes);
    char count[16];
    const int n = std::snprintf(count, sizeof count, "%.4d", int(bytes.size()));
    QByteArray out;
    out.reserve(n + bytes.size());
    out.append(count, n);
    out.append(bytes);
    return out;
}

QByteArray reply()
{
    return QByteArrayLiteral("OK              ");
}

std::optional<int> parseCount(QByteArrayView c)
{
    if (c.size() != CountBytes)
        return std::nullopt;
    int i = 0;
    while (i < CountBytes && c[i] == ' ')
        ++i;
    bool negative = false;
    if (i < CountBytes && (c[i] == '+' || c[i] == '-'))
        negative = c[i++] == '-';
    if (i == CountBytes)
        return std::nullopt;
    int value = 0;
    for (; i < CountBytes; ++i) {
        if (c[i] < '0' || c[i] > '9')
            return std::nullopt;
        value = value * 10 + (c[i] - '0');
    }
    return negative ? -value : value;
}

MessageDecoder::Result MessageDecoder::feed(QByteArrayView bytes)
{
    qsizetype pos = 0;
    while (m_status == Status::NeedMore && pos < bytes.size()) {
        switch (m_stage) {
        case Stage::SenderCount:
        case Stage::TextCount: {
            const qsizetype take = std::min<qsizetype>(CountBytes - m_have, bytes.size() - pos);
            std::copy_n(bytes.data() + pos, take, m_count + m_have);
            m_have += int(take);
            pos += take;
            if (m_have < CountBytes)
                break;
            const std::optional<int> count = parseCount(QByteArrayView(m_count, CountBytes));
            if (!count) {
                m_status = Status::NotANumber;
                break;
            }
            startField(*count);
            break;
        }
        case Stage::SenderField:
        case Stage::Text: {
            QByteArray &field = m_fields[m_stage == Stage::Text ? 1 : 0];
            const qsizetype take = std::min<qsizetype>(m_want, bytes.size() - pos);
            field.append(bytes.data() + pos, take);
            m_want -= int(take);
            pos += take;
            if (m_want == 0)
                endField();
            break;
        }
        case Stage::Done:
            break;
        }
    }
    return {m_status, pos};
}

void MessageDecoder::startField(int count)
{
    m_have = 0;
    m_stage = m_stage == Stage::SenderCount ? Stage::SenderField : Stage::Text;
    if (count <= 0) {
        endField();
        return;
    }
    m_want = count;  // no reserve: a peer that names a count and goes silent costs nothing
}

void MessageDecoder::endField()
{
    if (m_stage == Stage::SenderField) {
        m_stage = Stage::TextCount;
    } else {
        m_stage = Stage::Done;
        m_status = Status::Complete;
    }
}

MessageDecoder::Status MessageDecoder::finish()
{
    if (m_status != Status::NeedMore)
        return m_status;
    switch (m_stage) {
    case Stage::Text:
        m_fields[1].clear();
        m_stage = Stage::Done;
        m_status = Status::Complete;
        break;
    case Stage::SenderField:  // the sender field is empty, and the text count never comes
        m_fields[0].clear();
        m_status = Status::NotANumber;
        break;
    default:
        m_status = Status::NotANumber;
        break;
    }
    return m_status;
}

} // namespace wire
