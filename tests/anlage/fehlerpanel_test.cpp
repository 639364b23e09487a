// The "Fehler" panel of the window "Virtuelle Anlage": faults added in their
// written form, refused with the parser's message, listed with what they
// touch, framed in the fields, removed and cleared; and faults set from
// outside (the command line) shown as well.
#include "blockfeld.h"
#include "fehlerpanel.h"
#include "lampenfeld.h"
#include "tfanlage.h"
#include "virtualcard.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// Every framed element of the window: "b5 b6 m3 l2:37".
QString rahmen(const TfAnlage& w)
{
    QStringList out;
    for (int b = 1; b <= w.gBloecke->anzahl(); ++b)
        if (w.gBloecke->rahmen(b))
            out << QStringLiteral("b%1").arg(b);
    const std::pair<const char*, LampenFeld*> felder[] = {
        {"h", w.gHBloecke}, {"m", w.gMelder}, {"bt", w.gBlockTaster}, {"ht", w.gHBlockTaster}, {"t", w.gTaster1},
        {"l1:", w.gLed[0]}, {"l2:", w.gLed[1]}, {"l3:", w.gLed[2]}};
    for (const auto& [name, feld] : felder)
        for (int n = 1; n <= feld->anzahl(); ++n)
            if (feld->rahmen(n))
                out << QString::fromLatin1(name) + QString::number(n);
    return out.join(QLatin1Char(' '));
}

QStringList zeilen(const QListWidget* l)
{
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

VirtualLayout kleineAnlage()
{
    VirtualLayout l;   // 4 blocks, 4 auxiliary blocks, 16 detectors, 32 LEDs per chain
    l.blockCards = 2;
    l.hblockCards = 1;
    l.melderCards = 2;
    l.led1Cards = l.led2Cards = l.led3Cards = 1;
    return l;
}

}  // namespace

class FehlerPanelTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hinzufuegen_data()
    {
        QTest::addColumn<QString>("eingabe");
        QTest::addColumn<QStringList>("liste");
        QTest::addColumn<QString>("gerahmt");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("tausch") << "tausch:block:4:3" << QStringList{"tausch:block:3:4 – Blöcke 3, 4"} << "b3 b4"
                                << "";
        QTest::newRow("zwei") << "tot:led:1007, haengt:melder:3"
                              << QStringList{"tot:led:1007 – LEDs 1007", "haengt:melder:3 – Melder 3"} << "m3 l2:7"
                              << "";
        QTest::newRow("Bruch") << "bruch:blockein:1"
                               << QStringList{"bruch:blockein:1 – Blöcke 3, 4; Blockkarten-Taster 5–8"}
                               << "b3 b4 bt5 bt6 bt7 bt8" << "";
        // A load occupies its block: one range, not one for the block and one for its occupancy.
        QTest::newRow("Last") << "last:hblock:alle, last:block:2"
                              << QStringList{"last:hblock:alle – Hilfsblöcke 1–4", "last:block:2 – Blöcke 2"}
                              << "b2 h1 h2 h3 h4" << "";
        QTest::newRow("Weiche ohne Feld") << "tot:weiche:2" << QStringList{"tot:weiche:2 – Weichen 2"} << "" << "";
        QTest::newRow("zu groß") << "tot:block:5" << QStringList{} << ""
                                 << "Verdrahtungsfehler „tot:block:5“: block 5 gibt es nicht, die Anlage hat 4 Blöcke.";
        QTest::newRow("ein guter, ein schlechter")
            << "tot:block:1,flackert:block:2" << QStringList{} << ""
            << "Verdrahtungsfehler „flackert:block:2“: flackert gibt es nur für Eingänge (blockbelegt, hblockbelegt, "
               "melder, blocktaster, hblocktaster, taster1, taster2).";
    }
    void hinzufuegen()
    {
        QFETCH(QString, eingabe);
        QFETCH(QStringList, liste);
        QFETCH(QString, gerahmt);
        QFETCH(QString, meldung);
        VirtualCard karte(kleineAnlage());
        TfAnlage w(karte);
        FehlerPanel& p = *w.pFehler;
        p.eFehler->setText(eingabe);
        QTest::keyClick(p.eFehler, Qt::Key_Return);
        QCOMPARE(zeilen(p.lbFehler), liste);
        QCOMPARE(rahmen(w), gerahmt);
        QCOMPARE(p.lMeldung->text(), meldung);
        QCOMPARE(p.lMeldung->isVisibleTo(&w), !meldung.isEmpty());
        QCOMPARE(int(karte.fehler().size()), liste.size());
        // A bad list stays in the field to be mended; a good one is taken.
        QCOMPARE(p.eFehler->text(), meldung.isEmpty() ? QString() : eingabe);
    }

    void entfernenUndLeeren()
    {
        VirtualCard karte(kleineAnlage());
        TfAnlage w(karte);
        FehlerPanel& p = *w.pFehler;
        QVERIFY(!p.btnEntfernen->isEnabled() && !p.btnLeeren->isEnabled());
        p.eFehler->setText(QStringLiteral("tot:melder:1,tot:melder:2,tot:melder:3"));
        QTest::mouseClick(p.btnHinzufuegen, Qt::LeftButton);
        p.eFehler->setText(QStringLiteral("tot:melder:2"));   // already there: kept once
        QTest::mouseClick(p.btnHinzufuegen, Qt::LeftButton);
        QCOMPARE(zeilen(p.lbFehler).size(), 3);
        p.lbFehler->item(1)->setSelected(true);
        QVERIFY(p.btnEntfernen->isEnabled());
        QTest::mouseClick(p.btnEntfernen, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(verdrahtung::text(karte.fehler())), QStringLiteral("tot:melder:1,tot:melder:3"));
        QCOMPARE(rahmen(w), QStringLiteral("m1 m3"));
        QTest::mouseClick(p.btnLeeren, Qt::LeftButton);
        QVERIFY(karte.fehler().empty());
        QCOMPARE(p.lbFehler->count(), 0);
        QCOMPARE(rahmen(w), QString());
    }

    // Faults set on the card (as --fehler does) show at the next refresh,
    // and follow a change of the card counts.
    void folgtDerKarte()
    {
        VirtualCard karte(kleineAnlage());
        TfAnlage w(karte);
        karte.setFehler(verdrahtung::lesen("fehlt:led3:1,bruch:melder:1", karte.layout()).fehler);
        w.aktualisieren();
        QCOMPARE(zeilen(w.pFehler->lbFehler),
                 (QStringList{"fehlt:led3:1 – LEDs 2001–2032", "bruch:melder:1 – Melder 9–16"}));
        QCOMPARE(rahmen(w).count(QStringLiteral("l3:")), 32);
        VirtualLayout l = kleineAnlage();
        l.melderCards = 3;
        karte.setLayout(l);
        w.aktualisieren();
        QVERIFY(rahmen(w).contains(QStringLiteral(" m24 l3:1 ")));
        QCOMPARE(w.pFehler->lbFehler->item(1)->text(), QStringLiteral("bruch:melder:1 – Melder 9–24"));
    }
};

QTEST_MAIN(FehlerPanelTest)
#include "fehlerpanel_test.moc"
