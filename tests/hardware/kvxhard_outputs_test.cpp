// TkvxHard against the virtual card: the block chain and the two coil chains,
// checked by what the layout shows.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using Access = VirtualCard::Access;
using Chain = VirtualCard::Chain;
using Coils = std::vector<VirtualCard::Coil>;

// The block chain shows exactly what the block bytes hold, for every block the
// layout has (blocks beyond BlockAnzahl are dark).
void expectChainMirrorsImage(const CardRig& rig)
{
    for (int b = 1; b <= 24; ++b) {
        const std::uint8_t expected = b <= rig.kvx->BlockAnzahl ? rig.kvx->BlockBytes[static_cast<std::size_t>(b)] : 0;
        ASSERT_EQ(rig.card.block(b).byte, expected) << "block " << b;
    }
}

TEST(KvxBlocks, BlockSetzenPowersTheBlockIn578Writes)
{
    CardRig rig;
    rig.card.setTracing(true);
    rig.kvx->BlockSetzen(3, 1, 1, 7);
    const VirtualCard::BlockState b3 = rig.card.block(3);
    EXPECT_TRUE(b3.powered);
    EXPECT_TRUE(b3.forward);
    EXPECT_EQ(b3.speed, 7);
    EXPECT_FALSE(b3.auxOdd || b3.auxEven);
    expectChainMirrorsImage(rig);
    EXPECT_EQ(rig.card.writes(), 578);
    const std::vector<Access> t = rig.card.trace();
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[t.size() - 2], (Access{0x301, 0x10, true}));
    EXPECT_EQ(t.back(), (Access{0x301, 0x00, true}));
}

struct ByteCase {
    const char* what;
    std::function<void(TkvxHard&)> ops;
    int block;
    std::uint8_t expected;
};

void PrintTo(const ByteCase& c, std::ostream* os)
{
    *os << c.what;
}

class KvxBlockByte : public ::testing::TestWithParam<ByteCase> {};

TEST_P(KvxBlockByte, ImageAndLayoutAgree)
{
    const ByteCase& c = GetParam();
    CardRig rig;
    c.ops(*rig.kvx);
    EXPECT_EQ(rig.kvx->BlockBytes[static_cast<std::size_t>(c.block)], c.expected) << c.what;
    EXPECT_EQ(rig.card.block(c.block).byte, c.expected) << c.what;
    expectChainMirrorsImage(rig);
}

INSTANTIATE_TEST_SUITE_P(Bytes, KvxBlockByte, ::testing::Values(
    ByteCase{"aux 2 on, then speed 7 forward on", [](TkvxHard& k) { k.HBlockSetzen(2, 1); k.BlockSetzen(1, 1, 1, 7); }, 1, 0x7E},
    ByteCase{"off keeps the aux bits", [](TkvxHard& k) {
        k.HBlockSetzen(5, 1); k.HBlockSetzen(6, 1); k.BlockSetzen(3, 1, 1, 15); k.BlockSetzen(3, 0, 0, 0); }, 3, 0x03},
    ByteCase{"speed 16 is step 0", [](TkvxHard& k) { k.BlockSetzen(2, 1, 0, 16); }, 2, 0x08},
    ByteCase{"power 2 is off, direction 5 forward", [](TkvxHard& k) { k.BlockSetzen(2, 2, 5, 0x1F); }, 2, 0xF4},
    ByteCase{"aux 3 on", [](TkvxHard& k) { k.HBlockSetzen(3, 1); }, 2, 0x01},
    ByteCase{"aux 4 on then off", [](TkvxHard& k) { k.HBlockSetzen(3, 1); k.HBlockSetzen(4, 1); k.HBlockSetzen(4, 0); }, 2, 0x01},
    ByteCase{"aux on = 2 changes nothing", [](TkvxHard& k) { k.HBlockSetzen(4, 1); k.HBlockSetzen(4, 2); k.HBlockSetzen(3, 2); }, 2, 0x02},
    ByteCase{"last block", [](TkvxHard& k) { k.BlockSetzen(24, 1, 0, 1); k.HBlockSetzen(48, 1); }, 24, 0x1A}));

