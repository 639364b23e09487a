#include "fehlerschicht.h"

#include "virtualcard.h"
#include "virtualcard_lines.h"

#include <algorithm>
#include <chrono>

using namespace verdrahtung;

namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

constexpr std::int64_t ns(milliseconds ms)
{
    return std::chrono::duration_cast<nanoseconds>(ms).count();
}

constexpr std::int64_t kAusMin = ns(milliseconds(60)), kAusMax = ns(milliseconds(150));
constexpr std::int64_t kAnMin = ns(milliseconds(100)), kAnMax = ns(milliseconds(300));
// Nobody looked at the line for this long: the contact starts afresh.
constexpr std::int64_t kNeuBeginn = ns(milliseconds(10000));

bool aufElement(const Fehler& f)
{
    return f.art != Art::Bruch && f.art != Art::Fehlt;
}

// An element's lines on its output chain (from 1); empty for an input.
struct Linien {
    Kette kette = Kette::Block;
    std::vector<int> linien;
};

Linien linien(Element e, int n)
{
    switch (e) {
    case Element::Block: {
        Linien l{Kette::Block, {}};
        for (int j = 2; j < 8; ++j)   // bits 7..2: speed, power, direction
            l.linien.push_back(8 * (n - 1) + j + 1);
        return l;
    }
    case Element::HBlock: return {Kette::Block, {8 * ((n + 1) / 2 - 1) + (n % 2 == 1 ? 1 : 2)}};
    case Element::Weiche: return {Kette::Weiche, {2 * n - 1, 2 * n}};
    case Element::Signal: return {Kette::Signal, {n}};
    case Element::Led: return {static_cast<Kette>(static_cast<int>(Kette::Led1) + n / 1000), {n % 1000}};
    default: return {};
    }
}

// An input element's step after the load (from 1) and its line's bit.
struct Schritt {
    int schritt = 0;
    std::uint8_t bit = 0;
};

Schritt schritt(Element e, int n)
{
    switch (e) {
    case Element::BlockBelegt: return {8 * ((n - 1) / 2) + (n % 2 == 1 ? 4 : 3), karte::kBlockLine};
    case Element::HBlockBelegt: return {4 * ((n - 1) / 4) + n, karte::kHBlockLine};
    case Element::Melder: return {n, karte::kMelderLine};
    case Element::BlockTaster: return {4 * ((n - 1) / 4) + n + 4, karte::kBlockLine};
    case Element::HBlockTaster: return {4 * ((n - 1) / 4) + n + 4, karte::kHBlockLine};
    case Element::Taster1: return {n, karte::kTaster1Line};
    default: return {};
    }
}

std::uint8_t leitung(Kette k)
{
    switch (k) {
    case Kette::BlockEin: return karte::kBlockLine;
    case Kette::HBlockEin: return karte::kHBlockLine;
    case Kette::Melder: return karte::kMelderLine;
    case Kette::Taster1: return karte::kTaster1Line;
    default: return 0;   // chain 2 has no line
    }
}

std::size_t index(Kette k)
{
    return static_cast<std::size_t>(k);   // the output chains come first
}

// What the cards of a chain are: which are missing and behind which card
// the line is broken (the smallest such card; none: beyond every card).
struct Karten {
    int anzahl = 0;
    int bruch = 0;
    std::vector<int> da;   // the cards present, in their order on the chain
    explicit Karten(int n) : anzahl(n), bruch(n + 1) {}
};

Karten karten(const std::vector<Fehler>& fehler, Kette k, const VirtualLayout& layout)
{
    Karten c(verdrahtung::karten(k, layout));
    std::vector<bool> fehlt(static_cast<std::size_t>(c.anzahl) + 1, false);
    for (const Fehler& f : fehler) {
        if (aufElement(f) || f.kette != k || f.a < (f.art == Art::Bruch ? 0 : 1) || f.a > c.anzahl)
            continue;
        if (f.art == Art::Bruch)
            c.bruch = std::min(c.bruch, f.a);
        else
            fehlt[static_cast<std::size_t>(f.a)] = true;
    }
    for (int i = 1; i <= c.anzahl; ++i)
        if (!fehlt[static_cast<std::size_t>(i)])
            c.da.push_back(i);
    return c;
}

bool linienDa(const Linien& l, std::size_t size)
{
    return !l.linien.empty() && std::all_of(l.linien.begin(), l.linien.end(), [size](int i) {
        return i >= 1 && static_cast<std::size_t>(i) <= size;
    });
}

}  // namespace

void Fehlerschicht::setze(std::vector<Fehler> fehler, std::uint64_t seed)
{
    fehler_ = std::move(fehler);
    seed_ = seed;
    flackern_.clear();
    std::uint32_t nr = 0;
    for (const Fehler& f : fehler_) {
        if (f.art != Art::Flackert)
            continue;
        std::seed_seq s{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32), nr++};
        flackern_.push_back({std::mt19937_64(s)});
    }
}

