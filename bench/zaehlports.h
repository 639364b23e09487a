// What the thread benchmarks share: a port backend that only counts, and the
// program's fine timer slack for the thread that starts a worker.
#pragma once

#include "alloc_count.h"
#include "portio.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdint>

#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace bench {

// Counts writes and the rises of the keep-alive line (one a cycle); one
// writer (the thread driving the ports), read by others.
class WriteCounter final : public PortBackend {
public:
    bool enable(std::uint16_t, std::uint16_t) override { return true; }
    std::uint8_t read(std::uint16_t) override { return 0; }
    void write(std::uint16_t port, std::uint8_t value) override
    {
        writes_.store(writes_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        if (port == 0x306 && value == 0x01)
            pulse_.store(pulse_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    std::uint64_t writes() const { return writes_.load(std::memory_order_relaxed); }
    std::uint64_t pulse() const { return pulse_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::uint64_t> writes_{0};
    std::atomic<std::uint64_t> pulse_{0};
};

// The window's timer slack (main() sets it) for the thread started here.
class FeinerTakt {
public:
    FeinerTakt()
    {
#ifdef __linux__
        alt_ = prctl(PR_GET_TIMERSLACK, 0UL, 0UL, 0UL, 0UL);
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    }
    ~FeinerTakt()
    {
#ifdef __linux__
        if (alt_ > 0)
            prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(alt_), 0UL, 0UL, 0UL);
#endif
    }
    FeinerTakt(const FeinerTakt&) = delete;
    FeinerTakt& operator=(const FeinerTakt&) = delete;

private:
    long alt_ = 0;
};

// Where a worker stands at one moment: its cycles, the port writes and the
// allocations so far.
struct Stand {
    std::chrono::steady_clock::time_point zeit;
    std::uint64_t zyklen;
    std::uint64_t writes;
    std::uint64_t allocs;
};

inline Stand stand(std::uint64_t zyklen, const WriteCounter& ports)
{
    return {std::chrono::steady_clock::now(), zyklen, ports.writes(), allocations()};
}

// The counters of a worker's cycles between a and b: cycles per second
// against the ideal of 2 ms plus the cycle's port writes, allocations per
// cycle. False when no cycle ran.
inline bool zyklenMelden(benchmark::State& state, const Stand& a, const Stand& b, double nsProWrite)
{
    const double sekunden = std::chrono::duration<double>(b.zeit - a.zeit).count();
    const double zyklen = static_cast<double>(b.zyklen - a.zyklen);
    state.SetIterationTime(sekunden);
    if (zyklen <= 0)
        return false;
    const double writesProZyklus = static_cast<double>(b.writes - a.writes) / zyklen;
    state.counters["cycles_per_s"] = zyklen / sekunden;
    state.counters["ideal_per_s"] = 1.0 / (0.002 + writesProZyklus * nsProWrite * 1e-9);
    state.counters["allocs_per_cycle"] = static_cast<double>(b.allocs - a.allocs) / zyklen;
    state.counters["writes_per_cycle"] = writesProZyklus;
    state.counters["ns_per_write"] = nsProWrite;
    return true;
}

}  // namespace bench
