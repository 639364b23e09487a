// The program's message boxes on the web page as well: each box that opens
// is sent to every connected page ({"typ":"meldung","id":N,"text":...,
// "knoepfe":[...]}), a page that connects while it is open gets it at once,
// the first answer, from the window or a page ({"befehl":"antwort",...}),
// closes it everywhere ({"typ":"meldungZu","id":N}).
//
// Built with the server, before the window, so that the boxes of the start
// reach the page too. Until the window is bound to the server (gebunden())
// the page's other commands are refused: the program still starts; only
// "Alles aus" acts then (startAus), and its answer says what it did.
#pragma once

#include "befehl.h"
#include "messages.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <map>

namespace web {
class WebServer;
}

class WebMeldungen : public QObject, public MeldungsSpiegel {
    Q_OBJECT
public:
    explicit WebMeldungen(web::WebServer& server, QObject* parent = nullptr);
    ~WebMeldungen() override;

    // The window takes the page's commands from now on.
    void gebunden() { gebunden_ = true; }
    // "Alles aus" before that: switches off what the start has put on and
    // says what (German); unset or empty: nothing has been put on yet.
    std::function<QString()> startAus;

    bool erreichbar() const override;
    void geoeffnet(int nr, const QString& text, const QStringList& knoepfe) override;
    void geschlossen(int nr) override;

private:
    void befehl(int client, const web::Befehl& b);

    web::WebServer& server_;
    std::map<int, QByteArray> offen_;   // the meldung of each open box
    bool gebunden_ = false;
};
