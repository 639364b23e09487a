#include "kopf.h"

#include <array>

namespace web {

namespace {

// The page's files; no other path reaches anything. The icons go without the
// key: a phone fetches them for its home screen without the page's address.
constexpr std::array<Datei, 6> Dateien{{
    {"/", ":/web/index.html", "text/html; charset=utf-8", true},
    {"/seite.js", ":/web/seite.js", "text/javascript; charset=utf-8", true},
    {"/seite.css", ":/web/seite.css", "text/css; charset=utf-8", true},
    {"/manifest.webmanifest", nullptr, "application/manifest+json", true},
    {"/icon-192.png", ":/web/icon-192.png", "image/png", false},
    {"/icon-512.png", ":/web/icon-512.png", "image/png", false},
}};

Kopf fehler(Kopf k, int status, const char* text)
{
    k.status = status;
    k.inhalt = Inhalt::Keiner;
    k.datei = nullptr;
    k.text = QString::fromUtf8(text);
    return k;
}

bool tokenZeichen(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
        || QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

// Printable ASCII, tab and bytes of UTF-8 sequences; no control character.
bool zeileSauber(QByteArrayView z)
{
    for (char c : z) {
        const auto u = uchar(c);
        if ((u < 0x20 && u != '\t') || u == 0x7f)
            return false;
    }
    return true;
}

QByteArrayView beschnitten(QByteArrayView v)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\t'))
        v.chop(1);
    return v;
}

// The value of the one parameter k of a query; empty when it is missing or
// comes more than once.
QByteArrayView schluesselAus(QByteArrayView query)
{
    QByteArrayView wert;
    int anzahl = 0;
    while (!query.isEmpty()) {
        const qsizetype und = query.indexOf('&');
        const QByteArrayView teil = und < 0 ? query : query.first(und);
        query = und < 0 ? QByteArrayView() : query.sliced(und + 1);
        if (teil.startsWith("k=")) {
            wert = teil.sliced(2);
            ++anzahl;
        }
    }
    return anzahl == 1 ? wert : QByteArrayView();
}

// A line end other than CR LF: a bare LF, or a CR before anything but LF.
bool fremdesZeilenende(QByteArrayView v)
{
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == '\n' && (i == 0 || v[i - 1] != '\r'))
            return true;
        if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] != '\n')
            return true;
    }
    return false;
}

// The value of Sec-WebSocket-Key: 16 bytes in base64.
bool websocketSchluessel(const QByteArray& wert)
{
    if (wert.size() != 24 || !wert.endsWith("=="))
        return false;
    const auto d = QByteArray::fromBase64Encoding(wert, QByteArray::AbortOnBase64DecodingErrors);
    return d && d.decoded.size() == 16;
}

// Whether a comma-separated list of tokens holds this one (any case).
bool listeHat(QByteArrayView liste, QByteArrayView token)
{
    while (!liste.isEmpty()) {
        const qsizetype komma = liste.indexOf(',');
        if (beschnitten(komma < 0 ? liste : liste.first(komma)).compare(token, Qt::CaseInsensitive) == 0)
            return true;
        liste = komma < 0 ? QByteArrayView() : liste.sliced(komma + 1);
    }
    return false;
}

const char* statusText(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 421: return "Misdirected Request";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

}  // namespace

bool schluesselGleich(QByteArrayView a, QByteArrayView b)
{
    unsigned d = a.size() == b.size() ? 0u : 1u;
    for (qsizetype i = 0; i < b.size(); ++i)
        d |= unsigned(uchar(i < a.size() ? a[i] : 0) ^ uchar(b[i]));
    return d == 0 && !b.isEmpty();
}

