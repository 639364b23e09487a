// The data-file formats: round trips byte for byte, the line breaks and short
// lines a hand-edited file may hold, and the files that are refused.
#include "datendatei.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace datendatei;

namespace {

QByteArray lesen(const QString& pfad)
{
    QFile f(pfad);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void anlegen(const QString& pfad, const QByteArray& inhalt)
{
    QFile f(pfad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(inhalt), inhalt.size());
}

// The route table as the program holds it: headers, row numbers 1..20,
// block 18 in row 1 and a few more cells.
Tabelle strecke()
{
    Tabelle t{{QString(), "HBlock", "RHalt", "RBrems", "Block", "VBrems", "VHalt"}};
    for (int r = 1; r <= 20; ++r)
        t.append({QString::number(r), QString(), QString(), QString(), QString(), QString(), QString()});
    t[1][4] = QStringLiteral("18");
    t[2][1] = QStringLiteral("205");
    t[2][4] = QStringLiteral("3");
    t[2][6] = QStringLiteral("17");
    return t;
}

}  // namespace

class DatendateiTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void routeTableRoundTrip()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("QJ.DST"));
        QString fehler;
        QVERIFY(schreiben(pfad, tabellenText(strecke()), &fehler));
        const QByteArray text = lesen(pfad);
        QCOMPARE(text.count("\r\n"), 21);
        QCOMPARE(text.count('\t'), 21 * 7);
        QVERIFY(text.startsWith("\tHBlock\tRHalt\tRBrems\tBlock\tVBrems\tVHalt\t\r\n1\t\t\t\t18\t\t\t\r\n"));

        const std::optional<Tabelle> gelesen = tabelleLesen(pfad, &fehler);
        QVERIFY(gelesen);
        QCOMPARE(*gelesen, strecke());
        QCOMPARE(tabellenText(*gelesen), text);
    }

    void handWrittenLinesReadLikeSavedOnes()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("a.DLB"));
        // LF only, a lone CR, a line without its last TAB, an empty line, and
        // no line break at the end.
        anlegen(pfad, "Block\tLED\t\n225\t1005\r12\t2017\r\n\r\n7\t3\t9");
        QString fehler;
        const std::optional<Tabelle> t = tabelleLesen(pfad, &fehler);
        QVERIFY2(t, qPrintable(fehler));
        const Tabelle erwartet{{"Block", "LED"}, {"225", "1005"}, {"12", "2017"}, {}, {"7", "3", "9"}};
        QCOMPARE(*t, erwartet);
    }

    void listRoundTrip()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("QJ.DMA"));
        const QStringList liste{"10G", "88A", "5g"};
        QString fehler;
        QVERIFY(schreiben(pfad, listenText(liste), &fehler));
        QCOMPARE(lesen(pfad), QByteArray("10G\r\n88A\r\n5g\r\n"));
        QCOMPARE(listeLesen(pfad, &fehler), std::optional<QStringList>(liste));
    }

    void stemDropsTheExtensionOfTheName()
    {
        QCOMPARE(stamm(QStringLiteral("/a/b/route.DLB")), QStringLiteral("/a/b/route"));
        QCOMPARE(stamm(QStringLiteral("/a/b/route")), QStringLiteral("/a/b/route"));
        QCOMPARE(stamm(QStringLiteral("/a/b.c/route")), QStringLiteral("/a/b.c/route"));
        QCOMPARE(stamm(QStringLiteral("/a/x.y.DST")), QStringLiteral("/a/x.y"));
    }

    void refusedFilesNameTheFileAndTheReason_data()
    {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("grund");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Die Datei wurde nicht gefunden.");
        QTest::newRow("too large") << QByteArray(MaxBytes + 1, 'x') << QStringLiteral("größer als 1024 KB");
        QTest::newRow("too many lines") << QByteArray(MaxZeilen + 1, '\n') << QStringLiteral("mehr als 5000 Zeilen");
        QTest::newRow("too wide") << QByteArray(40, '\t') << QStringLiteral("mehr als 16 Spalten");
    }

    void refusedFilesNameTheFileAndTheReason()
    {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, grund);
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("x.DST"));
        if (!inhalt.isNull())
            anlegen(pfad, inhalt);
        QString fehler;
        QVERIFY(!tabelleLesen(pfad, &fehler));
        QVERIFY2(fehler.startsWith(QStringLiteral("Datei %1 kann nicht geöffnet werden. ").arg(pfad)), qPrintable(fehler));
        QVERIFY2(fehler.contains(grund), qPrintable(fehler));
    }

    void aDeviceIsNoDataFile()
    {
        QString fehler;
        QVERIFY(!listeLesen(QStringLiteral("/dev/zero"), &fehler));
        QVERIFY(fehler.contains(QStringLiteral("keine gewöhnliche Datei")));
    }

    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("fehlt/QJ.DMA"));
        QString fehler;
        QVERIFY(!schreiben(pfad, "10G\r\n", &fehler));
        QCOMPARE(fehler, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. Der Ordner wurde nicht gefunden.").arg(pfad));

        // A folder in the place of the file: it stays a folder.
        const QString ordner = dir.filePath(QStringLiteral("QJ.DST"));
        QVERIFY(QDir().mkdir(ordner));
        QVERIFY(!schreiben(ordner, "x", &fehler));
        QVERIFY(fehler.endsWith(QStringLiteral("Der Name bezeichnet einen Ordner, keine Datei.")));
        QVERIFY(QFileInfo(ordner).isDir());

        // Nor is a pipe (or a device) replaced by a file.
        const QByteArray rohr = QFile::encodeName(dir.filePath(QStringLiteral("rohr.DMA")));
        QCOMPARE(mkfifo(rohr.constData(), 0600), 0);
        QVERIFY(!schreiben(QFile::decodeName(rohr), "10G\r\n", &fehler));
        QVERIFY(fehler.endsWith(QStringLiteral("Der Name bezeichnet keine gewöhnliche Datei.")));
        QVERIFY(!QFileInfo(QFile::decodeName(rohr)).isFile());
    }

    void textBeyondLatin1SurvivesTheRoundTrip()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("u.DMA"));
        const QStringList liste{QStringLiteral("Weiche \u2192 12G"), QStringLiteral("Straße")};
        QString fehler;
        QVERIFY(schreiben(pfad, listenText(liste), &fehler));
        QCOMPARE(listeLesen(pfad, &fehler), std::optional<QStringList>(liste));
        // Latin-1 text as Windows writes it.
        anlegen(pfad, "Stra\xDF" "e\r\n");
        QCOMPARE(listeLesen(pfad, &fehler), std::optional<QStringList>(QStringList{QStringLiteral("Straße")}));
    }

    // A cell reads back as written, and the file's bytes with it.
    void textReadsBackExactly_data()
    {
        QTest::addColumn<QString>("zelle");
        QTest::addColumn<QByteArray>("datei");
        QTest::newRow("umlaut: latin-1") << QStringLiteral("ä") << QByteArray("\xe4\t\r\n");
        QTest::newRow("latin-1 that is utf-8") << QStringLiteral("Ã¤") << QByteArray("\xef\xbb\xbf\xc3\x83\xc2\xa4\t\r\n");
        QTest::newRow("beyond latin-1") << QStringLiteral("€") << QByteArray("\xef\xbb\xbf\xe2\x82\xac\t\r\n");
        QTest::newRow("mark as text") << QStringLiteral("\ufeff1") << QByteArray("\xef\xbb\xbf\xef\xbb\xbf" "1\t\r\n");
    }

    void textReadsBackExactly()
    {
        QFETCH(QString, zelle);
        QFETCH(QByteArray, datei);
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("t.DLB"));
        QVERIFY(schreiben(pfad, tabellenText({{zelle}}), nullptr));
        QCOMPARE(lesen(pfad), datei);
        QCOMPARE(tabelleLesen(pfad, nullptr), std::optional<Tabelle>(Tabelle{{zelle}}));
    }

    // A layout's three tables: one that cannot be written keeps the others old too.
    void aSetIsReplacedWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        QList<DateiInhalt> satz;
        for (const char* name : {"QJ.DST", "QJ.DLB", "QJ.DLM"}) {
            satz.append({dir.filePath(QLatin1String(name)), "neu"});
            anlegen(satz.last().pfad, "alt");
        }
        QVERIFY(QFile::remove(satz[1].pfad) && QDir().mkdir(satz[1].pfad));
        const QStringList vorher = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        QString fehler;
        QVERIFY(!alleSchreiben(satz, &fehler));
        QCOMPARE(fehler, QStringLiteral("Datei \"%1\" kann nicht erstellt werden. Der Name bezeichnet einen Ordner, keine Datei.").arg(satz[1].pfad));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), vorher);
        QCOMPARE(lesen(satz[0].pfad) + lesen(satz[2].pfad), QByteArray("altalt"));
        QVERIFY(QDir().rmdir(satz[1].pfad));
        QVERIFY(alleSchreiben(satz, &fehler));
        QCOMPARE(lesen(satz[0].pfad) + lesen(satz[1].pfad) + lesen(satz[2].pfad), QByteArray("neuneuneu"));
    }
};

QTEST_GUILESS_MAIN(DatendateiTest)
#include "datendatei_test.moc"
