// From what the rest saw to findings: whole-card patterns first, each folded
// into one finding, then the single inputs that are left.
#include "befundtext.h"

#include <algorithm>
#include <string>

using verdrahtung::Art;
using verdrahtung::Element;
using verdrahtung::Fehler;
using verdrahtung::Kette;

namespace pruefung {

using namespace text;

namespace {

bool istTaster(Element e)
{
    return e == Element::BlockTaster || e == Element::HBlockTaster || e == Element::Taster1;
}

std::string kettenText(Kette k)
{
    switch (k) {
    case Kette::Block: return "Blockkette";
    case Kette::BlockEin: return "Eingangsleitung der Blockkarten";
    case Kette::HBlockEin: return "Eingangsleitung der Hilfsblockkarten";
    case Kette::Melder: return "Melderkette";
    case Kette::Taster1: return "Tasterkette 1";
    default: return "Kette";
    }
}

// An input line and the inputs each of its cards carries.
struct Leitung {
    Kette kette;
    struct Teil {
        Element element;
        int proKarte;
    };
    std::vector<Teil> teile;
};

const Leitung Leitungen[] = {
    {Kette::BlockEin, {{Element::BlockBelegt, 2}, {Element::BlockTaster, 4}}},
    {Kette::HBlockEin, {{Element::HBlockBelegt, 4}, {Element::HBlockTaster, 4}}},
    {Kette::Melder, {{Element::Melder, 8}}},
    {Kette::Taster1, {{Element::Taster1, 32}}},
};

// Which inputs a finding already explains: [kind][n].
struct Erklaert {
    std::vector<std::uint8_t> e[EingangsArten];
    explicit Erklaert(const Umfang& u)
    {
        for (int i = 0; i < EingangsArten; ++i)
            e[i].assign(static_cast<std::size_t>(u.anzahl(Eingaenge[i]) + 1), 0);
    }
    void setzen(Element el, int von, int bis)
    {
        std::vector<std::uint8_t>& v = e[eingangsIndex(el)];
        for (int n = std::max(von, 1); n <= bis && n < static_cast<int>(v.size()); ++n)
            v[static_cast<std::size_t>(n)] = 1;
    }
    bool ist(Element el, int n) const
    {
        const std::vector<std::uint8_t>& v = e[eingangsIndex(el)];
        return n >= 1 && n < static_cast<int>(v.size()) && v[static_cast<std::size_t>(n)];
    }
};

// The first card of the run to the line's end in which every card matches;
// 0 when the last card does not.
template <typename Passt>
int ersteDerLetzten(int karten, Passt passt)
{
    int erste = 0;
    for (int c = karten; c >= 1 && passt(c); --c)
        erste = c;
    return erste;
}

}  // namespace

Ergebnis ruheAuswerten(const RuheBild& bild, const std::vector<Fehler>& fehlendeKarten)
{
    const Umfang& u = bild.umfang;
    Ergebnis e;
    Erklaert erklaert(u);

    // A line that reads 1 on every step from a card to its end: broken
    // behind the card before, the stages behind it see an open input.
    for (const Leitung& l : Leitungen) {
        int karten = 0;
        for (const Leitung::Teil& t : l.teile)
            karten = std::max(karten, kartenZahl(u.anzahl(t.element), t.proKarte));
        const int erste = ersteDerLetzten(karten, [&](int c) {
            for (const Leitung::Teil& t : l.teile)
                for (int n = (c - 1) * t.proKarte + 1; n <= std::min(c * t.proKarte, u.anzahl(t.element)); ++n)
                    if (bild.von(t.element, n) != Ruhe::Belegt)
                        return false;
            return true;
        });
        if (erste == 0)
            continue;
        for (const Leitung::Teil& t : l.teile)
            erklaert.setzen(t.element, (erste - 1) * t.proKarte + 1, u.anzahl(t.element));
        const std::string satz =
            erste == 1 ? kettenText(l.kette) + " liest auf allen Karten nur 1: Leitung zwischen Interfacekarte und "
                                               "Karte 1 unterbrochen?"
                       : kettenText(l.kette) + " ab Karte " + zahl(erste) + " liest nur 1: Leitung zwischen Karte " +
                             zahl(erste - 1) + " und " + zahl(erste) + " unterbrochen?";
        e.befunde.push_back(kettenBefund(Art::Bruch, l.kette, erste - 1, satz));
    }

    // The block chain broken behind a card (or before card 1): every block
    // card behind it shifts in ones, so its blocks and auxiliary blocks have
    // power all the time; where they carry a load they report occupied while
    // their buttons stay free. One dead occupancy line beside the loads does
    // not move the break.
    const int blockKarten = kartenZahl(u.bloecke, 2);
    const int hMit = u.hBloeckeMitAusgang();
    const auto belegt = [&](Element el, int n) { return !erklaert.ist(el, n) && bild.von(el, n) == Ruhe::Belegt; };
    // 2: every block or every auxiliary block of the card occupied, 1: one
    // block, 0: none.
    const auto strom = [&](int c) {
        int b = 0, bAlle = 0, h = 0, hAlle = 0;
        for (int n = 2 * c - 1; n <= std::min(2 * c, u.bloecke); ++n, ++bAlle) {
            if (erklaert.ist(Element::BlockBelegt, n))
                return 0;
            b += belegt(Element::BlockBelegt, n) ? 1 : 0;
        }
        for (int n = 4 * c - 3; n <= std::min(4 * c, hMit); ++n, ++hAlle)
            h += belegt(Element::HBlockBelegt, n) ? 1 : 0;
        return (bAlle > 0 && b == bAlle) || (hAlle >= 2 && h == hAlle) ? 2 : b > 0 ? 1 : 0;
    };
    // The run of cards to the end with power; it begins at its first card
    // whose blocks all answer (a train on one block is no break).
    int erste = 0;
    for (int c = ersteDerLetzten(blockKarten, [&](int c) { return strom(c) > 0; }); c >= 1 && c <= blockKarten; ++c)
        if (strom(c) == 2) {
            erste = c;
            break;
        }
    if (erste >= 1) {
        const std::string wo = erste == 1 ? "zwischen Interfacekarte und Karte 1"
                                          : "zwischen Karte " + zahl(erste - 1) + " und " + zahl(erste);
        e.befunde.push_back(kettenBefund(Art::Bruch, Kette::Block, erste - 1,
                                         (erste == 1 ? std::string("Alle Blöcke") : "Blöcke ab " + zahl(2 * erste - 1))
                                             + " melden dauernd belegt: ist die Blockkette " + wo
                                             + " unterbrochen (dann haben sie dauernd Fahrstrom), oder stehen dort "
                                               "überall Züge?"));
        // What reads free behind the break has power all the time and does
        // not answer: named where most of its kind there do answer.
        const auto freieNennen = [&](Element el, Element aus, int von, int bis) {
            int belegte = 0;
            for (int n = von; n <= bis; ++n)
                belegte += belegt(el, n) ? 1 : 0;
            for (int n = von; n <= bis; ++n) {
                if (erklaert.ist(el, n) || bild.von(el, n) != Ruhe::Frei || 2 * belegte < bis - von + 1)
                    continue;
                e.befunde.push_back(befund(Art::Tot, aus, n,
                                           elementText(el, n) + " meldet frei, obwohl die Blockkette ihm dauernd "
                                               "Fahrstrom gibt: keine Last, Ausgang tot oder Belegtleitung "
                                               "unterbrochen?" + gefuehrtText(el)));
                erklaert.setzen(el, n, n);
            }
        };
        freieNennen(Element::BlockBelegt, Element::Block, 2 * erste - 1, u.bloecke);
        freieNennen(Element::HBlockBelegt, Element::HBlock, 4 * erste - 3, hMit);
        erklaert.setzen(Element::BlockBelegt, 2 * erste - 1, u.bloecke);
        for (int h = 4 * erste - 3; h <= hMit; ++h)
            if (bild.von(Element::HBlockBelegt, h) == Ruhe::Belegt)
                erklaert.setzen(Element::HBlockBelegt, h, h);
    }

    // With a card missing on its line, the input read at step n belongs to
    // the element one card further on.
    const auto element = [&](Element el, int n) {
        for (const Leitung& l : Leitungen)
            for (const Leitung::Teil& t : l.teile)
                for (const Fehler& f : fehlendeKarten)
                    if (t.element == el && f.art == Art::Fehlt && f.kette == l.kette && n > (f.a - 1) * t.proKarte)
                        return n + t.proKarte;
        return n;
    };
    for (Element el : Eingaenge) {
        for (int i = 1; i <= u.anzahl(el); ++i) {
            if (erklaert.ist(el, i))
                continue;
            const Ruhe r = bild.von(el, i);
            const int n = element(el, i);
            if (r == Ruhe::Belegt) {
                const std::string was = elementText(el, n);
                e.befunde.push_back(befund(
                    Art::Haengt, el, n,
                    istTaster(el) ? was + " dauernd gedrückt: klemmt der Taster, oder hängt sein Eingang?"
                                  : was + " meldet dauernd belegt: steht dort ein Zug, oder hängt der Eingang?"));
            } else if (r == Ruhe::Wechselnd) {
                e.befunde.push_back(befund(Art::Flackert, el, n,
                                           elementText(el, n) + (istTaster(el) ? " wechselt ungedrückt" : " wechselt ohne Zug")
                                               + " zwischen 0 und 1: Wackelkontakt?"));
            }
        }
    }
    return e;
}

}  // namespace pruefung
