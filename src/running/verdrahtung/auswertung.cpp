// From what the runs saw to findings: whole-card patterns first, each folded
// into one finding, then the single elements that are left.
#include "pruefung.h"

#include <algorithm>
#include <string>

using verdrahtung::Art;
using verdrahtung::Element;
using verdrahtung::Fehler;
using verdrahtung::Kette;

namespace pruefung {

namespace {

std::string zahl(int n)
{
    return std::to_string(n);
}

// "Melder 17", "Block 5", "Taster 3 der Tasterkette 1".
std::string elementText(Element e, int n)
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
std::string gefuehrtText(Element e)
{
    const bool block = e == Element::Block || e == Element::BlockBelegt;
    return std::string(" Ob Fahrstrom- oder Belegtleitung, zeigt die geführte Prüfung „Belegtmeldungen der ")
        + (block ? "Blöcke" : "Hilfsblöcke") + "“.";
}

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

Befund befund(Art art, Element e, int a, std::string satz, int b = 0)
{
    Fehler f;
    f.art = art;
    f.element = e;
    f.a = std::min(a, b == 0 ? a : b);
    f.b = b == 0 ? 0 : std::max(a, b);
    return {f, std::move(satz), {}};
}

Befund kettenBefund(Art art, Kette k, int karte, std::string satz)
{
    Fehler f;
    f.art = art;
    f.kette = k;
    f.a = karte;
    return {f, std::move(satz), {}};
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

int kartenZahl(int elemente, int proKarte)
{
    return (elemente + proKarte - 1) / proKarte;
}

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

Ergebnis ruheAuswerten(const RuheBild& bild)
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
    // their buttons stay free. A card counts when both its blocks, or all
    // its auxiliary blocks, report occupied: one dead occupancy line beside
    // the loads does not move the break.
    const int blockKarten = kartenZahl(u.bloecke, 2);
    const int hMit = u.hBloeckeMitAusgang();
    const auto belegt = [&](Element el, int n) { return !erklaert.ist(el, n) && bild.von(el, n) == Ruhe::Belegt; };
    const int erste = ersteDerLetzten(blockKarten, [&](int c) {
        int b = 0, bAlle = 0, h = 0, hAlle = 0;
        for (int n = 2 * c - 1; n <= std::min(2 * c, u.bloecke); ++n, ++bAlle) {
            if (erklaert.ist(Element::BlockBelegt, n))
                return false;
            b += belegt(Element::BlockBelegt, n) ? 1 : 0;
        }
        for (int n = 4 * c - 3; n <= std::min(4 * c, hMit); ++n, ++hAlle)
            h += belegt(Element::HBlockBelegt, n) ? 1 : 0;
        return (bAlle > 0 && b == bAlle) || (hAlle >= 2 && h == hAlle);
    });
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

    for (Element el : Eingaenge) {
        for (int n = 1; n <= u.anzahl(el); ++n) {
            if (erklaert.ist(el, n))
                continue;
            const Ruhe r = bild.von(el, n);
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

namespace {

// The answers of one kind of powered element (blocks, or auxiliary blocks).
struct Antworten {
    Element ausgang, eingang;
    Kette kette;                         // the input line
    int proKarte;                        // elements per card, on the block chain and on the input line
    int anzahl;                          // elements powered
    std::vector<std::vector<int>> antwort;   // without inputs that were not free at rest
    std::vector<std::uint8_t> offen;         // 1: not explained by a finding yet

    bool einzeln(int n, int k) const     // n answered as k alone
    {
        const std::vector<int>& a = antwort[static_cast<std::size_t>(n)];
        return a.size() == 1 && a[0] == k;
    }
    bool stumm(int n) const { return antwort[static_cast<std::size_t>(n)].empty(); }
};

// A run of cards to the end whose elements answer versatz elements off, and
// the card at its other end silent: one missing card.
void fehlendeKarte(Ergebnis& e, Antworten& a, int versatz, Kette kette, const std::string& wo)
{
    const int karten = kartenZahl(a.anzahl, a.proKarte);
    // Output chain one card short: cards c..last-1 answer as the next card, the last is silent.
    // Input line one card short: cards c+1..last answer as the card before, card c is silent.
    const int ende = versatz > 0 ? karten - 1 : karten;
    const int erste = ersteDerLetzten(ende, [&](int c) {
        if (versatz < 0 && c == 1)
            return false;
        for (int n = (c - 1) * a.proKarte + 1; n <= std::min(c * a.proKarte, a.anzahl); ++n)
            if (!a.offen[static_cast<std::size_t>(n)] || !a.einzeln(n, n + versatz))
                return false;
        return true;
    });
    if (erste == 0)
        return;
    const int stummeKarte = versatz > 0 ? karten : erste - 1;
    for (int n = (stummeKarte - 1) * a.proKarte + 1; n <= std::min(stummeKarte * a.proKarte, a.anzahl); ++n)
        if (!a.stumm(n))
            return;
    const int fehlt = versatz > 0 ? erste : erste - 1;
    const int von = versatz > 0 ? (erste - 1) * a.proKarte + 1 : (erste - 2) * a.proKarte + 1;
    for (int n = von; n <= a.anzahl; ++n)
        a.offen[static_cast<std::size_t>(n)] = 0;
    const std::string name = a.ausgang == Element::Block ? "Blöcke" : "Hilfsblöcke";
    e.befunde.push_back(kettenBefund(
        Art::Fehlt, kette, fehlt,
        "Fahrstrom der " + name + " ab " + zahl(versatz > 0 ? von : von + a.proKarte) + " meldet eine Karte "
            + (versatz > 0 ? "weiter" : "früher") + ", " + name + " " + zahl((stummeKarte - 1) * a.proKarte + 1)
            + " bis " + zahl(std::min(stummeKarte * a.proKarte, a.anzahl)) + " gar nicht: Karte " + zahl(fehlt)
            + " fehlt in der " + wo + " (Nachbarn direkt verbunden)?"));
}

void einzelne(Ergebnis& e, Antworten& a, int& stumme)
{
    const std::string art = a.ausgang == Element::Block ? "Block " : "Hilfsblock ";
    for (int n = 1; n <= a.anzahl; ++n) {
        if (!a.offen[static_cast<std::size_t>(n)])
            continue;
        const std::vector<int>& an = a.antwort[static_cast<std::size_t>(n)];
        if (an.size() == 1 && an[0] == n)
            continue;
        if (an.empty()) {
            ++stumme;
            e.befunde.push_back(befund(Art::Tot, a.ausgang, n,
                                       art + zahl(n) + " meldet sich nicht: keine Last, Ausgang tot oder "
                                                      "Belegtleitung unterbrochen?"));
            continue;
        }
        const int k = an[0] == n && an.size() > 1 ? an[1] : an[0];
        const bool gegenseitig = k >= 1 && k <= a.anzahl && a.offen[static_cast<std::size_t>(k)] && a.einzeln(k, n);
        if (gegenseitig) {
            a.offen[static_cast<std::size_t>(k)] = 0;
            e.befunde.push_back(befund(Art::Tausch, a.ausgang, n,
                                       art + zahl(std::min(n, k)) + " und " + zahl(std::max(n, k))
                                           + " vertauscht: Fahrstrom von " + zahl(std::min(n, k)) + " meldet als "
                                           + zahl(std::max(n, k)) + " belegt.",
                                       k));
        } else {
            e.befunde.push_back(befund(Art::Tausch, a.ausgang, n,
                                       "Fahrstrom von " + art + zahl(n) + " meldet als " + zahl(k)
                                           + " belegt: Fahrstrom- oder Belegtleitung von " + zahl(n) + " und "
                                           + zahl(k) + " vertauscht?",
                                       k));
        }
    }
}

}  // namespace

Ergebnis bloeckeAuswerten(const RuheBild& ruhe, const BlockBild& bild)
{
    Ergebnis e;
    const Umfang& u = ruhe.umfang;
    Antworten bloecke{Element::Block, Element::BlockBelegt, Kette::BlockEin, 2,
                      std::min<int>(u.bloecke, static_cast<int>(bild.block.size()) - 1), bild.block, {}};
    Antworten hBloecke{Element::HBlock, Element::HBlockBelegt, Kette::HBlockEin, 4,
                       std::min<int>(bild.hBloeckeGeprueft, static_cast<int>(bild.hBlock.size()) - 1), bild.hBlock, {}};
    int antworten = 0;
    for (Antworten* a : {&bloecke, &hBloecke}) {
        a->anzahl = std::max(a->anzahl, 0);
        a->antwort.resize(static_cast<std::size_t>(a->anzahl + 1));
        a->offen.assign(static_cast<std::size_t>(a->anzahl + 1), 1);
        a->offen[0] = 0;
        // An input that was not free at rest says nothing about who powers
        // it, and its own element cannot answer: the rest's findings name it.
        for (int n = 1; n <= a->anzahl; ++n) {
            std::vector<int>& an = a->antwort[static_cast<std::size_t>(n)];
            an.erase(std::remove_if(an.begin(), an.end(), [&](int k) { return ruhe.von(a->eingang, k) != Ruhe::Frei; }),
                     an.end());
            if (ruhe.von(a->eingang, n) != Ruhe::Frei)
                a->offen[static_cast<std::size_t>(n)] = 0;
            if (!a->stumm(n))
                ++antworten;
        }
    }
    if (antworten == 0) {
        e.bloeckeStumm = true;
        e.hinweise.push_back("Kein Block und kein Hilfsblock meldet sich belegt: ohne Last (Lok, Wagen mit "
                             "Widerstandsachse oder Prüflast) auf den Gleisen sieht die Blockprüfung nichts.");
        return e;
    }
    // One card off along the block chain (its card missing) or along an input line.
    fehlendeKarte(e, bloecke, 2, Kette::Block, "Blockkette");
    fehlendeKarte(e, bloecke, -2, Kette::BlockEin, "Eingangsleitung der Blockkarten");
    // The auxiliary blocks ride on the block cards: a missing block card moves them by four.
    const bool blockKetteKurz = !e.befunde.empty() && e.befunde.back().fehler.kette == Kette::Block;
    if (blockKetteKurz) {
        const int karte = e.befunde.back().fehler.a;
        for (int h = 4 * karte - 3; h <= hBloecke.anzahl; ++h)
            if (h >= 1)
                hBloecke.offen[static_cast<std::size_t>(h)] = 0;
    }
    fehlendeKarte(e, hBloecke, -4, Kette::HBlockEin, "Eingangsleitung der Hilfsblockkarten");

    int stumme = 0;
    einzelne(e, bloecke, stumme);
    einzelne(e, hBloecke, stumme);
    if (stumme > 0)
        e.hinweise.push_back("Blöcke ohne Last melden sich nicht: eine Lok oder Prüflast auf jedem Block "
                             "unterscheidet einen leeren Block von einem toten Ausgang.");
    if (u.hBloecke > u.hBloeckeMitAusgang())
        e.hinweise.push_back("Hilfsblöcke " + zahl(u.hBloeckeMitAusgang() + 1) + " bis " + zahl(u.hBloecke)
                             + " erreicht die Blockkette nicht (zwei je Block): nicht geprüft.");
    return e;
}

}  // namespace pruefung
