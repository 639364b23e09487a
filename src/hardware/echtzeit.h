// Real-time scheduling for the threads that pulse the keep-alive line (the
// supply line, "Netzteilleitung").
//
// The cards keep their supply on only while the keep-alive line toggles; a
// thread that waits for a processor behind other programs leaves a gap. A
// thread that pulses the line asks, once at its start and on itself, for
// SCHED_FIFO at a modest fixed priority (far below the 70..95 of audio
// servers) with SCHED_RESET_ON_FORK, so that nothing started from it
// inherits the policy. The rest of the process (the window's thread above
// all) stays at normal priority.
//
// In this order, whichever the machine allows: the capability CAP_SYS_NICE
// (given to the program file with setcap; the program keeps it when it gives
// its other capabilities away), else the soft limit RLIMIT_RTPRIO (a
// limits.d entry), up to the priority wanted or as far as it reaches. A
// thread that runs in real time already (the whole program started under
// chrt) keeps what it has.
//
// Plain C++, no Qt; the system calls come through a table, so that a test
// can make each step fail.
#pragma once

#include <string>

namespace echtzeit {

// The priority asked for.
constexpr int Prioritaet = 10;

enum class Weg {
    Keiner,       // normal scheduling
    Geerbt,       // the thread ran in real time already
    Faehigkeit,   // CAP_SYS_NICE
    Grenze,       // RLIMIT_RTPRIO
};

struct Aufrufe {
    // The calling thread's real-time priority; 0 when it runs normally.
    int (*jetzt)();
    // Whether CAP_SYS_NICE is effective in the process.
    bool (*faehigkeit)();
    // The soft RLIMIT_RTPRIO (unlimited: a large number).
    long (*grenze)();
    // Sets SCHED_FIFO | SCHED_RESET_ON_FORK at that priority on the calling
    // thread: 0, or the errno.
    int (*setzen)(int prioritaet);
};

// The real calls of this system.
const Aufrufe& systemAufrufe();

struct Ergebnis {
    Weg weg = Weg::Keiner;
    int prioritaet = 0;   // 0: normal scheduling
    std::string grund;    // why not (German); empty in real time
    bool echtzeit() const { return prioritaet > 0; }
};

// On the calling thread: real time as far as the machine allows. Called
// once at the thread's start; takes no lock, and allocates only for the
// reason of a refusal.
Ergebnis anfordern(const Aufrufe& a = systemAufrufe());

// Asks for it on a short-lived thread of its own: what the keep-alive's
// threads get here, leaving the calling thread as it is.
Ergebnis probieren(const Aufrufe& a = systemAufrufe());

// The one command that grants it to that program file.
std::string befehl(const std::string& programm);

// One line (without line break) for the start: whether the keep-alive runs
// in real time, and if not, why and how to grant it.
std::string zeile(const Ergebnis& e, const std::string& programm);

}  // namespace echtzeit
