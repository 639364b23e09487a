// The drive page on the virtual card: a run from Start to its end with the
// cycle figure in the status bar, the auxiliary block, a direction change
// while the train runs, and the window closed or destroyed during a run.
#include "fahrenpage.h"
#include "fensterstart.h"
#include "panels.h"
#include "pfeil.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

using fixture::EchtePause;
using Block = VirtualCard::BlockState;

namespace {

// 12 block cards (24 blocks), 12 auxiliary-block cards (48), as on the layout.
const QByteArray anlage("[Karten]\nBlock=12\nHilfsBlock=12\n");

void fahrSeite(TfMain& w)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pControl->setCurrentIndex(TfMain::SFahren);
    QCOMPARE(w.pControl->currentIndex(), int(TfMain::SFahren));
}

QColor schrift(const QPushButton* b) { return b->palette().color(QPalette::ButtonText); }
QColor grund(const QLabel* l) { return l->palette().color(QPalette::Window); }

bool faehrt(const VirtualCard& k, int b, int stufe, bool vorwaerts)
{
    const Block s = k.block(b);
    return s.powered && s.speed == stufe && s.forward == vorwaerts;
}

bool alleAus(const VirtualCard& k)
{
    for (int b = 1; b <= 24; ++b)
        if (k.block(b) != Block{})
            return false;
    return true;
}

void klickeTab(TfMain& w, int seite)
{
    QTabBar* tabs = w.pControl->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(seite).center());
}

}  // namespace

class FahrenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void fahrtVonStartBisZumEnde()
    {
        Start s(anlage);
        TfMain& w = *s.fenster;
        FahrenPage& p = *w.pFahren;
        fahrSeite(w);
        QCOMPARE(p.btnStop->text(), QStringLiteral("Start"));
        QCOMPARE(schrift(p.btnStop), QColor(0, 128, 0));
        p.nrBlock->setValue(3);
        p.faTrack->setValue(16);
        QCOMPARE(p.pNrBlock->text(), QStringLiteral("3"));
        QCOMPARE(p.pTempo->text(), QStringLiteral("16"));

        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QCOMPARE(p.btnStop->text(), QStringLiteral("Fahren"));
        QCOMPARE(w.statusText(0), QStringLiteral(" Zugfahrt ist freigegeben..."));
        QVERIFY(!p.nrBlock->isEnabled());
        QVERIFY(!p.pNrHBlock->isEnabled());
        QTRY_VERIFY(faehrt(s.karte, 3, 2, true));
        QVERIFY(!s.karte.block(4).powered);

        // No other page while the train runs.
        klickeTab(w, TfMain::SLeds);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SFahren));

        // The speed follows the slider during the run.
        p.faTrack->setValue(120);
        QTRY_VERIFY(faehrt(s.karte, 3, 15, true));
        // Once a second the thread's cycle figure reaches status panel 1.
        QTRY_VERIFY_WITH_TIMEOUT(w.statusText(1).toInt() > 0, 10000);

        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QCOMPARE(p.btnStop->text(), QStringLiteral("Stop"));
        QCOMPARE(schrift(p.btnStop), QColor(255, 0, 0));
        QTRY_COMPARE(p.btnStop->text(), QStringLiteral("Start"));
        QCOMPARE(schrift(p.btnStop), QColor(0, 128, 0));
        QVERIFY(!p.btnStop->isChecked());
        QVERIFY(alleAus(s.karte));
        QCOMPARE(w.statusText(1), QStringLiteral("0"));
        QCOMPARE(w.statusText(0), QString());
        QVERIFY(p.nrBlock->isEnabled());
        QVERIFY(p.pNrHBlock->isEnabled());
        QVERIFY2(!p.nrHBlock->isEnabled(), "the auxiliary block is not used");

        klickeTab(w, TfMain::SLeds);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
    }

    void hilfsblockFaehrtMit()
    {
        Start s(anlage);
        TfMain& w = *s.fenster;
        FahrenPage& p = *w.pFahren;
        fahrSeite(w);
        QCOMPARE(grund(p.pNrHBlock), panels::Silver);
        QTest::mouseClick(p.pNrHBlock, Qt::LeftButton);
        QCOMPARE(grund(p.pNrHBlock), QColor(Qt::white));
        QVERIFY(p.nrHBlock->isEnabled());
        p.nrHBlock->setValue(7);
        QCOMPARE(p.pNrHBlock->text(), QStringLiteral("207"));
        p.faTrack->setValue(8);

        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTRY_VERIFY(s.karte.hblockOn(7) && faehrt(s.karte, 1, 1, true));
        QVERIFY(!p.nrHBlock->isEnabled());
        QTest::mouseClick(p.pNrHBlock, Qt::LeftButton);
        QCOMPARE(grund(p.pNrHBlock), QColor(Qt::white));   // no switching during the run

        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTRY_COMPARE(p.btnStop->text(), QStringLiteral("Start"));
        QVERIFY(!s.karte.hblockOn(7));
        QVERIFY(p.nrHBlock->isEnabled());

        QTest::mouseClick(p.pNrHBlock, Qt::LeftButton);
        QCOMPARE(grund(p.pNrHBlock), panels::Silver);
        QVERIFY(!p.nrHBlock->isEnabled());
    }

    // With the real pauses: the train stops for a second, then the arrows
    // change and the block gets the new direction, a second later its speed.
    void richtungswechselWaehrendDerFahrt()
    {
        EchtePause echt;
        Start s(anlage);
        TfMain& w = *s.fenster;
        FahrenPage& p = *w.pFahren;
        fahrSeite(w);
        QCOMPARE(p.btnVW->farbe(), panels::Red);
        QCOMPARE(p.btnRW->farbe(), panels::ScrollBar);
        p.nrBlock->setValue(5);
        p.faTrack->setValue(16);
        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTRY_VERIFY(faehrt(s.karte, 5, 2, true));

        bool angehalten = false;          // the layout saw the train stop
        bool zuFrueh = false;             // backwards before the arrows changed
        QList<int> regler;                // the slider positions, in order
        const auto hinsehen = [&] {
            const Block b = s.karte.block(5);
            angehalten |= !b.powered && b.speed == 0;
            zuFrueh |= !b.forward && p.btnRW->farbe() != panels::Red;
            if (regler.isEmpty() || regler.last() != p.faTrack->value())
                regler << p.faTrack->value();
        };
        QTimer blick;
        blick.setInterval(10);
        connect(&blick, &QTimer::timeout, hinsehen);
        blick.start();
        QElapsedTimer uhr;
        uhr.start();
        QTest::mouseClick(p.btnRW, Qt::LeftButton);
        const qint64 dauer = uhr.elapsed();
        blick.stop();
        hinsehen();

        QVERIFY2(dauer >= 1900 && dauer < 6000, qPrintable(QString::number(dauer)));
        QVERIFY(angehalten);
        QVERIFY(!zuFrueh);
        QCOMPARE(regler, (QList<int>{0, 16}));
        QCOMPARE(p.btnRW->farbe(), panels::Red);
        QCOMPARE(p.btnVW->farbe(), panels::Silver);
        QTRY_VERIFY(faehrt(s.karte, 5, 2, false));

        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTRY_COMPARE(p.btnStop->text(), QStringLiteral("Start"));
    }

    void fensterSchliessenWaehrendDerFahrt()
    {
        Start s(anlage);
        TfMain& w = *s.fenster;
        fahrSeite(w);
        w.pFahren->nrBlock->setValue(2);
        w.pFahren->faTrack->setValue(100);
        QTest::mouseClick(w.pFahren->btnStop, Qt::LeftButton);
        QTRY_VERIFY(s.karte.block(2).powered);

        QVERIFY(w.close());
        QVERIFY(!w.pFahren->zugFaehrt());
        QVERIFY(alleAus(s.karte));
        QCOMPARE(w.pFahren->btnStop->text(), QStringLiteral("Start"));
        // The end notification the thread queued comes late and changes nothing.
        const long writes = s.karte.writes();
        QCoreApplication::processEvents();
        QCOMPARE(s.karte.writes(), writes);
        QCOMPARE(w.statusText(1), QStringLiteral("0"));
    }

    void fensterVerschwindetWaehrendDerFahrt()
    {
        Start s(anlage);
        fahrSeite(*s.fenster);
        s.fenster->pFahren->faTrack->setValue(60);
        QTest::mouseClick(s.fenster->pFahren->btnStop, Qt::LeftButton);
        QTRY_VERIFY(s.karte.block(1).powered);
        s.fenster.reset();
        QVERIFY(alleAus(s.karte));
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(FahrenTest)
#include "fahren_test.moc"
