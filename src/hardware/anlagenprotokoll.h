// The layout log: what the cards show and report, looked at again and again,
// one line per change, never one per port write.
//
// A line is "<ms since start>\t<what>\t<number>\t<state>", for example
// "1520\tLED\t1037\tein" or "2040\tBlock\t3\tein vor 7.5":
//   SNT 0 ein/aus             keep-alive edges started / none for 100 ms
//   Block b aus, Block b ein vor|rück <step>   step with one decimal
//   Hilfsblock 200+h ein/aus  Weiche n gerade ein|abzweigend ein|aus
//   Spule n ein/aus           LED n, 1000+n, 2000+n ein/aus
//   Belegt b|200+h belegt/frei, Melder m belegt/frei (a block with a test
//   load of the fault list is occupied while it has power)
//   Taster <entry of TasterZustand> gedrückt/los (block-card buttons i,
//   auxiliary-block buttons 200 + h, chain-1 buttons 512 + k)
//
// The card keeps every change with its time, so a change that is undone
// before the next look (an LED lit for a moment, a short coil pulse) still
// gets its two lines. A block whose step is dithered by the drive or the
// route thread gets at most one line per BlockAbstand, with the step averaged
// over the dither; a single change of a quiet block is logged at once.
//
// Every line carries the time of the change it reports (a block's line the
// time of the last change it takes in), and the lines come in the order of
// those times: while a block's line is held back, the lines of everything
// that changed after that block's last change wait for it, a look or two.
//
// Not thread-safe itself: one owner calls pruefen (the card is thread-safe).
#pragma once

#include "virtualcard.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

class AnlagenProtokoll {
public:
    using Uhr = std::chrono::steady_clock;

    static constexpr Uhr::duration BlockAbstand = std::chrono::milliseconds(100);

    explicit AnlagenProtokoll(const VirtualCard& karte, Uhr::time_point start = Uhr::now());

    // The lines of every change since the last look that are due, oldest
    // first, without line breaks; a line waiting for a held-back block line
    // comes in a later look. The first look reports what differs from a
    // dark, quiet layout. jetzt is on the card's clock (VirtualCard::now()).
    std::vector<std::string> pruefen(Uhr::time_point jetzt = Uhr::now());

    // The last look, when the program ends after switching the card off: as
    // pruefen, but a block whose line waits for BlockAbstand gets it now, with
    // the state it has, every line held back comes out, and the power supply
    // goes off (nothing pulses the keep-alive line any more).
    std::vector<std::string> abschliessen(Uhr::time_point jetzt = Uhr::now());

private:
    // When a change happened: its time and, for changes at the same time,
    // its place in the card's order.
    struct Wann {
        Uhr::time_point zeit{};
        std::uint64_t folge = 0;
        bool operator<(const Wann& w) const { return zeit != w.zeit ? zeit < w.zeit : folge < w.folge; }
    };
    struct Zeile {
        Wann wann;
        std::string text;
    };
    struct Block {
        std::string text = "aus";        // as last logged
        std::uint8_t byte = 0;           // as last seen in a change
        bool geloggt = false;            // a line was written
        Uhr::time_point letzteZeile{};
        bool geaendert = false;          // a change was seen
        Wann letzteAenderung{};
        int wechsel = 0;                 // changes since the last line
        bool offen = false;              // a change not logged yet
    };

    void zeile(Wann wann, const char* was, int nummer, const std::string& zustand);
    void blockGeaendert(Wann wann, int b, std::uint8_t byte);
    void blockZeile(Wann wann, int b, const std::string& text);
    Wann bloeckeNachsehen(Wann jetzt, const std::vector<std::uint8_t>& bytes);
    void abgleichen(Wann jetzt, const VirtualCard::Ansicht& a);
    void lastenLesen();
    bool hatLast(int nummer) const;                           // Belegt's number: b or 200 + h
    bool belegt(int nummer, const std::vector<std::uint8_t>& strom) const;   // strom: block b's byte at [b]
    void belegtZeile(Wann wann, int nummer, const std::vector<std::uint8_t>& strom);
    static bool setzen(std::vector<std::uint8_t>& stand, int n, std::uint8_t wert);   // true: it changed

    const VirtualCard& karte_;
    Uhr::time_point start_;
    std::uint64_t naechste_;             // number of the next change of the card to read
    std::vector<Zeile> zeilen_;          // decided, not given out yet (in the order they were decided)
    bool schluss_ = false;               // the last look

    bool snt_ = false;
    std::vector<Block> bloecke_;                       // block b at [b - 1]
    std::vector<std::uint8_t> hbloecke_;               // as logged, element n at [n]
    std::vector<std::uint8_t> weichen_;                // bit 1 straight, bit 2 diverging coil on
    std::vector<std::uint8_t> spulen_;
    std::vector<std::uint8_t> leds_[3];
    std::vector<std::uint8_t> belegt_, hbelegt_, melder_, taster_;   // taster_ by TasterZustand entry
    std::vector<std::uint8_t> eigen_;    // occupancy the layout reports itself, numbered as belegt_
    std::vector<std::uint8_t> strom_;    // block b's byte at [b], as the changes told it
    std::vector<std::uint8_t> last_;     // test loads, numbered as belegt_
    bool lastAlle_[2] = {false, false};  // on every block, every auxiliary block
};