TEST(KvxBlocks, AuxBlockBeyondTheChainChangesOnlyTheImage)
{
    CardRig rig;
    rig.kvx->HBlockSetzen(49, 1);
    EXPECT_EQ(rig.kvx->BlockBytes[25], 0x01);
    EXPECT_EQ(rig.card.writes(), 578) << "the chain is still written";
    EXPECT_TRUE(rig.card.outputStages(Chain::Block).empty());
}

TEST(KvxBlocks, NoBlocksMeansALatchPulseAlone)
{
    CardRig rig;
    rig.kvx->BlockSetzen(1, 1, 1, 1);
    rig.kvx->BlockAnzahl = 0;
    rig.card.setTracing(true);
    rig.kvx->HBlockSetzen(1, 1);
    EXPECT_EQ(rig.card.trace(), (std::vector<Access>{{0x301, 0x10, true}, {0x301, 0x00, true}}));
    EXPECT_TRUE(rig.card.block(1).powered) << "the latch took over what the register held";
}

TEST(KvxBlocks, AlleBloeckeAusWritesTheChain72TimesAndSwitchesAllOff)
{
    CardRig rig;
    for (int b = 1; b <= 24; ++b)
        rig.kvx->BlockSetzen(static_cast<std::uint8_t>(b), 1, 1, static_cast<std::uint8_t>(b % 16));
    for (int h = 1; h <= 48; h += 3)
        rig.kvx->HBlockSetzen(static_cast<std::uint8_t>(h), 1);
    rig.card.resetCounters();
    rig.card.setTracing(true);
    rig.kvx->AlleBloeckeAus();
    EXPECT_EQ(rig.card.writes(), 72 * 578);
    const std::vector<Access> t = rig.card.trace();
    EXPECT_EQ(std::count(t.begin(), t.end(), Access{0x301, 0x10, true}), 72);
    EXPECT_TRUE(rig.card.outputStages(Chain::Block).empty());
    expectChainMirrorsImage(rig);
}

// --- turnout coils -----------------------------------------------------------

struct TurnoutCase {
    int nr;
    int lage;
    int spulenPos;
};

void PrintTo(const TurnoutCase& c, std::ostream* os)
{
    *os << "turnout " << c.nr << " lage " << c.lage;
}

class KvxTurnout : public ::testing::TestWithParam<TurnoutCase> {};

TEST_P(KvxTurnout, PowersExactlyTheChosenCoilUntilWeicheAus)
{
    const TurnoutCase c = GetParam();
    CardRig rig;
    rig.kvx->WeicheStellen(static_cast<std::uint16_t>(c.nr), static_cast<std::uint8_t>(c.lage));
    EXPECT_EQ(rig.kvx->SpulenPos, c.spulenPos);
    EXPECT_EQ(rig.kvx->Impuls, 0x04);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{turnoutCoil(c.nr, c.lage)});
    EXPECT_EQ(rig.card.coilLog().size(), 1u) << "a coil fired while the start bit travelled";
    EXPECT_EQ(rig.card.writes(), 3 + 2 * c.spulenPos + 1);

    rig.card.resetCounters();
    rig.kvx->WeicheAus();
    EXPECT_EQ(rig.kvx->Impuls, 0);
    EXPECT_FALSE(rig.card.coilEnable());
    EXPECT_TRUE(rig.card.registerStages(Chain::Turnout).empty());
    EXPECT_EQ(rig.card.writes(), 1 + 2 * (2 * 88 - c.spulenPos + 1));
    EXPECT_EQ(rig.card.coilLog().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Coils, KvxTurnout, ::testing::Values(
    TurnoutCase{1, 1, 0}, TurnoutCase{1, 2, 1}, TurnoutCase{5, 2, 9}, TurnoutCase{5, 1, 8},
    TurnoutCase{88, 1, 174}, TurnoutCase{88, 2, 175}));

TEST(KvxTurnoutOff, EightTurnoutsAfterTurnout5DivergingGiveEightClocks)
{
    VirtualLayout layout;
    layout.weichenCards = 1;
    CardRig rig(layout);
    rig.kvx->WeichenAnzahl = 8;
    rig.kvx->WeicheStellen(5, 2);
    ASSERT_EQ(rig.card.registerStages(Chain::Turnout), std::vector<int>{10});
    rig.card.resetCounters();
    rig.kvx->WeicheAus();
    EXPECT_EQ(rig.card.writesTo(0x300), 1 + 2 * 8);
    EXPECT_TRUE(rig.card.registerStages(Chain::Turnout).empty()) << "the start bit left the chain";
}

