// A headless Chromium for the tests of the phone page: Debian's chromedriver
// on a free loopback port, and the few WebDriver calls the tests need.
#pragma once

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace webdriver {

inline const QString ElementSchluessel = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

inline quint16 freierPort()
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

    // The viewport of a phone of this size, held as its sides say.
    void groesse(int breite, int hoehe)
    {
        const QJsonObject flaeche{{QStringLiteral("width"), breite}, {QStringLiteral("height"), hoehe},
                               {QStringLiteral("deviceScaleFactor"), 1}, {QStringLiteral("mobile"), true}};
        aufruf("POST", sitzung_ + QStringLiteral("/goog/cdp/execute"),
               {{QStringLiteral("cmd"), QStringLiteral("Emulation.setDeviceMetricsOverride")},
                {QStringLiteral("params"), flaeche}});
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

}  // namespace webdriver
