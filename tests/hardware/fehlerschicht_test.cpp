// TkvxHard against the virtual card with wiring faults: what the layout then
// shows for what the program writes, and what the program reads for what the
// layout reports.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <sstream>
#include <thread>

namespace {

using Uhr = VirtualCard::Clock;

// "3,5-7": the numbers in ranges.
std::string bereiche(const std::vector<int>& n)
{
    std::ostringstream os;
    for (std::size_t i = 0; i < n.size();) {
        std::size_t j = i;
        while (j + 1 < n.size() && n[j + 1] == n[j] + 1)
            ++j;
        os << (i ? "," : "") << n[i];
        if (j > i)
            os << '-' << n[j];
        i = j + 1;
    }
    return os.str();
}

void teil(std::string& out, const char* name, const std::vector<int>& n)
{
    if (!n.empty())
        out += (out.empty() ? "" : " ") + std::string(name) + bereiche(n);
}

// What the layout shows: blocks with power ("B5=7v": step 7 forward),
// auxiliary blocks on, lit LEDs per chain, powered turnout stages and signal coils.
std::string zeigt(const VirtualCard& card)
{
    std::string out;
    for (int b = 1; b <= 24; ++b) {
        const VirtualCard::BlockState s = card.block(b);
        if (s.powered)
            out += (out.empty() ? "B" : " B") + std::to_string(b) + "=" + std::to_string(s.speed) + (s.forward ? "v" : "r");
    }
    std::vector<int> h;
    for (int n = 1; n <= 48; ++n)
        if (card.hblockOn(n))
            h.push_back(n);
    teil(out, "H", h);
    teil(out, "L1:", card.litLeds(1));
    teil(out, "L2:", card.litLeds(2));
    teil(out, "L3:", card.litLeds(3));
    std::vector<int> w, s;
    for (const VirtualCard::Coil& c : card.poweredCoils())
        (c.kind == VirtualCard::Coil::Kind::Turnout ? w : s).push_back(c.kind == VirtualCard::Coil::Kind::Turnout
                                                                            ? 2 * c.number - 2 + c.lage
                                                                            : c.number);
    teil(out, "W", w);
    teil(out, "S", s);
    return out;
}

void setzen(VirtualCard& card, const char* liste, std::uint64_t seed = 1)
{
    const verdrahtung::Lesung l = verdrahtung::lesen(liste, card.layout());
    ASSERT_EQ(l.meldung, "");
    card.setFehler(l.fehler, seed);
}

struct Ausgabe {
    const char* fehler;
    std::function<void(TkvxHard&)> tun;
    const char* zeigt;
    bool fehlerDanach = false;   // the fault comes while the outputs are latched
};

TEST(Verdrahtungsfehler, OutputsShowWhereTheWiresLead)
{
    const std::vector<Ausgabe> faelle = {
        {"", [](TkvxHard& k) { k.BlockSetzen(5, 1, 1, 7); }, "B5=7v"},
        {"tausch:block:5:6", [](TkvxHard& k) { k.BlockSetzen(5, 1, 1, 7); }, "B6=7v"},
        {"tausch:block:5:6", [](TkvxHard& k) { k.HBlockSetzen(9, 1); }, "H9"},
        {"tot:block:5", [](TkvxHard& k) { k.BlockSetzen(5, 1, 1, 7); }, ""},
        {"tot:block:5", [](TkvxHard& k) { k.BlockSetzen(5, 1, 1, 7); }, "", true},
        {"tausch:hblock:1:4", [](TkvxHard& k) { k.HBlockSetzen(1, 1); }, "H4"},
        {"tot:led:1037", [](TkvxHard& k) { k.LedKetteZeigen(2, 37); }, ""},
        {"tot:led:1037", [](TkvxHard& k) { k.LedKetteZeigen(2, 37); }, "", true},
        {"tot:led:1037", [](TkvxHard& k) { k.LedKetteZeigen(1, 37); }, "L1:37"},
        {"tausch:led:2001:2800", [](TkvxHard& k) { k.LedKetteZeigen(3, 800); }, "L3:1"},
        {"bruch:led1:2", [](TkvxHard& k) { k.LedKetteZeigen(1, 5); }, "L1:5,65-800"},
        {"fehlt:led1:2", [](TkvxHard& k) { k.LedKetteZeigen(1, 40); }, "L1:72"},
        {"fehlt:led1:2", [](TkvxHard& k) { k.LedKetteZeigen(1, 5); }, "L1:5"},
        {"fehlt:led1:2", [](TkvxHard& k) { k.LedKetteZeigen(1, 790); }, ""},
        {"fehlt:led1:2", [](TkvxHard& k) { k.LedKetteZeigen(1, 40); }, "", true},   // card 2's LEDs go dark
        {"tausch:weiche:5:6", [](TkvxHard& k) { k.WeicheStellen(5, 2); }, "W12"},
        {"tot:weiche:5", [](TkvxHard& k) { k.WeicheStellen(5, 1); }, ""},
        {"bruch:weiche:10", [](TkvxHard& k) { k.WeicheStellen(1, 1); }, "W1,161-176"},
        {"bruch:weiche:10", [](TkvxHard& k) { k.WeicheAus(); }, ""},   // no pulse, no coil
        {"tausch:signal:1:2", [](TkvxHard& k) { k.SignalStellen(0); }, "S2"},
        {"fehlt:signal:1", [](TkvxHard& k) { k.SignalStellen(2); }, "S19"},
        {"bruch:block:11", [](TkvxHard& k) { k.BlockSetzen(1, 1, 1, 7); }, "B1=7v B23=15v B24=15v H45-48"},
        {"fehlt:block:1", [](TkvxHard& k) { k.BlockSetzen(2, 1, 0, 3); }, "B4=3r"},
    };
    for (const Ausgabe& f : faelle) {
        SCOPED_TRACE(std::string(f.fehler) + (f.fehlerDanach ? " (danach)" : "") + " -> " + f.zeigt);
        CardRig rig;
        if (!f.fehlerDanach)
            setzen(rig.card, f.fehler);
        f.tun(*rig.kvx);
        if (f.fehlerDanach)
            setzen(rig.card, f.fehler);
        EXPECT_EQ(zeigt(rig.card), f.zeigt);
    }
}

// What the decoders make of the input lines: "b3 m5,7 t1:2" (occupied
// blocks, auxiliary blocks, detectors, second inputs, pressed block-card
// buttons, auxiliary-block-card buttons, chain-1 buttons).
std::string liest(TkvxHard& k)
{
    int a = 0, b = 0, c = 0, d = 0;
    k.MelderLesen(a, b, c, d);
    k.TasterLesen(a, b, c);
    std::string out;
    auto bild = [&out](const char* name, const auto& image, int von, int bis) {
        std::vector<int> n;
        for (int i = von; i <= bis; ++i)
            if (image[static_cast<std::size_t>(i)])
                n.push_back(i - von + 1);
        teil(out, name, n);
    };
    bild("b", k.BlockBelegt, 1, 24);
    bild("h", k.HBlockBelegt, 1, 48);
    bild("m", k.MelderBelegt, 1, 88);
    bild("e2:", k.BlockEingang2, 1, 24);
    bild("bt", k.TasterZustand, 1, 48);
    bild("ht", k.TasterZustand, 201, 248);
    bild("t1:", k.TasterZustand, 513, 576);
    return out;
}

struct Eingabe {
    const char* fehler;
    std::function<void(TkvxHard&, VirtualCard&)> tun;
    const char* liest;
};

TEST(Verdrahtungsfehler, InputsReadWhatTheLinesDeliver)
{
    const std::vector<Eingabe> faelle = {
        {"", [](TkvxHard&, VirtualCard& c) { c.setMelder(3, true); }, "m3"},
        {"tausch:melder:3:5", [](TkvxHard&, VirtualCard& c) { c.setMelder(3, true); }, "m5"},
        {"tot:melder:3", [](TkvxHard&, VirtualCard& c) { c.setMelder(3, true); }, ""},
        {"haengt:melder:7", [](TkvxHard&, VirtualCard&) {}, "m7"},
        {"haengt:taster1:2", [](TkvxHard&, VirtualCard&) {}, "t1:2"},
        {"haengt:hblocktaster:6", [](TkvxHard&, VirtualCard&) {}, "ht6"},
        {"tausch:blockbelegt:1:2", [](TkvxHard&, VirtualCard& c) { c.setBlockOccupied(1, true); }, "b2"},
        {"tot:blocktaster:3", [](TkvxHard&, VirtualCard& c) { c.setBlockButton(3, true); }, ""},
        {"bruch:melder:3", [](TkvxHard&, VirtualCard& c) { c.setMelder(4, true); }, "m4,25-88"},
        {"bruch:blockein:11", [](TkvxHard&, VirtualCard&) {}, "b23-24 e2:23-24 bt45-48"},
        {"bruch:taster1:1", [](TkvxHard&, VirtualCard&) {}, "t1:33-64"},
        {"fehlt:melder:2", [](TkvxHard&, VirtualCard& c) { c.setMelder(20, true); c.setMelder(5, true); }, "m5,12"},
        {"fehlt:melder:11", [](TkvxHard&, VirtualCard& c) { c.setMelder(84, true); }, ""},
        {"fehlt:hblockein:1", [](TkvxHard&, VirtualCard& c) { c.setHBlockOccupied(5, true); }, "h1"},
        {"", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); }, ""},
        {"last:block:5", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); }, "b5"},
        {"last:block:5", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(6, 1, 1, 3); }, ""},
        {"last:block:alle", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); k.BlockSetzen(24, 1, 0, 0); }, "b5,24"},
        {"last:hblock:3", [](TkvxHard& k, VirtualCard&) { k.HBlockSetzen(3, 1); }, "h3"},
        {"tausch:block:5:6,last:block:6", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); }, "b6"},
        {"tot:block:5,last:block:5", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); }, ""},
    };
    for (const Eingabe& f : faelle) {
        SCOPED_TRACE(std::string(f.fehler) + " -> " + f.liest);
        CardRig rig;
        setzen(rig.card, f.fehler);
        f.tun(*rig.kvx, rig.card);
        EXPECT_EQ(liest(*rig.kvx), f.liest);
    }
}

