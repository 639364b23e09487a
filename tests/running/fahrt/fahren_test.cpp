// The drive thread on the virtual card: what block and auxiliary block show in
// each cycle, changes of the page state during a run, the end of a run.
#include "cardrig.h"
#include "fahren.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

namespace {

using Block = VirtualCard::BlockState;

constexpr int TestBlock = 3;
constexpr int TestHBlock = 7;   // on the card of blocks 7 and 8: apart from block 3

// What the layout shows after one latch of the block chain.
struct Bild {
    Block block;
    bool hBlock = false;
};

// Forwards to the virtual card and writes down, cycle by cycle, what block 3
// and auxiliary block 7 show after every latch of the block chain. A cycle
// begins where the keep-alive line rises; the first rise is the start-up
// pulse. beiZyklus runs on the drive thread at the rise of cycle n (from 1),
// before the cycle samples the page state: there a test changes the state
// at an exact point of the run.
struct Mitschrift final : PortBackend {
    explicit Mitschrift(VirtualCard& k) : karte(k) {}

    bool enable(std::uint16_t a, std::uint16_t b) override { return karte.enable(a, b); }
    std::uint8_t read(std::uint16_t p) override { return karte.read(p); }
    void write(std::uint16_t p, std::uint8_t v) override
    {
        const bool vorher = karte.keepAlive().level;
        karte.write(p, v);
        if (!vorher && karte.keepAlive().level && ++anstiege > 1) {
            zyklen.emplace_back();
            if (beiZyklus)
                beiZyklus(static_cast<int>(zyklen.size()));
        }
        if (p == 0x301 && v == 0x10 && !zyklen.empty())   // the block chain's latch
            zyklen.back().push_back({karte.block(TestBlock), karte.hblockOn(TestHBlock)});
    }

    VirtualCard& karte;
    std::function<void(int)> beiZyklus;
    std::vector<std::vector<Bild>> zyklen;
    int anstiege = 0;
};

struct Fahrt : ::testing::Test {
    Fahrt() : mitschrift(rig.card), vorher(setPortBackend(&mitschrift))
    {
        zustand.block = TestBlock;
        zustand.hBlock = TestHBlock;
        zustand.tempo = 77;   // steps 10, 10, 10, 10, 10, 9, 9, 9
    }
    ~Fahrt() override { setPortBackend(vorher); }

    // Runs the body on a thread of its own until Start is released (by
    // beiZyklus); the end callback must come exactly once.
    void fahren()
    {
        int enden = 0;
        fahrt::FahrThread t;
        ASSERT_TRUE(t.starten(*rig.kvx, zustand, nullptr, [&enden] { ++enden; }));
        t.warten();
        EXPECT_EQ(enden, 1);
        EXPECT_EQ(zustand.zyklen.load(), static_cast<long>(mitschrift.zyklen.size()));
    }

    // Releases Start in cycle n: that cycle still runs to its end.
    void loslassenIn(int n, std::function<void(int)> sonst = {})
    {
        mitschrift.beiZyklus = [this, n, sonst](int z) {
            if (sonst)
                sonst(z);
            if (z == n)
                zustand.start = false;
        };
    }

    CardRig rig;
    Mitschrift mitschrift;
    PortBackend* vorher;
    fahrt::FahrZustand zustand;
};

void erwarteTempo77(const std::vector<Bild>& slots, bool vorwaerts)
{
    ASSERT_EQ(slots.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_TRUE(slots[i].block.powered) << "slot " << i + 1;
        EXPECT_EQ(slots[i].block.forward, vorwaerts) << "slot " << i + 1;
        EXPECT_EQ(slots[i].block.speed, i < 5 ? 10 : 9) << "slot " << i + 1;
    }
}

TEST_F(Fahrt, AuxiliaryBlockIsOnInEveryCycleWhileStartIsDown)
{
    zustand.hBlockBenutzt = true;
    loslassenIn(3);
    fahren();
    ASSERT_EQ(mitschrift.zyklen.size(), 3u) << "the cycle in which Start goes up is the last";
    for (std::size_t z = 0; z < 3; ++z) {
        const auto& c = mitschrift.zyklen[z];
        ASSERT_EQ(c.size(), 9u) << "cycle " << z + 1 << ": the auxiliary command and eight slots";
        const bool an = z < 2;   // cycle 3 sees Start up and switches it off
        for (const Bild& b : c)
            EXPECT_EQ(b.hBlock, an) << "cycle " << z + 1;
        erwarteTempo77({c.begin() + 1, c.end()}, true);
    }
}

TEST_F(Fahrt, WithoutTheAuxiliarySwitchNoAuxiliaryCommandGoesOut)
{
    loslassenIn(2);
    fahren();
    ASSERT_EQ(mitschrift.zyklen.size(), 2u);
    for (const auto& c : mitschrift.zyklen) {
        erwarteTempo77(c, true);
        for (const Bild& b : c)
            EXPECT_FALSE(b.hBlock);
    }
}

// A direction click as the window makes it: speed 0 first, then the new
// direction with the speed back. Each change shows in the next cycle.
TEST_F(Fahrt, DirectionChangeDuringARun)
{
    loslassenIn(4, [this](int z) {
        if (z == 2)
            zustand.tempo = 0;
        if (z == 3) {
            zustand.vorwaerts = false;
            zustand.tempo = 77;
        }
    });
    fahren();
    const auto& c = mitschrift.zyklen;
    ASSERT_EQ(c.size(), 4u);
    erwarteTempo77(c[0], true);
    ASSERT_EQ(c[1].size(), 1u) << "speed 0: one command";
    EXPECT_FALSE(c[1][0].block.powered);
    EXPECT_EQ(c[1][0].block.speed, 0);
    EXPECT_TRUE(c[1][0].block.forward) << "still the old direction";
    erwarteTempo77(c[2], false);
    erwarteTempo77(c[3], false);
}

TEST_F(Fahrt, StartUpResetsTheChainsPulsesAndClearsTheLeds)
{
    rig.kvx->LedKetteZeigen(2, 37);
    ASSERT_TRUE(rig.card.ledLit(2, 37));
    rig.card.clearKeepAliveEdges();
    loslassenIn(5);
    fahren();
    EXPECT_TRUE(rig.card.litLeds(2).empty());
    const auto kanten = rig.card.keepAliveEdges();
    ASSERT_EQ(kanten.size(), 2u * 6) << "the start-up pulse and one pulse per cycle";
    using std::chrono::milliseconds;
    for (std::size_t i = 0; i < kanten.size(); i += 2) {
        ASSERT_TRUE(kanten[i].rising);
        EXPECT_GE(kanten[i + 1].at - kanten[i].at, i == 0 ? kvx::SntStartPuls : milliseconds(2)) << "pulse " << i / 2;
    }
    EXPECT_FALSE(rig.card.keepAlive().level);
}

}  // namespace
