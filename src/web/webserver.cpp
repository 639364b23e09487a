#include "webserver.h"

#include <QFile>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>
#include <QWebSocket>
#include <QWebSocketServer>

#include <utility>
#include <vector>

namespace web {

namespace {

constexpr int MaxAnfragen = 32;          // HTTP connections still being read
constexpr int KopfZeitMs = 5000;         // a head not complete by then: closed
constexpr qint64 MaxWsNachricht = 65536; // larger ones close the connection; up to it: refused with a reply

struct Datei {
    const char* pfad;
    const char* resource;
    const char* typ;
};
// The page's files; no other path reaches anything.
constexpr Datei Dateien[] = {
    {"/", ":/web/index.html", "text/html; charset=utf-8"},
    {"/seite.js", ":/web/seite.js", "text/javascript; charset=utf-8"},
    {"/seite.css", ":/web/seite.css", "text/css; charset=utf-8"},
};

const char* statusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

}  // namespace

std::optional<Adresse> adresseLesen(const QString& text, QString* fehler)
{
    const QString t = text.trimmed();
    QString host;
    QString port = t;
    if (t.startsWith(QLatin1Char('['))) {
        const int ende = t.indexOf(QLatin1String("]:"));
        if (ende > 0) {
            host = t.mid(1, ende - 1);
            port = t.mid(ende + 2);
        }
    } else if (const int doppelpunkt = t.lastIndexOf(QLatin1Char(':')); doppelpunkt >= 0) {
        host = t.left(doppelpunkt);
        port = t.mid(doppelpunkt + 1);
    }
    bool ok = false;
    const int p = port.toInt(&ok);
    Adresse a;
    a.host = host.isEmpty() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(host);
    if (!ok || p < 0 || p > 65535 || a.host.isNull()) {
        if (fehler)
            *fehler = QStringLiteral("\"%1\" ist keine Adresse für die Web-Seite: erwartet wird PORT oder "
                                     "ADRESSE:PORT, etwa 8080 oder 0.0.0.0:8080 (Port 1 bis 65535; 0: ein freier).")
                          .arg(t.left(60));
        return std::nullopt;
    }
    a.port = quint16(p);
    return a;
}

QByteArray neuerSchluessel()
{
    QByteArray roh(16, '\0');
    for (char& c : roh)
        c = char(QRandomGenerator::system()->bounded(256));
    return roh.toHex();
}

bool schluesselGleich(QByteArrayView a, QByteArrayView b)
{
    unsigned d = a.size() == b.size() ? 0u : 1u;
    for (qsizetype i = 0; i < b.size(); ++i)
        d |= unsigned(uchar(i < a.size() ? a[i] : 0) ^ uchar(b[i]));
    return d == 0;
}

WebServer::WebServer(QObject* parent)
    : QObject(parent)
    , tcp_(new QTcpServer(this))
    , ws_(new QWebSocketServer(QStringLiteral("KVX-Test"), QWebSocketServer::NonSecureMode, this))
    , wache_(new QTimer(this))
    , schluessel_(neuerSchluessel())
{
    tcp_->setMaxPendingConnections(MaxAnfragen);
    connect(tcp_, &QTcpServer::newConnection, this, &WebServer::neueVerbindung);
    connect(ws_, &QWebSocketServer::newConnection, this, &WebServer::neuerClient);
    wache_->setInterval(250);
    connect(wache_, &QTimer::timeout, this, &WebServer::pruefen);
}

WebServer::~WebServer()
{
    beenden();
}

QString WebServer::starten(const QString& adresse)
{
    beenden();
    QString fehler;
    const std::optional<Adresse> a = adresseLesen(adresse, &fehler);
    if (!a)
        return fehler;
    if (!tcp_->listen(a->host, a->port))
        return QStringLiteral("Die Web-Seite kann nicht an %1 starten: %2").arg(adresse.trimmed(), tcp_->errorString());
    wache_->start();
    return {};
}

void WebServer::beenden()
{
    wache_->stop();
    tcp_->close();
    while (!clients_.empty())
        trennen(clients_.begin()->first, QStringLiteral("Web-Seite beendet"));
}

bool WebServer::laeuft() const
{
    return tcp_->isListening();
}

quint16 WebServer::port() const
{
    return tcp_->serverPort();
}

QHostAddress WebServer::host() const
{
    return tcp_->serverAddress();
}

void WebServer::schluesselErneuern()
{
    schluessel_ = neuerSchluessel();
    while (!clients_.empty())
        trennen(clients_.begin()->first, QStringLiteral("neuer Zugangsschlüssel"));
}

void WebServer::schluesselSetzen(const QByteArray& hex)
{
    if (std::exchange(schluessel_, hex) != hex)
        while (!clients_.empty())
            trennen(clients_.begin()->first, QStringLiteral("neuer Zugangsschlüssel"));
}

QString WebServer::url() const
{
    QHostAddress h = host();
    if (h == QHostAddress::Any || h == QHostAddress::AnyIPv4 || h == QHostAddress::AnyIPv6) {
        h = QHostAddress(QHostAddress::LocalHost);
        for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
            if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal()) {
                h = a;
                break;
            }
        }
    }
    const QString name = h.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(h.toString())
                                                                        : h.toString();
    return QStringLiteral("http://%1:%2/?k=%3").arg(name).arg(port()).arg(QString::fromLatin1(schluessel_));
}

