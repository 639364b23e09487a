// The wiring check on the virtual card with the faults the card models: each
// fault alone gives exactly its finding, a healthy layout none, seeded sets
// of one to three faults are all found; outputs are never two at once and
// all off at the end, also after a stop.
#include "pruefstand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>

namespace {

struct Fall {
    const char* fehler;     // injected, beside a test load on every block and auxiliary block
    const char* befund;     // what the check names
    bool bloecke;           // needs the block check
};

// Every fault the checks without eyes can see, alone; where two faults give
// the same answers the finding names the output.
const Fall Faelle[] = {
    {"haengt:melder:17", "haengt:melder:17", false},
    {"haengt:blockbelegt:5", "haengt:blockbelegt:5", true},
    {"haengt:hblockbelegt:9", "haengt:hblockbelegt:9", false},
    {"haengt:blocktaster:3", "haengt:blocktaster:3", false},
    {"haengt:hblocktaster:60", "haengt:hblocktaster:60", false},
    {"haengt:taster1:40", "haengt:taster1:40", false},
    {"flackert:melder:100", "flackert:melder:100", false},
    {"flackert:blockbelegt:8", "flackert:blockbelegt:8", true},
    {"flackert:taster1:128", "flackert:taster1:128", false},
    {"flackert:hblocktaster:1", "flackert:hblocktaster:1", false},
    {"bruch:melder:3", "bruch:melder:3", false},
    {"bruch:melder:0", "bruch:melder:0", false},   // between the interface card and card 1
    {"bruch:blockein:6", "bruch:blockein:6", true},
    {"bruch:hblockein:10", "bruch:hblockein:10", false},
    {"bruch:taster1:2", "bruch:taster1:2", false},
    {"bruch:block:8", "bruch:block:8", true},
    {"tausch:block:5:6", "tausch:block:5:6", true},
    {"tausch:block:3:20", "tausch:block:3:20", true},
    {"tausch:blockbelegt:5:6", "tausch:block:5:6", true},
    {"tausch:hblock:3:9", "tausch:hblock:3:9", true},
    {"tausch:hblockbelegt:10:11", "tausch:hblock:10:11", true},
    {"tot:block:7", "tot:block:7", true},
    {"tot:blockbelegt:7", "tot:block:7", true},
    {"tot:hblock:11", "tot:hblock:11", true},
    {"tot:hblockbelegt:20", "tot:hblock:20", true},
    {"fehlt:block:5", "fehlt:block:5", true},
    {"fehlt:blockein:5", "fehlt:blockein:5", true},
    {"fehlt:hblockein:4", "fehlt:hblockein:4", true},
};

TEST(Verdrahtungspruefung, EachFaultAloneGivesExactlyItsFinding)
{
    Pruefstand p(mittlereAnlage());
    for (const Fall& f : Faelle) {
        SCOPED_TRACE(f.fehler);
        p.fehler(Lasten + "," + f.fehler);
        const pruefung::Ergebnis e = p.pruefen(f.bloecke);
        EXPECT_FALSE(e.abgebrochen);
        EXPECT_EQ(texte(e), std::vector<std::string>{f.befund});
        for (const pruefung::Befund& b : e.befunde)
            EXPECT_FALSE(b.satz.empty());
    }
}

TEST(Verdrahtungspruefung, HealthyLargestLayoutGivesNoFinding)
{
    Pruefstand p(groessteAnlage());
    p.fehler(Lasten);
    const pruefung::Ergebnis e = p.pruefen(true);
    EXPECT_FALSE(e.abgebrochen);
    EXPECT_EQ(texte(e), std::vector<std::string>{});
    // Auxiliary blocks 201..256 (401..456 in the window) have no output on the block chain: said once.
    ASSERT_EQ(e.hinweise.size(), 1u);
    EXPECT_NE(e.hinweise[0].find("401 bis 456 (hblock:201 bis 256)"), std::string::npos);
}

TEST(Verdrahtungspruefung, BlocksWithoutLoadAreSaidOnce)
{
    Pruefstand p(kleineAnlage());
    const pruefung::Ergebnis ohne = p.pruefen(true);
    EXPECT_EQ(texte(ohne), std::vector<std::string>{});
    ASSERT_EQ(ohne.hinweise.size(), 1u);
    EXPECT_NE(ohne.hinweise[0].find("ohne Last"), std::string::npos);

    // A load on block 3 alone: the others are silent, each a finding, and the hint once.
    p.fehler("last:block:3,last:hblock:alle");
    const pruefung::Ergebnis teils = p.pruefen(true);
    EXPECT_EQ(teils.befunde.size(), 11u);
    EXPECT_EQ(std::count_if(teils.hinweise.begin(), teils.hinweise.end(),
                            [](const std::string& h) { return h.find("ohne Last") != std::string::npos; }),
              1);
}

// Faults drawn at random from the table, one to three on different elements
// and lines, must all be named and nothing else.
TEST(Verdrahtungspruefung, SeededSetsOfOneToThreeFaultsAreAllFound)
{
    Pruefstand p(kleineAnlage());
    const Fall klein[] = {
        {"haengt:melder:17", "haengt:melder:17", false},  {"flackert:taster1:40", "flackert:taster1:40", false},
        {"bruch:melder:3", "bruch:melder:3", false},      {"bruch:taster1:1", "bruch:taster1:1", false},
        {"haengt:hblocktaster:2", "haengt:hblocktaster:2", false},
        {"tausch:block:1:4", "tausch:block:1:4", true},   {"tot:block:6", "tot:block:6", true},
        {"tot:hblock:5", "tot:hblock:5", true},           {"tausch:hblock:8:9", "tausch:hblock:8:9", true},
        {"fehlt:block:3", "fehlt:block:3", true},         {"fehlt:hblockein:2", "fehlt:hblockein:2", true},
        {"haengt:blockbelegt:2", "haengt:blockbelegt:2", true},
    };
    // Pairs that explain each other's answers the same way to a person are not drawn together.
    const auto vertraeglich = [](const std::vector<int>& wahl, int neu) {
        for (int w : wahl) {
            if (w == neu)
                return false;
            const int a = std::min(w, neu), b = std::max(w, neu);
            if ((a == 1 && b == 3) || (a == 6 && b == 9) || (a == 8 && b == 9) || (a == 7 && b == 10)
                || (a == 8 && b == 10) || (a == 9 && b == 10))
                return false;
        }
        return true;
    };
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        std::mt19937_64 zufall(seed);
        const int n = 1 + static_cast<int>(zufall() % 3);
        std::vector<int> wahl;
        while (static_cast<int>(wahl.size()) < n) {
            const int i = static_cast<int>(zufall() % std::size(klein));
            if (vertraeglich(wahl, i))
                wahl.push_back(i);
        }
        std::string liste = Lasten;
        std::vector<std::string> erwartet;
        for (int i : wahl) {
            liste += std::string(",") + klein[i].fehler;
            erwartet.push_back(klein[i].befund);
        }
        std::sort(erwartet.begin(), erwartet.end());
        SCOPED_TRACE(liste + " seed " + std::to_string(seed));
        p.fehler(liste, seed);
        EXPECT_EQ(texte(p.pruefen(true)), erwartet);
    }
}

