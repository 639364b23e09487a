// The route thread's cycle on the virtual card: whatever the tables hold, how
// many cards the layout has, what it reports and what the user changes
// between cycles, a cycle does no harm, and after every cycle
//  - only the pair's blocks and auxiliary blocks are powered: those of its
//    two rows as the cycle read them (a number beyond the cards or an empty
//    cell names none);
//  - each LED chain shows the images the cycle wrote, up to its configured
//    length, and no LED beyond it is lit.
// A run ends as on the page: at a cell that is no number, or after a cycle
// with Start released; the blocks then go off, and the next cycle starts a
// new run (three at most). The worker's waits take no time here.
//
// Input: card counts (block, auxiliary-block and detector cards, LED cards of
// chains 1..3: one byte each), one byte for the configured LED lengths, then
// commands of one byte with their operands (Befehl); a word is two bytes, low
// first. After the commands two more cycles run.
#include "cardrig.h"
#include "pruefen.h"
#include "strecke.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>

namespace {

struct Eingabe {
    const std::uint8_t* p;
    std::size_t rest;
    bool leer() const { return rest == 0; }
    int byte()
    {
        if (rest == 0)
            return 0;
        --rest;
        return *p++;
    }
    int wort() { return byte() | byte() << 8; }
};

// A cell from a word: 0x8000 is a text that is no number, 0x7fff and 0x8001
// the ends of int, anything else the number it holds (an empty cell is 0).
fahrt::Zelle zelle(Eingabe& e)
{
    const auto w = static_cast<std::int16_t>(e.wort());
    if (w == INT16_MIN)
        return {0, false, "x?"};
    if (w == INT16_MAX)
        return {INT_MAX, true, {}};
    if (w == INT16_MIN + 1)
        return {INT_MIN, true, {}};
    return {w, true, {}};
}

enum Befehl {
    Zyklus,          // -
    ZelleSetzen,     // byte: cell (row * 6 + column, from 0, mod 120), word: cell
    Block,           // byte: bits 0..6 block, bit 7 occupied
    HBlock,          // word: bits 0..9 auxiliary block, bit 15 occupied
    Melder,          // word: bits 0..9 detector, bit 15 occupied
    Richtung,        // -: the other direction
    Tempo,           // byte: slider position, signed
    StartLos,        // -: Start released
    LedZeile,        // byte: bit 0 the detector table, words: element, code
    Muster,          // byte: pattern (mod 5) and step (/ 5)
    Leeren,          // -: all tables cleared
    BefehlAnzahl
};

// 0..hoechstens from a byte, small numbers more often: every cycle writes
// the block chain sixteen times and each LED chain once, so long chains cost
// much of the fuzzer's time.
int viele(int byte, int hoechstens)
{
    return byte * byte * hoechstens / (255 * 255);
}

// The configured length of an LED chain of cards cards: as the configuration
// page sets it, or one no shorter than the chain or none at all (a length
// between would leave the old bits in the chain's far end, as on the cards).
int ledLaenge(int karten, int art, int wert)
{
    switch (art % 4) {
    case 1:
        return -wert;
    case 2:
        return 32 * karten + wert * 97;
    case 3:
        return INT_MAX;
    default:
        return 32 * karten;
    }
}

class Lauf {
public:
    explicit Lauf(Eingabe& e)
    {
        VirtualLayout l;
        l.blockCards = 1 + viele(e.byte(), 49);
        l.hblockCards = e.byte() % 64 + 1;
        l.melderCards = e.byte() % 64 + 1;
        l.led1Cards = viele(e.byte(), 25);
        l.led2Cards = viele(e.byte(), 25);
        l.led3Cards = viele(e.byte(), 25);
        const int art = e.byte();
        rig_ = std::make_unique<CardRig>(l);
        TkvxHard& kvx = *rig_->kvx;
        kvx.BlockAnzahl = static_cast<std::uint16_t>(2 * l.blockCards);
        kvx.HBlockAnzahl = static_cast<std::uint16_t>(4 * l.hblockCards);
        kvx.MelderAnzahl = static_cast<std::uint16_t>(8 * l.melderCards);
        kvx.EinDatenBytes = static_cast<std::uint16_t>(std::max({8 * l.melderCards, 8 * l.hblockCards, 8 * l.blockCards}));
        const int karten[3] = {l.led1Cards, l.led2Cards, l.led3Cards};
        for (int k = 0; k < 3; ++k)
            ledLaenge_[k] = ledLaenge(karten[k], art >> (2 * k), art >> 6);
        seite_.ledAnzahlSetzen(ledLaenge_);
        seite_.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(tabellen_));
    }

