// The remote-control step of the turnout and signal pages, tick by tick,
// without a window: which buttons count, when a held button repeats, and
// that a press fires only once.
#include "fernsteuerung.h"

#include <QTest>

#include <chrono>
#include <set>
#include <vector>

using fernsteuerung::Aktion;
using fernsteuerung::Taster;
using fernsteuerung::Taktraster;

namespace {

using namespace std::chrono_literals;
using Zeit = Taktraster::Uhr::time_point;

// Milliseconds between two times, for readable comparisons.
double ms(Taktraster::Uhr::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

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

    // The keep-alive edges stay 20 ms apart although the timer fires up to a
    // millisecond late, by a different amount each tick.
    void flankenImRasterTrotzSpaeterTimer()
    {
        Taktraster raster(20ms);
        const Zeit t0{};
        // The timer's own grid is exact; each tick comes 100 .. 900 us after it.
        const std::vector<int> spaet{300, 900, 100, 500, 800, 200, 700, 400, 600, 100, 900, 300};
        std::vector<Zeit> flanken;
        for (std::size_t k = 0; k < spaet.size(); ++k) {
            const Zeit jetzt = t0 + 20ms * int(k) + std::chrono::microseconds(spaet[k]);
            const Zeit f = raster.flanke(jetzt);
            QVERIFY(f >= jetzt);                       // never in the past
            QVERIFY(f - jetzt <= Taktraster::Warten);  // never a long wait
            flanken.push_back(f);
        }
        // Once the grid has met the latest tick (0.9 ms, the second), every
        // period is exactly 20 ms.
        for (std::size_t k = 2; k < flanken.size(); ++k)
            QCOMPARE(ms(flanken[k] - flanken[k - 1]), 20.0);
        QCOMPARE(ms(flanken[1] - t0), 20.9);
    }

    void nachEinerStockungGehtEsImRasterWeiter()
    {
        Taktraster raster(20ms);
        const Zeit t0{};
        QCOMPARE(raster.flanke(t0), t0);
        QCOMPARE(raster.flanke(t0 + 20ms), t0 + 20ms);
        // A tick 1.8 ms late, more than the timer's own lateness, pulls at
        // once; the next one goes back to the grid instead of waiting to stay
        // 20 ms after the late one.
        QCOMPARE(raster.flanke(t0 + 41ms + 800us), t0 + 41ms + 800us);
        QCOMPARE(raster.flanke(t0 + 60ms + 300us), t0 + 60ms + 300us);
        QCOMPARE(raster.flanke(t0 + 80ms + 200us), t0 + 80ms + 300us);
    }

    void neuerAnfangNachPauseOderFruehemTick()
    {
        Taktraster raster(20ms);
        const Zeit t0{};
        raster.flanke(t0);
        // Switched off and on again a second later: the first tick pulls at once.
        const Zeit spaeter = t0 + 1000ms + 700us;
        QCOMPARE(raster.flanke(spaeter), spaeter);
        QCOMPARE(raster.flanke(spaeter + 19ms + 500us), spaeter + 20ms);
        // A tick far earlier than the grid (a restarted timer) does not wait.
        const Zeit frueh = spaeter + 25ms;
        QCOMPARE(raster.flanke(frueh), frueh);
        QCOMPARE(raster.flanke(frueh + 19ms + 800us), frueh + 20ms);
    }
};

QTEST_APPLESS_MAIN(FernsteuerungTest)
#include "fernsteuerung_test.moc"
