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

// The findings in their order, as one --fehler list.
std::string alsListe(const pruefung::Ergebnis& e)
{
    std::string l;
    for (const pruefung::Befund& b : e.befunde)
        l += (l.empty() ? "" : ",") + b.text();
    return l;
}

// Loads on every block and auxiliary block but block ohne.
std::string lastenOhne(int bloecke, int ohne)
{
    std::string l = "last:hblock:alle";
    for (int b = 1; b <= bloecke; ++b)
        if (b != ohne)
            l += ",last:block:" + std::to_string(b);
    return l;
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
        {anlage(5, 3), "tot:block:7,bruch:block:0,tot:hblock:2", {"bruch:block:0", "tot:block:7", "tot:hblock:2"}},
        {anlage(5, 3), "tot:blockbelegt:9,bruch:block:1", {"bruch:block:1", "tot:block:9"}},
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

// A missing card beside a second fault on a card behind it: the shift is
// explained first, then what remains is judged; the findings fed back into
// --fehler give the same findings again.
TEST(Blockpruefung, MissingCardBesideASecondFaultGivesBothAndNoCascade)
{
    struct {
        std::string lasten, fehler;
        std::vector<std::string> befunde;
    } const faelle[] = {
        {Lasten, "fehlt:block:2,tot:block:9", {"fehlt:block:2", "tot:block:9"}},
        {Lasten, "fehlt:hblockein:1,tot:hblock:10", {"fehlt:hblockein:1", "tot:hblock:10"}},
        {Lasten, "fehlt:blockein:1,tausch:block:5:6", {"fehlt:blockein:1", "tausch:block:5:6"}},
        {lastenOhne(10, 4), "fehlt:block:1", {"fehlt:block:1", "tot:block:4"}},
        {Lasten, "fehlt:block:3,tausch:hblock:2:3", {"fehlt:block:3", "tausch:hblock:2:3"}},
        {Lasten, "fehlt:blockein:4,tot:blockbelegt:3", {"fehlt:blockein:4", "tot:block:3"}},
        {Lasten, "fehlt:block:3,haengt:blockbelegt:7,tausch:block:3:4",
         {"fehlt:block:3", "haengt:blockbelegt:7", "tausch:block:3:4"}},
        {Lasten, "fehlt:block:3,tausch:blockbelegt:5:10", {"fehlt:block:3", "tausch:block:5:10"}},
        {Lasten, "fehlt:block:2,tausch:block:2:3", {"fehlt:block:2", "tausch:block:2:3"}},
        {Lasten, "fehlt:blockein:2,haengt:blockbelegt:9,haengt:blocktaster:13",
         {"fehlt:blockein:2", "haengt:blockbelegt:9", "haengt:blocktaster:13"}},
    };
    Pruefstand p(anlage(5, 3));
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.fehler);
        p.fehler(f.lasten + "," + f.fehler);
        const pruefung::Ergebnis e = p.pruefen(true);
        EXPECT_EQ(texte(e), f.befunde);
        p.fehler(Lasten + "," + alsListe(e));
        EXPECT_EQ(texte(p.pruefen(true)), f.befunde) << alsListe(e);
    }
}