    void befehl(Eingabe& e)
    {
        VirtualCard& karte = rig_->card;
        const int befehl = e.byte() % 16;   // 11..15 are cycles too: a run needs many
        switch (befehl < BefehlAnzahl ? befehl : Zyklus) {
        case Zyklus:
            zyklus();
            return;
        case ZelleSetzen: {
            const int i = e.byte() % (fahrt::StreckenZeilen * fahrt::StreckenSpalten);
            tabellen_.strecke[std::size_t(i / fahrt::StreckenSpalten)][std::size_t(i % fahrt::StreckenSpalten)] = zelle(e);
            break;
        }
        case Block: {
            const int b = e.byte();
            karte.setBlockOccupied(b & 0x7f, (b & 0x80) != 0);
            return;
        }
        case HBlock: {
            const int w = e.wort();
            karte.setHBlockOccupied(w & 0x3ff, (w & 0x8000) != 0);
            return;
        }
        case Melder: {
            const int w = e.wort();
            karte.setMelder(w & 0x3ff, (w & 0x8000) != 0);
            return;
        }
        case Richtung:
            seite_.richtungSetzen(!seite_.vorwaerts());
            return;
        case Tempo:
            seite_.tempoSetzen(static_cast<std::int8_t>(e.byte()));
            return;
        case StartLos:
            seite_.startSetzen(false);
            return;
        case LedZeile: {
            auto& zeilen = e.byte() % 2 ? tabellen_.ledMelder : tabellen_.ledBlock;
            const fahrt::Zelle element = zelle(e);
            zeilen.push_back({element, zelle(e)});
            break;
        }
        case Muster: {
            const int m = e.byte();
            karte.applyPattern(static_cast<VirtualCard::Pattern>(m % 5), m / 5);
            return;
        }
        default:
            tabellen_ = {};
            break;
        }
        seite_.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(tabellen_));
    }

    void zyklus()
    {
        TkvxHard& kvx = *rig_->kvx;
        if (!lauf_) {
            // Three runs an input: each new one resets the chains, which costs
            // as much as a dozen cycles.
            if (laeufe_ == 3)
                return;
            ++laeufe_;
            seite_.startSetzen(true);
            lauf_ = std::make_unique<fahrt::StreckenLauf>(kvx, seite_, melder_);
            lauf_->anfang();
        }
        if (!lauf_->zyklus()) {
            pruefen(!lauf_->fehler().empty(), "a run ends at a cell that is no number and names its text");
            ende();
            return;
        }
        nurDasPaar();
        ledsWieGeschrieben();
        if (!lauf_->start())
            ende();
    }

private:
    struct Stumm final : fahrt::StreckenMelder {
        void zyklen(int) override {}
        void paar(fahrt::Paar) override {}
        void markierung(const fahrt::Markierung&) override {}
    };

    void ende()
    {
        lauf_.reset();
        rig_->kvx->AlleBloeckeAus();
    }

    void nurDasPaar()
    {
        const fahrt::Paar paar = lauf_->paar();
        pruefen(paar.a >= 1 && paar.a <= fahrt::RingZeilen && paar.b >= 1 && paar.b <= fahrt::RingZeilen,
                "the pair lies in rows 1..15");
        const int bloecke = rig_->kvx->BlockAnzahl;
        const auto zahl = [&](int zeile, int spalte) {
            return tabellen_.strecke[std::size_t(zeile - 1)][std::size_t(spalte - 1)].zahl;
        };
        const auto block = [&](int zeile) {
            const int n = zahl(zeile, fahrt::SpalteBlock);
            return n >= 1 && n <= bloecke ? n : 0;
        };
        const auto hblock = [&](int zeile) {
            const int n = zahl(zeile, fahrt::SpalteHBlock);
            return n > fahrt::HBlockBasis && n <= fahrt::HBlockBasis + 255 ? n - fahrt::HBlockBasis : 0;
        };
        rig_->card.ansicht(ansicht_);
        for (std::size_t i = 0; i < ansicht_.blocks.size(); ++i) {
            const int b = int(i) + 1;
            pruefen(!ansicht_.blocks[i].poweredNow || b == block(paar.a) || b == block(paar.b),
                    "only the pair's blocks are powered");
        }
        for (std::size_t i = 0; i < ansicht_.hblocks.size(); ++i) {
            const int h = int(i) + 1;
            pruefen(!ansicht_.hblocks[i] || h == hblock(paar.a) || h == hblock(paar.b),
                    "only the pair's auxiliary blocks are powered");
        }
    }

    void ledsWieGeschrieben() const
    {
        const TkvxHard& kvx = *rig_->kvx;
        const std::uint8_t* bilder[3] = {kvx.Led1Zustand.data(), kvx.Led2Zustand.data(), kvx.Led3Zustand.data()};
        for (std::size_t k = 0; k < 3; ++k) {
            const std::vector<std::uint8_t>& kette = ansicht_.leds[k];
            for (std::size_t i = 0; i < kette.size(); ++i) {
                const int n = int(i) + 1;
                if (n > ledLaenge_[k])
                    pruefen(!kette[i], "no LED beyond the chain's configured length is lit");
                else
                    pruefen((kette[i] != 0) == (bilder[k][n] != 0), "the chain shows the LED image");
            }
        }
    }

    std::unique_ptr<CardRig> rig_;
    fahrt::StreckenSeite seite_;
    Stumm melder_;
    fahrt::StreckenTabellen tabellen_;
    std::array<int, 3> ledLaenge_{};
    std::unique_ptr<fahrt::StreckenLauf> lauf_;
    int laeufe_ = 0;
    VirtualCard::Ansicht ansicht_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fahrt::SchlafFunktion echt = fahrt::setSchlafFunktion([](std::chrono::milliseconds) {});
    (void)echt;
    Eingabe e{data, size};
    Lauf lauf(e);
    while (!e.leer())
        lauf.befehl(e);
    lauf.zyklus();
    lauf.zyklus();
    return 0;
}
