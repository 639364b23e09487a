#include "anlagenprotokoll.h"

#include "kvxhard.h"
#include "verdrahtungsfehler.h"
#include "virtualcard.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <tuple>

namespace {

using Change = VirtualCard::Change;

constexpr std::uint8_t kPower = 0x08, kForward = 0x04;

// "7.5": one decimal, whatever the locale.
std::string stufe(double s)
{
    const long zehntel = std::lround(std::max(0.0, s) * 10.0);
    return std::to_string(zehntel / 10) + "." + std::to_string(zehntel % 10);
}

std::string blockText(bool an, bool vor, double s)
{
    if (!an)
        return "aus";
    return std::string(vor ? "ein vor " : "ein rück ") + stufe(s);
}

std::string blockText(std::uint8_t byte)
{
    return blockText((byte & kPower) != 0, (byte & kForward) != 0, byte >> 4);
}

const char* einAus(bool an) { return an ? "ein" : "aus"; }
const char* belegtFrei(bool an) { return an ? "belegt" : "frei"; }
const char* gedruecktLos(bool an) { return an ? "gedrückt" : "los"; }

int ledCode(int kette, int n)
{
    return 1000 * (kette - 1) + n;
}

// Where an input change goes: its word, its number in the log (0: not
// logged) and the state it is kept in.
struct Eingang {
    const char* was;
    int nummer;
    const char* (*zustand)(bool);
};

Eingang eingang(Change::Kind kind, int n)
{
    switch (kind) {
    case Change::Kind::BlockOccupied: return {"Belegt", n, belegtFrei};
    case Change::Kind::HBlockOccupied: return {"Belegt", kvx::TasterHBlockBasis + n, belegtFrei};
    case Change::Kind::Melder: return {"Melder", n, belegtFrei};
    case Change::Kind::BlockButton: return {"Taster", n <= kvx::MaxBlocks ? n : 0, gedruecktLos};
    case Change::Kind::HBlockButton:
        return {"Taster", n <= kvx::MaxHBlocks ? kvx::TasterHBlockBasis + n : 0, gedruecktLos};
    case Change::Kind::Taster1:
        return {"Taster", n <= kvx::MaxEingabe ? kvx::TasterKette1Basis + n : 0, gedruecktLos};
    default: return {"", 0, einAus};
    }
}

}  // namespace

AnlagenProtokoll::AnlagenProtokoll(const VirtualCard& karte, Uhr::time_point start)
    : karte_(karte), start_(start), naechste_(karte.nextChange())
{
}

bool AnlagenProtokoll::setzen(std::vector<std::uint8_t>& stand, int n, std::uint8_t wert)
{
    if (n < 0)
        return false;
    const auto i = static_cast<std::size_t>(n);
    if (i >= stand.size()) {
        if (wert == 0)
            return false;
        stand.resize(i + 1, 0);
    }
    if (stand[i] == wert)
        return false;
    stand[i] = wert;
    return true;
}

void AnlagenProtokoll::lastenLesen()
{
    last_.clear();
    lastAlle_[0] = lastAlle_[1] = false;
    for (const verdrahtung::Fehler& f : karte_.fehler()) {
        if (f.art != verdrahtung::Art::Last)
            continue;
        const bool hilfs = f.element == verdrahtung::Element::HBlock;
        if (f.a == 0)
            lastAlle_[hilfs ? 1 : 0] = true;
        else
            setzen(last_, hilfs ? kvx::TasterHBlockBasis + f.a : f.a, 1);
    }
}

bool AnlagenProtokoll::hatLast(int nummer) const
{
    const bool hilfs = nummer > kvx::TasterHBlockBasis;
    return lastAlle_[hilfs ? 1 : 0] || (static_cast<std::size_t>(nummer) < last_.size() && last_[static_cast<std::size_t>(nummer)]);
}

// What the layout reports itself, or a test load on a powered block.
bool AnlagenProtokoll::belegt(int nummer, const std::vector<std::uint8_t>& strom) const
{
    const auto i = static_cast<std::size_t>(nummer);
    if (i < eigen_.size() && eigen_[i])
        return true;
    if (!hatLast(nummer))
        return false;
    const int h = nummer - kvx::TasterHBlockBasis;
    const auto b = static_cast<std::size_t>(h > 0 ? (h + 1) / 2 : nummer);
    const std::uint8_t byte = b < strom.size() ? strom[b] : 0;
    return h > 0 ? ((byte >> ((h - 1) % 2)) & 1) != 0 : (byte & kPower) != 0;
}

