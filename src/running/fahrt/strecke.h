// The route thread: a train runs on its own along the route table of the
// route page. Plain C++ like the card: the window keeps the page state in a
// StreckenSeite (tables as numbers, direction, speed, Start, LED chain
// lengths), the thread copies it once per cycle, and what the thread has to
// tell (cycles per second, the marking of the cells, the powered pair, its
// end) goes out through a StreckenMelder. No widget is ever touched here.
//
// The route is rows 1..15 of the table; each row names an auxiliary block
// (column 1, written 200 + its number), four detectors (columns 2, 3, 5, 6)
// and a block (column 4). Two rows are powered: the row the train is in and
// the row it runs into next. The pair moves on by one row in a cycle in which
// no element of its first row reports occupied; the block and auxiliary
// block left behind are switched off. After every cycle only the pair's
// blocks and auxiliary blocks are powered: whatever the run powered and is
// no longer the pair's (the tables changed, the direction reversed) goes off.
#pragma once

#include "kvxhard.h"
#include "tempo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fahrt {

inline constexpr int StreckenZeilen = 20;   // rows 1..20 are shown and marked
inline constexpr int RingZeilen = 15;       // rows 1..15 form the route
inline constexpr int StreckenSpalten = 6;   // columns 1..6
inline constexpr int SpalteHBlock = 1;
inline constexpr int SpalteBlock = 4;
inline constexpr int HBlockBasis = 200;     // block-type numbers above 200 are auxiliary blocks

// A cell as the thread reads it: its whole number (an empty cell is 0), or
// the text that is none.
struct Zelle {
    int zahl = 0;
    bool gueltig = true;
    std::string text;   // kept only for a cell that is not a whole number
};

// A row of an LED table: element (block-type number or detector) and LED code.
struct LedZuordnung {
    Zelle element;
    Zelle code;
};

// The three tables of the route page, rows from 1 on (headers and row
// numbers are not read).
struct StreckenTabellen {
    std::array<std::array<Zelle, StreckenSpalten>, StreckenZeilen> strecke{};   // [row - 1][column - 1]
    std::vector<LedZuordnung> ledBlock;
    std::vector<LedZuordnung> ledMelder;
};

// --------------------------------------------------------------- the rules

// The powered pair: the row the train is in (a) and the row it runs into
// next (b), both 1..15.
struct Paar {
    int a = 1;
    int b = 2;
    friend bool operator==(const Paar&, const Paar&) = default;
};

// The row after (forward) or before (backward) a row of the ring: 1 follows
// 15 forward, 15 follows 1 backward.
int nachbar(int zeile, bool vorwaerts);

// The pair a run starts with: 1-2 forward, 1-15 backward.
Paar startPaar(bool vorwaerts);

// One step once the first row is free: the first row moves on to the row
// after it in the direction, the second row is the one after that.
Paar naechstesPaar(Paar p, bool vorwaerts);

// An LED code: 1..999 chain 1, 1000..1999 chain 2, 2000..2999 chain 3, LED
// number code mod 1000. Nothing for a negative code, a code of 3000 or more,
// and an LED number 0 or above 800.
struct LedAdresse {
    int kette = 0;
    int nr = 0;
    friend bool operator==(const LedAdresse&, const LedAdresse&) = default;
};
std::optional<LedAdresse> ledAdresse(int code);

// The first element the tables name that the cards do not have: a block,
// auxiliary block, detector or LED above its configured count. Rows 1..20 of
// the route table column by column, then the block LEDs, then the detector
// LEDs; empty cells and cells that are no number are passed over.
struct Ueberzaehlig {
    enum class Art { Block, HBlock, Melder, Led };
    Art art = Art::Block;
    int nr = 0;       // as shown: auxiliary block 200 + h, LED 1000 + n on chain 2
    int anzahl = 0;   // the count it lies above
    int kette = 0;    // the LED's chain 1..3
    friend bool operator==(const Ueberzaehlig&, const Ueberzaehlig&) = default;
};
std::optional<Ueberzaehlig> ersteUeberzaehlige(const StreckenTabellen& t, const kvx::Anzahlen& anzahlen,
                                               const std::array<int, 3>& ledAnzahl);

// ------------------------------------------------------------ page state

// What one cycle works with.
struct StreckenStand {
    bool vorwaerts = true;
    int tempo = 0;                 // slider position 0..120
    bool start = false;            // Start is down: the thread goes on cycling
    std::array<int, 3> ledAnzahl{};   // LEDs of chains 1..3 as configured
    std::shared_ptr<const StreckenTabellen> tabellen;
};

// The page state, written by the window at any time (the tables as a whole,
// replaced on every edit, load and clear) and copied by the thread once per
// cycle under its lock.
class StreckenSeite {
public:
    StreckenSeite();
    void tabellenSetzen(std::shared_ptr<const StreckenTabellen> tabellen);
    void tempoSetzen(int tempo);
    void richtungSetzen(bool vorwaerts);
    void startSetzen(bool start);
    void ledAnzahlSetzen(const std::array<int, 3>& anzahl);

    // Copies the state; allocates nothing.
    void lesen(StreckenStand& ziel) const;
    bool start() const;
    bool vorwaerts() const;

private:
    mutable std::mutex lock_;
    StreckenStand stand_;
};

// ----------------------------------------------------------- the reports

