// The program's boxes on the web page: mirrored to every page, answered from
// a page or the window, closed everywhere; without a screen answered at once
// when no page can answer. The lasting key: its file, the setting and the
// Config page's box. The QR code for the terminal and the journal, and the
// addresses printed there.
#include "fensterstart.h"
#include "kvxhard.h"
#include "ohnevorrecht.h"
#include "qrbild.h"
#include "schluesseldatei.h"
#include "webanbindung.h"
#include "webausgabe.h"
#include "webmeldungen.h"
#include "webschluessel.h"
#include "webserver.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QScopeGuard>
#include <QTimer>
#include <QWebSocket>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <utility>

namespace {

// The lines as a terminal with text colour schrift on grund draws them: each
// character a cell of 6 x 12 pixels, a half block filling its half with the
// text colour; SGR 30 (black text), 47 (white ground) and 0 set the colours.
// Other characters are left as the ground.
QImage terminalBild(const QString& text, QRgb schrift, QRgb grund)
{
    constexpr int B = 6, H = 12, Rand = 2;
    const QStringList zeilen = text.split(u'\n');
    QImage bild((90 + 2 * Rand) * B, int(zeilen.size() + 2 * Rand) * H, QImage::Format_RGB32);
    bild.fill(grund);
    QPainter maler(&bild);
    for (int y = 0; y < zeilen.size(); ++y) {
        QRgb vorne = schrift, hinten = grund;
        const QString& z = zeilen[y];
        int x = 0;
        for (int i = 0; i < z.size(); ++i) {
            if (z[i] == u'\x1b') {
                const int ende = int(z.indexOf(u'm', i));
                for (const QString& code : z.mid(i + 2, ende - i - 2).split(u';')) {
                    if (code == QLatin1String("0"))
                        vorne = schrift, hinten = grund;
                    else if (code == QLatin1String("30"))
                        vorne = qRgb(0, 0, 0);
                    else if (code == QLatin1String("47"))
                        hinten = qRgb(0xe5, 0xe5, 0xe5);
                }
                i = ende;
                continue;
            }
            const bool oben = z[i] == u'\u2588' || z[i] == u'\u2580';
            const bool unten = z[i] == u'\u2588' || z[i] == u'\u2584';
            maler.fillRect((x + Rand) * B, (y + Rand) * H, B, H / 2, QColor(oben ? vorne : hinten));
            maler.fillRect((x + Rand) * B, (y + Rand) * H + H / 2, B, H / 2, QColor(unten ? vorne : hinten));
            ++x;
        }
    }
    return bild;
}

// What zbarimg reads in the picture, one text a line; empty for nothing.
QStringList entziffern(const QImage& bild, const QString& ordner, const QString& name)
{
    const QString datei = ordner + u'/' + name + QStringLiteral(".png");
    if (!bild.save(datei))
        return {QStringLiteral("nicht gespeichert")};
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--quiet"), QStringLiteral("--raw"), datei});
    if (!p.waitForFinished(60000))
        return {QStringLiteral("zbarimg endet nicht")};
    return QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

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
    // answer, a button the box does not have, and a box that never was are
    // refused, each with its own reason.
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
        // Answered already, never opened, no id at all.
        b->antworten(id, QStringLiteral("Nein"));
        b->antworten(id + 1, QStringLiteral("Nein"));
        b->antworten(web::MaxMeldungId + 1, QStringLiteral("Nein"));
        QTRY_COMPARE(b->alle(QStringLiteral("fehler")).size(), 3);
        QCOMPARE(b->alle(QStringLiteral("fehler"))[0][QStringLiteral("text")].toString(),
                 QStringLiteral("Diese Meldung ist schon beantwortet."));
        QCOMPARE(b->alle(QStringLiteral("fehler"))[1][QStringLiteral("text")].toString(),
                 QStringLiteral("Eine Meldung mit der Nummer %1 gibt es nicht.").arg(id + 1));
        QCOMPARE(b->alle(QStringLiteral("fehler"))[2][QStringLiteral("text")].toString(),
                 QStringLiteral("Die Nummer der Meldung muss eine ganze Zahl von 0 bis 1000000000 sein."));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Without a screen a box waits only where a page can answer it: with
    // the web page off it takes its default at once; the program's other
    // commands wait for the start, and the refusal names no window.
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
        const QString abgelehnt = p.alle(QStringLiteral("fehler")).first()[QStringLiteral("text")].toString();
        QVERIFY2(abgelehnt.contains(QStringLiteral("startet noch")) && !abgelehnt.contains(QStringLiteral("fenster")),
                 qPrintable(abgelehnt));
        p.beiMeldung = [&p](const QJsonObject& m) { p.antworten(m[QStringLiteral("id")].toInt(), QStringLiteral("Ja")); };
        QVERIFY(questionBoxSink(nullptr)(QStringLiteral("Bericht verwerfen?")));
        QVERIFY(!wache.haengt);
    }

