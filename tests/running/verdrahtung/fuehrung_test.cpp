// The guided check on the virtual card: a person presses every input of a
// group in order, one press per cycle pair, and says "nothing came" where
// nothing did; each fault of the group's wiring gives exactly its finding.
#include "cardrig.h"
#include "fuehrung.h"
#include "tempo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using verdrahtung::Element;

void nichtSchlafen(std::chrono::milliseconds) {}

struct Fall {
    const char* fehler;
    Element element;
    std::vector<std::string> befunde;
};

// Presses each input of the group in turn on the card and feeds the guide
// from the cycles that read them.
pruefung::Ergebnis druecken(CardRig& rig, Element element, int anzahl)
{
    pruefung::Fuehrung f(element, anzahl);
    pruefung::Steuerung s;
    int gedrueckt = 0;   // 0: none held
    const auto setzen = [&](int n, bool an) {
        switch (element) {
        case Element::Melder: rig.card.setMelder(n, an); break;
        case Element::Taster1: rig.card.setTaster1(n, an); break;
        case Element::BlockTaster: rig.card.setBlockButton(n, an); break;
        default: rig.card.setHBlockButton(n, an); break;
        }
    };
    pruefung::eingabenLaufen(*rig.kvx, s, {}, element, [&](const std::vector<int>& neu) {
        if (gedrueckt != 0) {   // this cycle read the press
            if (neu.empty())
                f.nichts();
            else
                f.kam(neu);
            setzen(gedrueckt, false);
            gedrueckt = 0;
            return true;
        }
        if (f.fertig())
            return false;
        gedrueckt = f.erwartet();
        setzen(gedrueckt, true);
        return true;
    });
    return f.auswerten();
}

TEST(Verdrahtungsfuehrung, EachFaultOfAGroupGivesExactlyItsFinding)
{
    const fahrt::SchlafFunktion vorher = fahrt::setSchlafFunktion(nichtSchlafen);
    VirtualLayout l;
    l.blockCards = 6;      // 24 buttons
    l.hblockCards = 4;     // 16 buttons
    l.melderCards = 4;     // 32 detectors
    l.taster1Cards = 2;    // 64 buttons
    CardRig rig(l, false);
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
    };
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.fehler);
        const verdrahtung::Lesung lesung = verdrahtung::lesen(f.fehler, rig.card.layout());
        ASSERT_EQ(lesung.meldung, "");
        rig.card.setFehler(lesung.fehler);
        const pruefung::Umfang u = pruefung::umfangVon(*rig.kvx);
        std::vector<std::string> t;
        for (const pruefung::Befund& b : druecken(rig, f.element, u.anzahl(f.element)).befunde)
            t.push_back(b.text());
        std::sort(t.begin(), t.end());
        EXPECT_EQ(t, f.befunde);
    }
    fahrt::setSchlafFunktion(vorher);
}

// What no modelled fault gives: two inputs from one press, named as a short.
TEST(Verdrahtungsfuehrung, OnePressTwoInputsIsAShort)
{
    pruefung::Fuehrung f(Element::Melder, 8);
    for (int p = 1; p <= 8; ++p) {
        if (p == 5)
            f.kam({6, 5});
        else if (p != 6)
            f.kam({p});
        else
            f.kam({6});
    }
    const pruefung::Ergebnis e = f.auswerten();
    ASSERT_EQ(e.befunde.size(), 1u);
    EXPECT_EQ(e.befunde[0].text(), "kurzschluss:melder:5:6");
    EXPECT_NE(e.befunde[0].satz.find("Kurzschluss"), std::string::npos);
}

}  // namespace
