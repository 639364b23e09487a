#include "webmeldungen.h"

#include "webserver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray json(const QJsonObject& o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

}  // namespace

WebMeldungen::WebMeldungen(web::WebServer& server, QObject* parent) : QObject(parent), server_(server)
{
    connect(&server_, &web::WebServer::befehl, this, &WebMeldungen::befehl);
    connect(&server_, &web::WebServer::verbunden, this, [this](int client) {
        for (const auto& [nr, meldung] : offen_)
            server_.senden(client, meldung);
    });
    meldungsSpiegelSetzen(this);
}

WebMeldungen::~WebMeldungen()
{
    meldungsSpiegelSetzen(nullptr);
}

bool WebMeldungen::erreichbar() const
{
    return server_.laeuft();
}

void WebMeldungen::geoeffnet(int nr, const QString& text, const QStringList& knoepfe)
{
    QByteArray& m = offen_[nr];
    m = json({{QStringLiteral("typ"), QStringLiteral("meldung")},
              {QStringLiteral("id"), nr},
              {QStringLiteral("text"), text},
              {QStringLiteral("knoepfe"), QJsonArray::fromStringList(knoepfe)}});
    server_.rundsenden(m);
}

void WebMeldungen::geschlossen(int nr)
{
    if (offen_.erase(nr) == 0)
        return;
    server_.rundsenden(json({{QStringLiteral("typ"), QStringLiteral("meldungZu")}, {QStringLiteral("id"), nr}}));
}

void WebMeldungen::befehl(int client, const web::Befehl& b)
{
    QString fehler;
    if (b.art == web::Art::AllesAus && !gebunden_) {
        QString text = startAus ? startAus() : QString();
        if (text.isEmpty())
            text = QStringLiteral("Alles aus: Das Programm startet noch und hat nichts eingeschaltet.");
        server_.senden(client, json({{QStringLiteral("typ"), QStringLiteral("ok")},
                                     {QStringLiteral("befehl"), web::befehlName(b.art)},
                                     {QStringLiteral("text"), text}}));
        return;
    }
    if (b.art == web::Art::Antwort) {
        switch (meldungBeantworten(b.nr, b.knopf)) {
        case Beantwortung::Geschlossen:
            break;
        case Beantwortung::SchonZu:
            fehler = QStringLiteral("Diese Meldung ist schon beantwortet.");
            break;
        case Beantwortung::KeinKnopf:
            fehler = QStringLiteral("Die Meldung hat keinen Knopf \"%1\".").arg(b.knopf);
            break;
        case Beantwortung::Unbekannt:
            fehler = QStringLiteral("Eine Meldung mit der Nummer %1 gibt es nicht.").arg(b.nr);
            break;
        }
    } else if (!gebunden_) {
        fehler = ohneBildschirm() ? QStringLiteral("Das Programm startet noch; Befehle nimmt es an, sobald es ganz gestartet ist.")
                                  : QStringLiteral("Das Programm startet noch; Befehle nimmt es an, sobald das Hauptfenster steht.");
    } else {
        return;   // the window's
    }
    server_.senden(client, json(fehler.isEmpty() ? QJsonObject{{QStringLiteral("typ"), QStringLiteral("ok")},
                                                               {QStringLiteral("befehl"), web::befehlName(b.art)}}
                                                 : QJsonObject{{QStringLiteral("typ"), QStringLiteral("fehler")},
                                                               {QStringLiteral("text"), fehler}}));
}
