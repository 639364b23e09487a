// The train on the virtual layout, on a clock the test moves: it runs with
// power and not without, faster at a higher step, in the block's direction,
// stops before a row without power, and the occupancy the hardware component
// reads follows the rows it covers.
#include "cardrig.h"
#include "virtuellerzug.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <vector>

namespace {

// Row r: block r, detectors 4r - 3 .. 4r (RHalt, RBrems, VBrems, VHalt);
// row 3 also auxiliary block 5.
std::vector<ZugZeile> ring()
{
    std::vector<ZugZeile> z;
    for (int r = 1; r <= VirtuellerZug::Ring; ++r)
        z.push_back({r, r == 3 ? 5 : 0, {4 * r - 3, 4 * r - 2, 4 * r - 1, 4 * r}});
    return z;
}

struct Belegt {
    std::vector<int> bloecke, melder;   // auxiliary blocks as 200 + h among the blocks
    friend bool operator==(const Belegt&, const Belegt&) = default;
};

std::ostream& operator<<(std::ostream& os, const Belegt& b)
{
    os << "blocks";
    for (int n : b.bloecke)
        os << ' ' << n;
    os << ", detectors";
    for (int n : b.melder)
        os << ' ' << n;
    return os;
}

struct Zug : ::testing::Test {
    // The card averages the steps on the test's clock too.
    Zug() { rig.card.setClock([this] { return uhr; }); }

    void strom(int block, int stufe, bool vorwaerts = true)
    {
        rig.kvx->BlockSetzen(static_cast<std::uint8_t>(block), stufe > 0 ? 1 : 0, vorwaerts ? 1 : 0,
                             static_cast<std::uint8_t>(stufe));
    }

    void fahren(VirtuellerZug& zug, double sekunden)
    {
        uhr += std::chrono::duration_cast<VirtuellerZug::Uhr::duration>(std::chrono::duration<double>(sekunden));
        zug.fahren(uhr);
    }

    // What an input cycle of the hardware component reads.
    Belegt belegt()
    {
        int b = 0, h = 0, m = 0, e = 0;
        rig.kvx->MelderLesen(b, h, m, e);
        Belegt bel;
        for (int i = 1; i <= rig.kvx->BlockAnzahl; ++i)
            if (rig.kvx->BlockBelegt[i])
                bel.bloecke.push_back(i);
        for (int i = 1; i <= rig.kvx->HBlockAnzahl; ++i)
            if (rig.kvx->HBlockBelegt[i])
                bel.bloecke.push_back(200 + i);
        for (int i = 1; i <= rig.kvx->MelderAnzahl; ++i)
            if (rig.kvx->MelderBelegt[i])
                bel.melder.push_back(i);
        return bel;
    }

