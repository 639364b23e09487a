// The server of the web page: one port for the page's own files (from the
// program's resources, nothing else) and the WebSocket the page talks
// through. A small HTTP reader on QTcpServer answers the files and hands a
// WebSocket upgrade to QWebSocketServer, whose interface is the same in
// every Qt 6 we build with.
//
// Every request carries the access key (?k=...): a random 128-bit key made
// at each start, compared in constant time; a request without it gets 401.
// The WebSocket also needs the page's own origin (Origin equal to
// http://<Host>), and takes at most MaxClients pages at once. A message over
// web::MaxNachricht bytes, one that is no command, and more than
// MaxBefehleProSekunde commands a second from one page are refused; the last
// closes the page's connection.
//
// A page sends "lebt" twice a second. One silent for TotNachMs, or closed,
// is lost; one that says it is hidden is hidden: both are reported
// (verloren), so that what that page started can stop.
#pragma once

#include "befehl.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <map>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

namespace web {

inline constexpr int MaxClients = 8;
inline constexpr int MaxBefehleProSekunde = 50;
inline constexpr int TotNachMs = 1500;
inline constexpr int MaxKopf = 8192;   // bytes of a request's head

// "PORT", "ADRESSE:PORT" or "[IPv6]:PORT"; without an address the loopback one;
// port 0 takes a free one.
struct Adresse {
    QHostAddress host;
    quint16 port = 0;
};
std::optional<Adresse> adresseLesen(const QString& text, QString* fehler = nullptr);

// 16 random bytes from the system's generator, as 32 hex digits.
QByteArray neuerSchluessel();
// Equal in time independent of where they differ.
bool schluesselGleich(QByteArrayView a, QByteArrayView b);

class WebServer : public QObject {
    Q_OBJECT
public:
    explicit WebServer(QObject* parent = nullptr);
    ~WebServer() override;

    // Listens at adresse (see adresseLesen); the error in German, empty when it listens.
    QString starten(const QString& adresse);
    void beenden();
    bool laeuft() const;
    quint16 port() const;
    QHostAddress host() const;

    QByteArray schluessel() const { return schluessel_; }
    // A new key; every page connected now is closed.
    void schluesselErneuern();
    // The key kept from an earlier run (32 hex digits); pages connected with another are closed.
    void schluesselSetzen(const QByteArray& hex);
    // The page's address with the key; for a server on every interface the
    // first address of this machine a phone can reach.
    QString url() const;

    int clients() const { return int(clients_.size()); }
    void senden(int client, const QByteArray& json);
    void rundsenden(const QByteArray& json);

Q_SIGNALS:
    void befehl(int client, const web::Befehl& b);
    void verbunden(int client);
    // The page closed, went silent or was hidden (grund says which, in German).
    void verloren(int client, const QString& grund);

private:
    struct Client {
        QWebSocket* socket = nullptr;
        QElapsedTimer zuletzt;   // since its last message
        QElapsedTimer fenster;   // the current second of the rate limit
        int befehle = 0;
        bool verborgen = false;
    };

    void neueVerbindung();
    void anfrageLesen(QTcpSocket* s);
    void antworten(QTcpSocket* s, int status, const QByteArray& typ, const QByteArray& inhalt);
    void neuerClient();
    void nachricht(int id, const QString& text);
    void fehlerSenden(int id, const QString& text);
    void pruefen();
    void trennen(int id, const QString& grund);

    QTcpServer* tcp_;
    QWebSocketServer* ws_;
    QTimer* wache_;
    QByteArray schluessel_;
    std::map<int, Client> clients_;
    int naechsteId_ = 1;
};

}  // namespace web
