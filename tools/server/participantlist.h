#pragma once
// The answer to the participants query, as the client's conversation pane shows it:
//   Mirevo Server > 参加ユーザー 2 人 (2024/05/01 10:23 現在)
//     PC1  10.0.0.2  2024/05/01 09:00 から
//     PC2  10.0.0.3  2024/05/01 09:05 から
// Lines end in CR LF. A list too long for one message is split into several, each with
// the header and its part number, so that every text fits the transport's 9,999-byte field.

#include "participants.h"

#include <QStringList>

constexpr int maxMessageBytes = 9999;

QStringList formatParticipantList(const QList<Participant> &participants, const QDateTime &now,
                                  int maxBytes = maxMessageBytes);

// The text with every character that the wire encoding cannot carry, and every control
// character, replaced by "?", so that any announced name can be sent back on one line.
QString wireSafeLine(const QString &text);

// Bytes of the text on the wire.
int wireSize(const QString &text);
