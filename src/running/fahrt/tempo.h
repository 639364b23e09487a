// What the drive and the route thread share, in plain C++ so that the thread
// bodies run and are tested without Qt: the speed slots that turn a slider
// position into eight block commands, the start of a run, the keep-alive
// pulse of a cycle and the counter of cycles per second.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

class TkvxHard;

namespace fahrt {

inline constexpr int TempoMax = 120;   // slider positions 0..120
inline constexpr int Slots = 8;        // block commands per cycle

// Speed steps of the eight commands for a slider position: step L = s / 8,
// the first s % 8 commands one step higher. Positions outside 0..120 are
// taken as the nearest end.
std::array<std::uint8_t, Slots> tempoSlots(int position);

// The block's commands of one cycle: one command with power off at position
// 0, otherwise the eight slots, each powered when its step is above 0.
void tempoSenden(TkvxHard& kvx, int block, bool vorwaerts, int position);

// One keep-alive pulse: line high, 2 ms, line low.
void sntPuls(TkvxHard& kvx);

// The start of a run, before its first cycle: chain reset, the start pulse
// (line high for kvx::SntStartPuls, then low), LED chains cleared.
void laufBeginnen(TkvxHard& kvx);

// Sleeps the calling (worker) thread for the time given, the last 80 µs
// awake so that it ends on time.
void schlafen(std::chrono::milliseconds dauer);

// Tests and fuzz targets that check only order and outcome may put a faster
// wait in place of the real one, for every thread of the process (the
// keep-alive pulse and the start of a run wait through it too); nullptr
// brings the real one back. Returns the previous one.
using SchlafFunktion = void (*)(std::chrono::milliseconds dauer);
SchlafFunktion setSchlafFunktion(SchlafFunktion f);

// Counts cycles and tells, once the second of the time of day changes, how
// many cycles the last second held; the counter then starts again.
class ZyklusZaehler {
public:
    using Uhr = std::chrono::system_clock;
    explicit ZyklusZaehler(Uhr::time_point jetzt = Uhr::now());
    std::optional<int> zyklus(Uhr::time_point jetzt = Uhr::now());

private:
    long long sekunde_;
    int zaehler_ = 0;
};

}  // namespace fahrt