// ------------------------------------------------------------------ HTTP

void WebServer::neueVerbindung()
{
    while (QTcpSocket* s = tcp_->nextPendingConnection()) {
        if (findChildren<QTcpSocket*>(QString(), Qt::FindDirectChildrenOnly).size() > MaxAnfragen) {
            s->abort();
            s->deleteLater();
            continue;
        }
        s->setParent(this);
        auto* frist = new QTimer(s);
        frist->setObjectName(QStringLiteral("frist"));
        frist->setSingleShot(true);
        connect(frist, &QTimer::timeout, s, &QTcpSocket::abort);
        frist->start(KopfZeitMs);
        connect(s, &QTcpSocket::readyRead, this, [this, s] { anfrageLesen(s); });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        if (s->bytesAvailable() > 0)
            anfrageLesen(s);
    }
}

void WebServer::antworten(QTcpSocket* s, int status, const QByteArray& typ, const QByteArray& inhalt)
{
    s->readAll();
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    QByteArray kopf = "HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) + "\r\n";
    kopf += "Content-Type: " + typ + "\r\nContent-Length: " + QByteArray::number(inhalt.size()) + "\r\n";
    kopf += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n";
    kopf += "Content-Security-Policy: default-src 'self'; connect-src 'self' ws: ; img-src 'self' data:\r\n";
    kopf += "Connection: close\r\n\r\n";
    s->write(kopf + inhalt);
    s->disconnectFromHost();
}

void WebServer::anfrageLesen(QTcpSocket* s)
{
    const QByteArray vorschau = s->peek(MaxKopf);
    const qsizetype ende = vorschau.indexOf("\r\n\r\n");
    if (ende < 0) {
        if (vorschau.size() >= MaxKopf)
            antworten(s, 431, "text/plain; charset=utf-8", "Anfrage zu lang.\n");
        return;
    }
    const QList<QByteArray> zeilen = vorschau.left(ende).split('\n');
    const QList<QByteArray> start = zeilen.first().trimmed().split(' ');
    if (start.size() != 3 || !start[2].startsWith("HTTP/1.")) {
        antworten(s, 400, "text/plain; charset=utf-8", "Ungültige Anfrage.\n");
        return;
    }
    if (start[0] != "GET") {
        antworten(s, 405, "text/plain; charset=utf-8", "Nur GET.\n");
        return;
    }
    std::map<QByteArray, QByteArray> kopf;
    for (qsizetype i = 1; i < zeilen.size(); ++i) {
        const QByteArray& z = zeilen[i];
        const qsizetype d = z.indexOf(':');
        if (d > 0)
            kopf[z.left(d).trimmed().toLower()] = z.mid(d + 1).trimmed();
    }
    const QUrl ziel(QString::fromLatin1(start[1]), QUrl::StrictMode);
    const QString k = QUrlQuery(ziel).queryItemValue(QStringLiteral("k"));
    if (!ziel.isValid() || !schluesselGleich(k.toLatin1(), schluessel_)) {
        antworten(s, 401, "text/plain; charset=utf-8", "Zugangsschlüssel fehlt oder ist falsch.\n");
        return;
    }
    const QString pfad = ziel.path();
    if (pfad == QLatin1String("/ws")) {
        const QByteArray origin = kopf["origin"];
        if (origin.isEmpty() || origin != "http://" + kopf["host"]) {
            antworten(s, 403, "text/plain; charset=utf-8", "Fremde Herkunft.\n");
            return;
        }
        if (kopf["upgrade"].toLower() != "websocket") {
            antworten(s, 400, "text/plain; charset=utf-8", "WebSocket erwartet.\n");
            return;
        }
        if (clients() >= MaxClients) {
            antworten(s, 503, "text/plain; charset=utf-8", "Schon 8 Seiten verbunden.\n");
            return;
        }
        // The head stays in the socket: QWebSocketServer reads the handshake itself.
        disconnect(s, &QTcpSocket::readyRead, this, nullptr);
        disconnect(s, &QTcpSocket::disconnected, s, nullptr);
        delete s->findChild<QTimer*>(QStringLiteral("frist"));
        s->setParent(nullptr);
        ws_->handleConnection(s);
        // Some versions read the head only on the next readyRead, others
        // announce what is waiting themselves: a head still unread gets one.
        QTimer::singleShot(0, s, [s] {
            if (s->bytesAvailable() > 0)
                Q_EMIT s->readyRead();
        });
        return;
    }
    for (const Datei& d : Dateien) {
        if (pfad == QLatin1String(d.pfad)) {
            QFile f(QString::fromLatin1(d.resource));
            QByteArray inhalt = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            inhalt.replace("@SCHLUESSEL@", schluessel_);
            antworten(s, 200, d.typ, inhalt);
            return;
        }
    }
    antworten(s, 404, "text/plain; charset=utf-8", "Nicht gefunden.\n");
}

