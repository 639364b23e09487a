// A train on the virtual layout: it moves along the rows of the route table
// while the block under it is powered, faster with a higher speed step and in
// the powered direction, stops before a row whose block has no power, and
// makes the block, auxiliary block and detectors of the row(s) it covers
// report occupied.
//
// The model
// ---------
// Rows 1..15 of the route form a ring (after row 15 comes row 1); every row
// is one unit long and the train is half a row long (Laenge). Its place is
// the position of its end that comes first in forward order (its "rear"):
// row zeile() at position() 0..1; it covers from there half a row onwards,
// so while its rear is past the middle of a row it reaches into the next one.
//
// - Power: the train is driven by the block of the row its middle is in. It
//   moves while that block's averaged step is above 0, forward (rows
//   ascending) when the block was last powered forward, else backward.
// - Speed: zeilenProSekunde(step), linear in the step: a row takes 20 s at
//   step 1 and 2 s at step 15 (280 / (5 + 9 step) seconds). The step is the
//   card's averaged step of the block (VirtualCard::blockView: the speed
//   dither of the worker threads averaged, time without power counting as
//   step 0) at the card's clock when fahren() is called; the train moves at
//   it for the time since the last call.
// - Stopping: the train's leading end enters the next row only while that
//   row has a block that is powered in the direction the train runs. An
//   empty row (no block), a row whose block has no power, or one powered the
//   other way stops the train with its leading end at the row's border; it
//   goes on when the row gets power.
// - Occupancy: every row the train covers reports its block and its
//   auxiliary block occupied. The detectors lie in the row in the order of
//   the table's columns, each on a quarter of the row: RHalt (first
//   quarter, where a forward train enters), RBrems, VBrems, VHalt (last
//   quarter). A detector reports occupied while the train covers part of
//   its quarter. A train standing at the start of a row thus covers the
//   row's block, auxiliary block, RHalt and RBrems; one standing at its end
//   the block, auxiliary block, VBrems and VHalt.
// - The train sets an element occupied when it comes to cover it and free
//   when it leaves it, and on entfernen() frees what it still covers. It
//   touches no element it does not cover; an element it covers is its own
//   while it covers it (the card keeps no record of who set what).
//
// Threads: a train is used on one thread (the window's, about 25 calls a
// second). The card is locked inside, so a worker thread may drive the card
// at the same time.
#pragma once

#include "virtualcard.h"

#include <array>
#include <chrono>
#include <vector>

// One row of the route as the train needs it. Numbers outside the ranges
// count as none.
struct ZugZeile {
    int block = 0;                  // 1..200, 0: none
    int hblock = 0;                 // auxiliary block 1..256, 0: none
    std::array<int, 4> melder{};    // detectors 1..512, 0: none: RHalt, RBrems, VBrems, VHalt
};

// A row from the numbers of columns 1..6 of the route table (HBlock written
// 200 + h, RHalt, RBrems, Block, VBrems, VHalt; an empty cell is 0).
ZugZeile zugZeile(const std::array<int, 6>& spalten);

class VirtuellerZug {
public:
    using Uhr = std::chrono::steady_clock;

    static constexpr int Ring = 15;          // rows 1..15
    static constexpr double Laenge = 0.5;    // rows

    // Rows per second at a speed step (0 at step 0 and below, step 15 at most).
    static double zeilenProSekunde(double stufe);

    // The route's rows 1..15 form the ring (index 0 = row 1; rows beyond 15
    // are not part of it, missing ones are empty); the train starts at the
    // beginning of row zeile (1..15, others taken as the nearest) and at
    // once reports what it covers there.
    VirtuellerZug(VirtualCard& karte, std::vector<ZugZeile> strecke, int zeile, Uhr::time_point jetzt = Uhr::now());
    VirtuellerZug(const VirtuellerZug&) = delete;
    VirtuellerZug& operator=(const VirtuellerZug&) = delete;

    // New rows (the table was edited): the train stays where it is and
    // reports what it covers now.
    void setStrecke(std::vector<ZugZeile> strecke);

    // The card's layout changed (elements came or went with the card counts):
    // reports everything it covers occupied again, so that an element that
    // came back or is new takes the train's occupancy.
    void neuMelden();

    // Puts the train (again) at the beginning of row zeile.
    void einsetzen(int zeile, Uhr::time_point jetzt = Uhr::now());

    // Moves the train for the time since the last call as the layout's
    // power allows, and sets the occupancy it causes.
    void fahren(Uhr::time_point jetzt = Uhr::now());

    // Takes the train off: the occupancy it set is cleared, and fahren()
    // does nothing until einsetzen(). The destructor leaves the card alone
    // (it may be gone already): call this first.
    void entfernen();

    bool eingesetzt() const { return eingesetzt_; }
    int zeile() const;                  // 1..15: the row of its rear
    double position() const;            // 0..1 within that row
    std::vector<int> zeilen() const;    // the rows it covers, in forward order; none once taken off

private:
    struct Antrieb {
        bool an = false;
        bool vorwaerts = true;
        double stufe = 0;
    };
    struct Belegung {
        std::vector<int> bloecke, hbloecke, melder;   // sorted, without repeats
    };

    const ZugZeile& reihe(int index) const;   // row index + 1; an empty row beyond the table
    Antrieb antrieb(int index, VirtualCard::Clock::time_point t) const;   // the power of the row's block
    bool darfEinfahren(int index, bool vorwaerts, VirtualCard::Clock::time_point t) const;
    Belegung bedeckt() const;
    void melden();

    VirtualCard& karte_;
    std::vector<ZugZeile> strecke_;
    double ort_ = 0;          // rear in rows from the start of row 1, 0 <= ort_ < Ring
    bool eingesetzt_ = true;
    Belegung gemeldet_;       // what the train has set occupied
    Uhr::time_point zuletzt_;
};
