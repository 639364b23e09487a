// The web page in a real browser: Debian's Chromium, headless, driven through
// chromedriver's WebDriver interface over loopback, against the main window
// on the virtual card. Without the key the page shows no layout; with it the
// grid follows the card, Weiter lights the next LED of a walk, and
// "Alles aus" switches every block off. The buttons send what they show,
// fields refuse what the window would not take, the page list and the grids
// follow what the program says, a lost connection locks the page and says
// why, the program's message boxes appear on it, the guided wiring check runs
// from it as in the window, and at three phone sizes
// every button can be hit and nothing lies under "Alles aus".
// KVX_BILD=datei.png keeps phone-sized pictures of the page.
#include "automatikgruppe.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "kvxhard.h"
#include "ledpage.h"
#include "verdrahtungsfenster.h"
#include "webanbindung.h"
#include "webdriver.h"
#include "webmeldungen.h"
#include "webserver.h"

#include <QDateTime>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using webdriver::Browser;
using webdriver::freierPort;

const QByteArray Ini("[Karten]\nBlock=2\nHilfsBlock=1\nMelder=1\nLeds1=1\n");

// The commands the page sent since the last call ("lebt" left out), in the
// form json() gives; the first call starts recording.
QStringList gesendet(Browser& b)
{
    const QJsonArray a = b.js(QStringLiteral(
        "if (!window.kvxGesendet) { window.kvxGesendet = []; const senden = WebSocket.prototype.send;"
        "  WebSocket.prototype.send = function (d) {"
        "    if (!String(d).includes('\"lebt\"')) window.kvxGesendet.push(String(d)); return senden.call(this, d); }; }"
        "return window.kvxGesendet.splice(0)")).toArray();
    QStringList l;
    for (const QJsonValue& v : a)
        l << QString::fromUtf8(QJsonDocument::fromJson(v.toString().toUtf8()).toJson(QJsonDocument::Compact));
    return l;
}

// A property of the element with this id, as text.
QString text(Browser& b, const QString& id, const char* eigenschaft = "textContent")
{
    return b.js(QStringLiteral("return String(document.getElementById('%1').%2)").arg(id, QLatin1String(eigenschaft))).toString();
}

bool gesperrt(Browser& b, const QString& id)
{
    return text(b, id, "disabled") == QLatin1String("true");
}

// Types text into a field and leaves it, as a finger does.
void eingeben(Browser& b, const QString& id, const QString& wert)
{
    b.js(QStringLiteral("const e = document.getElementById('%1'); e.value = %2; e.dispatchEvent(new Event('change')); return 0")
             .arg(id, QString::fromUtf8(QJsonDocument(QJsonArray{wert}).toJson(QJsonDocument::Compact)).mid(1).chopped(1)));
}

void seiteWaehlen(Browser& b, int nr)
{
    eingeben(b, QStringLiteral("seite"), QString::number(nr));
}

bool verbunden(Browser& b)
{
    return text(b, QStringLiteral("verbindung"), "className") == QLatin1String("ok");
}

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

// The program on the virtual card with its page open in the browser.
struct Aufbau {
    explicit Aufbau(Browser& browser, const QString& adresse = QStringLiteral("127.0.0.1:0"))
        : s(Ini, true, VirtualLayout{.led1Cards = 1})
        , w((s.fenster->show(), *s.fenster))
        , web(w, adresse)
        , b(browser)
    {
        b.oeffnen(web.server().url());
    }
    Start s;
    TfMain& w;
    WebAnbindung web;
    Browser& b;
};

// What keeps a control of the view in sight from being hit by a finger: a
// box under 44 px, its centre covered by something else, a box reaching
// into "Alles aus".
const QString LageFehler = QStringLiteral(R"(
const aus = document.getElementById('alles-aus').getBoundingClientRect();
const fehler = [];
for (const e of document.querySelectorAll('button, select, input')) {
  if (e.getClientRects().length === 0) continue;
  e.scrollIntoView({ block: 'center' });
  const r = e.getBoundingClientRect();
  const name = e.id || e.textContent.trim() || e.type;
  if (r.height < 44 || r.width < 44) fehler.push(name + ': ' + Math.round(r.width) + 'x' + Math.round(r.height));
  const mitte = document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2);
  if (!mitte || (mitte !== e && !e.contains(mitte)))
    fehler.push(name + ' verdeckt von ' + (mitte ? mitte.id || mitte.tagName : 'nichts'));
  if (e.id !== 'alles-aus' && r.right > aus.left && r.left < aus.right && r.bottom > aus.top && r.top < aus.bottom)
    fehler.push(name + ' unter Alles aus');
}
return fehler.join('; ');)");

