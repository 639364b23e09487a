// TkvxHard against the virtual card: the input cycle and its decoding into
// the occupancy and push-button images.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <numeric>

namespace {

using Access = VirtualCard::Access;

// The seven results of the two decoders, each preset to 0 as the callers do.
struct Results {
    int block = 0, hblock = 0, melder = 0, eingang2 = 0;
    int blockTaster = 0, hblockTaster = 0, taster1 = 0;
    friend bool operator==(const Results&, const Results&) = default;
};

std::ostream& operator<<(std::ostream& os, const Results& r)
{
    return os << "{block " << r.block << ", hblock " << r.hblock << ", melder " << r.melder << ", eingang2 "
              << r.eingang2 << ", blockTaster " << r.blockTaster << ", hblockTaster " << r.hblockTaster
              << ", taster1 " << r.taster1 << "}";
}

Results readAll(TkvxHard& kvx)
{
    Results r;
    kvx.MelderLesen(r.block, r.hblock, r.melder, r.eingang2);
    kvx.TasterLesen(r.blockTaster, r.hblockTaster, r.taster1);
    return r;
}

template <std::size_t N>
int ones(const std::array<std::uint8_t, N>& image)
{
    return std::accumulate(image.begin(), image.end(), 0);
}

int allOnes(const TkvxHard& kvx)
{
    return ones(kvx.BlockBelegt) + ones(kvx.HBlockBelegt) + ones(kvx.MelderBelegt) + ones(kvx.BlockEingang2)
        + ones(kvx.TasterZustand);
}

TEST(KvxInputCycle, LoadPulseThenAReadAndAClockPerStep)
{
    CardRig rig;
    rig.card.setTracing(true);
    rig.kvx->EingabeLesen();
    const std::vector<Access> t = rig.card.trace();
    ASSERT_EQ(t.size(), 290u);
    EXPECT_EQ(t[0], (Access{0x300, 0x08, true}));
    EXPECT_EQ(t[1], (Access{0x300, 0x00, true}));
    for (std::size_t i = 0; i < 96; ++i) {
        ASSERT_EQ(t[2 + 3 * i].port, 0x302);
        ASSERT_FALSE(t[2 + 3 * i].write);
        ASSERT_EQ(t[3 + 3 * i], (Access{0x301, 0x02, true})) << "step " << i + 1;
        ASSERT_EQ(t[4 + 3 * i], (Access{0x301, 0x00, true})) << "step " << i + 1;
    }
}

TEST(KvxInputCycle, LoadPulseKeepsARunningCoilPulse)
{
    CardRig rig;
    rig.kvx->SignalStellen(3);
    rig.card.setTracing(true);
    rig.card.clearCoilLog();
    rig.kvx->EingabeLesen();
    const std::vector<Access> t = rig.card.trace();
    EXPECT_EQ(t[0], (Access{0x300, 0x0C, true}));
    EXPECT_EQ(t[1], (Access{0x300, 0x04, true}));
    EXPECT_EQ(rig.card.poweredCoils(), std::vector<VirtualCard::Coil>{signalCoil(4)});
    EXPECT_TRUE(rig.card.coilLog().empty()) << "the pulse was interrupted";
}

struct DecodeCase {
    const char* what;
    std::function<bool(VirtualCard&)> set;
    std::function<std::uint8_t(const TkvxHard&)> entry;
    Results expected;
};

Results only(int Results::*field, int value)
{
    Results r;
    r.*field = value;
    return r;
}

void PrintTo(const DecodeCase& c, std::ostream* os)
{
    *os << c.what;
}

class KvxDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(KvxDecode, OneElementSetsOneEntryAndNamesIt)
{
    const DecodeCase& c = GetParam();
    CardRig rig;
    ASSERT_TRUE(c.set(rig.card)) << c.what;
    EXPECT_EQ(readAll(*rig.kvx), c.expected) << c.what;
    EXPECT_EQ(c.entry(*rig.kvx), 1) << c.what;
    EXPECT_EQ(allOnes(*rig.kvx), 1) << c.what << ": other entries were set too";
    EXPECT_EQ(readAll(*rig.kvx), Results{}) << c.what << ": a second call reports again";
    EXPECT_EQ(c.entry(*rig.kvx), 1) << c.what;
}

#define SET(call) [](VirtualCard& v) { return v.call; }
#define ENTRY(image, i) [](const TkvxHard& k) { return k.image[i]; }

INSTANTIATE_TEST_SUITE_P(Frame, KvxDecode, ::testing::Values(
    DecodeCase{"block 1", SET(setBlockOccupied(1, true)), ENTRY(BlockBelegt, 1), only(&Results::block, 1)},
    DecodeCase{"block 2", SET(setBlockOccupied(2, true)), ENTRY(BlockBelegt, 2), only(&Results::block, 2)},
    DecodeCase{"block 3", SET(setBlockOccupied(3, true)), ENTRY(BlockBelegt, 3), only(&Results::block, 3)},
    DecodeCase{"block 24", SET(setBlockOccupied(24, true)), ENTRY(BlockBelegt, 24), only(&Results::block, 24)},
    DecodeCase{"input 2 of block 1", SET(setBlockInput2(1, true)), ENTRY(BlockEingang2, 1), only(&Results::eingang2, 1)},
    DecodeCase{"input 2 of block 2", SET(setBlockInput2(2, true)), ENTRY(BlockEingang2, 2), only(&Results::eingang2, 2)},
    DecodeCase{"input 2 of block 23", SET(setBlockInput2(23, true)), ENTRY(BlockEingang2, 23), only(&Results::eingang2, 23)},
    DecodeCase{"aux block 4", SET(setHBlockOccupied(4, true)), ENTRY(HBlockBelegt, 4), only(&Results::hblock, 4)},
    DecodeCase{"aux block 5", SET(setHBlockOccupied(5, true)), ENTRY(HBlockBelegt, 5), only(&Results::hblock, 5)},
    DecodeCase{"aux block 8", SET(setHBlockOccupied(8, true)), ENTRY(HBlockBelegt, 8), only(&Results::hblock, 8)},
    DecodeCase{"aux block 48", SET(setHBlockOccupied(48, true)), ENTRY(HBlockBelegt, 48), only(&Results::hblock, 48)},
    DecodeCase{"detector 1", SET(setMelder(1, true)), ENTRY(MelderBelegt, 1), only(&Results::melder, 1)},
    DecodeCase{"detector 88", SET(setMelder(88, true)), ENTRY(MelderBelegt, 88), only(&Results::melder, 88)},
    DecodeCase{"block button 1", SET(setBlockButton(1, true)), ENTRY(TasterZustand, 1), only(&Results::blockTaster, 1)},
    DecodeCase{"block button 6", SET(setBlockButton(6, true)), ENTRY(TasterZustand, 6), only(&Results::blockTaster, 6)},
    DecodeCase{"block button 48", SET(setBlockButton(48, true)), ENTRY(TasterZustand, 48), only(&Results::blockTaster, 48)},
    DecodeCase{"aux button 1", SET(setHBlockButton(1, true)), ENTRY(TasterZustand, 201), only(&Results::hblockTaster, 1)},
    DecodeCase{"aux button 48", SET(setHBlockButton(48, true)), ENTRY(TasterZustand, 248), only(&Results::hblockTaster, 48)},
    DecodeCase{"chain-1 button 1", SET(setTaster1(1, true)), ENTRY(TasterZustand, 513), only(&Results::taster1, 1)},
    DecodeCase{"chain-1 button 64", SET(setTaster1(64, true)), ENTRY(TasterZustand, 576), only(&Results::taster1, 64)}));

#undef SET
#undef ENTRY

TEST(KvxDecodeResults, NameTheHighestChangeAndAreLeftAloneWithoutOne)
{
    CardRig rig;
    rig.card.setMelder(3, true);
    rig.card.setMelder(7, true);
    int a = -1, b = -1, m = -1, e = -1;
    rig.kvx->MelderLesen(a, b, m, e);
    EXPECT_EQ(m, 7);
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
    EXPECT_EQ(e, -1);

    m = -1;
    rig.kvx->MelderLesen(a, b, m, e);
    EXPECT_EQ(m, -1) << "unchanged inputs report nothing";
    EXPECT_EQ(rig.kvx->MelderBelegt[3], 1);
    EXPECT_EQ(rig.kvx->MelderBelegt[7], 1);

    rig.card.setMelder(3, false);   // a change to free is reported as well
    rig.kvx->MelderLesen(a, b, m, e);
    EXPECT_EQ(m, 3);
    EXPECT_EQ(rig.kvx->MelderBelegt[3], 0);
}

TEST(KvxDecodeResults, ZeroCountsDecodeNothing)
{
    CardRig rig;
    rig.card.applyPattern(VirtualCard::Pattern::AllButtonsPressed);
    for (int b = 1; b <= 24; ++b) {
        rig.card.setBlockOccupied(b, true);
        rig.card.setBlockInput2(b, true);
    }
    rig.kvx->Taster1Anzahl = 0;
    rig.kvx->BlockAnzahl = 0;
    const Results r = readAll(*rig.kvx);
    EXPECT_EQ(r.taster1, 0);
    EXPECT_EQ(r.block, 0);
    EXPECT_EQ(r.eingang2, 0);
    EXPECT_EQ(r.blockTaster, 0);
    EXPECT_EQ(r.hblockTaster, 48) << "the auxiliary-block buttons still decode";
    EXPECT_EQ(ones(rig.kvx->TasterZustand), 48);
    EXPECT_EQ(ones(rig.kvx->BlockBelegt) + ones(rig.kvx->BlockEingang2), 0);
}

// One element occupied at a time, walked across the layout: every element is
// found at its own step, and each move reports the new element (or, when the
// walk wraps round, the old highest one).
TEST(KvxDecodeResults, WalkingOccupancyIsFoundEverywhere)
{
    CardRig rig;
    for (int step = 0; step <= 88; ++step) {
        rig.card.applyPattern(VirtualCard::Pattern::WalkingOccupancy, step);
        const Results r = readAll(*rig.kvx);
        const int block = step % 24 + 1, hblock = step % 48 + 1, melder = step % 88 + 1;
        ASSERT_EQ(r.block, block == 1 && step > 0 ? 24 : block) << "step " << step;
        ASSERT_EQ(r.hblock, hblock == 1 && step > 0 ? 48 : hblock) << "step " << step;
        ASSERT_EQ(r.melder, melder == 1 && step > 0 ? 88 : melder) << "step " << step;
        ASSERT_EQ(rig.kvx->BlockBelegt[static_cast<std::size_t>(block)], 1);
        ASSERT_EQ(rig.kvx->HBlockBelegt[static_cast<std::size_t>(hblock)], 1);
        ASSERT_EQ(rig.kvx->MelderBelegt[static_cast<std::size_t>(melder)], 1);
        ASSERT_EQ(allOnes(*rig.kvx), 3) << "step " << step;
    }
}

TEST(KvxImages, DatenLoeschenClearsWhatTheDecodersFilled)
{
    CardRig rig;
    rig.card.applyPattern(VirtualCard::Pattern::AllOccupied);
    rig.card.setBlockInput2(5, true);
    rig.card.setBlockButton(48, true);
    rig.card.setHBlockButton(48, true);
    rig.card.setTaster1(64, true);
    readAll(*rig.kvx);
    ASSERT_EQ(allOnes(*rig.kvx), 24 + 48 + 88 + 1 + 3);
    rig.kvx->Led2Zustand[800] = 1;
    const long before = rig.accesses();
    rig.kvx->DatenLoeschen();
    EXPECT_EQ(allOnes(*rig.kvx), 0);
    EXPECT_EQ(rig.kvx->Led2Zustand[800], 0);
    EXPECT_EQ(rig.accesses(), before) << "DatenLoeschen touches no port";
}

}  // namespace