// ------------------------------------------------------------- WebSocket

void WebServer::neuerClient()
{
    while (QWebSocket* w = ws_->nextPendingConnection()) {
        if (clients() >= MaxClients) {   // upgrades that came in together
            w->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("Schon 8 Seiten verbunden."));
            w->deleteLater();
            continue;
        }
        w->setParent(this);
        w->setMaxAllowedIncomingMessageSize(MaxWsNachricht);
        w->setMaxAllowedIncomingFrameSize(MaxWsNachricht);
        const int id = naechsteId_++;
        Client& c = clients_[id];
        c.socket = w;
        c.zuletzt.start();
        c.fenster.start();
        connect(w, &QWebSocket::textMessageReceived, this, [this, id](const QString& t) { nachricht(id, t); });
        connect(w, &QWebSocket::binaryMessageReceived, this,
                [this, id](const QByteArray&) { fehlerSenden(id, QStringLiteral("Nur Textnachrichten.")); });
        connect(w, &QWebSocket::disconnected, this, [this, id] { trennen(id, QStringLiteral("Verbindung getrennt")); });
        Q_EMIT verbunden(id);
    }
}

void WebServer::fehlerSenden(int id, const QString& text)
{
    const QString t = QString(text).replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    senden(id, QStringLiteral("{\"typ\":\"fehler\",\"text\":\"%1\"}").arg(t).toUtf8());
}

void WebServer::nachricht(int id, const QString& text)
{
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    Client& c = it->second;
    c.zuletzt.restart();
    if (c.fenster.elapsed() >= 1000) {
        c.fenster.restart();
        c.befehle = 0;
    }
    if (++c.befehle > MaxBefehleProSekunde) {
        fehlerSenden(id, QStringLiteral("Mehr als %1 Befehle in einer Sekunde: die Verbindung wird getrennt.")
                             .arg(MaxBefehleProSekunde));
        trennen(id, QStringLiteral("zu viele Befehle"));
        return;
    }
    const QByteArray utf8 = text.toUtf8();
    const Lesung l = befehlLesen(utf8);
    if (!l.befehl) {
        fehlerSenden(id, l.fehler);
        return;
    }
    if (l.befehl->art == Art::Lebt)
        return;
    if (l.befehl->art == Art::Sichtbar) {
        const bool warVerborgen = std::exchange(c.verborgen, !l.befehl->an);
        if (c.verborgen && !warVerborgen)
            Q_EMIT verloren(id, QStringLiteral("Web-Seite verborgen"));
        return;
    }
    Q_EMIT befehl(id, *l.befehl);
}

void WebServer::senden(int client, const QByteArray& json)
{
    const auto it = clients_.find(client);
    if (it != clients_.end())
        it->second.socket->sendTextMessage(QString::fromUtf8(json));
}

void WebServer::rundsenden(const QByteArray& json)
{
    const QString t = QString::fromUtf8(json);
    for (auto& [id, c] : clients_)
        c.socket->sendTextMessage(t);
}

void WebServer::pruefen()
{
    std::vector<int> still;
    for (const auto& [id, c] : clients_)
        if (c.zuletzt.elapsed() > TotNachMs)
            still.push_back(id);
    for (int id : still)
        trennen(id, QStringLiteral("Web-Seite antwortet nicht mehr"));
}

void WebServer::trennen(int id, const QString& grund)
{
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    QWebSocket* w = it->second.socket;
    clients_.erase(it);
    w->disconnect(this);
    w->close();
    w->deleteLater();
    Q_EMIT verloren(id, grund);
}

}  // namespace web
