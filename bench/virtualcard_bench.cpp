// The card model's own cost: the port traffic of a route cycle decoded by
// the virtual card (directly, and listening beside a backend that only
// counts), and what the virtual layout's window and the layout log cost per
// look on a large layout.
//
// A "route cycle" is what the route thread sends: keep-alive pulse, an input
// cycle of 96 steps, 16 block-chain writes (two blocks, eight dithered slots)
// at 24 blocks, and the three LED chains of 800 written out, one LED moving
// on each chain per cycle.
//
// Counters: ns_per_access (the timed loop over its port accesses),
// cycles_per_s, changes_per_cycle (entries the card kept for the log).
#include "anlagenprotokoll.h"
#include "kvxhard.h"
#include "mithoeren.h"
#include "portio.h"
#include "virtualcard.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

class NurZaehlen final : public PortBackend {
public:
    bool enable(std::uint16_t, std::uint16_t) override { return true; }
    std::uint8_t read(std::uint16_t) override { return 0; }
    void write(std::uint16_t, std::uint8_t) override {}
};

// The component on backend, configured like the stored main window.
struct Strecke {
    explicit Strecke(PortBackend& backend) : vorher(setPortBackend(&backend))
    {
        kvx = std::make_unique<TkvxHard>();
        kvx->AnzahlenSetzen({24, 48, 88, 88, 32, 96, 64});
        kvx->PortInit();
    }
    ~Strecke()
    {
        kvx.reset();
        setPortBackend(vorher);
    }

    void zyklus(int n)
    {
        kvx->SntEin();
        int a = 0, b = 0, m = 0, e = 0;
        kvx->MelderLesen(a, b, m, e);
        for (int slot = 0; slot < 8; ++slot) {
            const auto stufe = static_cast<std::uint8_t>(slot < 5 ? 10 : 9);
            kvx->BlockSetzen(3, 1, 1, stufe);
            kvx->BlockSetzen(4, 1, 1, stufe);
        }
        for (int k = 1; k <= 3; ++k) {
            auto& bild = bilder[static_cast<std::size_t>(k - 1)];
            bild[static_cast<std::size_t>(1 + (n + 799) % 800)] = 0;
            bild[static_cast<std::size_t>(1 + n % 800)] = 1;
            kvx->LedKetteSchreiben(k, bild.data(), 800);
        }
        kvx->SntAus();
    }

    PortBackend* vorher;
    std::unique_ptr<TkvxHard> kvx;
    std::array<std::array<std::uint8_t, 801>, 3> bilder{};
};

void zyklen(benchmark::State& state, Strecke& s, const VirtualCard& karte)
{
    const long vorher = karte.writes() + karte.reads();
    const std::uint64_t aenderungen = karte.nextChange();
    int n = 0;
    const Clock::time_point start = Clock::now();
    for (auto _ : state)
        s.zyklus(n++);
    const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    const double zugriffe = static_cast<double>(karte.writes() + karte.reads() - vorher);
    state.counters["ns_per_access"] = ns / zugriffe;
    state.counters["cycles_per_s"] = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsRate);
    state.counters["changes_per_cycle"] = static_cast<double>(karte.nextChange() - aenderungen) / n;
}

void BM_ModelRouteCycle(benchmark::State& state)
{
    VirtualCard karte;
    Strecke s(karte);
    zyklen(state, s, karte);
}
BENCHMARK(BM_ModelRouteCycle)->Unit(benchmark::kMicrosecond);

void BM_ListenRouteCycle(benchmark::State& state)
{
    NurZaehlen echt;
    VirtualCard karte;
    Mithoeren hoeren(echt, karte);
    Strecke s(hoeren);
    zyklen(state, s, karte);
}
BENCHMARK(BM_ListenRouteCycle)->Unit(benchmark::kMicrosecond);

// The largest layout the configuration offers, everything lit and occupied.
VirtualLayout grosseAnlage()
{
    VirtualLayout l;
    l.blockCards = 50;
    l.hblockCards = 64;
    l.melderCards = 64;
    l.taster1Cards = 16;
    return l;
}

void BM_AnsichtLarge(benchmark::State& state)
{
    VirtualCard karte(grosseAnlage());
    karte.applyPattern(VirtualCard::Pattern::AllOccupied);
    VirtualCard::Ansicht a;
    for (auto _ : state) {
        karte.ansicht(a);
        benchmark::DoNotOptimize(a.blocks.data());
    }
}
BENCHMARK(BM_AnsichtLarge)->Unit(benchmark::kMicrosecond);

// One look of the log 40 ms after the last, with a route cycle's changes
// in between.
void BM_ProtokollLarge(benchmark::State& state)
{
    VirtualCard karte(grosseAnlage());
    Strecke s(karte);
    AnlagenProtokoll log(karte);
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        s.zyklus(n++);
        state.ResumeTiming();
        benchmark::DoNotOptimize(log.pruefen().size());
    }
}
BENCHMARK(BM_ProtokollLarge)->Unit(benchmark::kMicrosecond);

}  // namespace
