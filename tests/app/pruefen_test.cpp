// kvxtest --pruefen DATEI [--bloecke] as a process of its own: the exit
// status, the report file, what goes to standard output and error; and the
// command lines it refuses.
#include "echtzeit.h"
#include "fensterstart.h"
#include "optionen.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The program copied alone into a scratch folder (no settings, no data) and
// started there without a display.
struct Lauf {
    QTemporaryDir dir;
    QProcess p;
    // vorher: what the scratch folder gets before the start (a settings file, the report's place).
    explicit Lauf(const QStringList& argumente, const std::function<void(const QDir&)>& vorher = {})
    {
        if (vorher)
            vorher(QDir(dir.path()));
        const QString programm = fixture::programmKopieren(dir.path());
        QVERIFY(!programm.isEmpty());
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));   // it needs no display
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(programm, argumente);
    }
};

const QByteArray Alt = "alt\n";

// What a row of bad report targets puts into the scratch folder: a folder, a
// pipe, a read-only file or a link where the report would go, or a file
// where its folder would be.
void anlegen(const QDir& d, const QString& was)
{
    const QString bericht = d.filePath(QStringLiteral("bericht.txt"));
    const QByteArray name = QFile::encodeName(bericht);
    if (was == u"ordner")
        QVERIFY(d.mkdir(bericht));
    if (was == u"fifo")
        QCOMPARE(::mkfifo(name.constData(), 0644), 0);
    if (was == u"nurlesen") {
        fixture::schreiben(bericht, Alt);
        QCOMPARE(::chmod(name.constData(), 0444), 0);
    }
    if (was == u"link-leer")
        QCOMPARE(::symlink("fehlt/bericht.txt", name.constData()), 0);
    if (was == u"link-datei" || was == u"datei")
        fixture::schreiben(d.filePath(QStringLiteral("echt.txt")), Alt);
    if (was == u"link-datei")
        QCOMPARE(::symlink("echt.txt", name.constData()), 0);
}

}  // namespace

class PruefenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aufruf_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("ausgabe");    // standard output contains
        QTest::addColumn<QString>("fehler");     // standard error contains
        QTest::addColumn<QString>("bericht");    // the report contains; empty: no report
        QTest::newRow("Ruhe") << QStringList{"--virtuell", "--pruefen", "bericht.txt"} << 0
                              << "Kein Befund. Nicht geprüft: die Blöcke einzeln (--bloecke), Weichen, Signale und LEDs"
                              << "Verdrahtungsprüfung" << "\nVerdrahtung\tRuhe\tgeprüft\n";
        QTest::newRow("Blöcke ohne Last")
            << QStringList{"--virtuell", "--bloecke", "--pruefen", "bericht.txt"} << 2
            << "Nicht geprüft: die Blöcke einzeln (keiner meldete sich), Weichen"
            << "die Blockprüfung sah nichts" << "Verdrahtung\tBlöcke\tgeprüft\nVerdrahtung\thinweis\tKein Block";
        QTest::newRow("einzige Blockkarte fehlt")
            << QStringList{"--virtuell", "--fehler", "last:block:alle,fehlt:block:1", "--bloecke", "--pruefen",
                           "bericht.txt"}
            << 2 << "" << "oder es fehlt eine Blockkarte" << "Verdrahtung\thinweis\tKein Block";
        QTest::newRow("Befunde") << QStringList{"--virtuell", "--fehler", "haengt:melder:3",
                                                "--pruefen", "bericht.txt"}
                                 << 1 << "haengt:melder:3\tMelder 3 meldet dauernd belegt" << ""
                                 << "\nVerdrahtung\thaengt:melder:3\tMelder 3 meldet dauernd belegt: steht dort ein "
                                    "Zug, oder hängt der Eingang?\t";
        QTest::newRow("Fehlerliste passt nicht") << QStringList{"--virtuell", "--fehler", "tot:melder:999",
                                                                "--pruefen", "bericht.txt"}
                                                 << 2 << "" << "--fehler: " << "";
        QTest::newRow("mit Protokoll") << QStringList{"--virtuell", "--protokoll", "p.txt", "--pruefen", "b.txt"} << 2
                                       << "" << "--protokoll passt nicht dazu" << "";
        QTest::newRow("--bloecke allein") << QStringList{"--bloecke"} << 2 << "" << "--bloecke gehört zu --pruefen"
                                          << "";
        QTest::newRow("ohne Datei") << QStringList{"--virtuell", "--pruefen"} << 2 << ""
                                    << "Nach --pruefen fehlt der Name der Berichtsdatei" << "";
        QTest::newRow("zweimal --pruefen") << QStringList{"--virtuell", "--pruefen", "a.txt", "--pruefen", "bericht.txt"}
                                           << 2 << "" << "--pruefen steht 2-mal da (\"a.txt\", \"bericht.txt\")" << "";
        QTest::newRow("Blanks in --fehler") << QStringList{"--virtuell", "--fehler", "haengt : melder : 3 ",
                                                           "--pruefen", "bericht.txt"}
                                            << 1 << "haengt:melder:3\t" << "" << "\thaengt:melder:3\t";
        QTest::newRow("Takt ohne Zahl") << QStringList{"--takt-pruefen"} << 2 << ""
                                        << "Nach --takt-pruefen fehlt eine Zahl von Sekunden (1 bis 3600)." << "";
        QTest::newRow("Takt 0 s") << QStringList{"--takt-pruefen", "0"} << 2 << ""
                                  << "--takt-pruefen braucht eine Zahl von Sekunden (1 bis 3600), nicht \"0\"." << "";
        QTest::newRow("Takt zu lang") << QStringList{"--takt-pruefen", "3601"} << 2 << "" << "nicht \"3601\"" << "";
        QTest::newRow("Takt mit --pruefen")
            << QStringList{"--takt-pruefen", "1", "--virtuell", "--pruefen", "b.txt"} << 2 << ""
            << "--takt-pruefen läuft allein, ohne Karte und ohne Fenster: --virtuell passt nicht dazu." << "";
        QTest::newRow("mit Dauerlauf") << QStringList{"--virtuell", "--dauerlauf", "5", "--pruefen", "b.txt"} << 2
                                       << "" << "--pruefen läuft ohne Fenster" << "";
    }
    void aufruf()
    {
        QFETCH(QStringList, argumente);
        QFETCH(int, status);
        QFETCH(QString, ausgabe);
        QFETCH(QString, fehler);
        QFETCH(QString, bericht);
        Lauf l(argumente);
        QProcess& p = l.p;
        const QTemporaryDir& dir = l.dir;
        QVERIFY(p.waitForFinished(fixture::Prozesszeit));
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(p.exitCode() == status, qPrintable(err));
        QVERIFY2(out.contains(ausgabe), qPrintable(out));
        QVERIFY2(err.contains(fehler), qPrintable(err));
        const QByteArray datei = fixture::lesen(dir.filePath(QStringLiteral("bericht.txt")));
        if (bericht.isEmpty()) {
            QVERIFY(datei.isEmpty());
        } else {
            QVERIFY2(QString::fromUtf8(datei).startsWith(QStringLiteral("Prüfbericht KVX-Test\n")), datei.constData());
            QVERIFY2(QString::fromUtf8(datei).contains(bericht), datei.constData());
        }
    }

    // Ctrl+C or a kill while the blocks get power: the run stops with its
    // outputs off, status 2, and no report that looks complete.
    void signalBeendet()
    {
        Lauf l({QStringLiteral("--virtuell"), QStringLiteral("--fehler"), QStringLiteral("last:block:alle"),
                QStringLiteral("--bloecke"), QStringLiteral("--pruefen"), QStringLiteral("bericht.txt")});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += l.p.readAllStandardError()).contains("Züge können fahren"), fixture::Prozesszeit);
        QTest::qWait(500);   // into the blocks
        l.p.terminate();
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        err += l.p.readAllStandardError();
        QCOMPARE(l.p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(l.p.exitCode(), 2);
        QVERIFY2(err.contains("abgebrochen, alle Ausgänge sind aus"), err.constData());
        QVERIFY(!QFile::exists(l.dir.filePath(QStringLiteral("bericht.txt"))));
    }

    // A report target that cannot take the report is refused before any
    // block gets power (the run's announcement never comes), with its German
    // reason, and what lies there stays as it was.
    void zielAbgelehnt_data()
    {
        QTest::addColumn<QString>("ziel");
        QTest::addColumn<QString>("was");    // what anlegen() puts there
        QTest::addColumn<QString>("grund");
        QTest::newRow("Ordner") << "bericht.txt" << "ordner" << "Der Name bezeichnet einen Ordner, keine Datei.";
        QTest::newRow("FIFO") << "bericht.txt" << "fifo" << "Der Name bezeichnet eine Pipe (FIFO), keine gewöhnliche Datei.";
        QTest::newRow("/dev/null") << "/dev/null" << "" << "Der Name bezeichnet ein Gerät, keine gewöhnliche Datei.";
        QTest::newRow("schreibgeschützt") << "bericht.txt" << "nurlesen" << "Die Datei ist schreibgeschützt.";
        QTest::newRow("Link ins Leere") << "bericht.txt" << "link-leer"
                                        << "Der Name ist eine symbolische Verknüpfung (auf ";
        QTest::newRow("Link auf eine Datei") << "bericht.txt" << "link-datei"
                                             << "Der Name ist eine symbolische Verknüpfung (auf ";
        QTest::newRow("Ordner fehlt") << "fehlt/bericht.txt" << "" << "Den Ordner ";
        QTest::newRow("Datei statt Ordner") << "echt.txt/bericht.txt" << "datei" << "/echt.txt ist kein Ordner.";
    }
    void zielAbgelehnt()
    {
        QFETCH(QString, ziel);
        QFETCH(QString, was);
        QFETCH(QString, grund);
        Lauf l({QStringLiteral("--virtuell"), QStringLiteral("--fehler"), QStringLiteral("last:block:alle"),
                QStringLiteral("--bloecke"), QStringLiteral("--pruefen"), ziel},
               [&](const QDir& d) { anlegen(d, was); });
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        const QString out = QString::fromLocal8Bit(l.p.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(l.p.readAllStandardError());
        QCOMPARE(l.p.exitCode(), 2);
        QVERIFY2(err.contains(QStringLiteral("Die Verdrahtungsprüfung konnte nicht laufen: Datei \"%1\" kann nicht "
                                             "erstellt werden. ").arg(ziel)), qPrintable(err));
        QVERIFY2(err.contains(grund), qPrintable(err));
        QVERIFY2(!err.contains(QStringLiteral("Züge können fahren")), qPrintable(err));
        QVERIFY(out.isEmpty());
        if (was == u"nurlesen")
            QCOMPARE(fixture::lesen(l.dir.filePath(QStringLiteral("bericht.txt"))), Alt);
        if (was == u"link-datei" || was == u"datei")
            QCOMPARE(fixture::lesen(l.dir.filePath(QStringLiteral("echt.txt"))), Alt);
    }

    // The report's place taken away while the blocks get power: the findings
    // still reach standard output, and the status says the report is missing.
    void befundeOhneBericht()
    {
        Lauf l({QStringLiteral("--virtuell"), QStringLiteral("--fehler"), QStringLiteral("last:block:alle,haengt:melder:3"),
                QStringLiteral("--bloecke"), QStringLiteral("--pruefen"), QStringLiteral("bericht.txt")});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += l.p.readAllStandardError()).contains("Züge können fahren"), fixture::Prozesszeit);
        QVERIFY(QDir(l.dir.path()).mkdir(QStringLiteral("bericht.txt")));
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        err += l.p.readAllStandardError();
        const QString out = QString::fromLocal8Bit(l.p.readAllStandardOutput());
        QCOMPARE(l.p.exitCode(), 2);
        QVERIFY2(out.contains(QStringLiteral("haengt:melder:3\tMelder 3 meldet dauernd belegt")), qPrintable(out));
        QVERIFY2(out.contains(QStringLiteral("Befund(e), kein Bericht\n")), qPrintable(out));
        QVERIFY2(QString::fromLocal8Bit(err).contains(
                     QStringLiteral("ihr Bericht ist nicht geschrieben: Datei \"bericht.txt\" kann nicht erstellt "
                                    "werden. Der Name bezeichnet einen Ordner")),
                 err.constData());
    }

    // A count in the settings file out of range or no number is named with
    // what counts instead, and the file stays as it was.
    void kartenzahlen()
    {
        const QByteArray ini = "[Karten]\r\nBlock=999\r\nMelder=abc\r\nHilfsBlock= 2\r\nSignale=-3\r\nLeds1=%1\r\n";
        Lauf l({QStringLiteral("--virtuell"), QStringLiteral("--pruefen"), QStringLiteral("bericht.txt")},
               [&](const QDir& d) { fixture::schreiben(d.filePath(QStringLiteral("KVXTEST.INI")), ini); });
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        const QString err = QString::fromLocal8Bit(l.p.readAllStandardError());
        QCOMPARE(l.p.exitCode(), 0);
        for (const char* warnung : {"KVXTEST.INI, [Karten] Block=999: erlaubt sind 1 bis 50; es gilt 50.\n",
                                    "KVXTEST.INI, [Karten] Melder=abc: keine ganze Zahl; es gilt 1.\n",
                                    "KVXTEST.INI, [Karten] Signale=-3: erlaubt sind 0 bis 32; es gilt 0.\n",
                                    "KVXTEST.INI, [Karten] Leds1=%1: keine ganze Zahl; es gilt 0.\n"})
            QVERIFY2(err.contains(QString::fromUtf8(warnung)), qPrintable(err));
        QVERIFY2(err.count(QStringLiteral("Warnung: ")) == 4, qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("Block=50, HilfsBlock=2, Melder=1")), qPrintable(err));
        QCOMPARE(fixture::lesen(l.dir.filePath(QStringLiteral("KVXTEST.INI"))), ini);
    }

    // The guide's example runs as written on a first start and prints what
    // the guide shows; that start writes the settings file with the keys of
    // the card counts, and names them.
    void handbuchBeispiel()
    {
        const QString handbuch = QString::fromUtf8(fixture::lesen(QStringLiteral(KVX_QUELLE "/docs/handbuch.md")));
        const QRegularExpression beispiel(QStringLiteral("```sh\n(kvxtest --virtuell [^\n]*--pruefen[^\n]*)\n```\n\n"
                                                         "```text\n(.*?)```"),
                                          QRegularExpression::DotMatchesEverythingOption);
        const QRegularExpressionMatch m = beispiel.match(handbuch);
        QVERIFY(m.hasMatch());
        Lauf l(m.captured(1).split(u' ', Qt::SkipEmptyParts).mid(1));
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        const QString alles = QString::fromLocal8Bit(l.p.readAllStandardError() + l.p.readAllStandardOutput());
        QCOMPARE(l.p.exitCode(), 1);
        for (const QString& zeile : m.captured(2).split(u'\n', Qt::SkipEmptyParts))
            QVERIFY2(alles.contains(zeile), qPrintable(zeile + QStringLiteral("\n---\n") + alles));
        QVERIFY2(alles.contains(QStringLiteral("[Karten]): Block=1, HilfsBlock=1, Melder=1, Weichen=1, Signale=0, ")),
                 qPrintable(alles));
        const QByteArray ini = fixture::lesen(l.dir.filePath(QStringLiteral("KVXTEST.INI")));
        QVERIFY2(ini.startsWith("[Karten]\r\nBlock=1\r\nHilfsBlock=1\r\nMelder=1\r\n"), ini.constData());
    }

    // The machine check for a second: its form whatever this machine holds,
    // and the start's line on real time in a normal run.
    void taktPruefen()
    {
        Lauf l({QStringLiteral("--takt-pruefen"), QStringLiteral("1")});
        QVERIFY(l.p.waitForFinished(fixture::Prozesszeit));
        const QString out = QString::fromUtf8(l.p.readAllStandardOutput());
        QCOMPARE(l.p.exitStatus(), QProcess::NormalExit);
        QVERIFY2(l.p.exitCode() == 0 || l.p.exitCode() == 1, qPrintable(out));
        const QRegularExpression form(QStringLiteral(
            "^Taktprüfung: \\d+ Perioden, Soll 20 ms\n  Periode +Anzahl\n(  [^\n]+ +\\d+\n){8}"
            "Längste Periode: (\\d+,\\d ms)\nEchtzeit für die Netzteilleitung: (ja|nein)[^\n]*\n"
            "Dieser Rechner hält den Takt( nicht sicher)?: längste Periode (\\d+,\\d ms), die Karten warten 100 ms.\n$"));
        const QRegularExpressionMatch m = form.match(out);
        QVERIFY2(m.hasMatch(), qPrintable(out));
        QCOMPARE(m.captured(5), m.captured(2));
        QCOMPARE(m.captured(4).isEmpty(), l.p.exitCode() == 0);
        if (m.captured(3) == u"nein")
            QVERIFY2(out.contains(QStringLiteral("Freigabe: sudo setcap cap_sys_nice,cap_sys_rawio+ep /")), qPrintable(out));
        // Started with CAP_SYS_NICE (by root, say), the program keeps it
        // when it gives its capabilities away.
        if (echtzeit::systemAufrufe().faehigkeit())
            QVERIFY2(!out.contains(QStringLiteral("weder die Fähigkeit CAP_SYS_NICE")), qPrintable(out));

        Lauf start({QStringLiteral("--virtuell"), QStringLiteral("--pruefen"), QStringLiteral("bericht.txt")});
        QVERIFY(start.p.waitForFinished(fixture::Prozesszeit));
        const QString err = QString::fromUtf8(start.p.readAllStandardError());
        QVERIFY2(err.startsWith(QStringLiteral("Echtzeit für die Netzteilleitung: ")), qPrintable(err));
    }

    // --help names both options.
    void hilfe()
    {
        const QString h = optionenLesen({QStringLiteral("kvxtest"), QStringLiteral("--help")}).text;
        QVERIFY(h.contains(QStringLiteral("--pruefen DATEI")));
        QVERIFY(h.contains(QStringLiteral("--bloecke")));
        QVERIFY(h.contains(QStringLiteral("--takt-pruefen SEKUNDEN")));
    }
};

QTEST_GUILESS_MAIN(PruefenTest)
#include "pruefen_test.moc"
