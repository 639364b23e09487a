// Turning a train round by the arrows: clicks and speeds given while a
// change waits. The waits are replaced by a step that does what the case
// plans for the moment a wait begins, as a click handled inside it would.
#include "panels.h"
#include "pause.h"
#include "pfeil.h"
#include "richtungswechsel.h"

#include <QSlider>
#include <QTest>

#include <deque>
#include <functional>

namespace {

std::deque<std::function<void()>> waehrendDerPause;
int pausen = 0;

void geplantePause(int)
{
    ++pausen;
    if (waehrendDerPause.empty())
        return;
    const std::function<void()> f = std::move(waehrendDerPause.front());
    waehrendDerPause.pop_front();
    if (f)
        f();
}

}  // namespace

class RichtungswechselTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&geplantePause); }
    void cleanupTestCase() { setPauseFunktion(nullptr); }

    // Forward at speed 40, then ← clicked; what happens during the waits.
    void letzterKlickGiltUndNeuesTempoBleibt_data()
    {
        QTest::addColumn<int>("wann");        // the wait during which it happens, 0: none
        QTest::addColumn<bool>("klickVor");   // a click on → then
        QTest::addColumn<int>("tempo");       // or a speed set by the user then, -1: none
        QTest::addColumn<bool>("vorwaerts");
        QTest::addColumn<int>("endTempo");
        QTest::addColumn<int>("anzahlPausen");
        QTest::newRow("ein Klick") << 0 << false << -1 << false << 40 << 2;
        QTest::newRow("→ vor dem Wechsel") << 1 << true << -1 << true << 40 << 2;
        QTest::newRow("→ nach dem Wechsel: noch einmal halten") << 2 << true << -1 << true << 40 << 4;
        QTest::newRow("Tempo vor dem Wechsel") << 1 << false << 30 << false << 30 << 2;
        QTest::newRow("Tempo nach dem Wechsel") << 2 << false << 55 << false << 55 << 2;
    }
    void letzterKlickGiltUndNeuesTempoBleibt()
    {
        QFETCH(int, wann);
        QFETCH(bool, klickVor);
        QFETCH(int, tempo);
        QFETCH(bool, vorwaerts);
        QFETCH(int, endTempo);
        QFETCH(int, anzahlPausen);

        QSlider regler;
        regler.setRange(0, 120);
        regler.setValue(40);
        Pfeil vw(Pfeil::Rechts, panels::Red);
        Pfeil rw(Pfeil::Links, panels::ScrollBar);
        QList<bool> gesetzt;
        Richtungswechsel w(&regler, &vw, &rw, [&](bool v) {
            QCOMPARE(regler.value(), tempo >= 0 && wann == 1 ? tempo : 0);   // turned only when stopped by the change
            gesetzt << v;
        });

        waehrendDerPause.assign(3, {});
        waehrendDerPause[0] = [&] { QCOMPARE(regler.value(), 0); };
        if (wann > 0) {
            waehrendDerPause[std::size_t(wann - 1)] = [&] {
                if (klickVor)
                    w.waehlen(true);   // returns at once: the change under way takes it
                if (tempo >= 0)
                    regler.setValue(tempo);
            };
        }
        pausen = 0;
        w.waehlen(false);

        QVERIFY(!w.laeuft());
        QCOMPARE(gesetzt.last(), vorwaerts);
        QCOMPARE(vw.farbe(), vorwaerts ? panels::Red : panels::Silver);
        QCOMPARE(rw.farbe(), vorwaerts ? panels::Silver : panels::Red);
        QCOMPARE(regler.value(), endTempo);
        QCOMPARE(pausen, anzahlPausen);
        waehrendDerPause.clear();
    }
};

QTEST_MAIN(RichtungswechselTest)
#include "richtungswechsel_test.moc"
