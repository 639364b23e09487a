// The main window on the virtual card: start-up with and without a settings
// file, the configuration page and its file, the page-change rule, reset and
// re-initialisation, help and the simulation message.
#include "configpage.h"
#include "counterpanel.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "helpwindow.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "mainwindow.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "pause.h"
#include "portio.h"
#include "qtdeutsch.h"
#include "signalpage.h"
#include "tasterpage.h"
#include "virtualcard.h"
#include "weichepage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <functional>
#include <memory>

using fixture::EchtePause;
using fixture::lesen;
using fixture::schnellePause;
using fixture::schreiben;

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    void ersterStartOhneEinstellungen()
    {
        Start s;
        TfMain& w = *s.fenster;
        QVERIFY(s.meldungen.isEmpty());
        QVERIFY(!w.kvx->Simulation);
        QCOMPARE(int(w.kvx->BlockAnzahl), 2);
        QCOMPARE(int(w.kvx->HBlockAnzahl), 4);
        QCOMPARE(int(w.kvx->MelderAnzahl), 8);
        QCOMPARE(int(w.kvx->WeichenAnzahl), 8);
        QCOMPARE(int(w.kvx->SignalAnzahl), 0);
        QCOMPARE(int(w.kvx->Taster1Anzahl), 0);
        QCOMPARE(int(w.kvx->Taster2Anzahl), 0);
        QCOMPARE(int(w.kvx->EinDatenBytes), 8);
        QCOMPARE(s.cfg()->aBytes->text(), QStringLiteral("8"));
        QCOMPARE(s.cfg()->feld(config::Leds1)->text(), QStringLiteral("0"));
        QVERIFY(s.cfg()->cbHints->isChecked());
        QVERIFY(w.hintsAn());
        QCOMPARE(w.TasterOben, 0);
        QVERIFY(!s.cfg()->btnReInit->isEnabled());
        QVERIFY(!w.pFahren->nrHBlock->isEnabled());
        QCOMPARE(w.pFahren->nrBlock->maximum(), 2);
        QCOMPARE(s.cfg()->Version->text(), QStringLiteral("( Version 1.1.0.12 )"));

        // The file is created with every key, in the order of the page.
        const QByteArray erwartet =
            "[Karten]\r\nBlock=1\r\nHilfsBlock=1\r\nMelder=1\r\nWeichen=1\r\nSignale=0\r\n"
            "Taster1=0\r\nTaster2=0\r\nLeds1=0\r\nLeds2=0\r\nLeds3=0\r\n\r\n"
            "[Taster]\r\nOben=0\r\nUnten=0\r\nRechts=0\r\nLinks=0\r\n\r\n"
            "[Sonstiges]\r\nHints=1\r\nWeb=\r\nPort="
            + QByteArray(config::PortVorgabe) + "\r\n";
        QCOMPARE(s.ini(), erwartet);

        // The window frame.
        QCOMPARE(w.windowTitle(), QStringLiteral("KVX-Testprogramm"));
        QCOMPARE(w.pControl->count(), 8);
        QCOMPARE(w.pControl->tabText(2), QStringLiteral(" Taster/Schalter "));
        QCOMPARE(w.pControl->tabText(6), QStringLiteral("   Fahren   "));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.tiSNT->isActive());
        QCOMPARE(w.tiSNT->interval(), 20);
        QVERIFY(!w.mnuSNTein->isEnabled());
        QVERIFY(!w.mnuSNTaus->isEnabled());
        QCOMPARE(w.statusText(0), QStringLiteral("Test"));
        QCOMPARE(w.statusText(1), QStringLiteral("0"));

        // The first show runs the configuration page's show handler.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.statusText(0), QString());
    }

    void einstellungenAusserhalbUndUnlesbar()
    {
        Start s("[karten]\r\nMELDER=100\r\nblock=99\r\nWeichen=abc\r\nHilfsBlock=0x10\r\nSignale=-4\r\n"
                "[Sonstiges]\r\nHints=2\r\n");
        TfMain& w = *s.fenster;
        QCOMPARE(s.cfg()->spin(config::Melder)->value(), 64);
        QCOMPARE(int(w.kvx->MelderAnzahl), 512);
        // Block cards stop at 50: the component holds 100 blocks.
        QCOMPARE(s.cfg()->spin(config::Block)->value(), 50);
        QCOMPARE(int(w.kvx->BlockAnzahl), 100);
        QCOMPARE(s.cfg()->spin(config::Weichen)->value(), 1);
        QCOMPARE(s.cfg()->spin(config::HBlock)->value(), 16);
        QCOMPARE(s.cfg()->spin(config::Signale)->value(), 0);
        QCOMPARE(int(w.kvx->EinDatenBytes), 512);
        QVERIFY(!s.cfg()->cbHints->isChecked());
        QVERIFY(!w.hintsAn());
        // The values brought into range are written back under the keys as they stand.
        const QByteArray ini = s.ini();
        QVERIFY2(ini.contains("MELDER=64\r\n"), ini.constData());
        QVERIFY(ini.contains("block=50\r\n"));
        QVERIFY(ini.contains("Weichen=1\r\n"));
        QVERIFY(ini.contains("HilfsBlock=16\r\n"));
        QVERIFY(ini.contains("Hints=0\r\n"));
    }

    void einstellungenMitBomUndUnsinnigeDateien()
    {
        {
            // An editor's byte-order mark in front of the first section.
            Start s("\xEF\xBB\xBF[Karten]\r\nBlock=7\r\nMelder=12abc\r\n");
            QVERIFY(s.meldungen.isEmpty());
            QCOMPARE(int(s.fenster->kvx->BlockAnzahl), 14);
            QCOMPARE(int(s.fenster->kvx->MelderAnzahl), 8);   // not a whole number: the default
            QVERIFY(s.ini().startsWith("\xEF\xBB\xBF[Karten]\r\nBlock=7\r\n"));
            QCOMPARE(s.ini().count("[Karten]"), 1);
        }
        {
            // Too large: not read, not overwritten, start-up goes on with the defaults.
            const QByteArray riesig = "[Karten]\r\nBlock=7\r\n" + QByteArray(70 * 1024, ';');
            Start s(riesig);
            QCOMPARE(s.meldungen.size(), 1);
            QVERIFY(s.meldungen[0].contains(s.iniPfad()));
            QVERIFY(s.meldungen[0].contains(QStringLiteral("64 KB")));
            QCOMPARE(int(s.fenster->kvx->BlockAnzahl), 2);
            QCOMPARE(s.ini(), riesig);
            QCOMPARE(s.cfg()->Version->text(), QStringLiteral("( Version 1.1.0.12 )"));
        }
        {
            // A link to a device.
            QTemporaryDir dir;
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("KVXTEST.INI"))));
            for (const char* name : {"QJ.DMA", "QJ.DST", "QJ.DLB", "QJ.DLM"})
                QVERIFY(QFile::copy(QStringLiteral(KVX_DATEN_DIR "/") + QLatin1String(name), dir.filePath(QLatin1String(name))));
            VirtualCard karte;
            QStringList meldungen;
            MainOptions o;
            o.programmPfad = dir.path();
            o.backend = &karte;
            o.meldung = [&](const QString& t) { meldungen << t; };
            TfMain w(std::move(o));
            QCOMPARE(meldungen.size(), 1);
            QVERIFY(meldungen[0].contains(QStringLiteral("keine gewöhnliche Datei")));
            QCOMPARE(int(w.kvx->MelderAnzahl), 8);
        }
    }

    void fernsteuerungUmrechnen()
    {
        Start s("[Taster]\nOben=513\nLinks=600\nRechts=0\n");
        TfMain& w = *s.fenster;
        QCOMPARE(s.cfg()->tOben->text(), QStringLiteral("513"));
        QCOMPARE(w.TasterOben, 1001);
        QCOMPARE(w.TasterLinks, 1088);
        QCOMPARE(w.TasterRechts, 0);
        // The file keeps the numbers as entered, not the positions.
        QVERIFY(s.ini().contains("Oben=513\n"));

        // Editing a field takes effect only with the re-initialisation.
        s.cfg()->tOben->setText(QStringLiteral("3"));
        QVERIFY(s.cfg()->btnReInit->isEnabled());
        QCOMPARE(w.TasterOben, 1001);
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QVERIFY(s.ini().contains("Oben=3\n"));
        QCOMPARE(w.TasterOben, 1001);
        w.mnuReInitClick();
        QCOMPARE(w.TasterOben, 3);
        QVERIFY(!s.cfg()->btnReInit->isEnabled());
    }

    void gitterNachDerKonfiguration()
    {
        Start s;
        TfMain& w = *s.fenster;
        s.cfg()->spin(config::Melder)->setValue(25);   // 200 detectors
        s.cfg()->spin(config::HBlock)->setValue(3);    // 12 auxiliary blocks
        s.cfg()->spin(config::Taster1)->setValue(0);
        QCOMPARE(int(w.kvx->MelderAnzahl), 200);
        // The grids follow only when the page is left.
        QCOMPARE(w.pMelder->panelM->grid->rowCount(), 2);
        w.pControl->setCurrentIndex(TfMain::SMelder);

        MonitorGrid* gMel = w.pMelder->panelM->grid;
        QCOMPARE(gMel->rowCount(), 6);
        QCOMPARE(gMel->height(), 99);
        QCOMPARE(gMel->rowLabel(1), QStringLiteral("0"));
        QCOMPARE(gMel->rowLabel(5), QStringLiteral("160"));
        QCOMPARE(w.pMelder->panelM->counter->height(), 99);

        MonitorGrid* gBMel = w.pMelder->panelB->grid;
        QCOMPARE(gBMel->rowCount(), 2);
        QCOMPARE(gBMel->height(), 35);
        QCOMPARE(w.pMelder->panelB->counter->height(), 51);
        QCOMPARE(w.pMelder->panelH->grid->rowLabel(1), QStringLiteral("200"));
        QCOMPARE(w.pTaster->Panel2->grid->rowCount(), 2);   // 4 block-card buttons

        QVERIFY(w.pTaster->Panel6->grid->isHidden());
        QVERIFY(w.pTaster->Panel1->grid->isHidden());

        w.pControl->setCurrentIndex(TfMain::SConfig);
        s.cfg()->spin(config::Taster1)->setValue(1);
        w.pControl->setCurrentIndex(TfMain::STaster);
        MonitorGrid* gTas1 = w.pTaster->Panel6->grid;
        QVERIFY(!gTas1->isHidden());
        QCOMPARE(gTas1->rowCount(), 2);
        QCOMPARE(gTas1->rowLabel(1), QStringLiteral("0"));

        // Turnout and signal ranges.
        QCOMPARE(w.pWeiche->wTrack->maximum(), 8);
        QCOMPARE(w.pWeiche->lWmax->text(), QStringLiteral("8"));
        QCOMPARE(w.pSignal->lSmax->text(), QStringLiteral("0"));
    }

    void nurDerSeitenwechselSchreibtDieDatei()
    {
        Start s;
        TfMain& w = *s.fenster;
        const QByteArray vorher = s.ini();
        s.cfg()->spin(config::Weichen)->setValue(4);
        QVERIFY(s.cfg()->btnReInit->isEnabled());
        w.mnuReset->trigger();
        QCOMPARE(s.ini(), vorher);
        w.pControl->setCurrentIndex(TfMain::SWeiche);
        QVERIFY(s.ini().contains("Weichen=4\r\n"));
        QCOMPARE(w.pWeiche->wTrack->maximum(), 32);
    }

    void seitenwechselWaehrendEinerFahrt()
    {
        Start s;
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.pControl->setCurrentIndex(TfMain::SFahren);
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SFahren));
        QVERIFY(!w.mnuSNTein->isEnabled());

        // A train runs: every other tab is refused, and no handler of the pages runs.
        w.pFahren->btnStop->setChecked(true);
        w.setStatusText(0, QStringLiteral(" Zugfahrt ist freigegeben..."));
        s.karte.resetCounters();
        QTabBar* tabs = w.pControl->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TfMain::SLeds).center());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SFahren));
        QCOMPARE(s.karte.writes(), 0L);
        QCOMPARE(w.statusText(0), QStringLiteral(" Zugfahrt ist freigegeben..."));

        // Stopped, the same click works and the LED page's show handler runs.
        w.pFahren->btnStop->setChecked(false);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TfMain::SLeds).center());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
        QVERIFY(s.karte.writes() > 0);
        QCOMPARE(w.statusText(0), QString());
        QVERIFY(w.mnuSNTein->isEnabled());
    }

    void resetLoeschtAlleAusgaenge()
    {
        Start s("[Karten]\nBlock=12\nLeds2=2\n");
        TfMain& w = *s.fenster;
        w.kvx->BlockSetzen(3, 1, 1, 7);
        w.kvx->LedKetteZeigen(2, 37);
        w.kvx->WeicheStellen(5, 2);
        QVERIFY(s.karte.block(3).powered);
        QVERIFY(s.karte.ledLit(2, 37));
        QVERIFY(!s.karte.poweredCoils().empty());

        QStringList texte;
        const EchtePause echt;
        QTimer::singleShot(100, [&] { texte << w.statusText(0); });
        w.mnuResetClick();
        QCOMPARE(texte, QStringList{QStringLiteral(" Reset ausgeführt...")});
        QCOMPARE(w.statusText(0), QString());
        QVERIFY(!s.karte.block(3).powered);
        QVERIFY(s.karte.litLeds(2).empty());
        QVERIFY(s.karte.poweredCoils().empty());
    }

    void alleLedAusTaktetNurDieKonfiguriertenLeds()
    {
        // The layout has the cards the configuration names.
        VirtualLayout anlage;
        anlage.led1Cards = 1;
        anlage.led2Cards = 0;
        anlage.led3Cards = 2;
        Start s("[Karten]\nLeds1=1\nLeds3=2\n", true, anlage);
        TfMain& w = *s.fenster;
        w.kvx->LedKetteZeigen(3, 64);
        QVERIFY(s.karte.ledLit(3, 64));
        w.kvx->Impuls = 0x04;   // a coil pulse is not merged here
        s.karte.resetCounters();
        w.btnLedAusClick();
        // Two writes per configured LED, a resting write and a latch pulse per chain.
        QCOMPARE(s.karte.writes(), 2L * (32 + 0 + 64) + 9);
        QVERIFY(s.karte.litLeds(3).empty());
        QCOMPARE(s.karte.outputLatch(0x300), std::uint8_t(0));
        QCOMPARE(w.pLeds->LedNr->text(), QStringLiteral("0"));
        w.kvx->Impuls = 0;
    }

    void reinitialisierung()
    {
        Start s("[Karten]\nLeds1=1\n[Taster]\nOben=1\nUnten=2\nRechts=3\nLinks=4\n");
        TfMain& w = *s.fenster;
        w.pLeds->LedNr->setText(QStringLiteral("1005"));
        w.pLeds->ledTrack->setValue(5);
        w.pWeiche->wTrack->setValue(6);
        w.pFahren->faTrack->setValue(80);
        w.kvx->LedKetteZeigen(1, 5);
        s.cfg()->tLinks->setText(QStringLiteral("600"));
        QVERIFY(s.cfg()->btnReInit->isEnabled());

        QTest::mouseClick(s.cfg()->btnReInit, Qt::LeftButton);
        QVERIFY(s.meldungen.isEmpty());
        QCOMPARE(w.pLeds->LedNr->text(), QStringLiteral("0"));
        QCOMPARE(w.pLeds->ledTrack->value(), 1);
        QCOMPARE(w.pWeiche->wTrack->value(), 1);
        QCOMPARE(w.pWeiche->WNr->text(), QStringLiteral("1"));
        QCOMPARE(w.pFahren->faTrack->value(), 0);
        QVERIFY(s.karte.litLeds(1).empty());
        QVERIFY(!s.cfg()->btnReInit->isEnabled());
        QCOMPARE(w.TasterLinks, 1088);
        QCOMPARE(w.TasterRechts, 3);
    }

    void feldOhneGanzeZahl()
    {
        Start s;
        TfMain& w = *s.fenster;
        const QByteArray vorher = s.ini();
        s.cfg()->tOben->setText(QStringLiteral("1,5"));
        s.cfg()->spin(config::Melder)->setValue(2);
        w.pControl->setCurrentIndex(TfMain::SMelder);
        QCOMPARE(s.meldungen, QStringList{QStringLiteral("'1,5' ist kein gültiger Integerwert")});
        QCOMPARE(s.ini(), vorher);
        // The grids were laid out before the conversion failed.
        QCOMPARE(w.pMelder->panelM->grid->rowCount(), 2);
        QCOMPARE(int(w.kvx->MelderAnzahl), 16);

        s.meldungen.clear();
        w.mnuReInitClick();
        QCOMPARE(s.meldungen, QStringList{QStringLiteral("'1,5' ist kein gültiger Integerwert")});
    }

    void seitenwechselEntscheidetVorDerNeuenSeite()
    {
        // The message of leaving the configuration page shows over that page;
        // the new page's show handler runs after it.
        Start s;
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QList<int> seiteBeiMeldung;
        QStringList statusBeiMeldung;
        s.beiMeldung = [&] {
            seiteBeiMeldung << w.pControl->currentIndex();
            statusBeiMeldung << w.statusText(0);
        };
        s.cfg()->tOben->setText(QStringLiteral("x"));
        w.setStatusText(0, QStringLiteral("vorher"));
        QTabBar* tabs = w.pControl->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TfMain::SLeds).center());
        QCOMPARE(seiteBeiMeldung, QList<int>{TfMain::SConfig});
        QCOMPARE(statusBeiMeldung, QStringList{QStringLiteral("vorher")});
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
        QCOMPARE(w.statusText(0), QString());
    }

    void leeresKartenfeldGiltAlsMinimum()
    {
        Start s;
        for (const config::Karte k : {config::Melder, config::Signale}) {
            QSpinBox* spin = s.cfg()->spin(k);
            spin->setValue(5);
            spin->show();
            spin->setFocus();
            QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(spin, Qt::Key_Backspace);
            QFocusEvent aus(QEvent::FocusOut);
            QCoreApplication::sendEvent(spin, &aus);
            QCOMPARE(spin->value(), spin->minimum());
            QCOMPARE(s.cfg()->feld(k)->text(), QString::number(spin->minimum() * config::Karten[k].factor));
        }
    }

    void tasterFelderNehmenNurZahlen()
    {
        Start s;
        QLineEdit* f = s.cfg()->tUnten;
        f->show();
        f->setFocus();
        f->clear();
        QTest::keyClicks(f, QStringLiteral("1a2x-+"));
        QCOMPARE(f->text(), QStringLiteral("12-+"));
        f->clear();
        QFocusEvent aus(QEvent::FocusOut);
        QCoreApplication::sendEvent(f, &aus);
        QCOMPARE(f->text(), QStringLiteral("0"));
    }

    void hinweiseSchalten()
    {
        Start s;
        TfMain& w = *s.fenster;
        QVERIFY(w.hintsAn());
        s.cfg()->cbHints->click();
        QVERIFY(!w.hintsAn());
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QVERIFY(s.ini().contains("Hints=0"));
    }

    // Where the card's lines are, chosen on the page for the next start: the
    // file's value shown, the choice written when the page is left; a value
    // that means neither stays until the user picks.
    void portWahl_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("gezeigt");       // index of cbPort, -1: no choice
        QTest::addColumn<int>("gewaehlt");      // the user picks, -1: nothing
        QTest::addColumn<QByteArray>("geschrieben");
        // Without a choice: the I/O ports where the CPU has them, else the GPIO header.
        const int vorgabe = QByteArray(config::PortVorgabe) == "ISA" ? 0 : 1;
        const QByteArray vorgabeZeile = "Port=" + QByteArray(config::PortVorgabe) + "\r\n";
        QTest::newRow("ohne Schlüssel") << QByteArray() << vorgabe << -1 << vorgabeZeile;
        QTest::newRow("GPIO") << QByteArray("Port=GPIO") << 1 << -1 << QByteArray("Port=GPIO\r\n");
        QTest::newRow("klein geschrieben") << QByteArray("Port=gpio") << 1 << -1 << QByteArray("Port=GPIO\r\n");
        QTest::newRow("leer") << QByteArray("Port=") << vorgabe << -1 << vorgabeZeile;
        QTest::newRow("zurück zu ISA") << QByteArray("Port=GPIO") << 1 << 0 << QByteArray("Port=ISA\r\n");
        QTest::newRow("unbekannt bleibt") << QByteArray("Port=PCI") << -1 << -1 << QByteArray("Port=PCI\r\n");
        QTest::newRow("unbekannt, dann GPIO") << QByteArray("Port=PCI") << -1 << 1 << QByteArray("Port=GPIO\r\n");
    }
    void portWahl()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, gezeigt);
        QFETCH(int, gewaehlt);
        QFETCH(QByteArray, geschrieben);
        Start s("[Sonstiges]\r\n" + ini + "\r\n");
        QCOMPARE(s.cfg()->cbPort->currentIndex(), gezeigt);
        QVERIFY(s.cfg()->gbPort->title().contains(QStringLiteral("nächsten Start")));
        if (gewaehlt >= 0)
            s.cfg()->cbPort->setCurrentIndex(gewaehlt);
        s.fenster->pControl->setCurrentIndex(TfMain::SMelder);
        QVERIFY2(s.ini().contains(geschrieben), s.ini().constData());
        QCOMPARE(s.ini().count("Port="), 1);
    }

    void einstellungenNichtSchreibbar()
    {
        // The program directory is missing: the write fails and is told,
        // and the start goes on with every remaining step.
        QTemporaryDir basis;
        VirtualCard karte;
        QStringList meldungen;
        MainOptions o;
        o.programmPfad = basis.filePath(QStringLiteral("fehlt"));
        o.backend = &karte;
        o.meldung = [&](const QString& t) { meldungen << t; };
        TfMain w(std::move(o));
        QCOMPARE(meldungen.size(), 2);
        QVERIFY(meldungen[0].startsWith(QStringLiteral("In ")));
        QVERIFY(meldungen[0].endsWith(QStringLiteral("KVXTEST.INI kann nicht geschrieben werden")));
        QVERIFY2(meldungen[1].contains(QStringLiteral("QJ.DMA")), qPrintable(meldungen[1]));   // the set was looked for
        QVERIFY(!w.pConfig->btnReInit->isEnabled());
        QCOMPARE(w.pConfig->Version->text(), QStringLiteral("( Version 1.1.0.12 )"));
    }

    void ohnePortzugriffEineMeldung()
    {
        Start s({}, false);
        TfMain& w = *s.fenster;
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY(s.meldungen[0].startsWith(
            QStringLiteral("Kein Porttreiber installiert, Programm läuft als Simulation!")));
        QVERIFY(w.kvx->Simulation);
        // Everything else runs on as before.
        w.pControl->setCurrentIndex(TfMain::SLeds);
        w.mnuReInitClick();
        QCOMPARE(s.meldungen.size(), 1);
    }

    // Qt's own dialogs speak German: the system's translation is there and
    // is taken.
    void qtDialogeAufDeutsch()
    {
        QTranslator t;
        QVERIFY(qtAufDeutsch(t));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Save"), QStringLiteral("Speichern"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Suchen in:"));
        QCoreApplication::removeTranslator(&t);
    }

    void hilfeOhneDatei()
    {
        Start s;
        TfMain& w = *s.fenster;
        QTemporaryDir leer;
        const QString vorher = QDir::currentPath();
        QDir::setCurrent(leer.path());
        w.mnuHelpClick();
        QDir::setCurrent(vorher);
        QCOMPARE(s.meldungen.size(), 1);
        const QString name = QDir(leer.path()).filePath(QStringLiteral("ReadMe.rtf"));
        QVERIFY2(s.meldungen[0].startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden.").arg(name)),
                 qPrintable(s.meldungen[0]));
        QVERIFY(!w.fHelp->isVisible());
    }

    void hilfeAusDemArbeitsverzeichnis()
    {
        Start s;
        TfMain& w = *s.fenster;
        QTemporaryDir hier;
        schreiben(QDir(hier.path()).filePath(QStringLiteral("ReadMe.rtf")),
                  "{\\rtf1\\ansi {\\b Weichen} schalten\\par}");
        const QString vorher = QDir::currentPath();
        QDir::setCurrent(hier.path());
        w.mnuHelpClick();
        w.mnuHelpClick();
        QDir::setCurrent(vorher);
        QVERIFY(s.meldungen.isEmpty());
        QVERIFY(w.fHelp->isVisible());
        w.fHelp->close();
    }

    void beendenSetztZurueckUndSchliesst()
    {
        Start s("[Karten]\nBlock=2\n");
        TfMain& w = *s.fenster;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.kvx->BlockSetzen(2, 1, 0, 3);
        const QByteArray ini = s.ini();
        w.mnuQuit->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(!s.karte.block(2).powered);
        QCOMPARE(s.ini(), ini);
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
