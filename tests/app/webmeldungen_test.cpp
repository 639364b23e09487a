// The program's boxes on the web page: mirrored to every page, answered from
// a page or the window, closed everywhere; without a screen answered at once
// when no page can answer. The lasting key: its file, the setting and the
// Config page's box. The QR code for the terminal.
#include "fensterstart.h"
#include "kvxhard.h"
#include "ohnevorrecht.h"
#include "qrbild.h"
#include "schluesseldatei.h"
#include "webanbindung.h"
#include "webmeldungen.h"
#include "webschluessel.h"
#include "webserver.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QScopeGuard>
#include <QTimer>
#include <QWebSocket>

#include <sys/stat.h>

#include <functional>
#include <memory>
#include <utility>

namespace {

// One page over loopback: every message it got; beiMeldung runs for each "meldung".
struct Seite {
    explicit Seite(const web::WebServer& server) : ws(QStringLiteral("http://127.0.0.1:%1").arg(server.port()))
    {
        QObject::connect(&ws, &QWebSocket::textMessageReceived, [this](const QString& t) {
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            nachrichten << o;
            if (o[QStringLiteral("typ")].toString() == QLatin1String("meldung") && beiMeldung)
                beiMeldung(o);
        });
        ws.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2")
                         .arg(server.port())
                         .arg(QString::fromLatin1(server.schluessel()))));
    }
    void antworten(int id, const QString& knopf)
    {
        ws.sendTextMessage(QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("befehl"), QStringLiteral("antwort")},
                                                                       {QStringLiteral("id"), id},
                                                                       {QStringLiteral("knopf"), knopf}})
                                                 .toJson(QJsonDocument::Compact)));
    }
    // The messages of that type, in order.
    QList<QJsonObject> alle(const QString& typ) const
    {
        QList<QJsonObject> l;
        for (const QJsonObject& o : nachrichten)
            if (o[QStringLiteral("typ")].toString() == typ)
                l << o;
        return l;
    }
    QWebSocket ws;
    QList<QJsonObject> nachrichten;
    std::function<void(const QJsonObject&)> beiMeldung;
};

struct Server {
    Server()
    {
        QVERIFY(server.starten(QStringLiteral("127.0.0.1:0")).isEmpty());
        spiegel.gebunden();
    }
    std::unique_ptr<Seite> seite()
    {
        const int vorher = server.clients();
        auto s = std::make_unique<Seite>(server);
        const bool offen = QTest::qWaitFor([&] {
            return server.clients() == vorher + 1 && s->ws.state() == QAbstractSocket::ConnectedState;
        });
        return offen ? std::move(s) : nullptr;
    }
    web::WebServer server;
    WebMeldungen spiegel{server};
};

// Closes a box left open, so that a failing test cannot hang on it.
struct Wache {
    Wache()
    {
        t.setInterval(10000);
        QObject::connect(&t, &QTimer::timeout, [this] {
            if (QWidget* w = QApplication::activeModalWidget()) {
                haengt = true;
                qobject_cast<QDialog*>(w)->done(QMessageBox::No);
            }
        });
        t.start();
    }
    QTimer t;
    bool haengt = false;
};