Kopf kopfLesen(QByteArrayView daten, const KopfRegeln& regeln)
{
    Kopf k;
    const QByteArrayView vorn = daten.first(qMin<qsizetype>(daten.size(), MaxKopf));
    const qsizetype ende = vorn.indexOf("\r\n\r\n");
    // Not "\r\n\r\n" would never come: refused now, not at the deadline.
    if (fremdesZeilenende(ende < 0 ? vorn : vorn.first(ende + 4)))
        return fehler(k, 400, "Ungültige Anfrage: jede Zeile muss mit CR LF enden.\n");
    if (ende < 0) {
        if (daten.size() >= MaxKopf)
            return fehler(k, 431, "Anfrage zu lang.\n");
        return k;
    }
    k.laenge = ende + 4;
    QByteArrayView rest = vorn.first(ende);
    const auto zeile = [&rest] {
        const qsizetype n = rest.indexOf("\r\n");
        const QByteArrayView z = n < 0 ? rest : rest.first(n);
        rest = n < 0 ? QByteArrayView() : rest.sliced(n + 2);
        return z;
    };

    // GET <ziel> HTTP/1.x
    const QByteArrayView start = zeile();
    const qsizetype l1 = start.indexOf(' ');
    const qsizetype l2 = l1 < 0 ? -1 : start.sliced(l1 + 1).indexOf(' ');
    if (!zeileSauber(start) || l1 <= 0 || l2 <= 0)
        return fehler(k, 400, "Ungültige Anfrage.\n");
    const QByteArrayView methode = start.first(l1);
    const QByteArrayView ziel = start.sliced(l1 + 1, l2);
    const QByteArrayView version = start.sliced(l1 + l2 + 2);
    if ((version != "HTTP/1.1" && version != "HTTP/1.0") || !ziel.startsWith('/') || ziel.contains(' '))
        return fehler(k, 400, "Ungültige Anfrage.\n");
    if (methode != "GET")
        return fehler(k, 405, "Nur GET.\n");

    QByteArray host, origin, upgrade, verbindung, wsSchluessel, wsVersion;
    bool hostDoppelt = false;
    bool originDoppelt = false;
    int wsSchluesselAnzahl = 0;
    int wsVersionAnzahl = 0;
    while (!rest.isEmpty()) {
        const QByteArrayView z = zeile();
        const qsizetype d = z.indexOf(':');
        if (d <= 0 || !zeileSauber(z))
            return fehler(k, 400, "Ungültige Kopfzeile.\n");
        const QByteArrayView name = z.first(d);
        for (char c : name)
            if (!tokenZeichen(c))
                return fehler(k, 400, "Ungültige Kopfzeile.\n");
        const QByteArray wert = beschnitten(z.sliced(d + 1)).toByteArray();
        if (name.compare("host", Qt::CaseInsensitive) == 0) {
            hostDoppelt = !host.isNull();
            host = wert.toLower();
        } else if (name.compare("origin", Qt::CaseInsensitive) == 0) {
            originDoppelt = originDoppelt || !origin.isNull();
            origin = wert.toLower();
        } else if (name.compare("upgrade", Qt::CaseInsensitive) == 0) {
            upgrade = wert.toLower();
        } else if (name.compare("connection", Qt::CaseInsensitive) == 0) {
            verbindung += ',' + wert;
        } else if (name.compare("sec-websocket-key", Qt::CaseInsensitive) == 0) {
            wsSchluessel = wert;
            ++wsSchluesselAnzahl;
        } else if (name.compare("sec-websocket-version", Qt::CaseInsensitive) == 0) {
            wsVersion = wert;
            ++wsVersionAnzahl;
        }
    }
    if (host.isEmpty() || hostDoppelt)
        return fehler(k, 400, "Die Anfrage nennt keinen oder mehr als einen Host.\n");
    if (originDoppelt)
        return fehler(k, 400, "Die Anfrage nennt mehr als eine Herkunft (Origin).\n");
    if (!regeln.hosts.contains(host))
        return fehler(k, 421, "Diese Adresse gehört nicht zu diesem Rechner (Host-Name unbekannt). Einen eigenen "
                              "Namen dieses Rechners im Heimnetz nimmt die Web-Seite, wenn er in KVXTEST.INI unter "
                              "[Sonstiges] bei WebNamen= steht (mehrere durch Kommas getrennt).\n");
    k.host = host;

    const qsizetype frage = ziel.indexOf('?');
    const QByteArrayView pfad = frage < 0 ? ziel : ziel.first(frage);
    k.schluessel = frage >= 0 && schluesselGleich(schluesselAus(ziel.sliced(frage + 1)), regeln.schluessel);

    if (pfad == "/ws") {
        if (origin.isEmpty() || origin != "http://" + host)
            return fehler(k, 403, "Fremde Herkunft.\n");
        if (upgrade != "websocket" || !listeHat(verbindung, "upgrade"))
            return fehler(k, 400, "WebSocket erwartet.\n");
        // What the WebSocket's own reader needs, or it closes without a reply.
        if (version != "HTTP/1.1" || wsVersion != "13" || wsVersionAnzahl != 1 || wsSchluesselAnzahl != 1
            || !websocketSchluessel(wsSchluessel))
            return fehler(k, 400, "WebSocket erwartet: HTTP/1.1 mit einem Sec-WebSocket-Key und "
                                  "Sec-WebSocket-Version 13.\n");
        k.status = 101;
        k.inhalt = Inhalt::WebSocket;
        k.abweisen = k.schluessel ? 0 : SchlussFalscherSchluessel;
        return k;
    }
    for (const Datei& d : Dateien) {
        if (pfad != d.pfad)
            continue;
        if (d.mitSchluessel && !k.schluessel)
            break;
        k.status = 200;
        k.datei = &d;
        k.inhalt = d.resource ? Inhalt::Datei : Inhalt::Manifest;
        return k;
    }
    if (!k.schluessel)
        // Also after a reload: the page takes the key out of its address.
        return fehler(k, 401, "Zugangsschlüssel fehlt oder ist falsch. Die Seite öffnet sich mit der Adresse "
                              "samt Schlüssel (…/?k=…): den QR-Code des Programms neu scannen (Seite „Config“ "
                              "oder seine Ausgabe beim Start), oder das Symbol auf dem Startbildschirm nehmen.\n");
    return fehler(k, 404, "Nicht gefunden.\n");
}

QByteArray antwortKopf(int status, QByteArrayView typ, qsizetype inhaltLaenge, QByteArrayView host)
{
    QByteArray kopf = "HTTP/1.1 " + QByteArray::number(status) + ' ' + statusText(status) + "\r\n";
    kopf += "Content-Type: " + typ.toByteArray() + "\r\nContent-Length: " + QByteArray::number(inhaltLaenge) + "\r\n";
    if (status == 405)
        kopf += "Allow: GET\r\n";
    kopf += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nReferrer-Policy: no-referrer\r\n"
            "X-Frame-Options: DENY\r\n";
    // The page talks only to the server it came from: its files and its
    // WebSocket at the same host and port.
    QByteArray verbindung = "'self'";
    if (!host.isEmpty())
        verbindung += " ws://" + host.toByteArray();
    kopf += "Content-Security-Policy: default-src 'self'; connect-src " + verbindung
          + "; img-src 'self' data:; manifest-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'\r\n";
    kopf += "Connection: close\r\n\r\n";
    return kopf;
}

QString schlussGrund(int code)
{
    switch (code) {
    case SchlussFalscherSchluessel: return QStringLiteral("Falscher Schlüssel");
    case SchlussVoll: return QStringLiteral("Acht Seiten sind schon verbunden");
    case SchlussZuFrueh: return QStringLiteral("Nachrichten vor dem Verbindungsaufbau");
    default: return {};
    }
}

}  // namespace web
