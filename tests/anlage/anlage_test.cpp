// The virtual layout in the running program: started with --virtuell (its
// window beside the main window, the layout log in the window and in the
// --protokoll file), the log on the real card, a log file that cannot be
// opened or written, the last lines at the end, "Virtuelle Anlage" out of the
// simulation, a train placed from the window on the route of the sample set,
// patterns, and "Beispielanlage" on a first start.
#include "anlagenbetrieb.h"
#include "automatikgruppe.h"
#include "blockfeld.h"
#include "einstellungen.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "fileerror.h"
#include "kvxhard.h"
#include "lampenfeld.h"
#include "ledpage.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "protokollansicht.h"
#include "streckepage.h"
#include "tfanlage.h"
#include "virtuellerzug.h"
#include "weichepage.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTabWidget>
#include <QToolButton>

#include <utility>

#include <sys/stat.h>

namespace {

// Detector 17 needs 3 detector cards, LED 37 of chain 2 two LED cards.
const QByteArray Ini = "[Karten]\nBlock=2\nMelder=3\nLeds2=2\n";
// What the sample set's route needs.
const QByteArray MusterIni = "[Karten]\nBlock=3\nHilfsBlock=1\nMelder=2\nLeds1=1\nLeds2=1\nLeds3=1\n";
const QByteArray GroessteIni = "[Karten]\nBlock=50\nHilfsBlock=64\nMelder=64\nWeichen=32\nSignale=32\nTaster1=16\n"
                               "Taster2=16\nLeds1=25\nLeds2=25\nLeds3=25\n";

// One start with the options of the command line, in a fresh program directory
// next to the sample set; protokoll names a file in that directory.
struct AnlagenStart {
    AnlagenStart(const QByteArray& ini, bool virtuell, const QString& protokoll = {}, bool mitKarte = true)
    {
        fixture::schreiben(dir.filePath(QStringLiteral("KVXTEST.INI")), ini);
        const QDir daten(QStringLiteral(KVX_DATEN_DIR));
        for (const QString& name : daten.entryList({QStringLiteral("QJ.*")}, QDir::Files))
            QFile::copy(daten.filePath(name), dir.filePath(name));
        MainOptions o;
        o.programmPfad = dir.path();
        o.virtuell = virtuell;
        o.protokollDatei = protokoll.isEmpty() ? QString() : datei(protokoll);
        if (!virtuell)
            o.backend = mitKarte ? static_cast<PortBackend*>(&karte) : &ohneZugriff;
        o.meldung = [this](const QString& text) { meldungen << text; };
        fenster = std::make_unique<TfMain>(std::move(o));
    }

    QString datei(const QString& name) const { return QDir(dir.path()).filePath(name); }   // or name, if absolute
    QString log() const { return QString::fromUtf8(fenster->anlage->protokoll()); }
    // A line of the log with its time left out: "SNT\t0\tein".
    bool hat(const QString& zeile) const { return log().contains(QLatin1Char('\t') + zeile + QLatin1Char('\n')); }
    TfAnlage* anlage() const { return fenster->anlage->fenster(); }

    QTemporaryDir dir;
    VirtualCard karte;   // the "real" card where the program runs on ports
    NoPortAccess ohneZugriff;
    QStringList meldungen;
    std::unique_ptr<TfMain> fenster;
};

void zeigen(AnlagenStart& s)
{
    s.fenster->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.fenster.get()));
}

void klick(LampenFeld* feld, int nr)
{
    QTest::mouseClick(feld, Qt::LeftButton, {}, feld->geometrie().lampe(nr).center());
}

bool belegt(const AnlagenStart& s, int b)
{
    const std::vector<std::uint8_t> v = s.fenster->anlage->karte()->ansicht().blockOccupied;
    return b <= int(v.size()) && v[std::size_t(b - 1)];
}

// The state in the last line of an element ("Block\t1"), empty when none.
QString zuletzt(const QString& log, const QString& element)
{
    const QStringList zeilen = log.split(u'\n', Qt::SkipEmptyParts);
    for (auto z = zeilen.crbegin(); z != zeilen.crend(); ++z)
        if (z->section(u'\t', 1, 2) == element)
            return z->section(u'\t', 3);
    return {};
}

