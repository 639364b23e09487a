// The layout log: what the cards show and report, looked at again and again,
// one line per change, never one per port write.
//
// A line is "<ms since start>\t<what>\t<number>\t<state>", for example
// "1520\tLED\t1037\tein" or "2040\tBlock\t3\tein vor 7.5".
#pragma once

#include <chrono>
#include <string>
#include <vector>

class VirtualCard;

class AnlagenProtokoll {
public:
    using Uhr = std::chrono::steady_clock;

    explicit AnlagenProtokoll(const VirtualCard& karte, Uhr::time_point start = Uhr::now());

    // The lines of every change since the last look, oldest first, without
    // line breaks. The first look reports what differs from a dark, quiet
    // layout.
    std::vector<std::string> pruefen(Uhr::time_point jetzt = Uhr::now());

private:
    const VirtualCard& karte_;
    Uhr::time_point start_;
};