TEST(KvxTurnoutOff, WeicheAusAloneClearsTheWholeChain)
{
    CardRig rig;
    for (std::uint8_t v : {0x01, 0x03, 0x00, 0x02, 0x00})   // a stray bit at stage 2
        PortSchreiben(0x300, v);
    rig.card.resetCounters();
    rig.kvx->WeicheAus();
    EXPECT_EQ(rig.card.writes(), 1 + 2 * (2 * 88 + 1));
    EXPECT_TRUE(rig.card.registerStages(Chain::Turnout).empty());
}

TEST(KvxTurnoutOff, Turnout256SelectsStage511Or512)
{
    VirtualLayout layout;
    layout.weichenCards = 32;
    CardRig rig(layout);
    rig.kvx->WeichenAnzahl = 256;
    for (int lage : {1, 2}) {
        rig.kvx->WeicheStellen(256, static_cast<std::uint8_t>(lage));
        EXPECT_EQ(rig.card.registerStages(Chain::Turnout), std::vector<int>{510 + lage});
        EXPECT_EQ(rig.card.poweredCoils(), Coils{turnoutCoil(256, lage)});
        rig.kvx->WeicheAus();
        EXPECT_TRUE(rig.card.registerStages(Chain::Turnout).empty());
    }
}

// --- signal coils ------------------------------------------------------------

class KvxSignal : public ::testing::TestWithParam<int> {};

TEST_P(KvxSignal, PowersExactlyTheChosenCoilUntilSignalAus)
{
    const int index = GetParam();
    CardRig rig;
    rig.kvx->SignalStellen(static_cast<std::uint16_t>(index));
    EXPECT_EQ(rig.kvx->SpulenPos, index);
    EXPECT_EQ(rig.kvx->Impuls, 0x04);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{signalCoil(index + 1)});
    EXPECT_EQ(rig.card.writes(), 3 + 2 * index + 1);

    rig.card.resetCounters();
    rig.kvx->SignalAus();
    EXPECT_EQ(rig.kvx->Impuls, 0);
    EXPECT_FALSE(rig.card.coilEnable());
    EXPECT_TRUE(rig.card.registerStages(Chain::Signal).empty());
    EXPECT_EQ(rig.card.writes(), 2 + 2 * (32 - index + 1)) << "index 15 of 32: 18 clocks";
}

INSTANTIATE_TEST_SUITE_P(Coils, KvxSignal, ::testing::Values(0, 1, 15, 31));

TEST(KvxSignalOff, Coil300IsStage300)
{
    VirtualLayout layout;
    layout.signalCards = 19;   // 304 coils
    CardRig rig(layout);
    rig.kvx->SignalAnzahl = 304;
    rig.kvx->SignalStellen(299);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{signalCoil(300)});
    rig.kvx->SignalAus();
    EXPECT_TRUE(rig.card.registerStages(Chain::Signal).empty());
}

// --- one coil at a time ------------------------------------------------------

// Both coil chains share the enable line: a pulse started while another one is
// on ends that one first, whichever chain it is on.
TEST(KvxCoils, ANewPulseEndsTheRunningOneOnEitherChain)
{
    CardRig rig;
    rig.kvx->WeicheStellen(3, 1);
    rig.kvx->WeicheStellen(7, 2);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{turnoutCoil(7, 2)});
    rig.kvx->SignalStellen(4);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{signalCoil(5)});
    EXPECT_TRUE(rig.card.registerStages(Chain::Turnout).empty());
    rig.kvx->SignalStellen(0);
    rig.kvx->WeicheStellen(1, 1);
    EXPECT_EQ(rig.card.poweredCoils(), Coils{turnoutCoil(1, 1)});
    EXPECT_TRUE(rig.card.registerStages(Chain::Signal).empty());
    rig.kvx->WeicheAus();
    EXPECT_TRUE(rig.card.poweredCoils().empty());

    const auto log = rig.card.coilLog();
    ASSERT_EQ(log.size(), 5u);
    for (const auto& eintrag : log)
        EXPECT_EQ(eintrag.size(), 1u) << "two coils powered at once";
}

}  // namespace
