#pragma once
// The text form of a colour in the settings: one of 42 colour names, or "0x" and eight
// upper-case hexadecimal digits. A colour is a signed 32-bit value: red + 256 * green
// + 65536 * blue, or a desktop system colour n (0 to 24) as -2147483648 + n, or clNone.

#include <QString>
#include <stdexcept>

// A colour text that is neither a colour name nor an integer; what() is the UTF-8 text
// shown in the error box ("'abc' は整数ではありません").
class ColourTextError : public std::runtime_error {
public:
    explicit ColourTextError(const QString &text) : std::runtime_error(text.toStdString()) {}
    QString text() const { return QString::fromUtf8(what()); }
};

namespace Colour {
constexpr int system(int n) {
    return int(0x80000000u | unsigned(n));
}
constexpr int rgb(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}
constexpr int WindowText = system(8);
constexpr int Window = system(5);
constexpr int None = 0x1FFFFFFF;
} // namespace Colour

// The colour's name when it has one, otherwise "0x" and its eight hexadecimal digits.
QString colourToText(int colour);

// A colour name (any letter case) or an integer text; throws ColourTextError otherwise.
int textToColour(const QString &text);
