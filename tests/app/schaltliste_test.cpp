// The switching list on the route page, on the virtual card: which coils a
// pass powers, how long and how far apart, the keep-alive line meanwhile,
// ending a pass, entries passed over, editing and the list file.
#include "fensterstart.h"
#include "schaltliste.h"
#include "streckepage.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

using fixture::EchtePause;
using Coil = VirtualCard::Coil;
using Spulen = std::vector<Coil>;

namespace {

Coil weiche(int n, int lage) { return {Coil::Kind::Turnout, n, lage}; }

// Turnouts 1..88 in the settings and on the layout, the list given.
struct Liste : Start {
    explicit Liste(const QStringList& eintraege = {}) : Start("[Karten]\nWeichen=11\n"), l(*fenster->pStrecke->liste)
    {
        meldungen.clear();   // the fresh directory lacks the default data set
        l.stMemo->setPlainText(eintraege.join(u'\n'));
        l.uebernehmen();
    }
    SchaltListe& l;
};

// Looks at the powered coils every millisecond while a pass runs (it handles
// window messages between its steps) and notes each change with its time.
struct Spulenuhr {
    explicit Spulenuhr(const VirtualCard& karte, std::function<void(const Spulen&)> beiWechsel = {})
    {
        uhr.start();
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this, &karte, beiWechsel] {
            const Spulen jetzt = karte.poweredCoils();
            if (!wechsel.empty() && wechsel.back().first == jetzt)
                return;
            wechsel.emplace_back(jetzt, uhr.elapsed());
            if (beiWechsel && !jetzt.empty())
                beiWechsel(jetzt);
        });
        timer.start(1);
    }
    qint64 dauer(std::size_t i) const { return wechsel.at(i + 1).second - wechsel.at(i).second; }

    QElapsedTimer uhr;
    QTimer timer;
    std::vector<std::pair<Spulen, qint64>> wechsel;
};

}  // namespace

class SchaltListeTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void zweiWeichenMitIhrenZeiten()
    {
        Liste s({QStringLiteral("10G"), QStringLiteral("88A")});
        TfMain& w = *s.fenster;
        w.pStrecke->stGO->setEnabled(true);
        const EchtePause echt;
        QStringList waehrend;
        Spulenuhr su(s.karte, [&](const Spulen&) {
            const bool frei = w.pStrecke->stGO->isEnabled();
            waehrend << QStringLiteral("%1 %2 %3").arg(w.statusText(0)).arg(s.l.stList->currentRow()).arg(frei ? "frei" : "gesperrt");
        });
        s.karte.clearKeepAliveEdges();
        s.l.stSchalt->click();   // back when the pass is over
        su.timer.stop();

        QCOMPARE(waehrend, (QStringList{QStringLiteral("Weiche 10 wird geschaltet ... 0 gesperrt"),
                                        QStringLiteral("Weiche 88 wird geschaltet ... 1 gesperrt")}));
        const auto& ws = su.wechsel;
        QCOMPARE(ws.size(), std::size_t(5));   // nothing, 10 straight, nothing, 88 diverging, nothing
        QCOMPARE(ws[1].first, Spulen{weiche(10, 1)});
        QCOMPARE(ws[3].first, Spulen{weiche(88, 2)});
        for (std::size_t i : {1, 3})
            QVERIFY2(su.dauer(i) >= 300 && su.dauer(i) <= 700, QByteArray::number(su.dauer(i)));
        QVERIFY2(su.dauer(2) >= 800 && su.dauer(2) <= 1500, QByteArray::number(su.dauer(2)));
        QVERIFY(!s.l.stSchalt->isChecked());
        QVERIFY(w.pStrecke->stGO->isEnabled());
        QCOMPARE(w.statusText(0), QString());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(s.meldungen.isEmpty());

        // The keep-alive line went on toggling all the while.
        const auto kanten = s.karte.keepAliveEdges();
        QVERIFY(kanten.size() >= 400);
        for (std::size_t i = 1; i < kanten.size(); ++i)
            QVERIFY(kanten[i].at - kanten[i - 1].at < std::chrono::milliseconds(100));
    }

    void loslassenSeitenwechselUndSchliessenEndenSofort()
    {
        Liste s({QStringLiteral("3G"), QStringLiteral("4A")});
        TfMain& w = *s.fenster;
        const EchtePause echt;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const std::function<void()> wege[] = {[&] { s.l.stSchalt->click(); },
                                              [&] { w.pControl->setCurrentIndex(TfMain::SFahren); },
                                              [&] { w.close(); }};
        for (const auto& weg : wege) {
            w.pControl->setCurrentIndex(TfMain::SStrecke);
            QElapsedTimer seitdem;
            Spulenuhr su(s.karte, [&](const Spulen&) {
                if (!seitdem.isValid()) {
                    seitdem.start();
                    weg();   // during the first pulse
                }
            });
            s.karte.clearCoilLog();
            s.l.stSchalt->click();
            QVERIFY(seitdem.isValid());
            QVERIFY2(seitdem.elapsed() < 200, QByteArray::number(seitdem.elapsed()));
            QVERIFY(s.karte.poweredCoils().empty());
            QCOMPARE(s.karte.coilLog(), std::vector<Spulen>{Spulen{weiche(3, 1)}});   // no further entry
            QVERIFY(!s.l.stSchalt->isChecked());
            QVERIFY(!QApplication::overrideCursor());
        }
    }

    void einDialogHaeltDenImpulsNichtAn()
    {
        Liste s({QStringLiteral("7A"), QStringLiteral("8G")});
        const EchtePause echt;
        qint64 ausNach = -1;
        Spulenuhr su(s.karte, [&](const Spulen&) {
            if (ausNach >= 0)
                return;
            // Another handler opens a modal dialog in the middle of the pulse.
            QDialog d(s.fenster.get());
            QElapsedTimer uhr;
            uhr.start();
            QTimer schauen;
            QObject::connect(&schauen, &QTimer::timeout, &d, [&] {
                if (s.karte.poweredCoils().empty() || uhr.elapsed() > 3000) {
                    ausNach = uhr.elapsed();
                    d.reject();
                }
            });
            schauen.start(5);
            d.exec();
        });
        s.karte.clearCoilLog();
        s.l.stSchalt->click();
        QVERIFY2(ausNach >= 0 && ausNach < 1000, QByteArray::number(ausNach));
        // After the dialog the pass goes on with the next entry.
        QCOMPARE(s.karte.coilLog(), (std::vector<Spulen>{Spulen{weiche(7, 2)}, Spulen{weiche(8, 1)}}));
    }

    void schaltenWaehrendEinerZugfahrt()
    {
        Liste s({QStringLiteral("1G"), QStringLiteral("2A"), QStringLiteral("3G")});
        StreckePage& p = *s.fenster->pStrecke;
        for (int r = 1; r <= 4; ++r)   // blocks 1..4, the LEDs of chain 1 on the coils' port
            p.gStrecke->setItem(r, 4, new QTableWidgetItem(QString::number(r)));
        p.ledBlock->setItem(1, 0, new QTableWidgetItem(QStringLiteral("1")));
        p.ledBlock->setItem(1, 1, new QTableWidgetItem(QStringLiteral("5")));
        s.cfg()->spin(config::Leds1)->setValue(2);
        s.karte.setBlockOccupied(1, true);
        p.stTrack->setValue(16);
        p.stGO->click();
        QTRY_VERIFY(s.karte.ledLit(1, 5) && s.karte.block(1).powered);

        const EchtePause echt;
        Spulenuhr su(s.karte);
        s.karte.clearCoilLog();
        p.liste->stSchalt->click();
        su.timer.stop();
        // Each coil powered once, for its full time, while the train ran on.
        QCOMPARE(s.karte.coilLog(),
                 (std::vector<Spulen>{Spulen{weiche(1, 1)}, Spulen{weiche(2, 2)}, Spulen{weiche(3, 1)}}));
        for (std::size_t i : {1, 3, 5})
            QVERIFY2(su.dauer(i) >= 300 && su.dauer(i) <= 700, QByteArray::number(su.dauer(i)));
        QVERIFY(p.zugFaehrt());
        QTRY_VERIFY(s.karte.block(1).powered);
        p.stGO->click();
        QTRY_VERIFY(!p.zugFaehrt());
    }

    void leereListeUndEintraegeOhneWeiche()
    {
        Liste s;
        s.karte.clearKeepAliveEdges();
        s.l.stSchalt->click();   // chains reset, ten keep-alive pulses, and over
        const auto kanten = s.karte.keepAliveEdges();
        QCOMPARE(std::count_if(kanten.begin(), kanten.end(), [](const VirtualCard::Edge& e) { return e.rising; }), 10);
        QVERIFY(!s.l.stSchalt->isChecked());

        s.l.stMemo->setPlainText(QStringLiteral("\nxG\n010G\n89A\nG\n5g\n0A"));
        s.l.uebernehmen();
        QStringList status;
        Spulenuhr su(s.karte, [&](const Spulen&) { status << s.fenster->statusText(0); });
        s.karte.clearCoilLog();
        s.l.stSchalt->click();
        QCOMPARE(s.karte.coilLog(), (std::vector<Spulen>{Spulen{weiche(10, 1)}, Spulen{weiche(5, 2)}}));
        QCOMPARE(status, (QStringList{QStringLiteral("Weiche 10 wird geschaltet ..."),
                                      QStringLiteral("Weiche 5 wird geschaltet ...")}));
        QCOMPARE(s.meldungen, QStringList{QStringLiteral(
            "Nicht geschaltet, da keine Weiche 1..88 mit Stellung (wie 10G oder 88A): 'xG', '89A', 'G', '0A'")});
    }

    void bearbeitenSichernLaden()
    {
        Liste s;
        SchaltListe& l = s.l;
        QString gewaehlt;
        QStringList fragen;
        s.fenster->dateiWaehlen = [&](bool speichern, const QString& filter, const QString& endung, const QString& name) {
            fragen << QStringLiteral("%1|%2|%3|%4").arg(speichern).arg(filter, endung, name);
            return gewaehlt;
        };
        QTest::mouseClick(l.stEdit, Qt::LeftButton);
        QVERIFY(!l.stMemo->isHidden());
        l.stMemo->setPlainText(QStringLiteral("10G\n\n88A\n"));
        QCOMPARE(l.stList->count(), 0);   // not before the edit is confirmed

        // Unconfirmed edits are saved; a name without extension gets .DMA.
        gewaehlt = s.dir.filePath(QStringLiteral("route"));
        QTest::mouseClick(l.magSave, Qt::LeftButton);
        const QString datei = gewaehlt + QStringLiteral(".DMA");
        QCOMPARE(fixture::lesen(datei), QByteArray("10G\r\n\r\n88A\r\n"));

        // Cancelling the load dialog while editing: the memo becomes the list.
        gewaehlt.clear();
        QTest::mouseClick(l.magLoad, Qt::LeftButton);
        QCOMPARE(fragen, (QStringList{QStringLiteral("1|KVX-Dateien (*.DMA)|DMA|"),
                                      QStringLiteral("0|KVX-Dateien (*.DMA)||*.DMA")}));
        const QStringList liste{QStringLiteral("10G"), QString(), QStringLiteral("88A")};
        QCOMPARE(l.eintraege(), liste);
        QVERIFY(l.stMemo->isHidden());
        QVERIFY(!l.stEdit->isChecked());

        QTest::mouseClick(l.stClear, Qt::LeftButton);
        QCOMPARE(l.stList->count(), 0);
        QVERIFY(l.stMemo->toPlainText().isEmpty());
        gewaehlt = datei;
        QTest::mouseClick(l.magLoad, Qt::LeftButton);
        QCOMPARE(l.eintraege(), liste);
        QCOMPARE(l.memoZeilen(), liste);
        QVERIFY(s.meldungen.isEmpty());

        // A file that cannot be read or written is named; the list stays.
        gewaehlt = s.dir.filePath(QStringLiteral("fehlt.DMA"));
        QTest::mouseClick(l.magLoad, Qt::LeftButton);
        gewaehlt = s.dir.filePath(QStringLiteral("kein/ordner.DMA"));
        QTest::mouseClick(l.magSave, Qt::LeftButton);
        QCOMPARE(s.meldungen.size(), 2);
        QVERIFY(s.meldungen[0].startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(s.dir.filePath(QStringLiteral("fehlt.DMA")))));
        QVERIFY(s.meldungen[1].startsWith(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(gewaehlt)));
        QCOMPARE(l.eintraege(), liste);
    }

    void standardListeBeimStart()
    {
        for (const bool da : {true, false}) {
            QTemporaryDir dir;
            const QString pfad = dir.filePath(QStringLiteral("QJ.DMA"));
            if (da)
                fixture::schreiben(pfad, "1G\r\n2A\r\n");
            VirtualCard karte;
            QStringList meldungen;
            TfMain w(MainOptions{dir.path(), &karte, [&](const QString& t) { meldungen << t; }, {}});
            const QStringList liste = da ? QStringList{QStringLiteral("1G"), QStringLiteral("2A")} : QStringList();
            QCOMPARE(w.pStrecke->liste->eintraege(), liste);
            QCOMPARE(w.pStrecke->liste->memoZeilen(), liste);
            if (da)
                QVERIFY(!meldungen.join(u'|').contains(QStringLiteral("QJ.DMA")));
            else   // named, and the route tables after it are not loaded
                QVERIFY(meldungen.size() == 1
                        && meldungen[0].startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(pfad)));
        }
    }
};

QTEST_MAIN(SchaltListeTest)
#include "schaltliste_test.moc"
