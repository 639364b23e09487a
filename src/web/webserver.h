// The server of the web page: one port for the page's own files (from the
// program's resources, nothing else) and the WebSocket the page talks
// through. A small HTTP reader on QTcpServer (kopfLesen) answers the files
// and hands a WebSocket upgrade to QWebSocketServer, whose interface is the
// same in every Qt 6 we build with.
//
// Every request carries the access key (?k=...): a random 128-bit key made
// at each start, compared in constant time; a request without it gets 401,
// a WebSocket without it is upgraded and closed at once with code 4401, so
// that the page can say so. Only the icons go without the key. Every request
// must name this machine in its Host header (against pages of other sites
// reaching it through their own names); the WebSocket also needs the page's
// own origin (Origin equal to http://<Host>), and takes at most MaxClients
// pages at once (the next one is closed with 4503).
//
// Connections that are no page yet (a head being read, a reply being sent,
// a refused WebSocket being closed) have KopfZeitMs in all, one address has
// at most MaxOffenProAdresse of them, and when MaxOffen are open a new one
// takes the place of one from the address that holds the most: slow,
// half-open or idle connections cannot keep a phone out.
//
// A message over web::MaxNachricht bytes and one that is no command are
// refused with a reply. More than MaxBefehleProSekunde frames a second of any
// kind (text, binary, ping, pong) close the page's connection (code 1008),
// a frame without a mask closes it as a protocol error (1002); a page that
// does not read what it is sent is dropped once more than MaxRueckstau bytes
// wait for it. A page sends "lebt" twice a second. One silent for TotNachMs,
// or closed, is lost; one that says it is hidden is hidden: both are
// reported (verloren), so that what that page started can stop.
//
// A page is never deleted under its own handler: a page dropped while its
// message is being handled (a handler that let events run) goes when that
// handler returns.
#pragma once

#include "befehl.h"
#include "kopf.h"
#include "rahmen.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWebSocketProtocol>

#include <map>
#include <optional>

class QTcpServer;
class QTcpSocket;
class QTimer;
class QWebSocket;
class QWebSocketServer;

namespace web {

// What the pages are told when the program ends in order.
inline constexpr char Abschied[] = "Das Programm wurde beendet.";

inline constexpr int MaxClients = 8;
inline constexpr int MaxBefehleProSekunde = 50;
inline constexpr int TotNachMs = 1500;
inline constexpr int KopfZeitMs = 3000;          // a connection that is no page yet: closed by then
inline constexpr int MaxOffenProAdresse = 16;     // such connections from one address
inline constexpr int MaxOffen = 64;               // and from all (see platzFuer)
inline constexpr int SchonfristMs = 1000;         // the first moments of a connection, spared when full
inline constexpr qint64 MaxRueckstau = 1 << 20;   // bytes waiting for a page that does not read
inline constexpr qint64 MaxWsNachricht = 65536;   // larger ones close the connection; up to it: refused with a reply
inline constexpr qint64 MaxLesepuffer = 4 * MaxWsNachricht;   // read from a page's connection at a time

// "PORT", "ADRESSE:PORT" or "[IPv6]:PORT"; without an address the loopback one;
// port 0 takes a free one.
struct Adresse {
    QHostAddress host;
    quint16 port = 0;
};
std::optional<Adresse> adresseLesen(const QString& text, QString* fehler = nullptr);

// 16 random bytes from the system's generator, as 32 hex digits.
QByteArray neuerSchluessel();

class WebServer : public QObject {
    Q_OBJECT
public:
    explicit WebServer(QObject* parent = nullptr);
    ~WebServer() override;

    // Listens at adresse (see adresseLesen); the error in German, empty when it listens.
    QString starten(const QString& adresse);
    // Stops listening and closes every page; with abschied as the program
    // ends: code 1001 (going away) with that reason (at most 123 bytes of
    // UTF-8), so that the page says so. Gone, the server says Abschied.
    void beenden(const QString& abschied = {});
    bool laeuft() const;
    quint16 port() const;
    QHostAddress host() const;

