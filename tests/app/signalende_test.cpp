// The safe stop: Esc stops whatever drives the layout; the usual signals end
// the running window as closing it does (a route run and a coil pulse going
// on, then SIGTERM to this process), and the real program on the virtual
// layout, ended by a kill while its train runs.
#include "anlagenbetrieb.h"
#include "automatikgruppe.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "pruefberichtfenster.h"
#include "schaltliste.h"
#include "signalende.h"
#include "streckepage.h"
#include "tfanlage.h"
#include "weichepage.h"

#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QProcess>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>

#include <unistd.h>

using fixture::Start;

namespace {

// 24 blocks, 48 auxiliary blocks, 88 detectors.
const QByteArray anlage("[Karten]\nBlock=12\nHilfsBlock=12\nMelder=11\n");

// A route run over rows 1..3 with the train in block 1, under way.
void streckeStarten(Start& s)
{
    TfMain& w = *s.fenster;
    w.pControl->setCurrentIndex(TfMain::SStrecke);
    StreckePage& p = *w.pStrecke;
    p.tabellenLoeschen();
    for (int r = 1; r <= 3; ++r)
        p.gStrecke->item(r, 4)->setText(QString::number(r));
    s.karte.setBlockOccupied(1, true);
    p.stTrack->setValue(60);
    QTest::mouseClick(p.stGO, Qt::LeftButton);
    QTRY_VERIFY(s.karte.block(1).powered);
}

}  // namespace

class SignalEndeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    // SIGTERM, SIGINT, SIGHUP: the window ends as if closed, once.
    void endetWieBeimSchliessen_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<bool>("strecke");   // a route run, else a 5 s coil pulse
        QTest::newRow("TERM während der Fahrt") << SIGTERM << true;
        QTest::newRow("INT während eines Impulses") << SIGINT << false;
        QTest::newRow("HUP während der Fahrt") << SIGHUP << true;
    }
    void endetWieBeimSchliessen()
    {
        QFETCH(int, signal);
        QFETCH(bool, strecke);
        Start s(anlage);
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (strecke) {
            streckeStarten(s);
        } else {
            w.pControl->setCurrentIndex(TfMain::SWeiche);
            w.pWeiche->btnWZeit->setValue(5000);
            QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
            QVERIFY(!s.karte.poweredCoils().empty());
        }

        SignalEnde ende;
        QList<int> signale;
        ende.beenden = [&](int nr) {
            signale << nr;
            w.close();
        };
        QCOMPARE(::kill(::getpid(), signal), 0);
        QTRY_VERIFY(ende.endet());
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);   // while it ends: nothing more
        QTest::qWait(50);
        QCOMPARE(signale, QList<int>{signal});
        QVERIFY(!w.isVisible());
        QVERIFY(!w.pStrecke->zugFaehrt());
        QVERIFY(!s.karte.coilEnable());
        for (int b = 1; b <= 24; ++b)
            QVERIFY2(!s.karte.block(b).powered, qPrintable(QString::number(b)));
    }

    // Esc stops whatever drives the layout; afterwards no coil and no block
    // is powered, no thread runs, no walk goes on, the line stands still.
    void escHaeltAllesAn_data()
    {
        QTest::addColumn<QString>("was");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("Rundgang mit SNT") << "automatik" << " Alles aus: Automatik, SNT gestoppt.";
        QTest::newRow("Schaltliste") << "liste" << " Alles aus: Schaltliste gestoppt.";
        QTest::newRow("Impuls") << "impuls" << " Alles aus: Magnetspule gestoppt.";
        QTest::newRow("Fahrt") << "fahrt" << " Alles aus: Fahrt gestoppt.";
        QTest::newRow("Streckenfahrt, Zelle in Arbeit") << "strecke" << " Alles aus: Streckenfahrt gestoppt.";
        QTest::newRow("nichts") << "" << " Alles aus: es lief nichts.";
    }
    void escHaeltAllesAn()
    {
        QFETCH(QString, was);
        QFETCH(QString, meldung);
        Start s("[Karten]\nBlock=12\nHilfsBlock=12\nMelder=11\nWeichen=11\n");
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto esc = [&w] { QTest::keyClick(&w, Qt::Key_Escape); };
        if (was == QLatin1String("automatik")) {
            w.pControl->setCurrentIndex(TfMain::SWeiche);
            w.mnuSNTeinClick();
            AutomatikGruppe& a = *w.automatik(TfMain::SWeiche);
            a.sTakt->setValue(5.0);
            QTest::mouseClick(a.btnAuto, Qt::LeftButton);
            QTRY_VERIFY(!s.karte.poweredCoils().empty());
            esc();
            QVERIFY(!a.aktiv());
        } else if (was == QLatin1String("liste")) {
            w.pControl->setCurrentIndex(TfMain::SStrecke);
            SchaltListe& l = *w.pStrecke->liste;
            l.stMemo->setPlainText(QStringLiteral("1G\n2A\n3G\n4A\n5G\n6A"));
            l.uebernehmen();
            QTimer::singleShot(100, &w, esc);
            l.stSchalt->click();   // back when the pass is over
            QVERIFY(!l.stSchalt->isChecked());
            QVERIFY2(l.stList->currentRow() < 5, "the pass ended early");
        } else if (was == QLatin1String("impuls")) {
            w.pControl->setCurrentIndex(TfMain::SWeiche);
            w.pWeiche->btnWZeit->setValue(5000);
            QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
            QVERIFY(!s.karte.poweredCoils().empty());
            esc();
        } else if (was == QLatin1String("fahrt")) {
            w.pControl->setCurrentIndex(TfMain::SFahren);
            w.pFahren->faTrack->setValue(40);
            QTest::mouseClick(w.pFahren->btnStop, Qt::LeftButton);
            QTRY_VERIFY(s.karte.block(1).powered);
            esc();
        } else if (was == QLatin1String("strecke")) {
            streckeStarten(s);
            StreckePage& p = *w.pStrecke;
            // A cell being edited takes the first Esc; the second stops.
            p.gStrecke->setCurrentCell(9, 2);
            p.gStrecke->editItem(p.gStrecke->item(9, 2));
            QWidget* editor = QApplication::focusWidget();
            QVERIFY(editor && editor != p.gStrecke);
            QTest::keyClick(editor, Qt::Key_Escape);
            QTRY_VERIFY(QApplication::focusWidget() != editor);
            QVERIFY(p.zugFaehrt());
            esc();
        } else {
            esc();
        }
        QCOMPARE(w.statusText(0), meldung);
        QVERIFY(s.karte.poweredCoils().empty());
        QVERIFY(!s.karte.coilEnable());
        QVERIFY(!w.pFahren->zugFaehrt() && !w.pStrecke->zugFaehrt());
        for (int b = 1; b <= 24; ++b)
            QVERIFY2(!s.karte.block(b).powered, qPrintable(QString::number(b)));
        for (int h = 1; h <= 48; ++h)
            QVERIFY(!s.karte.hblockOn(h));
        QVERIFY(!w.tiSNT->isActive());
        // On the card the blocks and auxiliary blocks went off before the
        // supply dropped (SntTimeout after the keep-alive line's last edge).
        const VirtualCard::Ansicht a = s.karte.ansicht();
        std::vector<VirtualCard::Change> aenderungen;
        s.karte.changes(0, a.stand, aenderungen);
        for (const VirtualCard::Change& c : aenderungen)
            if (c.kind == VirtualCard::Change::Kind::Block && a.keepAliveEdges > 0)
                QVERIFY2(c.at < a.lastKeepAliveEdge + VirtualCard::SntTimeout, qPrintable(QString::number(c.number)));
        s.karte.clearKeepAliveEdges();
        QTest::qWait(60);   // three ticks' time: the line must not move
        QVERIFY(s.karte.keepAliveEdges().empty());
    }

    // Esc belongs to the window that has the keyboard: in the main window,
    // the window "Virtuelle Anlage" and the report it stops everything; the
    // name list of a file dialog takes it first and nothing stops.
    void escGehoertDemFensterMitTastatur_data()
    {
        QTest::addColumn<QString>("wo");
        QTest::addColumn<bool>("haelt");
        QTest::newRow("Hauptfenster") << "haupt" << true;
        QTest::newRow("Virtuelle Anlage") << "anlage" << true;
        QTest::newRow("Prüfbericht") << "bericht" << true;
        QTest::newRow("Namensliste im Dateidialog") << "dialog" << false;
    }
    void escGehoertDemFensterMitTastatur()
    {
        QFETCH(QString, wo);
        QFETCH(bool, haelt);
        Start s(anlage, true, {}, true);
        TfMain& w = *s.fenster;
        const QStringList& meldungen = s.meldungen;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_VERIFY(w.anlage->fenster() && w.anlage->fenster()->isVisible());
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTeinClick();
        QVERIFY(w.tiSNT->isActive());

        bool listeGezeigt = false, listeZu = false, dialogOffen = false;
        if (wo == QLatin1String("haupt")) {
            QTest::keyClick(&w, Qt::Key_Escape);
        } else if (wo == QLatin1String("anlage")) {
            QTest::keyClick(w.anlage->fenster(), Qt::Key_Escape);
        } else if (wo == QLatin1String("bericht")) {
            w.fBericht->show();
            QVERIFY(QTest::qWaitForWindowExposed(w.fBericht));
            QTest::keyClick(w.fBericht, Qt::Key_Escape);
        } else {
            // Type the start of a name: the completer lists r1.txt and r2.txt.
            QTemporaryDir ordner;
            for (const char* n : {"r1.txt", "r2.txt"})
                fixture::schreiben(QDir(ordner.path()).filePath(QLatin1String(n)), "x");
            w.SaveD->setOption(QFileDialog::DontUseNativeDialog);
            QTimer::singleShot(0, &w, [&] {
                const auto zu = qScopeGuard([&] { w.SaveD->reject(); });
                auto* name = w.SaveD->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(name && name->completer());
                name->setFocus();
                QTest::keyClicks(name, ordner.path() + QStringLiteral("/r"));
                QWidget* liste = name->completer()->popup();
                QTRY_VERIFY(liste->isVisible());
                listeGezeigt = true;
                QTest::keyClick(liste, Qt::Key_Escape);   // where a real key goes while the list is open
                listeZu = !liste->isVisible();
                dialogOffen = w.SaveD->isVisible();
            });
            w.dateiWaehlen(true, QStringLiteral("Textdateien (*.txt)"), QStringLiteral("txt"), QString());
            QVERIFY(listeGezeigt);
            QVERIFY2(listeZu, "Esc did not close the name list");
            QVERIFY2(dialogOffen, "Esc in the name list closed the dialog");
        }
        QCOMPARE(!w.tiSNT->isActive(), haelt);
        QCOMPARE(w.statusText(0).startsWith(QLatin1String(" Alles aus")), haelt);
        QVERIFY2(meldungen.isEmpty(), qPrintable(meldungen.join(u'|')));
    }

    // The program itself (a copy: its GPIO map goes into a settings file of
    // its own) on GPIO lines this machine does not have: Ctrl+C once SIGINT
    // is caught, in whatever phase of the start, ends it with status 0.
    void signalImStartEndetMitStatusNull()
    {
        if (!QDir(QStringLiteral("/dev")).entryList({QStringLiteral("gpiochip*")}, QDir::System).isEmpty())
            QSKIP("this machine has a GPIO chip");
        QTemporaryDir dir;
        const QString programm = fixture::programmKopieren(dir.path());
        QVERIFY(!programm.isEmpty());
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(programm, {QStringLiteral("--gpio"), QStringLiteral("-platform"), QStringLiteral("offscreen")});
        QVERIFY(p.waitForStarted());
        const QString status = QStringLiteral("/proc/%1/status").arg(p.processId());
        const auto faengtInt = [&status] {
            const QByteArray z = fixture::lesen(status);
            return (z.mid(z.indexOf("SigCgt:") + 7, 17).trimmed().toULongLong(nullptr, 16) >> (SIGINT - 1)) & 1;
        };
        QTRY_VERIFY_WITH_TIMEOUT(faengtInt(), fixture::Prozesszeit);
        // qemu catches every signal for the program it runs: there the
        // start's first message (the missing chip) says it came that far.
        QByteArray fehler;
        if (fixture::unterQemu())
            QTRY_VERIFY_WITH_TIMEOUT((fehler += p.readAllStandardError()).contains("Meldung:"), fixture::Prozesszeit);
        QCOMPARE(::kill(pid_t(p.processId()), SIGINT), 0);
        QVERIFY(p.waitForFinished(fixture::Prozesszeit));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
    }

    // The program itself, driving the sample route on the virtual layout
    // (the endurance run), ended by SIGTERM while the train runs: status 0,
    // and the log ends with the blocks and the supply going off.
    void programmEndetMitStatusNull()
    {
        QTemporaryDir dir;
        const QString log = dir.filePath(QStringLiteral("log.txt"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(KVX_PROGRAMM), {QStringLiteral("--virtuell"), QStringLiteral("--protokoll"), log,
                                               QStringLiteral("--dauerlauf"), QStringLiteral("5")});
        QVERIFY(p.waitForStarted());
        // The train is on its way when a block is powered.
        QTRY_VERIFY_WITH_TIMEOUT(fixture::lesen(log).contains("\tBlock\t2\tein vor"), 30000);
        QCOMPARE(::kill(pid_t(p.processId()), SIGTERM), 0);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        const QList<QByteArray> zeilen = fixture::lesen(log).trimmed().split('\n');
        QVERIFY2(zeilen.last().contains("\tSNT\t0\taus"), zeilen.last().constData());
        // Every block that was switched on is off at the end.
        QMap<QByteArray, QByteArray> bloecke;
        for (const QByteArray& z : zeilen) {
            const QList<QByteArray> f = z.split('\t');
            if (f.size() == 4 && f[1] == "Block")
                bloecke[f[2]] = f[3];
        }
        QVERIFY(!bloecke.isEmpty());
        for (auto it = bloecke.cbegin(); it != bloecke.cend(); ++it)
            QVERIFY2(it.value() == "aus", (it.key() + ' ' + it.value()).constData());
    }
};

QTEST_MAIN(SignalEndeTest)
#include "signalende_test.moc"
