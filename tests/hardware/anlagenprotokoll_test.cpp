// The layout log on the virtual card, driven by the hardware component as
// the program drives it, on a clock the test moves by hand: one line per
// change of what the cards show or report, short changes between two looks
// included, dithered blocks averaged and at most once per 100 ms.
#include "anlagenprotokoll.h"
#include "cardrig.h"
#include "verdrahtungsfehler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <vector>

namespace {

using Uhr = AnlagenProtokoll::Uhr;
using Zeilen = std::vector<std::string>;

// The card's clock at start + ms, moved by the test.
struct Protokollrig {
    Protokollrig()
    {
        rig.card.setClock([this] { return zeit(ms.load()); });
    }

    Uhr::time_point zeit(long long t) const { return start + std::chrono::milliseconds(t); }

    // Moves the clock to t ms and runs f there.
    template <class F>
    void um(long long t, F f)
    {
        ms = t;
        f(*rig.kvx);
    }

    Zeilen pruefen(long long t)
    {
        ms = t;
        return log.pruefen(zeit(t));
    }

    CardRig rig;
    const Uhr::time_point start = Uhr::time_point{} + std::chrono::hours(1);
    std::atomic<long long> ms{0};
    AnlagenProtokoll log{rig.card, start};
};

// The lines of one kind ("Block\t3\t"), with their times.
std::vector<std::pair<long long, std::string>> zeilenVon(const Zeilen& zeilen, const std::string& was)
{
    std::vector<std::pair<long long, std::string>> r;
    for (const std::string& z : zeilen) {
        const auto tab = z.find('\t');
        if (z.compare(tab + 1, was.size(), was) == 0)
            r.emplace_back(std::stoll(z.substr(0, tab)), z.substr(tab + 1 + was.size()));
    }
    return r;
}

TEST(AnlagenProtokoll, PowerSupplyOnWithTheFirstEdgeOffAfter150MsWithoutOne)
{
    Protokollrig p;
    p.um(10, [](TkvxHard& k) { k.SntEin(); });
    p.um(12, [](TkvxHard& k) { k.SntAus(); });
    EXPECT_EQ(p.pruefen(20), Zeilen{"10\tSNT\t0\tein"});
    p.um(30, [](TkvxHard& k) { k.SntEin(); });
    p.um(32, [](TkvxHard& k) { k.SntAus(); });
    EXPECT_EQ(p.pruefen(181), Zeilen{});
    EXPECT_EQ(p.pruefen(190), Zeilen{"182\tSNT\t0\taus"});
    EXPECT_EQ(p.pruefen(400), Zeilen{});

    // Off and on again between two looks: both lines, in order.
    p.um(500, [](TkvxHard& k) { k.SntEin(); });
    p.um(502, [](TkvxHard& k) { k.SntAus(); });
    p.um(700, [](TkvxHard& k) { k.SntEin(); });
    EXPECT_EQ(p.pruefen(710), (Zeilen{"500\tSNT\t0\tein", "652\tSNT\t0\taus", "700\tSNT\t0\tein"}));
}

TEST(AnlagenProtokoll, CoilPulsesOnAndOffEvenWithinOneLook)
{
    Protokollrig p;
    p.um(1000, [](TkvxHard& k) { k.WeicheStellen(5, 2); });
    EXPECT_EQ(p.pruefen(1100), Zeilen{"1000\tWeiche\t5\tabzweigend ein"});
    p.um(1345, [](TkvxHard& k) { k.WeicheAus(); });
    EXPECT_EQ(p.pruefen(1400), Zeilen{"1345\tWeiche\t5\taus"});

    // A pulse over before the next look, and a signal coil.
    p.um(1500, [](TkvxHard& k) { k.WeicheStellen(7, 1); });
    p.um(1510, [](TkvxHard& k) { k.WeicheAus(); });
    p.um(1520, [](TkvxHard& k) { k.SignalStellen(2); });
    p.um(1530, [](TkvxHard& k) { k.SignalAus(); });
    EXPECT_EQ(p.pruefen(1600), (Zeilen{"1500\tWeiche\t7\tgerade ein", "1510\tWeiche\t7\taus", "1520\tSpule\t3\tein",
                                       "1530\tSpule\t3\taus"}));
}

TEST(AnlagenProtokoll, LedsByTheirCodeAndOnlyWhenTheyChange)
{
    Protokollrig p;
    p.um(50, [](TkvxHard& k) { k.LedKetteZeigen(2, 37); });
    EXPECT_EQ(p.pruefen(55), Zeilen{"50\tLED\t1037\tein"});

    // Lit and cleared again between two looks, on chains 1 and 3.
    p.um(60, [](TkvxHard& k) {
        k.LedKettenLoeschen();
        k.LedKetteZeigen(1, 4);
        k.LedKetteZeigen(3, 800);
    });
    p.um(70, [](TkvxHard& k) { k.LedKettenLoeschen(); });
    EXPECT_EQ(p.pruefen(100), (Zeilen{"60\tLED\t1037\taus", "60\tLED\t4\tein", "60\tLED\t2800\tein", "70\tLED\t4\taus",
                                      "70\tLED\t2800\taus"}));

    // Thousands of port writes that change nothing: no line.
    p.um(200, [](TkvxHard& k) {
        k.LedKettenLoeschen();
        k.KettenReset();
    });
    EXPECT_EQ(p.pruefen(300), Zeilen{});
}

TEST(AnlagenProtokoll, WhatTheLayoutReportsWithTheProgramsNumbers)
{
    Protokollrig p;
    p.ms = 30;
    p.rig.card.setMelder(17, true);
    p.rig.card.setHBlockOccupied(5, true);
    p.rig.card.setBlockOccupied(3, true);
    p.ms = 40;
    p.rig.card.setBlockButton(3, true);
    p.rig.card.setHBlockButton(1, true);
    p.rig.card.setTaster1(2, true);
    p.rig.card.setBlockInput2(1, true);   // no page shows it: not logged
    EXPECT_EQ(p.pruefen(50), (Zeilen{"30\tMelder\t17\tbelegt", "30\tBelegt\t205\tbelegt", "30\tBelegt\t3\tbelegt",
                                     "40\tTaster\t3\tgedrückt", "40\tTaster\t201\tgedrückt", "40\tTaster\t514\tgedrückt"}));

    p.ms = 60;
    p.rig.card.setMelder(17, false);
    p.rig.card.setMelder(17, true);   // gone and back before the look: both lines
    p.rig.card.applyPattern(VirtualCard::Pattern::AllFree);
    EXPECT_EQ(p.pruefen(70), (Zeilen{"60\tMelder\t17\tfrei", "60\tMelder\t17\tbelegt", "60\tBelegt\t3\tfrei",
                                     "60\tBelegt\t205\tfrei", "60\tMelder\t17\tfrei", "60\tTaster\t3\tlos",
                                     "60\tTaster\t201\tlos", "60\tTaster\t514\tlos"}));
}

// A test load (last: in the fault list) occupies its block while the block
// has power, and the log says so like any occupancy; the layout's own
// occupancy of a loaded block stays while the power goes.
TEST(AnlagenProtokoll, ATestLoadOccupiesItsPoweredBlock)
{
    Protokollrig p;
    p.rig.card.setFehler(verdrahtung::lesen("last:block:2,last:hblock:alle", p.rig.card.layout()).fehler);
    EXPECT_EQ(p.pruefen(1), Zeilen{});
    p.um(5, [](TkvxHard& k) { k.BlockSetzen(2, 1, 1, 1); });
    p.um(8, [](TkvxHard& k) { k.HBlockSetzen(3, 1); });
    EXPECT_EQ(p.pruefen(10), (Zeilen{"5\tBlock\t2\tein vor 1.0", "5\tBelegt\t2\tbelegt", "8\tHilfsblock\t203\tein",
                                     "8\tBelegt\t203\tbelegt"}));
    p.ms = 200;
    p.rig.card.setBlockOccupied(2, true);   // a train comes, too
    p.um(300, [](TkvxHard& k) {
        k.BlockSetzen(2, 0, 1, 0);
        k.HBlockSetzen(3, 0);
    });
    EXPECT_EQ(p.pruefen(310), (Zeilen{"300\tBlock\t2\taus", "300\tHilfsblock\t203\taus", "300\tBelegt\t203\tfrei"}));
    p.ms = 400;
    p.rig.card.setBlockOccupied(2, false);
    EXPECT_EQ(p.pruefen(410), Zeilen{"400\tBelegt\t2\tfrei"});
    p.um(500, [](TkvxHard& k) { k.BlockSetzen(1, 1, 1, 1); });   // no load there
    EXPECT_EQ(p.pruefen(510), Zeilen{"500\tBlock\t1\tein vor 1.0"});
}

TEST(AnlagenProtokoll, QuietBlocksAtOnceDitheringOnesAveragedAtMostEvery100Ms)
{
    Protokollrig p;
    p.um(5, [](TkvxHard& k) {
        k.BlockSetzen(4, 1, 0, 4);
        k.HBlockSetzen(5, 1);
    });
    EXPECT_EQ(p.pruefen(10), (Zeilen{"5\tBlock\t4\tein rück 4.0", "5\tHilfsblock\t205\tein"}));

    // Block 3 dithered between steps 7 and 8 every millisecond for 600 ms,
    // looked at every 40 ms, then switched off.
    Zeilen alle;
    for (long long t = 100; t <= 700; ++t) {
        p.um(t, [t](TkvxHard& k) { k.BlockSetzen(3, 1, 1, t % 2 ? 7 : 8); });
        if (t % 40 == 0)
            for (const std::string& z : p.pruefen(t))
                alle.push_back(z);
    }
    EXPECT_NEAR(p.rig.card.blockView(3, p.zeit(700)).averagedSpeed, 7.5, 0.05);
    p.um(701, [](TkvxHard& k) { k.BlockSetzen(3, 0, 1, 0); });
    for (long long t = 720; t <= 1000; t += 40)
        for (const std::string& z : p.pruefen(t))
            alle.push_back(z);

    const auto block3 = zeilenVon(alle, "Block\t3\t");
    ASSERT_GE(block3.size(), 3u);
    EXPECT_EQ(block3.front(), std::make_pair(100LL, std::string("ein vor 8.0")));
    EXPECT_NE(std::find(block3.begin(), block3.end(), std::make_pair(200LL, std::string("ein vor 7.5"))), block3.end());
    // Switched off at 701: the line waits until the block settles, with the time of the change.
    EXPECT_EQ(block3.back(), std::make_pair(701LL, std::string("aus")));
    for (std::size_t i = 1; i + 1 < block3.size(); ++i)
        EXPECT_GE(block3[i].first - block3[i - 1].first, 100) << block3[i].second;
    EXPECT_LE(block3.size(), 8u);
    EXPECT_EQ(alle.size(), block3.size()) << "only block 3 changed";
}

TEST(AnlagenProtokoll, FirstLookReportsWhatDiffersFromADarkQuietLayout)
{
    CardRig rig;
    rig.kvx->LedKetteZeigen(2, 37);
    rig.kvx->BlockSetzen(2, 1, 1, 6);
    rig.kvx->WeicheStellen(5, 2);
    rig.card.setMelder(17, true);
    AnlagenProtokoll log(rig.card, Uhr::now() - std::chrono::seconds(10));
    Zeilen zeilen = log.pruefen();
    for (std::string& z : zeilen)
        z.erase(0, z.find('\t') + 1);
    std::sort(zeilen.begin(), zeilen.end());
    EXPECT_EQ(zeilen, (Zeilen{"Block\t2\tein vor 6.0", "LED\t1037\tein", "Melder\t17\tbelegt",
                              "Weiche\t5\tabzweigend ein"}));
    EXPECT_EQ(log.pruefen(), Zeilen{});
}

}  // namespace
