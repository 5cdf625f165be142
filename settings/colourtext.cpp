#include "settings/colourtext.h"

#include "settings/integertext.h"

#include <array>

namespace {

struct NamedColour {
    const char16_t *name;
    int colour;
};

using Colour::rgb;
using Colour::system;

constexpr std::array<NamedColour, 42> namedColours{{
    {u"clBlack", rgb(0, 0, 0)},
    {u"clMaroon", rgb(128, 0, 0)},
    {u"clGreen", rgb(0, 128, 0)},
    {u"clOlive", rgb(128, 128, 0)},
    {u"clNavy", rgb(0, 0, 128)},
    {u"clPurple", rgb(128, 0, 128)},
    {u"clTeal", rgb(0, 128, 128)},
    {u"clGray", rgb(128, 128, 128)},
    {u"clSilver", rgb(192, 192, 192)},
    {u"clRed", rgb(255, 0, 0)},
    {u"clLime", rgb(0, 255, 0)},
    {u"clYellow", rgb(255, 255, 0)},
    {u"clBlue", rgb(0, 0, 255)},
    {u"clFuchsia", rgb(255, 0, 255)},
    {u"clAqua", rgb(0, 255, 255)},
    {u"clWhite", rgb(255, 255, 255)},
    {u"clScrollBar", system(0)},
    {u"clBackground", system(1)},
    {u"clActiveCaption", system(2)},
    {u"clInactiveCaption", system(3)},
    {u"clMenu", system(4)},
    {u"clWindow", system(5)},
    {u"clWindowFrame", system(6)},
    {u"clMenuText", system(7)},
    {u"clWindowText", system(8)},
    {u"clCaptionText", system(9)},
    {u"clActiveBorder", system(10)},
    {u"clInactiveBorder", system(11)},
    {u"clAppWorkSpace", system(12)},
    {u"clHighlight", system(13)},
    {u"clHighlightText", system(14)},
    {u"clBtnFace", system(15)},
    {u"clBtnShadow", system(16)},
    {u"clGrayText", system(17)},
    {u"clBtnText", system(18)},
    {u"clInactiveCaptionText", system(19)},
    {u"clBtnHighlight", system(20)},
    {u"cl3DDkShadow", system(21)},
    {u"cl3DLight", system(22)},
    {u"clInfoText", system(23)},
    {u"clInfoBk", system(24)},
    {u"clNone", Colour::None},
}};

} // namespace

QString colourToText(int colour) {
    for (const NamedColour &named : namedColours) {
        if (named.colour == colour)
            return QString::fromUtf16(named.name);
    }
    return QStringLiteral("0x") +
           QString::number(uint(colour), 16).rightJustified(8, u'0').toUpper();
}

int textToColour(const QString &text) {
    for (const NamedColour &named : namedColours) {
        if (text.compare(QStringView(named.name), Qt::CaseInsensitive) == 0)
            return named.colour;
    }
    if (const auto colour = parseColourInteger(text))
        return *colour;
    throw ColourTextError(QStringLiteral("'%1' は整数ではありません").arg(text));
}
