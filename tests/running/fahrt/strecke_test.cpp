// The route thread on the virtual card: the powered pair as a train moves
// along the route, forward and backward; the LEDs assigned to blocks and
// detectors; cells that end a run; numbers out of range; a switching pass
// during a run; the reports the window fetches.
#include "cardrig.h"
#include "strecke.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using fahrt::Marke;
using fahrt::Paar;

// Mirror of a forward row for the backward cases: both runs start in row 1
// and meet row r after as many steps as the mirror row.
int spiegel(int r)
{
    return r == 1 ? 1 : 17 - r;
}

struct Aufzeichnung final : fahrt::StreckenMelder {
    void zyklen(int) override {}
    void paar(Paar p) override { paare.push_back(p); }
    void markierung(const fahrt::Markierung& m) override { letzte = m; }
    std::vector<Paar> paare;
    fahrt::Markierung letzte{};
};

fahrt::Zelle zahl(int n)
{
    return {n, true, {}};
}

fahrt::Zelle text(const char* t)
{
    return {0, false, t};
}

// A route on the virtual card of CardRig (24 blocks, 48 auxiliary blocks,
// 88 detectors), run cycle by cycle on the test's thread.
// LED chains of one card each, as many LEDs as the run writes out.
VirtualLayout anlage()
{
    VirtualLayout a;
    a.led1Cards = a.led2Cards = a.led3Cards = 1;
    return a;
}

struct Strecke : ::testing::Test {
    Strecke()
    {
        seite.tempoSetzen(77);   // last slot at step 9
        seite.ledAnzahlSetzen({32, 32, 32});
        seite.startSetzen(true);
    }

    // Row r: block b in column 4, its detector in column 2 (RHalt).
    void zeile(int r, int block, int melder = 0, int hblock = 0)
    {
        auto& z = t->strecke[static_cast<std::size_t>(r - 1)];
        z[fahrt::SpalteBlock - 1] = zahl(block);
        z[1] = zahl(melder);
        z[fahrt::SpalteHBlock - 1] = zahl(hblock);
    }

    void volleStrecke(int zeilen = 15)
    {
        for (int r = 1; r <= zeilen; ++r)
            zeile(r, r, 40 + r);
    }

    void beginnen(bool vorwaerts = true)
    {
        seite.richtungSetzen(vorwaerts);
        seite.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(*t));
        lauf = std::make_unique<fahrt::StreckenLauf>(*rig.kvx, seite, melder);
        lauf->anfang();
    }

    Paar zyklus()
    {
        EXPECT_TRUE(lauf->zyklus()) << lauf->fehler();
        return lauf->paar();
    }

    std::vector<int> gepowert() const
    {
        std::vector<int> b;
        for (int i = 1; i <= 24; ++i)
            if (rig.card.block(i).powered)
                b.push_back(i);
        return b;
    }

    CardRig rig{anlage()};
    fahrt::StreckenSeite seite;
    Aufzeichnung melder;
    std::shared_ptr<fahrt::StreckenTabellen> t = std::make_shared<fahrt::StreckenTabellen>();
    std::unique_ptr<fahrt::StreckenLauf> lauf;
};

// ------------------------------------------------------------------ rules

TEST(StreckenRegeln, PairSteppingWrapsAroundTheFifteenRows)
{
    EXPECT_EQ(fahrt::startPaar(true), (Paar{1, 2}));
    EXPECT_EQ(fahrt::startPaar(false), (Paar{1, 15}));
    EXPECT_EQ(fahrt::naechstesPaar({4, 5}, true), (Paar{5, 6}));
    EXPECT_EQ(fahrt::naechstesPaar({14, 15}, true), (Paar{15, 1}));
    EXPECT_EQ(fahrt::naechstesPaar({15, 1}, true), (Paar{1, 2}));
    EXPECT_EQ(fahrt::naechstesPaar({1, 15}, false), (Paar{15, 14}));
    EXPECT_EQ(fahrt::naechstesPaar({2, 1}, false), (Paar{1, 15}));
    EXPECT_EQ(fahrt::naechstesPaar({13, 12}, false), (Paar{12, 11}));
}

