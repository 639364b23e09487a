// Speed slots, the commands of one cycle on the virtual card, and the counter
// of cycles per second.
#include "cardrig.h"
#include "tempo.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Slots = std::array<std::uint8_t, fahrt::Slots>;

struct SlotCase {
    int position;
    Slots steps;
};

class TempoSlots : public ::testing::TestWithParam<SlotCase> {};

TEST_P(TempoSlots, EightStepsDifferingByAtMostOne)
{
    EXPECT_EQ(fahrt::tempoSlots(GetParam().position), GetParam().steps) << "position " << GetParam().position;
}

INSTANTIATE_TEST_SUITE_P(Table, TempoSlots, ::testing::Values(
    SlotCase{0, {0, 0, 0, 0, 0, 0, 0, 0}},
    SlotCase{3, {1, 1, 1, 0, 0, 0, 0, 0}},
    SlotCase{8, {1, 1, 1, 1, 1, 1, 1, 1}},
    SlotCase{9, {2, 1, 1, 1, 1, 1, 1, 1}},
    SlotCase{77, {10, 10, 10, 10, 10, 9, 9, 9}},
    SlotCase{120, {15, 15, 15, 15, 15, 15, 15, 15}},
    SlotCase{121, {15, 15, 15, 15, 15, 15, 15, 15}},   // never above the 4-bit field
    SlotCase{-5, {0, 0, 0, 0, 0, 0, 0, 0}}));

// What block 3 receives in one cycle, command by command.
std::vector<VirtualCard::BlockState> einZyklus(int position, bool vorwaerts)
{
    CardRig rig;
    std::vector<VirtualCard::BlockState> gesehen;
    // Each BlockSetzen latches the whole chain: record the block after each.
    struct Zaehler : PortBackend {
        PortBackend* innen;
        VirtualCard* karte;
        std::vector<VirtualCard::BlockState>* ziel;
        bool enable(std::uint16_t a, std::uint16_t b) override { return innen->enable(a, b); }
        std::uint8_t read(std::uint16_t p) override { return innen->read(p); }
        void write(std::uint16_t p, std::uint8_t v) override
        {
            innen->write(p, v);
            if (p == 0x301 && v == 0x10)   // the block chain's latch
                ziel->push_back(karte->block(3));
        }
    } zaehler;
    zaehler.innen = &rig.card;
    zaehler.karte = &rig.card;
    zaehler.ziel = &gesehen;
    PortBackend* vorher = setPortBackend(&zaehler);
    fahrt::tempoSenden(*rig.kvx, 3, vorwaerts, position);
    setPortBackend(vorher);
    return gesehen;
}

TEST(TempoSenden, PositionZeroIsOneCommandWithPowerOff)
{
    const auto c = einZyklus(0, true);
    ASSERT_EQ(c.size(), 1u);
    EXPECT_FALSE(c[0].powered);
    EXPECT_EQ(c[0].speed, 0);
}

TEST(TempoSenden, SlowTrainGetsShortBurstsOfTheLowestStep)
{
    const auto c = einZyklus(3, false);
    ASSERT_EQ(c.size(), 8u);
    for (std::size_t i = 0; i < c.size(); ++i) {
        EXPECT_EQ(c[i].powered, i < 3) << "command " << i + 1;
        EXPECT_EQ(c[i].speed, i < 3 ? 1 : 0) << "command " << i + 1;
        EXPECT_FALSE(c[i].forward);
    }
}

TEST(TempoSenden, FullSpeedForward)
{
    for (const auto& b : einZyklus(120, true)) {
        EXPECT_TRUE(b.powered);
        EXPECT_TRUE(b.forward);
        EXPECT_EQ(b.speed, 15);
    }
}

TEST(ZyklusZaehler, ReportsTheCyclesOfASecondWhenTheSecondChanges)
{
    using Uhr = fahrt::ZyklusZaehler::Uhr;
    const Uhr::time_point t0{std::chrono::seconds(1000)};
    fahrt::ZyklusZaehler z(t0);
    for (int i = 0; i < 99; ++i)
        EXPECT_FALSE(z.zyklus(t0 + std::chrono::milliseconds(i * 10)).has_value());
    EXPECT_EQ(z.zyklus(t0 + std::chrono::milliseconds(1001)), 100);
    EXPECT_FALSE(z.zyklus(t0 + std::chrono::milliseconds(1500)).has_value());
    EXPECT_EQ(z.zyklus(t0 + std::chrono::seconds(5)), 2) << "a stalled second still reports";
}

}  // namespace
