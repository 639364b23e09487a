// The guided check on the virtual card: a person presses every input of a
// group in order, one press per cycle pair, and says "nothing came" where
// nothing did; each fault of the group's wiring gives exactly its finding.
#include "cardrig.h"
#include "fuehrung.h"
#include "tempo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>

namespace {

using verdrahtung::Element;

// The card's clock moves only when the check sleeps, so that the rest sees
// a flickering input flicker without taking wall time.
std::atomic<long long> uhrNs{0};

void uhrSchlafen(std::chrono::milliseconds d)
{
    uhrNs += std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}

struct Fall {
    const char* fehler;
    Element element;
    std::vector<std::string> befunde;
};

void setzen(CardRig& rig, Element element, int n, bool an)
{
    switch (element) {
    case Element::Melder: rig.card.setMelder(n, an); break;
    case Element::Taster1: rig.card.setTaster1(n, an); break;
    case Element::BlockTaster: rig.card.setBlockButton(n, an); break;
    default: rig.card.setHBlockButton(n, an); break;
    }
}

// The rest, then each input of the group pressed in turn on the card (a
// wrong answer pressed again, as the window asks), feeding the guide from
// the cycles that read them. drucken false: nobody presses, for zyklen
// cycles; steigend counts the cycles in which an input rose.
pruefung::Fuehrung fuehren(CardRig& rig, Element element, int anzahl, bool drucken = true, int zyklen = 0,
                           int* steigend = nullptr)
{
    pruefung::Steuerung s;
    pruefung::RuheBild ruhe;
    pruefung::pruefen(*rig.kvx, s, {}, false, &ruhe);
    pruefung::Fuehrung f(element, anzahl, ruhe);
    int gedrueckt = 0;   // 0: none held
    int runden = 0;
    pruefung::eingabenLaufen(*rig.kvx, s, {}, element, [&](const std::vector<int>& neu) {
        if (!drucken) {
            if (!neu.empty() && steigend)
                ++*steigend;
            f.kam(neu);
            return ++runden < zyklen && !f.fertig();
        }
        if (gedrueckt != 0) {   // this cycle read the press
            if (neu.empty())
                f.nichts();
            else
                f.kam(neu);
            setzen(rig, element, gedrueckt, false);
            gedrueckt = 0;
            return true;
        }
        if (f.fertig() || ++runden > 4 * anzahl)
            return false;
        gedrueckt = f.erwartet();
        setzen(rig, element, gedrueckt, true);
        return true;
    });
    if (drucken) {
        EXPECT_LE(runden, 4 * anzahl) << "the presses did not come to an end";
    }
    return f;
}

TEST(Verdrahtungsfuehrung, EachFaultOfAGroupGivesExactlyItsFinding)
{
    const fahrt::SchlafFunktion vorher = fahrt::setSchlafFunktion(uhrSchlafen);
    VirtualLayout l;
    l.blockCards = 6;      // 24 buttons
    l.hblockCards = 4;     // 16 buttons
    l.melderCards = 4;     // 32 detectors
    l.taster1Cards = 2;    // 64 buttons
    CardRig rig(l, false);
    rig.card.setClock([] { return VirtualCard::Clock::time_point(std::chrono::nanoseconds(uhrNs.load())); });
    kvx::Anzahlen a;
    a.BlockAnzahl = 12;
    a.HBlockAnzahl = 16;
    a.MelderAnzahl = 32;
    a.Taster1Anzahl = 64;
    a.EinDatenBytes = 64;
    rig.kvx->AnzahlenSetzen(a);
    rig.kvx->PortInit();
    const Fall faelle[] = {
        {"", Element::Melder, {}},
        {"", Element::Taster1, {}},
        {"tausch:melder:3:4", Element::Melder, {"tausch:melder:3:4"}},
        {"tausch:melder:2:30", Element::Melder, {"tausch:melder:2:30"}},
        {"tot:melder:10", Element::Melder, {"tot:melder:10"}},
        {"fehlt:melder:2", Element::Melder, {"fehlt:melder:2"}},
        {"tausch:taster1:1:40", Element::Taster1, {"tausch:taster1:1:40"}},
        {"fehlt:taster1:1", Element::Taster1, {"fehlt:taster1:1"}},
        {"tot:blocktaster:5", Element::BlockTaster, {"tot:blocktaster:5"}},
        {"fehlt:blockein:3", Element::BlockTaster, {"fehlt:blockein:3"}},
        {"tausch:hblocktaster:2:3", Element::HBlockTaster, {"tausch:hblocktaster:2:3"}},
        {"fehlt:hblockein:2", Element::HBlockTaster, {"fehlt:hblockein:2"}},
        {"tot:taster1:64,tausch:taster1:7:8", Element::Taster1, {"tausch:taster1:7:8", "tot:taster1:64"}},
        // What the rest saw is the rest's finding, and its inputs are left out.
        {"haengt:melder:17", Element::Melder, {"haengt:melder:17"}},
        {"flackert:taster1:5", Element::Taster1, {"flackert:taster1:5"}},
        {"bruch:melder:2", Element::Melder, {"bruch:melder:2"}},
        {"haengt:blocktaster:2,tausch:blocktaster:5:6", Element::BlockTaster,
         {"haengt:blocktaster:2", "tausch:blocktaster:5:6"}},
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.fehler);
        const verdrahtung::Lesung lesung = verdrahtung::lesen(f.fehler, rig.card.layout());
        ASSERT_EQ(lesung.meldung, "");
        rig.card.setFehler(lesung.fehler);
        const pruefung::Umfang u = pruefung::umfangVon(*rig.kvx);
        std::vector<std::string> t;
        for (const pruefung::Befund& b : fuehren(rig, f.element, u.anzahl(f.element)).auswerten().befunde)
            t.push_back(b.text());
        std::sort(t.begin(), t.end());
        EXPECT_EQ(t, f.befunde);
    }
    fahrt::setSchlafFunktion(vorher);
}

