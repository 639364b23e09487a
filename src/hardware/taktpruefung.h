// The machine check: can this computer hold the supply line's period?
//
// A thread with the same real-time request as the threads that pulse the
// supply line sleeps to the next absolute deadline of the 20 ms period and
// records each period it actually got, for a while, without touching the
// card. The verdict is a plain function over the recorded series.
//
// It holds when the longest period stays below half the 100 ms the cards
// wait for an edge before they switch their supply off: the program's own
// work in a period (port reads, the window) comes on top of what this bare
// loop measures, and a machine that once needs 50 ms with nothing to do is
// one busy moment away from the cards' limit.
#pragma once

#include "echtzeit.h"

#include <chrono>
#include <string>
#include <vector>

namespace takt {

using Dauer = std::chrono::microseconds;

constexpr std::chrono::milliseconds Periode{20};
constexpr std::chrono::milliseconds KartenWarten{100};
constexpr std::chrono::milliseconds Grenze{50};   // holds: every period shorter

struct Messung {
    echtzeit::Ergebnis echtzeit;   // what the measuring thread got
    std::vector<Dauer> perioden;
    bool gelaufen = false;         // false: no thread could be started
};

// Measures for that long on a thread of its own (the calling thread waits).
Messung messen(std::chrono::seconds dauer, const echtzeit::Aufrufe& a = echtzeit::systemAufrufe());

struct Urteil {
    std::string text;   // histogram, longest period, real time, verdict; each line ends with a line break
    int status = 2;     // 0 holds, 1 does not, 2 could not run
};

// programm: the program file, for the command that grants real time.
Urteil urteilen(const Messung& m, const std::string& programm);

// "20,9 ms": milliseconds with one decimal and a decimal comma.
std::string millisekunden(Dauer d);

}  // namespace takt
