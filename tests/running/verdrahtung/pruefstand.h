// The wiring check's test stand: the virtual card with a given layout and
// faults, the check's clock driven by its sleeps, and the findings by name.
#pragma once

#include "cardrig.h"
#include "pruefung.h"
#include "tempo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

// The card's clock moves only when the check sleeps: a run takes no wall
// time, and flickering inputs, driven by the card's clock, still flicker.
inline std::atomic<long long> uhrNs{0};

inline void uhrSchlafen(std::chrono::milliseconds d)
{
    uhrNs += std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}

inline VirtualLayout groessteAnlage()
{
    VirtualLayout l;
    l.blockCards = 50;    // 100 blocks
    l.hblockCards = 64;   // 256 auxiliary blocks
    l.melderCards = 64;   // 512 detectors
    l.taster1Cards = 16;  // 512 buttons
    l.weichenCards = 1;
    l.signalCards = 1;
    l.led1Cards = l.led2Cards = l.led3Cards = 1;
    return l;
}

// 24 blocks, 64 auxiliary blocks (24 of them powered), 128 detectors and buttons.
inline VirtualLayout mittlereAnlage()
{
    VirtualLayout l;
    l.blockCards = 12;
    l.hblockCards = 16;
    l.melderCards = 16;
    l.taster1Cards = 4;
    return l;
}

inline VirtualLayout kleineAnlage()
{
    VirtualLayout l;
    l.blockCards = 6;
    l.hblockCards = 4;
    l.melderCards = 4;
    l.taster1Cards = 2;
    return l;
}

struct Pruefstand {
    explicit Pruefstand(const VirtualLayout& l) : rig(l, false)
    {
        vorher = fahrt::setSchlafFunktion(uhrSchlafen);
        rig.card.setClock([] { return VirtualCard::Clock::time_point(std::chrono::nanoseconds(uhrNs.load())); });
        kvx::Anzahlen a;
        a.BlockAnzahl = static_cast<std::uint16_t>(2 * l.blockCards);
        a.HBlockAnzahl = static_cast<std::uint16_t>(4 * l.hblockCards);
        a.MelderAnzahl = static_cast<std::uint16_t>(8 * l.melderCards);
        a.Taster1Anzahl = static_cast<std::uint16_t>(32 * l.taster1Cards);
        a.WeichenAnzahl = static_cast<std::uint16_t>(8 * l.weichenCards);
        a.SignalAnzahl = static_cast<std::uint16_t>(16 * l.signalCards);
        a.EinDatenBytes = std::max({a.MelderAnzahl, static_cast<std::uint16_t>(2 * a.HBlockAnzahl),
                                    static_cast<std::uint16_t>(4 * a.BlockAnzahl), a.Taster1Anzahl});
        rig.kvx->AnzahlenSetzen(a);
        rig.kvx->PortInit();
    }
    ~Pruefstand() { fahrt::setSchlafFunktion(vorher); }

    // The layout's faults in the --fehler form; an unreadable list fails the test.
    void fehler(const std::string& liste, std::uint64_t seed = 1)
    {
        const verdrahtung::Lesung l = verdrahtung::lesen(liste, rig.card.layout());
        ASSERT_EQ(l.meldung, "") << liste;
        rig.card.setFehler(l.fehler, seed);
    }

    pruefung::Ergebnis pruefen(bool mitBloecken)
    {
        pruefung::Zeiten z;
        z.einZyklen = 1;   // the virtual card answers within one input cycle
        z.ausZyklen = 1;
        return pruefung::pruefen(*rig.kvx, steuerung, z, mitBloecken);
    }

    CardRig rig;
    pruefung::Steuerung steuerung;
    fahrt::SchlafFunktion vorher;
};

inline std::vector<std::string> texte(const pruefung::Ergebnis& e)
{
    std::vector<std::string> t;
    for (const pruefung::Befund& b : e.befunde)
        t.push_back(b.text());
    std::sort(t.begin(), t.end());
    return t;
}

inline const std::string Lasten = "last:block:alle,last:hblock:alle";
