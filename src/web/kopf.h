// The head of an HTTP request to the web page's server, read by hand: what
// reaches it comes from anyone on the network, without a key. kopfLesen is a
// pure function of the bytes received so far and the server's rules (its key
// and the names it answers to); it decides the reply's status, which file,
// and whether the connection becomes a WebSocket. It never reads past the
// bytes given and never more than MaxKopf of them.
//
// The reply's head (antwortKopf) carries the page's security headers: no
// caching, no sniffing, no referrer, and a content policy that allows the
// page's own files and its own WebSocket only and no framing by other sites.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace web {

inline constexpr int MaxKopf = 8192;   // bytes of a request's head

// What a complete head asks for.
enum class Inhalt { Keiner, Datei, Manifest, WebSocket };

struct Datei {
    const char* pfad;
    const char* resource;   // nullptr: made by the server
    const char* typ;
    bool mitSchluessel;     // only with the access key
};

struct KopfRegeln {
    QByteArray schluessel;
    // The values of the Host header this server answers to, in lower case
    // ("192.168.1.5:8080", "localhost:8080", "[::1]:8080").
    QList<QByteArray> hosts;
};

struct Kopf {
    int status = 0;                // 0: the head is not complete yet; 101: WebSocket
    qsizetype laenge = 0;          // bytes of the head with its blank line
    Inhalt inhalt = Inhalt::Keiner;
    const Datei* datei = nullptr;  // status 200
    bool schluessel = false;       // the right key came with the request
    int abweisen = 0;              // status 101: close code right after the upgrade; 0: a page
    QByteArray host;               // the Host header, once checked
    QString text;                  // an error status: the reason in German
};

Kopf kopfLesen(QByteArrayView daten, const KopfRegeln& regeln);

// Equal in time independent of where they differ; an empty b equals nothing.
bool schluesselGleich(QByteArrayView a, QByteArrayView b);

// The head of a reply with inhaltLaenge bytes; host: the checked Host header
// (empty before it was checked).
QByteArray antwortKopf(int status, QByteArrayView typ, qsizetype inhaltLaenge, QByteArrayView host);

// Close code and reason of a WebSocket refused after its upgrade.
inline constexpr int SchlussFalscherSchluessel = 4401;
inline constexpr int SchlussVoll = 4503;
inline constexpr int SchlussZuFrueh = 1002;   // a protocol error: frames before the upgrade
QString schlussGrund(int code);

}  // namespace web
