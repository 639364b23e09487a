#include "verdrahtungsfehler.h"

#include "virtualcard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace verdrahtung {

namespace {

struct ArtName {
    Art art;
    std::string_view name;
};
constexpr std::array<ArtName, 7> kArten{{
    {Art::Tausch, "tausch"}, {Art::Tot, "tot"}, {Art::Haengt, "haengt"}, {Art::Flackert, "flackert"},
    {Art::Bruch, "bruch"}, {Art::Fehlt, "fehlt"}, {Art::Last, "last"},
}};

struct ElementName {
    Element element;
    std::string_view name;
    std::string_view mehrzahl;   // "die Anlage hat 24 Blöcke"
};
constexpr std::array<ElementName, 12> kElemente{{
    {Element::Block, "block", "Blöcke"},
    {Element::HBlock, "hblock", "Hilfsblöcke"},
    {Element::Weiche, "weiche", "Weichen"},
    {Element::Signal, "signal", "Signalspulen"},
    {Element::Led, "led", "LEDs"},
    {Element::BlockBelegt, "blockbelegt", "Blöcke"},
    {Element::HBlockBelegt, "hblockbelegt", "Hilfsblöcke"},
    {Element::Melder, "melder", "Melder"},
    {Element::BlockTaster, "blocktaster", "Blockkarten-Taster"},
    {Element::HBlockTaster, "hblocktaster", "Hilfsblockkarten-Taster"},
    {Element::Taster1, "taster1", "Taster der Kette 1"},
    {Element::Taster2, "taster2", "Taster der Kette 2"},
}};

struct KettenName {
    Kette kette;
    std::string_view name;
    std::string_view titel;   // "die Blockkette hat 12 Karten"
};
constexpr std::array<KettenName, 11> kKetten{{
    {Kette::Block, "block", "Blockkette"},
    {Kette::Weiche, "weiche", "Weichenkette"},
    {Kette::Signal, "signal", "Signalkette"},
    {Kette::Led1, "led1", "LED-Kette 1"},
    {Kette::Led2, "led2", "LED-Kette 2"},
    {Kette::Led3, "led3", "LED-Kette 3"},
    {Kette::BlockEin, "blockein", "Eingangsleitung der Blockkarten"},
    {Kette::HBlockEin, "hblockein", "Eingangsleitung der Hilfsblockkarten"},
    {Kette::Melder, "melder", "Melderleitung"},
    {Kette::Taster1, "taster1", "Tasterkette 1"},
    {Kette::Taster2, "taster2", "Tasterkette 2"},
}};

constexpr std::string_view kArtListe = "tausch, tot, haengt, flackert, bruch, fehlt, last";

int cards(int n)
{
    return std::max(n, 0);
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> split(std::string_view s, char sep)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

std::optional<int> number(std::string_view s)
{
    if (s.empty() || s.size() > 6)
        return std::nullopt;
    int n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = 10 * n + (c - '0');
    }
    return n;
}

std::string liste(bool eingaenge)
{
    std::string out;
    for (const ElementName& e : kElemente) {
        if (istEingang(e.element) != eingaenge)
            continue;
        if (!out.empty())
            out += ", ";
        out += e.name;
    }
    return out;
}

std::string kettenListe()
{
    std::string out;
    for (const KettenName& k : kKetten)
        out += (out.empty() ? "" : ", ") + std::string(k.name);
    return out;
}

// Reads one item; returns the German reason when it is bad.
std::string eintrag(std::string_view item, const VirtualLayout& layout, Fehler& f)
{
    const std::string klein = lower(item);
    std::vector<std::string_view> teile = split(klein, ':');
    for (std::string_view& t : teile)   // "tot : block : 3" as "tot:block:3"
        t = trim(t);
    const auto art = std::find_if(kArten.begin(), kArten.end(), [&](const ArtName& a) { return a.name == teile[0]; });
    if (art == kArten.end())
        return "unbekannte Fehlerart „" + std::string(teile[0]) + "“ (möglich: " + std::string(kArtListe) + ")";
    f.art = art->art;

    if (f.art == Art::Bruch || f.art == Art::Fehlt) {
        if (teile.size() != 3)
            return std::string(art->name) + " braucht eine Kette und eine Kartennummer (" + std::string(art->name) +
                   ":KETTE:K)";
        const auto k = std::find_if(kKetten.begin(), kKetten.end(), [&](const KettenName& n) { return n.name == teile[1]; });
        if (k == kKetten.end())
            return "unbekannte Kette „" + std::string(teile[1]) + "“ (möglich: " + kettenListe() + ")";
        f.kette = k->kette;
        const std::optional<int> nr = number(teile[2]);
        if (!nr)
            return "„" + std::string(teile[2]) + "“ ist keine Kartennummer";
        const int n = karten(f.kette, layout);
        if (n == 0)
            return "die " + std::string(k->titel) + " hat keine Karten";
        // A break may also lie between the interface card and card 1.
        if (*nr < (f.art == Art::Bruch ? 0 : 1) || *nr > n)
            return "Karte " + std::to_string(*nr) + " gibt es nicht, die " + std::string(k->titel) + " hat " +
                   std::to_string(n) + (n == 1 ? " Karte" : " Karten");
        f.a = *nr;
        return {};
    }

    const std::size_t nummern = f.art == Art::Tausch ? 2 : 1;
    if (teile.size() != 2 + nummern)
        return f.art == Art::Tausch ? "tausch braucht ein Element und zwei Nummern (tausch:ART:A:B)"
                                    : std::string(art->name) + " braucht ein Element und eine Nummer (" +
                                          std::string(art->name) + ":ART:N)";
    const auto e = std::find_if(kElemente.begin(), kElemente.end(), [&](const ElementName& n) { return n.name == teile[1]; });
    if (e == kElemente.end())
        return "unbekanntes Element „" + std::string(teile[1]) + "“ (Ausgänge: " + liste(false) + "; Eingänge: " +
               liste(true) + ")";
    f.element = e->element;
    if ((f.art == Art::Haengt || f.art == Art::Flackert) && !istEingang(f.element))
        return std::string(art->name) + " gibt es nur für Eingänge (" + liste(true) + ")";
    if (f.art == Art::Last && f.element != Element::Block && f.element != Element::HBlock)
        return "last gibt es nur für block und hblock";

    std::array<int, 2> nr{};
    for (std::size_t i = 0; i < nummern; ++i) {
        const std::string_view t = teile[2 + i];
        if (f.art == Art::Last && t == "alle") {
            nr[i] = 0;
            continue;
        }
        const std::optional<int> n = number(t);
        if (!n)
            return "„" + std::string(t) + "“ ist keine Nummer";
        if (f.element == Element::Led) {
            const int kette = *n / 1000 + 1;
            const int led = *n % 1000;
            if (kette > 3 || led == 0)
                return "LED " + std::to_string(*n) + " gibt es nicht (Kette 1: 1.., Kette 2: 1001.., Kette 3: 2001..)";
            const int count = ledAnzahl(kette, layout);
            if (led > count)
                return "LED " + std::to_string(*n) + " gibt es nicht, die LED-Kette " + std::to_string(kette) +
                       (count == 0 ? " hat keine LEDs" : " hat " + std::to_string(count) + " LEDs");
        } else {
            const int count = anzahl(f.element, layout);
            if (count == 0)
                return "die Anlage hat keine " + std::string(e->mehrzahl);
            if (*n < 1 || *n > count)
                return std::string(e->name) + " " + std::to_string(*n) + " gibt es nicht, die Anlage hat " +
                       std::to_string(count) + " " + std::string(e->mehrzahl);
        }
        nr[i] = *n;
    }
    if (f.art == Art::Tausch && nr[0] == nr[1])
        return "ein Element lässt sich nicht mit sich selbst tauschen";
    if (f.art == Art::Tausch && f.element == Element::Led && nr[0] / 1000 != nr[1] / 1000)
        return "getauscht werden nur LEDs derselben Kette";
    f.a = std::min(nr[0], f.art == Art::Tausch ? nr[1] : nr[0]);
    f.b = f.art == Art::Tausch ? std::max(nr[0], nr[1]) : 0;
    return {};
}

}  // namespace

