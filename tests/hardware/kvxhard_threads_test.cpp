// Two threads at once on one card. Input cycles and coil pulses: each
// operation of the component must be atomic by itself, no pulse may select a
// wrong stage or be cut by an input cycle, and no input cycle may be garbled
// by a pulse. Input cycles and a reader of the images, or a writer of the
// counts: the reader must see whole cycles, and no cycle may run with counts
// changed half-way. The ThreadSanitizer build runs these too.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <span>
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

// One function for images of every size: as a template over the array's
// size (the instances have the same code), GCC 14 at -O3 warned about the
// chain-1 buttons (513..576) as if they were read from the block image of
// 201 entries.
std::vector<int> occupied(std::span<const std::uint8_t> image, int first, int last)
{
    std::vector<int> found;
    for (int i = first; i <= last; ++i)
        if (image[static_cast<std::size_t>(i)])
            found.push_back(i - first + 1);
    return found;
}

// A worker walks one occupied element across the layout and reads a whole
// cycle per step; the main thread takes snapshots meanwhile. A snapshot taken
// half-way through a decode would show the old and the new element, or
// neither, or images of two different steps.
TEST(KvxThreads, SnapshotsShowWholeInputCycles)
{
    CardRig rig;
    TkvxHard& kvx = *rig.kvx;
    std::atomic<long> cycles{0}, snapshots{0};
    std::atomic<bool> done{false};

    std::thread worker([&] {
        for (int i = 0; cycles.load() < 500 || snapshots.load() < 500; ++i) {
            const int step = i % 24;
            std::lock_guard guard(kvx.lock());
            rig.card.applyPattern(VirtualCard::Pattern::WalkingOccupancy, step);
            rig.card.setTaster1(step + 1, true);
            int a = 0, b = 0, m = 0, e = 0, bt = 0, ht = 0, t1 = 0;
            kvx.MelderLesen(a, b, m, e);
            kvx.TasterLesen(bt, ht, t1);
            ++cycles;
        }
        done = true;
    });

    Failures failures;
    while (!done.load()) {
        const kvx::Abbild a = kvx.Schnappschuss();
        ++snapshots;
        const std::vector<int> blocks = occupied(a.BlockBelegt, 1, 24);
        const std::vector<int> hblocks = occupied(a.HBlockBelegt, 1, 48);
        const std::vector<int> melder = occupied(a.MelderBelegt, 1, 88);
        const std::vector<int> taster1 = occupied(a.TasterZustand, kvx::TasterKette1Basis + 1, kvx::TasterKette1Basis + 64);
        if (blocks.empty() && hblocks.empty() && melder.empty() && taster1.empty())
            continue;   // before the first cycle
        if (blocks.size() != 1 || hblocks != blocks || melder != blocks || taster1 != blocks) {
            std::ostringstream os;
            os << "snapshot " << snapshots.load() << ':';
            const char* names[] = {"blocks", "aux blocks", "detectors", "chain-1 buttons"};
            int k = 0;
            for (const auto* list : {&blocks, &hblocks, &melder, &taster1}) {
                os << ' ' << names[k++];
                for (int n : *list)
                    os << ' ' << n;
                os << ';';
            }
            failures.add(os.str());
        }
    }
    worker.join();
    EXPECT_EQ(failures.count(), 0) << failures.texts();
}

// The main thread swaps between two whole sets of counts while a worker reads
// them and clears and reads the images in one piece. With every element
// occupied the decoders report the count in force as the highest change: a
// count changed in the middle of a cycle would show as another number.
TEST(KvxThreads, CountsChangeWhileAWorkerReadsCycles)
{
    CardRig rig;
    TkvxHard& kvx = *rig.kvx;
    rig.card.applyPattern(VirtualCard::Pattern::AllOccupied);
    const kvx::Anzahlen gross = kvx.Anzahlen();
    kvx::Anzahlen klein = gross;
    klein.BlockAnzahl = 12;
    klein.HBlockAnzahl = 24;
    klein.MelderAnzahl = 40;
    klein.EinDatenBytes = 48;

    std::atomic<long> cycles{0}, changes{0};
    std::atomic<bool> done{false};
    Failures failures;

    std::thread worker([&] {
        while (cycles.load() < 400 || changes.load() < 400) {
            const kvx::Anzahlen seen = kvx.Anzahlen();
            if (seen != gross && seen != klein)
                failures.add("the counts were read half-changed");
            std::lock_guard guard(kvx.lock());
            const kvx::Anzahlen n = kvx.Anzahlen();
            kvx.DatenLoeschen();
            int a = 0, b = 0, m = 0, e = 0;
            kvx.MelderLesen(a, b, m, e);
            ++cycles;
            if (a != n.BlockAnzahl || b != n.HBlockAnzahl || m != n.MelderAnzahl) {
                std::ostringstream os;
                os << "cycle " << cycles.load() << " with " << n.BlockAnzahl << '/' << n.HBlockAnzahl << '/'
                   << n.MelderAnzahl << " reported " << a << '/' << b << '/' << m;
                failures.add(os.str());
            }
        }
        done = true;
    });

    while (!done.load()) {
        kvx.AnzahlenSetzen(changes.load() % 2 ? gross : klein);
        ++changes;
    }
    worker.join();
    EXPECT_EQ(failures.count(), 0) << failures.texts();
}

}  // namespace
