// TkvxHard against the virtual card: start-up, simulation, the reset of all
// chains, LED clearing and write-out, and the keep-alive line.
#include "cardrig.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Chain = VirtualCard::Chain;
using Access = VirtualCard::Access;

// Puts something on every output chain.
void fillOutputs(CardRig& rig)
{
    rig.kvx->BlockSetzen(3, 1, 1, 7);
    rig.kvx->HBlockSetzen(48, 1);
    rig.kvx->LedKetteZeigen(1, 800);
    rig.kvx->LedKetteZeigen(2, 37);
    rig.kvx->LedKetteZeigen(3, 1);
    rig.kvx->WeicheStellen(88, 2);
    // A stray start bit in the signal chain as well (a pulse ends the one
    // before it, so only raw writes leave bits in both coil chains).
    for (std::uint8_t v : {0x01, 0x05, 0x00})
        PortSchreiben(0x301, v);
    rig.kvx->SntEin();
}

TEST(KvxStart, PortInitProgramsBothChipsAndLeavesSimulation)
{
    CardRig rig({}, false);
    EXPECT_EQ(rig.card.enableCalls(), 36) << "construction asks for 0x300..0x31F and 0x330..0x333 one by one";
    rig.card.setTracing(true);
    rig.kvx->PortInit();
    EXPECT_FALSE(rig.kvx->Simulation);
    EXPECT_TRUE(rig.messages.empty());
    EXPECT_EQ(rig.card.trace(), (std::vector<Access>{{0x303, 0x89, true}, {0x307, 0x82, true}}));
    EXPECT_TRUE(rig.card.isOutput(0x300));
    EXPECT_TRUE(rig.card.isOutput(0x301));
    EXPECT_FALSE(rig.card.isOutput(0x302));
    EXPECT_TRUE(rig.card.isOutput(0x306));
}

// Every operation of the component, for the simulation checks.
void everyOperation(TkvxHard& kvx, int& sink)
{
    int a = -1, b = -1, c = -1, d = -1;
    kvx.KettenReset();
    kvx.LedKettenLoeschen();
    kvx.SntEin();
    kvx.SntAus();
    kvx.DatenLoeschen();
    kvx.MelderLesen(a, b, c, d);
    sink += a + b + c + d;
    kvx.TasterLesen(a, b, c);
    sink += a + b + c;
    kvx.BlockSetzen(1, 1, 1, 7);
    kvx.HBlockSetzen(3, 1);
    kvx.AlleBloeckeAus();
    kvx.WeicheStellen(5, 2);
    kvx.WeicheAus();
    kvx.SignalStellen(15);
    kvx.SignalAus();
    const std::uint8_t bild[4] = {0, 1, 1, 1};
    kvx.LedKetteSchreiben(1, bild, 3);
    kvx.LedKetteZeigen(2, 37);
    kvx.LedKetteAus(3, 800);
    kvx.LedKetteLatch(1);
}

TEST(KvxSimulation, WithoutPortAccessTheMessageComesOnceAndNoPortIsTouched)
{
    NoPortAccess none;
    PortBackend* previous = setPortBackend(&none);
    {
        TkvxHard kvx;
        std::vector<std::string> messages;
        kvx.Meldung = [&](const std::string& text) { messages.push_back(text); };
        kvx.PortInit();
        EXPECT_TRUE(kvx.Simulation);
        ASSERT_EQ(messages, std::vector<std::string>{"Kein Porttreiber installiert, Programm läuft als Simulation!"});

        // NoPortAccess throws on any access: an operation that touched a port would throw here.
        int sink = 0;
        EXPECT_NO_THROW(everyOperation(kvx, sink));
        EXPECT_EQ(sink, -7) << "the decoders reported something";
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_EQ(kvx.BlockBytes[1], 0) << "no change of state in simulation";
        EXPECT_EQ(kvx.SpulenPos, 0);
        EXPECT_EQ(kvx.Impuls, 0);
    }
    setPortBackend(previous);
}

TEST(KvxSimulation, ARefusingCardSeesOnlyTheFirstControlWord)
{
    VirtualLayout layout;
    layout.portAccess = false;
    CardRig rig(layout);
    EXPECT_TRUE(rig.kvx->Simulation);
    EXPECT_EQ(rig.messages.size(), 1u);
    rig.card.resetCounters();
    rig.card.setMelder(17, true);
    int sink = 0;
    everyOperation(*rig.kvx, sink);
    EXPECT_EQ(rig.accesses(), 0);
    EXPECT_EQ(rig.kvx->MelderBelegt[17], 0);
}