    QByteArray schluessel() const { return schluessel_; }
    // A new key; every page connected now is closed.
    void schluesselErneuern();
    // The key kept from an earlier run (32 hex digits); pages connected with another are closed.
    void schluesselSetzen(const QByteArray& hex);
    // Further names under which a phone reaches this machine (a name of the
    // home network's DNS, "anlage.fritz.box"), beside its addresses, its
    // host name and localhost. Returns why a name was not taken (German),
    // empty when all were.
    QString namenSetzen(const QStringList& namen);
    // The page's address with the key; for a server on every interface the
    // first address of this machine a phone can reach.
    QString url() const;

    int clients() const { return int(clients_.size()); }
    // Bytes waiting to go to client; 0 for one not connected.
    qint64 rueckstau(int client) const;
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
        QTcpSocket* tcp = nullptr;
        QElapsedTimer zuletzt;   // since its last message
        QElapsedTimer fenster;   // the current second of the rate limit
        int befehle = 0;
        bool verborgen = false;
        bool weg = false;        // dropped; removed by a queued call
    };
    // A connection that is no page yet.
    // Kept by address, as a key only: Qt's WebSocket classes may cut every
    // connection of a socket, the one of destroyed too; a gone one is purged.
    struct Offen {
        QPointer<QObject> objekt;
        QHostAddress von;
        QElapsedTimer seit;
    };
    // The frames arriving on an upgraded connection, counted before Qt's
    // reader takes them (eingang), and the bytes that reader left (nachEingang).
    struct Eingang {
        QPointer<QTcpSocket> tcp;
        RahmenZaehler zaehler;
        qint64 gesehen = 0;      // bytes at the front of the socket's buffer already counted
        QElapsedTimer fenster;
        int rahmen = 0;          // in the current second
        int abweisen = 0;        // close code decided by the head
        int client = 0;          // 0: not a page (yet)
    };

    // How a page's connection is closed: with a code and reason, or aborted.
    struct Schluss {
        QWebSocketProtocol::CloseCode code = QWebSocketProtocol::CloseCodeNormal;
        QString text;
        bool sofort = false;
    };

    void neueVerbindung();
    bool platzFuer(const QHostAddress& von);
    void offenAufnehmen(QObject* o, const QHostAddress& von);
    static void offenEnde(QObject* o);
    void anfrageLesen(QTcpSocket* s);
    void antworten(QTcpSocket* s, int status, const QByteArray& typ, const QByteArray& inhalt, const QByteArray& host);
    QByteArray dateiInhalt(const Kopf& k) const;
    KopfRegeln regeln(bool neu);
    void uebergeben(QTcpSocket* s, const Kopf& k);
    void eingang(QTcpSocket* s);
    void nachEingang(QTcpSocket* s);
    void neuerClient();
    void abweisen(QWebSocket* w, int code);
    void nachricht(int id, const QString& text);
    void fehlerSenden(int id, const QString& text);
    bool rueckstauPruefen(int id);
    void pruefen();
    void abwerfen(int id, const QString& grund);
    void trennen(int id, const QString& grund) { trennen(id, grund, Schluss()); }
    void trennen(int id, const QString& grund, const Schluss& schluss);
    void handlerEnde(QWebSocket* w);
    void schliessen(QWebSocket* w, const Schluss& schluss);
    void aufraeumen();

    QTcpServer* tcp_;
    QWebSocketServer* ws_;
    QTimer* wache_;
    QByteArray schluessel_;
    std::map<int, Client> clients_;
    std::map<QObject*, Offen> offen_;
    std::map<QTcpSocket*, Eingang> eingaenge_;
    std::map<QWebSocket*, int> tiefe_;      // pages whose message handler runs, and how deep
    std::map<QWebSocket*, Schluss> verwaist_;  // dropped meanwhile: closed so when it returns
    QList<QByteArray> hosts_;
    QList<QByteArray> namen_;   // the further names, lower case
    QElapsedTimer hostsStand_;
    int naechsteId_ = 1;
};

}  // namespace web
