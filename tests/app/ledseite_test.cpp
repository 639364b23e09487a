// The LED page on the virtual card: choosing a chain, walking its LEDs with
// the track, all off, a chain without cards, and the page's show and hide.
#include "fensterstart.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "mainwindow.h"
#include "virtualcard.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>

#include <vector>

using fixture::schnellePause;

namespace {

using Leds = std::vector<int>;

// Two, three and one LED cards on the layout and in the settings.
VirtualLayout anlage()
{
    VirtualLayout a;
    a.led1Cards = 2;
    a.led2Cards = 3;
    a.led3Cards = 1;
    return a;
}

const QByteArray Ini = "[Karten]\nBlock=1\nLeds1=2\nLeds2=3\nLeds3=1\n";
constexpr long AlleAus = 2L * (64 + 96 + 32) + 9;

bool allesDunkel(const VirtualCard& k)
{
    return k.litLeds(1).empty() && k.litLeds(2).empty() && k.litLeds(3).empty();
}

}  // namespace

class LedSeiteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    void ketteWaehlenUndLedWandern()
    {
        Start s(Ini, true, anlage());
        TfMain& w = *s.fenster;
        LedPage& p = *w.pLeds;
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QCOMPARE(p.lLedMax->text(), QString());   // no chain chosen yet

        // The chain button sets the range from the configuration and lights LED 1.
        QTest::mouseClick(p.btnLed2, Qt::LeftButton);
        QCOMPARE(p.ledTrack->minimum(), 1);
        QCOMPARE(p.ledTrack->maximum(), 96);
        QCOMPARE(p.lLedMax->text(), QStringLiteral("96"));
        QCOMPARE(p.LedNr->text(), QStringLiteral("1001"));
        QCOMPARE(s.karte.litLeds(2), Leds{1});
        QCOMPARE(p.focusWidget(), static_cast<QWidget*>(p.ledTrack));

        // Each position rewrites all chains, then lights just that LED.
        s.karte.resetCounters();
        p.ledTrack->setValue(37);
        QCOMPARE(p.LedNr->text(), QStringLiteral("1037"));
        QCOMPARE(s.karte.litLeds(2), Leds{37});
        QVERIFY(s.karte.litLeds(1).empty() && s.karte.litLeds(3).empty());
        QCOMPARE(s.karte.writes(), AlleAus + 2 * 37 + 3);
        p.ledTrack->setValue(96);
        QCOMPARE(s.karte.litLeds(2), Leds{96});
        p.ledTrack->setValue(1);
        QCOMPARE(s.karte.litLeds(2), Leds{1});

        // The wheel moves the track from anywhere on the page.
        p.ledTrack->setValue(10);
        QWheelEvent rad(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                        Qt::NoScrollPhase, false);
        QApplication::sendEvent(&p, &rad);
        QVERIFY(p.ledTrack->value() > 10);
        QCOMPARE(s.karte.litLeds(2), Leds{p.ledTrack->value()});

        // Another chain starts at its LED 1 and darkens the one before.
        p.ledTrack->setValue(20);
        QTest::mouseClick(p.btnLed3, Qt::LeftButton);
        QCOMPARE(p.ledTrack->value(), 1);
        QCOMPARE(p.ledTrack->maximum(), 32);
        QCOMPARE(p.LedNr->text(), QStringLiteral("2001"));
        QCOMPARE(s.karte.litLeds(3), Leds{1});
        QVERIFY(s.karte.litLeds(2).empty());
        QTest::mouseClick(p.btnLed1, Qt::LeftButton);
        p.ledTrack->setValue(64);
        QCOMPARE(p.LedNr->text(), QStringLiteral("64"));
        QCOMPARE(s.karte.litLeds(1), Leds{64});
        QVERIFY(s.karte.litLeds(3).empty());
    }

    void ledAusHaeltAllesDunkel()
    {
        Start s(Ini, true, anlage());
        TfMain& w = *s.fenster;
        LedPage& p = *w.pLeds;
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QTest::mouseClick(p.btnLed2, Qt::LeftButton);
        p.ledTrack->setValue(37);

        QTest::mouseClick(p.btnLedAus, Qt::LeftButton);
        QVERIFY(p.btnLedAus->isChecked() && !p.btnLed2->isChecked());
        QCOMPARE(p.LedNr->text(), QStringLiteral("0"));
        QVERIFY(allesDunkel(s.karte));

        // Moving the track only clears the chains.
        s.karte.resetCounters();
        p.ledTrack->setValue(12);
        QCOMPARE(s.karte.writes(), AlleAus);
        QCOMPARE(p.LedNr->text(), QStringLiteral("0"));
        QVERIFY(allesDunkel(s.karte));

        // The re-initialisation leaves the page on "LED AUS" too.
        QTest::mouseClick(p.btnLed1, Qt::LeftButton);
        w.mnuReInitClick();
        QVERIFY(p.btnLedAus->isChecked());
        p.ledTrack->setValue(5);
        QVERIFY(allesDunkel(s.karte));
    }

    void ketteOhneKarten()
    {
        // The layout has a card on chain 3, the configuration none.
        Start s("[Karten]\nLeds1=2\nLeds3=0\n", true, anlage());
        TfMain& w = *s.fenster;
        LedPage& p = *w.pLeds;
        w.pControl->setCurrentIndex(TfMain::SLeds);

        QTest::mouseClick(p.btnLed3, Qt::LeftButton);
        QCOMPARE(p.LedNr->text(), QStringLiteral("2001"));
        QCOMPARE(p.lLedMax->text(), QStringLiteral("0"));
        QCOMPARE(p.ledTrack->value(), 1);
        QCOMPARE(p.ledTrack->maximum(), 1);
        QVERIFY(!p.ledTrack->isEnabled());
        QVERIFY(allesDunkel(s.karte));

        // A chain with cards, or all off, frees the track again.
        QTest::mouseClick(p.btnLed1, Qt::LeftButton);
        QVERIFY(p.ledTrack->isEnabled());
        QCOMPARE(s.karte.litLeds(1), Leds{1});
        QTest::mouseClick(p.btnLed3, Qt::LeftButton);
        QTest::mouseClick(p.btnLedAus, Qt::LeftButton);
        QVERIFY(p.ledTrack->isEnabled());
        QVERIFY(allesDunkel(s.karte));
    }

    void zeigenUndVerlassenLoeschen()
    {
        Start s(Ini, true, anlage());
        TfMain& w = *s.fenster;
        w.kvx->BlockSetzen(1, 1, 1, 5);
        w.kvx->LedKetteZeigen(1, 3);
        w.kvx->LedKetteZeigen(3, 30);
        w.pControl->setCurrentIndex(TfMain::SLeds);
        QVERIFY(!s.karte.block(1).powered);
        QVERIFY(allesDunkel(s.karte));

        QTest::mouseClick(w.pLeds->btnLed2, Qt::LeftButton);
        w.pLeds->ledTrack->setValue(37);
        QCOMPARE(s.karte.litLeds(2), Leds{37});
        w.pControl->setCurrentIndex(TfMain::SMelder);
        QVERIFY(allesDunkel(s.karte));
    }
};

QTEST_MAIN(LedSeiteTest)
#include "ledseite_test.moc"
