// The virtual train on the route of the sample set QJ, driven by the real
// route thread: the train runs along the rows and the powered pair follows
// it, round the ring forward, backward through row 1 to row 15, and to the
// end of a shorter route, where the train waits. The route thread runs in
// real time; the train's clock is the test's, moved on in steps of about a
// seventh of a row, each followed by three cycles of the thread.
#include "cardrig.h"
#include "strecke.h"
#include "virtuellerzug.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using fahrt::Paar;

// The route table of QJ.DST, as the route page and as the train read it.
struct Beispiel {
    std::shared_ptr<fahrt::StreckenTabellen> tabellen = std::make_shared<fahrt::StreckenTabellen>();
    std::vector<ZugZeile> zeilen;

    int block(int zeile) const { return zeilen[static_cast<std::size_t>(zeile - 1)].block; }

    // Rows from `ab` on left empty: a shorter route.
    void kuerzen(int ab)
    {
        for (int r = ab; r <= fahrt::StreckenZeilen; ++r) {
            tabellen->strecke[static_cast<std::size_t>(r - 1)] = {};
            zeilen[static_cast<std::size_t>(r - 1)] = {};
        }
    }
};

Beispiel beispielLesen()
{
    Beispiel b;
    std::ifstream datei(KVX_BEISPIEL_DST, std::ios::binary);
    std::string zeile;
    std::getline(datei, zeile);   // the header row
    while (std::getline(datei, zeile)) {
        if (!zeile.empty() && zeile.back() == '\r')
            zeile.pop_back();
        std::vector<std::string> zellen;
        std::stringstream s(zeile);
        for (std::string z; std::getline(s, z, '\t');)
            zellen.push_back(z);
        zellen.resize(7);
        const int r = std::stoi(zellen[0]);
        if (r < 1 || r > fahrt::StreckenZeilen)
            continue;
        std::array<int, 6> zahlen{};
        for (int sp = 1; sp <= 6; ++sp) {
            zahlen[static_cast<std::size_t>(sp - 1)] = zellen[static_cast<std::size_t>(sp)].empty() ? 0 : std::stoi(zellen[static_cast<std::size_t>(sp)]);
            b.tabellen->strecke[static_cast<std::size_t>(r - 1)][static_cast<std::size_t>(sp - 1)] = {zahlen[static_cast<std::size_t>(sp - 1)], true, {}};
        }
        b.zeilen.push_back(zugZeile(zahlen));
    }
    return b;
}

// What pBl1/pBl2 show, and the cycles, as the thread reports them.
struct Anzeige final : fahrt::StreckenMelder {
    void zyklen(int) override {}
    void paar(Paar p) override
    {
        std::lock_guard l(lock);
        paare.push_back(p);
    }
    void markierung(const fahrt::Markierung&) override { ++runden; }

    Paar letztes() const
    {
        std::lock_guard l(lock);
        return paare.back();
    }
    std::vector<Paar> alle() const
    {
        std::lock_guard l(lock);
        return paare;
    }

    mutable std::mutex lock;
    std::vector<Paar> paare;
    std::atomic<long> runden{0};
};

// The sample set's cards: 3 block cards (6 blocks), 1 auxiliary-block card,
// 2 detector cards, one LED card on each chain, no push-button chain.
VirtualLayout anlage()
{
    VirtualLayout a;
    a.blockCards = 3;
    a.hblockCards = 1;
    a.melderCards = 2;
    a.weichenCards = 1;
    a.signalCards = 1;
    a.taster1Cards = 0;
    a.led1Cards = a.led2Cards = a.led3Cards = 1;
    return a;
}

