// TkvxHard through the GPIO backend: every chain operation leaves the layout
// as it does on the direct path to the virtual card, whatever order the lines
// of one port write change in.
#include "gpio_virtuell.h"
#include "gpioports.h"
#include "kvxhard.h"
#include "virtualcard.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace {

using Reihenfolge = GpioVirtuell::Reihenfolge;
using Operation = std::function<void(TkvxHard&, VirtualCard&)>;

struct Fall {
    const char* name;
    Operation op;
};

template <class Liste>
void liste(std::ostream& o, const char* was, const Liste& l)
{
    o << was << ':';
    for (const auto& x : l)
        o << ' ' << +x;
    o << '\n';
}

// What the layout shows and what the component decoded, as one text.
std::string stand(const VirtualCard& c, const TkvxHard& k, const std::vector<int>& zuletzt)
{
    using Chain = VirtualCard::Chain;
    std::ostringstream o;
    for (int b = 1; b <= 24; ++b)
        o << int(c.block(b).byte) << ' ';
    o << '\n';
    for (int n = 1; n <= 3; ++n)
        liste(o, "leds", c.litLeds(n));
    for (Chain ch : {Chain::Block, Chain::Turnout, Chain::Signal, Chain::Led1, Chain::Led2, Chain::Led3})
        liste(o, "register", c.registerStages(ch));
    for (const auto& spulen : c.coilLog()) {
        o << "coils:";
        for (const VirtualCard::Coil& s : spulen)
            o << ' ' << int(s.kind) << '/' << s.number << '/' << s.lage;
        o << '\n';
    }
    o << "snt " << c.keepAlive().level << ' ' << c.keepAlive().edges << '\n';
    liste(o, "belegt", k.BlockBelegt);
    liste(o, "hblock", k.HBlockBelegt);
    liste(o, "melder", k.MelderBelegt);
    liste(o, "eingang2", k.BlockEingang2);
    liste(o, "taster", k.TasterZustand);
    liste(o, "zuletzt", zuletzt);
    return o.str();
}

// Runs the operation on a component over backend, which ends at card.
std::string lauf(PortBackend& backend, VirtualCard& card, const Operation& op)
{
    PortBackend* vorher = setPortBackend(&backend);
    std::string s;
    {
        TkvxHard kvx;
        kvx.Meldung = [](const std::string&) {};
        kvx.AnzahlenSetzen({24, 48, 88, 88, 32, 96, 64, 0, 800, 800, 800});
        kvx.PortInit();
        EXPECT_FALSE(kvx.Simulation);
        op(kvx, card);
        std::vector<int> zuletzt(7, 0);
        kvx.MelderLesen(zuletzt[0], zuletzt[1], zuletzt[2], zuletzt[3]);
        kvx.TasterLesen(zuletzt[4], zuletzt[5], zuletzt[6]);
        s = stand(card, kvx, zuletzt);
    }
    setPortBackend(vorher);
    return s;
}

std::vector<std::uint8_t> bild(int versatz)
{
    std::vector<std::uint8_t> b(801, 0);
    for (std::size_t i = 1; i < b.size(); ++i)
        b[i] = (i * 7 + static_cast<std::size_t>(versatz)) % 5 < 2 ? 1 : 0;
    return b;
}

const Fall Faelle[] = {
    {"BlockSetzen", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(1, 1, 1, 9); k.BlockSetzen(24, 1, 0, 15);
                                                    k.HBlockSetzen(3, 1); k.HBlockSetzen(48, 1); }},
    {"AlleBloeckeAus", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(5, 1, 1, 3); k.AlleBloeckeAus(); }},
    {"WeicheStellen", [](TkvxHard& k, VirtualCard&) { k.WeicheStellen(5, 2); }},
    {"WeicheAus", [](TkvxHard& k, VirtualCard&) { k.WeicheStellen(88, 1); k.WeicheAus(); }},
    {"SignalStellen", [](TkvxHard& k, VirtualCard&) { k.SignalStellen(9); }},
    {"SignalNachWeiche", [](TkvxHard& k, VirtualCard&) { k.WeicheStellen(3, 1); k.SignalStellen(31); k.SignalAus(); }},
    {"LedKetten", [](TkvxHard& k, VirtualCard&) {
         for (int n = 1; n <= 3; ++n) k.LedKetteSchreiben(n, bild(n).data(), 800); }},
    {"LedWaehrendImpuls", [](TkvxHard& k, VirtualCard&) {
         k.WeicheStellen(2, 1); k.LedKetteSchreiben(1, bild(0).data(), 300); k.LedKetteSchreiben(2, bild(4).data(), 30); }},
    {"LedKetteZeigenUndAus", [](TkvxHard& k, VirtualCard&) {
         k.LedKetteZeigen(1, 17); k.LedKetteZeigen(3, 800); k.LedKetteAus(2, 800); k.LedKetteZeigen(2, 1); }},
    {"LedKettenLoeschen", [](TkvxHard& k, VirtualCard&) { k.LedKetteSchreiben(3, bild(2).data(), 800); k.LedKettenLoeschen(); }},
    {"KettenReset", [](TkvxHard& k, VirtualCard&) { k.BlockSetzen(7, 1, 1, 5); k.WeicheStellen(1, 2); k.KettenReset(); }},
    {"Melder", [](TkvxHard&, VirtualCard& c) {
         c.applyPattern(VirtualCard::Pattern::WalkingOccupancy, 5); c.setBlockInput2(6, true); }},
    {"Taster", [](TkvxHard&, VirtualCard& c) { c.applyPattern(VirtualCard::Pattern::AllButtonsPressed); }},
    {"SntLeitung", [](TkvxHard& k, VirtualCard&) {
         k.SntEin(); k.SntAus(); k.SntEin(); k.LedKetteSchreiben(3, bild(1).data(), 40); k.SntEin(); }},
};