TEST(KvxReset, ClearsEveryChainIn7206Writes)
{
    CardRig rig;
    fillOutputs(rig);
    rig.card.resetCounters();
    rig.kvx->KettenReset();
    EXPECT_EQ(rig.card.writes(), 7206);
    EXPECT_EQ(rig.card.reads(), 0);
    EXPECT_EQ(rig.card.writesTo(0x300), 2400);
    EXPECT_EQ(rig.card.writesTo(0x301), 2402);
    EXPECT_EQ(rig.card.writesTo(0x306), 2402);
    for (Chain c : {Chain::Block, Chain::Turnout, Chain::Signal, Chain::Led1, Chain::Led2, Chain::Led3}) {
        EXPECT_TRUE(rig.card.registerStages(c).empty()) << "chain " << static_cast<int>(c);
        EXPECT_TRUE(rig.card.outputStages(c).empty()) << "chain " << static_cast<int>(c);
    }
    EXPECT_EQ(rig.card.outputLatch(0x300), 0);
    EXPECT_EQ(rig.card.outputLatch(0x301), 0);
    EXPECT_EQ(rig.card.outputLatch(0x306), 0);
    EXPECT_FALSE(rig.card.keepAlive().level);
}

TEST(KvxReset, DuringACoilPulseCutsItButImpulsComesBackWithTheNextInputRead)
{
    CardRig rig;
    rig.kvx->WeicheStellen(5, 2);
    ASSERT_EQ(rig.card.poweredCoils(), std::vector<VirtualCard::Coil>{turnoutCoil(5, 2)});

    rig.kvx->KettenReset();
    EXPECT_FALSE(rig.card.coilEnable());
    EXPECT_TRUE(rig.card.poweredCoils().empty());
    EXPECT_EQ(rig.kvx->Impuls, 0x04);

    int a = 0, b = 0, c = 0, d = 0;
    rig.kvx->MelderLesen(a, b, c, d);
    EXPECT_TRUE(rig.card.coilEnable()) << "the input read writes bit 2 again";
    EXPECT_TRUE(rig.card.poweredCoils().empty()) << "but no coil is selected in the cleared chains";

    rig.kvx->KettenReset();
    rig.kvx->LedKettenLoeschen();
    EXPECT_TRUE(rig.card.coilEnable()) << "so does the LED clearing";

    rig.kvx->WeicheAus();
    EXPECT_FALSE(rig.card.coilEnable());
    EXPECT_EQ(rig.kvx->Impuls, 0);
}

TEST(KvxLedClear, ClearsTheThreeChainsIn4809WritesAndKeepsACoilPulse)
{
    CardRig rig;
    fillOutputs(rig);
    ASSERT_EQ(rig.card.litLeds(2), std::vector<int>{37});
    rig.card.clearCoilLog();
    rig.card.resetCounters();
    rig.kvx->LedKettenLoeschen();
    EXPECT_EQ(rig.card.writes(), 4809);
    for (int chain = 1; chain <= 3; ++chain)
        EXPECT_TRUE(rig.card.litLeds(chain).empty()) << "LED chain " << chain;
    EXPECT_EQ(rig.card.poweredCoils(), (std::vector<VirtualCard::Coil>{turnoutCoil(88, 2), signalCoil(1)}))
        << "the LED clocks must not clock the coil chains";
    EXPECT_TRUE(rig.card.coilLog().empty()) << "the coil pulse was interrupted";
    EXPECT_TRUE(rig.card.block(3).powered) << "the block chain is not touched";
}

TEST(KvxLedClear, SequenceMergesTheRestingValueOfPort300)
{
    CardRig rig;
    rig.kvx->SignalStellen(0);
    rig.card.setTracing(true);
    rig.kvx->LedKettenLoeschen();
    std::vector<Access> expected;
    auto w = [&](std::uint16_t port, std::uint8_t v) { expected.push_back({port, v, true}); };
    for (std::uint8_t clock : {std::uint8_t{0x80}, std::uint8_t{0x20}}) {
        w(0x300, 0x04);
        for (int i = 0; i < 800; ++i)
            w(0x300, 0x04 | clock), w(0x300, 0x04);
        w(0x301, clock == 0x80 ? 0x20 : 0x40);
        w(0x301, 0x00);
    }
    w(0x306, 0x00);
    for (int i = 0; i < 800; ++i)
        w(0x306, 0x20), w(0x306, 0x00);
    w(0x306, 0x40);
    w(0x306, 0x00);
    EXPECT_EQ(rig.card.trace(), expected);
}

struct LedCase {
    int chain;
    int led;
};