void AnlagenProtokoll::belegtZeile(Wann wann, int nummer, const std::vector<std::uint8_t>& strom)
{
    const bool an = belegt(nummer, strom);
    if (setzen(belegt_, nummer, an ? 1 : 0))
        zeile(wann, "Belegt", nummer, belegtFrei(an));
}

void AnlagenProtokoll::zeile(Wann wann, const char* was, int nummer, const std::string& zustand)
{
    zeilen_.push_back({wann, std::string(was) + '\t' + std::to_string(nummer) + '\t' + zustand});
}

void AnlagenProtokoll::blockZeile(Wann wann, int b, const std::string& text)
{
    Block& s = bloecke_[static_cast<std::size_t>(b - 1)];
    s.wechsel = 0;
    if (text == s.text)
        return;
    s.text = text;
    s.geloggt = true;
    s.letzteZeile = wann.zeit;
    zeile(wann, "Block", b, text);
}

// A quiet block's change is logged at once; one that changed or was logged
// within BlockAbstand waits for bloeckeNachsehen.
void AnlagenProtokoll::blockGeaendert(Wann wann, int b, std::uint8_t byte)
{
    const Uhr::time_point zeit = wann.zeit;
    if (static_cast<std::size_t>(b) > bloecke_.size())
        bloecke_.resize(static_cast<std::size_t>(b));
    Block& s = bloecke_[static_cast<std::size_t>(b - 1)];
    const bool blockTeil = ((byte ^ s.byte) & 0xFC) != 0;   // not only the auxiliary blocks
    if (blockTeil && s.offen && zeit - s.letzteAenderung.zeit >= BlockAbstand) {
        // The held-back state had settled before this change (no look came in between).
        blockZeile(s.letzteAenderung, b, blockText(s.byte));
        s.offen = false;
    }
    s.byte = byte;
    if (!blockTeil)
        return;
    const bool ruhig = (!s.geaendert || zeit - s.letzteAenderung.zeit >= BlockAbstand)
        && (!s.geloggt || zeit - s.letzteZeile >= BlockAbstand);
    s.geaendert = true;
    s.letzteAenderung = wann;
    ++s.wechsel;
    if (ruhig) {
        blockZeile(wann, b, blockText(byte));
        s.offen = false;
    } else {
        s.offen = true;
    }
}

// Blocks with a change not logged yet, once BlockAbstand after their last
// line: settled ones with their step, dithering ones with the step averaged
// over the dither, each at the time of its last change. Blocks without one
// are checked against the card. Returns the time before which no held-back
// block line can fall: the earliest last change of a block still held back.
AnlagenProtokoll::Wann AnlagenProtokoll::bloeckeNachsehen(Wann jetzt, const std::vector<std::uint8_t>& bytes)
{
    Wann grenze{Uhr::time_point::max(), 0};
    if (bytes.size() > bloecke_.size())
        bloecke_.resize(bytes.size());
    for (std::size_t i = 0; i < bloecke_.size(); ++i) {
        Block& s = bloecke_[i];
        const int b = static_cast<int>(i) + 1;
        const std::uint8_t byte = i < bytes.size() ? bytes[i] : 0;
        if (!s.offen) {
            if (blockText(byte) != s.text) {   // first look, or changes the card no longer kept
                s.byte = byte;
                blockZeile(jetzt, b, blockText(byte));
            }
            continue;
        }
        if (schluss_ || jetzt.zeit - s.letzteAenderung.zeit >= BlockAbstand) {
            blockZeile(s.letzteAenderung, b, blockText(byte));
            s.offen = false;
        } else if ((!s.geloggt || s.letzteAenderung.zeit - s.letzteZeile >= BlockAbstand) && s.wechsel >= 2
                   && (byte & kPower)) {
            // Still dithering; one switched off waits until it settles.
            const VirtualCard::BlockView v = karte_.blockView(b, jetzt.zeit);
            blockZeile(s.letzteAenderung, b, blockText(v.powered, v.forward, v.averagedSpeed));
        } else {
            grenze = std::min(grenze, s.letzteAenderung);
        }
    }
    return grenze;
}