TEST(StreckenRegeln, LedCodeNamesChainAndLed)
{
    using A = fahrt::LedAdresse;
    EXPECT_EQ(fahrt::ledAdresse(5), (A{1, 5}));
    EXPECT_EQ(fahrt::ledAdresse(800), (A{1, 800}));
    EXPECT_EQ(fahrt::ledAdresse(1005), (A{2, 5}));
    EXPECT_EQ(fahrt::ledAdresse(2017), (A{3, 17}));
    for (int nichts : {0, -5, -1005, 1000, 801, 1801, 2999, 3000, 3005, 1000000})
        EXPECT_FALSE(fahrt::ledAdresse(nichts).has_value()) << nichts;
}

// ------------------------------------------------------ the pair, forward

TEST_F(Strecke, PairFindsTheTrainAndFollowsItForward)
{
    volleStrecke();
    rig.card.setBlockOccupied(5, true);
    beginnen();
    EXPECT_EQ(melder.paare.front(), (Paar{1, 2}));
    EXPECT_EQ(zyklus(), (Paar{2, 3}));
    EXPECT_EQ(zyklus(), (Paar{3, 4}));
    EXPECT_EQ(zyklus(), (Paar{4, 5}));
    EXPECT_EQ(zyklus(), (Paar{5, 6}));
    EXPECT_EQ(zyklus(), (Paar{5, 6})) << "the train is in row 5";
    EXPECT_EQ(gepowert(), (std::vector<int>{5, 6})) << "rows passed are switched off";
    EXPECT_EQ(rig.card.block(5).speed, 9);
    EXPECT_TRUE(rig.card.block(6).forward);
    EXPECT_EQ(melder.letzte[4][3], Marke::Belegt);
    EXPECT_EQ(melder.letzte[4][1], Marke::Frei);

    // The train reaches row 6 while its end is still in row 5 (detector 45).
    rig.card.setMelder(45, true);
    rig.card.setBlockOccupied(5, false);
    rig.card.setBlockOccupied(6, true);
    EXPECT_EQ(zyklus(), (Paar{5, 6})) << "row 5 is not free yet";
    rig.card.setMelder(45, false);
    EXPECT_EQ(zyklus(), (Paar{6, 7}));
    EXPECT_EQ(gepowert(), (std::vector<int>{6, 7}));
    EXPECT_EQ(melder.letzte[4][3], Marke::Frei);
}

TEST_F(Strecke, AuxiliaryBlockGoesOffOnlyWhenTheNextRowHasAnother)
{
    volleStrecke();
    zeile(5, 5, 45, 205);
    zeile(6, 6, 46, 205);
    zeile(7, 7, 47, 207);
    rig.card.setBlockOccupied(5, true);
    beginnen();
    for (int i = 0; i < 5; ++i)
        zyklus();
    ASSERT_EQ(lauf->paar(), (Paar{5, 6}));
    EXPECT_TRUE(rig.card.hblockOn(5));

    rig.card.setBlockOccupied(5, false);
    rig.card.setBlockOccupied(6, true);
    EXPECT_EQ(zyklus(), (Paar{6, 7}));
    EXPECT_TRUE(rig.card.hblockOn(5)) << "row 6 has the same auxiliary block";
    EXPECT_TRUE(rig.card.hblockOn(7));

    rig.card.setBlockOccupied(6, false);
    rig.card.setBlockOccupied(7, true);
    EXPECT_EQ(zyklus(), (Paar{7, 8}));
    EXPECT_FALSE(rig.card.hblockOn(5));
    EXPECT_TRUE(rig.card.hblockOn(7));
}

TEST_F(Strecke, AfterRowFifteenComesRowOne)
{
    volleStrecke();
    rig.card.setBlockOccupied(15, true);
    beginnen();
    for (int i = 0; i < 14; ++i)
        zyklus();
    EXPECT_EQ(zyklus(), (Paar{15, 1}));
    EXPECT_EQ(gepowert(), (std::vector<int>{1, 15}));
    rig.card.setBlockOccupied(15, false);
    rig.card.setBlockOccupied(1, true);
    EXPECT_EQ(zyklus(), (Paar{1, 2}));
    EXPECT_EQ(gepowert(), (std::vector<int>{1, 2}));
}

TEST_F(Strecke, ShortRouteStopsTheTrainAtItsLastRow)
{
    volleStrecke(10);
    rig.card.setBlockOccupied(10, true);
    beginnen();
    for (int i = 0; i < 12; ++i)
        zyklus();
    EXPECT_EQ(lauf->paar(), (Paar{10, 11}));
    EXPECT_EQ(gepowert(), std::vector<int>{10}) << "row 11 is empty";
}

