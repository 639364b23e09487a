// The input statistics of the monitoring pages on the virtual card: counts,
// the mark of a flickering element, the list and the saved file.
#include "cardrig.h"
#include "melderpage.h"
#include "monitorgrid.h"
#include "monitorsection.h"
#include "ohnevorrecht.h"
#include "statistikpanel.h"
#include "tasterpage.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono;

namespace {

// A page on the card with a clock of its own; the first poll gives the
// starting states.
template <class Seite>
struct Aufbau {
    Aufbau()
    {
        seite.anordnen(*rig.kvx);
        seite.Statistik->uhr = [this] { return zeit; };
        seite.Statistik->meldung = [this](const QString& t) { meldungen << t; };
        seite.abfragen(*rig.kvx);
    }
    void abfragen(int nachMs)
    {
        zeit += milliseconds(nachMs);
        seite.abfragen(*rig.kvx);
    }
    EingangsStatistik::Eintrag eintrag(int art, int e) const { return seite.Statistik->statistik.eintrag(art, e); }

    CardRig rig;
    Seite seite;
    EingangsStatistik::Zeitpunkt zeit{};
    QStringList meldungen;
};

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class EingangsStatistikTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void flackernBleibtBisZumZuruecksetzen_data()
    {
        QTest::addColumn<QList<int>>("abstaende");   // ms before each change
        QTest::addColumn<bool>("markiert");
        QTest::newRow("4 changes in 1 s") << QList<int>{0, 300, 300, 400} << true;
        QTest::newRow("4 changes over 10 s") << QList<int>{0, 3300, 3300, 3400} << false;
        QTest::newRow("4 changes in exactly 2 s") << QList<int>{0, 700, 700, 600} << true;
        QTest::newRow("3 quick changes") << QList<int>{0, 20, 20} << false;
        QTest::newRow("slow, then 4 quick") << QList<int>{0, 5000, 5000, 100, 100, 100} << true;
    }

    void flackernBleibtBisZumZuruecksetzen()
    {
        QFETCH(QList<int>, abstaende);
        QFETCH(bool, markiert);
        Aufbau<MelderPage> a;
        bool an = false;
        for (int ms : abstaende) {
            a.rig.card.setMelder(17, an = !an);
            a.abfragen(ms);
        }
        a.abfragen(60000);   // a minute later, nothing moving: the mark stays
        MonitorGrid* gMel = a.seite.panelM->grid;
        QCOMPARE(gMel->isMarked(17), markiert);
        QCOMPARE(a.eintrag(MelderPage::AMelder, 17).wechsel, std::uint32_t(abstaende.size()));
        QVERIFY(!gMel->isMarked(16) && !a.seite.panelB->grid->isMarked(17));
        QCOMPARE(gMel->cellColor(1, 17), QColor(an ? gridgeo::Red : gridgeo::Gray));

        QTest::mouseClick(a.seite.Statistik->btnStatReset, Qt::LeftButton);
        QVERIFY(!gMel->isMarked(17));
        QCOMPARE(a.seite.Statistik->gStatistik->rowCount(), 0);
        // Counting starts anew: one quick change more is no flicker.
        a.rig.card.setMelder(17, !an);
        a.abfragen(20);
        QCOMPARE(a.eintrag(MelderPage::AMelder, 17).wechsel, 1u);
        QVERIFY(!gMel->isMarked(17));
    }

    // Elements 1 of each kind occupied at the start, then 88 steps of a
    // walking occupancy, 100 ms apart: every step frees one element of each
    // kind and occupies the next.
    void wanderndeBelegungZaehltJedenWechsel()
    {
        Aufbau<MelderPage> a;
        a.rig.card.applyPattern(VirtualCard::Pattern::WalkingOccupancy, 0);
        a.seite.Statistik->ansetzen();
        a.abfragen(100);
        for (int s = 1; s <= 88; ++s) {
            a.rig.card.applyPattern(VirtualCard::Pattern::WalkingOccupancy, s);
            a.abfragen(100);
        }
        std::uint32_t bloecke = 0, hbloecke = 0;
        for (int e = 1; e <= 88; ++e)
            QCOMPARE(a.eintrag(MelderPage::AMelder, e).wechsel, 2u);
        for (int e = 1; e <= 24; ++e)
            bloecke += a.eintrag(MelderPage::ABlock, e).wechsel;
        for (int e = 1; e <= 48; ++e)
            hbloecke += a.eintrag(MelderPage::AHBlock, e).wechsel;
        QCOMPARE(bloecke, 2u * 88);
        QCOMPARE(hbloecke, 2u * 88);
        QCOMPARE(a.eintrag(MelderPage::ABlock, 2).wechsel, 8u);
        QCOMPARE(a.eintrag(MelderPage::ABlock, 24).wechsel, 6u);
        QVERIFY(a.eintrag(MelderPage::AMelder, 88).zuletzt == a.zeit);
        QVERIFY(!a.seite.panelB->grid->isMarked(2));   // 4 changes of a block span 2.4 s

        // The list: most changes first, the latest of equals on top; places
        // 6 to 10 in the right half.
        StatistikPanel* st = a.seite.Statistik;
        st->listeZeigen();
        QCOMPARE(st->gStatistik->rowCount(), StatistikPanel::HalbeZeilen);
        QCOMPARE(st->zelle(0, 0)->text() + st->zelle(0, 1)->text() + st->zelle(0, 2)->text(),
                 QStringLiteral("Block168"));
        QCOMPARE(st->zelle(9, 0), st->gStatistik->item(4, 4));
        QVERIFY(st->zelle(9, 2)->text().toInt() <= st->zelle(4, 2)->text().toInt());
    }

