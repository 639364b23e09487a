// The wiring check without eyes: what the inputs do at rest, and which
// occupancy input answers when one block after the other gets track power.
// Plain C++ on TkvxHard alone, like the thread cores of train running: the
// runs are the bodies of a worker thread (or of the command line's check),
// they pulse the keep-alive line themselves, and what they see is turned
// into findings by plain functions that the tests call directly.
//
// A finding names the fault in the form the virtual layout's --fehler takes
// ("tausch:block:5:6") and says in German what the person at the layout will
// most likely find. Patterns that span whole cards are one finding: a line
// that reads 1 from a card on is one break, blocks that all answer one card
// off are one missing card.
#pragma once

#include "verdrahtungsfehler.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TkvxHard;

namespace pruefung {

struct Befund {
    verdrahtung::Fehler fehler;
    std::string satz;   // German, ends with "." or "?"
    // A fault the --fehler list cannot name (a short between two inputs):
    // its name in the same form ("kurzschluss:melder:5:6"); answers that went
    // round several blocks: the --fehler list that gives them, in its order
    // ("tausch:block:2:4,tausch:block:1:2"); else empty.
    std::string name;
    // The first field of its report line.
    std::string text() const { return name.empty() ? verdrahtung::text(fehler) : name; }
    friend bool operator==(const Befund&, const Befund&) = default;
};

struct Ergebnis {
    std::vector<Befund> befunde;
    std::vector<std::string> hinweise;   // no finding: what the check could not see (German)
    bool abgebrochen = false;            // stopped before its end: the findings are incomplete
    bool bloeckeStumm = false;           // the blocks had power, but none answered: nothing seen of them
    // The rest found blocks the block chain powers all the time: no output
    // can switch them off, so the run ended after the rest with the supply
    // off (no keep-alive pulse, line low), and it must stay off.
    bool netzteilAus = false;
};

// The input kinds the rest check watches, in the order of the report.
inline constexpr verdrahtung::Element Eingaenge[] = {
    verdrahtung::Element::BlockBelegt, verdrahtung::Element::HBlockBelegt, verdrahtung::Element::Melder,
    verdrahtung::Element::BlockTaster, verdrahtung::Element::HBlockTaster, verdrahtung::Element::Taster1,
};
inline constexpr int EingangsArten = 6;
int eingangsIndex(verdrahtung::Element e);   // position in Eingaenge, -1 for any other

// What the cards hold: element counts as the card component has them.
struct Umfang {
    int bloecke = 0, hBloecke = 0, melder = 0, taster1 = 0;
    int anzahl(verdrahtung::Element e) const;      // elements of an input kind (buttons included)
    int hBloeckeMitAusgang() const;                // auxiliary blocks the block chain reaches: 2 per block
};
Umfang umfangVon(const TkvxHard& kvx);

// --- inputs at rest --------------------------------------------------------

// One input over the rest cycles.
enum class Ruhe : std::uint8_t { Frei, Belegt, Wechselnd };

struct RuheBild {
    Umfang umfang;
    std::vector<std::uint8_t> zustand[EingangsArten];   // Ruhe per element, element n at [n]
    Ruhe von(verdrahtung::Element e, int n) const;       // Frei outside the counts
};

// Findings of the rest: a line reading 1 from a card on (bruch of the line
// behind the card before), the block chain powering every block behind a
// card (bruch:block, seen where blocks carry a load), single inputs that
// stay occupied (haengt) or change (flackert). Cards the block check found
// missing on an input line (fehlt findings) move the single inputs behind
// them back to the elements they belong to.
Ergebnis ruheAuswerten(const RuheBild& bild, const std::vector<verdrahtung::Fehler>& fehlendeKarten = {});

// --- blocks answer ---------------------------------------------------------

// Which block occupancies (for blocks) or auxiliary-block occupancies (for
// auxiliary blocks) rose while the element had power, element n at [n].
struct BlockBild {
    std::vector<std::vector<int>> block, hBlock;
    int hBloeckeGeprueft = 0;   // auxiliary blocks 1..this had power
};

// Findings of the block check, given the rest before it (its findings are
// not repeated here; an element whose own input was not free at rest cannot
// answer and is left out).
Ergebnis bloeckeAuswerten(const RuheBild& ruhe, const BlockBild& bild);

// --- the runs ----------------------------------------------------------------

// Timing of a run. A real block card reports a powered block after a few
// input cycles; the virtual card within one.
struct Zeiten {
    std::chrono::milliseconds periode{20};   // one cycle: keep-alive pulse and input read
    int ruheZyklen = 50;                     // rest: a flicker shows at least twice a second
    int einZyklen = 8;                       // a block powered
    int ausZyklen = 6;                       // off again, until its report has dropped
};

// Stop flag and progress, shared with the thread that started the run.
struct Steuerung {
    std::atomic<bool> stop{false};
    std::atomic<int> erledigt{0};    // steps done
    std::atomic<int> schritte{0};    // steps in all (known once the run began)
};

// Steps of a run: the rest cycles count as one step each, each powered
// element as einZyklen + ausZyklen.
int schritte(const Umfang& u, const Zeiten& z, bool mitBloecken);

// The check's run, on the calling (worker) thread: start of a run (chain
// reset, start pulse of the supply, LED chains cleared), every block off,
// the rest cycles, then, mitBloecken, every block and auxiliary block alone
// at the lowest step for einZyklen cycles and off for ausZyklen. Every
// output is off when it returns, also after a stop (then abgebrochen). The
// keep-alive line toggles in every cycle. When the rest finds blocks with
// power all the time (a broken block chain), nothing is switched on: the run
// ends there, the keep-alive line stays low, and netzteilAus says so.
Ergebnis pruefen(TkvxHard& kvx, Steuerung& steuerung, const Zeiten& zeiten, bool mitBloecken,
                 RuheBild* ruheBild = nullptr, BlockBild* blockBild = nullptr);

}  // namespace pruefung
