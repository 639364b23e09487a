// The input statistics in the running window on the virtual card: what a
// visit of the configuration page and "Beispielanlage" leave of them, what
// the power supply's off time does to them, and the list at the window's
// starting size.
#include "anlagenbetrieb.h"
#include "fensterstart.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "statistikpanel.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

using fixture::schnellePause;

namespace {

const QByteArray Ini = "[Karten]\r\nMelder=2\r\n";

// The supply on from the occupancy page, polled once.
void sntEin(Start& s)
{
    s.fenster->pControl->setCurrentIndex(TfMain::SMelder);
    s.fenster->mnuSNTein->trigger();
    const long flanken = s.karte.keepAlive().edges;
    QTRY_VERIFY(s.karte.keepAlive().edges >= flanken + 2);   // a whole tick, its poll included
}

std::uint32_t wechsel(const Start& s, int melder)
{
    return s.fenster->pMelder->Statistik->statistik.eintrag(MelderPage::AMelder, melder).wechsel;
}

}  // namespace

class StatistikTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    // Detector 12 (second card) flickers; then, with the supply off, the
    // configuration page or "Beispielanlage". What still exists keeps its
    // count and its blue frame until "Zurücksetzen".
    void konfigurationBehaeltDieStatistik_data()
    {
        QTest::addColumn<int>("karten");   // detector cards set on the page; 0: "Beispielanlage"
        QTest::addColumn<bool>("bleibt");
        QTest::newRow("Config unverändert") << 2 << true;
        QTest::newRow("mehr Melderkarten") << 5 << true;
        QTest::newRow("Beispielanlage") << 0 << true;
        QTest::newRow("eine Melderkarte weniger") << 1 << false;
    }

    void konfigurationBehaeltDieStatistik()
    {
        QFETCH(int, karten);
        QFETCH(bool, bleibt);
        Start s(Ini);
        TfMain& w = *s.fenster;
        StatistikPanel* st = w.pMelder->Statistik;
        const EingangsStatistik::Zeitpunkt zeit = EingangsStatistik::Uhr::now();
        st->uhr = [zeit] { return zeit; };   // four changes at one moment: flickering
        sntEin(s);
        for (std::uint32_t n = 1; n <= 4; ++n) {
            s.karte.setMelder(12, n % 2 == 1);
            QTRY_COMPARE(wechsel(s, 12), n);
        }
        w.mnuSNTaus->trigger();
        if (karten == 0) {
            w.anlage->beispielEinrichten(AnlagenBetrieb::BeispielKarten);   // shows the route page
        } else {
            w.pControl->setCurrentIndex(TfMain::SConfig);
            s.cfg()->spin(config::Melder)->setValue(karten);
        }
        w.pControl->setCurrentIndex(TfMain::SMelder);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SMelder));

        MonitorGrid* gMel = w.pMelder->panelM->grid;
        QCOMPARE(gMel->isMarked(12), bleibt);
        QCOMPARE(wechsel(s, 12), bleibt ? 4u : 0u);
        QCOMPARE(st->gStatistik->rowCount(), bleibt ? 1 : 0);
        if (bleibt)
            QCOMPARE(st->zelle(0, 0)->foreground().color(), QColor(gridgeo::MarkColour));
        QTest::mouseClick(st->btnStatReset, Qt::LeftButton);
        QVERIFY(!gMel->isMarked(12));
    }

    // Detectors 3 and 4 occupied while the supply is off: the first poll after
    // SNT-ein takes them as they are; the next change counts, with its time.
    void ausgeschaltetGeaendertZaehltNicht()
    {
        Start s(Ini);
        TfMain& w = *s.fenster;
        sntEin(s);
        w.mnuSNTaus->trigger();
        s.karte.setMelder(3, true);
        s.karte.setMelder(4, true);
        sntEin(s);
        QCOMPARE(w.pMelder->panelM->grid->cellColor(1, 4), QColor(gridgeo::Red));
        QCOMPARE(wechsel(s, 3) + wechsel(s, 4), 0u);
        QCOMPARE(w.pMelder->Statistik->gStatistik->rowCount(), 0);

        const EingangsStatistik::Zeitpunkt vorher = EingangsStatistik::Uhr::now();
        s.karte.setMelder(3, false);
        QTRY_COMPARE(wechsel(s, 3), 1u);
        QVERIFY(w.pMelder->Statistik->statistik.eintrag(MelderPage::AMelder, 3).zuletzt >= vorher);
        w.mnuSNTaus->trigger();
    }

    // At the window's starting size the strip shows all ten places.
    void zehnPlaetzeImStartfenster()
    {
        Start s(Ini);
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.height(), 602);
        sntEin(s);
        for (int e = 1; e <= 12; ++e) {
            s.karte.setMelder(e, true);
            QTRY_COMPARE(wechsel(s, e), 1u);
        }
        StatistikPanel* st = w.pMelder->Statistik;
        st->listeZeigen();
        QCOMPARE(st->zelle(0, 1)->text(), QStringLiteral("12"));   // the latest of equals first
        for (int p = 0; p < StatistikPanel::ListenZeilen * 4; ++p) {
            const QTableWidgetItem* z = st->zelle(p / 4, p % 4);
            QVERIFY2(z && st->gStatistik->viewport()->rect().contains(st->gStatistik->visualItemRect(z)),
                     qPrintable(QStringLiteral("Platz %1, Spalte %2").arg(p / 4 + 1).arg(p % 4)));
        }
        w.mnuSNTaus->trigger();
    }
};

QTEST_MAIN(StatistikTest)
#include "statistik_test.moc"
