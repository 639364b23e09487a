// The automatic walks on the virtual card, as one person at the layout uses
// them: an LED chain and the turnouts walked at their beat (with the
// keep-alive line toggling), the keys on the page and the four remote
// buttons, the train moved from block to block, the report file and the
// question before it is emptied, and nothing left lit or powered when the
// walk ends.
#include "anlagenprotokoll.h"
#include "automatikgruppe.h"
#include "coilpage.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "ledpage.h"
#include "pruefberichtfenster.h"
#include "signalpage.h"
#include "spulenimpuls.h"
#include "weichepage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMessageBox>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>

#include <set>

using Coil = VirtualCard::Coil;
using Spulen = std::vector<std::vector<Coil>>;

namespace {

const QByteArray Ini("[Karten]\nBlock=12\nWeichen=2\nSignale=1\nLeds2=3\n"
                     "[Taster]\nOben=1\nUnten=2\nRechts=3\nLinks=4\n");
const VirtualLayout Anlage{.weichenCards = 2, .signalCards = 1, .led1Cards = 0, .led2Cards = 3, .led3Cards = 0};

Coil weiche(int n, int lage) { return {Coil::Kind::Turnout, n, lage}; }

AutomatikGruppe& seite(TfMain& w, int nr)
{
    w.show();
    w.pControl->setCurrentIndex(nr);
    return *w.automatik(nr);
}

// The walk at its beat; a long one when the test steps it itself.
void bereich(AutomatikGruppe& a, int von, int bis, double takt = 10)
{
    a.sVon->setValue(von);
    a.sBis->setValue(bis);
    a.sTakt->setValue(takt);
}

// The walk over chain 2 from von to bis started, at its first LED.
AutomatikGruppe& ledRundgang(TfMain& w, int von, int bis)
{
    AutomatikGruppe& a = seite(w, TfMain::SLeds);
    QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
    bereich(a, von, bis);
    QTest::mouseClick(a.btnAuto, Qt::LeftButton);
    return a;
}

// The lines of one kind in the layout log since the last look, without their time.
void sammeln(AnlagenProtokoll& log, const QString& art, QStringList& zeilen)
{
    for (const std::string& z : log.pruefen())
        if (const QString s = QString::fromStdString(z).section(u'\t', 1); s.startsWith(art + u'\t'))
            zeilen << s;
}

// The LEDs switched on in these lines, in turn; allein: never two lit at once.
QStringList eingeschaltet(const QStringList& zeilen, bool& allein)
{
    QStringList an;
    std::set<QString> brennt;
    allein = true;
    for (const QString& z : zeilen) {
        const QString nr = z.section(u'\t', 1, 1);
        if (!z.endsWith(QStringLiteral("ein"))) {
            brennt.erase(nr);
            continue;
        }
        brennt.insert(nr);
        an << nr;
        allein = allein && brennt.size() == 1;
    }
    return an;
}

// A pause of the keep-alive tick into which the walk's beat falls.
AutomatikGruppe* taktImTakt = nullptr;
void pauseMitTakt(int)
{
    taktImTakt->schritt();
}

bool rot(const QLabel* l) { return l->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }

}  // namespace

class AutomatikTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void ledKetteEineNachDerAnderen()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, TfMain::SLeds);
        QVERIFY(!a.btnAuto->isEnabled());   // no chain chosen
        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        QCOMPARE(a.sBis->value(), 96);
        QCOMPARE(a.sTakt->value(), 1.0);
        bereich(a, 37, 39, 0.2);
        AnlagenProtokoll log(s.karte);
        QStringList leds;
        sammeln(log, QStringLiteral("LED"), leds);
        leds.clear();
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QCOMPARE(a.btnAuto->text(), QStringLiteral("Pau&se"));
        QCOMPARE(w.pLeds->LedNr->text(), QStringLiteral("1037"));
        bool allein = true;
        QTRY_VERIFY_WITH_TIMEOUT((sammeln(log, QStringLiteral("LED"), leds), eingeschaltet(leds, allein).size() >= 4),
                                 10000);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QCOMPARE(eingeschaltet(leds, allein).mid(0, 4), (QStringList{"1037", "1038", "1039", "1037"}));
        QVERIFY(allein);
        // Paused, the LED in work stays lit, alone, and the page shows it.
        const int n = w.pLeds->ledTrack->value();
        QCOMPARE(s.karte.litLeds(2), std::vector<int>{n});
        QCOMPARE(w.pLeds->LedNr->text(), QString::number(1000 + n));
        QCOMPARE(a.btnAuto->text(), QStringLiteral("&Start"));
    }

    void weichenNacheinanderMitSnt()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, TfMain::SWeiche);
        QCOMPARE(a.sTakt->value(), 2.0);
        w.mnuSNTeinClick();
        bereich(a, 3, 4, 0.2);
        s.karte.clearCoilLog();
        s.karte.clearKeepAliveEdges();
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(s.karte.coilLog().size() >= 5, 10000);
        a.beenden();
        QVERIFY(s.karte.poweredCoils().empty());
        const Spulen log = s.karte.coilLog();
        QCOMPARE(Spulen(log.begin(), log.begin() + 5),
                 (Spulen{{weiche(3, 1)}, {weiche(3, 2)}, {weiche(4, 1)}, {weiche(4, 2)}, {weiche(3, 1)}}));
        // The line went on toggling while the walk switched.
        const auto kanten = s.karte.keepAliveEdges();
        QVERIFY(kanten.size() >= 10);
        for (std::size_t i = 1; i < kanten.size(); ++i)
            QVERIFY(kanten[i].at - kanten[i - 1].at < std::chrono::milliseconds(500));
        w.mnuSNTausClick();
    }

    void schrittErstNachDemSntTakt()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, TfMain::SWeiche);
        bereich(a, 3, 4);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        s.karte.clearCoilLog();
        taktImTakt = &a;
        const PauseFunktion vorher = setPauseFunktion(&pauseMitTakt);
        w.tiSNTTimer();
        setPauseFunktion(vorher);
        QVERIFY(s.karte.coilLog().empty());   // nothing switched inside the tick
        QTRY_COMPARE(s.karte.coilLog(), Spulen{{weiche(3, 2)}});   // right after it
    }

    void tastenAufDerSeite()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        WeichePage& p = *w.pWeiche;
        AutomatikGruppe& a = seite(w, TfMain::SWeiche);
        // Without a walk the keys are the page's as ever.
        QTest::keyClick(p.wTrack, Qt::Key_Right);
        QCOMPARE(p.wTrack->value(), 2);
        QVERIFY(s.karte.coilLog().empty());

        bereich(a, 4, 16);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QCOMPARE(p.WNr->text(), QStringLiteral("4"));
        // Space on a focused button pauses the walk and leaves the button alone.
        s.karte.clearCoilLog();
        QTest::keyClick(p.btnWa, Qt::Key_Space);
        QVERIFY(!a.laeuft());
        QTest::keyClick(p.btnWa, Qt::Key_Space);
        QVERIFY(a.laeuft());
        QVERIFY(s.karte.coilLog().empty());
        // Right: the next turnout straight, paused, once the pulse of 4 has ended;
        // the track does not move on its own.
        QTest::keyClick(p.wTrack, Qt::Key_Right);
        QTRY_COMPARE(p.wTrack->value(), 5);
        QCOMPARE(s.karte.coilLog(), Spulen{{weiche(5, 1)}});
        QVERIFY(!a.laeuft());
        // F marks the position shown; the big number turns red; F again takes it back.
        a.schritt();
        QTRY_COMPARE(a.rundgang().lage(), 1);
        QTest::keyClick(p.wTrack, Qt::Key_F);
        QVERIFY(w.fBericht->bericht.fehlerhaft(Pruefbericht::Art::Weiche, 5, Pruefbericht::Abzweigend));
        QVERIFY(rot(p.WNr));
        QCOMPARE(w.statusText(0), QStringLiteral(" Weiche 5 abzweigend fehlerhaft"));
        QTest::keyClick(p.wTrack, Qt::Key_F);
        QVERIFY(w.fBericht->bericht.fehler().empty());
        QVERIFY(!rot(p.WNr));
        // A field being edited keeps its keys.
        a.sBis->setFocus();
        QTest::keyClick(a.sBis, Qt::Key_Left);
        QTest::keyClick(a.sBis, Qt::Key_F);
        QCOMPARE(a.rundgang().element(), 5);
        QVERIFY(w.fBericht->bericht.fehler().empty());
    }

    void fernTasterImRundgang()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, TfMain::SWeiche);
        w.mnuSNTeinClick();
        bereich(a, 3, 16);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        const auto druecken = [&](int taster) {
            s.karte.setBlockButton(taster, true);
            QTRY_COMPARE(w.LetzterTaster, taster);
            s.karte.setBlockButton(taster, false);
            QTRY_COMPARE(w.LetzterTaster, 0);
        };
        druecken(1);   // up: the next turnout, paused
        QTRY_COMPARE(w.pWeiche->WNr->text(), QStringLiteral("4"));
        QVERIFY(!a.laeuft());
        druecken(4);   // left: faulty
        QTRY_VERIFY(w.fBericht->bericht.fehlerhaft(Pruefbericht::Art::Weiche, 4, Pruefbericht::Gerade));
        druecken(2);   // down: back
        QTRY_COMPARE(w.pWeiche->WNr->text(), QStringLiteral("3"));
        druecken(3);   // right: runs on
        QTRY_VERIFY(a.laeuft());
        druecken(3);   // ... and pauses
        QTRY_VERIFY(!a.laeuft());
        // No pulse of the buttons' own: only the walk's.
        QCOMPARE(s.karte.coilLog(), (Spulen{{weiche(3, 1)}, {weiche(4, 1)}, {weiche(3, 1)}}));
        w.mnuSNTausClick();
    }

    void zugWandertVonBlockZuBlock()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        FahrenPage& p = *w.pFahren;
        AutomatikGruppe& a = seite(w, TfMain::SFahren);
        QCOMPARE(a.sTakt->value(), 3.0);
        QCOMPARE(a.sBis->value(), 24);
        QVERIFY(!a.btnAuto->isEnabled());   // only while the train runs
        p.faTrack->setValue(16);
        bereich(a, 3, 4);
        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QCOMPARE(p.pNrBlock->text(), QStringLiteral("3"));
        const auto nurDer = [&s](int b) { return s.karte.block(b).powered && !s.karte.block(7 - b).powered; };
        QTRY_VERIFY(nurDer(3));
        a.schritt();
        QCOMPARE(p.pNrBlock->text(), QStringLiteral("4"));
        QTRY_VERIFY(nurDer(4));
        a.schritt();
        QTRY_VERIFY(nurDer(3));
        // Stepped on before their beat ran out, neither counts; a full beat each, both do.
        using Bereiche = std::vector<std::pair<int, int>>;
        QCOMPARE(w.fBericht->bericht.bereiche(Pruefbericht::Art::Block), Bereiche{});
        a.sTakt->setValue(0.2);
        QTRY_COMPARE(w.fBericht->bericht.bereiche(Pruefbericht::Art::Block), (Bereiche{{3, 4}}));
        // Releasing Start ends the walk, and the run switches everything off.
        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QVERIFY(!a.aktiv());
        QTRY_VERIFY(!s.karte.block(3).powered && p.btnStop->text() == QStringLiteral("Start"));
        QCOMPARE(w.fBericht->bericht.bereiche(Pruefbericht::Art::Block), (Bereiche{{3, 4}}));
    }

    // However fast the remote or the keys ask, each coil has its whole pulse
    // and only then the next; a held key steps once; the report lists the
    // coils pulsed in full.
    void nurVolleImpulse_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<int>("wiederholungen");   // of Right; -1: the remote's "Auf" held
        QTest::addColumn<QList<int>>("folge");
        QTest::newRow("Weichen, Auf-Taster gehalten") << int(TfMain::SWeiche) << -1 << QList<int>{1, 2, 3, 1};
        QTest::newRow("Signale, Rechts gehalten") << int(TfMain::SSignal) << 20 << QList<int>{1, 2};
    }
    void nurVolleImpulse()
    {
        QFETCH(int, nr);
        QFETCH(int, wiederholungen);
        QFETCH(QList<int>, folge);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, nr);
        CoilSelection& c = nr == TfMain::SWeiche ? *w.pWeiche->auswahl : *w.pSignal->auswahl;
        w.mnuSNTeinClick();
        bereich(a, 1, 3);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);   // coil 1, then paused
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        if (wiederholungen < 0) {
            s.karte.setBlockButton(1, true);
            QTRY_VERIFY_WITH_TIMEOUT(s.karte.coilLog().size() >= 4, 10000);
            s.karte.setBlockButton(1, false);
        } else {
            QTRY_VERIFY(!c.impuls->laeuft());
            for (int i = 0; i <= wiederholungen; ++i) {   // Right held: its press, then the repeats
                QKeyEvent rechts(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), i > 0);
                QApplication::sendEvent(c.track, &rechts);
            }
        }
        QTRY_VERIFY(w.LetzterTaster == 0 && !a.wartet() && !c.impuls->laeuft());
        QList<int> ist;
        for (const std::vector<Coil>& spulen : s.karte.coilLog())
            ist << (spulen.size() == 1 ? spulen[0].number : 0);
        QCOMPARE(wiederholungen < 0 ? ist.mid(0, 4) : ist, folge);
        // A pulse cut short would not count.
        QCOMPARE(w.fBericht->bericht.bereiche(a.art()),
                 (std::vector<std::pair<int, int>>{{1, *std::max_element(ist.begin(), ist.end())}}));
        w.mnuSNTausClick();
    }

    // Whatever pauses a walk leaves its element in work shown, an LED lit, a
    // coil unpowered; F marks it, and running on (Alt+S) starts with it.
    void pauseLaesstDasElementStehen_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<bool>("snt");   // SNT-ein, else Reset
        QTest::newRow("LED, SNT-ein") << int(TfMain::SLeds) << true;
        QTest::newRow("LED, Reset") << int(TfMain::SLeds) << false;
        QTest::newRow("Weiche im Impuls, SNT-ein") << int(TfMain::SWeiche) << true;
        QTest::newRow("Signal im Impuls, Reset") << int(TfMain::SSignal) << false;
    }
    void pauseLaesstDasElementStehen()
    {
        QFETCH(int, nr);
        QFETCH(bool, snt);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        const bool led = nr == TfMain::SLeds;
        w.pWeiche->btnWZeit->setValue(5000);
        w.pSignal->btnSZeit->setValue(5000);
        AutomatikGruppe& a = led ? ledRundgang(w, 3, 9) : seite(w, nr);
        if (!led)
            QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        const Spulen gepulst = s.karte.coilLog();
        snt ? w.mnuSNTeinClick() : w.mnuResetClick();
        QVERIFY(!a.laeuft());
        if (led)
            QTRY_COMPARE(s.karte.litLeds(2), std::vector<int>{3});
        QVERIFY(s.karte.poweredCoils().empty());
        QTest::keyClick(w.focusWidget(), Qt::Key_F);
        QVERIFY(w.fBericht->bericht.fehlerhaft(a.art(), led ? 1003 : 1, nr == TfMain::SWeiche ? 1 : 0));
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(a.laeuft());
        QCOMPARE(a.rundgang().element(), led ? 3 : 1);
        if (led)
            QCOMPARE(s.karte.litLeds(2), std::vector<int>{3});
        else   // the pulse comes by a queued call, late on a slow machine
            QTRY_COMPARE_WITH_TIMEOUT(s.karte.coilLog(), (Spulen{gepulst[0], gepulst[0]}), 10000);
        a.beenden();
    }

    // von and bis take a typed number once it is finished; a walk under way
    // goes on within the new range from where it stands.
    void vonBisNachDerEingabe_data()
    {
        QTest::addColumn<bool>("bisFeld");
        QTest::addColumn<QString>("getippt");
        QTest::addColumn<QString>("danach");   // von-bis, and the element after 22
        QTest::newRow("bis zweistellig") << true << "22" << "20-22 20";
        QTest::newRow("bis unter von") << true << "5" << "5-5 5";
        QTest::newRow("von zweistellig") << false << "21" << "21-32 23";
    }
    void vonBisNachDerEingabe()
    {
        QFETCH(bool, bisFeld);
        QFETCH(QString, getippt);
        QFETCH(QString, danach);
        Start s(Ini, true, Anlage);
        AutomatikGruppe& a = ledRundgang(*s.fenster, 20, 32);
        a.schritt();
        a.schritt();
        const auto stand = [&a] {
            return QStringLiteral("%1-%2 %3").arg(a.sVon->value()).arg(a.sBis->value()).arg(a.rundgang().element());
        };
        QSpinBox* feld = bisFeld ? a.sBis : a.sVon;
        feld->selectAll();
        QTest::keyClicks(feld, getippt);
        QCOMPARE(stand(), QStringLiteral("20-32 22"));   // nothing yet
        QTest::keyClick(feld, Qt::Key_Return);
        a.schritt();
        QCOMPARE(stand(), danach);
        QVERIFY(a.laeuft());
    }

    void berichtMitZweiFehlern()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        ledRundgang(w, 37, 96);
        QTest::keyClick(w.pLeds->ledTrack, Qt::Key_F);
        QTest::keyClick(w.pLeds->ledTrack, Qt::Key_Plus);
        AutomatikGruppe& weichen = seite(w, TfMain::SWeiche);
        bereich(weichen, 5, 16);
        QTest::mouseClick(weichen.btnAuto, Qt::LeftButton);
        weichen.schritt();
        QTRY_COMPARE(weichen.rundgang().lage(), 1);
        QTest::keyClick(w.pWeiche->wTrack, Qt::Key_F);

        // The report, shared by the pages, newest first.
        QTest::mouseClick(weichen.btnBericht, Qt::LeftButton);
        PruefberichtFenster& f = *w.fBericht;
        QVERIFY(f.isVisible());
        QCOMPARE(f.gFehler->rowCount(), 2);
        QCOMPARE(f.gFehler->item(0, 1)->text(), QStringLiteral("Weichen"));
        QCOMPARE(f.gFehler->item(0, 3)->text(), QStringLiteral("abzweigend fehlerhaft"));
        QCOMPARE(f.gFehler->item(1, 2)->text(), QStringLiteral("LED 1037"));

        QString pfad = s.dir.filePath(QStringLiteral("bericht.txt"));
        w.dateiWaehlen = [&pfad](bool, const QString&, const QString&, const QString&) { return pfad; };
        QTest::mouseClick(f.btnBerichtSave, Qt::LeftButton);
        const QStringList z = QString::fromUtf8(fixture::lesen(pfad)).split(u'\n');
        QCOMPARE(z.value(0), QStringLiteral("Prüfbericht KVX-Test"));
        QVERIFY(z.value(1).startsWith(QStringLiteral("Datum\t")));
        QCOMPARE(z.value(2), QStringLiteral("Version\t" KVX_VERSION));
        QVERIFY(z.contains(QStringLiteral("Karten\tWeichen\t2")) && z.contains(QStringLiteral("Karten\tLeds2\t3")));
        // The faults with the times the window shows (newest first), the date before them.
        const auto zeit = [&f](std::size_t i) {
            return f.bericht.fehler()[i].zeit.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
        };
        QVERIFY(zeit(0).endsWith(u' ' + f.gFehler->item(1, 0)->text()));
        QVERIFY(zeit(1).endsWith(u' ' + f.gFehler->item(0, 0)->text()));
        QCOMPARE(z.mid(z.indexOf(QString()) + 1).join(u'\n'),
                 QStringLiteral("LED\t1037\tgeprüft\nLED\t1037\tfehlerhaft\t%1\n\n"
                                "Weiche\t5\tgeprüft\nWeiche\t5\tabzweigend fehlerhaft\t%2\n")
                     .arg(zeit(0), zeit(1)));
        pfad = s.dir.filePath(QStringLiteral("fehlt/bericht.txt"));
        QTest::mouseClick(f.btnBerichtSave, Qt::LeftButton);
        QVERIFY(!s.meldungen.isEmpty());
        QVERIFY(s.meldungen.last().contains(QStringLiteral("bericht.txt\" kann nicht erstellt werden.")));

        // Emptying asks first; "Nein" keeps the session's report.
        QTest::mouseClick(f.btnBerichtClear, Qt::LeftButton);
        QCOMPARE(s.fragen.size(), 1);
        QVERIFY2(s.fragen[0].startsWith(QStringLiteral("Prüfbericht leeren?")), qPrintable(s.fragen[0]));
        QCOMPARE(f.gFehler->rowCount(), 2);
        QVERIFY(rot(w.pWeiche->WNr));
        s.antwort = true;
        QTest::mouseClick(f.btnBerichtClear, Qt::LeftButton);
        QCOMPARE(f.gFehler->rowCount(), 0);
        QVERIFY(f.bericht.leer());
        QVERIFY(!rot(w.pWeiche->WNr));
        QTest::mouseClick(f.btnBerichtClear, Qt::LeftButton);   // nothing to lose: no question
        QCOMPARE(s.fragen.size(), 2);
    }

    // The question itself: "Ja" and "Nein", Enter and Esc answer "Nein".
    void leerenFragtMitNeinVorgewaehlt_data()
    {
        QTest::addColumn<int>("taste");   // 0: the "Ja" button clicked
        QTest::addColumn<bool>("geleert");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Esc") << int(Qt::Key_Escape) << false;
        QTest::newRow("Ja") << 0 << true;
    }

    void leerenFragtMitNeinVorgewaehlt()
    {
        QFETCH(int, taste);
        QFETCH(bool, geleert);
        PruefberichtFenster f;
        f.bericht.geprueft(Pruefbericht::Art::Led, 5);
        QStringList knoepfe;
        QTimer antworten;   // the box is modal inside the click: answered from its event loop
        QObject::connect(&antworten, &QTimer::timeout, &antworten, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                antworten.stop();
                for (QAbstractButton* b : box->buttons())
                    knoepfe << b->text();
                taste ? QTest::keyClick(box, Qt::Key(taste)) : box->button(QMessageBox::Yes)->click();
            }
        });
        antworten.start(5);
        QTest::mouseClick(f.btnBerichtClear, Qt::LeftButton);
        knoepfe.sort();
        QCOMPARE(knoepfe, (QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}));
        QCOMPARE(f.bericht.leer(), geleert);
    }

    void endeLaesstNichtsAn()
    {
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& led = seite(w, TfMain::SLeds);
        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        QTest::mouseClick(led.btnAuto, Qt::LeftButton);
        QCOMPARE(s.karte.litLeds(2), std::vector<int>{1});
        AutomatikGruppe& weichen = seite(w, TfMain::SWeiche);
        QVERIFY(!led.aktiv());
        QVERIFY(s.karte.litLeds(2).empty());

        w.pWeiche->btnWZeit->setValue(5000);
        QTest::mouseClick(weichen.btnAuto, Qt::LeftButton);
        QVERIFY(!s.karte.poweredCoils().empty());
        AutomatikGruppe& signale = seite(w, TfMain::SSignal);
        QVERIFY(!weichen.aktiv() && !weichen.laeuft());
        QVERIFY(s.karte.poweredCoils().empty());

        w.pSignal->btnSZeit->setValue(5000);
        QTest::mouseClick(signale.btnAuto, Qt::LeftButton);
        QVERIFY(!s.karte.poweredCoils().empty());
        w.close();
        QVERIFY(!signale.aktiv());
        QVERIFY(!s.karte.coilEnable());
    }
};

QTEST_MAIN(AutomatikTest)
#include "automatik_test.moc"
