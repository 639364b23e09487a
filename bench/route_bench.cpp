// BM_RouteCycle: the route thread's real body for two seconds on a backend
// that only counts writes: 24 blocks, speed position 77, a route of 15 rows
// with blocks, auxiliary blocks and detectors, and three LED chains of 800
// LEDs with assignments on each. The backend reads nothing occupied, so the
// pair circles and every cycle powers two blocks.
//
// Counters:
//  - cycles_per_s: cycles the thread completed per second of the run (start-up
//    excluded), the figure status panel 1 shows;
//  - ideal_per_s: 1 / (2 ms keep-alive pulse + the cycle's port writes x the
//    measured time per write);
//  - allocs_per_cycle: allocations of the whole process during the run, per
//    cycle (the cycle should make none);
//  - writes_per_cycle, ns_per_write: the figures ideal_per_s is built from.
#include "alloc_count.h"
#include "kvxhard.h"
#include "portio.h"
#include "zaehlports.h"
#include "strecke.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

using bench::FeinerTakt;
using bench::WriteCounter;

fahrt::Zelle zahl(int n)
{
    return {n, true, {}};
}

std::shared_ptr<const fahrt::StreckenTabellen> tabellen()
{
    auto t = std::make_shared<fahrt::StreckenTabellen>();
    for (int r = 1; r <= fahrt::RingZeilen; ++r) {
        auto& z = t->strecke[static_cast<std::size_t>(r - 1)];
        z = {zahl(r % 3 ? 0 : 200 + r), zahl(4 * r - 3), zahl(4 * r - 2), zahl(r), zahl(4 * r - 1), zahl(4 * r)};
        t->ledBlock.push_back({zahl(r), zahl(r)});
        t->ledMelder.push_back({zahl(4 * r), zahl(1000 + r)});
        t->ledMelder.push_back({zahl(4 * r - 3), zahl(2000 + r)});
    }
    return t;
}

void BM_RouteCycle(benchmark::State& state)
{
    WriteCounter ports;
    PortBackend* vorher = setPortBackend(&ports);
    {
        TkvxHard kvx;
        kvx.BlockAnzahl = 24;
        kvx.HBlockAnzahl = 48;
        kvx.MelderAnzahl = 88;
        kvx.EinDatenBytes = 96;
        kvx.PortInit();

        // Time per write: a cycle's port work on this thread, no sleep.
        const std::uint64_t w0 = ports.writes();
        const Clock::time_point m0 = Clock::now();
        for (int i = 0; i < 50; ++i) {
            int a = 0, b = 0, c = 0, d = 0;
            kvx.MelderLesen(a, b, c, d);
            for (int k = 1; k <= 3; ++k)
                kvx.LedKetteSchreiben(k, kvx.Led1Zustand.data(), 800);
            for (int s = 0; s < 8; ++s) {
                kvx.BlockSetzen(1, 1, 1, 10);
                kvx.BlockSetzen(2, 1, 1, 10);
            }
        }
        const double nsProWrite = std::chrono::duration<double, std::nano>(Clock::now() - m0).count()
                                  / static_cast<double>(ports.writes() - w0);

        const FeinerTakt takt;
        fahrt::StreckenSeite seite;
        seite.tabellenSetzen(tabellen());
        seite.tempoSetzen(77);
        seite.ledAnzahlSetzen({800, 800, 800});
        for (auto _ : state) {
            fahrt::StreckenBericht bericht([] {});
            fahrt::StreckenThread t;
            const std::uint64_t p0 = ports.pulse();
            t.starten(kvx, seite, bericht);
            while (ports.pulse() < p0 + 3)   // the start-up pulse and two cycles
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const bench::Stand a = bench::stand(ports.pulse(), ports);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const bench::Stand b = bench::stand(ports.pulse(), ports);
            t.anhalten();

            bench::zyklenMelden(state, a, b, nsProWrite);
        }
    }
    setPortBackend(vorher);
}
BENCHMARK(BM_RouteCycle)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