TEST_F(Strecke, WithoutATrainThePairCirclesPoweringOnlyItself)
{
    volleStrecke();
    beginnen();
    for (int i = 1; i <= 15; ++i)
        EXPECT_EQ(zyklus(), fahrt::naechstesPaar({i, fahrt::nachbar(i, true)}, true));
    EXPECT_EQ(lauf->paar(), (Paar{1, 2}));
    EXPECT_EQ(gepowert(), (std::vector<int>{1, 2})) << "the blocks passed go off";
}

// Whatever the run powered and is no longer the pair's goes off in the next
// cycle, however it left the pair: the train stands in row 5 (block 5,
// auxiliary block 205), the pair is 5-6.
TEST_F(Strecke, WhatLeavesThePairGoesOffInTheNextCycle)
{
    struct Fall {
        const char* was;
        std::function<void(fahrt::StreckenTabellen&, fahrt::StreckenSeite&)> aendern;
        std::vector<int> bloecke;    // powered after the next cycle
        std::vector<int> hbloecke;
    };
    const std::vector<Fall> faelle = {
        {"tables cleared", [](auto& t, auto&) { t = {}; }, {}, {}},
        {"block of row 6 now 9", [](auto& t, auto&) { t.strecke[5][fahrt::SpalteBlock - 1] = zahl(9); }, {5, 9}, {5, 6}},
        {"auxiliary block of row 6 now 208",
         [](auto& t, auto&) { t.strecke[5][fahrt::SpalteHBlock - 1] = zahl(208); }, {5, 6}, {5, 8}},
        {"direction reversed at speed", [](auto&, auto& s) { s.richtungSetzen(false); }, {4, 5}, {4, 5}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.was);
        rig.card.applyPattern(VirtualCard::Pattern::AllFree);
        t = std::make_shared<fahrt::StreckenTabellen>();
        for (int r = 1; r <= 15; ++r)
            zeile(r, r, 40 + r, 200 + r);
        rig.card.setBlockOccupied(5, true);
        beginnen();
        for (int i = 0; i < 5; ++i)
            zyklus();
        ASSERT_EQ(gepowert(), (std::vector<int>{5, 6}));
        ASSERT_TRUE(rig.card.hblockOn(6));

        f.aendern(*t, seite);
        seite.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(*t));
        zyklus();
        EXPECT_EQ(gepowert(), f.bloecke);
        std::vector<int> an;
        for (int h = 1; h <= 48; ++h)
            if (rig.card.hblockOn(h))
                an.push_back(h);
        EXPECT_EQ(an, f.hbloecke);
        rig.kvx->AlleBloeckeAus();
        for (int h = 1; h <= 48; ++h)
            rig.kvx->HBlockSetzen(static_cast<std::uint8_t>(h), 0);
    }
}

// ----------------------------------------------------- the pair, backward

TEST_F(Strecke, PairFindsTheTrainAndFollowsItBackward)
{
    volleStrecke();
    rig.card.setBlockOccupied(spiegel(5), true);
    beginnen(false);
    EXPECT_EQ(melder.paare.front(), (Paar{1, 15}));
    EXPECT_EQ(zyklus(), (Paar{15, 14}));
    EXPECT_EQ(zyklus(), (Paar{14, 13}));
    EXPECT_EQ(zyklus(), (Paar{13, 12}));
    EXPECT_EQ(zyklus(), (Paar{12, 11}));
    EXPECT_EQ(zyklus(), (Paar{12, 11}));
    EXPECT_EQ(gepowert(), (std::vector<int>{11, 12}));
    EXPECT_FALSE(rig.card.block(11).forward);
    EXPECT_EQ(rig.card.block(12).speed, 9);

    rig.card.setBlockOccupied(12, false);
    rig.card.setBlockOccupied(11, true);
    EXPECT_EQ(zyklus(), (Paar{11, 10}));
    EXPECT_EQ(gepowert(), (std::vector<int>{10, 11}));
}

