#pragma once
// Durations on the command line: a number with the unit s, m, h or d ("90m", "24h");
// a bare number counts hours. "0" means never.

#include <QString>
#include <chrono>
#include <optional>

std::optional<std::chrono::seconds> parseDuration(const QString &text);

// The shortest text parseDuration reads back as the same duration ("24h", "90m", "0").
QString formatDuration(std::chrono::seconds duration);
