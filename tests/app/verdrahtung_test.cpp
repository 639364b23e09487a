// The window "Verdrahtung prüfen" on the main window and the virtual card:
// findings into the list and the test report, the question before the blocks
// get power, the guided check, Esc and closing during a run (every output
// off, the supply as before or off), and the tick resuming after a check.
#include "fensterstart.h"
#include "anlagenbetrieb.h"
#include "kvxhard.h"
#include "pruefberichtfenster.h"
#include "verdrahtungsfenster.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

using fixture::schnellePause;
using fixture::Start;

namespace {

// The card counts of the virtual card the window starts on.
const QByteArray Ini = "[Karten]\r\nBlock=12\r\nHilfsBlock=12\r\nMelder=11\r\nWeichen=11\r\nSignale=2\r\n"
                       "Taster1=2\r\nTaster2=0\r\nLeds1=25\r\nLeds2=25\r\nLeds3=25\r\n";

// The worker holds the card component: the window closes, as at every end
// of the program, before the component goes.
struct Schliessen {
    Start& s;
    ~Schliessen()
    {
        if (s.fenster)
            s.fenster->close();
    }
};

VerdrahtungsFenster* oeffnen(Start& s)
{
    auto* mnu = s.fenster->findChild<QAction*>(QStringLiteral("mnuVerdrahtung"));
    if (!mnu)
        return nullptr;
    mnu->trigger();
    auto* f = s.fenster->findChild<VerdrahtungsFenster*>();
    if (f) {
        f->zeiten.periode = std::chrono::milliseconds(2);   // the virtual card answers within a cycle
        f->zeiten.einZyklen = 1;
        f->zeiten.ausZyklen = 1;
    }
    return f;
}

void fehler(Start& s, const char* liste)
{
    const verdrahtung::Lesung l = verdrahtung::lesen(liste, s.karte.layout());
    QCOMPARE(QString::fromStdString(l.meldung), QString());
    s.karte.setFehler(l.fehler);
}

bool alleAus(const VirtualCard& k)
{
    for (int b = 1; b <= 2 * k.layout().blockCards; ++b)
        if (k.block(b).powered || k.hblockOn(2 * b - 1) || k.hblockOn(2 * b))
            return false;
    return true;
}

}  // namespace

class VerdrahtungTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    // A rest check from the menu: its finding in the list and in the report under "Verdrahtung".
    void ruheBefundInListeUndBericht()
    {
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "haengt:melder:5");
        VerdrahtungsFenster* f = oeffnen(s);
        QVERIFY(f && f->isVisible());
        QSignalSpy fertig(f, &VerdrahtungsFenster::beendet);
        f->btnStart->click();
        QVERIFY(f->laeuft());
        QVERIFY(fertig.wait(10000));
        QVERIFY(!f->laeuft());
        QCOMPARE(f->lwBefunde->count(), 1);
        QVERIFY(f->lwBefunde->item(0)->text().startsWith(QStringLiteral("haengt:melder:5 – Melder 5")));
        const QString bericht = QString::fromUtf8(s.fenster->fBericht->bericht.text({}));
        QVERIFY2(bericht.contains(QStringLiteral("\nVerdrahtung\tRuhe\tgeprüft\nVerdrahtung\thaengt:melder:5\tMelder 5 ")),
                 qPrintable(bericht));
    }

    // The blocks get power only after "Ja", the page cannot change meanwhile;
    // with the supply on before, its tick runs again afterwards.
    void bloeckeNachFrageUndTaktWieVorher()
    {
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "last:block:alle,last:hblock:alle,tausch:block:3:4");
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTein->trigger();
        QVERIFY(w.tiSNT->isActive());
        VerdrahtungsFenster* f = oeffnen(s);
        f->cbBloecke->setChecked(true);
        f->btnStart->click();
        QVERIFY(!f->laeuft());
        QVERIFY(f->wBestaetigen->isVisible());
        f->btnNein->click();
        QVERIFY(!f->laeuft());
        QVERIFY(w.tiSNT->isActive());

        QSignalSpy fertig(f, &VerdrahtungsFenster::beendet);
        f->btnStart->click();
        f->btnJa->click();
        QVERIFY(f->laeuft());
        QVERIFY(!w.tiSNT->isActive());   // the worker pulses the line meanwhile
        QVERIFY(!w.mnuSNTaus->isEnabled());
        // The page stays: another page's show handler would switch the powered block off.
        w.pControl->setCurrentIndex(TfMain::SConfig);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SMelder));
        QVERIFY(fertig.wait(20000));
        QVERIFY(w.tiSNT->isActive());
        QVERIFY(w.mnuSNTaus->isEnabled());
        QVERIFY(alleAus(s.karte));
        QStringList befunde;
        for (int i = 0; i < f->lwBefunde->count(); ++i)
            befunde << f->lwBefunde->item(i)->text().section(QStringLiteral(" – "), 0, 0);
        QCOMPARE(befunde, QStringList{QStringLiteral("tausch:block:3:4")});
    }

    // A block chain broken behind card 1 powers the blocks behind it all the
    // time: the check ends after the rest, and the supply that was on before
    // stays off, as after Esc, with the reason in the list. The same when the
    // guided check's rest finds it: no press is asked for.
    void ketteOhneAusLaesstNetzteilAus_data()
    {
        QTest::addColumn<bool>("gefuehrt");
        QTest::newRow("Blockprüfung") << false;
        QTest::newRow("geführte Prüfung") << true;
    }
    void ketteOhneAusLaesstNetzteilAus()
    {
        QFETCH(bool, gefuehrt);
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "last:block:alle,last:hblock:alle,bruch:block:1");
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTein->trigger();
        QVERIFY(w.tiSNT->isActive());
        VerdrahtungsFenster* f = oeffnen(s);
        QSignalSpy fertig(f, &VerdrahtungsFenster::beendet);
        if (gefuehrt) {
            f->cbGruppe->setCurrentIndex(0);   // Melder
            f->btnEingaben->click();
        } else {
            f->cbBloecke->setChecked(true);
            f->btnStart->click();
            f->btnJa->click();
        }
        QVERIFY(fertig.wait(20000));
        QVERIFY(!f->laeuft());
        QVERIFY(f->netzteilAbgeschaltet());
        QVERIFY(!w.tiSNT->isActive());
        QVERIFY(w.mnuSNTein->isEnabled() && !w.mnuSNTaus->isEnabled());
        QString liste;
        for (int i = 0; i < f->lwBefunde->count(); ++i)
            liste += f->lwBefunde->item(i)->text() + u'\n';
        QVERIFY2(liste.contains(QStringLiteral("bruch:block:1")) && liste.contains(QStringLiteral("Hinweis: ")),
                 qPrintable(liste));
    }

    // Esc in the middle of the blocks, and closing the program in the middle
    // (or destroying its window unclosed): every output off, the supply ends
    // off, nothing enters the report.
    void escUndSchliessenBeendenDenLauf_data()
    {
        QTest::addColumn<int>("wie");
        QTest::newRow("Esc") << 0;
        QTest::newRow("Fenster schließen") << 1;
        QTest::newRow("Fenster zerstört") << 2;
    }
    void escUndSchliessenBeendenDenLauf()
    {
        QFETCH(int, wie);
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "last:block:alle");
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTein->trigger();
        VerdrahtungsFenster* f = oeffnen(s);
        f->zeiten.einZyklen = 50;   // long enough to be caught with a block on
        f->cbBloecke->setChecked(true);
        f->btnStart->click();
        f->btnJa->click();
        QTRY_VERIFY_WITH_TIMEOUT(s.karte.block(1).powered, 10000);
        if (wie == 2) {
            s.fenster.reset();   // the worker must not outlive the card component
            QVERIFY(alleAus(s.karte));
            return;
        }
        if (wie == 1) {
            w.close();
            QVERIFY(!f->laeuft());
        } else {
            w.mnuAllesAus->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(!f->laeuft(), 5000);
            QVERIFY(!w.tiSNT->isActive());
            QVERIFY(w.mnuSNTein->isEnabled() || !w.mnuSNTaus->isEnabled());
        }
        QVERIFY(alleAus(s.karte));
        QVERIFY(s.fenster->fBericht->bericht.verdrahtung().empty());
    }

    // The guided check: the rest first (a stuck detector is left out), then
    // the expected number follows the presses; a crossed pair is found when
    // its press brings the same twice, a slip of the finger is dropped, a
    // press can be taken back, and the red answer goes with the next check.
    void gefuehrtFindetTauschNichtVersehen()
    {
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "tausch:melder:3:4,haengt:melder:7");
        VerdrahtungsFenster* f = oeffnen(s);
        f->cbGruppe->setCurrentIndex(0);   // Melder
        QSignalSpy fertig(f, &VerdrahtungsFenster::beendet);
        f->btnEingaben->click();
        QVERIFY(f->laeuft());
        QCOMPARE(f->lErwartet->text(), QStringLiteral("–"));   // the rest comes first
        QTRY_COMPARE_WITH_TIMEOUT(f->lErwartet->text(), QStringLiteral("1"), 5000);
        QVERIFY(f->lStatus->text().contains(QStringLiteral("Ausgelassen, weil schon in Ruhe belegt oder wechselnd: 7.")));
        QVERIFY(!f->btnZurueck->isEnabled());
        const long bytes = s.fenster->kvx->EinDatenBytes;
        // The first read of the presses' cycles is what they are seen against.
        const auto nachEinemLesen = [&] {
            const long gelesen = s.karte.reads() + 3 * bytes;
            QTRY_VERIFY_WITH_TIMEOUT(s.karte.reads() > gelesen, 5000);
        };
        nachEinemLesen();
        const auto druecken = [&](int m, const QString& kam, const QString& danach) {
            s.karte.setMelder(m, true);
            QTRY_COMPARE_WITH_TIMEOUT(f->lKam->text(), kam, 5000);
            s.karte.setMelder(m, false);
            QCOMPARE(f->lErwartet->text(), danach);
            nachEinemLesen();   // a whole input read after the release, before the next press
        };
        druecken(1, QStringLiteral("1 erwartet, 1 kam"), QStringLiteral("2"));
        druecken(2, QStringLiteral("2 erwartet, 2 kam"), QStringLiteral("3"));
        druecken(3, QStringLiteral("3 erwartet, 4 kam: noch einmal 3 drücken"), QStringLiteral("3"));
        QVERIFY(f->stand().kamFalsch);
        druecken(3, QStringLiteral("3 erwartet, 4 kam"), QStringLiteral("4"));
        druecken(4, QStringLiteral("4 erwartet, 3 kam: noch einmal 4 drücken"), QStringLiteral("4"));
        druecken(4, QStringLiteral("4 erwartet, 3 kam"), QStringLiteral("5"));
        druecken(6, QStringLiteral("5 erwartet, 6 kam: noch einmal 5 drücken"), QStringLiteral("5"));   // the slip
        druecken(5, QStringLiteral("5 erwartet, 5 kam"), QStringLiteral("6"));
        druecken(6, QStringLiteral("6 erwartet, 6 kam"), QStringLiteral("8"));   // 7 left out
        druecken(9, QStringLiteral("8 erwartet, 9 kam: noch einmal 8 drücken"), QStringLiteral("8"));
        f->btnZurueck->click();   // the held answer goes
        QCOMPARE(f->lKam->text(), QStringLiteral("8: zurückgenommen"));
        QCOMPARE(f->lErwartet->text(), QStringLiteral("8"));
        f->btnZurueck->click();   // then the press of 6
        QCOMPARE(f->lKam->text(), QStringLiteral("6 zurückgenommen"));
        QCOMPARE(f->lErwartet->text(), QStringLiteral("6"));
        QVERIFY(!f->stand().kamFalsch);
        QCOMPARE(f->zurueck(7), QStringLiteral("Die Prüfung erwartet jetzt 6, nicht 7: „Zurück“ gilt nur bei der "
                                               "angezeigten Nummer."));
        druecken(6, QStringLiteral("6 erwartet, 6 kam"), QStringLiteral("8"));
        druecken(8, QStringLiteral("8 erwartet, 8 kam"), QStringLiteral("9"));
        f->btnFertig->click();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count(), 1, 5000);
        QStringList befunde;
        for (int i = 0; i < f->lwBefunde->count(); ++i)
            befunde << f->lwBefunde->item(i)->text().section(QStringLiteral(" – "), 0, 0);
        QCOMPARE(befunde, (QStringList{QStringLiteral("haengt:melder:7"), QStringLiteral("tausch:melder:3:4"),
                                       QStringLiteral("Hinweis: Melder 7 ausgelassen: schon in Ruhe belegt oder "
                                                      "wechselnd, siehe die Befunde.")}));
        QVERIFY(QString::fromUtf8(s.fenster->fBericht->bericht.text({}))
                    .contains(QStringLiteral("Verdrahtung\tEingaben Melder\tgeprüft")));

        // The last answer was right; a wrong one stays red only until the next check begins.
        f->btnEingaben->click();
        QTRY_COMPARE_WITH_TIMEOUT(f->lErwartet->text(), QStringLiteral("1"), 5000);
        nachEinemLesen();
        druecken(2, QStringLiteral("1 erwartet, 2 kam: noch einmal 1 drücken"), QStringLiteral("1"));
        f->btnStop->click();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count(), 2, 5000);
        f->btnStart->click();
        QVERIFY(f->lKam->text().isEmpty());
        QVERIFY(f->lKam->styleSheet().isEmpty());
        QVERIFY(!f->stand().kamFalsch);
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count(), 3, 5000);
    }

    // The report window: newest first, wiring findings among the marked
    // elements by their time, each check's findings in their order, and the
    // element column wide enough for the longest name.
    void berichtNeuesteZuerstUndGanz()
    {
        PruefberichtFenster f;
        const QDateTime t0 = QDateTime::currentDateTime();
        const auto befund = [](const char* fehler, const char* satz, const QDateTime& zeit) {
            return Pruefbericht::Verdrahtung{{}, QString::fromLatin1(fehler), QString::fromLatin1(satz), zeit};
        };
        f.bericht.verdrahtungSetzen(QStringLiteral("Ruhe"), {befund("haengt:melder:3", "a", t0),
                                                             befund("flackert:melder:5", "b", t0)});
        f.bericht.umschalten(Pruefbericht::Art::Led, 37, Pruefbericht::Ohne, t0.addSecs(5));
        f.bericht.verdrahtungSetzen(QStringLiteral("Blöcke"),
                                    {befund("tausch:blockbelegt:12:14", "c", t0.addSecs(10)),
                                     befund(qPrintable(Pruefbericht::Hinweis), "d", t0.addSecs(10))});
        QStringList spalte;
        for (int z = 0; z < f.gFehler->rowCount(); ++z)
            spalte << f.gFehler->item(z, 2)->text();
        QCOMPARE(spalte, (QStringList{QStringLiteral("tausch:blockbelegt:12:14"), QStringLiteral("LED 37"),
                                      QStringLiteral("haengt:melder:3"), QStringLiteral("flackert:melder:5")}));
        QVERIFY(f.gFehler->columnWidth(2)
                >= f.gFehler->fontMetrics().horizontalAdvance(QStringLiteral("tausch:blockbelegt:12:14")));
    }

    // While a check runs, started on the Config page: no page can be chosen,
    // and nothing changes the card counts or resets the chains under it.
    void waehrendDerPruefungKeineKartenAenderung()
    {
        Start s(Ini);
        Schliessen zu{s};
        fehler(s, "last:block:alle");
        TfMain& w = *s.fenster;
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SConfig));
        VerdrahtungsFenster* f = oeffnen(s);
        f->zeiten.einZyklen = 50;
        QSignalSpy fertig(f, &VerdrahtungsFenster::beendet);
        f->cbBloecke->setChecked(true);
        f->btnStart->click();
        f->btnJa->click();
        QVERIFY(f->laeuft());
        QVERIFY(!w.pConfig->isEnabled());
        QVERIFY(!w.pControl->tabBar()->isEnabled());
        QVERIFY(!w.mnuReInit->isEnabled());
        QVERIFY(!w.mnuReset->isEnabled());
        w.pControl->setCurrentIndex(TfMain::SMelder);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SConfig));
        const int bloecke = w.kvx->BlockAnzahl;
        w.anlage->beispielAnlage();   // "Beispielanlage" of the virtual layout's window
        QCOMPARE(int(w.kvx->BlockAnzahl), bloecke);
        w.mnuAllesAus->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(fertig.count(), 1, 5000);
        QVERIFY(w.pConfig->isEnabled());
        QVERIFY(w.pControl->tabBar()->isEnabled());
        QVERIFY(w.mnuReInit->isEnabled());
        QVERIFY(w.mnuReset->isEnabled());
    }
};

QTEST_MAIN(VerdrahtungTest)
#include "verdrahtung_test.moc"
