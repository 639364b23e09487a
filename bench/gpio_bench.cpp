// BM_GpioBackend: TkvxHard's chain operations through the GPIO backend, over
// the virtual line layer without a card (it keeps the levels and counts the
// calls), so the figures are the backend's own plus the component's.
//
// Counters:
//  - writes: port writes per second through the backend;
//  - ns_per_write: wall time of the timed loop per port write;
//  - writes_per_op, reads_per_op: port accesses per operation;
//  - calls_per_op: line-setting calls per operation, one per port write that
//    changes a line (a write that changes none costs no call);
//  - calls_per_write: their share of the writes.
// On a board, an operation costs about calls_per_op x the time of one call of
// the GPIO character device, plus reads_per_op x one read.
#include "gpio_virtuell.h"
#include "gpiokarte.h"
#include "gpioports.h"
#include "kvxhard.h"
#include "portio.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

// Counts the port accesses on their way to the GPIO backend.
class Zaehler final : public PortBackend {
public:
    explicit Zaehler(PortBackend& ziel)
        : ziel_(ziel)
    {
    }
    bool enable(std::uint16_t first, std::uint16_t last) override { return ziel_.enable(first, last); }
    std::uint8_t read(std::uint16_t port) override
    {
        ++reads;
        return ziel_.read(port);
    }
    void write(std::uint16_t port, std::uint8_t value) override
    {
        ++writes;
        ziel_.write(port, value);
    }
    std::uint64_t reads = 0, writes = 0;

private:
    PortBackend& ziel_;
};

// One cycle's port work of the route thread (as BM_RouteCycle measures it):
// the keep-alive pulse, the input cycle, three LED chains of 800 and the
// eight speed slots for the two powered blocks.
void streckenZyklus(TkvxHard& k)
{
    k.SntAus();
    k.SntEin();
    int a = 0, b = 0, c = 0, d = 0;
    k.MelderLesen(a, b, c, d);
    for (int n = 1; n <= 3; ++n)
        k.LedKetteSchreiben(n, k.Led1Zustand.data(), 800);
    for (int s = 0; s < 8; ++s) {
        k.BlockSetzen(1, 1, 1, 10);
        k.BlockSetzen(2, 1, 1, 10);
    }
}

void BM_GpioBackend(benchmark::State& state, const std::function<void(TkvxHard&)>& op)
{
    const gpio::Plan plan = gpio::vorgabe();
    auto linien = std::make_unique<GpioVirtuell>(plan);
    GpioVirtuell& leitungen = *linien;
    GpioPorts gpio(plan, std::move(linien));
    Zaehler ports(gpio);
    PortBackend* vorher = setPortBackend(&ports);
    {
        TkvxHard kvx;
        kvx.AnzahlenSetzen({24, 48, 88, 88, 32, 96, 64, 0, 800, 800, 800});
        for (int i = 1; i <= 800; i += 3)
            kvx.Led1Zustand[static_cast<std::size_t>(i)] = 1;
        kvx.PortInit();
        op(kvx);   // the lines as the operation leaves them
        const std::uint64_t w0 = ports.writes, r0 = ports.reads;
        const long c0 = leitungen.setzAufrufe();
        const Clock::time_point start = Clock::now();
        for (auto _ : state)
            op(kvx);
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        const auto w = static_cast<double>(ports.writes - w0);
        const auto r = static_cast<double>(ports.reads - r0);
        const auto c = static_cast<double>(leitungen.setzAufrufe() - c0);
        const auto n = static_cast<double>(state.iterations());
        state.counters["writes"] = benchmark::Counter(w, benchmark::Counter::kIsRate);
        if (w > 0) {
            state.counters["ns_per_write"] = ns / w;
            state.counters["calls_per_write"] = c / w;
        }
        state.counters["writes_per_op"] = w / n;
        state.counters["reads_per_op"] = r / n;
        state.counters["calls_per_op"] = c / n;
    }
    setPortBackend(vorher);
}

BENCHMARK_CAPTURE(BM_GpioBackend, BlockSetzen, [](TkvxHard& k) { k.BlockSetzen(1, 1, 1, 7); });
BENCHMARK_CAPTURE(BM_GpioBackend, MelderLesen, [](TkvxHard& k) {
    int a = 0, b = 0, c = 0, d = 0;
    k.MelderLesen(a, b, c, d);
});
BENCHMARK_CAPTURE(BM_GpioBackend, LedKette800, [](TkvxHard& k) { k.LedKetteSchreiben(1, k.Led1Zustand.data(), 800); });
BENCHMARK_CAPTURE(BM_GpioBackend, WeicheImpuls, [](TkvxHard& k) { k.WeicheStellen(44, 2); k.WeicheAus(); });
BENCHMARK_CAPTURE(BM_GpioBackend, SignalImpuls, [](TkvxHard& k) { k.SignalStellen(16); k.SignalAus(); });
BENCHMARK_CAPTURE(BM_GpioBackend, SntPuls, [](TkvxHard& k) { k.SntAus(); k.SntEin(); });
BENCHMARK_CAPTURE(BM_GpioBackend, SntUnveraendert, [](TkvxHard& k) { k.SntEin(); });
BENCHMARK_CAPTURE(BM_GpioBackend, KettenReset, [](TkvxHard& k) { k.KettenReset(); });
BENCHMARK_CAPTURE(BM_GpioBackend, Streckenzyklus, streckenZyklus);

}  // namespace
