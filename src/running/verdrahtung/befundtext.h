// The parts of the findings' German sentences and names that the rest's and
// the blocks' evaluation share. Internal to the wiring check.
#pragma once

#include "pruefung.h"

#include <algorithm>
#include <string>

namespace pruefung::text {

using verdrahtung::Art;
using verdrahtung::Element;
using verdrahtung::Fehler;
using verdrahtung::Kette;

inline std::string zahl(int n)
{
    return std::to_string(n);
}

// "Melder 17", "Block 5", "Taster 3 der Tasterkette 1".
inline std::string elementText(Element e, int n)
{
    switch (e) {
    case Element::Block:
    case Element::BlockBelegt: return "Block " + zahl(n);
    case Element::HBlock:
    case Element::HBlockBelegt: return "Hilfsblock " + zahl(n);
    case Element::Melder: return "Melder " + zahl(n);
    case Element::BlockTaster: return "Blockkarten-Taster " + zahl(n);
    case Element::HBlockTaster: return "Hilfsblockkarten-Taster " + zahl(n);
    case Element::Taster1: return "Taster " + zahl(n) + " der Tasterkette 1";
    default: return "Element " + zahl(n);
    }
}

// Where the block check cannot tell a power line from an occupancy line: the
// guided check of the occupancies can.
inline std::string gefuehrtText(Element e)
{
    const bool block = e == Element::Block || e == Element::BlockBelegt;
    return std::string(" Ob Fahrstrom- oder Belegtleitung, zeigt die geführte Prüfung „Belegtmeldungen der ")
        + (block ? "Blöcke" : "Hilfsblöcke") + "“.";
}

inline Befund befund(Art art, Element e, int a, std::string satz, int b = 0)
{
    Fehler f;
    f.art = art;
    f.element = e;
    f.a = std::min(a, b == 0 ? a : b);
    f.b = b == 0 ? 0 : std::max(a, b);
    return {f, std::move(satz), {}};
}

inline Befund kettenBefund(Art art, Kette k, int karte, std::string satz)
{
    Fehler f;
    f.art = art;
    f.kette = k;
    f.a = karte;
    return {f, std::move(satz), {}};
}

inline int kartenZahl(int elemente, int proKarte)
{
    return (elemente + proKarte - 1) / proKarte;
}

}  // namespace pruefung::text
