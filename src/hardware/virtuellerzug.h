// A train on the virtual layout: it moves along the rows of the route table
// while the block under it is powered, faster with a higher speed step and in
// the powered direction, stops before a row whose block has no power, and
// makes the block, auxiliary block and detectors of the row(s) it covers
// report occupied.
#pragma once

#include <array>
#include <chrono>
#include <vector>

class VirtualCard;

struct ZugZeile {
    int block = 0;                  // 1..200, 0: none
    int hblock = 0;                 // auxiliary block 1..256, 0: none
    std::array<int, 4> melder{};    // detectors 1..512, 0: none
};

class VirtuellerZug {
public:
    using Uhr = std::chrono::steady_clock;

    // The route's rows 1..15 form the ring (index 0 = row 1); the train
    // starts at the beginning of row zeile (1..15).
    VirtuellerZug(VirtualCard& karte, std::vector<ZugZeile> strecke, int zeile, Uhr::time_point jetzt = Uhr::now());

    void setStrecke(std::vector<ZugZeile> strecke);

    // Moves the train for the time since the last call as the layout's
    // power allows, and sets the occupancy it causes.
    void fahren(Uhr::time_point jetzt = Uhr::now());

    // Takes the train off: its occupancy is cleared.
    void entfernen();

    int zeile() const { return zeile_; }        // 1..15
    double position() const { return pos_; }    // 0..1 within the row

private:
    VirtualCard& karte_;
    std::vector<ZugZeile> strecke_;
    int zeile_;
    double pos_ = 0.0;
    Uhr::time_point zuletzt_;
};