struct Ordnung {
    const char* name;
    Reihenfolge reihenfolge;
    unsigned saat;
};

const Ordnung Ordnungen[] = {
    {"aufsteigend", Reihenfolge::Aufsteigend, 1},   {"absteigend", Reihenfolge::Absteigend, 1},
    {"setzenZuerst", Reihenfolge::SetzenZuerst, 1}, {"loeschenZuerst", Reihenfolge::LoeschenZuerst, 1},
    {"gemischt1", Reihenfolge::Gemischt, 1},        {"gemischt2", Reihenfolge::Gemischt, 77},
};

void PrintTo(const Fall& f, std::ostream* os)
{
    *os << f.name;
}

void PrintTo(const Ordnung& o, std::ostream* os)
{
    *os << o.name;
}

class GpioWieDirekt : public ::testing::TestWithParam<std::tuple<Fall, Ordnung>> {};

TEST_P(GpioWieDirekt, DieAnlageZeigtDasselbe)
{
    const auto& [fall, ordnung] = GetParam();
    VirtualCard direkt;
    const std::string erwartet = lauf(direkt, direkt, fall.op);

    VirtualCard karte;
    const gpio::Plan plan = gpio::vorgabe();
    GpioPorts gpio(plan, std::make_unique<GpioVirtuell>(plan, &karte, ordnung.reihenfolge, ordnung.saat));
    ASSERT_TRUE(gpio.bereit()) << gpio.fehlerText();
    EXPECT_EQ(lauf(gpio, karte, fall.op), erwartet);
}

INSTANTIATE_TEST_SUITE_P(Operationen, GpioWieDirekt, ::testing::Combine(::testing::ValuesIn(Faelle),
                                                                        ::testing::ValuesIn(Ordnungen)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// The orders are real: a write that raised a data line and its clock together
// would shift what the order makes of it (TkvxHard never writes one).
TEST(GpioReihenfolge, DatenUndTaktInEinemWriteHaengenVonDerReihenfolgeAb)
{
    std::vector<bool> erste;
    for (Reihenfolge r : {Reihenfolge::Aufsteigend, Reihenfolge::Absteigend}) {
        VirtualCard karte;
        const gpio::Plan plan = gpio::vorgabe();
        GpioPorts gpio(plan, std::make_unique<GpioVirtuell>(plan, &karte, r));
        gpio.write(kvx::Control1, kvx::ControlWord1);
        gpio.write(kvx::PortB1, 0x88);   // block data (GPIO 7) and block clock (GPIO 15)
        const std::vector<int> stufen = karte.registerStages(VirtualCard::Chain::Block);
        erste.push_back(!stufen.empty() && stufen.front() == 1);
    }
    EXPECT_EQ(erste, (std::vector<bool>{true, false}));
}

// Another map: the same layout, so no line's place is built into the backend.
TEST(GpioZuordnung, VertauschteLeitungenSteuernDieselbeAnlage)
{
    const Operation op = [](TkvxHard& k, VirtualCard& c) {
        c.applyPattern(VirtualCard::Pattern::AllOccupied);
        k.BlockSetzen(2, 1, 0, 4);
        k.LedKetteZeigen(3, 5);
        k.SignalStellen(2);
    };
    VirtualCard direkt;
    const std::string erwartet = lauf(direkt, direkt, op);

    gpio::Plan plan = gpio::vorgabe();
    plan.chip = "gpiochip4";
    for (unsigned& l : plan.leitung)
        l = 100 - l;
    VirtualCard karte;
    GpioPorts gpio(plan, std::make_unique<GpioVirtuell>(plan, &karte));
    EXPECT_EQ(lauf(gpio, karte, op), erwartet);
}

}  // namespace
