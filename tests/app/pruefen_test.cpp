// kvxtest --pruefen DATEI [--bloecke] as a process of its own: the exit
// status, the report file, what goes to standard output and error; and the
// command lines it refuses.
#include "fensterstart.h"
#include "optionen.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The program copied alone into a scratch folder (no settings, no data) and
// started there without a display.
struct Lauf {
    QTemporaryDir dir;
    QProcess p;
    explicit Lauf(const QStringList& argumente)
    {
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
        QTest::newRow("Ruhe") << QStringList{"--virtuell", "--pruefen", "bericht.txt"} << 0 << "Kein Befund."
                              << "Verdrahtungsprüfung" << "\nVerdrahtung\tRuhe\tgeprüft\n";
        QTest::newRow("Blöcke ohne Last")
            << QStringList{"--virtuell", "--bloecke", "--pruefen", "bericht.txt"} << 2 << "hinweis\tKein Block"
            << "die Blockprüfung sah nichts" << "Verdrahtung\tBlöcke\tgeprüft\nVerdrahtung\thinweis\tKein Block";
        QTest::newRow("Befunde") << QStringList{"--virtuell", "--fehler", "haengt:melder:3",
                                                "--pruefen", "bericht.txt"}
                                 << 1 << "haengt:melder:3\tMelder 3 meldet dauernd belegt" << ""
                                 << "\nVerdrahtung\thaengt:melder:3\tMelder 3 meldet dauernd belegt: steht dort ein "
                                    "Zug, oder hängt der Eingang?\t";
        QTest::newRow("Fehlerliste passt nicht") << QStringList{"--virtuell", "--fehler", "tot:melder:999",
                                                                "--pruefen", "bericht.txt"}
                                                 << 2 << "" << "--fehler: " << "";
        QTest::newRow("Ordner fehlt: nichts geprüft")
            << QStringList{"--virtuell", "--bloecke", "--pruefen", "fehlt/bericht.txt"} << 2 << ""
            << "Die Verdrahtungsprüfung konnte nicht laufen: Den Ordner" << "";
        QTest::newRow("mit Protokoll") << QStringList{"--virtuell", "--protokoll", "p.txt", "--pruefen", "b.txt"} << 2
                                       << "" << "--protokoll passt nicht dazu" << "";
        QTest::newRow("--bloecke allein") << QStringList{"--bloecke"} << 2 << "" << "--bloecke gehört zu --pruefen"
                                          << "";
        QTest::newRow("ohne Datei") << QStringList{"--virtuell", "--pruefen"} << 2 << ""
                                    << "Nach --pruefen fehlt der Name der Berichtsdatei" << "";
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

    // --help names both options.
    void hilfe()
    {
        const QString h = optionenLesen({QStringLiteral("kvxtest"), QStringLiteral("--help")}).text;
        QVERIFY(h.contains(QStringLiteral("--pruefen DATEI")));
        QVERIFY(h.contains(QStringLiteral("--bloecke")));
    }
};

QTEST_GUILESS_MAIN(PruefenTest)
#include "pruefen_test.moc"
