// The drive thread: one train on one block, driven by hand from the drive
// page. Plain C++ like the card: the window writes the page state into a
// FahrZustand, the thread reads it once per cycle, and what the thread has to
// tell (cycles per second, its end) goes out through callbacks that the
// window turns into queued signals. No widget is ever touched from here.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

class TkvxHard;

namespace fahrt {

// The page state, written by the window at any time and sampled by the
// thread once per cycle; each value is read whole, a cycle may mix values
// written a moment apart.
struct FahrZustand {
    std::atomic<int> block{1};               // 1..BlockAnzahl
    std::atomic<int> hBlock{1};              // 1..HBlockAnzahl
    std::atomic<bool> hBlockBenutzt{false};  // the auxiliary block runs with the block
    std::atomic<bool> vorwaerts{true};
    std::atomic<int> tempo{0};               // slider position 0..120
    std::atomic<bool> start{false};          // Start is down: the thread goes on cycling
    // Written by the thread: cycles completed since the run began.
    std::atomic<long> zyklen{0};
};

// Cycles of the last second: 0 when the run begins, then once a second.
// Called on the drive thread; must not block.
using ZyklenMeldung = std::function<void(int)>;

// The body of the drive thread: the start of a run (laufBeginnen: chain
// reset, start pulse, LED chains cleared), then cycles (keep-alive pulse,
// counter, page state, the auxiliary block if used, the speed slots of the
// block) until a cycle ends with Start released. A block the state has left
// is switched off before the new one is powered. At least one cycle runs.
// Allocates nothing per cycle.
void KvxFahren(TkvxHard& kvx, FahrZustand& zustand, const ZyklenMeldung& proSekunde);

// One drive thread at a time, started running and always joined: by warten()
// after its end was reported, by anhalten(), at the latest by the destructor.
class FahrThread {
public:
    FahrThread() = default;
    FahrThread(const FahrThread&) = delete;
    FahrThread& operator=(const FahrThread&) = delete;
    ~FahrThread();

    // Sets Start and runs KvxFahren on a new thread; ende is called on that
    // thread after the body has returned. Refused (false) while a thread of
    // this object has not been joined yet.
    bool starten(TkvxHard& kvx, FahrZustand& zustand, ZyklenMeldung proSekunde, std::function<void()> ende);

    // A thread has been started and not yet joined.
    bool laeuft() const { return thread_.joinable(); }

    // Releases Start and waits until the current cycle has ended. True when
    // a thread was running.
    bool anhalten();

    // Waits for a thread whose Start is already released (or whose end was
    // reported). Returns at once when none runs.
    void warten();

private:
    std::thread thread_;
    FahrZustand* zustand_ = nullptr;
};

}  // namespace fahrt
