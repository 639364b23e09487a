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
#include "tasterpage.h"

#include <QAction>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

using fixture::schnellePause;

namespace {

const QByteArray Ini = "[Karten]\r\nBlock=2\r\nHilfsBlock=1\r\nMelder=2\r\n";

// The supply on from the occupancy page, then page seite, polled once.
void sntEin(Start& s, TfMain::Seite seite = TfMain::SMelder)
{
    TfMain& w = *s.fenster;
    w.pControl->setCurrentIndex(TfMain::SMelder);
    w.mnuSNTein->trigger();
    QVERIFY(w.mnuSNTaus->isEnabled());
    w.pControl->setCurrentIndex(seite);
    const long flanken = s.karte.keepAlive().edges;
    QTRY_VERIFY(s.karte.keepAlive().edges >= flanken + 2);   // a whole tick, its poll included
}

// Element e of the kind the test looks at: a detector on the occupancy page,
// a block-card button on the push-button page.
void setzen(Start& s, TfMain::Seite seite, int e, bool an)
{
    if (seite == TfMain::SMelder)
        s.karte.setMelder(e, an);
    else
        s.karte.setBlockButton(e, an);
}

StatistikPanel* statistik(TfMain& w, TfMain::Seite seite)
{
    return seite == TfMain::SMelder ? w.pMelder->Statistik : w.pTaster->Statistik;
}

MonitorGrid* gitter(TfMain& w, TfMain::Seite seite)
{
    return seite == TfMain::SMelder ? w.pMelder->panelM->grid : w.pTaster->Panel2->grid;
}

int art(TfMain::Seite seite)
{
    return seite == TfMain::SMelder ? int(MelderPage::AMelder) : int(TasterPage::ABlock);
}

std::uint32_t wechsel(TfMain& w, TfMain::Seite seite, int e)
{
    return statistik(w, seite)->statistik.eintrag(art(seite), e).wechsel;
}

}  // namespace

class StatistikTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    // Detector 12 (on the second detector card) flickers; the configuration
    // page is visited with the supply off. What still exists keeps its count
    // and its blue frame.
    void konfigurationBehaeltDieStatistik_data()
    {
        QTest::addColumn<QString>("weg");
        QTest::addColumn<bool>("bleibt");
        QTest::newRow("Config unverändert") << "config" << true;
        QTest::newRow("mehr Melderkarten") << "mehr" << true;
        QTest::newRow("Beispielanlage") << "beispiel" << true;
        QTest::newRow("eine Melderkarte weniger") << "weniger" << false;
    }

    void konfigurationBehaeltDieStatistik()
    {
        QFETCH(QString, weg);
        QFETCH(bool, bleibt);
        Start s(Ini);
        TfMain& w = *s.fenster;
        StatistikPanel* st = w.pMelder->Statistik;
        const EingangsStatistik::Zeitpunkt zeit = EingangsStatistik::Uhr::now();
        st->uhr = [zeit] { return zeit; };   // four changes at one moment: flickering
        sntEin(s);
        for (std::uint32_t n = 1; n <= 4; ++n) {
            s.karte.setMelder(12, n % 2 == 1);
            QTRY_COMPARE(wechsel(w, TfMain::SMelder, 12), n);
        }
        MonitorGrid* gMel = w.pMelder->panelM->grid;
        QVERIFY(gMel->isMarked(12));
        w.mnuSNTaus->trigger();

        if (weg == QLatin1String("beispiel")) {
            w.anlage->beispielEinrichten(AnlagenBetrieb::BeispielKarten);   // shows the route page
        } else {
            w.pControl->setCurrentIndex(TfMain::SConfig);
            if (weg == QLatin1String("mehr"))
                s.cfg()->spin(config::Melder)->setValue(5);
            else if (weg == QLatin1String("weniger"))
                s.cfg()->spin(config::Melder)->setValue(1);
        }
        w.pControl->setCurrentIndex(TfMain::SMelder);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SMelder));

        QCOMPARE(gMel->isMarked(12), bleibt);
        QCOMPARE(st->gStatistik->rowCount(), bleibt ? 1 : 0);
        if (bleibt) {
            QCOMPARE(st->zelle(0, 0)->text() + st->zelle(0, 1)->text() + st->zelle(0, 2)->text(),
                     QStringLiteral("Melder124"));
            QCOMPARE(st->zelle(0, 0)->foreground().color(), QColor(gridgeo::MarkColour));
        }
        // The second card back: detector 12 starts at nothing.
        if (!bleibt) {
            w.pControl->setCurrentIndex(TfMain::SConfig);
            s.cfg()->spin(config::Melder)->setValue(2);
            w.pControl->setCurrentIndex(TfMain::SMelder);
            QCOMPARE(wechsel(w, TfMain::SMelder, 12), 0u);
            QVERIFY(!gMel->isMarked(12));
        }
        // Only "Zurücksetzen" takes what is kept.
        QTest::mouseClick(st->btnStatReset, Qt::LeftButton);
        QVERIFY(!gMel->isMarked(12));
        QCOMPARE(st->gStatistik->rowCount(), 0);
    }

    // Elements 3 and 4 change while the supply is off: the first poll after
    // SNT-ein takes them as they are, the next change counts with its time.
    void ausgeschaltetGeaendertZaehltNicht_data()
    {
        QTest::addColumn<int>("nummer");
        QTest::newRow("Melder") << int(TfMain::SMelder);
        QTest::newRow("Taster") << int(TfMain::STaster);
    }

    void ausgeschaltetGeaendertZaehltNicht()
    {
        QFETCH(int, nummer);
        const auto seite = TfMain::Seite(nummer);
        Start s(Ini);
        TfMain& w = *s.fenster;
        sntEin(s, seite);
        QTest::mouseClick(statistik(w, seite)->btnStatReset, Qt::LeftButton);
        w.mnuSNTaus->trigger();
        setzen(s, seite, 3, true);
        setzen(s, seite, 4, true);
        w.mnuSNTein->trigger();
        QVERIFY(w.mnuSNTaus->isEnabled());
        QTRY_COMPARE(gitter(w, seite)->cellColor(1, 4), QColor(gridgeo::Red));   // polled

        QCOMPARE(wechsel(w, seite, 3), 0u);
        QCOMPARE(wechsel(w, seite, 4), 0u);
        QCOMPARE(statistik(w, seite)->gStatistik->rowCount(), 0);

        const EingangsStatistik::Zeitpunkt vorher = EingangsStatistik::Uhr::now();
        setzen(s, seite, 3, false);
        QTRY_COMPARE(wechsel(w, seite, 3), 1u);
        QVERIFY(statistik(w, seite)->statistik.eintrag(art(seite), 3).zuletzt >= vorher);
        QCOMPARE(wechsel(w, seite, 4), 0u);
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
            QTRY_COMPARE(wechsel(w, TfMain::SMelder, e), 1u);
        }
        StatistikPanel* st = w.pMelder->Statistik;
        st->listeZeigen();
        const QRect sichtbar = st->gStatistik->viewport()->rect();
        for (int p = 0; p < StatistikPanel::ListenZeilen; ++p) {
            for (int spalte = 0; spalte < 4; ++spalte) {
                QTableWidgetItem* z = st->zelle(p, spalte);
                QVERIFY2(z && !z->text().isEmpty(), qPrintable(QString::number(p)));
                QVERIFY2(sichtbar.contains(st->gStatistik->visualItemRect(z)),
                         qPrintable(QStringLiteral("Platz %1, Spalte %2").arg(p + 1).arg(spalte)));
            }
        }
        QCOMPARE(st->zelle(0, 1)->text(), QStringLiteral("12"));   // the latest of equals first
        w.mnuSNTaus->trigger();
    }
};

QTEST_MAIN(StatistikTest)
#include "statistik_test.moc"