// What keeps the page's last answer from being read: out of sight, empty,
// covered (by a box of the program, say), under "Alles aus".
const QString AntwortFehler = QStringLiteral(R"(
const e = document.getElementById('meldung');
const r = e.getBoundingClientRect();
const aus = document.getElementById('alles-aus').getBoundingClientRect();
if (r.height < 10 || r.width < 100) return 'zu klein: ' + Math.round(r.width) + 'x' + Math.round(r.height);
if (r.top < 0 || r.left < 0 || r.bottom > innerHeight || r.right > innerWidth) return 'außerhalb';
const fehler = [];
for (const [x, y] of [[r.left + 5, r.top + 5], [r.left + r.width / 2, r.top + r.height / 2], [r.right - 5, r.bottom - 5]]) {
  const oben = document.elementFromPoint(x, y);
  if (oben !== e && !e.contains(oben)) fehler.push('verdeckt von ' + (oben ? oben.id || oben.tagName : 'nichts'));
}
if (r.right > aus.left && r.left < aus.right && r.bottom > aus.top && r.top < aus.bottom) fehler.push('unter Alles aus');
return fehler.join('; ');)");

}  // namespace

class BrowserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        setPauseFunktion(&fixture::schnellePause);
        b_ = std::make_unique<Browser>();
        if (!b_->starten())
            QFAIL("chromedriver or Chromium did not start (Debian packages chromium, chromium-driver)");
    }
    void cleanupTestCase() { b_.reset(); }
    void init() { b_->groesse(390, 844); }

    void seiteImBrowser()
    {
        Aufbau a(*b_);
        auto& [s, w, web, b] = a;
        const QString url = web.server().url();

        // Without the key: no layout.
        b.oeffnen(QStringLiteral("http://127.0.0.1:%1/").arg(web.server().port()));
        QVERIFY(b.js(QStringLiteral("return document.body.innerText")).toString().contains(QStringLiteral("Zugangsschlüssel")));
        QCOMPARE(b.js(QStringLiteral("return document.querySelectorAll('#gruppen, .raster').length")).toInt(), 0);

        // With it: the grid follows the card once the supply is on.
        w.pControl->setCurrentIndex(TfMain::SMelder);
        b.oeffnen(url);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-snt")));
        QCOMPARE(text(b, QStringLiteral("btn-snt")), QStringLiteral("Einschalten"));
        QVERIFY(b.klicken(QStringLiteral("#btn-snt")));
        QTRY_VERIFY(w.tiSNT->isActive());
        QTRY_COMPARE(text(b, QStringLiteral("snt-zustand")), QStringLiteral("Netzteil: ein"));
        QCOMPARE(text(b, QStringLiteral("btn-snt")), QStringLiteral("Ausschalten"));
        const QString zelle = QStringLiteral("return (document.querySelector('#raster-0 [data-nr=\"2\"]') || {}).className || ''");
        QTRY_COMPARE_WITH_TIMEOUT(b.js(zelle).toString(), QString(), 10000);
        s.karte.setBlockOccupied(2, true);
        QTRY_COMPARE(b.js(zelle).toString(), QStringLiteral("an"));
        // The delay from a card change to the grid in the page, on the
        // machine's one clock: 20 changes, each waited for.
        std::vector<qint64> verzug;
        for (int i = 0; i < 20; ++i) {
            const qint64 vorher = b.js(QStringLiteral("return window.kvxBelegungUm || 0")).toInteger();
            const qint64 t0 = QDateTime::currentMSecsSinceEpoch();
            s.karte.setMelder(1, i % 2 == 0);
            QTRY_VERIFY_WITH_TIMEOUT(b.js(QStringLiteral("return window.kvxBelegungUm || 0")).toInteger() > vorher, 5000);
            verzug.push_back(b.js(QStringLiteral("return window.kvxBelegungUm")).toInteger() - t0);
        }
        std::sort(verzug.begin(), verzug.end());
        qInfo("card to page: median %lld ms, longest %lld ms", verzug[verzug.size() / 2], verzug.back());
        s.karte.setMelder(1, false);
        s.karte.setMelder(5, true);
        s.karte.setHBlockOccupied(1, true);
        QTRY_COMPARE(text(b, QStringLiteral("letzter-1")), QStringLiteral("201"));

        if (const QString bild = qEnvironmentVariable("KVX_BILD"); !bild.isEmpty()) {
            QFile f(bild);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(b.bildschirm());
        }

        // A walk on the LED page: Weiter lights the next LED on the card.
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=automatik]")));
        seiteWaehlen(b, TfMain::SLeds);
        QTRY_COMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
        QTest::mouseClick(w.pLeds->btnLed1, Qt::LeftButton);
        w.automatik(TfMain::SLeds)->sTakt->setValue(10);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-start")));
        QVERIFY(b.klicken(QStringLiteral("#btn-start")));
        QTRY_VERIFY(w.automatik(TfMain::SLeds)->laeuft());
        QTRY_COMPARE(s.karte.litLeds(1), std::vector<int>{1});
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-weiter")));
        QVERIFY(b.klicken(QStringLiteral("#btn-weiter")));
        QTRY_COMPARE(s.karte.litLeds(1), std::vector<int>{2});
        QTRY_COMPARE(text(b, QStringLiteral("auto-nummer")), QStringLiteral("2"));

        // A train on the drive page, started from the page; "Alles aus" stops it.
        QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
        QTRY_VERIFY(!w.tiSNT->isActive());
        w.pControl->setCurrentIndex(TfMain::SFahren);
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=fahren]")));
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-fahrt")));
        // A finger sliding the speed: 200 moves at once cost no connection, the last one counts.
        b.js(QStringLiteral("const r = document.getElementById('fa-tempo'); for (let i = 0; i <= 200; ++i) "
                            "{ r.value = String(i % 121); r.dispatchEvent(new Event('input')); } return 0"));
        QTRY_COMPARE(w.pFahren->faTrack->value(), 200 % 121);
        QCOMPARE(web.server().clients(), 1);
        QVERIFY(b.klicken(QStringLiteral("#btn-fahrt")));
        QTRY_VERIFY(s.karte.block(1).powered);
        QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
        QTRY_VERIFY(!w.pFahren->zugFaehrt());
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(s.karte.block(n), VirtualCard::BlockState{});
    }

    // Each button sends what it shows, each field what the window takes.
    void knoepfeUndFelder()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        TfMain& w = a.w;
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        gesendet(b);

        // The supply while it starts: progress, and nothing to press.
        QJsonObject z = QJsonDocument::fromJson(a.web.zustand()).object();
        z[QStringLiteral("sntSchaltet")] = true;
        a.web.server().rundsenden(json(z));
        QTRY_COMPARE(text(b, QStringLiteral("snt-zustand")), QStringLiteral("Netzteil: startet …"));
        QVERIFY(gesperrt(b, QStringLiteral("btn-snt")));
        a.web.server().rundsenden(a.web.zustand());
        QTRY_COMPARE(text(b, QStringLiteral("snt-zustand")), QStringLiteral("Netzteil: aus"));

        // The walk: "Start" starts it, "Pause" pauses it.
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=automatik]")));
        seiteWaehlen(b, TfMain::SLeds);
        QTRY_COMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
        QTest::mouseClick(w.pLeds->btnLed1, Qt::LeftButton);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-start")));
        gesendet(b);
        for (const bool an : {true, false}) {
            QTRY_COMPARE(text(b, QStringLiteral("btn-start")), an ? QStringLiteral("Start") : QStringLiteral("Pause"));
            QVERIFY(b.klicken(QStringLiteral("#btn-start")));
            QTRY_COMPARE(w.automatik(TfMain::SLeds)->laeuft(), an);
            QCOMPARE(gesendet(b), QStringList{json({{QStringLiteral("befehl"), QStringLiteral("start")}, {QStringLiteral("an"), an}})});
        }

        // "Takt" takes either decimal sign and refuses the rest itself.
        struct Takt {
            const char* eingabe;
            double wert;   // 0: refused on the page
        };
        for (const Takt& t : {Takt{"1,5", 1.5}, Takt{"2.5", 2.5}, Takt{" 3 ", 3}, Takt{"0", 0}, Takt{"abc", 0},
                              Takt{"", 0}, Takt{"10,5", 0}, Takt{"0,1", 0}, Takt{"1,5,5", 0}, Takt{"-2", 0}}) {
            eingeben(b, QStringLiteral("takt"), QString::fromUtf8(t.eingabe));
            const QString meldung = text(b, QStringLiteral("takt-fehler"));
            if (t.wert == 0) {
                QVERIFY2(meldung.contains(QStringLiteral("von 0,2 bis 10")), t.eingabe);
                QCOMPARE(gesendet(b), QStringList());
            } else {
                QVERIFY2(meldung.isEmpty(), t.eingabe);
                QCOMPARE(gesendet(b), QStringList{json({{QStringLiteral("befehl"), QStringLiteral("takt")},
                                                        {QStringLiteral("wert"), t.wert}})});
                QTRY_COMPARE(w.automatik(TfMain::SLeds)->sTakt->value(), t.wert);
            }
        }

        // The drive page: block, speed, direction, start and stop.
        w.pControl->setCurrentIndex(TfMain::SFahren);
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=fahren]")));
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-fahrt")));
        gesendet(b);
        for (const char* falsch : {"9", "0", "abc", "2,5"}) {
            eingeben(b, QStringLiteral("fa-block"), QString::fromLatin1(falsch));
            QVERIFY2(text(b, QStringLiteral("fa-block-fehler")).contains(QStringLiteral("von 1 bis 4")), falsch);
        }
        QCOMPARE(gesendet(b), QStringList());
        eingeben(b, QStringLiteral("fa-block"), QStringLiteral("3"));
        QTRY_COMPARE(w.pFahren->nrBlock->value(), 3);
        QCOMPARE(text(b, QStringLiteral("fa-block-fehler")), QString());

        QCOMPARE(text(b, QStringLiteral("fa-tempo"), "max"), QStringLiteral("120"));
        for (const auto& [stellung, zeigt] : {std::pair{60, "Fahrstufe 7,5"}, std::pair{120, "Fahrstufe 15"}, std::pair{3, "Fahrstufe 0,375"}}) {
            b.js(QStringLiteral("const r = document.getElementById('fa-tempo'); r.value = '%1'; r.dispatchEvent(new Event('input')); return 0")
                     .arg(stellung));
            QCOMPARE(text(b, QStringLiteral("fa-tempo-text")), QString::fromUtf8(zeigt));
            QTRY_COMPARE(w.pFahren->faTrack->value(), stellung);
        }

        // The direction in force is the one marked, and it looks it.
        const QString farbe = QStringLiteral("return getComputedStyle(document.getElementById('%1')).backgroundColor");
        for (const bool vor : {false, true}) {
            QVERIFY(b.klicken(vor ? QStringLiteral("#btn-vor") : QStringLiteral("#btn-rueck")));
            QTRY_COMPARE(text(b, QStringLiteral("fa-richtung")), vor ? QStringLiteral("Richtung: vorwärts") : QStringLiteral("Richtung: rückwärts"));
            const QString gewaehlt = vor ? QStringLiteral("btn-vor") : QStringLiteral("btn-rueck");
            const QString andere = vor ? QStringLiteral("btn-rueck") : QStringLiteral("btn-vor");
            QCOMPARE(text(b, gewaehlt, "ariaPressed") + text(b, andere, "ariaPressed"), QStringLiteral("truefalse"));
            QVERIFY(b.js(farbe.arg(gewaehlt)).toString() != b.js(farbe.arg(andere)).toString());
        }

        gesendet(b);
        for (const bool an : {true, false}) {
            QTRY_COMPARE(text(b, QStringLiteral("btn-fahrt")), an ? QStringLiteral("Start") : QStringLiteral("Stop"));
            QVERIFY(b.klicken(QStringLiteral("#btn-fahrt")));
            QTRY_COMPARE(w.pFahren->zugFaehrt(), an);
            QCOMPARE(gesendet(b).filter(QStringLiteral("fahrt")),
                     QStringList{json({{QStringLiteral("befehl"), QStringLiteral("fahrt")}, {QStringLiteral("an"), an}})});
        }
    }

    // A page the window refuses to show: the list shows the one it shows.
    void seitenwahlNachAblehnung()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        a.w.pControl->setCurrentIndex(TfMain::SFahren);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        QTest::mouseClick(a.w.pFahren->btnStop, Qt::LeftButton);
        QTRY_VERIFY(a.w.pFahren->zugFaehrt());
        QTRY_COMPARE(text(b, QStringLiteral("seite"), "value"), QStringLiteral("6"));
        seiteWaehlen(b, TfMain::SMelder);
        QTRY_VERIFY(!text(b, QStringLiteral("meldung")).isEmpty());
        QCOMPARE(a.w.pControl->currentIndex(), int(TfMain::SFahren));
        QCOMPARE(text(b, QStringLiteral("seite"), "value"), QStringLiteral("6"));
        QTest::mouseClick(a.w.pFahren->btnStop, Qt::LeftButton);
        QTRY_VERIFY(!a.w.pFahren->zugFaehrt());
    }

    // The grids are the groups and counts the program names; they fold; the
    // status and the last error stay in sight above them.
    void melderGruppen()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        a.w.pControl->setCurrentIndex(TfMain::SMelder);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        a.w.mnuSNTein->trigger();
        const QString gruppen = QStringLiteral(
            "return Array.from(document.querySelectorAll('.gruppe')).map((g) => g.querySelector('.name').textContent"
            " + ':' + g.querySelectorAll('.raster div').length + (g.classList.contains('zu') ? ' zu' : '')).join(', ')");
        QTRY_COMPARE(b.js(gruppen).toString(), QStringLiteral("Block (4):4, HBlock (4):4, Melder (8):8, Block-Taster (8):8, HBlock-Taster (4):4"));

        // No more reading of the inputs: what follows comes from here.
        a.w.mnuSNTaus->trigger();
        QVERIFY(b.klicken(QStringLiteral("#gruppe-2 .kopf")));
        struct Fall {
            std::array<int, 6> anzahl;
            const char* zeigt;
        };
        for (const Fall& f : {Fall{{6, 0, 8, 12, 0, 0}, "Block (6):6, Melder (8):8 zu, Block-Taster (12):12"},
                              Fall{{6, 4, 512, 12, 0, 32}, "Block (6):6, HBlock (4):4, Melder (512):512 zu, Block-Taster (12):12, Kette 1 (32):32"}}) {
            QJsonArray g;
            const char* namen[] = {"Block", "HBlock", "Melder", "Block-Taster", "HBlock-Taster", "Kette 1"};
            for (int i = 0; i < 6; ++i)
                g.append(QJsonObject{{QStringLiteral("name"), QString::fromLatin1(namen[i])}, {QStringLiteral("taster"), i >= 3},
                                     {QStringLiteral("nummer"), i == 1 ? 200 : 0},
                                     {QStringLiteral("bits"), QString(f.anzahl[std::size_t(i)], QLatin1Char('0'))},
                                     {QStringLiteral("letzter"), 0}});
            a.web.server().rundsenden(json({{QStringLiteral("typ"), QStringLiteral("belegung")}, {QStringLiteral("gruppen"), g}}));
            QTRY_COMPARE(b.js(gruppen).toString(), QString::fromLatin1(f.zeigt));
        }

        // Scrolled to the end of a long grid: the status is still at the top,
        // the error just above "Alles aus".
        QVERIFY(b.klicken(QStringLiteral("#gruppe-2 .kopf")));
        a.w.setStatusText(0, QStringLiteral(" Probe des Status"));
        a.web.server().rundsenden(json({{QStringLiteral("typ"), QStringLiteral("fehler")}, {QStringLiteral("text"), QStringLiteral("Probe eines Fehlers")}}));
        QTRY_COMPARE(text(b, QStringLiteral("status")), QStringLiteral("Probe des Status"));
        b.js(QStringLiteral("const m = document.querySelector('main'); m.scrollTop = m.scrollHeight; return 0"));
        QVERIFY(b.js(QStringLiteral("const m = document.querySelector('main'); return m.scrollTop > 1000")).toBool());
        QVERIFY(b.js(QStringLiteral("const r = document.getElementById('status').getBoundingClientRect();"
                                    "return r.top >= 0 && r.bottom < 300 && document.elementFromPoint(r.left + 5, r.top + r.height / 2).id === 'status'"))
                    .toBool());
        QCOMPARE(b.js(AntwortFehler).toString(), QString());
    }

    // "Alles aus" while a box of the start waits (the window not yet bound):
    // it acts, and its answer (where every answer goes) can be read beside
    // the box, upright and sideways.
    void antwortNebenKasten()
    {
        web::WebServer server;
        QCOMPARE(server.starten(QStringLiteral("127.0.0.1:0")), QString());
        WebMeldungen spiegel(server);
        int gestoppt = 0;
        spiegel.startAus = [&gestoppt] {
            ++gestoppt;
            return QStringLiteral("Alles aus: Probe");
        };
        Browser& b = *b_;
        for (const auto& [breite, hoehe] : {std::pair{360, 640}, std::pair{844, 390}}) {
            b.groesse(breite, hoehe);
            b.oeffnen(server.url());
            QTRY_VERIFY_WITH_TIMEOUT(!gesperrt(b, QStringLiteral("alles-aus")), 10000);
            spiegel.geoeffnet(1, QStringLiteral("Die Datei QJ.DMA fehlt.\n").repeated(12), {QStringLiteral("OK")});
            QTRY_VERIFY(!b.js(QStringLiteral("return document.getElementById('kasten').hidden")).toBool());
            QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
            QTRY_COMPARE(text(b, QStringLiteral("meldung")), QStringLiteral("Alles aus: Probe"));
            QCOMPARE(b.js(AntwortFehler).toString(), QString());
            spiegel.geschlossen(1);
        }
        QCOMPARE(gestoppt, 2);
    }

    // The program ends in order: the page says so and asks seldom; started
    // again with the same key, the page is back by itself.
    void programmEnde()
    {
        Start s(Ini, true, VirtualLayout{.led1Cards = 1});
        s.fenster->show();
        web::WebServer server;
        const QString adresse = QStringLiteral("127.0.0.1:%1").arg(freierPort());
        QCOMPARE(server.starten(adresse), QString());
        auto web = std::make_unique<WebAnbindung>(*s.fenster, adresse, &server);
        Browser& b = *b_;
        b.oeffnen(server.url());
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        web.reset();   // as at the end of main(): the window's binding goes first
        QTRY_VERIFY(text(b, QStringLiteral("verbindung")).startsWith(QStringLiteral("Das Programm wurde beendet. ")));
        QVERIFY2(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("nächster Versuch in 15 s")),
                 qPrintable(text(b, QStringLiteral("verbindung"))));
        QVERIFY(gesperrt(b, QStringLiteral("alles-aus")));
        // The attempts that fail meanwhile keep saying why.
        QTRY_VERIFY_WITH_TIMEOUT(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("(2 Versuche bisher)")), 20000);
        QVERIFY(text(b, QStringLiteral("verbindung")).startsWith(QStringLiteral("Das Programm wurde beendet. ")));
        QCOMPARE(server.starten(adresse), QString());
        web = std::make_unique<WebAnbindung>(*s.fenster, adresse, &server);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 20000);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("alles-aus")));
    }

    // No connection: nothing can be pressed, the page says why and when it
    // tries again; eight pages or a new key are told apart. The key is no
    // longer in the address, the home-screen manifest has it.
    void verbindung()
    {
        const QString adresse = QStringLiteral("127.0.0.1:%1").arg(freierPort());
        Aufbau a(*b_, adresse);
        Browser& b = a.b;
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        const QString schluessel = QString::fromLatin1(a.web.server().schluessel());
        QCOMPARE(b.js(QStringLiteral("return location.search")).toString(), QString());
        QCOMPARE(b.js(QStringLiteral("return document.querySelector('link[rel=manifest]').getAttribute('href')")).toString(),
                 QStringLiteral("/manifest.webmanifest?k=") + schluessel);
        QVERIFY(text(b, QStringLiteral("verbindung")).startsWith(QStringLiteral("Verbunden mit ")));
        QVERIFY(text(b, QStringLiteral("verbindung")).contains(adresse));

        const QString offen = QStringLiteral(
            "return Array.from(document.querySelectorAll('button, select, input')).filter((e) => !e.disabled"
            " && !e.closest('nav') && !e.classList.contains('kopf')).map((e) => e.id).join(' ')");
        QTRY_VERIFY(!b.js(offen).toString().isEmpty());
        a.web.server().beenden();
        QTRY_VERIFY(text(b, QStringLiteral("verbindung")).startsWith(QStringLiteral("Keine Verbindung zum Programm – neuer Versuch in ")));
        QCOMPARE(b.js(offen).toString(), QString());
        QVERIFY(b.js(QStringLiteral("return document.body.classList.contains('getrennt')")).toBool());
        // Failing again, the page waits longer: then eight others take the places.
        QTRY_VERIFY_WITH_TIMEOUT(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("in 2 s (2 Versuche")), 10000);
        QCOMPARE(a.web.starten(adresse), QString());
        std::vector<std::unique_ptr<QWebSocket>> andere;
        QTimer lebt;
        connect(&lebt, &QTimer::timeout, this, [&andere] {
            for (auto& s : andere)
                s->sendTextMessage(QStringLiteral("{\"befehl\":\"lebt\"}"));
        });
        lebt.start(400);
        for (int i = 0; i < web::MaxClients; ++i) {
            andere.push_back(std::make_unique<QWebSocket>(QStringLiteral("http://") + adresse));
            andere.back()->open(QUrl(QStringLiteral("ws://%1/ws?k=%2").arg(adresse, schluessel)));
        }
        QTRY_COMPARE(a.web.server().clients(), web::MaxClients);
        QTRY_VERIFY_WITH_TIMEOUT(text(b, QStringLiteral("verbindung")).startsWith(QStringLiteral("Acht Seiten sind schon")), 10000);
        andere.clear();
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 20000);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("alles-aus")));
        QVERIFY(!gesperrt(b, QStringLiteral("seite")));

        // The home-screen manifest, from the program.
        b.js(QStringLiteral("window.kvxManifest = null; fetch(document.querySelector('link[rel=manifest]').href)"
                            ".then((r) => r.json()).then((j) => { window.kvxManifest = j; }); return 0"));
        QTRY_COMPARE(b.js(QStringLiteral("return (window.kvxManifest || {}).start_url || ''")).toString(), QStringLiteral("/?k=") + schluessel);

        // A new key: the old one will not do again.
        a.web.server().schluesselErneuern();
        QTRY_VERIFY_WITH_TIMEOUT(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("neuen QR-Code")), 10000);
        QVERIFY(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("Seite „Config“")));
        QCOMPARE(b.js(offen).toString(), QString());
    }

    // A new key while nobody sees the window: the page points at the
    // terminal or the journal for the new QR code.
    void neuerSchluesselOhneFenster()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        meldungenOhneFenster(true);
        const auto zurueck = qScopeGuard([] { meldungenOhneFenster(false); });
        a.w.setStatusText(0, QStringLiteral(" Ohne Fenster"));   // comes in the same state
        QTRY_COMPARE(text(b, QStringLiteral("status")), QStringLiteral("Ohne Fenster"));
        a.web.server().schluesselErneuern();
        QTRY_VERIFY_WITH_TIMEOUT(text(b, QStringLiteral("verbindung")).contains(QStringLiteral("neuen QR-Code")), 10000);
        const QString hinweis = text(b, QStringLiteral("verbindung"));
        QVERIFY2(hinweis.contains(QStringLiteral("im Terminal")) && !hinweis.contains(QStringLiteral("Config")),
                 qPrintable(hinweis));
    }

    // The program's message boxes: the newest on top of the page, its
    // buttons answer, "Alles aus" stays within reach.
    void meldungen()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        gesendet(b);
        auto meldung = [](int id, const char* text, const QStringList& knoepfe) {
            return json({{QStringLiteral("typ"), QStringLiteral("meldung")}, {QStringLiteral("id"), id},
                         {QStringLiteral("text"), QString::fromUtf8(text)}, {QStringLiteral("knoepfe"), QJsonArray::fromStringList(knoepfe)}});
        };
        auto zu = [](int id) { return json({{QStringLiteral("typ"), QStringLiteral("meldungZu")}, {QStringLiteral("id"), id}}); };
        const QString knoepfe = QStringLiteral("return document.getElementById('kasten').hidden ? '-' : "
                                               "Array.from(document.querySelectorAll('#kasten-knoepfe button')).map((k) => k.textContent).join('|')");
        a.web.server().rundsenden(meldung(1, "Die Datei fehlt.", {QStringLiteral("OK")}));
        a.web.server().rundsenden(meldung(2, "Änderungen speichern?", {QStringLiteral("Ja"), QStringLiteral("Nein"), QStringLiteral("Abbrechen")}));
        QTRY_COMPARE(b.js(knoepfe).toString(), QStringLiteral("Ja|Nein|Abbrechen"));
        QCOMPARE(text(b, QStringLiteral("kasten-text")), QStringLiteral("Änderungen speichern?"));
        QCOMPARE(b.js(QStringLiteral("const r = document.getElementById('alles-aus').getBoundingClientRect();"
                                     "return document.elementFromPoint(r.left + r.width / 2, r.top + r.height / 2).id"))
                     .toString(),
                 QStringLiteral("alles-aus"));
        QVERIFY(!b.klicken(QStringLiteral("#btn-snt")));   // under the box
        QVERIFY(b.klicken(QStringLiteral("#kasten-knoepfe button:nth-child(2)")));
        QCOMPARE(gesendet(b), QStringList{json({{QStringLiteral("befehl"), QStringLiteral("antwort")}, {QStringLiteral("id"), 2},
                                                {QStringLiteral("knopf"), QStringLiteral("Nein")}})});
        QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
        QCOMPARE(gesendet(b), QStringList{json({{QStringLiteral("befehl"), QStringLiteral("allesAus")}})});
        a.web.server().rundsenden(zu(2));
        QTRY_COMPARE(b.js(knoepfe).toString(), QStringLiteral("OK"));
        QCOMPARE(text(b, QStringLiteral("kasten-text")), QStringLiteral("Die Datei fehlt."));
        a.web.server().rundsenden(zu(1));
        QTRY_COMPARE(b.js(knoepfe).toString(), QStringLiteral("-"));
    }

    // The guided check of the detectors from the page, on a layout with two
    // crossed: the number expected follows the presses in the page and the
    // window alike, a wrong answer is red and asked again, "Zurück" and
    // "Nichts kam" send the number shown, and "Fertig" brings the findings.
    void gefuehrtePruefung()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        a.s.karte.setFehler(verdrahtung::lesen("tausch:melder:3:4", a.s.karte.layout()).fehler);
        auto* f = a.w.findChild<VerdrahtungsFenster*>();
        f->zeiten.periode = std::chrono::milliseconds(5);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=pruefen]")));
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-eingaben")));
        gesendet(b);
        QVERIFY(b.klicken(QStringLiteral("#btn-eingaben")));
        QTRY_COMPARE(text(b, QStringLiteral("pr-erwartet")), QStringLiteral("1"));
        QVERIFY(f->laeuft());
        const auto gelesen = [&a](long mehr) {
            const long bis = a.s.karte.reads() + mehr;
            QTRY_VERIFY(a.s.karte.reads() > bis);
        };
        gelesen(3 * a.w.kvx->EinDatenBytes);   // the rest the presses are seen against
        struct Schritt {
            int melder;   // pressed; 0: "Nichts kam" on the page, -1: "Zurück" there
            const char* danach;
            const char* kam;
            bool falsch;
        };
        // A wrong answer is asked again; the slip (6 for 5) is taken back.
        for (const Schritt& s : {Schritt{1, "2", "1 erwartet, 1 kam", false}, Schritt{2, "3", "2 erwartet, 2 kam", false},
                                 Schritt{3, "3", "3 erwartet, 4 kam: noch einmal 3 drücken", true},
                                 Schritt{3, "4", "3 erwartet, 4 kam", true},
                                 Schritt{4, "4", "4 erwartet, 3 kam: noch einmal 4 drücken", true},
                                 Schritt{4, "5", "4 erwartet, 3 kam", true},
                                 Schritt{6, "5", "5 erwartet, 6 kam: noch einmal 5 drücken", true},
                                 Schritt{-1, "5", "5: zurückgenommen", false}, Schritt{0, "6", "5: nichts", true}}) {
            if (s.melder == 0) {
                QVERIFY(b.klicken(QStringLiteral("#btn-nichts")));
            } else if (s.melder < 0) {
                QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-pr-zurueck")));
                QVERIFY(b.klicken(QStringLiteral("#btn-pr-zurueck")));
            } else {
                a.s.karte.setMelder(s.melder, true);
                QTRY_COMPARE(f->lKam->text(), QString::fromUtf8(s.kam));
                a.s.karte.setMelder(s.melder, false);
                gelesen(3 * a.w.kvx->EinDatenBytes);
            }
            QTRY_COMPARE(text(b, QStringLiteral("pr-kam")), QString::fromUtf8(s.kam));
            QTRY_COMPARE(text(b, QStringLiteral("pr-erwartet")), QString::fromLatin1(s.danach));
            QCOMPARE(f->lErwartet->text(), QString::fromLatin1(s.danach));
            QCOMPARE(text(b, QStringLiteral("pr-kam"), "className") == QLatin1String("falsch"), s.falsch);
        }
        QVERIFY(b.klicken(QStringLiteral("#btn-fertig")));
        QTRY_VERIFY(!f->laeuft());
        const QString befunde = QStringLiteral("return Array.from(document.querySelectorAll('#pr-befunde li'))"
                                               ".map((l) => l.textContent.split(' – ')[0]).join(' ')");
        QTRY_COMPARE(b.js(befunde).toString(), QStringLiteral("tausch:melder:3:4 tot:melder:5"));
        QVERIFY(text(b, QStringLiteral("pr-status")).contains(QStringLiteral("nur 5 von")));
        QCOMPARE(gesendet(b), (QStringList{QStringLiteral(R"({"an":true,"befehl":"eingaben","gruppe":"melder"})"),
                                          QStringLiteral(R"({"befehl":"zuruecknehmen","nr":5})"),
                                          QStringLiteral(R"({"befehl":"nichtskam","nr":5})"),
                                          QStringLiteral(R"({"an":false,"befehl":"eingaben"})")}));
    }

    // Upright, small and sideways, in every view: every control can be hit,
    // is large enough for a finger, and none lies under "Alles aus".
    void lage()
    {
        Aufbau a(*b_);
        Browser& b = a.b;
        a.w.pControl->setCurrentIndex(TfMain::SFahren);
        QTRY_VERIFY_WITH_TIMEOUT(verbunden(b), 10000);
        QTRY_VERIFY(!gesperrt(b, QStringLiteral("btn-fahrt")));
        const QString bild = qEnvironmentVariable("KVX_BILD");
        for (const auto& [breite, hoehe] : {std::pair{390, 844}, std::pair{360, 640}, std::pair{844, 390}}) {
            b.groesse(breite, hoehe);
            for (const char* ansicht : {"melder", "automatik", "fahren", "pruefen"}) {
                QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=%1]").arg(QLatin1String(ansicht))));
                QCOMPARE(b.js(LageFehler).toString(), QString());
                if (!bild.isEmpty()) {
                    b.js(QStringLiteral("document.querySelector('main').scrollTop = 0; return 0"));
                    QFile f(QString(bild).replace(QStringLiteral(".png"), QStringLiteral("-%1x%2-%3.png").arg(breite).arg(hoehe).arg(QLatin1String(ansicht))));
                    QVERIFY(f.open(QIODevice::WriteOnly));
                    f.write(b.bildschirm());
                }
            }
        }
    }

private:
    std::unique_ptr<Browser> b_;
};

QTEST_MAIN(BrowserTest)
#include "browser_test.moc"
