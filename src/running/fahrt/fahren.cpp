#include "fahren.h"

#include "echtzeit.h"
#include "kvxhard.h"
#include "tempo.h"

#include <algorithm>
#include <cstdint>

namespace fahrt {

namespace {

std::uint8_t kettenNummer(int nr)
{
    return static_cast<std::uint8_t>(std::clamp(nr, 0, 255));
}

}  // namespace

void KvxFahren(TkvxHard& kvx, FahrZustand& zustand, const ZyklenMeldung& proSekunde)
{
    ZyklusZaehler zaehler;
    if (proSekunde)
        proSekunde(0);
    laufBeginnen(kvx);
    int vorigerBlock = 0;   // the block of the cycle before
    do {
        sntPuls(kvx);
        if (const auto n = zaehler.zyklus(); n && proSekunde)
            proSekunde(*n);

        const int block = zustand.block.load();
        const int hBlock = zustand.hBlock.load();
        const bool hBlockBenutzt = zustand.hBlockBenutzt.load();
        const bool vorwaerts = zustand.vorwaerts.load();
        const bool laeuft = zustand.start.load();
        const int tempo = zustand.tempo.load();

        if (hBlockBenutzt)
            kvx.HBlockSetzen(kettenNummer(hBlock), laeuft ? 1 : 0);
        // The train moved on to another block (the page's walk): the block it
        // left goes off before the new one is powered.
        if (vorigerBlock != 0 && block != vorigerBlock)
            kvx.BlockSetzen(kettenNummer(vorigerBlock), 0, vorwaerts ? 1 : 0, 0);
        vorigerBlock = block;
        tempoSenden(kvx, block, vorwaerts, tempo);
        zustand.zyklen.fetch_add(1);
    } while (zustand.start.load());
}

FahrThread::~FahrThread()
{
    anhalten();
}

bool FahrThread::starten(TkvxHard& kvx, FahrZustand& zustand, ZyklenMeldung proSekunde, std::function<void()> ende)
{
    if (thread_.joinable())
        return false;
    zustand_ = &zustand;
    zustand.zyklen = 0;
    zustand.start = true;
    thread_ = std::thread([&kvx, &zustand, melden = std::move(proSekunde), ende = std::move(ende)] {
        echtzeit::anfordern();   // the thread pulses the supply line
        KvxFahren(kvx, zustand, melden);
        if (ende)
            ende();
    });
    return true;
}

bool FahrThread::anhalten()
{
    if (!thread_.joinable())
        return false;
    zustand_->start = false;
    thread_.join();
    return true;
}

void FahrThread::warten()
{
    if (thread_.joinable())
        thread_.join();
}

}  // namespace fahrt