bool Fehlerschicht::betrifft(Kette kette) const
{
    return std::any_of(fehler_.begin(), fehler_.end(), [kette](const Fehler& f) {
        if (!aufElement(f))
            return f.kette == kette;
        return f.art != Art::Last && !istEingang(f.element) && linien(f.element, f.a).kette == kette;
    });
}

// The card's outputs: each card's stages take the register positions of its
// place on the (maybe shorter) chain; behind a break they hold 1; a missing
// card has none.
std::vector<std::uint8_t> Fehlerschicht::kartenAusgaenge(Kette kette, const std::vector<std::uint8_t>& stufen,
                                                         const VirtualLayout& layout) const
{
    const std::size_t proKarte = static_cast<std::size_t>(verdrahtung::proKarte(kette));
    const Karten c = karten(fehler_, kette, layout);
    std::vector<std::uint8_t> ausgang(stufen.size(), 0);
    for (std::size_t platz = 0; platz < c.da.size(); ++platz) {
        const int karte = c.da[platz];
        for (std::size_t j = 0; j < proKarte; ++j) {
            const std::size_t i = static_cast<std::size_t>(karte - 1) * proKarte + j;
            const std::size_t von = platz * proKarte + j;
            if (i >= ausgang.size())
                break;
            ausgang[i] = karte > c.bruch ? 1 : (von < stufen.size() ? stufen[von] : 0);
        }
    }
    return ausgang;
}

// The wires from the card's outputs to the elements, faults in their order.
void Fehlerschicht::elemente(Kette kette, const std::vector<std::uint8_t>& ausgang, std::vector<std::uint8_t>& out) const
{
    std::vector<int> quelle(ausgang.size());   // element line i + 1 is wired to output quelle[i] (0: open)
    for (std::size_t i = 0; i < quelle.size(); ++i)
        quelle[i] = static_cast<int>(i) + 1;
    for (const Fehler& f : fehler_) {
        if (!aufElement(f) || istEingang(f.element) || (f.art != Art::Tausch && f.art != Art::Tot))
            continue;
        const Linien a = linien(f.element, f.a);
        if (a.kette != kette || !linienDa(a, quelle.size()))
            continue;
        if (f.art == Art::Tot) {
            for (const int i : a.linien)
                quelle[static_cast<std::size_t>(i - 1)] = 0;
            continue;
        }
        const Linien b = linien(f.element, f.b);
        if (!linienDa(b, quelle.size()) || b.linien.size() != a.linien.size())
            continue;
        for (std::size_t j = 0; j < a.linien.size(); ++j)
            std::swap(quelle[static_cast<std::size_t>(a.linien[j] - 1)], quelle[static_cast<std::size_t>(b.linien[j] - 1)]);
    }
    out.assign(ausgang.size(), 0);
    for (std::size_t i = 0; i < out.size(); ++i)
        if (quelle[i] != 0)
            out[i] = ausgang[static_cast<std::size_t>(quelle[i] - 1)];
}

void Fehlerschicht::latch(Kette kette, const std::vector<std::uint8_t>& stufen, const VirtualLayout& layout,
                          std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t>& ausgang = ausgaenge_[index(kette)];
    ausgang = kartenAusgaenge(kette, stufen, layout);
    elemente(kette, ausgang, out);
}

void Fehlerschicht::stufen(Kette kette, const std::vector<std::uint8_t>& stufen, const VirtualLayout& layout,
                           std::vector<std::uint8_t>& out) const
{
    elemente(kette, kartenAusgaenge(kette, stufen, layout), out);
}

std::vector<std::uint8_t> Fehlerschicht::ausgaenge(Kette kette, const std::vector<std::uint8_t>& out) const
{
    if (!betrifft(kette) || ausgaenge_[index(kette)].size() != out.size())
        return out;
    return ausgaenge_[index(kette)];
}

void Fehlerschicht::gesetzt(Kette kette, std::vector<std::uint8_t> ausgaenge, const VirtualLayout& layout,
                            std::vector<std::uint8_t>& out)
{
    const std::size_t proKarte = static_cast<std::size_t>(verdrahtung::proKarte(kette));
    const Karten c = karten(fehler_, kette, layout);
    for (int karte = 1; karte <= c.anzahl; ++karte) {
        if (std::find(c.da.begin(), c.da.end(), karte) != c.da.end())
            continue;
        for (std::size_t j = 0; j < proKarte; ++j) {
            const std::size_t i = static_cast<std::size_t>(karte - 1) * proKarte + j;
            if (i < ausgaenge.size())
                ausgaenge[i] = 0;
        }
    }
    std::vector<std::uint8_t>& ausgang = ausgaenge_[index(kette)];
    ausgang = std::move(ausgaenge);
    elemente(kette, ausgang, out);
}

