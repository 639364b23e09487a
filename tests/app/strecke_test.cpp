// The route page on the virtual card: a run from Start to its end with the
// powered rows, the marking and the LEDs; a cell that ends a run; the window
// closed during a run; the table files saved, loaded and cleared through the
// file dialog step; the default set loaded at start.
#include "fensterstart.h"
#include "panels.h"
#include "pfeil.h"
#include "streckepage.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

using Block = VirtualCard::BlockState;

namespace {

// 24 blocks, 48 auxiliary blocks, 88 detectors, one card on each LED chain.
const QByteArray anlage("[Karten]\nBlock=12\nHilfsBlock=12\nMelder=11\nLeds1=1\nLeds2=1\nLeds3=1\n");

VirtualLayout karten()
{
    VirtualLayout k;
    k.led1Cards = k.led2Cards = k.led3Cards = 1;
    return k;
}

struct Route : Start {
    Route() : Start(anlage, true, karten())
    {
        fenster->dateiWaehlen = [this](bool speichern, const QString& filter, const QString&, const QString&) {
            dialoge << (speichern ? QStringLiteral("save") : QStringLiteral("open:") + filter);
            return gewaehlt;
        };
        meldungen.clear();   // the default files do not lie in the test's directory
        fenster->pStrecke->tabellenLoeschen();
    }
    StreckePage& p() const { return *fenster->pStrecke; }
    QString datei(const QString& name) const { return dir.filePath(name); }

    QString gewaehlt;      // what the dialog step returns
    QStringList dialoge;   // which dialogs were asked for
};

void seite(TfMain& w)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pControl->setCurrentIndex(TfMain::SStrecke);
    QCOMPARE(w.pControl->currentIndex(), int(TfMain::SStrecke));
}

QString zelle(const QTableWidget* g, int z, int s)
{
    const QTableWidgetItem* i = g->item(z, s);
    return i ? i->text() : QString();
}

void setze(QTableWidget* g, int z, int s, const QString& text)
{
    if (QTableWidgetItem* i = g->item(z, s))
        i->setText(text);
    else
        g->setItem(z, s, new QTableWidgetItem(text));
}

QColor farbe(const QTableWidget* g, int z, int s)
{
    return g->item(z, s)->background().color();
}

QColor schrift(const QPushButton* b)
{
    return b->palette().color(QPalette::ButtonText);
}

// Rows 1..8 with blocks 1..8, detector 40 + r in RHalt.
void achtZeilen(StreckePage& p)
{
    for (int r = 1; r <= 8; ++r) {
        setze(p.gStrecke, r, 4, QString::number(r));
        setze(p.gStrecke, r, 2, QString::number(40 + r));
    }
}

// Clicks b where the user would: at its centre, on whatever lies on top there.
void klickeMitte(QWidget* b)
{
    QWidget* fenster = b->window();
    const QPoint mitte = b->mapTo(fenster, b->rect().center());
    QWidget* oben = fenster->childAt(mitte);
    QVERIFY2(oben && (oben == b || b->isAncestorOf(oben)),
             qPrintable(b->objectName() + QStringLiteral(" lies under ") + (oben ? oben->objectName() : QString())));
    QTest::mouseClick(oben, Qt::LeftButton, {}, oben->mapFrom(fenster, mitte));
}

bool alleAus(const VirtualCard& k)
{
    for (int b = 1; b <= 24; ++b)
        if (k.block(b).powered)
            return false;
    return true;
}

}  // namespace

class StreckeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void fahrtVonStartBisZumEnde()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        seite(w);
        QVERIFY(p.stGO->isEnabled());
        QCOMPARE(p.stGO->text(), QStringLiteral("Start"));
        QCOMPARE(schrift(p.stGO), QColor(0, 128, 0));
        QCOMPARE(p.pBl1->text(), QStringLiteral("0"));
        achtZeilen(p);
        setze(p.ledBlock, 1, 0, QStringLiteral("3"));
        setze(p.ledBlock, 1, 1, QStringLiteral("1007"));
        p.stTrack->setValue(16);
        QCOMPARE(p.stTempo->text(), QStringLiteral("16"));
        s.karte.setBlockOccupied(3, true);

        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QCOMPARE(p.stGO->text(), QStringLiteral("Fahren"));
        QCOMPARE(w.statusText(0), QStringLiteral(" Zugfahrt ist freigegeben..."));
        QTRY_COMPARE(p.pBl1->text(), QStringLiteral("3"));
        QCOMPARE(p.pBl2->text(), QStringLiteral("4"));
        QTRY_VERIFY(s.karte.block(3).powered && s.karte.block(4).powered);
        QCOMPARE(s.karte.block(3).speed, 2);
        QVERIFY(s.karte.block(3).forward);
        QTRY_VERIFY(s.karte.ledLit(2, 7));
        QTRY_COMPARE(farbe(p.gStrecke, 3, 4), panels::Red);
        QCOMPARE(farbe(p.gStrecke, 5, 4), panels::Gray);
        // No number, no marking.
        QCOMPARE(farbe(p.gStrecke, 9, 4), farbe(p.gStrecke, 10, 4));

        // No other page while the train runs.
        QTabBar* tabs = w.pControl->tabBar();
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TfMain::SLeds).center());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SStrecke));

        // The train moves on; an edit during the run is taken in the next cycle.
        s.karte.setBlockOccupied(3, false);
        s.karte.setBlockOccupied(4, true);
        QTRY_COMPARE(p.pBl1->text(), QStringLiteral("4"));
        QTRY_VERIFY(!s.karte.block(3).powered);
        QTRY_VERIFY(!s.karte.ledLit(2, 7));
        setze(p.ledBlock, 1, 0, QStringLiteral("4"));
        QTRY_VERIFY(s.karte.ledLit(2, 7));
        QTRY_VERIFY_WITH_TIMEOUT(w.statusText(1).toInt() > 0, 10000);

        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QCOMPARE(p.stGO->text(), QStringLiteral("Stop"));
        QCOMPARE(schrift(p.stGO), QColor(255, 0, 0));
        QTRY_COMPARE(p.stGO->text(), QStringLiteral("Start"));
        QCOMPARE(schrift(p.stGO), QColor(0, 128, 0));
        QVERIFY(!p.stGO->isChecked());
        QVERIFY(alleAus(s.karte));
        QCOMPARE(w.statusText(1), QStringLiteral("0"));
        QCOMPARE(w.statusText(0), QString());
        QCOMPARE(p.pBl1->text(), QStringLiteral("4"));
        // The marking stays.
        QCOMPARE(farbe(p.gStrecke, 4, 4), panels::Red);
        // So do the LEDs.
        QVERIFY(s.karte.ledLit(2, 7));
        QVERIFY(s.meldungen.isEmpty());
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(TfMain::SLeds).center());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
    }

    // The cards have 24 blocks, 48 auxiliary blocks, 88 detectors and 32
    // LEDs on each chain; a table that names more says so at the start.
    void startSagtWasDieKartenNichtHaben_data()
    {
        QTest::addColumn<QString>("tabelle");
        QTest::addColumn<int>("spalte");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("meldung");
        const QString vor = QStringLiteral(" Zugfahrt ist freigegeben... Achtung: ");
        QTest::newRow("Block") << "gStrecke" << 4 << "25" << vor + "Block 25 gibt es nicht (Anzahl Blöcke: 24)";
        QTest::newRow("Hilfsblock") << "gStrecke" << 1 << "249"
                                    << vor + "Hilfsblock 249 gibt es nicht (Anzahl Hilfsblöcke: 48)";
        QTest::newRow("Melder") << "gStrecke" << 6 << "89" << vor + "Melder 89 gibt es nicht (Anzahl Belegtmelder: 88)";
        QTest::newRow("LED") << "ledBlock" << 1 << "1033" << vor + "LED 1033 gibt es nicht (Anzahl LEDs 2: 32)";
        QTest::newRow("alles da") << "ledMelder" << 1 << "2032" << QStringLiteral(" Zugfahrt ist freigegeben...");
    }
    void startSagtWasDieKartenNichtHaben()
    {
        QFETCH(QString, tabelle);
        QFETCH(int, spalte);
        QFETCH(QString, text);
        QFETCH(QString, meldung);
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        seite(w);
        achtZeilen(p);
        setze(p.ledBlock, 1, 0, QStringLiteral("3"));
        setze(p.ledBlock, 1, 1, QStringLiteral("1032"));
        setze(p.ledMelder, 1, 0, QStringLiteral("41"));
        setze(p.ledMelder, 1, 1, QStringLiteral("7"));
        setze(p.findChild<QTableWidget*>(tabelle), tabelle == QLatin1String("gStrecke") ? 5 : 1, spalte, text);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QCOMPARE(w.statusText(0), meldung);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_COMPARE(p.stGO->text(), QStringLiteral("Start"));
    }

    void rueckwaertsZeigtDieZeilenUnterStrom()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        seite(w);
        for (int r = 1; r <= 15; ++r)
            setze(p.gStrecke, r, 4, QString::number(r));
        p.stTrack->setValue(40);
        QTest::mouseClick(p.stRW, Qt::LeftButton);
        QCOMPARE(p.stRW->farbe(), panels::Red);
        QCOMPARE(p.stVW->farbe(), panels::Silver);
        QCOMPARE(p.stTrack->value(), 40);
        s.karte.setBlockOccupied(12, true);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_COMPARE(p.pBl1->text(), QStringLiteral("12"));
        QCOMPARE(p.pBl2->text(), QStringLiteral("11"));
        QTRY_VERIFY(s.karte.block(11).powered && !s.karte.block(11).forward);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_COMPARE(p.stGO->text(), QStringLiteral("Start"));
    }

    void zelleOhneZahlBeendetDieFahrt()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        seite(w);
        achtZeilen(p);
        setze(p.gStrecke, 17, 5, QStringLiteral("x"));
        p.stTrack->setValue(50);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_COMPARE(p.stGO->text(), QStringLiteral("Start"));
        QVERIFY(!p.stGO->isChecked());
        QVERIFY(!p.zugFaehrt());
        QCOMPARE(s.meldungen, QStringList{QStringLiteral("'x' ist kein gültiger Integerwert")});
        QVERIFY(alleAus(s.karte));
        QCOMPARE(w.statusText(0), QString());

        // Mended, the next run goes.
        setze(p.gStrecke, 17, 5, QString());
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_VERIFY(s.karte.block(2).powered);
        QTest::mouseClick(p.stGO, Qt::LeftButton);
        QTRY_COMPARE(p.stGO->text(), QStringLiteral("Start"));
        QCOMPARE(s.meldungen.size(), 1);
    }

    void fensterSchliessenWaehrendDerFahrt()
    {
        {
            Route s;
            TfMain& w = *s.fenster;
            seite(w);
            achtZeilen(s.p());
            s.p().stTrack->setValue(100);
            QTest::mouseClick(s.p().stGO, Qt::LeftButton);
            QTRY_VERIFY(s.karte.block(2).powered);
            QVERIFY(w.close());
            QVERIFY(!s.p().zugFaehrt());
            QVERIFY(alleAus(s.karte));
            QCOMPARE(s.p().stGO->text(), QStringLiteral("Start"));
            const long writes = s.karte.writes();
            QCoreApplication::processEvents();
            // The end the thread queued changes nothing.
            QCOMPARE(s.karte.writes(), writes);
            QVERIFY(s.meldungen.isEmpty());
        }
        Route s;
        seite(*s.fenster);
        achtZeilen(s.p());
        s.p().stTrack->setValue(60);
        QTest::mouseClick(s.p().stGO, Qt::LeftButton);
        QTRY_VERIFY(s.karte.block(2).powered);
        s.fenster.reset();
        QVERIFY(alleAus(s.karte));
        QCoreApplication::processEvents();
    }

    // ------------------------------------------------------------ the files

    void sichernLadenLoeschen()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        setze(p.gStrecke, 1, 4, QStringLiteral("18"));
        setze(p.gStrecke, 2, 1, QStringLiteral("225"));
        setze(p.ledBlock, 1, 0, QStringLiteral("225"));
        setze(p.ledBlock, 1, 1, QStringLiteral("1005"));
        setze(p.ledMelder, 1, 0, QStringLiteral("12"));
        setze(p.ledMelder, 1, 1, QStringLiteral("2017"));

        // Every control of the page can be clicked; the three buttons are
        // clicked with the mouse here.
        seite(w);
        for (QWidget* c : p.findChildren<QWidget*>()) {
            if (c->isVisible() && (qobject_cast<QAbstractButton*>(c) || qobject_cast<Pfeil*>(c)
                                   || qobject_cast<QAbstractSlider*>(c) || qobject_cast<QTableWidget*>(c))) {
                const QPoint mitte = c->mapTo(&w, c->rect().center());
                QWidget* oben = w.childAt(mitte);
                QVERIFY2(oben == c || c->isAncestorOf(oben), qPrintable(c->objectName()));
            }
        }
        s.gewaehlt = s.datei(QStringLiteral("route"));
        klickeMitte(p.ledSave);
        QCOMPARE(s.dialoge, QStringList{QStringLiteral("save")});
        QVERIFY(s.meldungen.isEmpty());
        const QByteArray dst = fixture::lesen(s.datei(QStringLiteral("route.DST")));
        QList<QByteArray> z = dst.split('\n');
        QCOMPARE(z.size(), 22);   // 21 lines, each ending in CR LF
        QCOMPARE(z[0], QByteArray("\tHBlock\tRHalt\tRBrems\tBlock\tVBrems\tVHalt\t\r"));
        QCOMPARE(z[1], QByteArray("1\t\t\t\t18\t\t\t\r"));
        QCOMPARE(z[2], QByteArray("2\t225\t\t\t\t\t\t\r"));
        QCOMPARE(z[20], QByteArray("20\t\t\t\t\t\t\t\r"));
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("route.DLB"))), QByteArray("Block\tLED\t\r\n225\t1005\t\r\n"));
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("route.DLM"))), QByteArray("Melder\tLED\t\r\n12\t2017\t\r\n"));

        klickeMitte(p.ledClear);
        QCOMPARE(p.ledBlock->rowCount(), 2);
        QCOMPARE(zelle(p.ledBlock, 0, 0), QStringLiteral("Block"));
        QCOMPARE(zelle(p.ledBlock, 1, 0), QString());
        QCOMPARE(zelle(p.ledMelder, 1, 1), QString());
        QCOMPARE(zelle(p.gStrecke, 1, 4), QString());
        QCOMPARE(zelle(p.gStrecke, 0, 6), QStringLiteral("VHalt"));
        QCOMPARE(zelle(p.gStrecke, 20, 0), QStringLiteral("20"));

        // Choosing any of the three files loads all three.
        s.gewaehlt = s.datei(QStringLiteral("route.DLB"));
        klickeMitte(p.ledLoad);
        QCOMPARE(s.dialoge.last(),
                 QStringLiteral("open:KVX-Dateien (*.D*);;Block/Led (*.DLB);;Melder/Led (*.DLM)"));
        QVERIFY(s.meldungen.isEmpty());
        QCOMPARE(zelle(p.gStrecke, 1, 4), QStringLiteral("18"));
        QCOMPARE(zelle(p.ledMelder, 1, 1), QStringLiteral("2017"));
        s.gewaehlt = s.datei(QStringLiteral("zweite.txt"));
        w.ledSaveClick();
        // Byte for byte.
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("zweite.DST"))), dst);
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("zweite.DLB"))),
                 fixture::lesen(s.datei(QStringLiteral("route.DLB"))));

        // A cancelled dialog does nothing.
        s.gewaehlt.clear();
        w.ledLoadClick();
        w.ledSaveClick();
        QVERIFY(s.meldungen.isEmpty());
        QCOMPARE(zelle(p.gStrecke, 1, 4), QStringLiteral("18"));
    }

    void ladenKurzLangBreitUndNurLF()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        setze(p.gStrecke, 5, 4, QStringLiteral("5"));
        setze(p.gStrecke, 7, 4, QStringLiteral("7"));
        setze(p.gStrecke, 3, 4, QStringLiteral("alt"));
        // .DST of 5 lines, LF only, without the last TAB, an empty line (row 3).
        fixture::schreiben(s.datei(QStringLiteral("a.DST")), "\tH\tR\tR\tB\tV\tV\n1\t\t\t\t9\n2\t201\t3\t\t4\t\t\t\n\n4\t\t\t\t44\t");
        QByteArray dlb = "Block\tLED\t\r\n";
        for (int i = 1; i < 10; ++i)
            dlb += QByteArray::number(i) + "\t" + QByteArray::number(i) + "\t" + (i == 5 ? "x\t" : "") + "\r\n";
        fixture::schreiben(s.datei(QStringLiteral("a.DLB")), dlb);
        fixture::schreiben(s.datei(QStringLiteral("a.DLM")), "Melder\tLED\r12\t2017");
        s.gewaehlt = s.datei(QStringLiteral("a.DST"));
        w.ledLoadClick();
        QVERIFY(s.meldungen.isEmpty());
        QCOMPARE(p.gStrecke->rowCount(), 21);
        QCOMPARE(zelle(p.gStrecke, 0, 1), QStringLiteral("H"));
        QCOMPARE(zelle(p.gStrecke, 1, 4), QStringLiteral("9"));
        QCOMPARE(zelle(p.gStrecke, 2, 1), QStringLiteral("201"));
        // An empty line sets no cell.
        QCOMPARE(zelle(p.gStrecke, 3, 4), QStringLiteral("alt"));
        QCOMPARE(zelle(p.gStrecke, 4, 4), QStringLiteral("44"));
        // Rows after the file's five keep their text.
        QCOMPARE(zelle(p.gStrecke, 5, 4), QStringLiteral("5"));
        QCOMPARE(zelle(p.gStrecke, 7, 4), QStringLiteral("7"));
        QCOMPARE(p.ledBlock->rowCount(), 10);
        QCOMPARE(p.ledBlock->columnCount(), 3);
        QCOMPARE(zelle(p.ledBlock, 5, 2), QStringLiteral("x"));
        QCOMPARE(zelle(p.ledBlock, 9, 1), QStringLiteral("9"));
        QCOMPARE(zelle(p.ledMelder, 1, 1), QStringLiteral("2017"));
        QCOMPARE(p.ledMelder->rowCount(), 2);

        // Saving the wide table writes its three cells a row.
        s.gewaehlt = s.datei(QStringLiteral("b"));
        w.ledSaveClick();
        QVERIFY(fixture::lesen(s.datei(QStringLiteral("b.DLB"))).contains("5\t5\tx\t\r\n6\t6\t\t\r\n"));
    }

    void ladenMitFehlenderOderUnbrauchbarerDatei()
    {
        Route s;
        TfMain& w = *s.fenster;
        StreckePage& p = s.p();
        setze(p.ledBlock, 1, 0, QStringLiteral("3"));
        setze(p.ledMelder, 1, 0, QStringLiteral("4"));
        fixture::schreiben(s.datei(QStringLiteral("route.DST")), "\tHBlock\r\n1\t\t\t\t18\t\r\n");
        fixture::schreiben(s.datei(QStringLiteral("route.DLM")), "Melder\tLED\t\r\n9\t9\t\r\n");
        s.gewaehlt = s.datei(QStringLiteral("route.DST"));
        w.ledLoadClick();
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen[0].startsWith(QStringLiteral("Datei ") + QDir::toNativeSeparators(s.datei(QStringLiteral("route.DLB")))
                                           + QStringLiteral(" kann nicht geöffnet werden.")),
                 qPrintable(s.meldungen[0]));
        QCOMPARE(zelle(p.gStrecke, 1, 4), QStringLiteral("18"));
        QCOMPARE(zelle(p.ledBlock, 1, 0), QStringLiteral("3"));
        QCOMPARE(zelle(p.ledMelder, 1, 0), QStringLiteral("4"));

        // A binary file larger than any table is refused and changes nothing.
        s.meldungen.clear();
        fixture::schreiben(s.datei(QStringLiteral("gross.DST")), QByteArray(2 * 1024 * 1024, '\0'));
        s.gewaehlt = s.datei(QStringLiteral("gross.DST"));
        w.ledLoadClick();
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY(s.meldungen[0].contains(QStringLiteral("gross.DST kann nicht geöffnet werden.")));
        QCOMPARE(zelle(p.gStrecke, 1, 4), QStringLiteral("18"));

        // A file that cannot be created: the old one stays.
        s.meldungen.clear();
        QVERIFY(QDir(s.dir.path()).mkdir(QStringLiteral("route.DLB")));
        s.gewaehlt = s.datei(QStringLiteral("route"));
        w.ledSaveClick();
        QCOMPARE(s.meldungen.size(), 1);
        QVERIFY2(s.meldungen[0].startsWith(QStringLiteral("Datei \"") + QDir::toNativeSeparators(s.datei(QStringLiteral("route.DLB")))
                                           + QStringLiteral("\" kann nicht erstellt werden.")),
                 qPrintable(s.meldungen[0]));
        // The set stays as it was: no file of it is replaced.
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("route.DST"))), QByteArray("\tHBlock\r\n1\t\t\t\t18\t\r\n"));
        QCOMPARE(fixture::lesen(s.datei(QStringLiteral("route.DLM"))), QByteArray("Melder\tLED\t\r\n9\t9\t\r\n"));
        QCOMPARE(QDir(s.dir.path()).entryList({QStringLiteral("*route*")}, QDir::Files | QDir::Hidden).size(),
                 2);   // no temporary file left
    }

    void tabInDerLetztenZelleHaengtEineZeileAn()
    {
        Route s;
        seite(*s.fenster);
        QTableWidget* g = s.p().ledMelder;
        g->setFocus();
        g->setCurrentCell(1, 1);
        QTest::keyClick(g, Qt::Key_Tab);
        QCOMPARE(g->rowCount(), 3);
        QCOMPARE(g->currentRow(), 2);
        QCOMPARE(g->currentColumn(), 0);
        g->setCurrentCell(1, 0);
        QTest::keyClick(g, Qt::Key_Tab);
        QCOMPARE(g->rowCount(), 3);
    }

    void startMitDenMusterdatenOhneMeldung()
    {
        QTemporaryDir dir;
        const QDir programm(QCoreApplication::applicationDirPath());
        const QStringList muster = programm.entryList({QStringLiteral("QJ.*")}, QDir::Files);
        QVERIFY(muster.contains(QStringLiteral("QJ.DST")));
        for (const QString& f : muster)
            QVERIFY(QFile::copy(programm.filePath(f), QDir(dir.path()).filePath(f)));
        VirtualCard karte;
        QStringList meldungen;
        MainOptions o;
        o.programmPfad = dir.path();
        o.backend = &karte;
        o.meldung = [&meldungen](const QString& t) { meldungen << t; };
        {
            TfMain w(o);
            QVERIFY2(meldungen.isEmpty(), qPrintable(meldungen.join(u'\n')));
            QCOMPARE(zelle(w.pStrecke->gStrecke, 3, 1), QStringLiteral("201"));
            QCOMPARE(zelle(w.pStrecke->gStrecke, 8, 4), QStringLiteral("3"));   // the oval's third round
            QCOMPARE(zelle(w.pStrecke->gStrecke, 15, 4), QStringLiteral("5"));
            QVERIFY(w.pStrecke->ledBlock->rowCount() > 2);
            QVERIFY(w.pStrecke->ledMelder->rowCount() > 2);
        }
        // Without the route table the start names it and loads no LED table.
        QVERIFY(QFile::remove(QDir(dir.path()).filePath(QStringLiteral("QJ.DST"))));
        TfMain w(o);
        QCOMPARE(meldungen.size(), 1);
        QVERIFY(meldungen[0].contains(QStringLiteral("QJ.DST kann nicht geöffnet werden.")));
        QCOMPARE(w.pStrecke->ledBlock->rowCount(), 2);
        QCOMPARE(zelle(w.pStrecke->gStrecke, 1, 0), QStringLiteral("1"));
    }
};

QTEST_MAIN(StreckeTest)
#include "strecke_test.moc"
