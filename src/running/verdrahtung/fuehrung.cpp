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

// The rest's findings that concern the group: its own inputs, and the line
// (or, for occupancies, the block chain) they come over.
bool betrifftGruppe(const Befund& b, Element element, Kette kette)
{
    if (b.fehler.art == Art::Bruch || b.fehler.art == Art::Fehlt)
        return b.fehler.kette == kette
            || (b.fehler.kette == Kette::Block && (element == Element::BlockBelegt || element == Element::HBlockBelegt));
    return b.fehler.element == element;
}

// "17", "17 bis 24", "3, 17 bis 24".
std::string nummern(const std::vector<int>& n)
{
    std::string out;
    for (std::size_t i = 0; i < n.size();) {
        std::size_t j = i;
        while (j + 1 < n.size() && n[j + 1] == n[j] + 1)
            ++j;
        out += (out.empty() ? "" : ", ") + zahl(n[i]) + (j > i ? " bis " + zahl(n[j]) : "");
        i = j + 1;
    }
    return out;
}

}  // namespace

Fuehrung::Fuehrung(Element element, int anzahl, const RuheBild& ruhe)
    : element_(element), anzahl_(std::max(anzahl, 0)), aus_(static_cast<std::size_t>(anzahl_ + 1), 0)
{
    for (int n = 1; n <= anzahl_; ++n)
        if (ruhe.von(element_, n) != Ruhe::Frei) {
            aus_[static_cast<std::size_t>(n)] = 1;
            ausgelassen_.push_back(n);
        }
    if (!ausgelassen_.empty()) {
        const Gruppe g = gruppe(element_);
        for (Befund& b : ruheAuswerten(ruhe).befunde)
            if (betrifftGruppe(b, element_, g.kette))
                ruhe_.befunde.push_back(std::move(b));
    }
}

int Fuehrung::erwartet() const
{
    int n = drucke_.empty() ? 1 : drucke_.back().nr + 1;
    while (n <= anzahl_ && aus_[static_cast<std::size_t>(n)])
        ++n;
    return n;
}

bool Fuehrung::genommen(int eingang) const
{
    return std::any_of(drucke_.begin(), drucke_.end(), [eingang](const Druck& d) {
        return std::find(d.kam.begin(), d.kam.end(), eingang) != d.kam.end();
    });
}

Fuehrung::Kam Fuehrung::kam(const std::vector<int>& eingaenge)
{
    if (fertig())
        return Kam::Ignoriert;
    std::vector<int> e;
    for (int n : eingaenge)
        if (n < 1 || n > anzahl_ || !aus_[static_cast<std::size_t>(n)])
            e.push_back(n);
    std::sort(e.begin(), e.end());
    e.erase(std::unique(e.begin(), e.end()), e.end());
    if (e.empty())
        return Kam::Ignoriert;
    const int p = erwartet();
    if (e.size() == 1 && e[0] == p) {
        const bool versehen = !vorlaeufig_.empty();
        vorlaeufig_.clear();
        drucke_.push_back({p, std::move(e)});
        return versehen ? Kam::Versehen : Kam::Richtig;
    }
    if (e.size() == 1 && genommen(e[0]))
        return Kam::SchonGenommen;
    // The same shift as the press before: a card one off, answered alike.
    const bool verschoben = e.size() == 1 && !drucke_.empty() && drucke_.back().kam.size() == 1
                         && drucke_.back().kam[0] != drucke_.back().nr
                         && e[0] - p == drucke_.back().kam[0] - drucke_.back().nr;
    if (e != vorlaeufig_ && !verschoben) {
        vorlaeufig_ = std::move(e);
        return Kam::Nochmal;
    }
    vorlaeufig_.clear();
    drucke_.push_back({p, std::move(e)});
    return Kam::Falsch;
}

void Fuehrung::nichts()
{
    if (fertig())
        return;
    vorlaeufig_.clear();
    drucke_.push_back({erwartet(), {}});
}

bool Fuehrung::zurueck()
{
    if (!vorlaeufig_.empty()) {
        vorlaeufig_.clear();
        return true;
    }
    if (drucke_.empty())
        return false;
    drucke_.pop_back();
    return true;
}

Ergebnis Fuehrung::auswerten() const
{
    Ergebnis ergebnis = ruhe_;
    const Gruppe g = gruppe(element_);
    if (!ausgelassen_.empty())
        ergebnis.hinweise.push_back(std::string(g.name) + " " + nummern(ausgelassen_)
                                    + " ausgelassen: schon in Ruhe belegt oder wechselnd, siehe die Befunde.");
    const int n = drucke_.empty() ? 0 : drucke_.back().nr;
    // Press p's answer at [p]; a number left out has none.
    std::vector<const std::vector<int>*> antworten(static_cast<std::size_t>(n + 1), nullptr);
    for (const Druck& d : drucke_)
        antworten[static_cast<std::size_t>(d.nr)] = &d.kam;
    static const std::vector<int> keine;
    const auto gedrueckt = [&](int p) { return p >= 1 && p <= n && antworten[static_cast<std::size_t>(p)]; };
    const auto antwort = [&](int p) -> const std::vector<int>& {
        return gedrueckt(p) ? *antworten[static_cast<std::size_t>(p)] : keine;
    };
    const auto einzeln = [&](int p, int k) { return gedrueckt(p) && antwort(p).size() == 1 && antwort(p)[0] == k; };
    std::vector<std::uint8_t> offen(static_cast<std::size_t>(n + 1), 1);

    // A missing card: its presses bring nothing, every press behind it the
    // number one card earlier.
    const int karten = (n + g.proKarte - 1) / g.proKarte;
    for (int k = 1; k < karten; ++k) {
        const int von = (k - 1) * g.proKarte + 1, bis = k * g.proKarte;
        bool passt = true;
        for (int p = von; passt && p <= bis; ++p)
            passt = gedrueckt(p) && antwort(p).empty();
        for (int p = bis + 1; passt && p <= n; ++p)
            passt = !gedrueckt(p) || einzeln(p, p - g.proKarte);
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
        if (!offen[static_cast<std::size_t>(p)] || !gedrueckt(p))
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
