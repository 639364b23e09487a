// The virtual card by itself, driven port by port: the 8255 chips, the edge
// behaviour of the chains and the input frame. The hardware component's tests
// rely on this model being right.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Chain = VirtualCard::Chain;

// Programs the chips as the program does at start.
void program(VirtualCard& card)
{
    card.write(0x303, 0x89);
    card.write(0x307, 0x82);
}

// One clock on the block chain with the data bit d.
void blockBit(VirtualCard& card, bool d)
{
    const std::uint8_t data = d ? 0x80 : 0x00;
    card.write(0x301, data);
    card.write(0x301, data | 0x08);
    card.write(0x301, 0x00);
}

TEST(VirtualCardChips, PortsAreInputsUntilAControlWordProgramsThem)
{
    VirtualCard card;
    card.write(0x301, 0x88);   // block chain data and clock: the port does not drive yet
    card.write(0x301, 0x10);
    EXPECT_FALSE(card.isOutput(0x300));
    EXPECT_TRUE(card.registerStages(Chain::Block).empty());

    card.write(0x303, 0x89);
    card.write(0x307, 0x82);
    EXPECT_TRUE(card.isOutput(0x300));
    EXPECT_TRUE(card.isOutput(0x301));
    EXPECT_FALSE(card.isOutput(0x302));
    EXPECT_TRUE(card.isOutput(0x304));
    EXPECT_FALSE(card.isOutput(0x305));
    EXPECT_TRUE(card.isOutput(0x306));

    card.write(0x300, 0x5A);
    EXPECT_EQ(card.read(0x300), 0x5A);   // an output port reads back its latch
    card.write(0x302, 0xFF);             // an input port keeps nothing
    EXPECT_EQ(card.read(0x302), 0x00);
    EXPECT_EQ(card.outputLatch(0x302), 0x00);
}

TEST(VirtualCardChips, ModeSetClearsOutputsAsFallingEdgesOnly)
{
    VirtualCard card;
    program(card);
    card.write(0x306, 0x01);          // keep-alive high
    card.write(0x301, 0x88);          // block clock high with data 1: one shift
    card.write(0x300, 0x04);          // coil enable
    ASSERT_EQ(card.registerStages(Chain::Block), std::vector<int>{1});

    card.write(0x303, 0x89);
    card.write(0x307, 0x82);
    EXPECT_EQ(card.outputLatch(0x300), 0);
    EXPECT_EQ(card.outputLatch(0x301), 0);
    EXPECT_EQ(card.outputLatch(0x306), 0);
    EXPECT_FALSE(card.coilEnable());
    EXPECT_FALSE(card.keepAlive().level);
    EXPECT_EQ(card.keepAlive().edges, 2);
    EXPECT_EQ(card.registerStages(Chain::Block), std::vector<int>{1});   // the clear shifted nothing

    card.write(0x301, 0x08);          // the clock rises again: a second shift, data 0
    EXPECT_EQ(card.registerStages(Chain::Block), std::vector<int>{2});
}

TEST(VirtualCardChips, BitSetResetWordDrivesOnePortCLine)
{
    VirtualCard card;
    program(card);
    card.write(0x307, 0x01);   // bit 0 of port C of PPI 2: keep-alive high
    EXPECT_TRUE(card.keepAlive().level);
    EXPECT_EQ(card.outputLatch(0x306), 0x01);
    card.write(0x307, 0x00);
    EXPECT_FALSE(card.keepAlive().level);
}

TEST(VirtualCardChains, ClockShiftsTheDataOfTheSameWriteAndLatchShowsIt)
{
    VirtualCard card;
    program(card);
    blockBit(card, true);
    blockBit(card, false);
    card.write(0x301, 0x88);   // data and clock rise together: a 1 goes in
    card.write(0x301, 0x00);
    EXPECT_EQ(card.registerStages(Chain::Block), (std::vector<int>{1, 3}));
    EXPECT_TRUE(card.outputStages(Chain::Block).empty()) << "nothing shows before the latch";
    card.write(0x301, 0x10);
    card.write(0x301, 0x00);
    EXPECT_EQ(card.outputStages(Chain::Block), (std::vector<int>{1, 3}));
    EXPECT_EQ(card.block(1).byte, 0x05);
}

