// What the configuration page computes, without widgets: the card kinds with
// their ranges, factors and settings keys, the input byte count and the
// conversion of the remote-control numbers.
#pragma once

#include "ganzezahl.h"

#include <QString>

#include <array>

namespace config {

// Index of a card kind in the card table, in the order of the page and the file.
enum Karte { Block, HBlock, Melder, Weichen, Signale, Taster1, Taster2, Leds1, Leds2, Leds3, KartenAnzahl };

struct KartenArt {
    const char* spinName;      // object name of the spin edit
    const char* fieldName;     // object name of the number field
    const char* cardLabel;
    int minimum;
    int maximum;
    const char* key;           // key in section "Karten"
    int defaultValue;
    int factor;                // elements per card
    const char* elementLabel;
    const char* limitLabel;
};

extern const std::array<KartenArt, KartenAnzahl> Karten;

inline constexpr const char* IniName = "KVXTEST.INI";
inline constexpr const char* SectionKarten = "Karten";
inline constexpr const char* SectionTaster = "Taster";
inline constexpr const char* SectionSonstiges = "Sonstiges";
inline constexpr std::array<const char*, 4> TasterKeys = {"Oben", "Unten", "Rechts", "Links"};
inline constexpr const char* HintsKey = "Hints";
// [Sonstiges] Port=ISA (the I/O ports) or Port=GPIO: where the card's lines
// are, read at the start. Without the key: the I/O ports where the CPU has
// them (x86), else the GPIO header.
inline constexpr const char* PortKey = "Port";
inline constexpr const char* PortIsa = "ISA";
inline constexpr const char* PortGpio = "GPIO";
#if defined(__x86_64__) || defined(__i386__)
inline constexpr const char* PortVorgabe = PortIsa;
#else
inline constexpr const char* PortVorgabe = PortGpio;
#endif

int imBereich(Karte karte, int value);   // brings a card count into the spin edit's range

// The number of input steps per cycle: the longest input line.
int einDatenBytes(int melder, int hbloecke, int bloecke, int taster1, int taster2);

// Remote-control number as entered -> position in the push-button image.
int TasterUmrechnen(int n);

// The fields take whole numbers as the whole program does (ganzezahl.h).
using ::ganzeZahl;

// "'x' ist kein gültiger Integerwert"
QString keinIntegerwert(const QString& text);

}  // namespace config