mode_t modus(const QString& pfad)
{
    struct stat st {};
    return ::stat(QFile::encodeName(pfad).constData(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

class WebMeldungenTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    // A box on two pages, the second connecting while it is open; the first
    // answer, from a page or the window, closes it everywhere; a later
    // answer and a button the box does not have are refused.
    void gespiegeltUndBeantwortet_data()
    {
        QTest::addColumn<bool>("frage");
        QTest::addColumn<QString>("falsch");    // a button sent first, refused; empty: none
        QTest::addColumn<QString>("knopf");     // the answer; empty: the window answers "Ja"
        QTest::addColumn<bool>("ergebnis");
        QTest::newRow("Meldung, OK vom Telefon") << false << "" << "OK" << false;
        QTest::newRow("Frage, Ja vom Telefon") << true << "" << "Ja" << true;
        QTest::newRow("Frage, Nein vom Telefon") << true << "" << "Nein" << false;
        QTest::newRow("Frage, erst ein Knopf, den sie nicht hat") << true << "OK" << "Ja" << true;
        QTest::newRow("Frage, im Fenster beantwortet") << true << "" << "" << true;
    }
    void gespiegeltUndBeantwortet()
    {
        QFETCH(bool, frage);
        QFETCH(QString, falsch);
        QFETCH(QString, knopf);
        QFETCH(bool, ergebnis);
        Server s;
        auto a = s.seite();
        std::unique_ptr<Seite> b;
        Wache wache;
        int id = 0;
        // Run from the box's own event loop, not inside the page's handler.
        std::function<void(const QJsonObject&)> nachMeldung;
        a->beiMeldung = [&](const QJsonObject& m) { QTimer::singleShot(0, [&, m] { nachMeldung(m); }); };
        nachMeldung = [&](const QJsonObject& m) {
            id = m[QStringLiteral("id")].toInt();
            QCOMPARE(m[QStringLiteral("text")].toString(), QStringLiteral("Weiter?"));
            const QStringList knoepfe = frage ? QStringList{QStringLiteral("Ja"), QStringLiteral("Nein")}
                                              : QStringList{QStringLiteral("OK")};
            QCOMPARE(m[QStringLiteral("knoepfe")].toArray(), QJsonArray::fromStringList(knoepfe));
            b = s.seite();   // gets the open box at once
            QVERIFY(b);
            QTRY_COMPARE(b->alle(QStringLiteral("meldung")).size(), 1);
            QCOMPARE(b->alle(QStringLiteral("meldung")).first(), m);
            if (!falsch.isEmpty()) {
                a->antworten(id, falsch);
                QTRY_COMPARE(a->alle(QStringLiteral("fehler")).size(), 1);
                QCOMPARE(a->alle(QStringLiteral("fehler")).first()[QStringLiteral("text")].toString(),
                         QStringLiteral("Die Meldung hat keinen Knopf \"%1\".").arg(falsch));
            }
            if (!knopf.isEmpty()) {
                a->antworten(id, knopf);
            } else {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                box->button(QMessageBox::Yes)->click();
            }
        };
        const bool antwort = frage ? questionBoxSink(nullptr)(QStringLiteral("Weiter?"))
                                   : (messageBoxSink(nullptr)(QStringLiteral("Weiter?")), false);
        QVERIFY(!wache.haengt);
        QCOMPARE(antwort, ergebnis);
        QVERIFY(id > 0 && b);
        for (Seite* p : {a.get(), b.get()})
            QTRY_COMPARE(p->alle(QStringLiteral("meldungZu")),
                         QList<QJsonObject>{QJsonObject({{QStringLiteral("typ"), QStringLiteral("meldungZu")},
                                                         {QStringLiteral("id"), id}})});
        if (!knopf.isEmpty())
            QTRY_COMPARE(a->alle(QStringLiteral("ok")).size(), 1);
        b->antworten(id, QStringLiteral("Nein"));
        QTRY_COMPARE(b->alle(QStringLiteral("fehler")).size(), 1);
        QCOMPARE(b->alle(QStringLiteral("fehler")).first()[QStringLiteral("text")].toString(),
                 QStringLiteral("Diese Meldung ist schon beantwortet."));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Without a screen a box waits only where a page can answer it: with
    // the web page off it takes its default at once; the program's other
    // commands wait for the window.
    void ohneBildschirm()
    {
        meldungenOhneFenster(true);
        const auto zurueck = qScopeGuard([] { meldungenOhneFenster(false); });
        Wache wache;
        {
            web::WebServer aus;
            WebMeldungen spiegel(aus);
            messageBoxSink(nullptr)(QStringLiteral("Datei fehlt"));
            QVERIFY(!questionBoxSink(nullptr)(QStringLiteral("Bericht verwerfen?")));
            QVERIFY(!wache.haengt);
        }
        web::WebServer server;
        QVERIFY(server.starten(QStringLiteral("127.0.0.1:0")).isEmpty());
        WebMeldungen spiegel(server);
        Seite p(server);
        QTRY_COMPARE(p.ws.state(), QAbstractSocket::ConnectedState);
        p.ws.sendTextMessage(QStringLiteral(R"({"befehl":"snt","an":true})"));
        QTRY_COMPARE(p.alle(QStringLiteral("fehler")).size(), 1);
        QVERIFY(p.alle(QStringLiteral("fehler")).first()[QStringLiteral("text")].toString().contains(
            QStringLiteral("startet noch")));
        p.beiMeldung = [&p](const QJsonObject& m) { p.antworten(m[QStringLiteral("id")].toInt(), QStringLiteral("Ja")); };
        QVERIFY(questionBoxSink(nullptr)(QStringLiteral("Bericht verwerfen?")));
        QVERIFY(!wache.haengt);
    }

    // "Alles aus" from the page before the window takes commands: before the
    // window it has nothing to stop; while the start's box waits it resets
    // the card's chains (a block left powered goes off) and says so; other
    // commands still wait for the window.
    void allesAusImStart()
    {
        web::WebServer server;
        QVERIFY(server.starten(QStringLiteral("127.0.0.1:0")).isEmpty());
        WebMeldungen spiegel(server);
        TfMain* imAufbau = nullptr;
        spiegel.startAus = [&imAufbau] { return imAufbau ? imAufbau->startAllesAus() : QString(); };
        Seite p(server);
        QTRY_COMPARE(p.ws.state(), QAbstractSocket::ConnectedState);
        const auto antwort = [&p](const char* befehl) {
            const qsizetype vorher = p.nachrichten.size();
            p.ws.sendTextMessage(QString::fromLatin1(befehl));
            if (!QTest::qWaitFor([&] { return p.nachrichten.size() > vorher; }))
                return QJsonObject();
            return p.nachrichten.last();
        };
        QJsonObject a = antwort(R"({"befehl":"allesAus"})");
        QCOMPARE(a[QStringLiteral("typ")].toString(), QStringLiteral("ok"));
        QVERIFY(a[QStringLiteral("text")].toString().contains(QStringLiteral("nichts eingeschaltet")));

        QTemporaryDir ohneDaten;   // the start's box: the data set is missing
        VirtualCard karte;
        MainOptions o;
        o.programmPfad = ohneDaten.path();
        o.backend = &karte;
        o.imAufbau = [&imAufbau](TfMain& t) { imAufbau = &t; };
        bool imKasten = false;
        o.meldung = [&](const QString& text) {
            if (!text.contains(QStringLiteral("QJ.DMA")) || std::exchange(imKasten, true))
                return;
            imAufbau->kvx->BlockSetzen(2, 1, 1, 15);
            QVERIFY(karte.block(2).powered);
            a = antwort(R"({"befehl":"allesAus"})");
            QCOMPARE(a[QStringLiteral("typ")].toString(), QStringLiteral("ok"));
            QVERIFY2(a[QStringLiteral("text")].toString().contains(QStringLiteral("Ketten der Karte sind zurückgesetzt")),
                     qPrintable(a[QStringLiteral("text")].toString()));
            QCOMPARE(karte.block(2), VirtualCard::BlockState{});
            a = antwort(R"({"befehl":"snt","an":true})");
            QVERIFY(a[QStringLiteral("text")].toString().contains(QStringLiteral("startet noch")));
        };
        TfMain w(std::move(o));
        QVERIFY(imKasten);
    }

    // A box that a page's own command opens (the settings file cannot be
    // written when the page leaves Config) is answered by that same page.
    void befehlOeffnetMeldung()
    {
        Start s;
        s.beiMeldung = [&s] { messageBoxSink(nullptr)(s.meldungen.last()); };
        Server w;
        WebAnbindung anbindung(*s.fenster, QStringLiteral("127.0.0.1:0"), &w.server);
        auto p = w.seite();
        QVERIFY(p);
        p->beiMeldung = [&p](const QJsonObject& m) { p->antworten(m[QStringLiteral("id")].toInt(), QStringLiteral("OK")); };
        Wache wache;
        QVERIFY(QFile::remove(s.iniPfad()) && QDir().mkdir(s.iniPfad()));   // refused, never written
        p->ws.sendTextMessage(QStringLiteral(R"({"befehl":"seite","nr":1})"));
        QTRY_COMPARE(p->alle(QStringLiteral("ok")).size(), 2);   // the answer's and the command's
        QVERIFY(!wache.haengt);
        QCOMPARE(p->alle(QStringLiteral("meldungZu")).size(), 1);
        QCOMPARE(s.fenster->pControl->currentIndex(), int(TfMain::SMelder));
        QCOMPARE(s.meldungen.size(), 1);
    }

    // The key file: owner only, read back; one that is no key or that
    // others may read is not taken; a failed write leaves the old file.
    void schluesselDatei()
    {
        QTemporaryDir dir;
        const web::SchluesselDatei d(dir.filePath(QStringLiteral("kvxtest/webschluessel")));
        QString fehler;
        QVERIFY(d.lesen(&fehler).isEmpty() && fehler.isEmpty());
        const QByteArray k = web::neuerSchluessel();
        QCOMPARE(d.schreiben(k), QString());
        QCOMPARE(modus(d.pfad()), mode_t(0600));
        QCOMPARE(d.lesen(&fehler), k);

        const struct {
            QByteArray inhalt;
            mode_t modus;
            const char* grund;
        } schlecht[] = {
            {"xyz\n", 0600, "32 Hex-Ziffern"},
            {k.toUpper() + '\n', 0600, "32 Hex-Ziffern"},
            {k + '\n', 0644, "Andere Benutzer"},
        };
        for (const auto& f : schlecht) {
            fixture::schreiben(d.pfad(), f.inhalt);
            QVERIFY(::chmod(QFile::encodeName(d.pfad()).constData(), f.modus) == 0);
            fehler.clear();
            QVERIFY(d.lesen(&fehler).isEmpty());
            QVERIFY2(fehler.contains(QLatin1String(f.grund)), qPrintable(fehler));
        }

        QCOMPARE(d.schreiben(k), QString());
        {
            const OhneVorrecht ohne;
            QVERIFY(QFile::setPermissions(QFileInfo(d.pfad()).path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            fehler = d.schreiben(web::neuerSchluessel());
            QFile::setPermissions(QFileInfo(d.pfad()).path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        }
        QVERIFY2(fehler.startsWith(QStringLiteral("Der Zugangsschlüssel kann nicht in")), qPrintable(fehler));
        QCOMPARE(d.lesen(), k);
        QCOMPARE(d.entfernen(), QString());
        QVERIFY(!QFile::exists(d.pfad()));
    }

    // WebSchluessel=fest keeps the key from one start to the next; the
    // Config page's box switches it, "Neuer Schlüssel" replaces the kept one.
    void schluesselBleibt()
    {
        Start s("[Sonstiges]\nWebSchluessel=fest\n");
        QTemporaryDir dir;
        const QString datei = dir.filePath(QStringLiteral("webschluessel"));
        QByteArray erster;
        for (int start = 0; start < 2; ++start) {
            web::WebServer server;
            WebSchluessel w(server, s.iniPfad(), datei);
            QCOMPARE(w.laden(), QString());
            QVERIFY(w.fest());
            if (start == 0)
                erster = server.schluessel();
            QCOMPARE(server.schluessel(), erster);
        }

        web::WebServer server;
        fixture::schreiben(s.iniPfad(), "[Sonstiges]\nWebSchluessel=ja\n");
        WebSchluessel w(server, s.iniPfad(), datei);
        QVERIFY(w.laden().contains(QStringLiteral("gültig sind neu")));
        QVERIFY(!w.fest());
        QVERIFY(server.schluessel() != erster);
        WebAnbindung anbindung(*s.fenster, QStringLiteral("127.0.0.1:0"), &server);
        w.anbinden(*s.fenster);
        QCheckBox* box = s.cfg()->cbSchluesselFest;
        QVERIFY(!box->isChecked());
        box->click();
        QVERIFY(w.fest());
        QVERIFY(s.ini().contains("WebSchluessel=fest"));
        QCOMPARE(web::SchluesselDatei(datei).lesen(), server.schluessel());
        s.cfg()->btnSchluessel->click();
        QCOMPARE(web::SchluesselDatei(datei).lesen(), server.schluessel());
        box->click();
        QVERIFY(!w.fest() && !QFile::exists(datei));
        QVERIFY(s.ini().contains("WebSchluessel=neu"));
        QVERIFY(s.meldungen.isEmpty());
    }

    // The terminal's QR code draws the same modules as the Config page's
    // picture: a light module a block, two rows a line.
    void qrImTerminal()
    {
        const QString url = QStringLiteral("http://192.168.178.20:8080/?k=0123456789abcdef0123456789abcdef");
        const QImage bild = qrBild(url, 1);
        const QStringList zeilen = qrText(url).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(zeilen.size(), (bild.height() + 1) / 2);
        for (int z = 0; z < zeilen.size(); ++z) {
            QCOMPARE(zeilen[z].size(), bild.width());
            for (int x = 0; x < bild.width(); ++x) {
                const bool oben = bild.pixelIndex(x, 2 * z) == 0;
                const bool unten = 2 * z + 1 < bild.height() && bild.pixelIndex(x, 2 * z + 1) == 0;
                const QChar soll = oben ? (unten ? u'\u2588' : u'\u2580') : (unten ? u'\u2584' : u' ');
                QCOMPARE(zeilen[z][x], soll);
            }
        }
    }
};

QTEST_MAIN(WebMeldungenTest)
#include "webmeldungen_test.moc"