// The marking of rows 1..20, columns 1..6: cells without a number keep their
// colour, the others show occupied or free.
enum class Marke : std::uint8_t { Keine, Frei, Belegt };
using Markierung = std::array<std::array<Marke, StreckenSpalten>, StreckenZeilen>;

// What the thread tells, called on the thread; must not block.
class StreckenMelder {
public:
    virtual ~StreckenMelder() = default;
    virtual void zyklen(int proSekunde) = 0;   // 0 when the run begins, then once a second
    virtual void paar(Paar p) = 0;             // when the run begins and after each step
    virtual void markierung(const Markierung& m) = 0;   // once a cycle
};

// What the window shows of a run: the newest of each report.
struct StreckenNachricht {
    std::optional<int> zyklen;
    std::optional<Paar> paar;
    std::optional<Markierung> markierung;
    bool ende = false;
    std::optional<std::string> fehler;   // the text of the cell that ended the run
};

// Keeps the newest reports until the window fetches them, so that the window
// shows at its own pace and always the final state. wecken is called (on the
// thread) for the first report after a fetch and for the end: the window then
// fetches, at once or a little later.
class StreckenBericht : public StreckenMelder {
public:
    explicit StreckenBericht(std::function<void()> wecken = {});
    void zyklen(int proSekunde) override;
    void paar(Paar p) override;
    void markierung(const Markierung& m) override;
    void ende(std::optional<std::string> fehler);

    StreckenNachricht abholen();
    bool beendet() const;   // the end has been reported and not yet fetched
    void verwerfen();       // forgets everything not fetched

private:
    void gemeldet(std::unique_lock<std::mutex>& l);

    std::function<void()> wecken_;
    mutable std::mutex lock_;
    StreckenNachricht offen_;
    bool geweckt_ = false;
};

// -------------------------------------------------------------- the run

// One run, cycle by cycle. The thread body is anfang() and then zyklus()
// until a cycle ends with Start released; tests call the steps themselves.
class StreckenLauf {
public:
    StreckenLauf(TkvxHard& kvx, const StreckenSeite& seite, StreckenMelder& melder);

    // Start pair from the direction, counter, the start of a run
    // (laufBeginnen: chain reset, start pulse, LED chains cleared).
    void anfang();

    // One cycle: keep-alive pulse and counter, input cycle, marking, LED
    // images and write-out, stepping, switch-off, powering. False when a cell
    // it reads is not a whole number: the run ends there (fehler()).
    bool zyklus();

    bool start() const { return stand_.start; }
    Paar paar() const { return paar_; }
    const std::string& fehler() const { return fehler_; }

private:
    // Occupancy of a number in a column; nothing for a number outside the
    // supported ranges (it is ignored like an empty cell).
    std::optional<bool> belegt(int spalte, int zahl) const;
    std::optional<bool> blockTypBelegt(int zahl) const;
    bool markieren();
    bool ledsSetzen();
    bool ledZeilen(const std::vector<LedZuordnung>& zeilen, bool melder);
    bool zeileBelegt(int zeile) const;
    int zahl(int zeile, int spalte) const;
    int blockVon(int zeile) const;
    int hBlockVon(int zeile) const;
    void paarLesen();
    void bloeckeSenden(bool vorwaerts);
    void blockAus(int block);
    void hBlockAus(int hblock);

    TkvxHard& kvx_;
    const StreckenSeite& seite_;
    StreckenMelder& melder_;
    StreckenStand stand_;
    kvx::Anzahlen anzahlen_;
    ZyklusZaehler zaehler_;
    bool vorwaerts_ = true;
    Paar paar_;
    int aBlock_ = 0, aHBlock_ = 0, bBlock_ = 0, bHBlock_ = 0;   // the pair's elements, 0: none
    int vorigerABlock_ = 0, vorigerAHBlock_ = 0;                 // the first row's, one cycle ago
    std::array<int, 2> bloeckeAn_{}, hBloeckeAn_{};             // what this run left powered, 0: none
    Markierung markierung_{};
    bool streckeFrei_ = true;
    std::string fehler_;
};

// The body of the route thread: anfang(), then cycles until one ends with
// Start released. Returns the text of a cell that ended the run. Allocates
// nothing per cycle.
std::optional<std::string> kvxGO(TkvxHard& kvx, const StreckenSeite& seite, StreckenMelder& melder);

// One route thread at a time, started running and always joined: by warten()
// after its end was reported, by anhalten(), at the latest by the destructor.
class StreckenThread {
public:
    StreckenThread() = default;
    StreckenThread(const StreckenThread&) = delete;
    StreckenThread& operator=(const StreckenThread&) = delete;
    ~StreckenThread();

    // Sets Start and runs kvxGO on a new thread, which reports its end to
    // bericht. Refused (false) while a thread of this object is not joined.
    bool starten(TkvxHard& kvx, StreckenSeite& seite, StreckenBericht& bericht);

    // A thread has been started and not yet joined.
    bool laeuft() const { return thread_.joinable(); }

    // Releases Start and waits until the current cycle has ended. True when
    // a thread was running.
    bool anhalten();

    // Waits for a thread whose end was reported; returns at once when none runs.
    void warten();

private:
    std::thread thread_;
    StreckenSeite* seite_ = nullptr;
};

}  // namespace fahrt