    void tasterSeiteZaehltJedeGruppe()
    {
        Aufbau<TasterPage> a;
        a.rig.card.setBlockButton(5, true);
        a.rig.card.setHBlockButton(5, true);
        a.rig.card.setTaster1(10, true);
        a.abfragen(20);
        a.rig.card.setTaster1(10, false);
        a.abfragen(20);
        QCOMPARE(a.eintrag(TasterPage::ABlock, 5).wechsel, 1u);
        QCOMPARE(a.eintrag(TasterPage::AHBlock, 5).wechsel, 1u);
        QCOMPARE(a.eintrag(TasterPage::ATaster1, 10).wechsel, 2u);
        QCOMPARE(a.eintrag(TasterPage::ABlock, 10).wechsel, 0u);
    }

    void dateiNenntArtNummerWechselZeitUndFlackern()
    {
        Aufbau<MelderPage> a;
        a.rig.card.setHBlockOccupied(5, true);
        for (bool an : {true, false, true, false}) {
            a.rig.card.setMelder(17, an);
            a.abfragen(20);
        }
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("s.txt"));
        QString vorschlag;
        a.seite.Statistik->speicherPfad = [&](const QString& name) {
            vorschlag = name;
            return pfad;
        };
        QTest::mouseClick(a.seite.Statistik->btnStatSave, Qt::LeftButton);
        QCOMPARE(vorschlag, QStringLiteral("Melderstatistik.txt"));
        const QByteArray text = lesen(pfad);
        QVERIFY(!text.contains('\r'));
        const QList<QByteArray> zeilen = text.split('\n');
        QCOMPARE(zeilen.size(), 4);   // the last one empty
        QCOMPARE(zeilen[0], QByteArray("Art\tNummer\tWechsel\tLetzter Wechsel\tFlackert"));
        const QRegularExpression zeit(
            QStringLiteral("^(\\w+\t\\d+\t\\d+)\t\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d\t(ja|nein)$"));
        QStringList ohneZeit;
        for (const QByteArray& z : zeilen.mid(1, 2)) {
            const QRegularExpressionMatch m = zeit.match(QString::fromUtf8(z));
            QVERIFY2(m.hasMatch(), z.constData());
            ohneZeit << m.captured(1) + QLatin1Char(' ') + m.captured(2);
        }
        QCOMPARE(ohneZeit, (QStringList{QStringLiteral("HBlock\t205\t1 nein"), QStringLiteral("Melder\t17\t4 ja")}));
        QVERIFY(a.meldungen.isEmpty());
    }

    void speichernOhneSchreibrechtBehaeltAlteDatei()
    {
        Aufbau<MelderPage> a;
        a.rig.card.setMelder(3, true);
        a.abfragen(20);
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("alt.txt"));
        QFile alt(pfad);
        QVERIFY(alt.open(QIODevice::WriteOnly) && alt.write("alt") == 3);
        alt.close();
        QVERIFY(QFile::setPermissions(pfad, QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        a.seite.Statistik->speicherPfad = [&](const QString&) { return pfad; };
        {
            OhneVorrecht ohne;
            QTest::mouseClick(a.seite.Statistik->btnStatSave, Qt::LeftButton);
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(a.meldungen.size(), 1);
        QVERIFY2(a.meldungen[0].startsWith(QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(pfad)),
                 qPrintable(a.meldungen[0]));
        QCOMPARE(lesen(pfad), QByteArray("alt"));

        // Cancelled in the dialog: nothing written, nothing said.
        a.seite.Statistik->speicherPfad = [](const QString&) { return QString(); };
        QTest::mouseClick(a.seite.Statistik->btnStatSave, Qt::LeftButton);
        QCOMPARE(a.meldungen.size(), 1);
    }
};

QTEST_MAIN(EingangsStatistikTest)
#include "eingangsstatistik_test.moc"