void PrintTo(const LedCase& c, std::ostream* os)
{
    *os << "LED " << c.led << " of chain " << c.chain;
}

class KvxLedShow : public ::testing::TestWithParam<LedCase> {};

TEST_P(KvxLedShow, LightsExactlyThatLedIn2nPlus3Writes)
{
    const LedCase c = GetParam();
    CardRig rig;
    rig.kvx->LedKettenLoeschen();
    rig.card.resetCounters();
    rig.kvx->LedKetteZeigen(c.chain, c.led);
    EXPECT_EQ(rig.card.writes(), 2 * c.led + 3);
    for (int chain = 1; chain <= 3; ++chain)
        EXPECT_EQ(rig.card.litLeds(chain), chain == c.chain ? std::vector<int>{c.led} : std::vector<int>{});

    // Clearing clocks as many zeros as the chain has LEDs.
    rig.card.resetCounters();
    rig.kvx->LedKetteAus(c.chain, 800);
    EXPECT_EQ(rig.card.writes(), 2 * 800 + 3);
    EXPECT_TRUE(rig.card.litLeds(c.chain).empty());
}

INSTANTIATE_TEST_SUITE_P(Leds, KvxLedShow, ::testing::Values(
    LedCase{1, 1}, LedCase{1, 800}, LedCase{2, 37}, LedCase{2, 32}, LedCase{3, 33}, LedCase{3, 799}));

TEST(KvxLedWriteOut, AnImageShowsLedForLed)
{
    CardRig rig;
    rig.kvx->LedKettenLoeschen();
    std::array<std::uint8_t, kvx::MaxLeds + 1> bild{};
    for (int n : {1, 2, 17, 100, 800})
        bild[static_cast<std::size_t>(n)] = 1;
    rig.card.resetCounters();
    rig.kvx->LedKetteSchreiben(3, bild.data(), 800);
    EXPECT_EQ(rig.card.litLeds(3), (std::vector<int>{1, 2, 17, 100, 800}));
    const long ones = 5, zeros = 795;
    EXPECT_EQ(rig.card.writes(), 3 * ones + 2 * zeros + 2);
}

TEST(KvxLedWriteOut, ZeroLedsIsALatchPulseThatShowsWhatTheRegistersHold)
{
    CardRig rig;
    rig.kvx->LedKettenLoeschen();
    // Shift LED 5 into chain 1 by hand, without latching it.
    for (std::uint8_t v : {0x40, 0xC0, 0x00})
        PortSchreiben(0x300, v);
    for (int i = 0; i < 4; ++i) {
        PortSchreiben(0x300, 0x80);
        PortSchreiben(0x300, 0x00);
    }
    ASSERT_TRUE(rig.card.litLeds(1).empty());
    rig.card.setTracing(true);
    const std::uint8_t bild[1] = {0};
    rig.kvx->LedKetteSchreiben(1, bild, 0);
    EXPECT_EQ(rig.card.trace(), (std::vector<Access>{{0x301, 0x20, true}, {0x301, 0x00, true}}));
    EXPECT_EQ(rig.card.litLeds(1), std::vector<int>{5});
}

TEST(KvxLedWriteOut, ChainNumberOutsideOneToThreeWritesNothing)
{
    CardRig rig;
    const std::uint8_t bild[2] = {0, 1};
    for (int chain : {0, 4, -1}) {
        rig.kvx->LedKetteZeigen(chain, 1);
        rig.kvx->LedKetteAus(chain, 1);
        rig.kvx->LedKetteSchreiben(chain, bild, 1);
        rig.kvx->LedKetteLatch(chain);
    }
    EXPECT_EQ(rig.card.writes(), 0);
}

TEST(KvxKeepAlive, SntEinAndSntAusWriteTheWholePort)
{
    CardRig rig;
    rig.kvx->LedKetteZeigen(3, 1);
    PortSchreiben(0x306, 0x74);   // LED 3 data, clock and latch and the further clock high
    rig.card.setTracing(true);
    rig.kvx->SntEin();
    EXPECT_EQ(rig.card.outputLatch(0x306), 0x01);
    EXPECT_TRUE(rig.card.keepAlive().level);
    rig.kvx->SntAus();
    EXPECT_EQ(rig.card.outputLatch(0x306), 0x00);
    EXPECT_EQ(rig.card.trace(), (std::vector<Access>{{0x306, 0x01, true}, {0x306, 0x00, true}}));
    const VirtualCard::KeepAlive k = rig.card.keepAlive();
    EXPECT_FALSE(k.level);
    EXPECT_EQ(k.edges, 2);
}

}  // namespace
