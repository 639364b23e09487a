// The turnout and the signal page on the virtual card: which coil a pulse
// powers and for how long, with and without the keep-alive tick, the mouse
// on the track bars, the switching time, and a pulse cut short.
#include "coilpage.h"
#include "fensterstart.h"
#include "signalpage.h"
#include "spulenimpuls.h"
#include "weichepage.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using fixture::EchtePause;
using Coil = VirtualCard::Coil;
using Spulen = std::vector<Coil>;

namespace {

// Settings and layout agree: 2 turnout cards (16 turnouts), 1 signal card (16 coils).
const QByteArray zweiUndEine("[Karten]\nWeichen=2\nSignale=1\n");
const VirtualLayout anlage{.weichenCards = 2, .signalCards = 1};

Coil weiche(int n, int lage) { return {Coil::Kind::Turnout, n, lage}; }
Coil spule(int n) { return {Coil::Kind::Signal, n, 0}; }

// Never two coils at once: every change of the powered coils holds one.
bool immerEineSpule(const VirtualCard& karte)
{
    const auto log = karte.coilLog();
    return std::all_of(log.begin(), log.end(), [](const Spulen& s) { return s.size() == 1; });
}

// A click where the window system would deliver it: to the deepest widget.
void klick(QWidget* seite, Qt::MouseButton taste, QPoint pos)
{
    QWidget* ziel = seite->childAt(pos);
    QTest::mouseClick(ziel ? ziel : seite, taste, {}, ziel ? ziel->mapFrom(seite, pos) : pos);
}

void zeigen(TfMain& w, int seite)
{
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.pControl->setCurrentIndex(seite);
}

}  // namespace

class SpulenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void weicheUndSignalspuleFuerIhreSchaltzeit()
    {
        Start s(zweiUndEine, true, anlage);
        TfMain& w = *s.fenster;
        w.pWeiche->wTrack->setValue(5);
        QCOMPARE(w.pWeiche->WNr->text(), QStringLiteral("5"));
        QElapsedTimer uhr;
        uhr.start();
        QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
        // The click is back while the coil is still powered: no handler waits.
        QCOMPARE(s.karte.registerStages(VirtualCard::Chain::Turnout), std::vector<int>{9});
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(5, 1)});
        QVERIFY(w.pWeiche->btnWg->isChecked());
        QTRY_VERIFY(s.karte.poweredCoils().empty());
        QVERIFY(uhr.elapsed() >= 190);
        QVERIFY(w.pWeiche->btnIAus->isChecked());

        QTest::mouseClick(w.pWeiche->btnWa, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(5, 2)});   // stage 10
        QTRY_VERIFY(w.pWeiche->btnIAus->isChecked());

        // Signal coil n sits at index n - 1, at stage n.
        QTest::mouseClick(w.pSignal->btnISEin, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{spule(1)});
        w.pSignal->STrack->setValue(16);
        QTest::mouseClick(w.pSignal->btnISEin, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{spule(16)});
        QTRY_VERIFY(s.karte.poweredCoils().empty());
        QVERIFY(w.pSignal->btnISAus->isChecked());
        QVERIFY(immerEineSpule(s.karte));
    }

    void impulseWaehrendDerSntTakt()
    {
        Start s(zweiUndEine, true, anlage);
        TfMain& w = *s.fenster;
        zeigen(w, TfMain::SWeiche);
        const EchtePause echt;
        w.mnuSNTeinClick();
        QVERIFY(w.tiSNT->isActive());
        w.pWeiche->btnWZeit->setValue(1000);
        w.pSignal->btnSZeit->setValue(1000);
        w.pWeiche->wTrack->setValue(3);
        s.karte.clearCoilLog();

        // The pulse lasts its full time while the ticks go on toggling the line.
        const long kanten = s.karte.keepAlive().edges;
        QElapsedTimer uhr;
        uhr.start();
        QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(3, 1)});
        QTRY_VERIFY_WITH_TIMEOUT(s.karte.poweredCoils().empty(), 5000);
        QVERIFY2(uhr.elapsed() >= 900 && uhr.elapsed() <= 1500, QByteArray::number(uhr.elapsed()));
        QVERIFY(s.karte.keepAlive().edges - kanten >= 60);   // 30 rising edges
        QCOMPARE(s.karte.coilLog().size(), std::size_t(1));  // powered throughout

        // A second pulse ends the first before it starts, and runs its own time.
        QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
        const long beimStart = s.karte.keepAlive().edges;
        QTRY_VERIFY(s.karte.keepAlive().edges - beimStart >= 10);   // some ticks into the pulse
        QTest::mouseClick(w.pWeiche->btnWa, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(3, 2)});
        w.pControl->setCurrentIndex(TfMain::SSignal);
        uhr.restart();
        QTest::mouseClick(w.pSignal->btnISEin, Qt::LeftButton);
        QCOMPARE(s.karte.poweredCoils(), Spulen{spule(1)});
        QVERIFY(w.pWeiche->btnIAus->isChecked());
        QVERIFY(w.pSignal->btnISEin->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(s.karte.poweredCoils().empty(), 5000);
        QVERIFY2(uhr.elapsed() >= 900, QByteArray::number(uhr.elapsed()));
        QVERIFY(immerEineSpule(s.karte));
        QVERIFY(w.tiSNT->isActive());
        w.mnuSNTausClick();
    }

    void impulsAusUndFensterSchliessen()
    {
        Start s(zweiUndEine, true, anlage);
        TfMain& w = *s.fenster;
        zeigen(w, TfMain::SWeiche);
        w.pWeiche->btnWZeit->setValue(5000);
        QTest::mouseClick(w.pWeiche->btnWa, Qt::LeftButton);
        QTest::mouseClick(w.pWeiche->btnIAus, Qt::LeftButton);
        QVERIFY(s.karte.poweredCoils().empty());
        QVERIFY(w.pWeiche->btnIAus->isChecked());

        QTest::mouseClick(w.pWeiche->btnWg, Qt::LeftButton);
        QVERIFY(!s.karte.poweredCoils().empty());
        w.close();
        QVERIFY(!s.karte.coilEnable());
        QVERIFY(!w.pWeiche->auswahl->impuls->laeuft());

        Start q(zweiUndEine, true, anlage);
        zeigen(*q.fenster, TfMain::SWeiche);
        QTest::mouseClick(q.fenster->pWeiche->btnWg, Qt::LeftButton);
        q.fenster->mnuQuit->trigger();
        QVERIFY(!q.fenster->isVisible());
        QVERIFY(!q.karte.coilEnable());
        QVERIFY(!q.fenster->pWeiche->auswahl->impuls->laeuft());
    }

    void schaltzeitZeigtDenNeuenWert()
    {
        Start s;
        WeichePage& p = *s.fenster->pWeiche;
        QTest::mouseClick(p.btnWZeit->hoch, Qt::LeftButton);
        QCOMPARE(p.sZeit->text(), QStringLiteral("210"));
        QTest::mouseClick(p.btnWZeit->hoch, Qt::LeftButton);
        QTest::mouseClick(p.btnWZeit->runter, Qt::LeftButton);
        QCOMPARE(p.sZeit->text(), QStringLiteral("210"));
        QTest::mouseClick(p.btnWZeit->runter, Qt::LeftButton);
        QTest::mouseClick(p.btnWZeit->runter, Qt::LeftButton);
        QCOMPARE(p.sZeit->text(), QStringLiteral("200"));
        p.btnWZeit->setValue(5000);
        QTest::mouseClick(p.btnWZeit->hoch, Qt::LeftButton);
        QCOMPARE(p.sZeit->text(), QStringLiteral("5000"));
        QCOMPARE(p.auswahl->schaltzeit(), 5000);

        QTest::mouseClick(s.fenster->pSignal->btnSZeit->hoch, Qt::LeftButton);
        QCOMPARE(s.fenster->pSignal->sZeitS->text(), QStringLiteral("210"));

        // Typed: taken on Enter when it is 200..5000 ms, else named in the status bar.
        int vorher = 5000;
        for (const char* getippt : {"4321", "9000", "1,5s"}) {
            p.sZeit->selectAll();
            QTest::keyClicks(p.sZeit, QString::fromLatin1(getippt));
            QCOMPARE(p.auswahl->schaltzeit(), std::exchange(vorher, 4321));   // while typing, the time before
            QTest::keyClick(p.sZeit, Qt::Key_Return);
            QCOMPARE(p.sZeit->text(), QStringLiteral("4321"));
            QCOMPARE(s.fenster->statusText(0).contains(QStringLiteral("200 bis 5000 ms")), getippt[0] != '4');
        }
    }

    void maustastenAufSchiebereglerUndSeite()
    {
        Start s(zweiUndEine, true, anlage);
        TfMain& w = *s.fenster;
        zeigen(w, TfMain::SWeiche);
        QSlider* wt = w.pWeiche->wTrack;
        wt->setValue(3);
        const QPoint oben(wt->width() / 2, 4);
        // The pulse takes the number shown before the track bar moves.
        QTest::mouseClick(wt, Qt::LeftButton, {}, oben);
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(3, 1)});
        QVERIFY(wt->value() > 3);
        QCOMPARE(w.pWeiche->WNr->text(), QString::number(wt->value()));
        QTest::mouseClick(wt, Qt::RightButton, {}, oben);
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(wt->value(), 2)});
        s.karte.clearCoilLog();
        QTest::mouseClick(wt, Qt::MiddleButton, {}, oben);
        QTest::mouseClick(w.pWeiche->WNr, Qt::LeftButton);   // a panel is no page background
        QVERIFY(s.karte.coilLog().empty());
        klick(w.pWeiche, Qt::LeftButton, QPoint(5, 5));
        QCOMPARE(s.karte.poweredCoils(), Spulen{weiche(wt->value(), 1)});

        w.pControl->setCurrentIndex(TfMain::SSignal);
        QSlider* st = w.pSignal->STrack;
        st->setValue(2);
        w.pWeiche->auswahl->impuls->beenden();
        s.karte.clearCoilLog();
        QTest::mouseClick(st, Qt::LeftButton, {}, QPoint(st->width() / 2, 4));
        QTest::mouseClick(st, Qt::MiddleButton, {}, QPoint(st->width() / 2, 4));
        QVERIFY(s.karte.coilLog().empty());
        st->setValue(2);
        QTest::mouseClick(st, Qt::RightButton, {}, QPoint(st->width() / 2, 4));
        QCOMPARE(s.karte.poweredCoils(), Spulen{spule(2)});
        klick(w.pSignal, Qt::RightButton, QPoint(5, 5));
        QCOMPARE(s.karte.coilLog().size(), std::size_t(2));
        QVERIFY(immerEineSpule(s.karte));
    }

    void ohneSignalkartenKeinImpuls()
    {
        Start s;   // no signal cards
        TfMain& w = *s.fenster;
        zeigen(w, TfMain::SSignal);
        QCOMPARE(w.pSignal->lSmax->text(), QStringLiteral("0"));
        QTest::mouseClick(w.pSignal->btnISEin, Qt::LeftButton);
        QTest::mouseClick(w.pSignal->STrack, Qt::RightButton);
        QVERIFY(s.karte.coilLog().empty());
        QVERIFY(w.pSignal->btnISAus->isChecked());
        QCOMPARE(w.statusText(0), QStringLiteral(" Magnetspule 1 gibt es nicht (Anzahl Signale: 0)"));
    }
};

QTEST_MAIN(SpulenTest)
#include "spulen_test.moc"