TEST(VirtualCardChains, LastStageFallsOff)
{
    VirtualLayout layout;
    layout.led1Cards = 1;
    VirtualCard card(layout);
    program(card);
    ASSERT_EQ(card.chainLength(Chain::Led1), 32);
    card.write(0x300, 0x40);
    card.write(0x300, 0xC0);
    for (int i = 0; i < 31; ++i) {
        card.write(0x300, 0x00);
        card.write(0x300, 0x80);
    }
    EXPECT_EQ(card.registerStages(Chain::Led1), std::vector<int>{32});
    card.write(0x300, 0x00);
    card.write(0x300, 0x80);
    EXPECT_TRUE(card.registerStages(Chain::Led1).empty());
}

TEST(VirtualCardChains, BlockBytesDecodeFromTheLatchedStages)
{
    VirtualCard card;
    program(card);
    // Block 2 then block 1, most significant bit first: 0x7E, 0x81.
    for (std::uint8_t byte : {std::uint8_t{0x7E}, std::uint8_t{0x81}})
        for (int bit = 7; bit >= 0; --bit)
            blockBit(card, (byte >> bit) & 1);
    card.write(0x301, 0x10);
    const VirtualCard::BlockState b2 = card.block(2);
    EXPECT_EQ(b2.byte, 0x7E);
    EXPECT_EQ(b2.speed, 7);
    EXPECT_TRUE(b2.powered);
    EXPECT_TRUE(b2.forward);
    EXPECT_TRUE(b2.auxEven);
    EXPECT_FALSE(b2.auxOdd);
    EXPECT_TRUE(card.hblockOn(4));
    EXPECT_EQ(card.block(1).speed, 8);
    EXPECT_TRUE(card.hblockOn(1));
    EXPECT_EQ(card.block(25), VirtualCard::BlockState{});   // not on the layout
}

TEST(VirtualCardChains, EveryPoweredCoilIsReported)
{
    VirtualCard card;
    program(card);
    for (int i = 0; i < 2; ++i) {   // two start bits: stages 1 and 2
        card.write(0x300, 0x01);
        card.write(0x300, 0x03);
    }
    card.write(0x301, 0x01);
    card.write(0x301, 0x05);
    EXPECT_TRUE(card.poweredCoils().empty()) << "nothing is powered without the enable";
    card.write(0x300, 0x04);
    EXPECT_EQ(card.poweredCoils(), (std::vector<VirtualCard::Coil>{turnoutCoil(1, 1), turnoutCoil(1, 2), signalCoil(1)}));
    card.write(0x300, 0x06);   // clocked while powered: the coils move on
    ASSERT_EQ(card.coilLog().size(), 2u);
    EXPECT_EQ(card.coilLog()[1].front(), turnoutCoil(1, 2));
}

TEST(VirtualCardChains, KeepAliveCountsEdgesAndTimesTheLast)
{
    VirtualCard card;
    program(card);
    const auto before = std::chrono::steady_clock::now();
    card.write(0x306, 0x01);
    card.write(0x306, 0x01);
    card.write(0x306, 0x00);
    const VirtualCard::KeepAlive k = card.keepAlive();
    EXPECT_EQ(k.edges, 2);
    EXPECT_FALSE(k.level);
    EXPECT_GE(k.lastEdge, before);

    // Every edge is recorded with its time, in order.
    const auto edges = card.keepAliveEdges();
    ASSERT_EQ(edges.size(), 2u);
    EXPECT_TRUE(edges[0].rising);
    EXPECT_FALSE(edges[1].rising);
    EXPECT_GE(edges[0].at, before);
    EXPECT_LE(edges[0].at, edges[1].at);
    EXPECT_EQ(edges[1].at, k.lastEdge);
    card.clearKeepAliveEdges();
    EXPECT_TRUE(card.keepAliveEdges().empty());
    EXPECT_EQ(card.keepAlive().edges, 2) << "clearing the record keeps the count";
}