bool istEingang(Element e)
{
    return e >= Element::BlockBelegt;
}

bool istEingang(Kette k)
{
    return k >= Kette::BlockEin;
}

std::string_view name(Element e)
{
    return kElemente[static_cast<std::size_t>(e)].name;
}

std::string_view name(Kette k)
{
    return kKetten[static_cast<std::size_t>(k)].name;
}

int ledAnzahl(int kette, const VirtualLayout& layout)
{
    switch (kette) {
    case 1: return 32 * cards(layout.led1Cards);
    case 2: return 32 * cards(layout.led2Cards);
    case 3: return 32 * cards(layout.led3Cards);
    default: return 0;
    }
}

int anzahl(Element e, const VirtualLayout& layout)
{
    switch (e) {
    case Element::Block:
    case Element::BlockBelegt: return 2 * cards(layout.blockCards);
    // An auxiliary block's output is a bit of its block's byte: only those
    // of the blocks the chain carries exist as outputs.
    case Element::HBlock: return std::min(4 * cards(layout.hblockCards), 4 * cards(layout.blockCards));
    case Element::HBlockBelegt:
    case Element::HBlockTaster: return 4 * cards(layout.hblockCards);
    case Element::Weiche: return 8 * cards(layout.weichenCards);
    case Element::Signal: return 16 * cards(layout.signalCards);
    case Element::Led: return ledAnzahl(1, layout) + ledAnzahl(2, layout) + ledAnzahl(3, layout);
    case Element::Melder: return 8 * cards(layout.melderCards);
    case Element::BlockTaster: return 4 * cards(layout.blockCards);
    case Element::Taster1: return 32 * cards(layout.taster1Cards);
    case Element::Taster2: break;   // no input line carries chain 2
    }
    return 0;
}