template <class F>
bool warteBis(F bedingung)
{
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!bedingung()) {
        if (std::chrono::steady_clock::now() > ende)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

struct ZugAufStrecke : ::testing::Test {
    ZugAufStrecke() : rig(anlage(), false)
    {
        TkvxHard& k = *rig.kvx;
        k.BlockAnzahl = 6;
        k.HBlockAnzahl = 4;
        k.MelderAnzahl = 16;
        k.WeichenAnzahl = 8;
        k.SignalAnzahl = 16;
        k.Taster1Anzahl = 0;
        k.EinDatenBytes = 24;
        k.PortInit();
        seite.tempoSetzen(100);   // steps 12 and 13
        seite.ledAnzahlSetzen({32, 32, 32});
    }

    ~ZugAufStrecke() override
    {
        seite.startSetzen(false);
        if (faden.joinable())
            faden.join();
    }

    // Starts the route thread and waits until its pair has found the train.
    void starten(bool vorwaerts)
    {
        seite.richtungSetzen(vorwaerts);
        seite.tabellenSetzen(satz.tabellen);
        seite.startSetzen(true);
        faden = std::thread([this] { fahrt::kvxGO(*rig.kvx, seite, anzeige); });
        ASSERT_TRUE(warteBis([&] {
            return !anzeige.alle().empty() && rig.card.block(satz.block(zug->zeile())).powered;
        })) << "the pair never reached the train";
        zyklenAbwarten(3);
        gefunden = anzeige.alle().size();
    }

    void zyklenAbwarten(long n)
    {
        const long ziel = anzeige.runden.load() + n;
        ASSERT_TRUE(warteBis([&] { return anzeige.runden.load() >= ziel; }));
    }

    // Train time on by about a seventh of a row at step 12, then three
    // cycles of the thread: the second one has read the inputs after the
    // train moved, the third report comes after that cycle's powering.
    void schritt()
    {
        uhr += std::chrono::milliseconds(350);
        zug->fahren(uhr);
        zyklenAbwarten(3);
    }

    // The blocks under the train, those of the pair and those powered.
    std::set<int> unterDemZug() const
    {
        std::set<int> b;
        for (int r : zug->zeilen())
            b.insert(satz.block(r));
        return b;
    }
    std::set<int> desPaares(Paar p) const { return {satz.block(p.a), satz.block(p.b)}; }
    std::set<int> gepowert() const
    {
        std::set<int> b;
        for (int i = 1; i <= 6; ++i)
            if (rig.card.block(i).powered)
                b.insert(i);
        return b;
    }

    // Runs until the train has come into `zeilen` new rows; after every step
    // the pair holds the train, its first row's block under the train, and
    // only the pair is powered.
    void fahrenBisZeilen(int zeilen)
    {
        int gewechselt = 0;
        for (int i = 0; i < 400 && gewechselt < zeilen; ++i) {
            const int vorher = zug->zeile();
            schritt();
            if (zug->zeile() != vorher)
                ++gewechselt;
            const Paar p = anzeige.letztes();
            const std::set<int> paar = desPaares(p);
            const std::set<int> unter = unterDemZug();
            ASSERT_TRUE(std::includes(paar.begin(), paar.end(), unter.begin(), unter.end()))
                << "train in row " << zug->zeile() << " at " << zug->position() << ", pair " << p.a << "-" << p.b;
            ASSERT_TRUE(unter.count(satz.block(p.a))) << "the pair's first row is the train's, pair " << p.a;
            ASSERT_EQ(gepowert(), paar) << "pair " << p.a << "-" << p.b;
        }
        ASSERT_EQ(gewechselt, zeilen) << "the train got stuck in row " << zug->zeile();
    }

    // The first rows of the pair since the train was found.
    std::vector<int> ersteZeilen() const
    {
        std::vector<int> a;
        const auto p = anzeige.alle();
        for (std::size_t i = gefunden; i < p.size(); ++i)
            a.push_back(p[i].a);
        return a;
    }

    CardRig rig;
    fahrt::StreckenSeite seite;
    Anzeige anzeige;
    std::thread faden;
    Beispiel satz = beispielLesen();
    VirtuellerZug::Uhr::time_point uhr = VirtuellerZug::Uhr::time_point{} + std::chrono::hours(1);
    std::unique_ptr<VirtuellerZug> zug;
    std::size_t gefunden = 0;
};

TEST_F(ZugAufStrecke, SampleSetForwardThePairFollowsTheTrainRoundTheRing)
{
    ASSERT_EQ(satz.zeilen.size(), 20u);
    ASSERT_EQ(satz.block(13), 3);
    zug = std::make_unique<VirtuellerZug>(rig.card, satz.zeilen, 13, uhr);
    starten(true);
    ASSERT_EQ(anzeige.letztes(), (Paar{3, 4})) << "row 3 holds block 3 as well: the pair stops there";

    fahrenBisZeilen(15);
    EXPECT_EQ(zug->zeile(), 13);
    // Block by block the pair has moved one row for every row the train
    // entered: 3 (for 13), 4, .., 15, 1, 2, 3.
    std::vector<int> erwartet;
    for (int i = 1; i <= 15; ++i)
        erwartet.push_back((i + 2) % 15 + 1);
    EXPECT_EQ(ersteZeilen(), erwartet);
    zug->entfernen();
}

TEST_F(ZugAufStrecke, SampleSetBackwardThroughRowOneToRowFifteen)
{
    zug = std::make_unique<VirtuellerZug>(rig.card, satz.zeilen, 3, uhr);
    starten(false);
    ASSERT_EQ(anzeige.letztes(), (Paar{13, 12})) << "searching backward from 1-15, block 3 is first in row 13";
    fahrenBisZeilen(4);
    EXPECT_EQ(zug->zeile(), 14) << "3, 2, 1, 15, 14";
    EXPECT_FALSE(rig.card.block(satz.block(14)).forward);
    // The pair steps when the train's end leaves a row: it is still in row 15.
    EXPECT_EQ(ersteZeilen(), (std::vector<int>{12, 11, 10}));
    zug->entfernen();
}

TEST_F(ZugAufStrecke, AtTheEndOfAShorterRouteTheTrainWaits)
{
    satz.kuerzen(11);
    zug = std::make_unique<VirtuellerZug>(rig.card, satz.zeilen, 9, uhr);
    starten(true);
    fahrenBisZeilen(1);
    for (int i = 0; i < 20; ++i)
        schritt();
    EXPECT_EQ(zug->zeile(), 10);
    EXPECT_EQ(zug->position(), 0.5) << "its head at the end of row 10";
    const kvx::Abbild bild = rig.kvx->Schnappschuss();
    EXPECT_EQ(bild.BlockBelegt[5], 1);
    EXPECT_EQ(bild.MelderBelegt[10], 1) << "VHalt of row 10";
    EXPECT_EQ(bild.MelderBelegt[9], 0) << "RHalt of row 10";
    EXPECT_TRUE(rig.card.block(5).powered) << "the route thread keeps the train's row powered";
    zug->entfernen();
}

}  // namespace
