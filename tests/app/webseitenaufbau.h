// The window on the virtual card with the web page's server on loopback,
// and a page connected to it through a Qt WebSocket client, shared by the
// web page's tests.
#pragma once

#include "fensterstart.h"
#include "webanbindung.h"
#include "webserver.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QWebSocket>

#include <memory>

namespace webtest {

inline const QByteArray Ini("[Karten]\nBlock=2\nHilfsBlock=1\nMelder=1\nLeds1=1\n");

// One page connected over loopback: what it got, in order.
struct Seite {
    Seite(const web::WebServer& server, const QByteArray& schluessel, const QString& origin = {})
        : ws(origin.isNull() ? QStringLiteral("http://127.0.0.1:%1").arg(server.port()) : origin)
    {
        QObject::connect(&ws, &QWebSocket::textMessageReceived, [this](const QString& t) {
            nachrichten << QJsonDocument::fromJson(t.toUtf8()).object();
        });
        ws.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/ws?k=%2").arg(server.port()).arg(QString::fromLatin1(schluessel))));
    }
    bool offen() const { return ws.state() == QAbstractSocket::ConnectedState; }
    // The reply to one command: "ok" or the error text.
    QString senden(const QByteArray& text)
    {
        const qsizetype vorher = nachrichten.size();
        ws.sendTextMessage(QString::fromUtf8(text));
        QElapsedTimer uhr;
        uhr.start();
        for (;;) {
            for (qsizetype i = vorher; i < nachrichten.size(); ++i) {
                const QString typ = nachrichten[i][QStringLiteral("typ")].toString();
                if (typ == QLatin1String("ok"))
                    return QStringLiteral("ok");
                if (typ == QLatin1String("fehler"))
                    return nachrichten[i][QStringLiteral("text")].toString();
            }
            if (uhr.elapsed() > 5000 || !offen())
                return QStringLiteral("keine Antwort");
            QTest::qWait(5);
        }
    }
    QJsonObject letzte(const QString& typ) const
    {
        for (qsizetype i = nachrichten.size() - 1; i >= 0; --i)
            if (nachrichten[i][QStringLiteral("typ")].toString() == typ)
                return nachrichten[i];
        return {};
    }
    QWebSocket ws;
    QList<QJsonObject> nachrichten;
};

struct Aufbau {
    Aufbau() : s(Ini, true, VirtualLayout{.led1Cards = 1})
    {
        s.fenster->show();
        web = std::make_unique<WebAnbindung>(*s.fenster, QStringLiteral("127.0.0.1:0"));
    }
    TfMain& w() { return *s.fenster; }
    web::WebServer& server() { return web->server(); }
    std::unique_ptr<Seite> seite(const QString& origin = {})
    {
        auto p = std::make_unique<Seite>(server(), server().schluessel(), origin);
        return p;
    }
    Start s;
    std::unique_ptr<WebAnbindung> web;
};

}  // namespace webtest