TEST_F(Strecke, BackwardAfterRowOneComesRowFifteen)
{
    volleStrecke();
    rig.card.setBlockOccupied(1, true);
    beginnen(false);
    EXPECT_EQ(zyklus(), (Paar{1, 15}));
    EXPECT_EQ(gepowert(), (std::vector<int>{1, 15}));
    rig.card.setBlockOccupied(1, false);
    rig.card.setBlockOccupied(15, true);
    EXPECT_EQ(zyklus(), (Paar{15, 14}));
    EXPECT_EQ(gepowert(), (std::vector<int>{14, 15}));
}

TEST_F(Strecke, BackwardShortRouteAndEmptyRoute)
{
    // Mirror of the route of rows 1..10: rows 1 and 7..15.
    for (int r : {1, 7, 8, 9, 10, 11, 12, 13, 14, 15})
        zeile(r, r);
    rig.card.setBlockOccupied(7, true);
    beginnen(false);
    for (int i = 0; i < 12; ++i)
        zyklus();
    EXPECT_EQ(lauf->paar(), (Paar{7, 6}));
    EXPECT_EQ(gepowert(), std::vector<int>{7});

    rig.card.setBlockOccupied(7, false);
    for (int i = 0; i < 15; ++i)
        zyklus();
    EXPECT_EQ(lauf->paar(), (Paar{7, 6})) << "circling backward one row a cycle";
}

TEST_F(Strecke, TurningTheDirectionPowersTheRowBehind)
{
    volleStrecke();
    rig.card.setBlockOccupied(5, true);
    beginnen();
    for (int i = 0; i < 5; ++i)
        zyklus();
    seite.richtungSetzen(false);
    EXPECT_EQ(zyklus(), (Paar{5, 4}));
    EXPECT_TRUE(rig.card.block(4).powered);
    EXPECT_FALSE(rig.card.block(4).forward);
    EXPECT_FALSE(rig.card.block(5).forward);
    rig.card.setBlockOccupied(5, false);
    rig.card.setBlockOccupied(4, true);
    EXPECT_EQ(zyklus(), (Paar{4, 3}));
    EXPECT_FALSE(rig.card.block(5).powered);
}

TEST_F(Strecke, SpeedZeroSwitchesThePairOff)
{
    volleStrecke();
    rig.card.setBlockOccupied(1, true);
    seite.tempoSetzen(0);
    beginnen();
    zyklus();
    EXPECT_TRUE(gepowert().empty());
    seite.tempoSetzen(120);
    zyklus();
    EXPECT_EQ(rig.card.block(2).speed, 15);
}

// ------------------------------------------------------------------- LEDs

TEST_F(Strecke, LedsFollowTheirBlocksAndDetectors)
{
    t->ledBlock = {{zahl(225), zahl(1005)}, {zahl(3), zahl(7)}, {zahl(4), zahl(3005)}};
    t->ledMelder = {{zahl(12), zahl(2017)}, {zahl(13), zahl(7)}};
    rig.card.setHBlockOccupied(25, true);
    rig.card.setMelder(12, true);
    rig.card.setBlockOccupied(3, true);
    rig.card.setBlockOccupied(4, true);
    rig.card.setMelder(13, true);
    beginnen();
    zyklus();
    EXPECT_EQ(rig.card.litLeds(1), std::vector<int>{7});
    EXPECT_EQ(rig.card.litLeds(2), std::vector<int>{5});
    EXPECT_EQ(rig.card.litLeds(3), std::vector<int>{17}) << "code 3005 lights nothing";

    rig.card.setHBlockOccupied(25, false);
    rig.card.setMelder(12, false);
    rig.card.setBlockOccupied(3, false);
    zyklus();
    EXPECT_TRUE(rig.card.litLeds(2).empty());
    EXPECT_TRUE(rig.card.litLeds(3).empty());
    EXPECT_EQ(rig.card.litLeds(1), std::vector<int>{7}) << "detector 13 still holds LED 7";
    rig.card.setMelder(13, false);
    zyklus();
    EXPECT_TRUE(rig.card.litLeds(1).empty());
}

// ----------------------------------------------------- cells that end a run

TEST_F(Strecke, ACellThatIsNoNumberEndsTheRunWithItsText)
{
    volleStrecke();
    t->strecke[16][4] = text("x");   // row 17: shown and marked, never powered
    seite.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(*t));
    const std::optional<std::string> fehler = fahrt::kvxGO(*rig.kvx, seite, melder);
    EXPECT_EQ(fehler, std::optional<std::string>("x"));
    EXPECT_TRUE(seite.start()) << "Start was still down";
    EXPECT_TRUE(gepowert().empty());
}