// The buttons not fully in view, the window beyond the screen, and with
// ohneRollen a scroll bar in view; empty when none.
QString verdeckt(const TfAnlage& a, bool ohneRollen)
{
    QStringList was;
    for (const QPushButton* b : a.findChildren<QPushButton*>())
        if (b->visibleRegion() != QRegion(b->rect()))
            was << b->text();
    if (!a.screen()->availableGeometry().contains(a.geometry()))
        was << QStringLiteral("Bildschirm");
    for (const QScrollBar* r : a.findChild<QScrollArea*>()->findChildren<QScrollBar*>())
        if (ohneRollen && r->isVisible())
            was << QStringLiteral("Rollbalken");
    return was.join(QStringLiteral(", "));
}

// Replays the log: the first line that comes before the line above it in
// time or leaves two blocks powered; empty when none.
QString ausserDerReihe(const QString& log)
{
    QSet<QString> an;
    long long vorher = 0;
    for (const QString& z : log.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = z.split(u'\t');
        if (f.size() == 4 && f[1] == QLatin1String("Block") && f[3].startsWith(QLatin1String("ein")))
            an.insert(f[2]);
        else if (f.size() == 4 && f[1] == QLatin1String("Block"))
            an.remove(f[2]);
        if (f.size() != 4 || f[0].toLongLong() < std::exchange(vorher, f[0].toLongLong()) || an.size() > 1)
            return z;
    }
    return {};
}

}  // namespace

class AnlageTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void virtuellerLaufMitProtokoll()
    {
        AnlagenStart s(Ini, true, QStringLiteral("lauf.txt"));
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        TfAnlage& a = *s.anlage();
        QVERIFY2(s.meldungen.isEmpty(), qPrintable(s.meldungen.join(u'\n')));   // no simulation message
        QVERIFY(!w.kvx->Simulation);
        QCOMPARE(portBackend(), static_cast<PortBackend*>(w.anlage->karte()));
        QCOMPARE(w.anlage->karte()->layout().melderCards, 3);

        // The power supply on, detector 17 clicked in the window and seen on
        // the occupancy page after a tick, the power supply off.
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTeinClick();
        QTRY_VERIFY(s.hat(QStringLiteral("SNT\t0\tein")));
        QTRY_COMPARE(a.lSNT->text(), QStringLiteral("ein"));
        klick(a.gMelder, 17);
        QTRY_COMPARE(w.pMelder->panelM->grid->cellColor(1, 17), QColor(gridgeo::Red));
        QTRY_VERIFY(s.hat(QStringLiteral("Melder\t17\tbelegt")));
        QCOMPARE(a.gMelder->farbe(17), QColor(gridgeo::Red));
        w.mnuSNTausClick();
        QTRY_VERIFY(s.hat(QStringLiteral("SNT\t0\taus")));
        QTRY_COMPARE(a.lSNT->text(), QStringLiteral("aus"));

        // A pulse on turnout 5, diverging: the window names it while it lasts.
        w.pControl->setCurrentIndex(TfMain::SWeiche);
        w.pWeiche->wTrack->setValue(5);
        QTest::mouseClick(w.pWeiche->btnWa, Qt::LeftButton);
        QTRY_VERIFY(s.hat(QStringLiteral("Weiche\t5\tabzweigend ein")));
        QTRY_VERIFY(a.lSpule->text().startsWith(QStringLiteral("Weiche 5 abzweigend, seit ")));
        QTRY_VERIFY(s.hat(QStringLiteral("Weiche\t5\taus")));
        QTRY_COMPARE(a.lSpule->text(), QStringLiteral("Keine Spule unter Strom"));

        // LED 37 of chain 2.
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        w.pLeds->ledTrack->setValue(37);
        QTRY_VERIFY(s.hat(QStringLiteral("LED\t1037\tein")));
        QTRY_COMPARE(a.gLed[1]->farbe(37), QColor(anlagenbild::LedAn));
        QCOMPARE(a.gLed[1]->farbe(36), QColor(anlagenbild::LedAus));

        // Every line in the agreed form, in the order of time; the window's
        // view and the file hold the same lines, the file flushed as they came.
        static const QRegularExpression form(QStringLiteral(
            "^(\\d+)\\t(SNT|Block|Hilfsblock|Weiche|Spule|LED|Belegt|Melder|Taster)\\t\\d+\\t\\S.*$"));
        const QStringList zeilen = s.log().split(u'\n', Qt::SkipEmptyParts);
        qint64 zuletzt = 0;
        for (const QString& z : zeilen) {
            const QRegularExpressionMatch m = form.match(z);
            QVERIFY2(m.hasMatch(), qPrintable(z));
            QVERIFY(m.captured(1).toLongLong() >= zuletzt);
            zuletzt = m.captured(1).toLongLong();
        }
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("lauf.txt"))), w.anlage->protokoll());
        QCOMPARE(a.mProtokoll->letzteZeile(), zeilen.last());

        // "Protokoll speichern": the whole log; a folder that does not exist
        // gives a message.
        QString ziel = s.datei(QStringLiteral("gespeichert.txt"));
        w.dateiWaehlen = [&ziel](bool speichern, const QString&, const QString&, const QString&) {
            return speichern ? ziel : QString();
        };
        QTest::mouseClick(a.btnProtokollSpeichern, Qt::LeftButton);
        QCOMPARE(fixture::lesen(ziel), w.anlage->protokoll());
        ziel = s.datei(QStringLiteral("fehlt/gespeichert.txt"));
        QTest::mouseClick(a.btnProtokollSpeichern, Qt::LeftButton);
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen[0].contains(QStringLiteral("kann nicht erstellt werden")), qPrintable(s.meldungen[0]));

        // Closing the main window closes the virtual one.
        w.close();
        QVERIFY(!a.isVisible());
    }

    // On the real card the log shows what the card was told.
    void protokollAufDerEchtenKarte()
    {
        AnlagenStart s(Ini, false, QStringLiteral("echt.txt"));
        TfMain& w = *s.fenster;
        QVERIFY(s.meldungen.isEmpty());
        QVERIFY(!w.kvx->Simulation);
        QVERIFY(portBackend() != &s.karte);   // listening in between
        emit w.mnuDaten->aboutToShow();
        QVERIFY(!w.mnuAnlage->isVisible());   // no simulation: nothing to switch to
        zeigen(s);
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        w.pLeds->ledTrack->setValue(37);
        QVERIFY(s.karte.ledLit(2, 37));
        QTRY_VERIFY(fixture::lesen(s.datei(QStringLiteral("echt.txt"))).contains("\tLED\t1037\tein\n"));
        QVERIFY(!s.anlage());   // no window unless asked for
    }

    void protokollDateiNichtSchreibbar()
    {
        AnlagenStart s(Ini, false, QStringLiteral("fehlt/p.txt"));
        TfMain& w = *s.fenster;
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen[0].startsWith(QStringLiteral("Das Anlagenprotokoll kann nicht in die Datei \"%1\"")
                                               .arg(QDir::toNativeSeparators(s.datei(QStringLiteral("fehlt/p.txt"))))),
                 qPrintable(s.meldungen[0]));
        QVERIFY(s.meldungen[0].contains(QStringLiteral("ohne Protokolldatei weiter")));
        // The program goes on, on the ports as before.
        QCOMPARE(portBackend(), static_cast<PortBackend*>(&s.karte));
        QVERIFY(!w.kvx->Simulation);
        QVERIFY(!w.anlage->karte());
        zeigen(s);
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        QVERIFY(s.karte.ledLit(2, 1));
    }

    // A pipe nobody reads: the start does not wait for a reader.
    void protokollInEinePipeOhneLeser()
    {
        QTemporaryDir d;
        const QString pipe = d.filePath(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        AnlagenStart s(Ini, true, pipe);
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen[0].contains(QStringLiteral("\"%1\" geschrieben werden. Aus der Pipe liest kein Programm.")
                                             .arg(pipe)),
                 qPrintable(s.meldungen[0]));
    }

    // A write that fails ends the file with one message, with the reason the
    // data files give for the same error; the log goes on.
    void protokollSchreibenScheitert()
    {
        QFile voll(QStringLiteral("/dev/full"));
        QVERIFY(voll.open(QIODevice::WriteOnly) && voll.putChar('x') && !voll.flush());
        AnlagenStart s(Ini, true, voll.fileName());
        VirtualCard& k = *s.fenster->anlage->karte();
        k.setMelder(1, true);
        QTRY_COMPARE(s.meldungen.size(), 1);
        QCOMPARE(s.meldungen[0], QStringLiteral("Das Anlagenprotokoll kann nicht weiter in die Datei \"/dev/full\" "
                                                "geschrieben werden. %1\nDas Programm läuft ohne Protokolldatei weiter.")
                                     .arg(writeFailureReason(voll.fileName(), voll)));
        k.setMelder(2, true);
        QTRY_VERIFY(s.hat(QStringLiteral("Melder\t2\tbelegt")));
        QCOMPARE(s.meldungen.size(), 1);
    }

    // Closed during a drive run with an auxiliary block: the log, its file and
    // the window's view end with the card switched off.
    void schliessenWaehrendDerFahrt()
    {
        AnlagenStart s(Ini, true, QStringLiteral("ende.txt"));
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        w.pControl->setCurrentIndex(TfMain::SFahren);
        QTest::mouseClick(w.pFahren->pNrHBlock, Qt::LeftButton);
        w.pFahren->faTrack->setValue(100);
        QTest::mouseClick(w.pFahren->btnStop, Qt::LeftButton);
        QTRY_VERIFY(s.hat(QStringLiteral("Hilfsblock\t201\tein")));
        QTRY_VERIFY(zuletzt(s.log(), QStringLiteral("Block\t1")).startsWith(QStringLiteral("ein vor")));
        w.close();
        for (const char* element : {"Block\t1", "Hilfsblock\t201", "SNT\t0"})
            QCOMPARE(zuletzt(s.log(), QString::fromLatin1(element)), QStringLiteral("aus"));
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("ende.txt"))), w.anlage->protokoll());
        QCOMPARE(s.anlage()->mProtokoll->letzteZeile(), s.log().split(u'\n', Qt::SkipEmptyParts).last());
    }

    void virtuelleAnlageAusDerSimulation()
    {
        AnlagenStart s(Ini, false, {}, false);
        TfMain& w = *s.fenster;
        QCOMPARE(s.meldungen.size(), 1);   // the simulation message
        QVERIFY(w.kvx->Simulation);
        zeigen(s);
        emit w.mnuDaten->aboutToShow();
        QVERIFY(w.mnuAnlage->isVisible());
        QCOMPARE(w.mnuDaten->actions().indexOf(w.mnuAnlage), w.mnuDaten->actions().indexOf(w.mnuQuit) - 1);

        w.mnuAnlage->trigger();
        QVERIFY(!w.kvx->Simulation);
        VirtualCard* k = w.anlage->karte();
        QCOMPARE(portBackend(), static_cast<PortBackend*>(k));
        QVERIFY(s.anlage() && s.anlage()->isVisible());
        QCOMPARE(s.meldungen.size(), 1);
        QCOMPARE(w.statusText(0), QString());   // the re-initialisation is over
        emit w.mnuDaten->aboutToShow();
        QVERIFY(w.mnuAnlage->isVisible());      // it brings the window back

        // The program now drives the virtual card, and the layout follows the configuration.
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTeinClick();
        QTRY_VERIFY(k->keepAlive().edges > 10);
        QTRY_COMPARE(s.anlage()->lSNT->text(), QStringLiteral("ein"));
        w.mnuSNTausClick();
        w.pControl->setCurrentIndex(TfMain::SConfig);
        w.pConfig->spin(config::Melder)->setValue(4);
        QCOMPARE(k->layout().melderCards, 4);
        QTRY_COMPARE(s.anlage()->gMelder->anzahl(), 32);
    }

    // The route page runs the sample set with the train placed in row 1: the
    // train goes on from row to row as the route thread powers the pair.
    void zugFaehrtDieStreckeEntlang()
    {
        AnlagenStart s(MusterIni, true);
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        w.pControl->setCurrentIndex(TfMain::SStrecke);
        s.anlage()->nrZugZeile->setValue(1);
        QTest::mouseClick(s.anlage()->btnZugEin, Qt::LeftButton);
        w.pStrecke->stTrack->setValue(w.pStrecke->stTrack->maximum());
        QTest::mouseClick(w.pStrecke->stGO, Qt::LeftButton);
        QVERIFY(w.pStrecke->zugFaehrt());
        // Two rows at the highest step, about 2 s each.
        QTRY_VERIFY_WITH_TIMEOUT(w.anlage->zug()->zeile() == 3, 30000);
        QVERIFY(s.hat(QStringLiteral("Belegt\t3\tbelegt")));
        QTest::mouseClick(w.pStrecke->stGO, Qt::LeftButton);
        QTRY_VERIFY(!w.pStrecke->zugFaehrt());
    }

    // The sample set's route: a train placed from the window occupies its
    // row; block-card buttons are held while the mouse is down; a pattern in
    // one click.
    void zugTasterUndMuster()
    {
        AnlagenStart s(MusterIni, true);
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        TfAnlage& a = *s.anlage();
        QVERIFY(s.meldungen.isEmpty());

        a.nrZugZeile->setValue(3);
        QTest::mouseClick(a.btnZugEin, Qt::LeftButton);
        QCOMPARE(w.anlage->zug()->zeile(), 3);
        QTRY_VERIFY(a.gBloecke->kachel(3).belegt);   // row 3 holds block 3
        QVERIFY(!a.gBloecke->kachel(1).belegt);
        QCOMPARE(a.lZug->text(), QStringLiteral("Zug in Zeile 3"));
        QTest::mouseClick(a.btnZugAus, Qt::LeftButton);
        QVERIFY(!w.anlage->zug());
        QTRY_VERIFY(!a.gBloecke->kachel(3).belegt);

        LampenFeld* t = a.gBlockTaster;
        QTest::mousePress(t, Qt::LeftButton, {}, t->geometrie().lampe(2).center());
        QTRY_VERIFY(s.hat(QStringLiteral("Taster\t2\tgedrückt")));
        QVERIFY(!s.hat(QStringLiteral("Taster\t2\tlos")));
        QTest::mouseRelease(t, Qt::LeftButton, {}, t->geometrie().lampe(5).center());   // wherever the mouse is then
        QTRY_VERIFY(s.hat(QStringLiteral("Taster\t2\tlos")));

        // A click on a block tile toggles its occupancy.
        QTest::mouseClick(a.gBloecke, Qt::LeftButton, {}, blockfeld::kachel(2, 6).center());
        QTRY_VERIFY(s.hat(QStringLiteral("Belegt\t2\tbelegt")));
        QTest::mouseClick(a.gBloecke, Qt::LeftButton, {}, blockfeld::kachel(2, 6).center());
        QTRY_VERIFY(s.hat(QStringLiteral("Belegt\t2\tfrei")));

        QTest::mouseClick(a.btnAlleBelegt, Qt::LeftButton);
        QCOMPARE(a.gMelder->farbe(16), QColor(gridgeo::Red));
        QCOMPARE(a.gHBloecke->farbe(4), QColor(gridgeo::Red));
        QTest::mouseClick(a.btnFrei, Qt::LeftButton);
        QCOMPARE(a.gMelder->farbe(16), QColor(gridgeo::Gray));
    }

    // The train's occupancy follows the card counts; "Alles frei" takes the
    // train off; a pattern ends with the window.
    void zugUndMusterMitDenKarten()
    {
        AnlagenStart s({}, true);   // one block card: blocks 1 and 2
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        TfAnlage& a = *s.anlage();
        a.nrZugZeile->setValue(3);
        QTest::mouseClick(a.btnZugEin, Qt::LeftButton);
        for (int karten : {1, 2, 1, 2}) {
            w.pConfig->spin(config::Block)->setValue(karten);
            QCOMPARE(belegt(s, 3), karten == 2);
        }
        QTest::mouseClick(a.btnFrei, Qt::LeftButton);
        QVERIFY(!w.anlage->zug() && !belegt(s, 3));
        QCOMPARE(a.lZug->text(), QStringLiteral("Kein Zug"));

        QTest::mouseClick(a.btnWandern, Qt::LeftButton);
        QTRY_VERIFY(s.hat(QStringLiteral("Belegt\t2\tbelegt")));
        a.close();
        const QByteArray log = w.anlage->protokoll();
        QTest::qWait(600);   // more than two steps of the pattern
        QCOMPARE(w.anlage->protokoll(), log);
    }

    // Every button of the window in view, for the default counts, the
    // sample's and the largest, at the first show and after "Beispielanlage":
    // the window follows the counts within the screen (where the fields need
    // more, they scroll, the buttons stay).
    void jederKnopfImBild_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<bool>("ohneRollen");
        QTest::newRow("Vorgabe") << QByteArray() << true;
        QTest::newRow("Beispielsatz") << MusterIni << true;
        QTest::newRow("größte") << GroessteIni << false;
    }
    void jederKnopfImBild()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, ohneRollen);
        AnlagenStart s(ini, true);
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        TfAnlage& a = *s.anlage();
        QTRY_COMPARE(verdeckt(a, ohneRollen), QString());
        QTest::mouseClick(a.btnBeispiel, Qt::LeftButton);
        QTRY_VERIFY(a.gLed[2]->isVisible());
        QTRY_COMPARE(verdeckt(a, ohneRollen), QString());
    }

    // The drive page's walk from block to block at a dithered step, then
    // Esc: in the log every block goes off before the next one comes on, the
    // lines stand in the order of their times, and the supply goes off after
    // the blocks, as on the card.
    void protokollInDerReihenfolgeDerKarte()
    {
        AnlagenStart s("[Karten]\nBlock=2\n", true);   // blocks 1..4
        TfMain& w = *s.fenster;
        zeigen(s);
        w.pControl->setCurrentIndex(TfMain::SFahren);
        FahrenPage& p = *w.pFahren;
        AutomatikGruppe& a = *w.automatik(TfMain::SFahren);
        p.faTrack->setValue(60);   // steps 7 and 8 in turn
        a.sVon->setValue(1);
        a.sBis->setValue(4);
        a.sTakt->setValue(a.sTakt->minimum());
        QTest::mouseClick(p.btnStop, Qt::LeftButton);
        QTest::mouseClick(a.btnAuto, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(s.log().contains(QStringLiteral("\tBlock\t4\tein")), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(zuletzt(s.log(), QStringLiteral("Block\t1")).startsWith(QLatin1String("ein")),
                                 20000);   // round again
        QTest::keyClick(&w, Qt::Key_Escape);
        QTRY_COMPARE(zuletzt(s.log(), QStringLiteral("SNT\t0")), QStringLiteral("aus"));
        const QString log = s.log();
        QCOMPARE(ausserDerReihe(log), QString());
        QVERIFY2(log.trimmed().endsWith(QStringLiteral("\tSNT\t0\taus")), qPrintable(log.right(600)));
        for (int b = 1; b <= 4; ++b)
            QCOMPARE(zuletzt(log, QStringLiteral("Block\t%1").arg(b)), QStringLiteral("aus"));
    }

    // A first start: the window shows every control; "Beispielanlage" (not
    // while the power supply is on) sets the cards of the sample set as the
    // Config page would, loads the sample set again when the user cleared the
    // route table, puts the train into row 1 and shows the route page.
    // Closed and opened again, the window keeps its place and size.
    void beispielAnlageBeimErstenStart()
    {
        AnlagenStart s({}, true);
        TfMain& w = *s.fenster;
        zeigen(s);
        QTRY_VERIFY(s.anlage() && s.anlage()->isVisible());
        TfAnlage& a = *s.anlage();
        const QScrollArea* rollen = a.findChild<QScrollArea*>();
        QVERIFY(!rollen->verticalScrollBar()->isVisible() && !rollen->horizontalScrollBar()->isVisible());

        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTeinClick();
        QTRY_VERIFY(!a.btnBeispiel->isEnabled());
        w.mnuSNTausClick();
        QTRY_VERIFY(a.btnBeispiel->isEnabled());
        w.pStrecke->tabellenLoeschen();
        QTest::mouseClick(a.btnBeispiel, Qt::LeftButton);
        QCOMPARE(w.statusText(0), QStringLiteral(" Die Streckentabelle war leer: Beispielsatz QJ neu geladen."));
        QCOMPARE(w.pStrecke->gStrecke->item(1, 4)->text(), QStringLiteral("1"));
        QCOMPARE(Einstellungen::lesen(ProfileFile(s.datei(QStringLiteral("KVXTEST.INI")))).karten,
                 (std::array<int, config::KartenAnzahl>{3, 1, 2, 1, 0, 0, 0, 1, 1, 1}));
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SStrecke));
        QCOMPARE(a.lZug->text(), QStringLiteral("Zug in Zeile 1"));
        QVERIFY(belegt(s, 1));

        // A size of the user's own stays, also when the counts change.
        const QRect ort(w.screen()->availableGeometry().topLeft() + QPoint(30, 20), QSize(600, 400));
        a.setGeometry(ort);
        w.pConfig->spin(config::Melder)->setValue(4);
        QTRY_COMPARE(a.gMelder->anzahl(), 32);
        a.aktualisieren();
        QCOMPARE(a.geometry(), ort);
        a.close();
        w.mnuAnlage->trigger();
        QCOMPARE(a.geometry(), ort);
    }
};

QTEST_MAIN(AnlageTest)
#include "anlage_test.moc"
