// The virtual layout's picture of the card (what its window shows) and the
// card following a new configuration.
#include "anlagenprotokoll.h"
#include "cardrig.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

using Uhr = VirtualCard::Clock;

TEST(VirtualCardAnsicht, ShowsWhatTheCardsShowAndReport)
{
    CardRig rig;
    const Uhr::time_point start = Uhr::time_point{} + std::chrono::hours(2);
    std::atomic<long long> ms{0};
    rig.card.setClock([&] { return start + std::chrono::milliseconds(ms.load()); });

    const std::uint64_t vorher = rig.card.ansicht().stand;
    rig.kvx->SntEin();
    ms = 10;
    rig.kvx->LedKetteZeigen(2, 37);   // before the pulse: its writes on 0x300 would end it
    rig.kvx->WeicheStellen(5, 2);
    rig.kvx->HBlockSetzen(5, 1);
    rig.card.setMelder(17, true);
    rig.card.setTaster1(3, true);
    // Block 3 dithered between steps 7 and 8 every millisecond.
    for (; ms < 300; ++ms)
        rig.kvx->BlockSetzen(3, 1, 1, ms % 2 ? 7 : 8);

    VirtualCard::Ansicht a = rig.card.ansicht();
    EXPECT_GT(a.stand, vorher);
    EXPECT_EQ(a.at, start + std::chrono::milliseconds(300));
    EXPECT_EQ(a.blocks.size(), 24u);
    EXPECT_TRUE(a.blocks[2].powered);
    EXPECT_TRUE(a.blocks[2].forward);
    EXPECT_NEAR(a.blocks[2].averagedSpeed, 7.5, 0.05);
    EXPECT_FALSE(a.blocks[0].powered);
    EXPECT_EQ(a.hblocks[4], 1);
    ASSERT_EQ(a.leds[1].size(), 800u);
    EXPECT_EQ(a.leds[1][36], 1);
    EXPECT_EQ(std::count(a.leds[1].begin(), a.leds[1].end(), 1), 1);
    ASSERT_EQ(a.coils.size(), 1u);
    EXPECT_EQ(a.coils[0].coil, turnoutCoil(5, 2));
    EXPECT_EQ(a.coils[0].since, start + std::chrono::milliseconds(10));
    EXPECT_EQ(a.melder[16], 1);
    EXPECT_EQ(a.taster1[2], 1);
    EXPECT_FALSE(a.snt);   // one edge, 300 ms ago

    rig.kvx->BlockSetzen(4, 1, 0, 2);
    rig.kvx->SntAus();
    rig.kvx->WeicheAus();
    ms = 390;
    rig.card.ansicht(a);   // again, into the same storage
    EXPECT_TRUE(a.snt);
    EXPECT_TRUE(a.coils.empty());
    EXPECT_TRUE(a.blocks[3].powered);
    EXPECT_FALSE(a.blocks[3].forward);
    EXPECT_DOUBLE_EQ(a.blocks[3].averagedSpeed, 2.0);   // steady for longer than the window
    EXPECT_DOUBLE_EQ(a.blocks[2].averagedSpeed, 7.0);   // the dither ended on step 7
}

TEST(VirtualCardAnsicht, FollowsANewConfigurationKeepingWhatRemains)
{
    CardRig rig;
    AnlagenProtokoll log(rig.card);
    rig.kvx->LedKetteZeigen(2, 37);
    rig.kvx->BlockSetzen(3, 1, 1, 5);
    rig.card.setMelder(17, true);
    log.pruefen();

    VirtualLayout klein = rig.card.layout();
    klein.led2Cards = 1;
    klein.melderCards = 3;
    rig.card.setLayout(klein);
    EXPECT_EQ(rig.card.chainLength(VirtualCard::Chain::Led2), 32);
    VirtualCard::Ansicht a = rig.card.ansicht();
    EXPECT_EQ(a.leds[1].size(), 32u);
    EXPECT_EQ(a.melder.size(), 24u);
    EXPECT_EQ(a.melder[16], 1);
    EXPECT_EQ(a.blocks[2].byte, 0x5C);
    EXPECT_EQ(log.pruefen().size(), 1u) << "LED 1037 is gone";

    VirtualLayout gross = klein;
    gross.led2Cards = 25;
    gross.blockCards = 20;
    rig.card.setLayout(gross);
    rig.kvx->AnzahlenSetzen([&] {
        kvx::Anzahlen n = rig.kvx->Anzahlen();
        n.BlockAnzahl = 40;
        return n;
    }());
    rig.kvx->BlockSetzen(40, 1, 1, 9);
    a = rig.card.ansicht();
    EXPECT_EQ(a.blocks.size(), 40u);
    EXPECT_EQ(a.blocks[39].speed, 9);
    EXPECT_EQ(a.blocks[2].byte, 0x5C);
    EXPECT_EQ(a.leds[1].size(), 800u);
    EXPECT_EQ(a.leds[1][36], 0);
    rig.kvx->LedKetteZeigen(2, 700);
    EXPECT_TRUE(rig.card.ledLit(2, 700));
}

}  // namespace