int karten(Kette k, const VirtualLayout& layout)
{
    switch (k) {
    case Kette::Block:
    case Kette::BlockEin: return cards(layout.blockCards);
    case Kette::Weiche: return cards(layout.weichenCards);
    case Kette::Signal: return cards(layout.signalCards);
    case Kette::Led1: return cards(layout.led1Cards);
    case Kette::Led2: return cards(layout.led2Cards);
    case Kette::Led3: return cards(layout.led3Cards);
    case Kette::HBlockEin: return cards(layout.hblockCards);
    case Kette::Melder: return cards(layout.melderCards);
    case Kette::Taster1: return cards(layout.taster1Cards);
    case Kette::Taster2: break;
    }
    return 0;
}

int proKarte(Kette k)
{
    switch (k) {
    case Kette::Led1:
    case Kette::Led2:
    case Kette::Led3:
    case Kette::Taster1:
    case Kette::Taster2: return 32;
    case Kette::Block:
    case Kette::Weiche:
    case Kette::Signal: return 16;
    case Kette::BlockEin:
    case Kette::HBlockEin:
    case Kette::Melder: break;
    }
    return 8;
}

std::string_view mehrzahl(Element e)
{
    return kElemente[static_cast<std::size_t>(e)].mehrzahl;
}

std::vector<Stelle> betroffen(const Fehler& f, const VirtualLayout& layout)
{
    auto bis = [&layout](Element e, int n) {
        return std::min(n, e == Element::Led ? 1000 * (n / 1000) + ledAnzahl(n / 1000 + 1, layout) : anzahl(e, layout));
    };
    auto reihe = [&](Element e, int von, int letzte) {
        Stelle s{e, {}};
        for (int n = von; n <= bis(e, letzte); ++n)
            s.nummern.push_back(n);
        return s;
    };
    std::vector<Stelle> out;
    if (f.art == Art::Last) {
        for (const Element e : {f.element, f.element == Element::Block ? Element::BlockBelegt : Element::HBlockBelegt})
            out.push_back(f.a == 0 ? reihe(e, 1, anzahl(e, layout)) : Stelle{e, {f.a}});
        return out;
    }
    if (f.art != Art::Bruch && f.art != Art::Fehlt) {
        out.push_back({f.element, f.art == Art::Tausch ? std::vector<int>{f.a, f.b} : std::vector<int>{f.a}});
        return out;
    }
    struct Teil {
        Element element;
        int proKarte;
    };
    std::vector<Teil> teile;
    int basis = 0;   // LED numbers of chains 2 and 3
    switch (f.kette) {
    case Kette::Block: teile = {{Element::Block, 2}, {Element::HBlock, 4}}; break;
    case Kette::Weiche: teile = {{Element::Weiche, 8}}; break;
    case Kette::Signal: teile = {{Element::Signal, 16}}; break;
    case Kette::Led1:
    case Kette::Led2:
    case Kette::Led3:
        teile = {{Element::Led, 32}};
        basis = 1000 * (static_cast<int>(f.kette) - static_cast<int>(Kette::Led1));
        break;
    case Kette::BlockEin: teile = {{Element::BlockBelegt, 2}, {Element::BlockTaster, 4}}; break;
    case Kette::HBlockEin: teile = {{Element::HBlockBelegt, 4}, {Element::HBlockTaster, 4}}; break;
    case Kette::Melder: teile = {{Element::Melder, 8}}; break;
    case Kette::Taster1: teile = {{Element::Taster1, 32}}; break;
    case Kette::Taster2: break;
    }
    const int erste = f.art == Art::Bruch ? f.a + 1 : f.a;
    const int letzte = karten(f.kette, layout);
    for (const Teil& t : teile) {
        Stelle s = reihe(t.element, basis + (erste - 1) * t.proKarte + 1, basis + letzte * t.proKarte);
        if (!s.nummern.empty())
            out.push_back(std::move(s));
    }
    return out;
}

