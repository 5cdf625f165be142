#pragma once
// Reading integers from stored text: leading blanks, then decimal digits or hexadecimal
// digits introduced by "$", "x", "X", "0x" or "0X", over the whole text, within 32 bits.
// Hexadecimal values up to FFFFFFFF wrap to negative, so "0x" and eight digits always
// read back as the value they were written from.

#include <QStringView>
#include <optional>

// Stored integer values: the sign ("+" or "-") is allowed before decimal digits only.
std::optional<int> parseStoredInteger(QStringView text);

// Colour texts: the sign is allowed before hexadecimal digits as well ("-$10" is -16).
std::optional<int> parseColourInteger(QStringView text);
