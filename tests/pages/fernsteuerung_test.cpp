// The remote-control step of the turnout and signal pages, tick by tick,
// without a window: which buttons count, when a held button repeats, and
// that a press fires only once.
#include "fernsteuerung.h"

#include <QTest>

#include <set>
#include <vector>

using fernsteuerung::Aktion;
using fernsteuerung::Taster;

namespace {

// Remote numbers 3 (up), 4 (down), 205 (right, auxiliary block 5), 520 (left, chain-1 button 8).
const Taster fern{3, 4, 205, 520};

// The remote with its state, and the buttons held right now.
struct Fern {
    Taster taster = fern;
    int letzter = 0;
    int zaehler = 0;
    std::set<int> gehalten;
    std::vector<int> gefragt;   // every image entry the step looked at

    Aktion tick()
    {
        return fernsteuerung::schritt(taster, letzter, zaehler, [this](int k) {
            gefragt.push_back(k);
            return gehalten.count(k) > 0;
        });
    }
};

}  // namespace

class FernsteuerungTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void gehaltenerTasterWiederholtAbDem22Tick()
    {
        Fern f;
        f.gehalten = {3};
        std::vector<int> schritte;
        for (int t = 1; t <= 30; ++t)
            if (f.tick() == Aktion::Hoch)
                schritte.push_back(t);
        // Once when first seen, again on the 22nd tick, then on every tick.
        const std::vector<int> erwartet{1, 22, 23, 24, 25, 26, 27, 28, 29, 30};
        QCOMPARE(schritte, erwartet);
        QCOMPARE(f.letzter, 3);

        // The same for down; released for a tick, the delay starts anew.
        f.gehalten = {};
        QCOMPARE(f.tick(), Aktion::Keine);
        QCOMPARE(f.letzter, 0);
        f.gehalten = {4};
        QCOMPARE(f.tick(), Aktion::Runter);
        for (int t = 2; t <= 21; ++t)
            QCOMPARE(f.tick(), Aktion::Keine);
        QCOMPARE(f.tick(), Aktion::Runter);
    }

    void wechselVonObenNachUntenStepptSofort()
    {
        Fern f;
        f.gehalten = {3};
        for (int t = 0; t < 5; ++t)
            f.tick();
        f.gehalten = {4};   // no tick without a button in between
        QCOMPARE(f.tick(), Aktion::Runter);
        QCOMPARE(f.zaehler, 0);
    }

    void vorrangObenVorUntenRechtsVorLinks()
    {
        Fern f;
        f.gehalten = {3, 4, 205, 520};
        QCOMPARE(f.tick(), Aktion::Hoch);
        f.gehalten = {4, 205, 520};
        QCOMPARE(f.tick(), Aktion::Runter);
        f.gehalten = {205, 520};
        QCOMPARE(f.tick(), Aktion::Erste);
        f.gehalten = {520};
        QCOMPARE(f.tick(), Aktion::Zweite);
    }

    void rechtsUndLinksLoesenEinmalProDruckAus()
    {
        Fern f;
        f.gehalten = {205};
        int erste = 0;
        for (int t = 0; t < 100; ++t)
            erste += f.tick() == Aktion::Erste;
        QCOMPARE(erste, 1);

        // A new press needs a tick without a button ...
        f.gehalten = {};
        f.tick();
        f.gehalten = {205};
        QCOMPARE(f.tick(), Aktion::Erste);
        // ... or another button in between.
        f.gehalten = {520};
        QCOMPARE(f.tick(), Aktion::Zweite);
        QCOMPARE(f.tick(), Aktion::Keine);
        f.gehalten = {205};
        QCOMPARE(f.tick(), Aktion::Erste);
    }

    void nummernAusserhalbDesAbbildsSindNieGedrueckt()
    {
        Fern f;
        f.taster = {1537, -3, 2001, 9};
        f.gehalten = {1537, -3, 2001, 9};
        QCOMPARE(f.tick(), Aktion::Zweite);   // only left lies in 1..1536
        for (int k : f.gefragt)
            QVERIFY2(k >= 1 && k <= 1536, qPrintable(QString::number(k)));

        f.taster = {1536, 1, 2, 3};
        f.gehalten = {1536};
        QCOMPARE(f.tick(), Aktion::Hoch);   // the last entry still counts
    }

    void einNichtZugeordneterTasterSchaltetAllesAb()
    {
        for (int frei = 0; frei < 4; ++frei) {
            Fern f;
            int* nummern[4] = {&f.taster.oben, &f.taster.unten, &f.taster.rechts, &f.taster.links};
            *nummern[frei] = 0;
            f.letzter = 205;
            f.zaehler = 5;
            f.gehalten = {3, 4, 205, 520};
            QCOMPARE(f.tick(), Aktion::Keine);
            f.gehalten = {};
            QCOMPARE(f.tick(), Aktion::Keine);
            QVERIFY(f.gefragt.empty());
            QCOMPARE(f.letzter, 205);
            QCOMPARE(f.zaehler, 5);
        }
    }
};

QTEST_APPLESS_MAIN(FernsteuerungTest)
#include "fernsteuerung_test.moc"
