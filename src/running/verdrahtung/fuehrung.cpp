#include "fuehrung.h"

#include <algorithm>
#include <string>

using verdrahtung::Art;
using verdrahtung::Element;
using verdrahtung::Kette;

namespace pruefung {

namespace {

struct Gruppe {
    Kette kette;
    int proKarte;
    const char* name;       // "Melder", "Taster"
    const char* kettenName; // "Melderkette"
};

Gruppe gruppe(Element e)
{
    switch (e) {
    case Element::Melder: return {Kette::Melder, 8, "Melder", "Melderkette"};
    case Element::BlockTaster: return {Kette::BlockEin, 4, "Blockkarten-Taster", "Eingangsleitung der Blockkarten"};
    case Element::HBlockTaster:
        return {Kette::HBlockEin, 4, "Hilfsblockkarten-Taster", "Eingangsleitung der Hilfsblockkarten"};
    case Element::BlockBelegt: return {Kette::BlockEin, 2, "Belegtmeldung von Block", "Eingangsleitung der Blockkarten"};
    case Element::HBlockBelegt:
        return {Kette::HBlockEin, 4, "Belegtmeldung von Hilfsblock", "Eingangsleitung der Hilfsblockkarten"};
    default: return {Kette::Taster1, 32, "Taster", "Tasterkette 1"};
    }
}

std::string zahl(int n)
{
    return std::to_string(n);
}

}  // namespace

Fuehrung::Fuehrung(Element element, int anzahl) : element_(element), anzahl_(std::max(anzahl, 0))
{
}

void Fuehrung::kam(const std::vector<int>& eingaenge)
{
    if (fertig() || eingaenge.empty())
        return;
    std::vector<int> e = eingaenge;
    std::sort(e.begin(), e.end());
    e.erase(std::unique(e.begin(), e.end()), e.end());
    antworten_.push_back(std::move(e));
}

void Fuehrung::nichts()
{
    if (!fertig())
        antworten_.emplace_back();
}

Ergebnis Fuehrung::auswerten() const
{
    Ergebnis ergebnis;
    const Gruppe g = gruppe(element_);
    const int n = static_cast<int>(antworten_.size());
    const auto antwort = [&](int p) -> const std::vector<int>& { return antworten_[static_cast<std::size_t>(p - 1)]; };
    const auto einzeln = [&](int p, int k) { return p >= 1 && p <= n && antwort(p).size() == 1 && antwort(p)[0] == k; };
    std::vector<std::uint8_t> offen(static_cast<std::size_t>(n + 1), 1);

    // A missing card: its presses bring nothing, every press behind it the
    // number one card earlier.
    const int karten = (n + g.proKarte - 1) / g.proKarte;
    for (int k = 1; k < karten; ++k) {
        const int von = (k - 1) * g.proKarte + 1, bis = k * g.proKarte;
        bool passt = true;
        for (int p = von; passt && p <= bis; ++p)
            passt = antwort(p).empty();
        for (int p = bis + 1; passt && p <= n; ++p)
            passt = einzeln(p, p - g.proKarte);
        if (!passt)
            continue;
        std::fill(offen.begin() + von, offen.end(), 0);
        Befund b;
        b.fehler.art = Art::Fehlt;
        b.fehler.kette = g.kette;
        b.fehler.a = k;
        b.satz = std::string(g.name) + " ab " + zahl(bis + 1) + " melden sich eine Karte früher, " + zahl(von) + " bis "
               + zahl(bis) + " gar nicht: Karte " + zahl(k) + " fehlt in der " + g.kettenName + "?";
        ergebnis.befunde.push_back(std::move(b));
        break;
    }

    const auto befund = [&](Art art, int a, int b, std::string satz, std::string name = {}) {
        Befund f;
        f.fehler.art = art;
        f.fehler.element = element_;
        f.fehler.a = b == 0 ? a : std::min(a, b);
        f.fehler.b = b == 0 ? 0 : std::max(a, b);
        f.satz = std::move(satz);
        f.name = std::move(name);
        ergebnis.befunde.push_back(std::move(f));
    };
    const std::string art = g.name;
    for (int p = 1; p <= n; ++p) {
        if (!offen[static_cast<std::size_t>(p)])
            continue;
        const std::vector<int>& a = antwort(p);
        if (a.size() == 1 && a[0] == p)
            continue;
        if (a.empty()) {
            befund(Art::Tot, p, 0, art + " " + zahl(p) + " meldet sich nicht: Leitung unterbrochen oder Eingang tot?");
            continue;
        }
        if (a.size() > 1) {
            // One press, two inputs: the wires touch.
            const int k = a[0] == p ? a[1] : a[0];
            const std::string text = "kurzschluss:" + std::string(verdrahtung::name(element_)) + ":"
                                   + zahl(std::min(p, k)) + ":" + zahl(std::max(p, k));
            befund(Art::Tausch, p, k,
                   art + " " + zahl(p) + " meldet zugleich als " + zahl(k) + ": Kurzschluss zwischen den Leitungen "
                       + "von " + zahl(p) + " und " + zahl(k) + "?",
                   text);
            if (k >= 1 && k <= n)
                offen[static_cast<std::size_t>(k)] = 0;
            continue;
        }
        const int k = a[0];
        if (einzeln(k, p) && offen[static_cast<std::size_t>(k)]) {
            offen[static_cast<std::size_t>(k)] = 0;
            befund(Art::Tausch, p, k,
                   art + " " + zahl(std::min(p, k)) + " und " + zahl(std::max(p, k)) + " vertauscht: "
                       + zahl(std::min(p, k)) + " meldet als " + zahl(std::max(p, k)) + ".");
        } else {
            befund(Art::Tausch, p, k,
                   art + " " + zahl(p) + " meldet als " + zahl(k) + ": Leitungen von " + zahl(p) + " und " + zahl(k)
                       + " vertauscht?");
        }
    }
    return ergebnis;
}

}  // namespace pruefung