    // The page learns whether anybody sees the window, so that its texts
    // (the new key's QR code) point at the window or at the terminal.
    void zustandOhneFenster()
    {
        Start s;
        WebAnbindung anbindung(*s.fenster, QStringLiteral("127.0.0.1:0"));
        const auto ohne = [&anbindung] {
            return QJsonDocument::fromJson(anbindung.zustand()).object().value(QStringLiteral("ohneFenster"));
        };
        QCOMPARE(ohne(), QJsonValue(false));
        meldungenOhneFenster(true);
        const auto zurueck = qScopeGuard([] { meldungenOhneFenster(false); });
        QCOMPARE(ohne(), QJsonValue(true));
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
            QVERIFY2(fehler.contains(QString::fromUtf8(f.grund)), qPrintable(fehler));
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

    // Anything but a regular file of the user's own at the key's path is
    // refused, reading and writing, with what stands there: it is neither
    // waited on (a FIFO), nor followed (a link: its target keeps its
    // contents), nor taken for a file (a folder).
    void schluesselDateiKeineDatei()
    {
        QTemporaryDir dir;
        const QString pfad = dir.filePath(QStringLiteral("webschluessel"));
        const QString ziel = dir.filePath(QStringLiteral("wertvoll"));
        const QByteArray p = QFile::encodeName(pfad);
        const struct {
            const char* name;
            std::function<bool()> anlegen;
            const char* grund;
        } faelle[] = {
            {"FIFO", [&] { return ::mkfifo(p.constData(), 0600) == 0; }, "benannte Pipe (FIFO)"},
            {"Verknüpfung auf eine Datei", [&] { return QFile::link(ziel, pfad); }, "symbolische Verknüpfung"},
            {"Verknüpfung auf eine FIFO",
             [&] { return ::mkfifo(QFile::encodeName(ziel + u'f').constData(), 0600) == 0 && QFile::link(ziel + u'f', pfad); },
             "symbolische Verknüpfung"},
            {"Verknüpfung ins Leere", [&] { return QFile::link(dir.filePath(QStringLiteral("fehlt/x")), pfad); },
             "symbolische Verknüpfung"},
            {"Ordner", [&] { return QDir().mkdir(pfad) && QFile::setPermissions(pfad, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner); },
             "ein Ordner"},
            {"Datei eines anderen Benutzers",
             [&] {
                 fixture::schreiben(pfad, web::neuerSchluessel() + '\n');
                 return ::chmod(p.constData(), 0600) == 0 && ::chown(p.constData(), 65534, 65534) == 0;
             },
             "anderen Benutzer"},
        };
        for (const auto& f : faelle) {
            QDir(pfad).removeRecursively();
            QFile::remove(pfad);
            QFile::remove(ziel + u'f');
            fixture::schreiben(ziel, "wertvoll\n");
            if (!f.anlegen()) {
                QVERIFY2(::geteuid() != 0, f.name);   // only root gives a file away
                continue;
            }
            // Read in a thread of its own: a read that waits fails here
            // instead of hanging the test, and a writer then lets it go.
            auto ergebnis = std::make_shared<std::promise<QString>>();
            std::future<QString> gelesen = ergebnis->get_future();
            std::thread([pfad, ergebnis] {
                QString fehler;
                const QByteArray k = web::SchluesselDatei(pfad).lesen(&fehler);
                ergebnis->set_value(k.isEmpty() ? fehler : QStringLiteral("gelesen"));
            }).detach();
            const bool fertig = gelesen.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
            if (!fertig)
                ::close(::open(QFile::encodeName(QFileInfo(pfad).canonicalFilePath()).constData(), O_WRONLY | O_NONBLOCK));
            QVERIFY2(fertig, f.name);
            const QString fehler = gelesen.get();
            QVERIFY2(fehler.contains(QString::fromUtf8(f.grund)), qPrintable(QString::fromUtf8(f.name) + QStringLiteral(": ") + fehler));
            const QString nicht = web::SchluesselDatei(pfad).schreiben(web::neuerSchluessel());
            QVERIFY2(nicht.contains(QString::fromUtf8(f.grund)), qPrintable(QString::fromUtf8(f.name) + QStringLiteral(": ") + nicht));
            QCOMPARE(fixture::lesen(ziel), QByteArray("wertvoll\n"));
        }
        QDir(pfad).removeRecursively();
        QFile::remove(pfad);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".webschluessel")),
                 QStringList());
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
        const QStringList zeilen = qrText(url, QrArt::HellAufDunkel).split(u'\n', Qt::SkipEmptyParts);
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

    // The printed code as a phone's camera sees it on a light and on a dark
    // terminal: the terminal's version in its own colours, and the one for
    // the journal (no escape sequences there) with a code for each.
    void qrScanntAufHellUndDunkel()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
            QSKIP("zbarimg (zbar-tools) is not installed");
        const QString url = QStringLiteral("http://192.168.178.20:8080/?k=0123456789abcdef0123456789abcdef");
        QTemporaryDir ordner;
        for (const bool terminal : {true, false}) {
            const QString text = QStringLiteral("Web-Seite: ") + url + u'\n' + qrAusgabe(url, terminal);
            const QStringList hell = entziffern(terminalBild(text, qRgb(0x20, 0x20, 0x20), qRgb(0xff, 0xff, 0xff)),
                                                ordner.path(), QStringLiteral("hell%1").arg(terminal));
            const QStringList dunkel = entziffern(terminalBild(text, qRgb(0xd0, 0xd0, 0xd0), qRgb(0x1e, 0x1e, 0x1e)),
                                                  ordner.path(), QStringLiteral("dunkel%1").arg(terminal));
            QCOMPARE(hell, QStringList{url});
            QCOMPARE(dunkel, QStringList{url});
            QCOMPARE(text.contains(u'\x1b'), terminal);   // the journal would keep it as binary data
        }
    }

    // The addresses a phone can use, printed again when they change: first
    // none but loopback (a service started before the network), then one of
    // the home network with its code, then a new key; a page only on this
    // machine says, without a screen, how a phone reaches it, and has no code.
    void adressenImJournal()
    {
        const QByteArray k = "0123456789abcdef0123456789abcdef";
        const QList<QHostAddress> lokal{QHostAddress(QStringLiteral("127.0.0.1")), QHostAddress(QStringLiteral("::1")),
                                        QHostAddress(QStringLiteral("fe80::1%2")), QHostAddress(QStringLiteral("169.254.3.4"))};
        QVERIFY(telefonAdressen(QHostAddress(QHostAddress::AnyIPv4), 8080, k, lokal).isEmpty());
        const QList<QHostAddress> heimnetz = lokal + QList<QHostAddress>{QHostAddress(QStringLiteral("2001:db8::5")),
                                                                          QHostAddress(QStringLiteral("192.168.1.20"))};
        QCOMPARE(telefonAdressen(QHostAddress(QHostAddress::Any), 8080, k, heimnetz),
                 QStringList({QStringLiteral("http://192.168.1.20:8080/?k=") + QString::fromLatin1(k),
                              QStringLiteral("http://[2001:db8::5]:8080/?k=") + QString::fromLatin1(k)}));
        QCOMPARE(telefonAdressen(QHostAddress(QHostAddress::AnyIPv4), 8080, k, heimnetz).size(), 1);

        web::WebServer server;
        QVERIFY(server.starten(QStringLiteral("0.0.0.0:0")).isEmpty());
        QList<QHostAddress> adressen = lokal;
        QByteArray aus;
        WebAusgabe ausgabe(server, true);
        ausgabe.schreiberSetzen([&aus](const QByteArray& z) { aus += z; }, false);
        ausgabe.quelleSetzen([&adressen] { return adressen; });
        ausgabe.pruefen();
        QVERIFY2(aus.startsWith("Web-Seite: noch ohne Adresse im Heimnetz") && !aus.contains("QR-Code für"), aus.constData());
        aus.clear();
        ausgabe.pruefen();
        QVERIFY(aus.isEmpty());
        adressen << QHostAddress(QStringLiteral("192.168.1.20"));
        ausgabe.pruefen();
        const QByteArray soll = "Die Adresse der Web-Seite hat sich geändert.\nWeb-Seite: http://192.168.1.20:"
                                + QByteArray::number(server.port()) + "/?k=" + server.schluessel()
                                + "\nQR-Code für ein helles Terminal:\n";
        QVERIFY2(aus.startsWith(soll), aus.constData());
        aus.clear();
        server.schluesselErneuern();
        ausgabe.pruefen();
        QVERIFY2(aus.contains("/?k=" + server.schluessel() + "\nQR-Code"), aus.constData());

        for (const bool ohneBildschirm : {true, false}) {
            web::WebServer lokalerServer;
            QVERIFY(lokalerServer.starten(QStringLiteral("0")).isEmpty());
            QByteArray text;
            WebAusgabe hier(lokalerServer, ohneBildschirm);
            hier.schreiberSetzen([&text](const QByteArray& z) { text += z; }, true);
            hier.pruefen();
            const QByteArray port = QByteArray::number(lokalerServer.port());
            QVERIFY2(text.startsWith("Web-Seite: http://127.0.0.1:" + port + "/?k=") && !text.contains("\x1b"),
                     text.constData());
            QCOMPARE(text.contains("--web 0.0.0.0:" + port) && text.contains("ssh -L " + port + ":127.0.0.1:" + port),
                     ohneBildschirm);
        }
    }
};

QTEST_MAIN(WebMeldungenTest)
#include "webmeldungen_test.moc"
