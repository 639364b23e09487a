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

// The coil pulses in these lines of the layout log: number and milliseconds
// powered, in turn; paarweise: every pulse ended before the next began.
struct Impuls {
    int nummer;
    long ms;
};
std::vector<Impuls> impulse(const QStringList& zeilen, bool& paarweise)
{
    std::vector<Impuls> liste;
    long ein = -1;
    paarweise = true;
    for (const QString& z : zeilen) {
        const QStringList f = z.split(u'\t');
        if (f.value(1) != QStringLiteral("Weiche") && f.value(1) != QStringLiteral("Spule"))
            continue;
        if (f.value(3).endsWith(QStringLiteral("ein"))) {
            paarweise = paarweise && ein < 0;
            ein = f.value(0).toLong();
            liste.push_back({f.value(2).toInt(), -1});
        } else if (!liste.empty() && ein >= 0) {
            liste.back().ms = f.value(0).toLong() - ein;
            ein = -1;
        }
    }
    return liste;
}

// Every line of the layout log since the last look, with its time.
void alleZeilen(AnlagenProtokoll& log, QStringList& zeilen)
{
    for (const std::string& z : log.pruefen())
        zeilen << QString::fromStdString(z);
}

// A key held down: its press, then the repeats the window system sends.
void halten(QWidget* w, Qt::Key taste, int wiederholungen)
{
    QTest::keyPress(w, taste);
    for (int i = 0; i < wiederholungen; ++i) {
        QKeyEvent wieder(QEvent::KeyPress, taste, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(w, &wieder);
    }
    QTest::keyRelease(w, taste);
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

    // However fast the remote or the keys ask, a coil is pulsed only for its
    // whole switching time and only after the one before; repeats of a held key
    // step nothing; the report lists what was pulsed in full.
    void nurVolleImpulse_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QList<int>>("folge");   // the coils pulsed, in turn; empty: at least four, 1..3 round
        QTest::newRow("Weichen, Auf-Taster gehalten") << int(TfMain::SWeiche) << "Taster" << QList<int>{};
        QTest::newRow("Signale, Rechts gehalten") << int(TfMain::SSignal) << "halten" << QList<int>{1, 2};
        QTest::newRow("Signale, Rechts zweimal") << int(TfMain::SSignal) << "zweimal" << QList<int>{1, 2, 3};
    }
    void nurVolleImpulse()
    {
        QFETCH(int, nr);
        QFETCH(QString, eingabe);
        QFETCH(QList<int>, folge);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, nr);
        CoilSelection& c = nr == TfMain::SWeiche ? *w.pWeiche->auswahl : *w.pSignal->auswahl;
        const auto still = [&] { return !a.wartet() && !c.impuls->laeuft(); };
        w.mnuSNTeinClick();
        AnlagenProtokoll log(s.karte);
        QStringList zeilen;
        alleZeilen(log, zeilen);
        zeilen.clear();
        bereich(a, 1, nr == TfMain::SWeiche ? 3 : 16);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);   // coil 1
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);   // paused
        bool paarweise = true;
        if (eingabe == QStringLiteral("Taster")) {
            s.karte.setBlockButton(1, true);
            QTRY_VERIFY_WITH_TIMEOUT((alleZeilen(log, zeilen), impulse(zeilen, paarweise).size() >= 4), 10000);
            s.karte.setBlockButton(1, false);
            QTRY_COMPARE(w.LetzterTaster, 0);
        } else {
            QTRY_VERIFY(still());
            halten(c.track, Qt::Key_Right, eingabe == QStringLiteral("halten") ? 20 : 0);
            if (eingabe == QStringLiteral("zweimal"))
                QTest::keyClick(c.track, Qt::Key_Right);   // while coil 2 is powered
        }
        QTRY_VERIFY(still());
        alleZeilen(log, zeilen);
        const std::vector<Impuls> liste = impulse(zeilen, paarweise);
        QVERIFY(paarweise);
        std::set<int> gepulst;
        QList<int> nummern;
        for (const Impuls& i : liste) {
            QVERIFY2(i.ms >= c.schaltzeit() - 2, qPrintable(zeilen.join(u'\n')));
            gepulst.insert(i.nummer);
            nummern << i.nummer;
        }
        if (folge.isEmpty())
            QCOMPARE(nummern.mid(0, 4), (QList<int>{1, 2, 3, 1}));
        else
            QCOMPARE(nummern, folge);
        // Tested: exactly the coils pulsed in full.
        std::set<int> geprueft;
        for (const auto& [von, bis] : w.fBericht->bericht.bereiche(a.art()))
            for (int n = von; n <= bis; ++n)
                geprueft.insert(n);
        QCOMPARE(geprueft, gepulst);
        w.mnuSNTausClick();
    }

    // Whatever pauses a walk leaves its element in work shown: an LED lit, a
    // coil unpowered; running on starts with that element, and F marks it.
    void pauseLaesstDasElementStehen_data()
    {
        QTest::addColumn<int>("nr");
        QTest::addColumn<bool>("snt");   // SNT-ein, else Reset
        QTest::newRow("LED, SNT-ein") << int(TfMain::SLeds) << true;
        QTest::newRow("LED, Reset") << int(TfMain::SLeds) << false;
        QTest::newRow("Weiche mitten im Impuls, SNT-ein") << int(TfMain::SWeiche) << true;
        QTest::newRow("Signal mitten im Impuls, Reset") << int(TfMain::SSignal) << false;
    }
    void pauseLaesstDasElementStehen()
    {
        QFETCH(int, nr);
        QFETCH(bool, snt);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, nr);
        const bool led = nr == TfMain::SLeds;
        QLabel* zahl = led ? w.pLeds->LedNr : nr == TfMain::SWeiche ? w.pWeiche->WNr : w.pSignal->SNr;
        if (led)
            QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        w.pWeiche->btnWZeit->setValue(5000);
        w.pSignal->btnSZeit->setValue(5000);
        bereich(a, 1, 16);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        if (led) {
            a.schritt();
            a.schritt();
        }
        const QString nummer = zahl->text();
        QCOMPARE(nummer, led ? QStringLiteral("1003") : QStringLiteral("1"));
        s.karte.clearCoilLog();
        snt ? w.mnuSNTeinClick() : w.mnuResetClick();
        QVERIFY(!a.laeuft() && a.aktiv());
        QCOMPARE(zahl->text(), nummer);
        if (led)
            QTRY_COMPARE(s.karte.litLeds(2), std::vector<int>{3});
        QVERIFY(s.karte.poweredCoils().empty());
        QTest::keyClick(w.focusWidget(), Qt::Key_F);
        QVERIFY(w.fBericht->bericht.fehlerhaft(a.art(), nummer.toInt(),
                                               nr == TfMain::SWeiche ? Pruefbericht::Gerade : Pruefbericht::Ohne));
        // Running on: the same element first.
        QTest::keyClick(w.focusWidget(), Qt::Key_Space);
        QVERIFY(a.laeuft());
        QCOMPARE(zahl->text(), nummer);
        if (led)
            QCOMPARE(s.karte.litLeds(2), std::vector<int>{3});
        else
            QCOMPARE(s.karte.coilLog(), (Spulen{{nr == TfMain::SWeiche ? weiche(1, 1) : Coil{Coil::Kind::Signal, 1, 0}}}));
        a.beenden();
        if (snt)
            w.mnuSNTausClick();
    }

    // von and bis take a typed number once it is finished; a walk under way
    // goes on within the new range from where it stands.
    void vonBisNachDerEingabe_data()
    {
        QTest::addColumn<bool>("bisFeld");
        QTest::addColumn<QString>("getippt");
        QTest::addColumn<int>("von");
        QTest::addColumn<int>("bis");
        QTest::addColumn<int>("naechstes");   // the element after 22
        QTest::newRow("bis zweistellig") << true << "22" << 20 << 22 << 20;
        QTest::newRow("bis weiter") << true << "30" << 20 << 30 << 23;
        QTest::newRow("bis unter von") << true << "5" << 5 << 5 << 5;
        QTest::newRow("von über bis") << false << "40" << 40 << 40 << 40;
        QTest::newRow("von zweistellig") << false << "21" << 21 << 32 << 23;
    }
    void vonBisNachDerEingabe()
    {
        QFETCH(bool, bisFeld);
        QFETCH(QString, getippt);
        QFETCH(int, von);
        QFETCH(int, bis);
        QFETCH(int, naechstes);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = ledRundgang(w, 20, 32);
        a.schritt();
        a.schritt();
        QSpinBox* feld = bisFeld ? a.sBis : a.sVon;
        QTest::mouseClick(feld, Qt::LeftButton);
        feld->selectAll();
        QTest::keyClicks(feld, getippt);
        QCOMPARE(a.sVon->value(), 20);   // nothing yet
        QCOMPARE(a.sBis->value(), 32);
        QTest::keyClick(feld, Qt::Key_Return);
        QCOMPARE(a.sVon->value(), von);
        QCOMPARE(a.sBis->value(), bis);
        QVERIFY(a.laeuft());
        QCOMPARE(a.rundgang().element(), 22);
        QCOMPARE(s.karte.litLeds(2), std::vector<int>{22});
        a.schritt();
        QCOMPARE(a.rundgang().element(), naechstes);
    }

    // The walk from the keyboard alone: every control of the group and the LED
    // chain buttons (the chosen one; the others from it with the arrows, as in
    // any one-of group) are reached with Tab, Alt+S starts and pauses.
    void mitDerTastatur_data()
    {
        QTest::addColumn<int>("nr");
        QTest::newRow("Leds") << int(TfMain::SLeds);
        QTest::newRow("Weichen") << int(TfMain::SWeiche);
        QTest::newRow("Signale") << int(TfMain::SSignal);
    }
    void mitDerTastatur()
    {
        QFETCH(int, nr);
        Start s(Ini, true, Anlage);
        TfMain& w = *s.fenster;
        AutomatikGruppe& a = seite(w, nr);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (nr == TfMain::SLeds) {
            w.pLeds->btnLed2->setFocus();
            QTest::keyClick(w.pLeds->btnLed2, Qt::Key_Space);
            QVERIFY(w.pLeds->btnLed2->isChecked());
        }
        QWidget* seite = w.pControl->currentWidget();
        QList<QWidget*> erwartet{a.btnAuto, a.sTakt, a.sVon, a.sBis, a.btnBericht};
        if (nr == TfMain::SLeds)
            erwartet << w.pLeds->btnLed2;
        else
            erwartet << (nr == TfMain::SWeiche ? w.pWeiche->sZeit : w.pSignal->sZeitS);
        std::set<QWidget*> erreicht;
        for (int i = 0; i < 60 && QApplication::focusWidget(); ++i) {
            if (seite->isAncestorOf(QApplication::focusWidget()))
                erreicht.insert(QApplication::focusWidget());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (QWidget* e : erwartet)
            QVERIFY2(erreicht.count(e) == 1, qPrintable(e->objectName()));
        if (nr == TfMain::SLeds) {
            w.pLeds->btnLed2->setFocus();
            QTest::keyClick(w.pLeds->btnLed2, Qt::Key_Down);
            QCOMPARE(QApplication::focusWidget(), w.pLeds->btnLed3);
            QTest::keyClick(w.pLeds->btnLed3, Qt::Key_Space);
            QVERIFY(w.pLeds->btnLed3->isChecked());
            QTest::keyClick(w.pLeds->btnLed3, Qt::Key_Up);
            QTest::keyClick(w.pLeds->btnLed2, Qt::Key_Space);   // the chain with cards
            QVERIFY(w.pLeds->btnLed2->isChecked());
        }
        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(a.laeuft());
        QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!a.laeuft() && a.aktiv());
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