std::vector<std::string> AnlagenProtokoll::pruefen(Uhr::time_point jetzt)
{
    const VirtualCard::Ansicht a = karte_.ansicht();
    lastenLesen();
    std::vector<Change> changes;
    karte_.changes(naechste_, a.stand, changes);
    naechste_ = std::max(naechste_, a.stand);

    for (const Change& c : changes) {
        const Wann wann{c.at, c.seq};
        const int n = c.number;
        const bool an = c.value != 0;
        switch (c.kind) {
        case Change::Kind::Snt:
            if (snt_ != an) {
                snt_ = an;
                zeile(wann, "SNT", 0, einAus(an));
            }
            break;
        case Change::Kind::Block:
            blockGeaendert(wann, n, c.value);
            for (int bit = 0; bit < 2; ++bit) {
                const int h = 2 * n - 1 + bit;
                const bool hAn = (c.value >> bit) & 1;
                if (setzen(hbloecke_, kvx::TasterHBlockBasis + h, hAn ? 1 : 0))
                    zeile(wann, "Hilfsblock", kvx::TasterHBlockBasis + h, einAus(hAn));
            }
            setzen(strom_, n, c.value);
            for (const int nummer : {n, kvx::TasterHBlockBasis + 2 * n - 1, kvx::TasterHBlockBasis + 2 * n})
                if (hatLast(nummer))
                    belegtZeile(wann, nummer, strom_);
            break;
        case Change::Kind::Led:
            if (c.sub >= 1 && c.sub <= 3 && setzen(leds_[c.sub - 1], n, c.value))
                zeile(wann, "LED", ledCode(c.sub, n), einAus(an));
            break;
        case Change::Kind::TurnoutCoil: {
            const auto bit = static_cast<std::uint8_t>(c.sub == 1 ? 1 : 2);
            const std::uint8_t vorher = n < static_cast<int>(weichen_.size()) ? weichen_[static_cast<std::size_t>(n)] : 0;
            const auto nachher = static_cast<std::uint8_t>(an ? vorher | bit : vorher & ~bit);
            if (setzen(weichen_, n, nachher))
                zeile(wann, "Weiche", n, an ? (c.sub == 1 ? "gerade ein" : "abzweigend ein") : "aus");
            break;
        }
        case Change::Kind::SignalCoil:
            if (setzen(spulen_, n, c.value))
                zeile(wann, "Spule", n, einAus(an));
            break;
        case Change::Kind::BlockOccupied:
        case Change::Kind::HBlockOccupied: {
            const int nummer = eingang(c.kind, n).nummer;
            if (nummer > 0) {
                setzen(eigen_, nummer, c.value);
                belegtZeile(wann, nummer, strom_);
            }
            break;
        }
        default: {
            const Eingang e = eingang(c.kind, n);
            std::vector<std::uint8_t>& stand = std::string_view(e.was) == "Melder" ? melder_
                : std::string_view(e.was) == "Taster"                           ? taster_
                                                                                 : belegt_;
            if (e.nummer > 0 && setzen(stand, e.nummer, c.value))
                zeile(wann, e.was, e.nummer, e.zustand(an));
            break;
        }
        }
    }

    // What the changes did not say: the keep-alive line falling quiet, the
    // first look, and changes the card no longer kept.
    // They come after every change the card has told so far.
    const Wann nun{jetzt, a.stand};
    const bool sntJetzt = !schluss_ && a.keepAliveEdges > 0 && jetzt - a.lastKeepAliveEdge < VirtualCard::SntTimeout;
    if (snt_ && !sntJetzt) {
        snt_ = false;
        zeile(a.keepAliveEdges > 0 ? Wann{a.lastKeepAliveEdge + VirtualCard::SntTimeout, a.stand} : nun, "SNT", 0,
              "aus");
    } else if (!snt_ && sntJetzt) {
        snt_ = true;
        zeile(nun, "SNT", 0, "ein");
    }
    std::vector<std::uint8_t> bytes(a.blocks.size());
    for (std::size_t i = 0; i < a.blocks.size(); ++i)
        bytes[i] = a.blocks[i].byte;
    const Wann grenze = bloeckeNachsehen(nun, bytes);
    abgleichen(nun, a);

    // Due: what lies before the held-back block lines and not after this look.
    std::stable_sort(zeilen_.begin(), zeilen_.end(), [](const Zeile& x, const Zeile& y) { return x.wann < y.wann; });
    const auto faellig = schluss_ ? zeilen_.end()
                                  : std::find_if(zeilen_.begin(), zeilen_.end(), [&](const Zeile& z) {
                                        return !(z.wann < grenze) || z.wann.zeit > jetzt;
                                    });
    std::vector<std::string> texte;
    texte.reserve(static_cast<std::size_t>(faellig - zeilen_.begin()));
    for (auto z = zeilen_.begin(); z != faellig; ++z) {
        const long long ms = std::chrono::duration_cast<std::chrono::milliseconds>(z->wann.zeit - start_).count();
        texte.push_back(std::to_string(std::max(0LL, ms)) + '\t' + z->text);
    }
    zeilen_.erase(zeilen_.begin(), faellig);
    return texte;
}

std::vector<std::string> AnlagenProtokoll::abschliessen(Uhr::time_point jetzt)
{
    schluss_ = true;
    std::vector<std::string> texte = pruefen(jetzt);
    schluss_ = false;
    return texte;
}

