// The power supply of the layout's cards on the virtual card: the start-up
// pattern and the 20 ms tick on the keep-alive line, the menu rule of the
// pages, the remote control on the turnout page, the polling of the
// monitoring pages from the tick, and the line kept alive by the train runs.
#include "anlagenprotokoll.h"
#include "counterpanel.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "kvxhard.h"
#include "melderpage.h"
#include "monitorsection.h"
#include "streckepage.h"
#include "tasterpage.h"
#include "weichepage.h"

#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

using fixture::EchtePause;
using fixture::schnellePause;

namespace {

using Uhr = std::chrono::steady_clock;

double ms(Uhr::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Sits between the program and the virtual card and notes every change of
// the keep-alive line, as the cards see it, with its time.
class Leitung final : public PortBackend {
public:
    struct Wechsel {
        Uhr::time_point zeit;
        bool hoch;
    };

    explicit Leitung(VirtualCard& karte) : karte_(karte), vorher_(setPortBackend(this)) {}
    ~Leitung() override { setPortBackend(vorher_); }

    bool enable(std::uint16_t first, std::uint16_t last) override { return karte_.enable(first, last); }
    std::uint8_t read(std::uint16_t port) override { return karte_.read(port); }
    void write(std::uint16_t port, std::uint8_t value) override
    {
        karte_.write(port, value);
        const bool hoch = karte_.keepAlive().level;
        if (port == kvx::PortC2 && (wechsel.empty() || wechsel.back().hoch != hoch))
            wechsel.push_back({Uhr::now(), hoch});
    }

    // Length of phase i, from change i to change i + 1.
    double dauer(std::size_t i) const { return ms(wechsel.at(i + 1).zeit - wechsel.at(i).zeit); }

    std::vector<Wechsel> wechsel;

private:
    VirtualCard& karte_;
    PortBackend* vorher_;
};

const QByteArray FernIni = "[Karten]\r\nBlock=12\r\nHilfsBlock=12\r\nMelder=11\r\nWeichen=8\r\nSignale=2\r\n"
                           "Taster1=2\r\n[Taster]\r\nOben=1\r\nUnten=2\r\nRechts=3\r\nLinks=4\r\n";

long flanken(const Start& s)
{
    return s.karte.keepAlive().edges;
}

}  // namespace

class SntZyklusTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&schnellePause); }

    void anlaufmusterUndTakt()
    {
        EchtePause echt;
        Start s;
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SMelder);
        Leitung l(s.karte);
        w.mnuSNTein->trigger();
        const Uhr::time_point ende = Uhr::now();
        QCOMPARE(w.statusText(0), QStringLiteral(" SNT ist eingeschaltet ..."));
        QVERIFY(w.tiSNT->isActive());

        // Low through the chain reset and Reset (1100 ms), high for the start
        // pulse (100 ms), then ten times 2 ms low and 2 ms high, ending high.
        QCOMPARE(l.wechsel.size(), std::size_t(22));
        for (std::size_t i = 0; i < l.wechsel.size(); ++i)
            QCOMPARE(l.wechsel[i].hoch, i % 2 == 1);
        QVERIFY2(l.dauer(0) >= 1000 && l.dauer(0) < 3000, qPrintable(QString::number(l.dauer(0))));
        QVERIFY2(l.dauer(1) >= ms(kvx::SntStartPuls) && l.dauer(1) < 600,
                 qPrintable(QString::number(l.dauer(1))));
        for (std::size_t i = 2; i < 21; ++i)
            QVERIFY2(l.dauer(i) >= 1 && l.dauer(i) < 100, qPrintable(QString::number(l.dauer(i))));

        // Then the tick: 20 periods, each low only for its short first part.
        QTRY_VERIFY_WITH_TIMEOUT(l.wechsel.size() > 22 + 40, 10000);
        QVERIFY(ms(l.wechsel[22].zeit - ende) >= 10);   // the first tick comes one period later
        double tief = 0, hoch = 0;
        for (std::size_t i = 22; i < 22 + 40; ++i)
            (l.wechsel[i].hoch ? hoch : tief) += l.dauer(i);
        const double periode = ms(l.wechsel[22 + 40].zeit - l.wechsel[22].zeit) / 20;
        QVERIFY2(periode >= 15 && periode < 60, qPrintable(QString::number(periode)));
        QVERIFY2(tief < hoch, qPrintable(QStringLiteral("%1 / %2").arg(tief).arg(hoch)));

        // Switching off writes no port: the line stays high and stops.
        const long schreiben = s.karte.writesTo(kvx::PortC2);
        w.mnuSNTaus->trigger();
        QVERIFY(!w.tiSNT->isActive());
        QCOMPARE(w.statusText(0), QStringLiteral(" SNT ausgeschaltet ..."));
        QTest::qWait(100);
        QCOMPARE(s.karte.writesTo(kvx::PortC2), schreiben);
        QVERIFY(s.karte.keepAlive().level);
    }

    void menueRegelJeSeite()
    {
        Start s;
        TfMain& w = *s.fenster;
        const auto menue = [&w](TfMain::Seite seite, bool ein, bool aus) {
            w.pControl->setCurrentIndex(seite);
            QCOMPARE(w.pControl->currentIndex(), int(seite));
            QCOMPARE(w.mnuSNTein->isEnabled(), ein);
            QCOMPARE(w.mnuSNTaus->isEnabled(), aus);
        };
        QVERIFY(!w.mnuSNTein->isEnabled());
        menue(TfMain::STaster, false, false);   // the push-button page offers nothing itself
        menue(TfMain::SMelder, true, false);
        menue(TfMain::STaster, true, false);    // ... but keeps the offer
        menue(TfMain::SFahren, false, false);
        menue(TfMain::SLeds, true, false);
        menue(TfMain::SStrecke, false, false);
        menue(TfMain::SWeiche, true, false);
        menue(TfMain::SConfig, false, false);
        menue(TfMain::SSignal, true, false);

        w.mnuSNTein->trigger();
        QVERIFY(w.tiSNT->isActive());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SSignal));
        for (int seite : {TfMain::SConfig, TfMain::SFahren, TfMain::SStrecke})
            QVERIFY(!w.pControl->isTabVisible(seite));
        for (TfMain::Seite seite : {TfMain::SMelder, TfMain::STaster, TfMain::SLeds, TfMain::SWeiche, TfMain::SSignal}) {
            QVERIFY(w.pControl->isTabVisible(seite));
            menue(seite, false, true);
            QVERIFY(w.tiSNT->isActive());
        }

        w.mnuSNTaus->trigger();
        QVERIFY(!w.tiSNT->isActive());
        QCOMPARE(w.pControl->currentIndex(), int(TfMain::SSignal));
        QVERIFY(w.mnuSNTein->isEnabled());
        QVERIFY(!w.mnuSNTaus->isEnabled());
        for (int seite = 0; seite < TfMain::SeitenAnzahl; ++seite)
            QVERIFY(w.pControl->isTabVisible(seite));
        // Switched off, the configuration page can be reached again and takes the offer back.
        menue(TfMain::SConfig, false, false);
    }

    void fernsteuerungAmWeichenpult()
    {
        EchtePause echt;
        Start s(FernIni);
        TfMain& w = *s.fenster;
        QSlider* track = w.pWeiche->wTrack;
        QCOMPARE(track->maximum(), 64);
        w.pControl->setCurrentIndex(TfMain::SWeiche);
        w.mnuSNTein->trigger();
        QVERIFY(w.tiSNT->isActive());

        // Up held: a step when first seen, the next 21 ticks later, then one every tick.
        std::vector<long> schritte;   // ticks (falling edges) at each step
        QObject::connect(track, &QSlider::valueChanged, track, [&] { schritte.push_back((flanken(s) + 1) / 2); });
        s.karte.setBlockButton(1, true);
        QTRY_VERIFY_WITH_TIMEOUT(schritte.size() >= 4, 10000);
        s.karte.setBlockButton(1, false);
        QCOMPARE(track->value(), 1 + int(schritte.size()));
        QCOMPARE(schritte[1] - schritte[0], 21L);
        QCOMPARE(schritte[2] - schritte[1], 1L);
        QCOMPARE(schritte[3] - schritte[2], 1L);
        QCOMPARE(w.pWeiche->WNr->text(), QString::number(track->value()));
        const int nummer = track->value();

        // Right held: one straight pulse for the selected turnout, given after the tick,
        // and the line keeps toggling all the while.
        w.pWeiche->sZeit->setText(QStringLiteral("1000"));
        const long vorher = flanken(s);
        QTRY_VERIFY(flanken(s) >= vorher + 4);   // a tick without a button
        s.karte.clearCoilLog();
        Leitung l(s.karte);
        s.karte.setBlockButton(3, true);
        QTRY_VERIFY_WITH_TIMEOUT(!s.karte.coilLog().empty(), 5000);
        const long gedrueckt = flanken(s);
        QTRY_VERIFY_WITH_TIMEOUT(flanken(s) >= gedrueckt + 60, 10000);
        s.karte.setBlockButton(3, false);
        const std::vector<std::vector<VirtualCard::Coil>> erwartet{{{VirtualCard::Coil::Kind::Turnout, nummer, 1}}};
        QCOMPARE(s.karte.coilLog(), erwartet);
        double laengste = 0;
        for (std::size_t i = 0; i + 1 < l.wechsel.size(); ++i)
            laengste = std::max(laengste, l.dauer(i));
        QVERIFY2(laengste < 500, qPrintable(QString::number(laengste)));
        w.mnuSNTaus->trigger();
    }

    void ohneZugeordnetenTasterLiestDerTaktNichts()
    {
        Start s(QByteArray(FernIni).replace("Links=4", "Links=0"));
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SWeiche);
        w.mnuSNTein->trigger();
        s.karte.applyPattern(VirtualCard::Pattern::AllButtonsPressed);
        s.karte.resetCounters();
        const long vorher = flanken(s);
        QTRY_VERIFY(flanken(s) >= vorher + 10);
        QCOMPARE(s.karte.reads(), 0L);
        QCOMPARE(w.pWeiche->wTrack->value(), 1);
        QVERIFY(s.karte.coilLog().empty());
        w.mnuSNTaus->trigger();
    }

    void derTaktFragtNurDieSichtbareSeiteAb()
    {
        Start s(FernIni);
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTein->trigger();
        s.karte.setMelder(17, true);
        s.karte.setHBlockOccupied(5, true);
        s.karte.setHBlockButton(5, true);
        CounterPanel* pMel = w.pMelder->panelM->counter;
        QTRY_COMPARE(pMel->text(), QStringLiteral("17"));
        QTRY_COMPARE(w.pMelder->panelH->counter->text(), QStringLiteral("205"));
        QCOMPARE(pMel->textColor(), QColor(255, 0, 0));
        // The push-button page is not polled while it is not in view.
        QCOMPARE(w.pTaster->Panel4->counter->text(), QStringLiteral("0"));
        QCOMPARE(int(w.kvx->TasterZustand[205]), 0);

        w.pControl->setCurrentIndex(TfMain::STaster);
        QTRY_COMPARE(w.pTaster->Panel4->counter->text(), QStringLiteral("5"));

        // Switched off, a page keeps what the last poll showed.
        w.pControl->setCurrentIndex(TfMain::SMelder);
        w.mnuSNTaus->trigger();
        s.karte.setMelder(17, false);
        QTest::qWait(100);
        QCOMPARE(pMel->text(), QStringLiteral("17"));
        QCOMPARE(pMel->textColor(), QColor(255, 0, 0));
    }

    void fahrtHaeltDieLeitungAmLeben_data()
    {
        QTest::addColumn<int>("seite");
        QTest::newRow("Fahren") << int(TfMain::SFahren);
        QTest::newRow("Strecken") << int(TfMain::SStrecke);
    }

    // Start on a running page with the supply off: from the run's first edge
    // on, the line never stands still long enough for the supply to drop, and
    // the layout log shows it switched on once and never off before Stop.
    void fahrtHaeltDieLeitungAmLeben()
    {
        QFETCH(int, seite);
        Start s(QByteArrayLiteral("[Karten]\nBlock=3\nHilfsBlock=1\nMelder=2\nLeds1=1\nLeds2=1\nLeds3=1\n"));
        TfMain& w = *s.fenster;
        w.pControl->setCurrentIndex(seite);
        QCOMPARE(w.pControl->currentIndex(), seite);
        QPushButton* start = seite == TfMain::SFahren ? w.pFahren->btnStop : w.pStrecke->stGO;
        AnlagenProtokoll protokoll(s.karte);
        protokoll.pruefen(s.karte.now());
        s.karte.clearKeepAliveEdges();

        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(s.karte.keepAliveEdges().size() >= 100, 20000);
        const std::vector<std::string> zeilen = protokoll.pruefen(s.karte.now());
        const auto kanten = s.karte.keepAliveEdges();
        QTest::mouseClick(start, Qt::LeftButton);
        QTRY_COMPARE(start->text(), QStringLiteral("Start"));

        Uhr::duration laengste{};
        for (std::size_t i = 1; i < kanten.size(); ++i)
            laengste = std::max(laengste, kanten[i].at - kanten[i - 1].at);
        QVERIFY2(laengste < VirtualCard::SntTimeout, qPrintable(QStringLiteral("%1 ms").arg(ms(laengste))));
        QStringList snt;   // without the time
        for (const std::string& z : zeilen)
            if (z.find("\tSNT\t") != std::string::npos)
                snt << QString::fromStdString(z.substr(z.find('\t') + 1));
        QCOMPARE(snt, QStringList{QStringLiteral("SNT\t0\tein")});
    }
};

QTEST_MAIN(SntZyklusTest)
#include "sntzyklus_test.moc"