TEST_F(Strecke, AnLedCodeIsReadOnlyWhenItsElementIsOccupied)
{
    t->ledBlock = {{zahl(3), text("1,5")}};
    beginnen();
    EXPECT_TRUE(lauf->zyklus());
    rig.card.setBlockOccupied(3, true);
    EXPECT_FALSE(lauf->zyklus());
    EXPECT_EQ(lauf->fehler(), "1,5");
}

TEST_F(Strecke, NumbersOutsideTheRangesAreIgnored)
{
    volleStrecke();
    zeile(1, 30, 600, 500);   // block above BlockAnzahl, detector above 512, auxiliary block 300
    zeile(2, 201, 0, 456);    // block-type 201 in the block column, auxiliary block 256
    zeile(3, -4, -1, 457);
    zeile(5, INT_MIN, INT_MIN, INT_MIN);
    t->strecke[3][0] = zahl(10);   // a block-type number in the HBlock column: block 10
    zeile(16, 99999, INT_MAX, INT_MIN);
    t->ledBlock = {{zahl(457), zahl(5)}, {zahl(INT_MIN), zahl(5)}, {zahl(2), zahl(INT_MIN)}, {zahl(2), zahl(-5)}, {zahl(2), zahl(1801)},
                   {zahl(2), zahl(1000)}, {zahl(2), zahl(3000)}, {zahl(2), zahl(2147483647)}};
    t->ledMelder = {{zahl(513), zahl(5)}, {zahl(-3), zahl(6)}, {zahl(41), zahl(-2147483647)}};
    rig.card.applyPattern(VirtualCard::Pattern::AllOccupied);
    beginnen();
    zyklus();
    EXPECT_EQ(melder.letzte[0], (std::array<Marke, 6>{Marke::Keine, Marke::Keine, Marke::Keine, Marke::Keine,
                                                      Marke::Keine, Marke::Keine}));
    EXPECT_EQ(melder.letzte[1][0], Marke::Frei) << "auxiliary block 256: no card reports it";
    EXPECT_EQ(melder.letzte[1][3], Marke::Belegt) << "201 is auxiliary block 1";
    EXPECT_EQ(melder.letzte[2], (std::array<Marke, 6>{Marke::Keine, Marke::Keine, Marke::Keine, Marke::Keine,
                                                      Marke::Keine, Marke::Keine}));
    EXPECT_EQ(melder.letzte[3][0], Marke::Belegt);
    EXPECT_EQ(melder.letzte[15][3], Marke::Keine);
    for (int k = 1; k <= 3; ++k)
        EXPECT_TRUE(rig.card.litLeds(k).empty()) << "chain " << k;
    // Row 1 counts as free; row 2 holds the train but has nothing to power,
    // row 3 neither.
    EXPECT_EQ(lauf->paar(), (Paar{2, 3}));
    EXPECT_TRUE(gepowert().empty());
    for (int h = 1; h <= 48; ++h)
        EXPECT_FALSE(rig.card.hblockOn(h)) << h;
}

// ---------------------------------------------------------- in simulation

TEST(StreckeSimulation, ThePairCirclesAndNoPortIsTouched)
{
    NoPortAccess keine;
    PortBackend* vorher = setPortBackend(&keine);
    {
        TkvxHard kvx;
        kvx.Meldung = [](const std::string&) {};
        kvx.PortInit();
        auto t = std::make_shared<fahrt::StreckenTabellen>();
        t->strecke[0][3] = zahl(1);
        kvx.BlockBelegt[1] = 0;
        fahrt::StreckenSeite seite;
        seite.tabellenSetzen(t);
        seite.startSetzen(true);
        Aufzeichnung melder;
        fahrt::StreckenLauf lauf(kvx, seite, melder);
        EXPECT_NO_THROW(lauf.anfang());
        for (int i = 0; i < 3; ++i)
            EXPECT_NO_THROW(lauf.zyklus());
        EXPECT_EQ(lauf.paar(), (Paar{4, 5}));
    }
    setPortBackend(vorher);
}

// ------------------------------------------------------------- the thread

