// The web page in a real browser: Debian's Chromium, headless, driven through
// chromedriver's WebDriver interface over loopback, against the main window
// on the virtual card. Without the key the page shows no layout; with it the
// grid follows the card, Weiter lights the next LED of a walk, and
// "Alles aus" switches every block off. KVX_BILD=datei.png keeps a
// phone-sized picture of the page.
#include "automatikgruppe.h"
#include "fahrenpage.h"
#include "fensterstart.h"
#include "ledpage.h"
#include "webanbindung.h"
#include "webserver.h"

#include <QDateTime>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

const QByteArray Ini("[Karten]\nBlock=2\nHilfsBlock=1\nMelder=1\nLeds1=1\n");
const QString ElementSchluessel = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

quint16 freierPort()
{
    QTcpServer s;
    s.listen(QHostAddress::LocalHost, 0);
    return s.serverPort();
}

// chromedriver with one headless Chromium session, as a phone held upright.
// Every call waits for its answer with the event loop running, so that the
// program under test serves the browser meanwhile.
class Browser {
public:
    bool starten()
    {
        const QString treiber = QStandardPaths::findExecutable(QStringLiteral("chromedriver"));
        port_ = freierPort();
        treiber_.start(treiber, {QStringLiteral("--port=%1").arg(port_)});
        if (treiber.isEmpty() || !treiber_.waitForStarted())
            return false;
        QElapsedTimer uhr;
        uhr.start();
        while (!aufruf("GET", QStringLiteral("/status"))[QStringLiteral("ready")].toBool() && uhr.elapsed() < 10000)
            QTest::qWait(50);
        QJsonArray args;
        for (const char* a : {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                              "--disable-background-networking", "--disable-component-update", "--disable-sync"})
            args.append(QString::fromLatin1(a));
        args.append(QStringLiteral("--user-data-dir=") + profil_.path());
        const QJsonObject telefon{{QStringLiteral("width"), 390}, {QStringLiteral("height"), 844},
                                  {QStringLiteral("pixelRatio"), 1}};
        const QJsonObject chrome{{QStringLiteral("args"), args},
                                 {QStringLiteral("mobileEmulation"), QJsonObject{{QStringLiteral("deviceMetrics"), telefon}}}};
        const QJsonObject immer{{QStringLiteral("browserName"), QStringLiteral("chrome")},
                                {QStringLiteral("goog:chromeOptions"), chrome}};
        sitzung_ = QStringLiteral("/session/")
                   + aufruf("POST", QStringLiteral("/session"),
                            {{QStringLiteral("capabilities"), QJsonObject{{QStringLiteral("alwaysMatch"), immer}}}})
                         [QStringLiteral("sessionId")].toString();
        return sitzung_.size() > 9;
    }

    ~Browser()
    {
        if (sitzung_.size() > 9)
            aufruf("DELETE", sitzung_);
        treiber_.terminate();
        if (!treiber_.waitForFinished(5000))
            treiber_.kill();
    }

    void oeffnen(const QString& url) { aufruf("POST", sitzung_ + QStringLiteral("/url"), {{QStringLiteral("url"), url}}); }

    // Runs script in the page; its return value.
    QJsonValue js(const QString& script)
    {
        return aufruf("POST", sitzung_ + QStringLiteral("/execute/sync"),
                      {{QStringLiteral("script"), script}, {QStringLiteral("args"), QJsonArray()}});
    }

    // A real click on the element the CSS selector names.
    bool klicken(const QString& selektor)
    {
        const QString id = aufruf("POST", sitzung_ + QStringLiteral("/element"),
                                  {{QStringLiteral("using"), QStringLiteral("css selector")},
                                   {QStringLiteral("value"), selektor}})[ElementSchluessel]
                               .toString();
        return !id.isEmpty() && aufruf("POST", sitzung_ + QStringLiteral("/element/%1/click").arg(id), {}).isNull();
    }

    QByteArray bildschirm()
    {
        return QByteArray::fromBase64(aufruf("GET", sitzung_ + QStringLiteral("/screenshot")).toString().toLatin1());
    }

private:
    // The "value" of the answer.
    QJsonValue aufruf(const QByteArray& verb, const QString& pfad, const QJsonObject& inhalt = {})
    {
        QNetworkRequest r(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(pfad)));
        r.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        r.setTransferTimeout(60000);   // a browser that hangs fails the test instead of holding it
        QNetworkReply* antwort =
            netz_.sendCustomRequest(r, verb, verb == "POST" ? QJsonDocument(inhalt).toJson() : QByteArray());
        while (!antwort->isFinished())
            QTest::qWait(2);
        antwort->deleteLater();
        return QJsonDocument::fromJson(antwort->readAll()).object()[QStringLiteral("value")];
    }

    QProcess treiber_;
    QTemporaryDir profil_;
    QNetworkAccessManager netz_;
    quint16 port_ = 0;
    QString sitzung_;
};

}  // namespace

class BrowserTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setPauseFunktion(&fixture::schnellePause); }

    void seiteImBrowser()
    {
        Start s(Ini, true, VirtualLayout{.led1Cards = 1});
        TfMain& w = *s.fenster;
        w.show();
        WebAnbindung web(w, QStringLiteral("127.0.0.1:0"));
        Browser b;
        if (!b.starten())
            QFAIL("chromedriver or Chromium did not start (Debian packages chromium, chromium-driver)");
        const QString url = web.server().url();

        // Without the key: no layout.
        b.oeffnen(QStringLiteral("http://127.0.0.1:%1/").arg(web.server().port()));
        QVERIFY(b.js(QStringLiteral("return document.body.innerText")).toString().contains(QStringLiteral("Zugangsschlüssel")));
        QCOMPARE(b.js(QStringLiteral("return document.querySelectorAll('#gruppen, .raster').length")).toInt(), 0);

        // With it: the grid follows the card once the supply is on.
        w.pControl->setCurrentIndex(TfMain::SMelder);
        b.oeffnen(url);
        QTRY_COMPARE_WITH_TIMEOUT(b.js(QStringLiteral("return document.getElementById('verbindung').textContent")).toString(),
                                  QStringLiteral("Verbunden"), 10000);
        QVERIFY(b.klicken(QStringLiteral("#btn-snt")));
        QTRY_VERIFY(w.tiSNT->isActive());
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
        QTRY_COMPARE(b.js(QStringLiteral("return document.getElementById('letzter-1').textContent")).toString(),
                     QStringLiteral("201"));

        if (const QString bild = qEnvironmentVariable("KVX_BILD"); !bild.isEmpty()) {
            QFile f(bild);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(b.bildschirm());
        }

        // A walk on the LED page: Weiter lights the next LED on the card.
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=automatik]")));
        QCOMPARE(b.js(QStringLiteral("const s = document.getElementById('seite'); s.value = '3'; "
                                     "s.dispatchEvent(new Event('change')); return s.value"))
                     .toString(),
                 QStringLiteral("3"));
        QTRY_COMPARE(w.pControl->currentIndex(), int(TfMain::SLeds));
        QTest::mouseClick(w.pLeds->btnLed1, Qt::LeftButton);
        w.automatik(TfMain::SLeds)->sTakt->setValue(10);
        QTRY_VERIFY(!b.js(QStringLiteral("return document.getElementById('btn-start').disabled")).toBool());
        QVERIFY(b.klicken(QStringLiteral("#btn-start")));
        QTRY_VERIFY(w.automatik(TfMain::SLeds)->laeuft());
        QTRY_COMPARE(s.karte.litLeds(1), std::vector<int>{1});
        QTRY_VERIFY(!b.js(QStringLiteral("return document.getElementById('btn-weiter').disabled")).toBool());
        QVERIFY(b.klicken(QStringLiteral("#btn-weiter")));
        QTRY_COMPARE(s.karte.litLeds(1), std::vector<int>{2});
        QTRY_COMPARE(b.js(QStringLiteral("return document.getElementById('auto-nummer').textContent")).toString(),
                     QStringLiteral("2"));

        // A train on the drive page, started from the page; "Alles aus" stops it.
        QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
        QTRY_VERIFY(!w.tiSNT->isActive());
        w.pControl->setCurrentIndex(TfMain::SFahren);
        QVERIFY(b.klicken(QStringLiteral("nav [data-ansicht=fahren]")));
        QTRY_VERIFY(!b.js(QStringLiteral("return document.getElementById('btn-fahrt').disabled")).toBool());
        // A finger sliding the speed: 200 moves at once cost no connection, the last one counts.
        b.js(QStringLiteral("const r = document.getElementById('fa-tempo'); for (let i = 0; i <= 200; ++i) "
                            "{ r.value = String(i % 16); r.dispatchEvent(new Event('input')); } return 0"));
        QTRY_COMPARE(w.pFahren->faTrack->value(), 200 % 16);
        QCOMPARE(web.server().clients(), 1);
        QVERIFY(b.klicken(QStringLiteral("#btn-fahrt")));
        QTRY_VERIFY(s.karte.block(1).powered);
        QVERIFY(b.klicken(QStringLiteral("#alles-aus")));
        QTRY_VERIFY(!w.pFahren->zugFaehrt());
        for (int n = 1; n <= 4; ++n)
            QCOMPARE(s.karte.block(n), VirtualCard::BlockState{});
    }
};

QTEST_MAIN(BrowserTest)
#include "browser_test.moc"
