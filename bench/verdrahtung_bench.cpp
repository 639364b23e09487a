// The wiring check on the largest layout (100 blocks, 256 auxiliary blocks,
// 512 detectors, 512 chain-1 buttons, 512 input steps) on the virtual card,
// with its real cycle (20 ms) and block times (8 cycles on, 6 off):
//   BM_VerdrahtungRuhe     the rest check (50 cycles), goal: within 3 s;
//   BM_VerdrahtungBloecke  rest and block check, a test load on every block
//                          and auxiliary block, goal: within 3 minutes.
// Both give the keep-alive line's periods as the cards saw them while the
// check's cycles ran (period_median_ms, period_p99_ms, period_max_ms; the
// start pulse before the first cycle left out), the longest time without an
// edge from the start pulse on (gap_max_ms; the supply holds while it stays
// below 150 ms), how long the check's thread waited for a processor
// (runqueue_wait_s: other work on the machine) and the findings (0 on a
// healthy layout).
#include "kvxhard.h"
#include "portio.h"
#include "prozessorwarten.h"
#include "pruefung.h"
#include "virtualcard.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace {

VirtualLayout groessteAnlage()
{
    VirtualLayout l;
    l.blockCards = 50;
    l.hblockCards = 64;
    l.melderCards = 64;
    l.taster1Cards = 16;
    l.weichenCards = 32;
    l.signalCards = 32;
    return l;
}

void pruefenMessen(benchmark::State& state, bool mitBloecken)
{
    VirtualCard karte(groessteAnlage());
    if (mitBloecken)
        karte.setFehler(verdrahtung::lesen("last:block:alle,last:hblock:alle", karte.layout()).fehler);
    PortBackend* vorher = setPortBackend(&karte);
    auto kvx = std::make_unique<TkvxHard>();
    kvx::Anzahlen a;
    a.BlockAnzahl = 100;
    a.HBlockAnzahl = 256;
    a.MelderAnzahl = 512;
    a.Taster1Anzahl = 512;
    a.WeichenAnzahl = 256;
    a.SignalAnzahl = 512;
    a.EinDatenBytes = 512;
    kvx->AnzahlenSetzen(a);
    kvx->PortInit();

    std::vector<double> perioden;
    double luecke = 0;
    double sekunden = 0;
    double warten = 0;
    std::size_t befunde = 0;
    for (auto _ : state) {
        karte.clearKeepAliveEdges();
        pruefung::Steuerung s;
        const auto beginn = std::chrono::steady_clock::now();
        const double wartenVorher = wartenAufProzessor();
        const pruefung::Ergebnis e = pruefung::pruefen(*kvx, s, pruefung::Zeiten{}, mitBloecken);
        sekunden = std::chrono::duration<double>(std::chrono::steady_clock::now() - beginn).count();
        warten = wartenAufProzessor() - wartenVorher;
        befunde = e.befunde.size();
        const std::vector<VirtualCard::Edge> flanken = karte.keepAliveEdges();
        VirtualCard::Clock::time_point letzte{}, vorige{};
        int anstiege = 0;
        for (const VirtualCard::Edge& f : flanken) {
            if (vorige != VirtualCard::Clock::time_point{})
                luecke = std::max(luecke, std::chrono::duration<double, std::milli>(f.at - vorige).count());
            vorige = f.at;
            if (!f.rising)
                continue;
            // The first rise is the start pulse, the second the first cycle's.
            if (++anstiege > 2)
                perioden.push_back(std::chrono::duration<double, std::milli>(f.at - letzte).count());
            letzte = f.at;
        }
    }
    std::sort(perioden.begin(), perioden.end());
    const auto anteil = [&](double q) {
        return perioden.empty() ? 0.0 : perioden[std::min(perioden.size() - 1, std::size_t(q * double(perioden.size())))];
    };
    state.counters["seconds"] = sekunden;
    state.counters["findings"] = double(befunde);
    state.counters["period_median_ms"] = anteil(0.5);
    state.counters["period_p99_ms"] = anteil(0.99);
    state.counters["period_max_ms"] = perioden.empty() ? 0.0 : perioden.back();
    state.counters["gap_max_ms"] = luecke;
    state.counters["runqueue_wait_s"] = warten;
    kvx.reset();
    setPortBackend(vorher);
}

void BM_VerdrahtungRuhe(benchmark::State& state)
{
    pruefenMessen(state, false);
}
BENCHMARK(BM_VerdrahtungRuhe)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_VerdrahtungBloecke(benchmark::State& state)
{
    pruefenMessen(state, true);
}
BENCHMARK(BM_VerdrahtungBloecke)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
