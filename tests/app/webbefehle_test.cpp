// The page's commands against the window on the virtual card: what takes
// the window time does not hold the page's messages up, the speed in the
// slider's unit, the supply and the occupancy as they are during runs,
// commands that say what they want, and the reader's answer form.
#include "fahrenpage.h"
#include "streckepage.h"
#include "verdrahtungsfenster.h"
#include "webseitenaufbau.h"

#include <QAction>
#include <QCheckBox>
#include <QJsonArray>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>

#include <cmath>
#include <functional>
#include <optional>
#include <utility>

using webtest::Aufbau;

class WebBefehleTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    // The answer to a mirrored message box, and refusals no command above shows.
    void leser()
    {
        struct Fall {
            QByteArray text;
            std::optional<web::Befehl> befehl;
            const char* fehler;   // part of the reason when refused
        };
        const auto befehl = [](web::Art art, int nr, bool an, const char* text) {
            web::Befehl b;
            b.art = art;
            b.nr = nr;
            b.an = an;
            (art == web::Art::Antwort ? b.knopf : b.gruppe) = QString::fromUtf8(text);
            return b;
        };
        const auto antwort = [&](int id, const char* knopf) { return befehl(web::Art::Antwort, id, false, knopf); };
        const std::vector<Fall> faelle{
            {R"({"befehl":"antwort","id":7,"knopf":"Ja"})", antwort(7, "Ja"), ""},
            {R"({"knopf":"Nein","befehl":"antwort","id":0})", antwort(0, "Nein"), ""},
            {R"({"befehl":"antwort","id":7})", {}, "keinen Knopf"},
            {R"({"befehl":"antwort","id":7,"knopf":""})", {}, "keinen Knopf"},
            {R"({"befehl":"antwort","id":-1,"knopf":"Ja"})", {}, "Die Nummer der Meldung muss eine ganze Zahl"},
            {R"({"befehl":"antwort","id":7,"knopf":"Ja","knopf":"Nein"})", {}, "zweimal"},
            {R"({"befehl":"takt","wert":0})", {}, "Der Takt muss eine Zahl von Sekunden sein"},
            {R"({"befehl":"lebt","x":{"a":1,"a":2}})", {}, "nicht dazugehört"},
            {R"({"befehl":"eingaben","an":true,"gruppe":"melder"})",
             befehl(web::Art::Eingaben, 0, true, "melder"), ""},
            {R"({"befehl":"eingaben","an":false})", befehl(web::Art::Eingaben, 0, false, ""), ""},
            {R"({"befehl":"eingaben","an":true})", {}, "braucht eine dieser Gruppen: melder, taster1"},
            {R"({"befehl":"eingaben","an":true,"gruppe":"weiche"})", {}, "braucht eine dieser Gruppen"},
            {R"({"befehl":"eingaben","an":false,"gruppe":"melder"})", {}, "nennt keine Gruppe"},
            {R"({"befehl":"nichtskam","nr":0})", {}, "Die Nummer, bei der nichts kam, muss eine ganze Zahl von 1 bis 1024"},
            {R"({"befehl":"zuruecknehmen","nr":5})", befehl(web::Art::Zuruecknehmen, 5, false, ""), ""},
            {R"({"befehl":"zuruecknehmen","nr":1025})", {}, "Die angezeigte Nummer muss eine ganze Zahl von 1 bis 1024"},
        };
        for (const Fall& f : faelle) {
            const web::Lesung l = web::befehlLesen(f.text);
            QVERIFY2(l.befehl == f.befehl, f.text.constData());
            QVERIFY2(l.fehler.contains(QString::fromUtf8(f.fehler)), qPrintable(l.fehler));
            QVERIFY2(!l.fehler.contains(QLatin1String("\"nr\"")) && !l.fehler.contains(QLatin1String("Befehl \"")), qPrintable(l.fehler));
        }
    }

    // The turn-round and the supply's start-up take seconds: the page's
    // messages are read meanwhile, so "Alles aus" right after is carried out
    // at once and the page stays connected.
    void allesAusWaehrendLangerBefehle()
    {
        const fixture::EchtePause echt;
        Aufbau a;
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        QTimer lebt;   // as the page does
        QObject::connect(&lebt, &QTimer::timeout, [&p] { p->ws.sendTextMessage(QStringLiteral(R"({"befehl":"lebt"})")); });
        lebt.start(300);
        // The page sends "Alles aus" as soon as the first command is taken,
        // and looks at the window when that is taken too.
        QString erster;
        std::function<void()> beimAllesAus;
        QObject::connect(&p->ws, &QWebSocket::textMessageReceived, [&](const QString& t) {
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            if (o[QStringLiteral("typ")].toString() != QLatin1String("ok"))
                return;
            const QString befehl = o[QStringLiteral("befehl")].toString();
            if (befehl == erster)
                p->ws.sendTextMessage(QStringLiteral(R"({"befehl":"allesAus"})"));
            else if (befehl == QLatin1String("allesAus") && beimAllesAus)
                std::exchange(beimAllesAus, nullptr)();
        });
        const auto mitAllesAus = [&](const QString& befehl, const QByteArray& text, std::function<void()> danach) {
            erster = befehl;
            beimAllesAus = std::move(danach);
            p->ws.sendTextMessage(QString::fromUtf8(text));
        };

        FahrenPage& f = *a.w().pFahren;
        a.w().pControl->setCurrentIndex(TfMain::SFahren);
        f.nrBlock->setValue(2);
        f.faTrack->setValue(64);
        QCOMPARE(p->senden(R"({"befehl":"fahrt","an":true})"), QStringLiteral("ok"));
        QTRY_VERIFY(a.s.karte.block(2).powered);
        bool gestopptInDerWende = false;
        mitAllesAus(QStringLiteral("richtung"), R"({"befehl":"richtung","vor":false})", [&] {
            gestopptInDerWende = f.faTrack->value() == 0 && !f.zugFaehrt() && !a.s.karte.block(2).powered;
        });
        QTRY_VERIFY(!beimAllesAus);
        QVERIFY(gestopptInDerWende);
        QTRY_VERIFY(!f.zustand().vorwaerts);
        QTRY_COMPARE(f.faTrack->value(), 64);   // the turn-round has ended
        QVERIFY(p->offen());
        QCOMPARE(p->senden(R"({"befehl":"tempo","nr":8})"), QStringLiteral("ok"));

        // The same while "SNT ein" starts up: the tick never begins.
        a.w().pControl->setCurrentIndex(TfMain::SMelder);
        const long kanten = a.s.karte.keepAlive().edges;
        long kantenBeimAllesAus = -1;
        mitAllesAus(QStringLiteral("snt"), R"({"befehl":"snt","an":true})",
                    [&] { kantenBeimAllesAus = a.s.karte.keepAlive().edges - kanten; });
        QTRY_VERIFY(!beimAllesAus);
        QVERIFY(kantenBeimAllesAus >= 0 && kantenBeimAllesAus < 21);   // before the start-up's pulses were all given
        QTRY_VERIFY(a.s.karte.ansicht().snt);
        QTRY_VERIFY(!a.s.karte.ansicht().snt);   // the start-up is over
        QVERIFY(!a.w().tiSNT->isActive() && a.w().mnuSNTein->isEnabled());
        QVERIFY(p->offen());
    }

    // The speed in the window's own unit, eighths of a step: the card is
    // driven at position / 8, the state reports the position.
    void tempoInAchteln()
    {
        struct Fall {
            int tempo;
            double stufe;   // averaged over the dither
        };
        for (const Fall& fall : {Fall{120, 15}, Fall{60, 7.5}, Fall{8, 1}}) {
            Aufbau a;
            auto p = a.seite();
            QTRY_VERIFY(p->offen());
            a.w().pControl->setCurrentIndex(TfMain::SFahren);
            QCOMPARE(p->senden(QStringLiteral(R"({"befehl":"tempo","nr":%1})").arg(fall.tempo).toUtf8()), QStringLiteral("ok"));
            QCOMPARE(p->senden(R"({"befehl":"fahrt","an":true})"), QStringLiteral("ok"));
            const auto stufe = [&a] { return a.s.karte.blockView(1, a.s.karte.now()).averagedSpeed; };
            QTRY_VERIFY2(std::abs(stufe() - fall.stufe) < 0.5, qPrintable(QString::number(stufe())));
            QTRY_COMPARE(p->letzte(QStringLiteral("zustand"))[QStringLiteral("fahren")][QStringLiteral("tempo")].toInt(), fall.tempo);
            QCOMPARE(p->letzte(QStringLiteral("zustand"))[QStringLiteral("fahren")][QStringLiteral("tempoMax")].toInt(), 120);
            a.w().mnuAllesAusClick();
        }
    }

    // During a drive run the supply is on; while it starts up the page
    // hears so; the page learns the computer's name.
    void zustandDerVersorgung()
    {
        Aufbau a;
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        const auto zustand = [&p](const char* feld) { return p->letzte(QStringLiteral("zustand")).value(QLatin1String(feld)); };
        QCOMPARE(zustand("rechner").toString(), QSysInfo::machineHostName());
        QVERIFY(!zustand("snt").toBool());
        a.w().pControl->setCurrentIndex(TfMain::SFahren);
        a.w().pFahren->faTrack->setValue(16);
        QCOMPARE(p->senden(R"({"befehl":"fahrt","an":true})"), QStringLiteral("ok"));
        QTRY_VERIFY(zustand("snt").toBool());
        QCOMPARE(p->senden(R"({"befehl":"fahrt","an":false})"), QStringLiteral("ok"));
        QTRY_VERIFY(!zustand("snt").toBool());
        {
            const fixture::EchtePause echt;
            a.w().pControl->setCurrentIndex(TfMain::SMelder);
            QCOMPARE(p->senden(R"({"befehl":"snt","an":true})"), QStringLiteral("ok"));
            QTRY_VERIFY(zustand("sntSchaltet").toBool());
            QVERIFY(!zustand("snt").toBool());
            QTRY_VERIFY(zustand("snt").toBool() && !zustand("sntSchaltet").toBool());
        }
        a.w().mnuAllesAusClick();
    }

    // The occupancy reaches the page while a route thread reads the inputs,
    // and every message carries the six groups as the layout has them now.
    void belegungWaehrendStreckeUndNachKarten()
    {
        Aufbau a;
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        const auto gruppen = [&p] { return p->letzte(QStringLiteral("belegung"))[QStringLiteral("gruppen")].toArray(); };
        const auto bits = [&gruppen](int g) { return gruppen().at(g)[QStringLiteral("bits")].toString(); };
        QTRY_COMPARE(gruppen().size(), 6);
        QCOMPARE(bits(2), QStringLiteral("00000000"));
        QCOMPARE(bits(5), QString());   // no cards of chain 1
        a.w().pConfig->spin(config::Taster1)->setValue(2);
        QTRY_COMPARE(bits(5), QString(64, QLatin1Char('0')));

        a.w().pControl->setCurrentIndex(TfMain::SStrecke);
        StreckePage& st = *a.w().pStrecke;
        QTest::mouseClick(st.stGO, Qt::LeftButton);
        QVERIFY(st.zugFaehrt());
        a.s.karte.setMelder(3, true);
        QTRY_COMPARE(bits(2), QStringLiteral("00100000"));
        QCOMPARE(p->letzte(QStringLiteral("belegung"))[QStringLiteral("gruppen")].toArray().at(2)[QStringLiteral("letzter")].toInt(), 3);
        a.w().mnuAllesAusClick();
        QVERIFY(!st.zugFaehrt());

        // Chain 1 removed on the Config page: the group stays, empty; a
        // detector card added: its group grows.
        a.w().pControl->setCurrentIndex(TfMain::SConfig);
        a.w().pConfig->spin(config::Taster1)->setValue(0);
        QTRY_COMPARE(bits(5), QString());
        QCOMPARE(gruppen().size(), 6);
        a.w().pConfig->spin(config::Melder)->setValue(2);
        QTRY_COMPARE(bits(2).size(), 16);
        QCOMPARE(bits(0), QStringLiteral("0000"));
        // A page that connects now gets the same.
        auto neu = a.seite();
        QTRY_VERIFY(!neu->letzte(QStringLiteral("belegung")).isEmpty());
        QCOMPARE(neu->letzte(QStringLiteral("belegung")), p->letzte(QStringLiteral("belegung")));
    }

    // A stop is a stop: two pages stopping one after the other leave the train
    // stopped. A refused change of page is followed by the state with the
    // page the window shows. An answer to a message box gets no reply here.
    void zweiSeitenUndAbgelehntes()
    {
        Aufbau a;
        auto p1 = a.seite();
        auto p2 = a.seite();
        QTRY_VERIFY(p1->offen() && p2->offen());
        FahrenPage& f = *a.w().pFahren;
        a.w().pControl->setCurrentIndex(TfMain::SFahren);
        f.faTrack->setValue(16);
        QCOMPARE(p1->senden(R"({"befehl":"fahrt","an":true})"), QStringLiteral("ok"));
        QTRY_VERIFY(a.s.karte.block(1).powered);
        QCOMPARE(p1->senden(R"({"befehl":"fahrt","an":false})"), QStringLiteral("ok"));
        QTRY_VERIFY(!f.zugFaehrt() && f.btnStop->isEnabled());   // the run has ended
        QCOMPARE(p2->senden(R"({"befehl":"fahrt","an":false})"), QStringLiteral("ok"));
        QVERIFY(!f.zugFaehrt());

        f.btnStop->click();
        QVERIFY(f.zugFaehrt());
        const qsizetype vorher = p1->nachrichten.size();
        QVERIFY(p1->senden(R"({"befehl":"seite","nr":1})").contains(QStringLiteral("solange ein Zug fährt")));
        QTRY_VERIFY(p1->nachrichten.size() > vorher + 1);
        QCOMPARE(p1->nachrichten.last()[QStringLiteral("typ")].toString(), QStringLiteral("zustand"));
        QCOMPARE(p1->nachrichten.last()[QStringLiteral("seite")].toInt(), int(TfMain::SFahren));
        a.w().mnuAllesAusClick();

        const qsizetype zuvor = p2->nachrichten.size();
        p2->ws.sendTextMessage(QStringLiteral(R"({"befehl":"antwort","id":1,"knopf":"Ja"})"));
        QCOMPARE(p2->senden(R"({"befehl":"seite","nr":1})"), QStringLiteral("ok"));
        const auto antworten = [&] {
            int n = 0;
            for (qsizetype i = zuvor; i < p2->nachrichten.size(); ++i)
                n += p2->nachrichten[i][QStringLiteral("typ")].toString() == QLatin1String("ok");
            return n;
        };
        QCOMPARE(antworten(), 1);
        QTRY_COMPARE(a.w().pControl->currentIndex(), int(TfMain::SMelder));
    }

    // The guided wiring check from the page: what it may not start or answer
    // now is refused with the reason and changes nothing in the window; a
    // repeated start or "Fertig" is harmless.
    void gefuehrtePruefungAbgelehnt()
    {
        Aufbau a;
        auto p = a.seite();
        QTRY_VERIFY(p->offen());
        auto* f = a.w().findChild<VerdrahtungsFenster*>();
        QVERIFY(f);
        f->zeiten.ruheZyklen = 1000;   // the rest check still runs when asked
        struct Fall {
            std::function<void()> vorher;
            QByteArray befehl;
            const char* antwort;   // "ok" or part of the reason
        };
        const std::vector<Fall> faelle{
            {{}, R"({"befehl":"eingaben","an":true,"gruppe":"taster1"})", "keine Taster der Tasterkette 1"},
            {{}, R"({"befehl":"nichtskam","nr":1})", "keine geführte Prüfung"},
            {[&] { a.w().pControl->setCurrentIndex(TfMain::SFahren); a.w().pFahren->btnStop->click(); },
             R"({"befehl":"eingaben","an":true,"gruppe":"melder"})", "Ein Zug fährt"},
            {[&] { a.w().mnuAllesAus->trigger(); f->cbBloecke->setChecked(true); f->btnStart->click(); },
             R"({"befehl":"eingaben","an":true,"gruppe":"melder"})", "wartet die Frage"},
            {[&] { f->btnNein->click(); f->cbBloecke->setChecked(false); f->btnStart->click(); },
             R"({"befehl":"eingaben","an":true,"gruppe":"melder"})", "läuft die Prüfung der Eingänge in Ruhe"},
            {{}, R"({"befehl":"eingaben","an":false})", "beendet die geführte Prüfung"},
            {[&] { a.w().mnuAllesAus->trigger(); QTRY_VERIFY(!f->laeuft()); f->zeiten.ruheZyklen = 5; },
             R"({"befehl":"eingaben","an":true,"gruppe":"blockbelegt"})", "ok"},
            {{}, R"({"befehl":"eingaben","an":true,"gruppe":"blockbelegt"})", "ok"},
            {{}, R"({"befehl":"eingaben","an":true,"gruppe":"melder"})", "Belegtmeldungen der Blöcke läuft schon"},
            {{}, R"({"befehl":"seite","nr":1})", "solange die Verdrahtung geprüft wird"},
            {[&] { QTRY_VERIFY(f->stand().gefuehrt); },   // after the guided check's own rest
             R"({"befehl":"nichtskam","nr":2})", "erwartet jetzt 1, nicht 2"},
            {{}, R"({"befehl":"zuruecknehmen","nr":1})", "noch keinen Druck"},
            {{}, R"({"befehl":"nichtskam","nr":1})", "ok"},
            {{}, R"({"befehl":"nichtskam","nr":1})", "erwartet jetzt 2, nicht 1"},
            {{}, R"({"befehl":"zuruecknehmen","nr":1})", "erwartet jetzt 2, nicht 1"},
            {{}, R"({"befehl":"zuruecknehmen","nr":2})", "ok"},
            {[&] { QCOMPARE(f->stand().erwartet, 1); }, R"({"befehl":"nichtskam","nr":1})", "ok"},
            {{}, R"({"befehl":"eingaben","an":false})", "ok"},
            {{}, R"({"befehl":"eingaben","an":false})", "ok"},
        };
        for (const Fall& fall : faelle) {
            if (fall.vorher)
                fall.vorher();
            const VerdrahtungsFenster::Stand vorher = f->stand();
            const QString antwort = p->senden(fall.befehl);
            QVERIFY2(antwort.contains(QString::fromUtf8(fall.antwort)), qPrintable(fall.befehl + " -> " + antwort));
            if (antwort != QLatin1String("ok")) {
                const VerdrahtungsFenster::Stand nachher = f->stand();
                QVERIFY2(nachher.laeuft == vorher.laeuft && nachher.erwartet == vorher.erwartet
                             && nachher.status == vorher.status && nachher.gruppe == vorher.gruppe,
                         fall.befehl.constData());
            }
        }
        QTRY_VERIFY(!f->laeuft());
        QVERIFY(f->stand().befunde.join(u'\n').contains(QStringLiteral("tot:blockbelegt:1")));
    }
};

QTEST_MAIN(WebBefehleTest)
#include "webbefehle_test.moc"