// Never two blocks or auxiliary blocks powered at once; every output off at
// the end and after a stop in the middle.
TEST(Verdrahtungspruefung, OneOutputAtATimeAndAllOffAtTheEnd)
{
    Pruefstand p(kleineAnlage());
    p.fehler(Lasten);
    struct Zaehler final : PortBackend {
        explicit Zaehler(VirtualCard& k) : karte(k) {}
        bool enable(std::uint16_t a, std::uint16_t b) override { return karte.enable(a, b); }
        std::uint8_t read(std::uint16_t port) override { return karte.read(port); }
        void write(std::uint16_t port, std::uint8_t v) override
        {
            karte.write(port, v);
            if (port != 0x301 || v != 0x10)   // the block chain's latch
                return;
            int an = 0;
            for (int b = 1; b <= 12; ++b)
                an += (karte.block(b).powered ? 1 : 0) + (karte.hblockOn(b) ? 1 : 0);
            meiste = std::max(meiste, an);
            if (stopNach > 0 && --stopNach == 0)
                stop->store(true);
        }
        VirtualCard& karte;
        int meiste = 0;
        int stopNach = 0;
        std::atomic<bool>* stop = nullptr;
    };
    const auto alleAus = [&p] {
        for (int b = 1; b <= 12; ++b)
            if (p.rig.card.block(b).powered || p.rig.card.hblockOn(b))
                return false;
        return true;
    };
    Zaehler z(p.rig.card);
    z.stop = &p.steuerung.stop;
    PortBackend* alt = setPortBackend(&z);
    p.rig.card.clearCoilLog();
    EXPECT_FALSE(p.pruefen(true).abgebrochen);
    EXPECT_EQ(z.meiste, 1);
    EXPECT_TRUE(alleAus());
    EXPECT_TRUE(p.rig.card.coilLog().empty());   // no coil ever powered

    z.stopNach = 9;   // in the middle of the blocks
    EXPECT_TRUE(p.pruefen(true).abgebrochen);
    EXPECT_TRUE(alleAus());
    setPortBackend(alt);
}

}  // namespace

namespace {

// The window's way: the run on a worker, Stop from another thread while a
// block has power; the worker ends with every output off.
TEST(Verdrahtungspruefung, StopFromAnotherThreadSwitchesEverythingOff)
{
    Pruefstand p(kleineAnlage());
    p.fehler(Lasten);
    pruefung::Zeiten z;
    z.einZyklen = 1000000;   // block 1 stays on until the stop
    pruefung::Ergebnis e;
    std::thread lauf([&] { e = pruefung::pruefen(*p.rig.kvx, p.steuerung, z, true); });
    while (!p.rig.card.block(1).powered)
        std::this_thread::yield();
    EXPECT_GT(p.steuerung.erledigt.load(), 0);
    p.steuerung.stop = true;
    lauf.join();
    EXPECT_TRUE(e.abgebrochen);
    EXPECT_TRUE(e.befunde.empty());
    EXPECT_FALSE(p.rig.card.block(1).powered);
}

}  // namespace
