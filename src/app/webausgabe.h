// The web page's address on standard output, for the terminal or the
// journal: the addresses of this machine a phone can use, with the QR code,
// printed again whenever they change, so that the last lines always hold a
// usable one. A machine that starts the program before its network is up
// has none yet; a new key ("Neuer Schlüssel") or a page started anew at
// another address is a change, too. The machine's addresses are looked at
// every few seconds on a timer (a cheap call that does not block).
//
// A page that listens on this machine only (127.0.0.1) gets no QR code: no
// phone can use it. Without a screen the lines then say how a phone reaches
// the page.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QTimer;

namespace web {
class WebServer;
}

// The page's addresses with key that a phone can use, for a server at host
// and port on a machine with the addresses adressen (IPv4 first); none for
// a server on loopback, and none when the machine has no address beside
// loopback and link-local ones.
QStringList telefonAdressen(const QHostAddress& host, quint16 port, const QByteArray& schluessel,
                            const QList<QHostAddress>& adressen);

class WebAusgabe : public QObject {
    Q_OBJECT
public:
    using Schreiber = std::function<void(const QByteArray&)>;
    using Quelle = std::function<QList<QHostAddress>()>;

    // Writes to standard output (a terminal gets a QR code in colours of its
    // own, see qrAusgabe); ohneBildschirm: nobody sees the window.
    WebAusgabe(const web::WebServer& server, bool ohneBildschirm, QObject* parent = nullptr);

    // For tests: where the lines go and where the addresses come from.
    void schreiberSetzen(Schreiber schreiber, bool terminal);
    void quelleSetzen(Quelle quelle);

    // Looks now: prints when something changed since the last print (the
    // first look always prints a running page).
    void pruefen();

private:
    QString text(bool geaendert, const QStringList& adressen) const;

    const web::WebServer& server_;
    bool ohneBildschirm_;
    bool terminal_;
    Schreiber schreiber_;
    Quelle quelle_;
    QTimer* timer_;
    QString gezeigt_;   // what the last print was made of; empty: nothing printed yet
};
