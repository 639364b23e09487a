// The occupancy and the push-button page polled on the virtual card: which
// cell turns which colour, and what the counter beside each grid shows.
#include "cardrig.h"
#include "counterpanel.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "tasterpage.h"

#include <QTest>

using namespace gridgeo;

namespace {

QColor farbe(const MonitorSection* s, int row, int col)
{
    return s->grid->cellColor(row, col);
}

void zaehlerIst(const MonitorSection* s, const char* text, QRgb farbe)
{
    QCOMPARE(s->counter->text(), QString::fromLatin1(text));
    QCOMPARE(s->counter->textColor(), QColor(farbe));
}

}  // namespace

class MonitorSeitenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void belegteBloeckeUndJedesZehnte()
    {
        CardRig rig;   // 24 blocks, 48 auxiliary blocks, 88 detectors
        MelderPage p;
        p.anordnen(*rig.kvx);
        rig.card.setBlockOccupied(10, true);
        rig.card.setBlockOccupied(11, true);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.panelB, 1, 10), QColor(DarkRed));
        QCOMPARE(farbe(p.panelB, 1, 11), QColor(Red));
        QCOMPARE(farbe(p.panelB, 1, 9), QColor(Gray));
        QCOMPARE(farbe(p.panelB, 1, 20), QColor(LightYellow));
        zaehlerIst(p.panelB, "11", Red);   // the highest one that changed

        rig.card.setBlockOccupied(10, false);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.panelB, 1, 10), QColor(LightYellow));
        zaehlerIst(p.panelB, "10", Gray);

        // A poll without a change leaves every counter alone.
        p.abfragen(*rig.kvx);
        zaehlerIst(p.panelB, "10", Gray);
        zaehlerIst(p.panelH, "0", Gray);
        zaehlerIst(p.panelM, "0", Gray);
    }

    void hilfsblockZaehltAb200()
    {
        CardRig rig;
        MelderPage p;
        p.anordnen(*rig.kvx);
        rig.card.setHBlockOccupied(5, true);
        p.abfragen(*rig.kvx);
        zaehlerIst(p.panelH, "205", Red);
        QCOMPARE(farbe(p.panelH, 1, 5), QColor(Red));
        QCOMPARE(p.panelH->grid->rowLabel(2), QStringLiteral("240"));
        zaehlerIst(p.panelB, "0", Gray);
    }

    void melderZeilenUndZellenDahinter()
    {
        CardRig rig;
        MelderPage p;
        p.anordnen(*rig.kvx);
        const MonitorSection* m = p.panelM;
        QCOMPARE(m->grid->rowCount(), 4);   // header and three rows for 88 detectors
        rig.card.setMelder(3, true);
        rig.card.setMelder(17, true);
        rig.card.setMelder(41, true);
        rig.card.setMelder(88, true);
        p.abfragen(*rig.kvx);
        zaehlerIst(m, "88", Red);
        QCOMPARE(farbe(m, 1, 3), QColor(Red));
        QCOMPARE(farbe(m, 1, 17), QColor(Red));
        QCOMPARE(farbe(m, 2, 1), QColor(Red));      // detector 41
        QCOMPARE(farbe(m, 3, 8), QColor(Red));      // detector 88
        QCOMPARE(farbe(m, 3, 1), QColor(Gray));     // detector 81
        // Beyond the 88th no element: blank, also in the tenth columns.
        QCOMPARE(farbe(m, 3, 9), QColor(White));
        QCOMPARE(farbe(m, 3, 10), QColor(White));
        QCOMPARE(farbe(m, 3, 40), QColor(White));

        rig.card.setMelder(3, false);
        p.abfragen(*rig.kvx);
        zaehlerIst(m, "3", Gray);
    }

    void tasterDerBlockkartenUndHilfsblockkarten()
    {
        CardRig rig;
        TasterPage p;
        p.anordnen(*rig.kvx);
        // Block card 1 carries buttons 1..4, button 5 is the first of card 2.
        rig.card.setBlockButton(5, true);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel2, 1, 5), QColor(Red));
        QCOMPARE(farbe(p.Panel2, 1, 4), QColor(Gray));
        zaehlerIst(p.Panel2, "5", Red);

        // Auxiliary-block button 5: shown as 5, not 205.
        rig.card.setHBlockButton(5, true);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel4, 1, 5), QColor(Red));
        zaehlerIst(p.Panel4, "5", Red);
        zaehlerIst(p.Panel2, "5", Red);
        QCOMPARE(farbe(p.Panel2, 1, 5), QColor(Red));   // not mixed up with block button 5
        rig.card.setBlockButton(5, false);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel2, 1, 5), QColor(Gray));
        QCOMPARE(farbe(p.Panel4, 1, 5), QColor(Red));
    }

    void kette1AbEintrag512()
    {
        CardRig rig;   // 64 buttons on chain 1
        TasterPage p;
        p.anordnen(*rig.kvx);
        rig.card.setTaster1(10, true);
        p.abfragen(*rig.kvx);
        QVERIFY(rig.kvx->TasterZustand[522] != 0);
        QCOMPARE(farbe(p.Panel6, 1, 10), QColor(DarkRed));
        zaehlerIst(p.Panel6, "10", Red);
        QCOMPARE(farbe(p.Panel2, 1, 10), QColor(LightYellow));   // block buttons untouched by it
        rig.card.setTaster1(10, false);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel6, 1, 10), QColor(LightYellow));
        zaehlerIst(p.Panel6, "10", Gray);

        // Chain 2 is not read: its grid keeps the look of the layout.
        rig.kvx->Taster2Anzahl = 32;
        p.anordnen(*rig.kvx);
        rig.card.applyPattern(VirtualCard::Pattern::AllButtonsPressed);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel1, 1, 1), QColor(White));
        QCOMPARE(farbe(p.Panel1, 1, 10), QColor(LightYellow));
        zaehlerIst(p.Panel1, "0", Gray);
        QCOMPARE(farbe(p.Panel6, 2, 24), QColor(Red));   // button 64
    }

    void ohneKette1WirdNichtsGemalt()
    {
        CardRig rig;
        rig.kvx->Taster1Anzahl = 0;
        TasterPage p;
        p.anordnen(*rig.kvx);
        QVERIFY(p.Panel6->grid->isHidden());
        rig.card.applyPattern(VirtualCard::Pattern::AllButtonsPressed);
        p.abfragen(*rig.kvx);
        QCOMPARE(farbe(p.Panel6, 1, 1), QColor(White));
        QCOMPARE(farbe(p.Panel6, 1, 10), QColor(LightYellow));
        zaehlerIst(p.Panel6, "0", Gray);
        zaehlerIst(p.Panel2, "48", Red);
    }
};

QTEST_MAIN(MonitorSeitenTest)
#include "monitorseiten_test.moc"
