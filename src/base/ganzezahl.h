// What the program takes as a whole number: in the settings file, in table
// cells and list entries, and in the input fields.
//
// Accepted: blanks (space, tab) before and after, then an optional sign and
// either decimal digits or a hexadecimal number written "$1F", "0x1F" or
// "0X1F" ("-$10" is -16). The value must lie within the range of int:
// "-0x80000000" does, "0xFFFFFFFF" does not (it is 4294967295, not -1).
//
// Not a whole number: an empty text, a bare sign, "$" or "0x" without digits,
// a blank after the sign, separators ("1.000", "1,5"), an exponent ("1e3"),
// anything after the number ("12abc"), digits of other scripts.
#pragma once

#include <QStringView>

#include <limits>
#include <optional>

inline std::optional<int> ganzeZahl(QStringView text)
{
    const auto leer = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype anfang = 0;
    qsizetype ende = text.size();
    while (anfang < ende && leer(text[anfang]))
        ++anfang;
    while (ende > anfang && leer(text[ende - 1]))
        --ende;
    QStringView t = text.sliced(anfang, ende - anfang);

    bool negativ = false;
    if (!t.isEmpty() && (t[0] == u'+' || t[0] == u'-')) {
        negativ = t[0] == u'-';
        t = t.sliced(1);
    }
    int basis = 10;
    if (t.startsWith(u'$')) {
        basis = 16;
        t = t.sliced(1);
    } else if (t.size() >= 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X')) {
        basis = 16;
        t = t.sliced(2);
    }
    if (t.isEmpty())
        return std::nullopt;

    const long long grenze = negativ ? -static_cast<long long>(std::numeric_limits<int>::min())
                                     : std::numeric_limits<int>::max();
    long long betrag = 0;
    for (const QChar c : t) {
        const char16_t u = c.unicode();
        int ziffer = 16; // not a digit of any base
        if (u >= u'0' && u <= u'9')
            ziffer = u - u'0';
        else if (u >= u'a' && u <= u'f')
            ziffer = u - u'a' + 10;
        else if (u >= u'A' && u <= u'F')
            ziffer = u - u'A' + 10;
        if (ziffer >= basis)
            return std::nullopt;
        betrag = betrag * basis + ziffer;
        if (betrag > grenze)
            return std::nullopt;
    }
    return static_cast<int>(negativ ? -betrag : betrag);
}