// A flickering button alone, nobody pressing: it was seen at rest, so its
// changes are no answers and the check stays at 1, saying why.
TEST(Verdrahtungsfuehrung, AFlickeringInputDoesNotRunTheCheck)
{
    const fahrt::SchlafFunktion vorher = fahrt::setSchlafFunktion(uhrSchlafen);
    VirtualLayout l;
    l.taster1Cards = 1;
    CardRig rig(l, false);
    rig.card.setClock([] { return VirtualCard::Clock::time_point(std::chrono::nanoseconds(uhrNs.load())); });
    kvx::Anzahlen a;
    a.Taster1Anzahl = 32;
    a.EinDatenBytes = 32;
    rig.kvx->AnzahlenSetzen(a);
    rig.kvx->PortInit();
    rig.card.setFehler(verdrahtung::lesen("flackert:taster1:5", rig.card.layout()).fehler);
    int steigend = 0;
    const pruefung::Fuehrung f = fuehren(rig, Element::Taster1, 32, false, 2000, &steigend);
    EXPECT_GT(steigend, 5);   // it did flicker meanwhile
    EXPECT_EQ(f.erwartet(), 1);
    EXPECT_EQ(f.ausgelassen(), std::vector<int>{5});
    const pruefung::Ergebnis e = f.auswerten();
    ASSERT_EQ(e.befunde.size(), 1u);
    EXPECT_EQ(e.befunde[0].text(), "flackert:taster1:5");
    ASSERT_EQ(e.hinweise.size(), 1u);
    EXPECT_NE(e.hinweise[0].find("Taster 5 ausgelassen"), std::string::npos) << e.hinweise[0];
    fahrt::setSchlafFunktion(vorher);
}

using Kam = pruefung::Fuehrung::Kam;

// A wrong answer counts when the same press brings it twice: a slip of the
// finger followed by the right press is dropped, a real swap is found, an
// input that answered before is not taken again, and "Zurück" takes back.
TEST(Verdrahtungsfuehrung, ASlipIsNoSwapAndAPressCanBeTakenBack)
{
    pruefung::Fuehrung slip(Element::Melder, 8);
    EXPECT_EQ(slip.kam({1}), Kam::Richtig);
    EXPECT_EQ(slip.kam({3}), Kam::Nochmal);
    EXPECT_EQ(slip.erwartet(), 2);
    EXPECT_EQ(slip.kam({2}), Kam::Versehen);
    EXPECT_EQ(slip.kam({4}), Kam::Nochmal);
    EXPECT_TRUE(slip.auswerten().befunde.empty());   // 1, 3, 2, 4 and "Fertig"
    EXPECT_EQ(slip.kam({2}), Kam::SchonGenommen);
    EXPECT_EQ(slip.kam({3}), Kam::Versehen);

    pruefung::Fuehrung tausch(Element::Melder, 8);
    for (const std::vector<int>& k : {std::vector<int>{1}, {3}, {3}, {2}, {2}, {4}})
        tausch.kam(k);
    EXPECT_EQ(tausch.erwartet(), 5);
    pruefung::Ergebnis e = tausch.auswerten();
    ASSERT_EQ(e.befunde.size(), 1u);
    EXPECT_EQ(e.befunde[0].text(), "tausch:melder:2:3");

    // Back: the last press goes, and with it its finding; a held answer goes first.
    EXPECT_EQ(tausch.kam({6}), Kam::Nochmal);
    EXPECT_TRUE(tausch.zurueck());
    EXPECT_TRUE(tausch.vorlaeufig().empty());
    EXPECT_EQ(tausch.erwartet(), 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(tausch.zurueck());
    EXPECT_EQ(tausch.erwartet(), 2);
    EXPECT_EQ(tausch.kam({2}), Kam::Richtig);
    EXPECT_TRUE(tausch.auswerten().befunde.empty());
    pruefung::Fuehrung leer(Element::Melder, 8);
    EXPECT_FALSE(leer.zurueck());
}

// What no modelled fault gives: two inputs from one press, named as a short.
TEST(Verdrahtungsfuehrung, OnePressTwoInputsIsAShort)
{
    pruefung::Fuehrung f(Element::Melder, 8);
    for (int p = 1; p <= 8; ++p) {
        if (p == 5) {
            EXPECT_EQ(f.kam({6, 5}), Kam::Nochmal);
            EXPECT_EQ(f.kam({5, 6}), Kam::Falsch);
        } else {
            f.kam({p});
        }
    }
    const pruefung::Ergebnis e = f.auswerten();
    ASSERT_EQ(e.befunde.size(), 1u);
    EXPECT_EQ(e.befunde[0].text(), "kurzschluss:melder:5:6");
    EXPECT_NE(e.befunde[0].satz.find("Kurzschluss"), std::string::npos);
}

}  // namespace
