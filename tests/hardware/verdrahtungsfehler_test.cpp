// The written form of wiring-fault lists: what reads, what it reads as, and
// the German message for every kind of bad item.
#include "verdrahtungsfehler.h"
#include "virtualcard.h"

#include <gtest/gtest.h>

namespace {

using namespace verdrahtung;

struct Gut {
    const char* liste;
    std::vector<Fehler> fehler;
    const char* zurueck;   // text() of the result
};

TEST(Verdrahtungsfehler, ReadsGoodListsAndWritesThemBack)
{
    const VirtualLayout layout;   // 12 block cards, 11 detector cards, 25 cards on each LED chain, ...
    const std::vector<Gut> faelle = {
        {"", {}, ""},
        {"  ", {}, ""},
        {"tausch:block:6:5", {{Art::Tausch, Element::Block, Kette::Block, 5, 6}}, "tausch:block:5:6"},
        {"tot:led:1037", {{Art::Tot, Element::Led, Kette::Block, 1037, 0}}, "tot:led:1037"},
        {"tot:led:2800", {{Art::Tot, Element::Led, Kette::Block, 2800, 0}}, "tot:led:2800"},
        {"haengt:melder:88", {{Art::Haengt, Element::Melder, Kette::Block, 88, 0}}, "haengt:melder:88"},
        {"flackert:taster1:64", {{Art::Flackert, Element::Taster1, Kette::Block, 64, 0}}, "flackert:taster1:64"},
        {"bruch:melder:3", {{Art::Bruch, Element::Block, Kette::Melder, 3, 0}}, "bruch:melder:3"},
        {"fehlt:led1:25", {{Art::Fehlt, Element::Block, Kette::Led1, 25, 0}}, "fehlt:led1:25"},
        {"last:block:alle", {{Art::Last, Element::Block, Kette::Block, 0, 0}}, "last:block:alle"},
        {"last:hblock:48", {{Art::Last, Element::HBlock, Kette::Block, 48, 0}}, "last:hblock:48"},
        {" TOT:Weiche:88 , tausch:signal:1:32,tot:weiche:88",
         {{Art::Tot, Element::Weiche, Kette::Block, 88, 0}, {Art::Tausch, Element::Signal, Kette::Block, 1, 32}},
         "tot:weiche:88,tausch:signal:1:32"},
        {"tot : block : 3, tausch :led: 1001 :1002 ,last:hblock:\talle",
         {{Art::Tot, Element::Block, Kette::Block, 3, 0}, {Art::Tausch, Element::Led, Kette::Block, 1001, 1002},
          {Art::Last, Element::HBlock, Kette::Block, 0, 0}},
         "tot:block:3,tausch:led:1001:1002,last:hblock:alle"},
        {"tot:hblocktaster:48,bruch:taster1:2,fehlt:blockein:12",
         {{Art::Tot, Element::HBlockTaster, Kette::Block, 48, 0}, {Art::Bruch, Element::Block, Kette::Taster1, 2, 0},
          {Art::Fehlt, Element::Block, Kette::BlockEin, 12, 0}},
         "tot:hblocktaster:48,bruch:taster1:2,fehlt:blockein:12"},
    };
    for (const Gut& f : faelle) {
        SCOPED_TRACE(f.liste);
        const Lesung l = lesen(f.liste, layout);
        EXPECT_EQ(l.meldung, "");
        EXPECT_EQ(l.fehler, f.fehler);
        EXPECT_EQ(text(l.fehler), f.zurueck);
        EXPECT_EQ(lesen(text(l.fehler), layout).fehler, l.fehler);
    }
}

struct Schlecht {
    const char* liste;
    const char* meldung;
};

TEST(Verdrahtungsfehler, RefusesBadItemsWithAGermanMessage)
{
    VirtualLayout layout;
    layout.signalCards = 1;
    layout.led2Cards = 1;
    const std::vector<Schlecht> faelle = {
        {"tot:block:1,,tot:block:2", "Leerer Eintrag in der Fehlerliste „tot:block:1,,tot:block:2“."},
        {"kaputt:block:1",
         "Verdrahtungsfehler „kaputt:block:1“: unbekannte Fehlerart „kaputt“ (möglich: tausch, tot, haengt, "
         "flackert, bruch, fehlt, last)."},
        {"tot:blok:1",
         "Verdrahtungsfehler „tot:blok:1“: unbekanntes Element „blok“ (Ausgänge: block, hblock, weiche, signal, led; "
         "Eingänge: blockbelegt, hblockbelegt, melder, blocktaster, hblocktaster, taster1, taster2)."},
        {"tot:block:25", "Verdrahtungsfehler „tot:block:25“: block 25 gibt es nicht, die Anlage hat 24 Blöcke."},
        {"tot:block:0", "Verdrahtungsfehler „tot:block:0“: block 0 gibt es nicht, die Anlage hat 24 Blöcke."},
        {"tot:signal:-1", "Verdrahtungsfehler „tot:signal:-1“: „-1“ ist keine Nummer."},
        {"tot:signal:17", "Verdrahtungsfehler „tot:signal:17“: signal 17 gibt es nicht, die Anlage hat 16 Signalspulen."},
        {"tot:block", "Verdrahtungsfehler „tot:block“: tot braucht ein Element und eine Nummer (tot:ART:N)."},
        {"tausch:block:5", "Verdrahtungsfehler „tausch:block:5“: tausch braucht ein Element und zwei Nummern (tausch:ART:A:B)."},
        {"tausch:block:5:5", "Verdrahtungsfehler „tausch:block:5:5“: ein Element lässt sich nicht mit sich selbst tauschen."},
        {"tausch:led:3:1003", "Verdrahtungsfehler „tausch:led:3:1003“: getauscht werden nur LEDs derselben Kette."},
        {"haengt:block:3",
         "Verdrahtungsfehler „haengt:block:3“: haengt gibt es nur für Eingänge (blockbelegt, hblockbelegt, melder, "
         "blocktaster, hblocktaster, taster1, taster2)."},
        {"flackert:led:3", "Verdrahtungsfehler „flackert:led:3“: flackert gibt es nur für Eingänge (blockbelegt, "
                           "hblockbelegt, melder, blocktaster, hblocktaster, taster1, taster2)."},
        {"last:melder:3", "Verdrahtungsfehler „last:melder:3“: last gibt es nur für block und hblock."},
        {"tot:block:alle", "Verdrahtungsfehler „tot:block:alle“: „alle“ ist keine Nummer."},
        {"tot:led:1033", "Verdrahtungsfehler „tot:led:1033“: LED 1033 gibt es nicht, die LED-Kette 2 hat 32 LEDs."},
        {"tot:led:3001", "Verdrahtungsfehler „tot:led:3001“: LED 3001 gibt es nicht (Kette 1: 1.., Kette 2: 1001.., "
                         "Kette 3: 2001..)."},
        {"tot:led:1000", "Verdrahtungsfehler „tot:led:1000“: LED 1000 gibt es nicht (Kette 1: 1.., Kette 2: 1001.., "
                         "Kette 3: 2001..)."},
        {"tot:taster2:1", "Verdrahtungsfehler „tot:taster2:1“: die Anlage hat keine Taster der Kette 2."},
        {"bruch:melder:12", "Verdrahtungsfehler „bruch:melder:12“: Karte 12 gibt es nicht, die Melderleitung hat 11 Karten."},
        {"fehlt:signal:2", "Verdrahtungsfehler „fehlt:signal:2“: Karte 2 gibt es nicht, die Signalkette hat 1 Karte."},
        {"fehlt:melder:0", "Verdrahtungsfehler „fehlt:melder:0“: Karte 0 gibt es nicht, die Melderleitung hat 11 Karten."},
        {"bruch:taster2:1", "Verdrahtungsfehler „bruch:taster2:1“: die Tasterkette 2 hat keine Karten."},
        {"bruch:led4:1",
         "Verdrahtungsfehler „bruch:led4:1“: unbekannte Kette „led4“ (möglich: block, weiche, signal, led1, led2, led3, "
         "blockein, hblockein, melder, taster1, taster2)."},
        {"fehlt:melder", "Verdrahtungsfehler „fehlt:melder“: fehlt braucht eine Kette und eine Kartennummer (fehlt:KETTE:K)."},
        {"tot:melder:1,tot:melder:99", "Verdrahtungsfehler „tot:melder:99“: melder 99 gibt es nicht, die Anlage hat 88 Melder."},
    };
    for (const Schlecht& f : faelle) {
        SCOPED_TRACE(f.liste);
        const Lesung l = lesen(f.liste, layout);
        EXPECT_EQ(l.meldung, f.meldung);
        EXPECT_TRUE(l.fehler.empty());
    }
}

}  // namespace