std::string text(const Fehler& f)
{
    std::string out(kArten[static_cast<std::size_t>(f.art)].name);
    out += ':';
    if (f.art == Art::Bruch || f.art == Art::Fehlt)
        return out + std::string(name(f.kette)) + ':' + std::to_string(f.a);
    out += std::string(name(f.element)) + ':';
    if (f.art == Art::Last && f.a == 0)
        return out + "alle";
    out += std::to_string(f.a);
    if (f.art == Art::Tausch)
        out += ':' + std::to_string(f.b);
    return out;
}

std::string text(const std::vector<Fehler>& liste)
{
    std::string out;
    for (const Fehler& f : liste)
        out += (out.empty() ? "" : ",") + text(f);
    return out;
}

Lesung lesen(std::string_view liste, const VirtualLayout& layout)
{
    Lesung l;
    if (trim(liste).empty())
        return l;
    for (const std::string_view roh : split(liste, ',')) {
        const std::string_view item = trim(roh);
        if (item.empty()) {
            l.fehler.clear();
            l.meldung = "Leerer Eintrag in der Fehlerliste „" + std::string(trim(liste)) + "“.";
            return l;
        }
        Fehler f;
        const std::string grund = eintrag(item, layout, f);
        if (!grund.empty()) {
            l.fehler.clear();
            l.meldung = "Verdrahtungsfehler „" + std::string(item) + "“: " + grund + ".";
            return l;
        }
        if (std::find(l.fehler.begin(), l.fehler.end(), f) == l.fehler.end())
            l.fehler.push_back(f);
    }
    return l;
}

}  // namespace verdrahtung