// --- input frame -------------------------------------------------------------

struct FrameCase {
    const char* what;
    std::function<bool(VirtualCard&)> set;
    int step;
    std::uint8_t bit;
};

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.what;
}

class VirtualCardFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(VirtualCardFrame, ElementArrivesAtItsStepOnItsLine)
{
    const FrameCase& c = GetParam();
    VirtualCard card;
    program(card);
    ASSERT_TRUE(c.set(card));
    card.write(0x300, 0x08);
    card.write(0x300, 0x00);
    for (int step = 1; step <= 100; ++step) {
        const std::uint8_t expected = step == c.step ? c.bit : 0;
        ASSERT_EQ(card.read(0x302), expected) << c.what << " at step " << step;
        card.write(0x301, 0x02);
        card.write(0x301, 0x00);
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, VirtualCardFrame, ::testing::Values(
    FrameCase{"block 1 occupied", [](VirtualCard& v) { return v.setBlockOccupied(1, true); }, 4, 0x01},
    FrameCase{"block 2 occupied", [](VirtualCard& v) { return v.setBlockOccupied(2, true); }, 3, 0x01},
    FrameCase{"block 3 occupied", [](VirtualCard& v) { return v.setBlockOccupied(3, true); }, 12, 0x01},
    FrameCase{"block 4 occupied", [](VirtualCard& v) { return v.setBlockOccupied(4, true); }, 11, 0x01},
    FrameCase{"block 1 input 2", [](VirtualCard& v) { return v.setBlockInput2(1, true); }, 2, 0x01},
    FrameCase{"block 2 input 2", [](VirtualCard& v) { return v.setBlockInput2(2, true); }, 1, 0x01},
    FrameCase{"block button 1", [](VirtualCard& v) { return v.setBlockButton(1, true); }, 5, 0x01},
    FrameCase{"block button 5", [](VirtualCard& v) { return v.setBlockButton(5, true); }, 13, 0x01},
    FrameCase{"aux block 4", [](VirtualCard& v) { return v.setHBlockOccupied(4, true); }, 4, 0x08},
    FrameCase{"aux block 5", [](VirtualCard& v) { return v.setHBlockOccupied(5, true); }, 9, 0x08},
    FrameCase{"aux block 8", [](VirtualCard& v) { return v.setHBlockOccupied(8, true); }, 12, 0x08},
    FrameCase{"aux button 1", [](VirtualCard& v) { return v.setHBlockButton(1, true); }, 5, 0x08},
    FrameCase{"detector 17", [](VirtualCard& v) { return v.setMelder(17, true); }, 17, 0x10},
    FrameCase{"chain-1 button 64", [](VirtualCard& v) { return v.setTaster1(64, true); }, 64, 0x02}));

TEST(VirtualCardInputs, FrameIsTheStateAtTheLoadAndEndsWithTheLines)
{
    VirtualLayout layout;
    layout.blockCards = 1;
    layout.hblockCards = 0;
    layout.melderCards = 2;
    layout.taster1Cards = 0;
    VirtualCard card(layout);
    program(card);
    card.applyPattern(VirtualCard::Pattern::AllOccupied);
    EXPECT_FALSE(card.setMelder(17, true)) << "the layout has 16 detectors";
    card.write(0x300, 0x08);
    card.applyPattern(VirtualCard::Pattern::AllFree);   // after the load: not seen until the next one
    std::vector<std::uint8_t> frame;
    for (int step = 1; step <= 20; ++step) {
        frame.push_back(card.read(0x302));
        card.write(0x301, 0x02);
        card.write(0x301, 0x00);
    }
    const std::vector<std::uint8_t> expected{0x10, 0x10, 0x11, 0x11, 0x10, 0x10, 0x10, 0x10,
                                             0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0, 0, 0, 0};
    EXPECT_EQ(frame, expected);
}

TEST(VirtualCardInputs, WalkingOccupancyMovesOneElementPerStep)
{
    VirtualCard card;
    program(card);
    card.applyPattern(VirtualCard::Pattern::WalkingOccupancy, 25);
    card.write(0x300, 0x08);
    std::vector<int> blockSteps, auxSteps, detectorSteps;
    for (int step = 1; step <= 96; ++step) {
        const std::uint8_t v = card.read(0x302);
        if (v & 0x01) blockSteps.push_back(step);
        if (v & 0x08) auxSteps.push_back(step);
        if (v & 0x10) detectorSteps.push_back(step);
        card.write(0x301, 0x02);
        card.write(0x301, 0x00);
    }
    EXPECT_EQ(blockSteps, std::vector<int>{3}) << "block 2 of 24";
    EXPECT_EQ(auxSteps, std::vector<int>{50}) << "aux block 26 of 48";
    EXPECT_EQ(detectorSteps, std::vector<int>{26}) << "detector 26 of 88";
}

// --- access and traffic -------------------------------------------------------

TEST(VirtualCardAccess, CardWithoutAccessRefusesEverything)
{
    VirtualLayout layout;
    layout.portAccess = false;
    VirtualCard card(layout);
    EXPECT_FALSE(card.enable(0x300, 0x300));
    EXPECT_THROW(card.write(0x303, 0x89), PortError);
    EXPECT_THROW(card.read(0x302), PortError);
    EXPECT_EQ(card.writes(), 1) << "refused attempts are counted";
}

// The refusing card, the backend without access and a missing backend name
// the port alike in their message.
TEST(VirtualCardAccess, EveryRefusalNamesThePort)
{
    const auto message = [](const std::function<void()>& access) -> std::string {
        try {
            access();
        } catch (const PortError& e) {
            return e.what();
        }
        return "no PortError";
    };
    VirtualCard card;
    NoPortAccess none;
    EXPECT_EQ(message([&] { card.read(0x378); }), "Kein Portzugriff auf 0x378");
    EXPECT_EQ(message([&] { card.write(0x2F, 0); }), "Kein Portzugriff auf 0x02F");
    EXPECT_EQ(message([&] { none.write(0x30A, 0); }), "Kein Portzugriff auf 0x30A");
    PortBackend* previous = setPortBackend(nullptr);
    EXPECT_EQ(message([] { PortLesen(0x1234); }), "Kein Portzugriff auf 0x1234");
    setPortBackend(previous);
}

TEST(VirtualCardAccess, GrantsExactlyTheCardsRanges)
{
    VirtualCard card;
    EXPECT_TRUE(card.enable(0x300, 0x31F));
    EXPECT_TRUE(card.enable(0x330, 0x333));
    EXPECT_FALSE(card.enable(0x31F, 0x320));
    EXPECT_FALSE(card.enable(0x334, 0x334));
    EXPECT_NO_THROW(card.write(0x31F, 0));
    EXPECT_THROW(card.write(0x2FF, 0), PortError);
    EXPECT_THROW(card.read(0x378), PortError);
}

TEST(VirtualCardAccess, TraceAndCountersFollowEveryAccess)
{
    VirtualCard card;
    program(card);
    card.resetCounters();
    card.setTracing(true);
    card.write(0x300, 0x08);
    card.read(0x302);
    card.write(0x301, 0x02);
    using A = VirtualCard::Access;
    EXPECT_EQ(card.trace(), (std::vector<A>{{0x300, 0x08, true}, {0x302, 0x00, false}, {0x301, 0x02, true}}));
    EXPECT_EQ(card.writes(), 2);
    EXPECT_EQ(card.reads(), 1);
    EXPECT_EQ(card.writesTo(0x301), 1);
    card.resetCounters();
    EXPECT_TRUE(card.trace().empty());
}

}  // namespace
