// Two threads drive the card at once: input cycles on one, coil pulses on the
// other. Each operation of the component must be atomic by itself: no pulse
// may select a wrong stage or be cut by an input cycle, and no input cycle may
// be garbled by a pulse.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Coils = std::vector<VirtualCard::Coil>;

// Collects the first few failures of a worker thread for the main thread.
class Failures {
public:
    void add(const std::string& text)
    {
        std::lock_guard guard(mutex_);
        if (++count_ <= 5)
            texts_ += text + "\n";
    }
    int count() const { return count_; }
    std::string texts() const { return texts_; }

private:
    std::mutex mutex_;
    int count_ = 0;
    std::string texts_;
};

TEST(KvxThreads, InputCyclesAndCoilPulsesDoNotDisturbEachOther)
{
    constexpr int kPulses = 1500;
    CardRig rig;
    TkvxHard& kvx = *rig.kvx;
    VirtualCard& card = rig.card;
    for (int m : {1, 17, 88})
        card.setMelder(m, true);
    card.setBlockOccupied(3, true);
    card.setHBlockOccupied(6, true);
    card.setTaster1(64, true);
    card.setBlockButton(2, true);

    std::atomic<bool> pulsing{true};
    std::atomic<long> cycles{0};
    std::atomic<long> pulses{0};
    Failures inputFailures, pulseFailures;

    std::thread reader([&] {
        bool first = true;
        while (pulsing.load() || cycles.load() < 100) {
            // Keep a few cycles per pulse so that neither thread starves the
            // other on the component's lock.
            while (pulsing.load() && cycles.load() > 3 * (pulses.load() + 1))
                std::this_thread::yield();
            int a = 0, b = 0, m = 0, e = 0, bt = 0, ht = 0, t1 = 0;
            kvx.MelderLesen(a, b, m, e);
            kvx.TasterLesen(bt, ht, t1);
            ++cycles;
            const bool expectChange = first;
            first = false;
            if (expectChange ? (a != 3 || b != 6 || m != 88 || bt != 2 || t1 != 64) : (a || b || m || e || bt || ht || t1)) {
                std::ostringstream os;
                os << "cycle " << cycles.load() << ": reported " << a << ' ' << b << ' ' << m << ' ' << e << ' '
                   << bt << ' ' << ht << ' ' << t1;
                inputFailures.add(os.str());
            }
        }
    });

    for (int i = 0; i < kPulses; ++i) {
        const int nr = i % 88 + 1, lage = i % 2 + 1, index = (i * 7) % 32;
        kvx.WeicheStellen(static_cast<std::uint16_t>(nr), static_cast<std::uint8_t>(lage));
        Coils now = card.poweredCoils();
        if (now != Coils{turnoutCoil(nr, lage)}) {
            std::ostringstream os;
            os << "turnout " << nr << '/' << lage << ": " << now.size() << " coils powered";
            for (const auto& c : now)
                os << ", " << c;
            pulseFailures.add(os.str());
        }
        kvx.WeicheAus();
        kvx.SignalStellen(static_cast<std::uint16_t>(index));
        now = card.poweredCoils();
        if (now != Coils{signalCoil(index + 1)}) {
            std::ostringstream os;
            os << "signal coil " << index + 1 << ": " << now.size() << " coils powered";
            for (const auto& c : now)
                os << ", " << c;
            pulseFailures.add(os.str());
        }
        kvx.SignalAus();
        if (!card.poweredCoils().empty())
            pulseFailures.add("a coil stays powered after SignalAus");
        ++pulses;
    }
    pulsing = false;
    reader.join();

    EXPECT_EQ(pulseFailures.count(), 0) << pulseFailures.texts();
    EXPECT_EQ(inputFailures.count(), 0) << inputFailures.texts();
    EXPECT_GE(cycles.load(), 100);
    // Every pulse powered its coil once and kept it until its end: an input
    // cycle that dropped the enable in between would log the coil again.
    EXPECT_EQ(card.coilLog().size(), static_cast<std::size_t>(2 * kPulses));
    EXPECT_EQ(kvx.MelderBelegt[17], 1);
    EXPECT_EQ(kvx.TasterZustand[512 + 64], 1);
}

}  // namespace
