// The block check where faults meet: a block chain that powers blocks all the
// time ends the check at the rest with the supply off; a missing card beside
// a second fault; answers that a stuck input hides; names that read back
// through --fehler as the same wiring.
#include "pruefstand.h"

#include <gtest/gtest.h>

namespace {

VirtualLayout anlage(int blockKarten, int hBlockKarten)
{
    VirtualLayout l;
    l.blockCards = blockKarten;
    l.hblockCards = hBlockKarten;
    l.melderCards = 1;
    l.taster1Cards = 1;
    return l;
}

bool enthaelt(const std::vector<std::string>& texte, const std::string& teil)
{
    return std::any_of(texte.begin(), texte.end(), [&](const std::string& t) { return t.find(teil) != std::string::npos; });
}

// Watches the block chain's latches: the most elements of a range that had
// power at once after the rest.
struct Wache final : PortBackend {
    Wache(VirtualCard& k, int bloecke, int hBloecke) : karte(k), b(bloecke), h(hBloecke) {}
    bool enable(std::uint16_t a, std::uint16_t z) override { return karte.enable(a, z); }
    std::uint8_t read(std::uint16_t port) override { return karte.read(port); }
    void write(std::uint16_t port, std::uint8_t v) override
    {
        karte.write(port, v);
        if (port == 0x306 && v == 0x01)
            ++pulse;
        if (port != 0x301 || v != 0x10)
            return;
        int an = 0;
        for (int n = 1; n <= b; ++n)
            an += karte.block(n).powered ? 1 : 0;
        for (int n = 1; n <= h; ++n)
            an += karte.hblockOn(n) ? 1 : 0;
        meiste = std::max(meiste, an);
    }
    VirtualCard& karte;
    int b, h;
    int meiste = 0;
    int pulse = 0;
};

// A broken block chain gives blocks full power all the time: the rest names
// the break at the right card (also before card 1, also beside a dead
// occupancy line) and the check switches nothing on after it.
TEST(Blockpruefung, BrokenBlockChainIsNamedAndEndsTheCheckWithTheSupplyOff)
{
    struct {
        VirtualLayout layout;
        const char* fehler;
        std::vector<std::string> befunde;
    } const faelle[] = {
        {anlage(2, 1), "bruch:block:0", {"bruch:block:0"}},
        {anlage(2, 1), "bruch:block:1", {"bruch:block:1"}},
        {mittlereAnlage(), "bruch:block:0,tot:blockbelegt:5", {"bruch:block:0", "tot:block:5"}},
        {mittlereAnlage(), "tot:blockbelegt:9,bruch:block:3", {"bruch:block:3", "tot:block:9"}},
        {mittlereAnlage(), "bruch:block:4,tot:hblockbelegt:21", {"bruch:block:4", "tot:hblock:21"}},
    };
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.fehler);
        Pruefstand p(f.layout);
        p.fehler(Lasten + "," + f.fehler);
        const pruefung::Ergebnis e = p.pruefen(true);
        EXPECT_FALSE(e.abgebrochen);
        EXPECT_EQ(texte(e), f.befunde);
        EXPECT_TRUE(e.netzteilAus);
        ASSERT_EQ(e.hinweise.size(), 1u);
        EXPECT_NE(e.hinweise[0].find("das Netzteil ist aus"), std::string::npos);
        EXPECT_NE(e.hinweise[0].find("kein Block einzeln eingeschaltet"), std::string::npos);
    }

    // On the card: the blocks of card 1 never get power, the keep-alive line
    // stops with the rest and is low.
    Pruefstand p(anlage(2, 1));
    p.fehler(Lasten + ",bruch:block:1");
    Wache w(p.rig.card, 2, 4);
    PortBackend* alt = setPortBackend(&w);
    pruefung::Zeiten z;
    const pruefung::Ergebnis e = pruefung::pruefen(*p.rig.kvx, p.steuerung, z, true);
    setPortBackend(alt);
    EXPECT_TRUE(e.netzteilAus);
    EXPECT_EQ(w.meiste, 0);
    EXPECT_EQ(w.pulse, z.ruheZyklen + 1);   // the start pulse and one per rest cycle
    EXPECT_EQ(p.steuerung.erledigt.load(), z.ruheZyklen);
    EXPECT_EQ(p.steuerung.schritte.load(), z.ruheZyklen);
    EXPECT_EQ(p.rig.card.read(0x306) & 0x01, 0);

    // Without loads nothing shows at rest: the check runs on as before.
    p.fehler("bruch:block:1");
    EXPECT_FALSE(p.pruefen(true).netzteilAus);
}

}  // namespace