// --- inputs ------------------------------------------------------------------

void Fehlerschicht::Flackern::bis(std::int64_t t)
{
    auto dauer = [this](std::int64_t von, std::int64_t bis) {
        return std::uniform_int_distribution<std::int64_t>(von, bis)(zufall);
    };
    if (!begonnen || t - wechsel > kNeuBeginn) {
        begonnen = true;
        aus = false;
        wechsel = t + dauer(kAnMin, kAnMax);
    }
    while (t >= wechsel) {
        aus = !aus;
        wechsel += aus ? dauer(kAusMin, kAusMax) : dauer(kAnMin, kAnMax);
    }
}

void Fehlerschicht::eingaenge(std::vector<std::uint8_t>& frame, const std::vector<std::uint8_t>& blockOut,
                              const VirtualLayout& layout, std::int64_t t)
{
    auto bit = [&frame](Schritt s) -> std::uint8_t* {
        if (s.bit == 0 || s.schritt < 1 || static_cast<std::size_t>(s.schritt) > frame.size())
            return nullptr;
        return &frame[static_cast<std::size_t>(s.schritt - 1)];
    };
    auto setze = [&](Schritt s, bool an) {
        if (std::uint8_t* b = bit(s))
            *b = static_cast<std::uint8_t>(an ? (*b | s.bit) : (*b & ~s.bit));
    };
    auto liest = [&](Schritt s) {
        const std::uint8_t* b = bit(s);
        return b && (*b & s.bit) != 0;
    };
    auto ausgang = [&blockOut](int i) {
        return i >= 0 && static_cast<std::size_t>(i) < blockOut.size() && blockOut[static_cast<std::size_t>(i)] != 0;
    };

    // The test loads: the occupancy of a powered block.
    for (const Fehler& f : fehler_) {
        if (f.art != Art::Last)
            continue;
        const bool block = f.element == Element::Block;
        const int anzahl = verdrahtung::anzahl(block ? Element::BlockBelegt : Element::HBlock, layout);
        for (int n = f.a == 0 ? 1 : f.a; n <= (f.a == 0 ? anzahl : std::min(f.a, anzahl)); ++n) {
            const int strom = block ? 8 * (n - 1) + 3 : 8 * ((n + 1) / 2 - 1) + (n % 2 == 1 ? 0 : 1);
            if (ausgang(strom))
                setze(schritt(block ? Element::BlockBelegt : Element::HBlockBelegt, n), true);
        }
    }

    // The elements' wires, in the order the faults were set.
    std::size_t flackert = 0;
    for (const Fehler& f : fehler_) {
        if (!aufElement(f) || !istEingang(f.element))
            continue;
        const int anzahl = verdrahtung::anzahl(f.element, layout);
        if (f.a > anzahl || f.b > anzahl)
            continue;
        const Schritt a = schritt(f.element, f.a);
        switch (f.art) {
        case Art::Tausch: {
            const Schritt b = schritt(f.element, f.b);
            const bool an = liest(a);
            setze(a, liest(b));
            setze(b, an);
            break;
        }
        case Art::Tot: setze(a, false); break;
        case Art::Haengt: setze(a, true); break;
        case Art::Flackert: {
            Flackern& k = flackern_[flackert++];
            k.bis(t);
            if (k.aus)
                setze(a, !liest(a));
            break;
        }
        default: break;
        }
    }

    // The lines between the cards.
    for (const Kette k : {Kette::BlockEin, Kette::HBlockEin, Kette::Melder, Kette::Taster1}) {
        if (!betrifft(k))
            continue;
        const std::uint8_t b = leitung(k);
        const std::size_t proKarte = static_cast<std::size_t>(verdrahtung::proKarte(k));
        const Karten c = karten(fehler_, k, layout);
        std::vector<std::uint8_t> neu(frame.size(), 0);
        for (std::size_t i = 0; i < frame.size(); ++i) {
            const std::size_t platz = i / proKarte;
            bool an = false;
            if (platz < c.da.size()) {
                const int karte = c.da[platz];
                const std::size_t von = static_cast<std::size_t>(karte - 1) * proKarte + i % proKarte;
                an = karte > c.bruch || (von < frame.size() && (frame[von] & b) != 0);
            } else {
                an = c.bruch <= c.anzahl;   // the open serial input of the card before the break
            }
            neu[i] = an ? 1 : 0;
        }
        for (std::size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<std::uint8_t>(neu[i] ? (frame[i] | b) : (frame[i] & ~b));
    }
}
