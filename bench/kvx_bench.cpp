// Port sequences of TkvxHard against a backend that only counts.
//
// Each benchmark reports "accesses" (port accesses per second) and
// "ns_per_access" (nanoseconds per port access, the component's share plus
// one virtual call and a counter increment in the backend). BM_PortBaseline
// is the floor: PortSchreiben called directly, nothing of the component.
#include "kvxhard.h"
#include "portio.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>

namespace {

class CountingPorts final : public PortBackend {
public:
    bool enable(std::uint16_t, std::uint16_t) override { return true; }
    std::uint8_t read(std::uint16_t port) override
    {
        ++reads;
        return static_cast<std::uint8_t>(port);   // something that is not always 0
    }
    void write(std::uint16_t, std::uint8_t value) override
    {
        ++writes;
        last = value;
    }

    std::uint64_t accesses() const { return reads + writes; }

    std::uint64_t reads = 0;
    std::uint64_t writes = 0;
    std::uint8_t last = 0;
};

// Installs the counting backend and a component configured like the stored
// main window, out of simulation.
class Rig {
public:
    Rig()
        : previous_(setPortBackend(&ports))
    {
        kvx.BlockAnzahl = 24;
        kvx.HBlockAnzahl = 48;
        kvx.MelderAnzahl = 88;
        kvx.WeichenAnzahl = 88;
        kvx.SignalAnzahl = 32;
        kvx.Taster1Anzahl = 64;
        kvx.EinDatenBytes = 96;
        kvx.PortInit();
        ports.reads = ports.writes = 0;
    }
    ~Rig() { setPortBackend(previous_); }

    CountingPorts ports;

private:
    PortBackend* previous_;

public:
    TkvxHard kvx;   // built after the backend is installed
};

using Clock = std::chrono::steady_clock;

// Accesses per second (rate over the library's timing), nanoseconds per
// access (wall time of the timed loop over its accesses) and accesses per
// operation.
void report(benchmark::State& state, const CountingPorts& ports, Clock::time_point start)
{
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    const double n = static_cast<double>(ports.accesses());
    state.counters["accesses"] = benchmark::Counter(n, benchmark::Counter::kIsRate);
    if (n > 0)
        state.counters["ns_per_access"] = ns / n;
    if (state.iterations() > 0)
        state.counters["accesses_per_op"] = n / static_cast<double>(state.iterations());
}

void BM_BlockChainWrite(benchmark::State& state)
{
    Rig rig;
    rig.kvx.BlockAnzahl = static_cast<std::uint16_t>(state.range(0));
    std::uint8_t speed = 0;
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        rig.kvx.BlockSetzen(1, 1, 1, speed++);
    report(state, rig.ports, start);
}
BENCHMARK(BM_BlockChainWrite)->Arg(24)->Arg(100);

void BM_InputCycle(benchmark::State& state)
{
    Rig rig;
    rig.kvx.EinDatenBytes = static_cast<std::uint16_t>(state.range(0));
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        int a = 0, b = 0, m = 0, e = 0;
        rig.kvx.MelderLesen(a, b, m, e);
        benchmark::DoNotOptimize(a + b + m + e);
    }
    report(state, rig.ports, start);
}
BENCHMARK(BM_InputCycle)->Arg(96)->Arg(512);

void BM_LedChainsClear(benchmark::State& state)
{
    Rig rig;
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        rig.kvx.LedKettenLoeschen();
    report(state, rig.ports, start);
}
BENCHMARK(BM_LedChainsClear);

// The floor: 578 raw writes, the size of a block chain write at 24 blocks.
void BM_PortBaseline(benchmark::State& state)
{
    Rig rig;
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        for (int i = 0; i < 578; ++i)
            PortSchreiben(0x301, static_cast<std::uint8_t>(i));
    report(state, rig.ports, start);
}
BENCHMARK(BM_PortBaseline);

}  // namespace
