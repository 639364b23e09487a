// BM_DriveCycle: the drive thread's real body for two seconds on a backend
// that only counts writes, 24 blocks, auxiliary block used, speed position 77.
//
// Counters:
//  - cycles_per_s: cycles the thread completed per second of the run (start-up
//    excluded), the figure status panel 1 shows;
//  - ideal_per_s: 1 / (2 ms keep-alive pulse + the cycle's port writes x the
//    measured time per write): what the cycle could reach if sleeping cost
//    nothing beyond its 2 ms;
//  - allocs_per_cycle: allocations of the whole process during the run, per
//    cycle (the cycle should make none);
//  - writes_per_cycle, ns_per_write: the figures ideal_per_s is built from.
#include "alloc_count.h"
#include "fahren.h"
#include "kvxhard.h"
#include "portio.h"
#include "zaehlports.h"
#include "tempo.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

using bench::FeinerTakt;
using bench::WriteCounter;

void BM_DriveCycle(benchmark::State& state)
{
    WriteCounter ports;
    PortBackend* vorher = setPortBackend(&ports);
    {
        TkvxHard kvx;
        kvx.BlockAnzahl = 24;
        kvx.HBlockAnzahl = 48;
        kvx.PortInit();

        // Time per write: the cycle's block commands on this thread, no sleep.
        const std::uint64_t w0 = ports.writes();
        const Clock::time_point m0 = Clock::now();
        for (int i = 0; i < 200; ++i) {
            kvx.HBlockSetzen(1, 1);
            fahrt::tempoSenden(kvx, 1, true, 77);
        }
        const double nsProWrite = std::chrono::duration<double, std::nano>(Clock::now() - m0).count()
                                  / static_cast<double>(ports.writes() - w0);

        const FeinerTakt takt;
        fahrt::FahrZustand z;
        z.block = 1;
        z.hBlock = 1;
        z.hBlockBenutzt = true;
        z.tempo = 77;
        std::atomic<int> zuletzt{0};
        for (auto _ : state) {
            fahrt::FahrThread t;
            t.starten(kvx, z, [&zuletzt](int n) { zuletzt.store(n, std::memory_order_relaxed); }, nullptr);
            while (z.zyklen.load() < 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const bench::Stand a = bench::stand(static_cast<std::uint64_t>(z.zyklen.load()), ports);
            std::this_thread::sleep_for(std::chrono::seconds(2));
            const bench::Stand b = bench::stand(static_cast<std::uint64_t>(z.zyklen.load()), ports);
            t.anhalten();

            bench::zyklenMelden(state, a, b, nsProWrite);
        }
    }
    setPortBackend(vorher);
}
BENCHMARK(BM_DriveCycle)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
