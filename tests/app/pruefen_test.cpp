// kvxtest --pruefen DATEI [--bloecke] as a process of its own: the exit
// status, the report file, what goes to standard output and error; and the
// command lines it refuses.
#include "fensterstart.h"
#include "optionen.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
            << QStringList{"--virtuell", "--bloecke", "--pruefen", "bericht.txt"} << 0 << "hinweis\tKein Block"
            << "Züge können fahren" << "Verdrahtung\tBlöcke\tgeprüft\nVerdrahtung\thinweis\tKein Block";
        QTest::newRow("Befunde") << QStringList{"--virtuell", "--fehler", "haengt:melder:3",
                                                "--pruefen", "bericht.txt"}
                                 << 1 << "haengt:melder:3\tMelder 3 meldet dauernd belegt" << ""
                                 << "\nVerdrahtung\thaengt:melder:3\tMelder 3 meldet dauernd belegt: steht dort ein "
                                    "Zug, oder hängt der Eingang?\t";
        QTest::newRow("Fehlerliste passt nicht") << QStringList{"--virtuell", "--fehler", "tot:melder:999",
                                                                "--pruefen", "bericht.txt"}
                                                 << 2 << "" << "--fehler: " << "";
        QTest::newRow("Datei nicht schreibbar")
            << QStringList{"--virtuell", "--pruefen", "fehlt/bericht.txt"} << 2 << ""
            << "Die Verdrahtungsprüfung konnte nicht laufen" << "";
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
        QTemporaryDir dir;
        const QString programm = dir.filePath(QStringLiteral("kvxtest"));
        QVERIFY(QFile::copy(QStringLiteral(KVX_PROGRAMM), programm));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));   // it needs no display
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        p.setProcessEnvironment(env);
        p.start(programm, argumente);
        QVERIFY(p.waitForFinished(60000));
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