namespace {

struct Betroffen {
    const char* fehler;
    std::vector<Stelle> stellen;
};

std::vector<int> von(int erste, int letzte)
{
    std::vector<int> n;
    for (int i = erste; i <= letzte; ++i)
        n.push_back(i);
    return n;
}

TEST(Verdrahtungsfehler, NamesTheElementsAFaultTouches)
{
    VirtualLayout layout;
    layout.hblockCards = 3;   // 12 auxiliary blocks, fewer than the block bytes carry
    const std::vector<Betroffen> faelle = {
        {"tausch:weiche:6:5", {{Element::Weiche, {5, 6}}}},
        {"flackert:melder:4", {{Element::Melder, {4}}}},
        {"last:block:3", {{Element::Block, {3}}, {Element::BlockBelegt, {3}}}},
        {"last:hblock:alle", {{Element::HBlock, von(1, 12)}, {Element::HBlockBelegt, von(1, 12)}}},
        {"bruch:melder:10", {{Element::Melder, von(81, 88)}}},
        {"fehlt:melder:10", {{Element::Melder, von(73, 88)}}},
        {"bruch:block:1", {{Element::Block, von(3, 24)}, {Element::HBlock, von(5, 12)}}},
        {"bruch:block:3", {{Element::Block, von(7, 24)}}},
        {"fehlt:led2:25", {{Element::Led, von(1769, 1800)}}},
        {"bruch:blockein:11", {{Element::BlockBelegt, {23, 24}}, {Element::BlockTaster, von(45, 48)}}},
        {"bruch:taster1:2", {}},
    };
    for (const Betroffen& f : faelle) {
        SCOPED_TRACE(f.fehler);
        const Lesung l = lesen(f.fehler, layout);
        ASSERT_EQ(l.meldung, "");
        EXPECT_EQ(betroffen(l.fehler.at(0), layout), f.stellen);
    }
}

}  // namespace
