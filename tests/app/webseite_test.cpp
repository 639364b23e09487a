// The web page's server against the main window on the virtual card, over
// loopback with a Qt WebSocket client: each command and each bad input, the
// access key and the origin, the limits, the live occupancy and the
// dead-man rule. KVX_BILD=datei.png keeps a picture of the Config page.
#include "automatikgruppe.h"
#include "fahrenpage.h"
#include "pruefberichtfenster.h"
#include "ledpage.h"
#include "webanbindung.h"
#include "webseitenaufbau.h"
#include "webserver.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QScrollBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <memory>

namespace {

using webtest::Aufbau;
using webtest::Seite;

// A plain HTTP request; the status code, 0 when the connection closed without one.
// The server runs in this thread: the test waits with the event loop running.
int httpStatus(quint16 port, const QByteArray& anfrage)
{
    QTcpSocket s;
    QByteArray antwort;
    QObject::connect(&s, &QTcpSocket::readyRead, [&] { antwort += s.readAll(); });
    s.connectToHost(QHostAddress::LocalHost, port);
    s.write(anfrage);
    QElapsedTimer uhr;
    uhr.start();
    while (!antwort.contains("\r\n") && uhr.elapsed() < 5000 && s.state() != QAbstractSocket::UnconnectedState)
        QTest::qWait(5);
    return antwort.startsWith("HTTP/1.1 ") ? antwort.mid(9, 3).toInt() : 0;
}

bool ledAn(const Start& s) { return !s.karte.litLeds(1).empty(); }

}  // namespace

class WebseiteTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }
    void cleanup() { meldungenOhneFenster(false); }   // a case without a screen may have failed midway

    // Each command, and each bad input, against the window on the virtual card.
    void befehle()
    {
        using Vorher = std::function<void(Aufbau&)>;
        using Pruefung = std::function<bool(Aufbau&)>;
        const auto seite = [](int nr) { return [nr](Aufbau& a) { a.w().pControl->setCurrentIndex(nr); }; };
        const auto ledWalk = [](Aufbau& a) {
            a.w().pControl->setCurrentIndex(TfMain::SLeds);
            QTest::mouseClick(a.w().pLeds->btnLed1, Qt::LeftButton);
            a.w().automatik(TfMain::SLeds)->sTakt->setValue(10);
        };
        const auto ledLaeuft = [ledWalk](Aufbau& a) {
            ledWalk(a);
            a.w().automatik(TfMain::SLeds)->umschalten();
        };
        const auto fahrt = [](Aufbau& a) {
            a.w().pControl->setCurrentIndex(TfMain::SFahren);
            a.w().pFahren->nrBlock->setValue(2);
            a.w().pFahren->faTrack->setValue(9);
            a.w().pFahren->btnStop->click();
        };
        const auto unveraendert = [](Aufbau& a) {
            return a.w().pControl->currentIndex() == TfMain::SConfig && !a.w().tiSNT->isActive();
        };
        // On the occupancy page, a modal dialog open.
        const auto dialogOffen = [](Aufbau& a) {
            a.w().pControl->setCurrentIndex(TfMain::SMelder);
            auto* d = new QDialog(&a.w());
            d->setAttribute(Qt::WA_DeleteOnClose);
            d->setModal(true);
            d->show();
        };
        struct Fall {
            const char* name;
            Vorher vorher;
            QByteArray nachricht;
            const char* antwort;   // "ok" or part of the error text
            Pruefung danach;
        };
        const std::vector<Fall> faelle{
            {"SNT ein", seite(TfMain::SMelder), R"({"befehl":"snt","an":true})", "ok",
             [](Aufbau& a) { return a.w().tiSNT->isActive() && a.w().mnuSNTaus->isEnabled(); }},
            {"SNT ein bei offenem Dialog", dialogOffen,
             R"({"befehl":"snt","an":true})", "Dialog offen",
             [](Aufbau& a) {
                 const bool aus = !a.w().tiSNT->isActive();
                 if (QWidget* d = QApplication::activeModalWidget())
                     d->close();
                 return aus;
             }},
            {"SNT ein bei offener Meldung ohne Bildschirm",
             [dialogOffen](Aufbau& a) {
                 meldungenOhneFenster(true);
                 dialogOffen(a);
             },
             R"({"befehl":"snt","an":true})", "Meldung des Programms ist offen; sie muss erst beantwortet",
             [](Aufbau& a) {
                 meldungenOhneFenster(false);
                 if (QWidget* d = QApplication::activeModalWidget())
                     d->close();
                 return !a.w().tiSNT->isActive();
             }},
            {"SNT ein auf Config", {}, R"({"befehl":"snt","an":true})", "nicht eingeschaltet werden", unveraendert},
            {"SNT aus ohne SNT", {}, R"({"befehl":"snt","an":false})", "nicht eingeschaltet", unveraendert},
            {"Seite Fahren", {}, R"({"befehl":"seite","nr":6})", "ok",
             [](Aufbau& a) { return a.w().pControl->currentIndex() == TfMain::SFahren; }},
            {"Seite Fahren bei SNT", [](Aufbau& a) { a.w().pControl->setCurrentIndex(TfMain::SMelder); a.w().mnuSNTeinClick(); },
             R"({"befehl":"seite","nr":6})", "nicht erreichbar",
             [](Aufbau& a) { return a.w().pControl->currentIndex() == TfMain::SMelder; }},
            {"Seite bei Fahrt", fahrt, R"({"befehl":"seite","nr":1})", "nicht gewechselt",
             [](Aufbau& a) { return a.w().pControl->currentIndex() == TfMain::SFahren; }},
            {"Start", ledWalk, R"({"befehl":"start","an":true})", "ok",
             [](Aufbau& a) { return a.w().automatik(TfMain::SLeds)->laeuft() && ledAn(a.s); }},
            {"Start, läuft schon", ledLaeuft, R"({"befehl":"start","an":true})", "ok",
             [](Aufbau& a) { return a.w().automatik(TfMain::SLeds)->laeuft(); }},
            {"Pause", ledLaeuft, R"({"befehl":"start","an":false})", "ok",
             [](Aufbau& a) { return !a.w().automatik(TfMain::SLeds)->laeuft() && a.w().automatik(TfMain::SLeds)->aktiv(); }},
            {"Pause ohne Start", ledWalk, R"({"befehl":"start","an":false})", "ok",
             [](Aufbau& a) { return !a.w().automatik(TfMain::SLeds)->aktiv(); }},
            {"Start ohne Automatik", seite(TfMain::SMelder), R"({"befehl":"start","an":true})", "keine Automatik", {}},
            {"Start ohne Kette", seite(TfMain::SLeds), R"({"befehl":"start","an":true})", "LED-Kette gewählt",
             [](Aufbau& a) { return !a.w().automatik(TfMain::SLeds)->aktiv(); }},
            {"Start ohne Signalkarten",
             [](Aufbau& a) {
                 a.w().pConfig->spin(config::Signale)->setValue(0);
                 a.w().pControl->setCurrentIndex(TfMain::SSignal);
             },
             R"({"befehl":"start","an":true})", "keine Signalkarten", {}},
            {"Start ohne Fahrt", seite(TfMain::SFahren), R"({"befehl":"start","an":true})", "erst die Fahrt starten", {}},
            {"Weiter", ledLaeuft, R"({"befehl":"weiter"})", "ok",
             [](Aufbau& a) { return a.s.karte.litLeds(1) == std::vector<int>{2}; }},
            {"Zurück", ledLaeuft, R"({"befehl":"zurueck"})", "ok",
             [](Aufbau& a) { return a.s.karte.litLeds(1) == std::vector<int>{32}; }},
            {"Weiter ohne Start", ledWalk, R"({"befehl":"weiter"})", "nicht gestartet",
             [](Aufbau& a) { return !a.w().automatik(TfMain::SLeds)->aktiv(); }},
            {"Fehlerhaft", ledLaeuft, R"({"befehl":"fehlerhaft"})", "ok",
             [](Aufbau& a) { return a.w().fBericht->bericht.fehlerhaft(Pruefbericht::Art::Led, 1, Pruefbericht::Ohne); }},
            {"Takt", ledWalk, R"({"befehl":"takt","wert":0.5})", "ok",
             [](Aufbau& a) { return a.w().automatik(TfMain::SLeds)->sTakt->value() == 0.5; }},
            {"Takt zu kurz", ledWalk, R"({"befehl":"takt","wert":0.1})", "Der Takt geht von 0,2 bis 10 Sekunden.",
             [](Aufbau& a) { return a.w().automatik(TfMain::SLeds)->sTakt->value() == 10; }},
            {"Takt zu lang", ledWalk, R"({"befehl":"takt","wert":10.5})", "von 0,2 bis 10 Sekunden", {}},
            {"Block", seite(TfMain::SFahren), R"({"befehl":"block","nr":2})", "ok",
             [](Aufbau& a) { return a.w().pFahren->nrBlock->value() == 2; }},
            {"Block zu groß", seite(TfMain::SFahren), R"({"befehl":"block","nr":5})", "Block 5 gibt es nicht",
             [](Aufbau& a) { return a.w().pFahren->nrBlock->value() == 1; }},
            {"Block bei Fahrt", fahrt, R"({"befehl":"block","nr":1})", "während der Fahrt",
             [](Aufbau& a) { return a.w().pFahren->nrBlock->value() == 2; }},
            {"Tempo", seite(TfMain::SFahren), R"({"befehl":"tempo","nr":7})", "ok",
             [](Aufbau& a) { return a.w().pFahren->faTrack->value() == 7; }},
            {"Tempo ohne Fahrseite", {}, R"({"befehl":"tempo","nr":7})", "nicht aufgeschlagen", unveraendert},
            {"Richtung", seite(TfMain::SFahren), R"({"befehl":"richtung","vor":false})", "ok",
             [](Aufbau& a) { return !a.w().pFahren->zustand().vorwaerts; }},
            {"Fahrt", [](Aufbau& a) { a.w().pControl->setCurrentIndex(TfMain::SFahren); a.w().pFahren->faTrack->setValue(9); },
             R"({"befehl":"fahrt","an":true})", "ok", [](Aufbau& a) { return a.w().pFahren->zugFaehrt() && a.s.karte.block(1).powered; }},
            {"Fahrt, fährt schon", fahrt, R"({"befehl":"fahrt","an":true})", "ok",
             [](Aufbau& a) { return a.w().pFahren->zugFaehrt() && a.s.karte.block(2).powered; }},
            {"Halt", fahrt, R"({"befehl":"fahrt","an":false})", "ok",
             [](Aufbau& a) { return !a.w().pFahren->zugFaehrt() && !a.s.karte.block(2).powered; }},
            {"Halt ohne Fahrt", seite(TfMain::SFahren), R"({"befehl":"fahrt","an":false})", "ok",
             [](Aufbau& a) { return !a.w().pFahren->zugFaehrt(); }},
            {"Alles aus", fahrt, R"({"befehl":"allesAus"})", "ok",
             [](Aufbau& a) { return !a.w().pFahren->zugFaehrt() && !a.s.karte.block(2).powered
                                    && a.w().statusText(0).contains(QStringLiteral("Fahrt gestoppt")); }},
            {"kein JSON", {}, "snt an", "JSON-Objekt", unveraendert},
            {"kein Objekt", {}, "[1,2]", "JSON-Objekt", unveraendert},
            {"ohne befehl", {}, R"({"an":true})", "nennt nicht, was getan werden soll", unveraendert},
            {"unbekannt", {}, R"({"befehl":"format"})", "Unbekannter Befehl", unveraendert},
            {"fremdes Feld", {}, R"({"befehl":"allesAus","pfad":"/etc"})", "eine Angabe, die nicht dazugehört", unveraendert},
            {"falscher Typ", seite(TfMain::SMelder), R"({"befehl":"snt","an":"ja"})", "ob das SNT ein- oder ausgeschaltet",
             [](Aufbau& a) { return !a.w().tiSNT->isActive(); }},
            {"Feld doppelt", seite(TfMain::SMelder), R"({"befehl":"snt","an":false,"an":true})", "zweimal",
             [](Aufbau& a) { return !a.w().tiSNT->isActive(); }},
            {"Feld doppelt, maskiert", seite(TfMain::SMelder), R"({"befehl":"snt","an":false,"\u0061n":true})", "zweimal",
             [](Aufbau& a) { return !a.w().tiSNT->isActive(); }},
            {"Zahl außerhalb", seite(TfMain::SFahren), R"({"befehl":"tempo","nr":121})", "Das Tempo muss eine ganze Zahl von 0 bis 120",
             [](Aufbau& a) { return a.w().pFahren->faTrack->value() == 0; }},
            {"keine ganze Zahl", seite(TfMain::SFahren), R"({"befehl":"block","nr":1.5})", "ganze Zahl",
             [](Aufbau& a) { return a.w().pFahren->nrBlock->value() == 1; }},
            {"zu lang", {}, "{\"befehl\":\"allesAus\",\"x\":\"" + QByteArray(5000, 'x') + "\"}", "zu lang", unveraendert},
        };
        for (const Fall& f : faelle) {
            Aufbau a;
            if (f.vorher)
                f.vorher(a);
            auto p = a.seite();
            QTRY_VERIFY2(p->offen(), f.name);
            const QString antwort = p->senden(f.nachricht);
            const QString erwartet = QString::fromUtf8(f.antwort);
            QVERIFY2(erwartet == QLatin1String("ok") ? antwort == erwartet : antwort.contains(erwartet),
                     qPrintable(QStringLiteral("%1: %2").arg(QString::fromUtf8(f.name), antwort)));
            if (f.danach)
                QTRY_VERIFY2(f.danach(a), f.name);
            a.w().mnuAllesAusClick();
        }
    }

    // Without the key, with a wrong one, from another origin, past the limits:
    // refused, and nothing changes.
    void sicherheit()
    {
        Aufbau a;
        a.w().pControl->setCurrentIndex(TfMain::SMelder);
        const quint16 port = a.server().port();
        const QByteArray k = a.server().schluessel();
        const QByteArray h = "Host: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
        QCOMPARE(k.size(), 32);   // 128 bits
        QCOMPARE(httpStatus(port, "GET /?k=" + k + " HTTP/1.1\r\n" + h + "\r\n"), 200);
        QCOMPARE(httpStatus(port, "GET / HTTP/1.1\r\n" + h + "\r\n"), 401);
        QCOMPARE(httpStatus(port, "GET /?k=" + QByteArray(32, '0') + " HTTP/1.1\r\n" + h + "\r\n"), 401);
        QCOMPARE(httpStatus(port, "GET /?k=" + k.left(31) + " HTTP/1.1\r\n" + h + "\r\n"), 401);
        QCOMPARE(httpStatus(port, "GET /seite.js HTTP/1.1\r\n" + h + "\r\n"), 401);
        // Nothing but the page's own files.
        for (const QByteArray pfad : {"/../../etc/passwd", "/%2e%2e/etc/passwd", "/web/index.html", "//etc/passwd", "/seite.js/"})
            QCOMPARE(httpStatus(port, "GET " + pfad + "?k=" + k + " HTTP/1.1\r\n" + h + "\r\n"), 404);
        QCOMPARE(httpStatus(port, "POST /?k=" + k + " HTTP/1.1\r\n" + h + "\r\n"), 405);
        QCOMPARE(httpStatus(port, "GET /?k=" + k + " HTTP/1.1\r\n" + h + QByteArray(9000, 'x')), 431);
        QVERIFY(!web::schluesselGleich("abc", "abd"));
        QVERIFY(!web::schluesselGleich("ab", "abc"));
        QVERIFY(web::schluesselGleich(k, a.server().schluessel()));

        // The WebSocket: wrong key, foreign origin, no origin.
        Seite falsch(a.server(), QByteArray(32, 'a'));
        Seite fremd(a.server(), k, QStringLiteral("http://boese.example"));
        Seite ohne(a.server(), k, QStringLiteral(""));
        const auto zu = [](const Seite& p) { return p.ws.state() == QAbstractSocket::UnconnectedState; };
        QTRY_VERIFY(zu(falsch) && zu(fremd) && zu(ohne));
        QCOMPARE(a.server().clients(), 0);

        // At most 8 pages.
        std::vector<std::unique_ptr<Seite>> seiten;
        for (int i = 0; i < 9; ++i)
            seiten.push_back(a.seite());
        const auto anzahl = [&](auto bedingung) { return int(std::count_if(seiten.begin(), seiten.end(), bedingung)); };
        QTRY_COMPARE(anzahl([](const auto& p) { return p->offen(); }), 8);
        QTRY_COMPARE(anzahl([&](const auto& p) { return zu(*p); }), 1);
        QCOMPARE(a.server().clients(), 8);

        // A new key ends every session.
        a.w().pConfig->btnSchluessel->click();
        QVERIFY(a.server().schluessel() != k);
        QTRY_COMPARE(a.server().clients(), 0);
        QVERIFY(a.w().pConfig->lWebAdresse->text().endsWith(QString::fromLatin1(a.server().schluessel())));
        QVERIFY(!a.w().pConfig->lQr->pixmap().isNull());
        // The address, the key and the QR code fit the window's first height.
        QVERIFY(a.w().minimumSizeHint().height() <= 602);
        if (const QString bild = qEnvironmentVariable("KVX_BILD"); !bild.isEmpty()) {   // the README's picture
            a.w().pControl->setCurrentIndex(TfMain::SConfig);
            QVERIFY(a.w().grab().save(bild));
        }
        seiten.clear();

        // More than 50 commands a second: dropped; the supply stays off.
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        for (int i = 0; i < 60; ++i)
            p->ws.sendTextMessage(QStringLiteral(R"({"befehl":"snt","an":false})"));
        QTRY_VERIFY(!p->offen());
        QVERIFY(p->letzte(QStringLiteral("fehler"))[QStringLiteral("text")].toString().contains(QStringLiteral("Mehr als 50")));
        QVERIFY(!a.w().tiSNT->isActive());
    }

    // The grid follows the card within a tick or two; the page also gets the
    // supply and the walk as the window shows them.
    void liveBelegung()
    {
        Aufbau a;
        a.w().pControl->setCurrentIndex(TfMain::SLeds);
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        QVERIFY(p->senden(R"({"befehl":"snt","an":true})") == QLatin1String("ok"));
        QTRY_VERIFY(p->letzte(QStringLiteral("zustand"))[QStringLiteral("snt")].toBool());
        const auto bits = [&](int g) {
            const QJsonArray gruppen = p->letzte(QStringLiteral("belegung"))[QStringLiteral("gruppen")].toArray();
            return gruppen.at(g).toObject();
        };
        QTRY_COMPARE(bits(0)[QStringLiteral("bits")].toString(), QStringLiteral("0000"));
        a.s.karte.setBlockOccupied(2, true);
        QTRY_COMPARE(bits(0)[QStringLiteral("bits")].toString(), QStringLiteral("0100"));
        QCOMPARE(bits(0)[QStringLiteral("letzter")].toInt(), 2);
        a.s.karte.setHBlockOccupied(3, true);
        QTRY_COMPARE(bits(1)[QStringLiteral("letzter")].toInt(), 203);
        a.s.karte.setMelder(5, true);
        QTRY_COMPARE(bits(2)[QStringLiteral("bits")].toString(), QStringLiteral("00001000"));
        a.s.karte.setBlockButton(3, true);
        QTRY_COMPARE(bits(3)[QStringLiteral("bits")].toString(), QStringLiteral("00100000"));
        // Esc in the window: the page sees the supply off.
        a.w().mnuAllesAus->trigger();
        QTRY_VERIFY(!p->letzte(QStringLiteral("zustand"))[QStringLiteral("snt")].toBool());
    }

    // A run or a walk the page started stops when the page goes or is hidden,
    // and the status bar says why.
    void totmann()
    {
        struct Fall {
            bool walk;
            bool verbergen;
            const char* grund;
        };
        for (const Fall& f : {Fall{false, false, "Verbindung getrennt: Fahrt gestoppt."},
                              Fall{false, true, "Web-Seite verborgen: Fahrt gestoppt."},
                              Fall{true, false, "Verbindung getrennt: Automatik gestoppt."},
                              Fall{true, true, "Web-Seite verborgen: Automatik gestoppt."}}) {
            Aufbau a;
            auto p = a.seite();
            QTRY_VERIFY(p->offen());
            if (f.walk) {
                a.w().pControl->setCurrentIndex(TfMain::SLeds);
                QTest::mouseClick(a.w().pLeds->btnLed1, Qt::LeftButton);
                QCOMPARE(p->senden(R"({"befehl":"start","an":true})"), QStringLiteral("ok"));
                QTRY_VERIFY(ledAn(a.s));
            } else {
                a.w().pControl->setCurrentIndex(TfMain::SFahren);
                a.w().pFahren->faTrack->setValue(9);
                QCOMPARE(p->senden(R"({"befehl":"fahrt","an":true})"), QStringLiteral("ok"));
                QTRY_VERIFY(a.s.karte.block(1).powered);
            }
            if (f.verbergen)
                p->ws.sendTextMessage(QStringLiteral(R"({"befehl":"sichtbar","an":false})"));
            else
                p->ws.abort();
            QTRY_VERIFY(!a.w().pFahren->zugFaehrt() && !a.w().automatik(TfMain::SLeds)->aktiv());
            QVERIFY(!a.s.karte.block(1).powered && !ledAn(a.s));
            QCOMPARE(a.w().statusText(0), QStringLiteral(" ") + QString::fromUtf8(f.grund));
        }
        // A page that goes silent counts as gone; the window's own run stays.
        Aufbau a;
        a.w().pControl->setCurrentIndex(TfMain::SFahren);
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        a.w().pFahren->btnStop->click();
        QVERIFY(a.w().pFahren->zugFaehrt());
        QTRY_VERIFY_WITH_TIMEOUT(a.server().clients() == 0, 10000);   // the test client never says "lebt"
        QVERIFY(a.w().pFahren->zugFaehrt());
        a.w().mnuAllesAusClick();
    }

    // The address field of the Config page: a bad one is said and changes
    // nothing; only "aus" turns the page off, asked first while pages are
    // connected; an emptied field leaves it on.
    void einstellung()
    {
        Aufbau a;
        QLineEdit* feld = a.w().pConfig->eWeb;
        const auto eingeben = [feld](const QString& text) {
            feld->setText(text);
            Q_EMIT feld->editingFinished();
        };
        eingeben(QStringLiteral("nirgends:99999"));
        QCOMPARE(a.s.meldungen.size(), 1);
        QVERIFY(a.s.meldungen.first().contains(QStringLiteral("keine Adresse")));
        QVERIFY(a.server().laeuft());
        eingeben(QString());   // Enter in the empty field: the address came from the command line
        QVERIFY(a.server().laeuft());
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        eingeben(QStringLiteral("aus"));   // "Nein"
        QTRY_COMPARE(a.s.fragen.size(), 1);
        QVERIFY(a.s.fragen.first().contains(QStringLiteral("Eine Web-Seite ist verbunden")));
        QVERIFY(a.server().laeuft() && p->offen());
        QCOMPARE(feld->text(), QString());   // as it was: the address came from the command line
        a.s.antwort = true;
        eingeben(QStringLiteral("Aus"));
        QTRY_VERIFY(!a.server().laeuft());
        QCOMPARE(a.s.fragen.size(), 2);
        QCOMPARE(a.w().pConfig->lWebAdresse->text(), QStringLiteral("Web-Seite aus"));
        QCOMPARE(feld->text(), QString());
        eingeben(QStringLiteral("127.0.0.1:0"));
        QVERIFY(a.server().laeuft());
        eingeben(QString());   // the address cleared: still on, and said how to turn it off
        QVERIFY(a.server().laeuft());
        QCOMPARE(feld->text(), QStringLiteral("127.0.0.1:0"));
        QVERIFY(a.w().statusText(0).contains(QStringLiteral("„aus“ eingeben")));
        // The field's tooltip says the same: "aus" turns it off, not an empty field.
        QVERIFY(feld->toolTip().contains(QStringLiteral("„aus“")) && !feld->toolTip().contains(QStringLiteral("leer")));
        eingeben(QStringLiteral("aus"));   // no page connected: off without asking
        QTRY_VERIFY(!a.server().laeuft());
        QCOMPARE(a.s.fragen.size(), 2);
        eingeben(QStringLiteral("127.0.0.1:0"));
        a.w().pControl->setCurrentIndex(TfMain::SMelder);   // leaving Config writes the settings
        QVERIFY(a.s.ini().contains("Web=127.0.0.1:0"));
    }
};

QTEST_MAIN(WebseiteTest)
#include "webseite_test.moc"
