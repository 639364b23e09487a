// The configuration rules without widgets: ranges, the input byte count, the
// conversion of the remote-control numbers and the whole-number rule that
// the fields, the settings file and the tables share.
#include "configuration.h"

#include <QTest>

#include <climits>

using namespace config;

class ConfigurationTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tasterUmrechnen_data()
    {
        QTest::addColumn<int>("eingabe");
        QTest::addColumn<int>("position");
        QTest::newRow("nicht gesetzt") << 0 << 0;
        QTest::newRow("Blocktaster") << 3 << 3;
        QTest::newRow("Hilfsblocktaster") << 205 << 205;
        QTest::newRow("Grenze 512") << 512 << 512;
        QTest::newRow("513") << 513 << 1001;
        QTest::newRow("600") << 600 << 1088;
        QTest::newRow("1024") << 1024 << 1512;
        QTest::newRow("1025") << 1025 << 2001;
        QTest::newRow("negativ bleibt") << -5 << -5;
        QTest::newRow("größte Zahl bleibt jenseits") << INT_MAX << INT_MAX;
        QTest::newRow("knapp darunter") << INT_MAX - 976 << INT_MAX;
        QTest::newRow("kleinste Zahl") << INT_MIN << INT_MIN;
    }
    void tasterUmrechnen()
    {
        QFETCH(int, eingabe);
        QFETCH(int, position);
        QCOMPARE(TasterUmrechnen(eingabe), position);
    }

    void einDatenBytesIstDieLaengsteLeitung()
    {
        // 24 blocks, 48 auxiliary blocks, 88 detectors, 64 chain-1 buttons.
        QCOMPARE(einDatenBytes(88, 48, 24, 64, 0), 96);
        QCOMPARE(einDatenBytes(8, 4, 2, 0, 0), 8);
        QCOMPARE(einDatenBytes(8, 4, 2, 0, 512), 512);
        // The largest configuration stays within the 512 input steps.
        QCOMPARE(einDatenBytes(512, 256, 100, 512, 512), 512);
    }

    void kartenBereiche()
    {
        QCOMPARE(imBereich(Block, 99), 50);
        QCOMPARE(imBereich(Block, 0), 1);
        QCOMPARE(imBereich(Melder, 100), 64);
        QCOMPARE(imBereich(Signale, -3), 0);
        QCOMPARE(imBereich(Leds3, 26), 25);
        // Every element maximum fits the component's images.
        QVERIFY(Karten[Block].maximum * Karten[Block].factor <= 100);
        QVERIFY(Karten[HBlock].maximum * Karten[HBlock].factor <= 256);
        QVERIFY(Karten[Melder].maximum * Karten[Melder].factor <= 512);
        QVERIFY(Karten[Weichen].maximum * Karten[Weichen].factor * 2 <= 800);
        QVERIFY(Karten[Signale].maximum * Karten[Signale].factor <= 800);
        QVERIFY(Karten[Leds1].maximum * Karten[Leds1].factor <= 800);
    }

    void ganzeZahl_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("gueltig");
        QTest::addColumn<int>("wert");
        QTest::newRow("null") << "0" << true << 0;
        QTest::newRow("blanks") << " 513 " << true << 513;
        QTest::newRow("plus") << "+7" << true << 7;
        QTest::newRow("minus") << "-12" << true << -12;
        QTest::newRow("leer") << "" << false << 0;
        QTest::newRow("nur Vorzeichen") << "-" << false << 0;
        QTest::newRow("Komma") << "1,5" << false << 0;
        QTest::newRow("Punkt") << "1.000" << false << 0;
        QTest::newRow("Tab vorn, Blank hinten") << "\t 42 " << true << 42;
        QTest::newRow("Blank nach Vorzeichen") << "- 5" << false << 0;
        QTest::newRow("Zeilenumbruch") << "5\n" << false << 0;
        QTest::newRow("Hex 0x") << "0x10" << true << 16;
        QTest::newRow("Hex 0X, Grossbuchstaben") << "0XfF" << true << 255;
        QTest::newRow("Hex $") << "$1a" << true << 26;
        QTest::newRow("Hex mit Vorzeichen") << "-$10" << true << -16;
        QTest::newRow("nur 0x") << "0x" << false << 0;
        QTest::newRow("nur $") << "-$" << false << 0;
        QTest::newRow("kein Hex ohne Praefix") << "1f" << false << 0;
        QTest::newRow("arabische Ziffer") << QString(QChar(0x663)) << false << 0;
        QTest::newRow("zu gross") << "2147483648" << false << 0;
        QTest::newRow("kleinster") << "-2147483648" << true << int(-2147483648LL);
        QTest::newRow("Hex groesster") << "0x7fffffff" << true << 2147483647;
        QTest::newRow("Hex kleinster") << "-0x80000000" << true << int(-2147483648LL);
        QTest::newRow("Hex kein Ueberlauf auf -1") << "0xFFFFFFFF" << false << 0;
        QTest::newRow("viele Ziffern") << QString(400, u'9') << false << 0;
        QTest::newRow("viele Nullen") << QString(400, u'0') + "7" << true << 7;
    }
    void ganzeZahl()
    {
        QFETCH(QString, text);
        QFETCH(bool, gueltig);
        QFETCH(int, wert);
        const std::optional<int> n = config::ganzeZahl(text);
        QCOMPARE(n.has_value(), gueltig);
        if (gueltig)
            QCOMPARE(*n, wert);
    }
};

QTEST_APPLESS_MAIN(ConfigurationTest)
#include "configuration_test.moc"
