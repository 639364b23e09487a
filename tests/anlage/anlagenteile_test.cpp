// The parts of the virtual layout that need no window, and the command line:
// options good and bad (also as the program itself answers them), the lamp
// geometry the mouse relies on, where the window opens, the route rows the
// train runs on, the coil text, and the card counts the virtual layout takes
// from the configuration.
#include "anlagenbetrieb.h"
#include "anlagenbild.h"
#include "lampenfeld.h"
#include "optionen.h"
#include "webserver.h"
#include "tfanlage.h"
#include "zugstrecke.h"

#include <QProcess>
#include <QTest>

#include <chrono>

using A = Optionen::Aktion;

class AnlagenTeileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void guteOptionen()
    {
        Optionen o = optionenLesen({"kvxtest"});
        QCOMPARE(o.aktion, A::Starten);
        QVERIFY(!o.virtuell && !o.gpio && o.protokollDatei.isEmpty());
        o = optionenLesen({"kvxtest", "--gpio", "--protokoll", "p.txt"});
        QCOMPARE(o.aktion, A::Starten);
        QVERIFY(o.gpio && !o.virtuell);

        o = optionenLesen({"kvxtest", "--virtuell", "--protokoll", "/tmp/p.txt"});
        QCOMPARE(o.aktion, A::Starten);
        QVERIFY(o.virtuell);
        QCOMPARE(o.protokollDatei, QStringLiteral("/tmp/p.txt"));
        // Wiring faults: checked only against the card counts, later.
        o = optionenLesen({"kvxtest", "--virtuell", "--fehler", "tot:block:999", "--fehler=bruch:melder:3"});
        QCOMPARE(o.aktion, A::Starten);
        QCOMPARE(o.fehlerListe, QStringLiteral("tot:block:999,bruch:melder:3"));
        QCOMPARE(optionenLesen({"kvxtest", "--protokoll=a b.txt"}).protokollDatei, QStringLiteral("a b.txt"));
        QCOMPARE(optionenLesen({"kvxtest", "--protokoll", "./-name"}).protokollDatei, QStringLiteral("./-name"));
        // The web page: a port alone, an address with it, IPv6 in brackets.
        for (const char* web : {"8080", "0.0.0.0:8080", "192.168.1.20:80", "[::1]:8080"}) {
            o = optionenLesen({"kvxtest", "--web", web});
            QCOMPARE(o.aktion, A::Starten);
            QCOMPARE(o.web, QString::fromLatin1(web));
            QVERIFY(web::adresseLesen(o.web));
        }
        QCOMPARE(web::adresseLesen(QStringLiteral("8080"))->host, QHostAddress(QHostAddress::LocalHost));

        // QApplication's own options are left to it.
        o = optionenLesen({"kvxtest", "-platform", "offscreen", "-virtuell", "-reverse"});
        QCOMPARE(o.aktion, A::Starten);
        QVERIFY(o.virtuell);

        for (const char* h : {"--help", "-h", "-?"}) {
            o = optionenLesen({"/usr/bin/kvxtest", h, "--foo"});   // an unknown option fails even beside the help
            QCOMPARE(o.aktion, A::Fehler);
            o = optionenLesen({"/usr/bin/kvxtest", h});
            QCOMPARE(o.aktion, A::Hilfe);
            QCOMPARE(o.exitStatus(), 0);
            QVERIFY(o.text.startsWith(
                QStringLiteral("Aufruf: kvxtest [--virtuell | --gpio] [--protokoll DATEI] [--dauerlauf MINUTEN]\n")));
            QVERIFY(o.text.contains(QStringLiteral("  --gpio              Steuert die Kartenleitungen")));
            QVERIFY(o.text.contains(QStringLiteral("Zeigt diese Hilfe")));
            QVERIFY(o.text.contains(QStringLiteral("  --protokoll DATEI   Schreibt das Anlagenprotokoll")));
        }
        o = optionenLesen({"kvxtest", "--version"});
        QCOMPARE(o.aktion, A::Version);
        QCOMPARE(o.text, QStringLiteral("kvxtest " KVX_VERSION "\n"));
    }

    void schlechteOptionen_data()
    {
        QTest::addColumn<QStringList>("argumente");
        QTest::addColumn<QString>("meldung");
        QTest::newRow("unbekannt") << QStringList{"kvxtest", "--virtual"}
                                   << QStringLiteral("kvxtest: Unbekannte Option \"--virtual\".\n");
        QTest::newRow("kurz") << QStringList{"kvxtest", "-x"} << QStringLiteral("kvxtest: Unbekannte Option \"-x\".\n");
        const QString ohneDatei = QStringLiteral("kvxtest: Nach --protokoll fehlt der Name der Protokolldatei.\n");
        QTest::newRow("ohne Datei") << QStringList{"kvxtest", "--protokoll"} << ohneDatei;
        QTest::newRow("leere Datei") << QStringList{"kvxtest", "--protokoll="} << ohneDatei;
        const QString strich = QStringLiteral("kvxtest: Nach --protokoll fehlt der Name der Protokolldatei; \"%1\" "
                                              "beginnt mit \"-\" (eine Datei dieses Namens: --protokoll ./%1).\n");
        QTest::newRow("Option statt Datei") << QStringList{"kvxtest", "--protokoll", "--virtuell"}
                                            << strich.arg(QStringLiteral("--virtuell"));
        QTest::newRow("Strich") << QStringList{"kvxtest", "--virtuell", "--protokoll=-p.txt"}
                                << strich.arg(QStringLiteral("-p.txt"));
        QTest::newRow("Wert") << QStringList{"kvxtest", "--virtuell=ja"}
                              << QStringLiteral("kvxtest: Die Option \"--virtuell\" nimmt keinen Wert.\n");
        QTest::newRow("GPIO und virtuell") << QStringList{"kvxtest", "--gpio", "--virtuell"}
                                           << QStringLiteral("kvxtest: --virtuell und --gpio schließen einander aus");
        QTest::newRow("GPIO Wert") << QStringList{"kvxtest", "--gpio=17"}
                                   << QStringLiteral("kvxtest: Die Option \"--gpio\" nimmt keinen Wert.\n");
        // Each message names the option and what it needs.
        const QString dauer = QStringLiteral("kvxtest: --dauerlauf braucht eine Zahl von Minuten (1 bis 10000), "
                                             "nicht \"%1\".\n");
        QTest::newRow("Dauerlauf ohne virtuell")
            << QStringList{"kvxtest", "--dauerlauf", "5"}
            << QStringLiteral("kvxtest: --dauerlauf braucht --virtuell: der Dauerlauf bedient die virtuelle Anlage.\n");
        QTest::newRow("Dauerlauf 0") << QStringList{"kvxtest", "--virtuell", "--dauerlauf=0"} << dauer.arg(0);
        QTest::newRow("Dauerlauf Text") << QStringList{"kvxtest", "--virtuell", "--dauerlauf", "x"} << dauer.arg("x");
        QTest::newRow("Dauerlauf ohne Wert")
            << QStringList{"kvxtest", "--virtuell", "--dauerlauf"}
            << QStringLiteral("kvxtest: Nach --dauerlauf fehlt eine Zahl von Minuten (1 bis 10000).\n");
        QTest::newRow("Dauerlauf vor Option")
            << QStringList{"kvxtest", "--dauerlauf", "--virtuell"}
            << QStringLiteral("kvxtest: Nach --dauerlauf fehlt eine Zahl von Minuten (1 bis 10000); \"--virtuell\" "
                              "ist keine.\n");
        QTest::newRow("Fehler ohne virtuell")
            << QStringList{"kvxtest", "--fehler", "tot:block:1"}
            << QStringLiteral("kvxtest: --fehler braucht --virtuell: die Verdrahtungsfehler wirken in der virtuellen "
                              "Anlage.\n");
        QTest::newRow("Fehler ohne Liste") << QStringList{"kvxtest", "--virtuell", "--fehler"}
                                           << QStringLiteral("kvxtest: Nach --fehler fehlt die Liste der "
                                                             "Verdrahtungsfehler.\n");
        QTest::newRow("Fehler vor Option") << QStringList{"kvxtest", "--fehler", "--virtuell"}
                                           << QStringLiteral("kvxtest: Nach --fehler fehlt die Liste der "
                                                             "Verdrahtungsfehler; \"--virtuell\" ist keine.\n");
        QTest::newRow("Qt-Option ohne Wert") << QStringList{"kvxtest", "-platform"}
                                             << QStringLiteral("kvxtest: Nach -platform fehlt ein Wert.\n");
        const QString web = QStringLiteral("kvxtest: --web: \"%1\" ist keine Adresse für die Web-Seite");
        for (const char* falsch : {"x", "70000", "-1", "999.1.1.1:80", "localhost:", "[::1]8080"})
            QTest::newRow(falsch) << QStringList{"kvxtest", "--web", falsch} << web.arg(QString::fromLatin1(falsch));
        QTest::newRow("Argument")
            << QStringList{"kvxtest", "QJ.DST"}
            << QStringLiteral("kvxtest: Unerwartetes Argument \"QJ.DST\"; Optionen beginnen mit \"--\".\n");
    }

    void schlechteOptionen()
    {
        QFETCH(QStringList, argumente);
        QFETCH(QString, meldung);
        const Optionen o = optionenLesen(argumente);
        QCOMPARE(o.aktion, A::Fehler);
        QCOMPARE(o.exitStatus(), 2);
        QVERIFY2(o.text.startsWith(meldung), qPrintable(o.text));
        QVERIFY(o.text.endsWith(QStringLiteral("\"kvxtest --help\" zeigt, welche Optionen es gibt.\n")));
        QVERIFY(!o.virtuell && !o.gpio && o.protokollDatei.isEmpty());
    }

    // The program itself: the message on standard error, status 2, before
    // any window; the help on standard output.
    void programmAntwortet()
    {
        QProcess p;
        p.start(QStringLiteral(KVX_PROGRAMM), {QStringLiteral("--virtuel")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        const QString fehler = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(fehler.contains(QStringLiteral("Unbekannte Option \"--virtuel\"")), qPrintable(fehler));

        p.start(QStringLiteral(KVX_PROGRAMM), {QStringLiteral("--help")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).startsWith(QStringLiteral("Aufruf: kvxtest")));

        // A wiring fault the layout cannot have: known only once the card
        // counts are read, and then the same answer.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KVX_PROGRAMM), {QStringLiteral("--virtuell"), QStringLiteral("--fehler"),
                                               QStringLiteral("tot:block:1,tot:block:999")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        const QString falsch = QString::fromLocal8Bit(p.readAllStandardError());
        QVERIFY2(falsch.contains(QStringLiteral("kvxtest: Verdrahtungsfehler „tot:block:999“: block 999 gibt es "
                                                "nicht, die Anlage hat ")),
                 qPrintable(falsch));
    }

    // Every pixel of every lamp names that lamp; lines, labels and the cells
    // after the last lamp name none.
    void lampeUnterDerMaus()
    {
        const lampen::Geometrie g{.anzahl = 790, .spalten = 50, .zelle = 9, .labelBreite = 30};
        QCOMPARE(g.zeilen(), 16);
        for (int nr = 1; nr <= g.anzahl; ++nr) {
            const QRect r = g.lampe(nr);
            QCOMPARE(g.lampeBei(r.topLeft()), nr);
            QCOMPARE(g.lampeBei(r.bottomRight()), nr);
            QCOMPARE(g.lampeBei(r.bottomRight() + QPoint(1, 0)), 0);   // the line after it
            QVERIFY(QRect(QPoint(0, 0), g.groesse()).contains(r));
        }
        QCOMPARE(g.lampeBei(g.label(3).center()), 0);
        QCOMPARE(g.lampeBei(g.lampe(790).center() + QPoint(10, 0)), 0);   // beyond the last lamp
        QCOMPARE(g.lampeBei(QPoint(-5, 3)), 0);
        QVERIFY(g.lampe(0).isNull() && g.lampe(791).isNull());
        QCOMPARE(blockfeld::blockBei(blockfeld::kachel(37, 100).center(), 100), 37);
        QCOMPARE(blockfeld::blockBei(blockfeld::kachel(37, 100).center(), 36), 0);
    }

    // The route page's rows as the train runs on them: the numbers that name
    // an element, nothing for the others.
    void streckenZeilen()
    {
        fahrt::StreckenTabellen t;
        auto zahl = [](int n) { return fahrt::Zelle{n, true, {}}; };
        t.strecke[0] = {zahl(201), zahl(1), zahl(2), zahl(3), zahl(0), zahl(513)};
        t.strecke[1] = {zahl(5), zahl(512), fahrt::Zelle{0, false, "x"}, zahl(201), zahl(4), zahl(-1)};
        t.strecke[15] = {zahl(201), zahl(1), zahl(2), zahl(3), zahl(4), zahl(5)};   // row 16: not on the ring
        const std::vector<ZugZeile> z = zugZeilen(t);
        QCOMPARE(z.size(), std::size_t(15));
        QCOMPARE(z[0].block, 3);
        QCOMPARE(z[0].hblock, 1);
        QVERIFY((z[0].melder == std::array<int, 4>{1, 2, 0, 0}));
        QCOMPARE(z[1].block, 0);    // 201 is no block
        QCOMPARE(z[1].hblock, 0);   // 5 is no auxiliary block
        QVERIFY((z[1].melder == std::array<int, 4>{512, 0, 4, 0}));
        QCOMPARE(z[14].block, 0);
    }

    void spulenText()
    {
        using C = VirtualCard::Coil;
        const auto jetzt = VirtualCard::Clock::now();
        QCOMPARE(anlagenbild::spulenText({}, jetzt), QStringLiteral("Keine Spule unter Strom"));
        const VirtualCard::PoweredCoil w{C{C::Kind::Turnout, 5, 2}, jetzt - std::chrono::milliseconds(1250)};
        QCOMPARE(anlagenbild::spulenText({w}, jetzt), QStringLiteral("Weiche 5 abzweigend, seit 1,2 s"));
        const VirtualCard::PoweredCoil s{C{C::Kind::Signal, 17, 0}, jetzt};
        QCOMPARE(anlagenbild::spulenText({s}, jetzt), QStringLiteral("Signalspule 17, seit 0,0 s"));
    }

    // The virtual layout's window beside the main window (frame 100..899 x
    // 50..649): right of it, left of it, or as far as the screen allows.
    void fensterNebenDemHauptfenster()
    {
        const QRect h(100, 50, 800, 600);
        QCOMPARE(fensterPlatz(h, {600, 500}, {0, 0, 1920, 1080}), QPoint(908, 50));
        QCOMPARE(fensterPlatz(h, {1100, 500}, {-1100, 0, 3020, 1080}), QPoint(-1008, 50));
        QCOMPARE(fensterPlatz(h, {600, 680}, {0, 0, 1000, 700}), QPoint(400, 20));
    }

    void kartenDerKonfiguration()
    {
        const VirtualLayout l = anlageFuer({3, 1, 2, 4, 0, 1, 7, 2, 25, 0});
        QCOMPARE(l.blockCards, 3);
        QCOMPARE(l.hblockCards, 1);
        QCOMPARE(l.melderCards, 2);
        QCOMPARE(l.weichenCards, 4);
        QCOMPARE(l.signalCards, 0);
        QCOMPARE(l.taster1Cards, 1);   // push-button chain 2 is not read and has no cards here
        QCOMPARE(l.led1Cards, 2);
        QCOMPARE(l.led2Cards, 25);
        QCOMPARE(l.led3Cards, 0);
    }
};

QTEST_MAIN(AnlagenTeileTest)
#include "anlagenteile_test.moc"
