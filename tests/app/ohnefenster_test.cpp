// The program itself without a screen, as on a Raspberry Pi reached by SSH:
// the page is served while the start's boxes wait for it and answer them;
// without the page they take their default; a busy port ends a program
// without a screen and holds nothing up with one; the user service's command
// and the README's commands work as written; standard error holds what the
// user needs and nothing else; every phase ends in order on SIGTERM.
#include "fensterstart.h"
#include "linuxports.h"
#include "optionen.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <csignal>

namespace {

// The program, copied into a folder of its own without the sample data set
// (its load fails) and with its own configuration folder.
struct Programm {
    explicit Programm(const QStringList& argumente, bool daten = false)
    {
        const QString kopie = fixture::programmKopieren(dir.path());
        QVERIFY(!kopie.isEmpty());
        if (daten) {
            const QDir d(QStringLiteral(KVX_DATEN_DIR));
            for (const QString& name : d.entryList({QStringLiteral("QJ.*")}, QDir::Files))
                QFile::copy(d.filePath(name), dir.filePath(name));
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Outside a login session, as with su.
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            env.remove(QString::fromLatin1(v));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [this] { aus += p.readAllStandardOutput(); });
        QObject::connect(&p, &QProcess::readyReadStandardError, [this] { fehler += p.readAllStandardError(); });
        // Where the CPU has I/O ports the card's are never touched. The
        // program's own folder holds its settings.
        if (LinuxPorts::supported())
            fixture::schreiben(dir.filePath(QStringLiteral("KVXTEST.INI")), "[Sonstiges]\r\nPort=GPIO\r\n");
        p.start(kopie, argumente);
    }
    ~Programm()
    {
        if (p.state() != QProcess::NotRunning) {
            p.kill();
            p.waitForFinished();
        }
    }
    // SIGTERM: the exit code of an orderly end, -1 for none in time.
    int beenden()
    {
        ::kill(pid_t(p.processId()), SIGTERM);
        return ende();
    }
    int ende()
    {
        if ((p.state() != QProcess::NotRunning && !p.waitForFinished(fixture::Prozesszeit))
            || p.exitStatus() != QProcess::NormalExit)
            return -1;
        return p.exitCode();
    }
    QTemporaryDir dir;
    QProcess p;
    QByteArray aus;
    QByteArray fehler;
};

int httpStatus(quint16 port, const QByteArray& pfad, const QHostAddress& host = QHostAddress(QHostAddress::LocalHost))
{
    QTcpSocket s;
    QByteArray antwort;
    QObject::connect(&s, &QTcpSocket::readyRead, [&] { antwort += s.readAll(); });
    s.connectToHost(host, port);
    s.write("GET " + pfad + " HTTP/1.1\r\nHost: " + host.toString().toLatin1() + ':' + QByteArray::number(port)
            + "\r\n\r\n");
    (void)QTest::qWaitFor([&] { return antwort.contains("\r\n") || s.state() == QAbstractSocket::UnconnectedState; }, fixture::Prozesszeit);
    return antwort.startsWith("HTTP/1.1 ") ? antwort.mid(9, 3).toInt() : 0;
}

// Standard error as the journal keeps it: Qt's warnings without meaning
// for the user are not there, and no line ends in blanks.
void ohneRauschen(const QByteArray& fehler)
{
    QVERIFY2(!fehler.contains("This plugin does not support") && !fehler.contains("XDG_RUNTIME_DIR"), fehler.constData());
    for (const QByteArray& zeile : fehler.split('\n'))
        QVERIFY2(!zeile.endsWith(' ') && !zeile.endsWith('\t'), fehler.constData());
}

// The lines of the shell blocks in the README's section titled titel,
// without comments.
QStringList readmeBefehle(const QString& titel)
{
    QFile f(QStringLiteral(KVX_QUELLE "/README.md"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    const qsizetype anfang = text.indexOf(QStringLiteral("\n## ") + titel + u'\n');
    const QString abschnitt = text.mid(anfang, text.indexOf(QStringLiteral("\n## "), anfang + 1) - anfang);
    QStringList befehle;
    bool block = false;
    for (const QString& zeile : abschnitt.split(u'\n')) {
        if (zeile.startsWith(QStringLiteral("```")))
            block = zeile == QLatin1String("```sh");
        else if (block && !zeile.section(u'#', 0, 0).trimmed().isEmpty())
            befehle << zeile.section(u'#', 0, 0).trimmed();
    }
    return befehle;
}

}  // namespace

class OhneFensterTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // --web without a display: a start on GPIO lines this machine does not
    // have and without the sample data set. The page is served while the
    // first box waits; the phone gets each box and answers it, or SIGTERM
    // comes while one is open. Either way the end is orderly.
    void startMitSeite_data()
    {
        QTest::addColumn<bool>("beantworten");
        QTest::newRow("vom Telefon beantwortet") << true;
        QTest::newRow("TERM während der Meldung") << false;
    }
    void startMitSeite()
    {
        QFETCH(bool, beantworten);
        if (!QDir(QStringLiteral("/dev")).entryList({QStringLiteral("gpiochip*")}, QDir::System).isEmpty())
            QSKIP("this machine has a GPIO chip");
        Programm prog({QStringLiteral("--gpio"), QStringLiteral("--web"), QStringLiteral("127.0.0.1:0")});
        const QRegularExpression adresse(QStringLiteral("Web-Seite: http://127.0.0.1:(\\d+)/\\?k=([0-9a-f]{32})\n"));
        QTRY_VERIFY_WITH_TIMEOUT(adresse.match(QString::fromUtf8(prog.aus)).hasMatch(), fixture::Prozesszeit);
        const QRegularExpressionMatch m = adresse.match(QString::fromUtf8(prog.aus));
        const auto port = quint16(m.captured(1).toUInt());
        const QString k = m.captured(2);
        // No phone reaches 127.0.0.1: no code for it, but how a phone gets there.
        QVERIFY2(!prog.aus.contains("QR-Code für") && prog.aus.contains("--web 0.0.0.0:" + m.captured(1).toLatin1())
                     && prog.aus.contains("ssh -L"),
                 prog.aus.constData());

        QWebSocket ws(QStringLiteral("http://127.0.0.1:%1").arg(port));
        QStringList meldungen;
        QString allesAus;
        bool zustand = false;
        QObject::connect(&ws, &QWebSocket::textMessageReceived, [&](const QString& t) {
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            const QString typ = o[QStringLiteral("typ")].toString();
            zustand = zustand || typ == QLatin1String("zustand");
            if (typ == QLatin1String("ok") && o[QStringLiteral("befehl")].toString() == QLatin1String("allesAus"))
                allesAus = o[QStringLiteral("text")].toString();
            if (typ != QLatin1String("meldung"))
                return;
            meldungen << o[QStringLiteral("text")].toString();
            if (beantworten)
                ws.sendTextMessage(QString::fromUtf8(QJsonDocument(QJsonObject{
                    {QStringLiteral("befehl"), QStringLiteral("antwort")}, {QStringLiteral("id"), o[QStringLiteral("id")]},
                    {QStringLiteral("knopf"), QStringLiteral("OK")}}).toJson(QJsonDocument::Compact)));
        });
        ws.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(port).arg(k)));
        // Alive as a page is, or the program drops it as silent.
        QTimer lebt;
        QObject::connect(&lebt, &QTimer::timeout, [&ws] { ws.sendTextMessage(QStringLiteral(R"({"befehl":"lebt"})")); });
        lebt.start(400);
        QTRY_VERIFY_WITH_TIMEOUT(!meldungen.isEmpty(), fixture::Prozesszeit);
        QVERIFY2(meldungen.first().contains(QStringLiteral("GPIO-Baustein")), qPrintable(meldungen.first()));
        QCOMPARE(httpStatus(port, "/?k=" + k.toLatin1()), 200);   // without the answer: while the first box waits
        // "Alles aus" while the box waits acts and says what it did: no card to reach, nothing on.
        if (!beantworten) {
            ws.sendTextMessage(QStringLiteral(R"({"befehl":"allesAus"})"));
            QTRY_VERIFY_WITH_TIMEOUT(allesAus.contains(QStringLiteral("nichts eingeschaltet")), fixture::Prozesszeit);
        }
        if (beantworten) {
            QTRY_VERIFY_WITH_TIMEOUT(zustand, fixture::Prozesszeit);   // the window is bound
            QVERIFY2(meldungen.size() == 2 && meldungen.last().contains(QStringLiteral("QJ.DMA")),
                     qPrintable(meldungen.join(u'|')));
        }
        // The page, alive to the end, is told that the program ended.
        QCOMPARE(::kill(pid_t(prog.p.processId()), SIGTERM), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ws.state(), QAbstractSocket::UnconnectedState, fixture::Prozesszeit);
        QCOMPARE(ws.closeCode(), QWebSocketProtocol::CloseCodeGoingAway);
        QCOMPARE(ws.closeReason(), QStringLiteral("Das Programm wurde beendet."));
        QVERIFY2(prog.ende() == 0, prog.fehler.constData());
        QVERIFY2(prog.fehler.contains("Meldung: Kein Zugriff auf den GPIO-Baustein"), prog.fehler.constData());
    }

    // --ohne-fenster without the page: each box of the start is written to
    // standard error and takes its default at once; the program runs on.
    void ohneSeiteGiltDieVorgabe()
    {
        Programm prog({QStringLiteral("--ohne-fenster"), QStringLiteral("--virtuell")});
        QTRY_VERIFY_WITH_TIMEOUT(prog.fehler.contains("Antwort: OK (ohne Bildschirm und ohne Web-Seite"), fixture::Prozesszeit);
        QVERIFY2(prog.fehler.contains("Meldung: Datei "), prog.fehler.constData());
        QCOMPARE(prog.p.state(), QProcess::Running);
        QCOMPARE(prog.beenden(), 0);
        QVERIFY(prog.aus.isEmpty());
        ohneRauschen(prog.fehler);
    }

    // A port already in use. Without a screen the page is the only way in:
    // the program ends at once with the reason and status 1 (a service is
    // started again). With a screen the start goes on without a box, the
    // reason on standard error (and in the status bar); SIGTERM ends it.
    void besetzterPort_data()
    {
        QTest::addColumn<bool>("bildschirm");
        QTest::newRow("ohne Bildschirm") << false;
        QTest::newRow("mit Bildschirm") << true;
    }
    void besetzterPort()
    {
        QFETCH(bool, bildschirm);
        QTcpServer besetzt;
        QVERIFY(besetzt.listen(QHostAddress::LocalHost));
        const QString adresse = QStringLiteral("127.0.0.1:%1").arg(besetzt.serverPort());
        QStringList argumente{QStringLiteral("--virtuell"), QStringLiteral("--web"), adresse};
        if (bildschirm)   // a screen a VNC viewer would show
            argumente << QStringLiteral("-platform") << QStringLiteral("vnc:port=0");
        Programm prog(argumente, true);
        const QByteArray grund = "Die Web-Seite kann nicht an " + adresse.toLatin1() + " starten";
        if (!bildschirm) {
            QVERIFY(prog.p.waitForFinished(fixture::Prozesszeit));
            QCOMPARE(prog.p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(prog.p.exitCode(), 1);
            QVERIFY2(prog.fehler.contains(grund) && prog.fehler.contains("Ohne Bildschirm ist die Web-Seite der "
                                                                         "einzige Weg zum Programm; es endet."),
                     prog.fehler.constData());
            QVERIFY(prog.aus.isEmpty());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(prog.fehler.contains(grund) || prog.p.state() == QProcess::NotRunning,
                                 fixture::Prozesszeit);
        if (prog.fehler.contains("could not find the Qt platform plugin"))
            QSKIP("Qt's VNC platform is not installed");
        QCOMPARE(prog.beenden(), 0);
        QVERIFY2(!prog.fehler.contains("Meldung:"), prog.fehler.constData());
    }

    // The user service's command as it stands in the unit, on a machine
    // without a screen and outside a login session: the page's address a
    // phone can use (or, with no network yet, that it has none), served
    // there; standard error without noise; SIGTERM ends it. The README's
    // commands for the Raspberry Pi: every program start among them is one
    // the program takes, and the service they enable is the package's.
    void dienstUndReadme()
    {
        QFile einheit(QStringLiteral(KVX_QUELLE "/packaging/kvxtest-web.service"));
        QVERIFY(einheit.open(QIODevice::ReadOnly));
        const QString unit = QString::fromUtf8(einheit.readAll());
        const QRegularExpression exec(QStringLiteral("\n(?:ExecStart=)kvxtest (.*)\n"));
        const QRegularExpressionMatch zeile = exec.match(unit);
        QVERIFY(zeile.hasMatch());
        QStringList argumente = zeile.captured(1).split(u' ', Qt::SkipEmptyParts);
        QCOMPARE(optionenLesen(QStringList{QStringLiteral("kvxtest")} + argumente).aktion, Optionen::Aktion::Starten);

        const QStringList befehle = readmeBefehle(QStringLiteral("On a Raspberry Pi"));
        QVERIFY(!befehle.isEmpty());
        for (const QString& b : befehle) {
            QStringList worte = b.split(u' ', Qt::SkipEmptyParts);
            while (!worte.isEmpty() && (worte.first() == QLatin1String("sudo") || worte.first().contains(u'=')))
                worte.removeFirst();
            if (!worte.isEmpty() && worte.first() == QLatin1String("kvxtest"))
                QVERIFY2(optionenLesen(worte).aktion == Optionen::Aktion::Starten, qPrintable(b));
            for (const QString& w : worte)
                if (w.endsWith(QLatin1String(".service")))
                    QVERIFY2(QFile::exists(QStringLiteral(KVX_QUELLE "/packaging/") + w), qPrintable(b));
        }

        // Port 0: any free one.
        argumente.replaceInStrings(QRegularExpression(QStringLiteral(":\\d+$")), QStringLiteral(":0"));
        Programm prog(argumente);
        const QRegularExpression adresse(QStringLiteral("Web-Seite: (?:http://([0-9.]+):(\\d+)/\\?k=([0-9a-f]{32})\n"
                                                        "|noch ohne Adresse im Heimnetz)"));
        QTRY_VERIFY_WITH_TIMEOUT(adresse.match(QString::fromUtf8(prog.aus)).hasMatch() && prog.fehler.contains("Meldung:"),
                                 fixture::Prozesszeit);
        const QRegularExpressionMatch m = adresse.match(QString::fromUtf8(prog.aus));
        if (!m.captured(1).isEmpty()) {
            const QHostAddress host(m.captured(1));
            QVERIFY2(!host.isLoopback() && prog.aus.contains("QR-Code für ein helles Terminal:"), prog.aus.constData());
            QCOMPARE(httpStatus(quint16(m.captured(2).toUInt()), "/?k=" + m.captured(3).toLatin1(), host), 200);
        }
        // The card on the GPIO header: where the CPU has no I/O ports (arm64)
        // without anything in the settings, else by Port=GPIO (see Programm).
        if (QDir(QStringLiteral("/dev")).entryList({QStringLiteral("gpiochip*")}, QDir::System).isEmpty())
            QVERIFY2(prog.fehler.contains("Meldung: Kein Zugriff auf den GPIO-Baustein"), prog.fehler.constData());
        QCOMPARE(prog.beenden(), 0);
        ohneRauschen(prog.fehler);
    }

    // No display and neither --ohne-fenster nor --web: a German message, no core dump.
    void keinBildschirm()
    {
        Programm prog({QStringLiteral("--virtuell")});
        QVERIFY(prog.p.waitForFinished(fixture::Prozesszeit));
        QCOMPARE(prog.p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(prog.p.exitCode(), 2);
        QVERIFY2(prog.fehler.contains("Kein Bildschirm") && prog.fehler.contains("--ohne-fenster"),
                 prog.fehler.constData());
    }
};

QTEST_MAIN(OhneFensterTest)
#include "ohnefenster_test.moc"
