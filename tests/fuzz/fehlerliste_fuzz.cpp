// The wiring-fault list of the virtual layout (--fehler, the "Fehler" field of
// its window): whatever is typed, it is read without a fault, and is either
// refused with a German reason and no fault at all, or read as a list of
// distinct faults that all lie on the layout. Checked for a list that reads:
//  - written with text() it reads back as the same list, and so does each
//    fault alone;
//  - the same list in upper case, and with a blank around every ':' and ','
//    reads as the same list;
//  - every element a fault touches exists on the layout, numbers ascending.
//
// Input: an optional first line "#B H M W S T L1 L2 L3", the card counts of
// the layout (blocks, auxiliary blocks, detectors, turnouts, signals, button
// chain 1, the three LED chains; each taken as 0..64, missing ones as the
// virtual layout's own); the rest is the list.
#include "pruefen.h"
#include "verdrahtungsfehler.h"
#include "virtualcard.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using namespace verdrahtung;

VirtualLayout anlageAus(std::string_view& text)
{
    VirtualLayout l;
    if (text.empty() || text.front() != '#')
        return l;
    const std::size_t ende = text.find('\n');
    const std::string_view kopf = text.substr(1, ende == std::string_view::npos ? std::string_view::npos : ende - 1);
    text.remove_prefix(ende == std::string_view::npos ? text.size() : ende + 1);
    const std::array<int*, 9> felder = {&l.blockCards, &l.hblockCards, &l.melderCards, &l.weichenCards, &l.signalCards,
                                        &l.taster1Cards, &l.led1Cards, &l.led2Cards, &l.led3Cards};
    std::size_t feld = 0;
    int zahl = -1;
    for (std::size_t i = 0; i <= kopf.size() && feld < felder.size(); ++i) {
        const char c = i < kopf.size() ? kopf[i] : ' ';
        if (c >= '0' && c <= '9') {
            zahl = std::min(64, std::max(zahl, 0) * 10 + (c - '0'));
        } else if (zahl >= 0) {
            *felder[feld++] = zahl;
            zahl = -1;
        }
    }
    return l;
}

// Whether element n is on the layout; LEDs by their chain.
bool aufDerAnlage(Element e, int n, const VirtualLayout& l)
{
    if (e != Element::Led)
        return n >= 1 && n <= anzahl(e, l);
    const int kette = n / 1000 + 1;
    return kette <= 3 && n % 1000 >= 1 && n % 1000 <= ledAnzahl(kette, l);
}

void faultLiegtAufDerAnlage(const Fehler& f, const VirtualLayout& l)
{
    if (f.art == Art::Bruch || f.art == Art::Fehlt) {
        pruefen(f.a >= (f.art == Art::Bruch ? 0 : 1) && f.a <= karten(f.kette, l), "the card lies on the chain");
    } else if (f.art == Art::Last && f.a == 0) {
        pruefen(f.element == Element::Block || f.element == Element::HBlock, "a load on blocks only");
    } else {
        pruefen(aufDerAnlage(f.element, f.a, l), "the element exists");
        pruefen(f.art != Art::Tausch || (f.a < f.b && aufDerAnlage(f.element, f.b, l)), "a swap of two that exist");
        pruefen(f.art == Art::Tausch || f.b == 0, "a second number only for a swap");
    }
    for (const Stelle& s : betroffen(f, l)) {
        pruefen(std::is_sorted(s.nummern.begin(), s.nummern.end()), "numbers ascending");
        for (const int n : s.nummern)
            pruefen(aufDerAnlage(s.element, n, l), "every element touched exists");
    }
}

std::string abgewandelt(std::string_view text, bool gross)
{
    std::string out;
    for (const char c : text) {
        if (gross) {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        } else if (c == ':' || c == ',') {
            out += ' ';
            out += c;
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse)
{
    std::string_view text(reinterpret_cast<const char*>(daten), groesse);
    const VirtualLayout anlage = anlageAus(text);
    const Lesung l = lesen(text, anlage);
    if (!l.meldung.empty()) {
        pruefen(l.fehler.empty(), "a refused list puts in no fault");
        pruefen(l.meldung.back() == '.', "the reason is a sentence");
        return 0;
    }
    for (std::size_t i = 0; i < l.fehler.size(); ++i) {
        const Fehler& f = l.fehler[i];
        pruefen(std::find(l.fehler.begin(), l.fehler.begin() + std::ptrdiff_t(i), f) == l.fehler.begin() + std::ptrdiff_t(i),
                "every fault once");
        faultLiegtAufDerAnlage(f, anlage);
        const Lesung allein = lesen(verdrahtung::text(f), anlage);
        pruefen(allein.meldung.empty() && allein.fehler == std::vector<Fehler>{f}, "a fault written alone reads back");
    }
    const Lesung zurueck = lesen(verdrahtung::text(l.fehler), anlage);
    pruefen(zurueck.meldung.empty() && zurueck.fehler == l.fehler, "the list written reads back as the same list");
    for (const bool gross : {true, false}) {
        const Lesung anders = lesen(abgewandelt(text, gross), anlage);
        pruefen(anders.meldung.empty() && anders.fehler == l.fehler,
                gross ? "upper case reads the same" : "blanks around ':' and ',' read the same");
    }
    return 0;
}
