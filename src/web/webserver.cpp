#include "webserver.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <utility>
#include <vector>

namespace web {

namespace {

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

WebServer::WebServer(QObject* parent)
    : QObject(parent)
    , tcp_(new QTcpServer(this))
    , ws_(new QWebSocketServer(QStringLiteral("KVX-Test"), QWebSocketServer::NonSecureMode, this))
    , wache_(new QTimer(this))
    , schluessel_(neuerSchluessel())
{
    tcp_->setMaxPendingConnections(MaxOffen);
    ws_->setHandshakeTimeout(std::chrono::milliseconds(KopfZeitMs));
    connect(tcp_, &QTcpServer::newConnection, this, &WebServer::neueVerbindung);
    connect(ws_, &QWebSocketServer::newConnection, this, &WebServer::neuerClient);
    wache_->setInterval(250);
    connect(wache_, &QTimer::timeout, this, &WebServer::pruefen);
}

WebServer::~WebServer()
{
    beenden(QString::fromUtf8(Abschied));
}

QString WebServer::starten(const QString& adresse)
{
    beenden();
    QString fehler;
    const std::optional<Adresse> a = adresseLesen(adresse, &fehler);
    if (!a)
        return fehler;
    hosts_.clear();   // the names carry the port
    if (!tcp_->listen(a->host, a->port))
        return QStringLiteral("Die Web-Seite kann nicht an %1 starten: %2").arg(adresse.trimmed(), tcp_->errorString());
    wache_->start();
    return {};
}

void WebServer::beenden(const QString& abschied)
{
    wache_->stop();
    tcp_->close();
    while (!clients_.empty()) {
        const int id = clients_.begin()->first;
        // Closing may report the page gone at once, and remove it.
        if (const Client& c = clients_.begin()->second; !abschied.isEmpty() && !c.weg)
            c.socket->close(QWebSocketProtocol::CloseCodeGoingAway, abschied);
        trennen(id, QStringLiteral("Web-Seite beendet"));
    }
    while (!offen_.empty()) {
        QObject* o = offen_.begin()->first;
        offen_.erase(offen_.begin());
        offenEnde(o);
    }
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

// ------------------------------------------------------------- WebSocket

// Before Qt's reader of the connection: the frames that arrived since the
// last look, counted; too many in a second close the connection before
// Qt reads (and answers) any of them.
void WebServer::eingang(QTcpSocket* s)
{
    const auto it = eingaenge_.find(s);
    if (it == eingaenge_.end())
        return;
    Eingang& e = it->second;
    if (e.fenster.elapsed() >= 1000) {
        e.fenster.restart();
        e.rahmen = 0;
    }
    const qint64 da = s->bytesAvailable();
    if (da > e.gesehen) {
        const QByteArray puffer = s->peek(da);
        e.rahmen += e.zaehler.lesen(QByteArrayView(puffer).sliced(e.gesehen));
    }
    e.gesehen = da;
    const bool zuViele = e.rahmen > MaxBefehleProSekunde;
    if (!zuViele && !e.zaehler.unmaskiert())
        return;
    const int id = e.client;
    if (id == 0) {
        s->abort();
    } else if (zuViele) {
        const QString text = QStringLiteral("Mehr als %1 Nachrichten in einer Sekunde").arg(MaxBefehleProSekunde);
        fehlerSenden(id, text + QStringLiteral(": die Verbindung wird getrennt."));
        trennen(id, QStringLiteral("zu viele Nachrichten"), {QWebSocketProtocol::CloseCodePolicyViolated, text});
    } else {
        // A client masks every frame; Qt's reader takes them either way.
        trennen(id, QStringLiteral("Rahmen ohne Maske"),
                {QWebSocketProtocol::CloseCodeProtocolError, QStringLiteral("Rahmen ohne Maske")});
    }
}

// After Qt's reader: what it left in the buffer has been counted; and what
// it answered (pongs) may have filled the page's backlog.
void WebServer::nachEingang(QTcpSocket* s)
{
    const auto it = eingaenge_.find(s);
    if (it == eingaenge_.end())
        return;
    it->second.gesehen = s->bytesAvailable();
    if (it->second.client)
        rueckstauPruefen(it->second.client);
}

void WebServer::neuerClient()
{
    while (QWebSocket* w = ws_->nextPendingConnection()) {
        w->setParent(this);
        // The connection under it and what its head decided.
        QTcpSocket* tcp = nullptr;
        Eingang* e = nullptr;
        aufraeumen();
        for (auto& [s, eg] : eingaenge_) {
            if (eg.client == 0 && s->peerPort() == w->peerPort() && s->peerAddress() == w->peerAddress()) {
                tcp = s;
                e = &eg;
                break;
            }
        }
        // A page waits for the upgrade before it sends: frames already
        // behind the head would pass the count unseen by it.
        const int code = !e                           ? SchlussFalscherSchluessel
                         : e->abweisen != 0           ? e->abweisen
                         : tcp->bytesAvailable() > 0  ? SchlussZuFrueh
                         : clients() >= MaxClients    ? SchlussVoll
                                                      : 0;
        if (code != 0) {
            abweisen(w, code);
            continue;
        }
        e->gesehen = tcp->bytesAvailable();
        connect(tcp, &QTcpSocket::readyRead, this, [this, tcp] { nachEingang(tcp); });
        w->setMaxAllowedIncomingMessageSize(MaxWsNachricht);
        w->setMaxAllowedIncomingFrameSize(MaxWsNachricht);
        w->setReadBufferSize(MaxLesepuffer);
        const int id = naechsteId_++;
        e->client = id;
        Client& c = clients_[id];
        c.socket = w;
        c.tcp = tcp;
        c.zuletzt.start();
        c.fenster.start();
        connect(w, &QWebSocket::textMessageReceived, this, [this, id](const QString& t) { nachricht(id, t); });
        connect(w, &QWebSocket::binaryMessageReceived, this,
                [this, id](const QByteArray&) { fehlerSenden(id, QStringLiteral("Nur Textnachrichten.")); });
        connect(w, &QWebSocket::disconnected, this, [this, id] { trennen(id, QStringLiteral("Verbindung getrennt")); });
        Q_EMIT verbunden(id);
    }
}

// Upgraded and closed at once with a code the page can tell the user; until
// it is closed it counts as a connection that is no page.
void WebServer::abweisen(QWebSocket* w, int code)
{
    offenAufnehmen(w, w->peerAddress());
    connect(w, &QWebSocket::disconnected, w, &QObject::deleteLater);
    w->close(QWebSocketProtocol::CloseCode(code), schlussGrund(code));
}

void WebServer::fehlerSenden(int id, const QString& text)
{
    const QJsonObject o{{QStringLiteral("typ"), QStringLiteral("fehler")}, {QStringLiteral("text"), text}};
    senden(id, QJsonDocument(o).toJson(QJsonDocument::Compact));
}

void WebServer::nachricht(int id, const QString& text)
{
    const auto it = clients_.find(id);
    if (it == clients_.end() || it->second.weg)
        return;
    Client& c = it->second;
    // What the handlers below do may let events run, among them the
    // watchdog: the page stays until they return, and c is not used after them.
    QWebSocket* w = c.socket;
    ++tiefe_[w];
    const auto ende = qScopeGuard([this, w] { handlerEnde(w); });
    c.zuletzt.restart();
    if (c.fenster.elapsed() >= 1000) {
        c.fenster.restart();
        c.befehle = 0;
    }
    if (++c.befehle > MaxBefehleProSekunde) {
        const QString text = QStringLiteral("Mehr als %1 Befehle in einer Sekunde").arg(MaxBefehleProSekunde);
        fehlerSenden(id, text + QStringLiteral(": die Verbindung wird getrennt."));
        trennen(id, QStringLiteral("zu viele Befehle"), {QWebSocketProtocol::CloseCodePolicyViolated, text});
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

void WebServer::handlerEnde(QWebSocket* w)
{
    const auto it = tiefe_.find(w);
    if (it == tiefe_.end() || --it->second > 0)
        return;
    tiefe_.erase(it);
    if (const auto v = verwaist_.find(w); v != verwaist_.end()) {
        const Schluss schluss = v->second;
        verwaist_.erase(v);
        schliessen(w, schluss);
    }
}

// Closed, and deleted by the event loop; not while its own handler runs:
// one that let events run still has the page on its stack, and closing its
// connection there would delete that (Qt deletes it once disconnected).
void WebServer::schliessen(QWebSocket* w, const Schluss& schluss)
{
    if (tiefe_.count(w) > 0) {
        // The first reason stays; an abort wins.
        Schluss& v = verwaist_.try_emplace(w, schluss).first->second;
        v.sofort = v.sofort || schluss.sofort;
        return;
    }
    if (schluss.sofort)
        w->abort();
    else
        w->close(schluss.code, schluss.text);
    w->deleteLater();
}

void WebServer::senden(int client, const QByteArray& json)
{
    const auto it = clients_.find(client);
    if (it == clients_.end() || it->second.weg)
        return;
    it->second.socket->sendTextMessage(QString::fromUtf8(json));
    rueckstauPruefen(client);
}

void WebServer::rundsenden(const QByteArray& json)
{
    // Writing may report a closed connection at once: the ids first.
    std::vector<int> ids;
    for (const auto& [id, c] : clients_)
        ids.push_back(id);
    const QString t = QString::fromUtf8(json);
    for (int id : ids) {
        const auto it = clients_.find(id);
        if (it == clients_.end() || it->second.weg)
            continue;
        it->second.socket->sendTextMessage(t);
        rueckstauPruefen(id);
    }
}

qint64 WebServer::rueckstau(int client) const
{
    const auto it = clients_.find(client);
    return it == clients_.end() || it->second.weg ? 0 : it->second.socket->bytesToWrite();
}

// A page that does not read what it is sent: dropped before its backlog
// grows past the bound.
bool WebServer::rueckstauPruefen(int id)
{
    if (rueckstau(id) <= MaxRueckstau)
        return true;
    abwerfen(id, QStringLiteral("Web-Seite liest nicht mehr"));
    return false;
}

// Entries whose socket went without their destroyed signal reaching us.
void WebServer::aufraeumen()
{
    std::erase_if(offen_, [](const auto& o) { return o.second.objekt.isNull(); });
    std::erase_if(eingaenge_, [](const auto& e) { return e.second.tcp.isNull(); });
}

void WebServer::pruefen()
{
    aufraeumen();
    std::vector<int> still;
    for (const auto& [id, c] : clients_)
        if (!c.weg && c.zuletzt.elapsed() > TotNachMs)
            still.push_back(id);
    for (int id : still)
        trennen(id, QStringLiteral("Web-Seite antwortet nicht mehr"));
    std::vector<QObject*> alt;
    for (const auto& [o, e] : offen_)
        if (e.seit.elapsed() > KopfZeitMs)
            alt.push_back(o);
    for (QObject* o : alt) {
        if (offen_.erase(o) > 0)
            offenEnde(o);
    }
}

// Dropped now, reported by a queued call: whoever sent to it (a handler of
// the program) does not see the page vanish under it.
void WebServer::abwerfen(int id, const QString& grund)
{
    const auto it = clients_.find(id);
    if (it == clients_.end() || it->second.weg)
        return;
    it->second.weg = true;
    QWebSocket* w = it->second.socket;
    w->disconnect(this);
    schliessen(w, {QWebSocketProtocol::CloseCodeNormal, {}, true});
    QMetaObject::invokeMethod(this, [this, id, grund] { trennen(id, grund); }, Qt::QueuedConnection);
}

void WebServer::trennen(int id, const QString& grund, const Schluss& schluss)
{
    const auto it = clients_.find(id);
    if (it == clients_.end())
        return;
    QWebSocket* w = it->second.socket;
    if (const auto e = eingaenge_.find(it->second.tcp); e != eingaenge_.end() && e->second.client == id)
        e->second.client = 0;
    const bool weg = it->second.weg;
    clients_.erase(it);
    if (!weg) {   // dropped by abwerfen: closed and maybe deleted already
        w->disconnect(this);
        schliessen(w, schluss);
    }
    Q_EMIT verloren(id, grund);
}

}  // namespace web