    VirtuellerZug::Uhr::time_point uhr = VirtuellerZug::Uhr::time_point{} + std::chrono::hours(1);
    CardRig rig;
};

// ------------------------------------------------------------- motion

TEST_F(Zug, RunsOnlyWhileItsBlockIsPowered)
{
    VirtuellerZug zug(rig.card, ring(), 2, uhr);
    fahren(zug, 5);
    EXPECT_EQ(zug.zeile(), 2);
    EXPECT_EQ(zug.position(), 0.0);

    strom(2, 15);
    fahren(zug, 0.5);
    EXPECT_DOUBLE_EQ(zug.position(), 0.25) << "half a row a second at step 15";

    strom(2, 0);
    fahren(zug, 3);
    EXPECT_DOUBLE_EQ(zug.position(), 0.25);
    strom(2, 15);
    fahren(zug, 0.2);
    EXPECT_NEAR(zug.position(), 0.35, 1e-9) << "the time without power does not count";
}

TEST_F(Zug, ARowTakesTwoSecondsAtStepFifteenAndTwentyAtStepOne)
{
    EXPECT_DOUBLE_EQ(1 / VirtuellerZug::zeilenProSekunde(15), 2.0);
    EXPECT_DOUBLE_EQ(1 / VirtuellerZug::zeilenProSekunde(1), 20.0);
    EXPECT_EQ(VirtuellerZug::zeilenProSekunde(0), 0.0);

    VirtuellerZug zug(rig.card, ring(), 2, uhr);
    strom(2, 15);
    strom(3, 15);
    fahren(zug, 2);
    EXPECT_EQ(zug.zeile(), 3);
    EXPECT_NEAR(zug.position(), 0.0, 1e-9);

    strom(3, 1);
    strom(4, 1);
    fahren(zug, 10);
    EXPECT_EQ(zug.zeile(), 3);
    EXPECT_NEAR(zug.position(), 0.5, 1e-9);

    // Power dithering between step 15 and off every 25 ms, seen 10 times a
    // second, drives as step 7.5 would.
    strom(4, 0);
    VirtuellerZug zweiter(rig.card, ring(), 5, uhr);
    for (int i = 0; i < 40; ++i) {
        strom(5, i % 2 ? 0 : 15);
        uhr += std::chrono::milliseconds(25);
        if (i % 4 == 3)
            zweiter.fahren(uhr);
    }
    EXPECT_NEAR(zweiter.position(), VirtuellerZug::zeilenProSekunde(7.5), 1e-9);
    EXPECT_GT(VirtuellerZug::zeilenProSekunde(8), VirtuellerZug::zeilenProSekunde(7.5));
}

TEST_F(Zug, RunsInTheBlocksDirectionRoundTheRing)
{
    VirtuellerZug zug(rig.card, ring(), 2, uhr);
    for (int b : {2, 1, 15})
        strom(b, 15, false);
    fahren(zug, 1);
    EXPECT_EQ(zug.zeile(), 1);
    EXPECT_DOUBLE_EQ(zug.position(), 0.5) << "rows descending";
    fahren(zug, 1.5);
    EXPECT_EQ(zug.zeile(), 15) << "before row 1 comes row 15";
    EXPECT_DOUBLE_EQ(zug.position(), 0.75);
    EXPECT_EQ(zug.zeilen(), (std::vector<int>{15, 1}));

    for (int b : {15, 1})
        strom(b, 15, true);
    fahren(zug, 1.5);
    EXPECT_EQ(zug.zeile(), 1) << "after row 15 comes row 1";
    EXPECT_DOUBLE_EQ(zug.position(), 0.5);
}

TEST_F(Zug, StopsBeforeARowWithoutPowerAndGoesOnWhenItGetsPower)
{
    auto strecke = ring();
    strecke[5 - 1] = {};   // row 5 is empty
    VirtuellerZug zug(rig.card, strecke, 2, uhr);
    strom(2, 15);
    fahren(zug, 10);
    EXPECT_EQ(zug.zeile(), 2);
    EXPECT_DOUBLE_EQ(zug.position(), 0.5) << "its head at the end of row 2";
    EXPECT_EQ(zug.zeilen(), std::vector<int>{2});

    strom(3, 15, false);
    fahren(zug, 10);
    EXPECT_DOUBLE_EQ(zug.position(), 0.5) << "row 3 is powered the other way";

    strom(3, 15);
    strom(4, 15);
    fahren(zug, 10);
    EXPECT_EQ(zug.zeile(), 4);
    EXPECT_DOUBLE_EQ(zug.position(), 0.5) << "row 5 has no block";

    strom(2, 0);
    strom(3, 15, false);
    strom(4, 15, false);
    fahren(zug, 10);
    EXPECT_EQ(zug.zeile(), 3) << "back as far as row 3, then row 2 has no power";
    EXPECT_DOUBLE_EQ(zug.position(), 0.0);
}

// ---------------------------------------------------------- occupancy

TEST_F(Zug, ReportsTheQuartersItCoversAndFreesWhatItLeaves)
{
    VirtuellerZug zug(rig.card, ring(), 2, uhr);
    EXPECT_EQ(belegt(), (Belegt{{2}, {5, 6}})) << "at the start of row 2: RHalt and RBrems";
    strom(2, 15);
    fahren(zug, 0.5);
    EXPECT_EQ(belegt(), (Belegt{{2}, {6, 7}}));
    fahren(zug, 0.5);
    EXPECT_EQ(belegt(), (Belegt{{2}, {7, 8}})) << "at the end of row 2: VBrems and VHalt";

    strom(3, 15);
    fahren(zug, 0.5);
    EXPECT_EQ(belegt(), (Belegt{{2, 3, 205}, {8, 9}})) << "half in row 3 with its auxiliary block";
    fahren(zug, 0.5);
    EXPECT_EQ(belegt(), (Belegt{{3, 205}, {9, 10}})) << "row 2 left behind is free";

    zug.entfernen();
    EXPECT_EQ(belegt(), Belegt{});
    EXPECT_TRUE(zug.zeilen().empty());
    fahren(zug, 1);
    EXPECT_EQ(belegt(), Belegt{}) << "a train taken off stays off";
}

TEST_F(Zug, FreesOnlyWhatItSet)
{
    rig.card.setMelder(80, true);
    rig.card.setBlockOccupied(20, true);
    auto strecke = ring();
    strecke[7 - 1].block = 6;   // rows 6 and 7 share block 6
    VirtuellerZug zug(rig.card, strecke, 6, uhr);
    EXPECT_EQ(belegt(), (Belegt{{6, 20}, {21, 22, 80}}));
    strom(6, 15);
    fahren(zug, 2);
    EXPECT_EQ(zug.zeile(), 7);
    EXPECT_EQ(belegt(), (Belegt{{6, 20}, {25, 26, 80}})) << "leaving row 6 keeps block 6 of row 7";

    strecke[7 - 1] = {7, 0, {30, 0, 0, 0}};
    zug.setStrecke(strecke);
    EXPECT_EQ(belegt(), (Belegt{{7, 20}, {30, 80}})) << "an edited row is reported as it is now";

    zug.einsetzen(9, uhr);
    EXPECT_EQ(belegt(), (Belegt{{9, 20}, {33, 34, 80}}));
    zug.entfernen();
    EXPECT_EQ(belegt(), (Belegt{{20}, {80}}));
}

// ---------------------------------------------------------- bad input

TEST_F(Zug, NumbersOutsideTheRangesAndRowsOutsideTheRingAreIgnored)
{
    EXPECT_EQ(VirtuellerZug(rig.card, ring(), 0, uhr).zeile(), 1);
    EXPECT_EQ(VirtuellerZug(rig.card, ring(), 99, uhr).zeile(), 15);
    rig.card.clearInputs();

    const ZugZeile z = zugZeile({205, 1, -3, 3, 513, 2});
    EXPECT_EQ(z.hblock, 5);
    EXPECT_EQ(z.block, 3);
    EXPECT_EQ(z.melder, (std::array<int, 4>{1, 0, 0, 2}));
    EXPECT_EQ(zugZeile({150, 0, 0, 201, 0, 0}).block, 0) << "200 + h is no block, and h <= 0 no auxiliary block";
    EXPECT_EQ(zugZeile({150, 0, 0, 201, 0, 0}).hblock, 0);
    const ZugZeile enden = zugZeile({INT_MIN, INT_MAX, INT_MIN, INT_MIN, 0, 0});
    EXPECT_EQ(enden.hblock, 0);
    EXPECT_EQ(enden.block, 0);
    EXPECT_EQ(enden.melder, (std::array<int, 4>{}));

    // Rows of three elements, the second one out of range: the train stops
    // at the end of the table's last row, which is followed by empty rows.
    std::vector<ZugZeile> kurz{{1, 999, {-1, 600, 0, 4}}, {300, 0, {}}, {3, 0, {}}};
    VirtuellerZug zug(rig.card, kurz, 3, uhr);
    strom(3, 15);
    fahren(zug, 30);
    EXPECT_EQ(zug.zeile(), 3);
    EXPECT_DOUBLE_EQ(zug.position(), 0.5);
    zug.einsetzen(1, uhr);
    EXPECT_EQ(belegt(), (Belegt{{1}, {}}));
    strom(1, 15);
    fahren(zug, 30);
    EXPECT_EQ(zug.zeile(), 1) << "row 2's block 300 is none";
    EXPECT_EQ(belegt(), (Belegt{{1}, {4}}));
}

}  // namespace
