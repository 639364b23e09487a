// The program itself without a screen, as on a Raspberry Pi reached by SSH:
// the page is served while the start's boxes wait for it and answer them;
// without the page they take their default; a busy port holds nothing up;
// every phase ends in order on SIGTERM.
#include "fensterstart.h"

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
        for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(v));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        QObject::connect(&p, &QProcess::readyReadStandardOutput, [this] { aus += p.readAllStandardOutput(); });
        QObject::connect(&p, &QProcess::readyReadStandardError, [this] { fehler += p.readAllStandardError(); });
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

int httpStatus(quint16 port, const QByteArray& pfad)
{
    QTcpSocket s;
    QByteArray antwort;
    QObject::connect(&s, &QTcpSocket::readyRead, [&] { antwort += s.readAll(); });
    s.connectToHost(QHostAddress::LocalHost, port);
    s.write("GET " + pfad + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n\r\n");
    (void)QTest::qWaitFor([&] { return antwort.contains("\r\n") || s.state() == QAbstractSocket::UnconnectedState; }, fixture::Prozesszeit);
    return antwort.startsWith("HTTP/1.1 ") ? antwort.mid(9, 3).toInt() : 0;
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
        QVERIFY2(prog.aus.contains("\u2588\u2588\u2588\u2588"), prog.aus.constData());   // the QR code

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
    }

    // A port already in use: the start goes on without a box, the reason on
    // standard error (and in the status bar); SIGTERM ends it.
    void besetzterPort()
    {
        QTcpServer besetzt;
        QVERIFY(besetzt.listen(QHostAddress::LocalHost));
        const QString adresse = QStringLiteral("127.0.0.1:%1").arg(besetzt.serverPort());
        Programm prog({QStringLiteral("--virtuell"), QStringLiteral("--web"), adresse, QStringLiteral("-platform"),
                       QStringLiteral("offscreen")},
                      true);
        QTRY_VERIFY_WITH_TIMEOUT(prog.fehler.contains("Die Web-Seite kann nicht an " + adresse.toLatin1() + " starten"),
                                 fixture::Prozesszeit);
        QCOMPARE(prog.beenden(), 0);
        QVERIFY2(!prog.fehler.contains("Meldung:"), prog.fehler.constData());
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