// Detector 4 of a free layout read every 10 ms of the card's clock for 20 s;
// returns 1 for each cycle in which it read occupied.
std::vector<int> flackern(std::uint64_t seed, bool belegt, std::string* andere = nullptr)
{
    CardRig rig;
    const Uhr::time_point start = Uhr::time_point{} + std::chrono::hours(1);
    std::atomic<long long> ms{0};
    rig.card.setClock([&] { return start + std::chrono::milliseconds(ms.load()); });
    setzen(rig.card, "flackert:melder:4", seed);
    rig.card.setMelder(4, belegt);
    std::vector<int> gelesen;
    for (; ms < 20000; ms += 10) {
        int a = 0, b = 0, c = 0, d = 0;
        rig.kvx->MelderLesen(a, b, c, d);
        gelesen.push_back(rig.kvx->MelderBelegt[4] != belegt);
        for (int m = 1; m <= 88 && andere; ++m)
            if (m != 4 && rig.kvx->MelderBelegt[static_cast<std::size_t>(m)])
                *andere += std::to_string(m) + " ";
    }
    return gelesen;
}

TEST(Verdrahtungsfehler, AFlickeringInputDropsOutAFewTimesASecondRepeatably)
{
    for (const bool belegt : {false, true}) {
        SCOPED_TRACE(belegt ? "belegt" : "frei");
        std::string andere;
        const std::vector<int> aus = flackern(7, belegt, &andere);
        EXPECT_EQ(andere, "");
        // Every drop-out lasts 60..150 ms, every half second has one.
        int seit = 0, laenge = 0, ausfaelle = 0;
        for (std::size_t i = 0; i < aus.size(); ++i) {
            seit = aus[i] ? 0 : seit + 1;
            ASSERT_LT(seit, 50) << "at " << 10 * i << " ms";
            if (aus[i]) {
                ++laenge;
            } else if (laenge > 0) {
                EXPECT_GE(laenge, 6);
                EXPECT_LE(laenge, 15);
                laenge = 0;
                ++ausfaelle;
            }
        }
        EXPECT_GE(ausfaelle, 40);   // 20 s at 2..6 a second
        EXPECT_LE(ausfaelle, 125);
        EXPECT_EQ(flackern(7, belegt), aus);
        EXPECT_NE(flackern(8, belegt), aus);
    }
}

// Faults set and read while another thread drives the card.
TEST(Verdrahtungsfehler, SetWhileTheCardRuns)
{
    CardRig rig;
    std::atomic<bool> fertig{false};
    std::thread fahrt([&] {
        for (int i = 0; !fertig; ++i) {
            rig.kvx->BlockSetzen(static_cast<std::uint8_t>(1 + i % 24), 1, 1, 5);
            int a = 0, b = 0, c = 0, d = 0;
            rig.kvx->MelderLesen(a, b, c, d);
        }
    });
    for (int i = 0; i < 200; ++i)
        setzen(rig.card, i % 2 ? "tausch:block:1:2,last:block:alle,flackert:melder:1" : "bruch:blockein:3");
    fertig = true;
    fahrt.join();
    EXPECT_EQ(verdrahtung::text(rig.card.fehler()), "tausch:block:1:2,last:block:alle,flackert:melder:1");
}

}  // namespace
