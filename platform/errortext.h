#pragma once

#include <QString>

// The text the error box shows for an error: the error's own text, followed by a full
// stop when its last character sorts after the full stop.
inline QString errorBoxText(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}
