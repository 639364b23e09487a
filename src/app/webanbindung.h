// The web page bound to the main window: starts the server (--web or the
// setting on the Config page), shows its address and QR code on the Config
// page, runs the page's commands through the window's own actions and
// pushes what the window shows: the supply, the pages, the walk of the page
// in view, the drive page, the guided wiring check (webpruefung.h), and the
// occupancy and push buttons as the keep-alive tick or a route thread reads
// them, at the counts the layout has now.
//
// A command may do what a user in front of the window could do at that
// moment, nothing more: a disabled action, a hidden tab, a page that cannot
// be left refuse it with the reason. A drive run or a walk that a page
// started stops, as "Alles aus" stops it, when that page is lost or hidden.
//
// No command waits in the server's handler: what takes time as the window
// does it (turning the train round, switching the supply on, a change of
// page with its messages) is queued and runs as the window runs it; the
// reply "ok" says it was taken, and the state that follows is pushed. So the
// page's messages, "Alles aus" first, go on being read meanwhile.
#pragma once

#include "befehl.h"
#include "webbelegung.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

class QTimer;
class TfMain;
class VerdrahtungsFenster;

namespace kvx {
struct Abbild;
}

namespace web {
class WebServer;
}

class WebAnbindung : public QObject {
    Q_OBJECT
public:
    // adresse: that of --web, taking the place of the setting for this run;
    // empty: the setting on the Config page (empty there: no server).
    // laufend: the server the program started before the window, at
    // adresse, with startFehler when it could not; nullptr: one of its own.
    // A server that cannot start holds nothing up: the status bar and the
    // Config page say why. Goes before the window does.
    explicit WebAnbindung(TfMain& fenster, const QString& adresse = {}, web::WebServer* laufend = nullptr,
                          const QString& startFehler = {});
    ~WebAnbindung() override;

    web::WebServer& server() const { return *server_; }
    // Starts the server anew at adresse (empty: stops it); the error, empty
    // when it runs or was meant to stop.
    QString starten(const QString& adresse);
    // What the page shows, as pushed to it.
    QByteArray zustand() const;
    QByteArray belegung() const { return belegung_.nachricht(); }

    // Runs one command of client, or queues it (see above); the error in
    // German, empty when it was taken.
    QString ausfuehren(int client, const web::Befehl& b);

private:
    void befehl(int client, const web::Befehl& b);
    void verloren(int client, const QString& grund);
    void nachTakt();
    void belegungPruefen(const kvx::Abbild& bild);
    bool zustandSenden(bool immer);
    void adresseZeigen();
    void feldUebernommen();
    void ausschaltenFragen(const QString& vorher);
    // Runs f after the handler, as the window runs it; not when "Alles aus"
    // came in between.
    void spaeter(std::function<void()> f);
    bool sntSchaltet() const;
    QString sntBefehl(const web::Befehl& b);
    QString seitenBefehl(const web::Befehl& b);
    QString automatikBefehl(int client, const web::Befehl& b);
    QString fahrBefehl(int client, const web::Befehl& b);
    QString warumKeinStart(int seite) const;

    TfMain& t_;
    web::WebServer* server_;
    QTimer* zustandTimer_;
    VerdrahtungsFenster* verdrahtung_;   // the guided check of "Verdrahtung prüfen"; the page drives it too
    QString adresse_;   // the server runs there; empty: none
    QString feld_;      // the address field as last taken
    QByteArray zustand_;
    WebBelegung belegung_;
    bool belegungOffen_ = false;
    int allesAus_ = 0;        // counts "Alles aus": a queued command older than the last one is void
    int fahrtVon_ = 0;        // the page that started the drive run; 0: none
    int automatikVon_ = 0;    // the page that started the walk
    int automatikSeite_ = -1;
};