// Every element the card shows or reports against the log's state; a
// difference gets its line now.
void AnlagenProtokoll::abgleichen(Wann jetzt, const VirtualCard::Ansicht& a)
{
    // Element n of ist is kept at stand[basis + n] and logged as nummer + n.
    auto liste = [&](std::vector<std::uint8_t>& stand, const std::vector<std::uint8_t>& ist, int basis, int grenze,
                     const char* was, const char* (*zustand)(bool), int nummer) {
        const int bis = std::min<long long>(grenze, static_cast<long long>(std::max(ist.size(), stand.size())));
        for (int n = 1; n <= bis; ++n) {
            const std::uint8_t wert = static_cast<std::size_t>(n) <= ist.size() && ist[static_cast<std::size_t>(n - 1)] ? 1 : 0;
            if (setzen(stand, basis + n, wert))
                zeile(jetzt, was, nummer + n, zustand(wert != 0));
        }
    };
    auto gleich = [&](std::vector<std::uint8_t>& stand, const std::vector<std::uint8_t>& ist, int basis, int grenze,
                      const char* was, const char* (*zustand)(bool)) { liste(stand, ist, basis, grenze, was, zustand, basis); };
    constexpr int alle = 1 << 20;
    gleich(hbloecke_, a.hblocks, kvx::TasterHBlockBasis, alle, "Hilfsblock", einAus);
    for (int k = 1; k <= 3; ++k)
        liste(leds_[k - 1], a.leds[static_cast<std::size_t>(k - 1)], 0, alle, "LED", einAus, ledCode(k, 0));
    // The occupancies: the layout's own, and the test loads on the blocks powered now.
    std::vector<std::uint8_t> strom(a.blocks.size() + 1, 0);
    for (std::size_t b = 0; b < a.blocks.size(); ++b)
        strom[b + 1] = a.blocks[b].byte;
    for (const auto& [ist, basis, grenze] : {std::tuple(&a.blockOccupied, 0, kvx::MaxBlocks),
                                             std::tuple(&a.hblockOccupied, kvx::TasterHBlockBasis, kvx::MaxHBlocks)}) {
        for (int n = 1; n <= std::min<int>(grenze, static_cast<int>(std::max(ist->size(), strom.size() * 2))); ++n) {
            setzen(eigen_, basis + n, static_cast<std::size_t>(n) <= ist->size() && (*ist)[static_cast<std::size_t>(n - 1)] ? 1 : 0);
            belegtZeile(jetzt, basis + n, strom);
        }
    }
    gleich(melder_, a.melder, 0, alle, "Melder", belegtFrei);
    gleich(taster_, a.blockButtons, 0, kvx::MaxBlocks, "Taster", gedruecktLos);
    gleich(taster_, a.hblockButtons, kvx::TasterHBlockBasis, kvx::MaxHBlocks, "Taster", gedruecktLos);
    gleich(taster_, a.taster1, kvx::TasterKette1Basis, kvx::MaxEingabe, "Taster", gedruecktLos);

    std::vector<std::uint8_t> weichen(weichen_.size()), spulen(spulen_.size());
    for (const VirtualCard::PoweredCoil& p : a.coils) {
        const auto n = static_cast<std::size_t>(p.coil.number);
        std::vector<std::uint8_t>& ziel = p.coil.kind == VirtualCard::Coil::Kind::Turnout ? weichen : spulen;
        if (n >= ziel.size())
            ziel.resize(n + 1, 0);
        ziel[n] = static_cast<std::uint8_t>(ziel[n] | (p.coil.kind == VirtualCard::Coil::Kind::Turnout ? (p.coil.lage == 1 ? 1 : 2) : 1));
    }
    for (std::size_t n = 1; n < std::max(weichen.size(), weichen_.size()); ++n) {
        const std::uint8_t soll = n < weichen.size() ? weichen[n] : 0;
        const std::uint8_t war = n < weichen_.size() ? weichen_[n] : 0;
        if (!setzen(weichen_, static_cast<int>(n), soll))
            continue;
        if (war & ~soll)
            zeile(jetzt, "Weiche", static_cast<int>(n), "aus");
        if (soll & ~war & 1)
            zeile(jetzt, "Weiche", static_cast<int>(n), "gerade ein");
        if (soll & ~war & 2)
            zeile(jetzt, "Weiche", static_cast<int>(n), "abzweigend ein");
    }
    for (std::size_t n = 1; n < std::max(spulen.size(), spulen_.size()); ++n)
        if (setzen(spulen_, static_cast<int>(n), n < spulen.size() ? spulen[n] : 0))
            zeile(jetzt, "Spule", static_cast<int>(n), einAus(spulen_[n] != 0));
}
