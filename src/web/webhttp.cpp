// The HTTP side of the web page's server: connections until they are a page.
#include "webserver.h"

#include <QFile>
#include <QHostInfo>
#include <QRegularExpression>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkInterface>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <algorithm>
#include <map>
#include <tuple>

namespace web {

namespace {

// The names a browser on the network may use for this machine: each of its
// addresses, localhost, its host name and that name in .local.
QList<QByteArray> hostsFuer(quint16 port, const QList<QByteArray>& weitere)
{
    QList<QByteArray> namen{"localhost"};
    namen << weitere;
    const QByteArray rechner = QHostInfo::localHostName().toLower().toUtf8();
    if (!rechner.isEmpty())
        namen << rechner << rechner + ".local";
    for (QHostAddress a : QNetworkInterface::allAddresses()) {
        a.setScopeId(QString());
        const QByteArray text = a.toString().toLatin1().toLower();
        namen << (a.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text);
    }
    QList<QByteArray> hosts;
    for (const QByteArray& n : namen) {
        hosts << n + ':' + QByteArray::number(port);
        if (port == 80)
            hosts << n;
    }
    return hosts;
}

// The manifest that lets a phone keep the page on its home screen; the
// colours are the page's background and its theme colour (the page's
// meta theme-color). Its id stays the same whatever the key in start_url:
// one app on the phone, also after a new key.
QByteArray manifest(const QByteArray& schluessel)
{
    const auto icon = [](const char* pfad, const char* groesse) {
        return QJsonObject{{QStringLiteral("src"), QLatin1String(pfad)},
                           {QStringLiteral("sizes"), QLatin1String(groesse)},
                           {QStringLiteral("type"), QStringLiteral("image/png")}};
    };
    const QJsonObject m{
        {QStringLiteral("name"), QStringLiteral("KVX-Test")},
        {QStringLiteral("short_name"), QStringLiteral("KVX-Test")},
        {QStringLiteral("lang"), QStringLiteral("de")},
        {QStringLiteral("id"), QStringLiteral("/")},
        {QStringLiteral("start_url"), QStringLiteral("/?k=") + QString::fromLatin1(schluessel)},
        {QStringLiteral("scope"), QStringLiteral("/")},
        {QStringLiteral("display"), QStringLiteral("standalone")},
        {QStringLiteral("background_color"), QStringLiteral("#f0f0f0")},
        {QStringLiteral("theme_color"), QStringLiteral("#2f4f3a")},
        {QStringLiteral("icons"), QJsonArray{icon("/icon-192.png", "192x192"), icon("/icon-512.png", "512x512")}},
    };
    return QJsonDocument(m).toJson(QJsonDocument::Compact);
}

}  // namespace

void WebServer::offenEnde(QObject* o)
{
    if (auto* s = qobject_cast<QAbstractSocket*>(o))
        s->abort();
    else if (auto* w = qobject_cast<QWebSocket*>(o))
        w->abort();
    o->deleteLater();
}

void WebServer::neueVerbindung()
{
    aufraeumen();
    while (QTcpSocket* s = tcp_->nextPendingConnection()) {
        const QHostAddress von = s->peerAddress();
        if (!platzFuer(von)) {
            s->abort();
            s->deleteLater();
            continue;
        }
        s->setParent(this);
        s->setReadBufferSize(MaxKopf);
        offenAufnehmen(s, von);
        connect(s, &QTcpSocket::readyRead, this, [this, s] { anfrageLesen(s); });
        connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        if (s->bytesAvailable() > 0)
            anfrageLesen(s);
    }
}

// Whether a new connection from von may wait for its head. Full from many
// addresses, room is made at the address that holds the most, and only
// when it holds more than von: many idle connections from a few addresses
// end up shared out evenly and then keep what they have, instead of each
// new one closing a phone whose head is still on its way. Of that
// address's connections one past its first moments goes, the one waiting
// longest; one still in them only when it has none other.
bool WebServer::platzFuer(const QHostAddress& von)
{
    std::map<QString, int> proAdresse;
    for (const auto& [o, e] : offen_)
        ++proAdresse[e.von.toString()];
    const int vonDort = proAdresse[von.toString()];
    if (vonDort >= MaxOffenProAdresse)
        return false;
    if (offen_.size() < std::size_t(MaxOffen))
        return true;
    QObject* weg = nullptr;
    std::tuple<int, bool, qint64> bester{vonDort, false, 0};
    for (const auto& [o, e] : offen_) {
        const qint64 alter = e.seit.elapsed();
        const std::tuple<int, bool, qint64> rang{proAdresse[e.von.toString()], alter >= SchonfristMs, alter};
        if (std::get<0>(rang) > vonDort && (weg == nullptr || rang > bester)) {
            weg = o;
            bester = rang;
        }
    }
    if (weg == nullptr)
        return false;
    offen_.erase(weg);
    offenEnde(weg);
    return true;
}

// Until it is a page, o counts for its address and has KopfZeitMs.
void WebServer::offenAufnehmen(QObject* o, const QHostAddress& von)
{
    Offen& e = offen_[o];
    e.objekt = o;
    e.von = von;
    e.seit.start();
    connect(o, &QObject::destroyed, this, [this, o] { offen_.erase(o); });
}

// The names this machine goes by change with its networks: looked up again
// when a request names none of them, at most once a second.
KopfRegeln WebServer::regeln(bool neu)
{
    if (hosts_.isEmpty() || (neu && hostsStand_.elapsed() > 1000)) {
        hosts_ = hostsFuer(port(), namen_);
        hostsStand_.start();
    }
    return {schluessel_, hosts_};
}

QString WebServer::namenSetzen(const QStringList& namen)
{
    namen_.clear();
    QStringList falsch;
    for (const QString& n : namen) {
        const QString name = n.trimmed().toLower();
        // A DNS name: letters, digits, '-' and '.', no port.
        static const QRegularExpression dns(QStringLiteral("^[a-z0-9]([a-z0-9-]*[a-z0-9])?(\\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)*$"));
        if (name.isEmpty())
            continue;
        if (name.size() > 253 || !dns.match(name).hasMatch())
            falsch << n.trimmed();
        else
            namen_ << name.toLatin1();
    }
    hosts_.clear();   // looked up again with them at the next request
    if (falsch.isEmpty())
        return {};
    return QStringLiteral("Die Web-Seite nimmt %1 nicht als Namen dieses Rechners (erlaubt: Buchstaben, Ziffern, "
                          "\"-\" und \".\", ohne Port).")
        .arg(QLatin1Char('"') + falsch.join(QStringLiteral("\", \"")) + QLatin1Char('"'));
}

void WebServer::anfrageLesen(QTcpSocket* s)
{
    const QByteArray vorschau = s->peek(MaxKopf);
    Kopf k = kopfLesen(vorschau, regeln(false));
    if (k.status == 421)
        k = kopfLesen(vorschau, regeln(true));
    switch (k.status) {
    case 0:
        return;
    case 101:
        uebergeben(s, k);
        return;
    case 200:
        antworten(s, 200, k.datei->typ, dateiInhalt(k), k.host);
        return;
    default:
        antworten(s, k.status, "text/plain; charset=utf-8", k.text.toUtf8(), k.host);
    }
}

QByteArray WebServer::dateiInhalt(const Kopf& k) const
{
    if (k.inhalt == Inhalt::Manifest)
        return manifest(schluessel_);
    QFile f(QString::fromLatin1(k.datei->resource));
    QByteArray inhalt = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    if (k.datei->mitSchluessel)
        inhalt.replace("@SCHLUESSEL@", schluessel_);
    return inhalt;
}

// The reply, then the connection closes; until it has, it counts as open.
void WebServer::antworten(QTcpSocket* s, int status, const QByteArray& typ, const QByteArray& inhalt,
                          const QByteArray& host)
{
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    s->readAll();
    s->write(antwortKopf(status, typ, inhalt.size(), host) + inhalt);
    s->disconnectFromHost();
}

// The head stays in the socket: QWebSocketServer reads the handshake itself.
// The frames behind it are counted from here on.
void WebServer::uebergeben(QTcpSocket* s, const Kopf& k)
{
    disconnect(s, &QTcpSocket::readyRead, this, nullptr);
    disconnect(s, &QTcpSocket::disconnected, s, nullptr);
    offen_.erase(s);
    s->setReadBufferSize(MaxLesepuffer);
    Eingang& e = eingaenge_[s] = Eingang{};
    e.tcp = s;
    e.zaehler.ueberspringen(std::uint64_t(k.laenge));
    e.fenster.start();
    e.abweisen = k.abweisen;
    // Before the WebSocket's own reader, which connects after this.
    connect(s, &QTcpSocket::readyRead, this, [this, s] { eingang(s); });
    connect(s, &QObject::destroyed, this, [this, s] { eingaenge_.erase(s); });
    s->setParent(nullptr);
    ws_->handleConnection(s);
    // Some versions read the head only on the next readyRead, others
    // announce what is waiting themselves: a head still unread gets one.
    QTimer::singleShot(0, s, [s] {
        if (s->bytesAvailable() > 0)
            Q_EMIT s->readyRead();
    });
}

}  // namespace web