// Answers that went round: named as swaps --fehler applies in the order
// given, never a swap for an answer that went one way only; what a stuck
// input hid is not called dead; each sentence says the block check cannot
// tell a power line from an occupancy line.
TEST(Blockpruefung, FindingsFedBackGiveTheSameWiring)
{
    struct {
        std::string lasten, fehler;
        std::string befunde;   // in their order
    } const faelle[] = {
        {Lasten, "tausch:blockbelegt:1:2,tausch:blockbelegt:1:4", "tausch:block:2:4,tausch:block:1:2"},
        {Lasten, "tausch:block:1:3,tausch:block:3:5,tausch:block:5:8", ""},
        {lastenOhne(10, 1), "tausch:block:1:2", "tausch:block:1:2,tot:block:1"},
        {lastenOhne(10, 2), "tausch:blockbelegt:2:7,tausch:blockbelegt:7:9", ""},
        {Lasten, "haengt:blockbelegt:3,tausch:block:3:4", "haengt:blockbelegt:3,tausch:block:3:4"},
        {Lasten, "tausch:hblockbelegt:6:11,haengt:hblockbelegt:6", "haengt:hblockbelegt:6,tausch:hblock:6:11"},
        {Lasten, "tausch:hblock:1:5,tausch:hblock:5:9", ""},
    };
    Pruefstand p(anlage(5, 3));
    for (const auto& f : faelle) {
        SCOPED_TRACE(f.fehler);
        p.fehler(f.lasten + "," + f.fehler);
        const pruefung::Ergebnis e = p.pruefen(true);
        if (!f.befunde.empty()) {
            EXPECT_EQ(alsListe(e), f.befunde);
        }
        for (const pruefung::Befund& b : e.befunde) {
            EXPECT_NE(b.text().rfind("tot:", 0), 0u) << b.satz;
            if (b.fehler.art == verdrahtung::Art::Tausch) {
                EXPECT_NE(b.satz.find("geführte Prüfung „Belegtmeldungen der"), std::string::npos) << b.satz;
            }
        }
        // A missing load reads as a dead line: fed back with every load.
        p.fehler(Lasten + "," + alsListe(e));
        EXPECT_EQ(alsListe(p.pruefen(true)), alsListe(e));
    }
}

// A silent block while a stuck input has room for an answer nobody saw:
// said as not seen, never as dead.
TEST(Blockpruefung, SilentBlockBesideAStuckInputIsNotCalledDead)
{
    pruefung::RuheBild ruhe;
    ruhe.umfang.bloecke = 4;
    for (int i = 0; i < pruefung::EingangsArten; ++i)
        ruhe.zustand[i].assign(static_cast<std::size_t>(ruhe.umfang.anzahl(pruefung::Eingaenge[i]) + 1), 0);
    ruhe.zustand[0][3] = static_cast<std::uint8_t>(pruefung::Ruhe::Belegt);   // block 3's input stuck
    pruefung::BlockBild bild;
    bild.block = {{}, {1}, {}, {4}, {4}};   // 3 answers at 4 beside 4 itself, 2 silent
    const pruefung::Ergebnis e = pruefung::bloeckeAuswerten(ruhe, bild);
    for (const pruefung::Befund& b : e.befunde)
        EXPECT_NE(b.text().rfind("tot:", 0), 0u) << b.text();
    ASSERT_FALSE(e.hinweise.empty());
    EXPECT_EQ(e.hinweise[0].rfind("Block 2 meldet sich nicht", 0), 0u) << e.hinweise[0];
    EXPECT_NE(e.hinweise[0].find("nicht zu sehen"), std::string::npos) << e.hinweise[0];
    EXPECT_NE(e.hinweise[0].find("(3)"), std::string::npos) << e.hinweise[0];
}

// The only block card missing silences every block: the hint names the card
// and its lines beside the missing loads.
TEST(Blockpruefung, SilentBlocksNameTheCardTooAndUnreachedAuxiliaryBlocksAsTheWindowNumbersThem)
{
    Pruefstand p(anlage(1, 1));
    p.fehler(Lasten + ",fehlt:block:1");
    const pruefung::Ergebnis e = p.pruefen(true);
    EXPECT_TRUE(e.bloeckeStumm);
    ASSERT_EQ(e.hinweise.size(), 1u);
    EXPECT_NE(e.hinweise[0].find("ohne Last"), std::string::npos);
    EXPECT_NE(e.hinweise[0].find("fehlt eine Blockkarte"), std::string::npos);

    Pruefstand q(anlage(1, 2));   // auxiliary blocks 5..8 beyond the chain: 205..208 in the window
    q.fehler(Lasten);
    const pruefung::Ergebnis h = q.pruefen(true);
    EXPECT_TRUE(h.befunde.empty());
    ASSERT_EQ(h.hinweise.size(), 1u);
    EXPECT_NE(h.hinweise[0].find("Hilfsblöcke 205 bis 208 (hblock:5 bis 8)"), std::string::npos) << h.hinweise[0];
}

}  // namespace
