// The card's lines on GPIO lines: which port bits the program uses, their
// names in the settings file, and the map of each card line to a GPIO line.
//
// The card puts single bits of its ports on the chain lines. The program
// drives 22 of them (all of 0x300 and 0x301; bits 0, 2..6 of 0x306) and reads
// four (bits 0, 1, 3, 4 of 0x302); on a GPIO header each of these 26 is one
// GPIO line. The map lives in the section [GPIO] of KVXTEST.INI:
//
//   [GPIO]
//   Weiche.Daten=2
//   ...
//
// one key per card line, named as in Linien below, and Chip= when the lines
// are not on the Raspberry Pi's header (gpiochip0, say). The default fits the
// 40-pin header of a Raspberry Pi, whose 26 free lines GPIO 2..27 carry the
// 26 card lines exactly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace gpio {

struct Linie {
    const char* name;       // key in [GPIO]
    std::uint16_t port;
    std::uint8_t bit;       // mask within the port
    bool eingang;           // an input line of 0x302
    unsigned vorgabe;       // GPIO line of the Raspberry Pi default
};

inline constexpr int LinienAnzahl = 26;

// Every card line, port by port and bit by bit.
//
// The default keeps the lines that must not move while the Pi boots off
// GPIO 2..8: those come up pulled high, 9..27 pulled low. So only data lines
// and the input load (harmless without a clock) sit on 2..8; the coil enable,
// the keep-alive line, every clock and latch start low. The data lines have
// the lowest numbers as well: the Pi's GPIO driver sets the lines of one call
// one after another in ascending order, so a data line would come before its
// clock. GPIO 14 (the serial port's transmit line, active while the Pi boots
// when the serial console is on) carries the input clock, whose pulses
// change nothing on the layout. The inputs are GPIO 24..27, side by side.
inline constexpr std::array<Linie, LinienAnzahl> Linien{{
    {"Weiche.Daten", 0x300, 0x01, false, 2},
    {"Weiche.Takt", 0x300, 0x02, false, 9},
    {"Spulen.Freigabe", 0x300, 0x04, false, 10},
    {"Eingabe.Laden", 0x300, 0x08, false, 3},
    {"Led2.Daten", 0x300, 0x10, false, 4},
    {"Led2.Takt", 0x300, 0x20, false, 11},
    {"Led1.Daten", 0x300, 0x40, false, 5},
    {"Led1.Takt", 0x300, 0x80, false, 12},
    {"Signal.Daten", 0x301, 0x01, false, 6},
    {"Eingabe.Takt", 0x301, 0x02, false, 14},
    {"Signal.Takt", 0x301, 0x04, false, 13},
    {"Block.Takt", 0x301, 0x08, false, 15},
    {"Block.Latch", 0x301, 0x10, false, 16},
    {"Led1.Latch", 0x301, 0x20, false, 17},
    {"Led2.Latch", 0x301, 0x40, false, 18},
    {"Block.Daten", 0x301, 0x80, false, 7},
    {"SNT.Leitung", 0x306, 0x01, false, 19},
    {"Zusatz.Takt", 0x306, 0x04, false, 20},
    {"Zusatz.Latch", 0x306, 0x08, false, 21},
    {"Led3.Daten", 0x306, 0x10, false, 8},
    {"Led3.Takt", 0x306, 0x20, false, 22},
    {"Led3.Latch", 0x306, 0x40, false, 23},
    {"Block.Eingang", 0x302, 0x01, true, 24},
    {"Taster1.Eingang", 0x302, 0x02, true, 25},
    {"HBlock.Eingang", 0x302, 0x08, true, 26},
    {"Melder.Eingang", 0x302, 0x10, true, 27},
}};

inline constexpr const char* Abschnitt = "GPIO";
inline constexpr const char* ChipSchluessel = "Chip";

// Where every card line goes: leitung[i] is the GPIO line of Linien[i].
struct Plan {
    std::string chip;   // empty: the Raspberry Pi's header, found by its label (gpiobaustein.h)
    std::array<unsigned, LinienAnzahl> leitung{};
    friend bool operator==(const Plan&, const Plan&) = default;
};

Plan vorgabe();

struct PlanLesung {
    Plan plan;
    bool vorgabe = false;   // the section holds none of its keys: the default, to be written
    std::string fehler;     // why the map is refused (German, names the line); empty when it is good
};

// Reads the map through wert (the value of a key of [GPIO], nullopt when the
// key is missing). A map that misses a line, names one GPIO line twice or
// holds something other than a GPIO number is refused as a whole.
PlanLesung planLesen(const std::function<std::optional<std::string>(const std::string&)>& wert);

// The keys and values of a map as the settings file holds them, Chip first
// (when the map names a chip).
void planSchreiben(const Plan& plan, const std::function<void(const std::string&, const std::string&)>& eintrag);

}  // namespace gpio