// Waits for a condition, polling; false after ten seconds.
template <class F>
bool warteBis(F bedingung)
{
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!bedingung()) {
        if (std::chrono::steady_clock::now() > ende)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(Strecke, ASwitchingPassDuringARunKeepsItsCoilPowered)
{
    volleStrecke();
    t->ledBlock = {{zahl(5), zahl(3)}, {zahl(5), zahl(1003)}};
    rig.card.setBlockOccupied(5, true);
    seite.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(*t));
    fahrt::StreckenBericht bericht;
    fahrt::StreckenThread faden;
    ASSERT_TRUE(faden.starten(*rig.kvx, seite, bericht));
    ASSERT_TRUE(warteBis([&] { return rig.card.ledLit(2, 3); })) << "the run writes its LEDs";

    // A pass on this thread while the route thread runs five more cycles
    // (a keep-alive pulse each).
    rig.kvx->WeicheStellen(5, 1);
    rig.card.clearCoilLog();
    rig.card.clearKeepAliveEdges();
    ASSERT_TRUE(warteBis([&] { return rig.card.keepAliveEdges().size() >= 10; }));
    EXPECT_TRUE(rig.card.coilEnable());
    EXPECT_EQ(rig.card.poweredCoils(), std::vector<VirtualCard::Coil>{turnoutCoil(5, 1)});
    EXPECT_TRUE(rig.card.coilLog().empty()) << "the coil pulse was interrupted";
    rig.kvx->WeicheAus();
    EXPECT_TRUE(faden.anhalten());
    EXPECT_TRUE(bericht.beendet());
    EXPECT_TRUE(rig.card.ledLit(1, 3));
}

TEST_F(Strecke, ThreadRunsUntilStartIsReleasedAndTakesEditsOnTheWay)
{
    volleStrecke();
    seite.tabellenSetzen(std::make_shared<const fahrt::StreckenTabellen>(*t));
    std::atomic<int> geweckt{0};
    fahrt::StreckenBericht bericht([&geweckt] { ++geweckt; });
    fahrt::StreckenThread faden;
    ASSERT_TRUE(faden.starten(*rig.kvx, seite, bericht));
    EXPECT_FALSE(faden.starten(*rig.kvx, seite, bericht)) << "one thread at a time";
    ASSERT_TRUE(warteBis([&] { return geweckt.load() > 0; }));

    // The window replaces the tables and moves the slider during the run.
    auto neu = std::make_shared<fahrt::StreckenTabellen>(*t);
    neu->ledBlock = {{zahl(20), zahl(2001)}};
    rig.card.setBlockOccupied(20, true);
    seite.tabellenSetzen(neu);
    seite.tempoSetzen(120);
    ASSERT_TRUE(warteBis([&] { return rig.card.ledLit(3, 1); }));

    seite.startSetzen(false);
    ASSERT_TRUE(warteBis([&] { return bericht.beendet(); }));
    faden.warten();
    EXPECT_FALSE(faden.laeuft());
    const fahrt::StreckenNachricht n = bericht.abholen();
    EXPECT_TRUE(n.ende);
    EXPECT_FALSE(n.fehler.has_value());
    ASSERT_TRUE(n.paar.has_value());
    EXPECT_FALSE(bericht.abholen().ende) << "fetched once";
}

TEST(StreckenBericht, WakesOnceUntilFetchedAndKeepsTheNewest)
{
    int geweckt = 0;
    fahrt::StreckenBericht b([&geweckt] { ++geweckt; });
    b.zyklen(0);
    b.paar({1, 2});
    b.paar({2, 3});
    b.zyklen(97);
    EXPECT_EQ(geweckt, 1);
    fahrt::StreckenNachricht n = b.abholen();
    EXPECT_EQ(n.zyklen, 97);
    EXPECT_EQ(n.paar, (Paar{2, 3}));
    EXPECT_FALSE(n.markierung.has_value());
    EXPECT_FALSE(n.ende);

    b.paar({3, 4});
    EXPECT_EQ(geweckt, 2);
    b.ende(std::string("x"));
    EXPECT_EQ(geweckt, 3) << "the end always wakes";
    EXPECT_TRUE(b.beendet());
    n = b.abholen();
    EXPECT_EQ(n.paar, (Paar{3, 4})) << "the last pair before the end is shown too";
    EXPECT_TRUE(n.ende);
    EXPECT_EQ(n.fehler, std::optional<std::string>("x"));
}

}  // namespace
