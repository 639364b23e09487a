// What the automatic walk computes, without widgets: the order of its steps
// and the test report with its merged ranges, its marks and its file.
#include "pruefbericht.h"
#include "rundgang.h"

#include <QtTest>

using Art = Pruefbericht::Art;

class RundgangTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void schritteImKreis_data()
    {
        QTest::addColumn<int>("lagen");
        QTest::addColumn<int>("von");
        QTest::addColumn<int>("bis");
        QTest::addColumn<QString>("befehle");   // w weiter, v vor, z zurück, 9 chosen on the page
        QTest::addColumn<QString>("folge");     // element.lage after each
        QTest::newRow("LEDs, nach bis wieder von") << 1 << 37 << 39 << "wwww" << "38.0 39.0 37.0 38.0";
        QTest::newRow("Weichen gerade, dann abzweigend") << 2 << 4 << 5 << "wwww" << "4.1 5.0 5.1 4.0";
        QTest::newRow("vor und zurück über die Enden") << 2 << 1 << 3 << "wzzvv" << "1.1 3.0 2.0 3.0 1.0";
        QTest::newRow("von der Seite gewählt außerhalb") << 1 << 3 << 5 << "9wz" << "9.0 3.0 5.0";
        QTest::newRow("bis unter von") << 1 << 6 << 2 << "ww" << "6.0 6.0";
    }
    void schritteImKreis()
    {
        QFETCH(int, lagen);
        QFETCH(int, von);
        QFETCH(int, bis);
        QFETCH(QString, befehle);
        QFETCH(QString, folge);
        Rundgang r(lagen);
        r.setBereich(von, bis);
        r.anfangen();
        QCOMPARE(r.element(), von);
        QStringList ist;
        for (QChar b : befehle) {
            b == u'w' ? r.weiter() : b == u'v' ? r.vor() : b == u'z' ? r.zurueck() : r.setElement(9);
            ist << QStringLiteral("%1.%2").arg(r.element()).arg(r.lage());
        }
        QCOMPARE(ist.join(u' '), folge);
    }

    void bereicheZusammengefasst_data()
    {
        QTest::addColumn<QList<int>>("gezeigt");
        QTest::addColumn<QString>("bereiche");
        QTest::newRow("eins") << QList<int>{5} << "5";
        QTest::newRow("aufsteigend") << QList<int>{1, 2, 3} << "1-3";
        QTest::newRow("absteigend") << QList<int>{3, 2, 1} << "1-3";
        QTest::newRow("Lücke geschlossen") << QList<int>{1, 2, 5, 6, 4, 3} << "1-6";
        QTest::newRow("doppelt") << QList<int>{2, 3, 2, 3} << "2-3";
        QTest::newRow("getrennt") << QList<int>{7, 1, 9, 2} << "1-2 7 9";
        QTest::newRow("Ketten getrennt") << QList<int>{799, 800, 1001} << "799-800 1001";
    }
    void bereicheZusammengefasst()
    {
        QFETCH(QList<int>, gezeigt);
        QFETCH(QString, bereiche);
        Pruefbericht b;
        for (int n : gezeigt)
            b.geprueft(Art::Led, n);
        QStringList ist;
        for (const auto& r : b.bereiche(Art::Led))
            ist << Pruefbericht::bereichText(r);
        QCOMPARE(ist.join(u' '), bereiche);
        QVERIFY(b.bereiche(Art::Weiche).empty());
    }

    void markenUndDatei()
    {
        Pruefbericht b;
        int meldungen = 0;
        b.geaendert = [&meldungen] { ++meldungen; };
        const QDateTime t(QDate(2025, 5, 17), QTime(14, 3, 7));
        for (int n = 1036; n <= 1039; ++n)
            b.geprueft(Art::Led, n);
        QVERIFY(b.umschalten(Art::Led, 1037, Pruefbericht::Ohne, t));
        // A turnout's positions are marked apart; a second mark takes one back.
        QVERIFY(b.umschalten(Art::Weiche, 5, Pruefbericht::Abzweigend, t.addSecs(65)));
        QVERIFY(b.umschalten(Art::Weiche, 5, Pruefbericht::Gerade, t));
        QVERIFY(!b.umschalten(Art::Weiche, 5, Pruefbericht::Gerade, t));
        QVERIFY(b.fehlerhaft(Art::Weiche, 5, Pruefbericht::Abzweigend));
        QVERIFY(!b.fehlerhaft(Art::Weiche, 5, Pruefbericht::Gerade));
        QCOMPARE(b.fehler().size(), std::size_t(2));
        QCOMPARE(meldungen, 4 + 4);

        const Pruefbericht::Kopf kopf{t, QStringLiteral("1.1.0.12"), {{QStringLiteral("Block"), 12}}};
        QCOMPARE(QString::fromUtf8(b.text(kopf)),
                 QStringLiteral("Prüfbericht KVX-Test\nDatum\t17.05.2025 14:03:07\nVersion\t1.1.0.12\n"
                                "Karten\tBlock\t12\n\nLED\t1036-1039\tgeprüft\n"
                                "LED\t1037\tfehlerhaft\t17.05.2025 14:03:07\n\n"
                                "Weiche\t5\tgeprüft\nWeiche\t5\tabzweigend fehlerhaft\t17.05.2025 14:04:12\n"));
        b.leeren();
        QVERIFY(b.leer());
    }
};

QTEST_GUILESS_MAIN(RundgangTest)
#include "rundgang_test.moc"
