// Whether the web page's key lasts from one start to the next: the box
// "Schlüssel behalten" on the Config page, [Sonstiges] WebSchluessel=fest
// in the settings file (neu, the default: a new key each start). A lasting
// key lives in a file of the user's own (web::SchluesselDatei); "Neuer
// Schlüssel" replaces it there too.
#pragma once

#include "schluesseldatei.h"

#include <QObject>
#include <QString>

class TfMain;

namespace web {
class WebServer;
}

class WebSchluessel : public QObject {
    Q_OBJECT
public:
    WebSchluessel(web::WebServer& server, const QString& iniDatei, const QString& schluesselDatei,
                  QObject* parent = nullptr);

    // At the start, before the server listens: with WebSchluessel=fest the
    // kept key goes to the server, or the server's new one is kept. What
    // the user should know (a bad setting, a file that cannot be used),
    // empty when all is well.
    QString laden();
    bool fest() const { return fest_; }

    // The Config page's box and its "Neuer Schlüssel" button; after the
    // window's own handler of that button is connected.
    void anbinden(TfMain& fenster);

private:
    void umschalten(bool fest);
    void erneuert();

    web::WebServer& server_;
    QString ini_;
    web::SchluesselDatei datei_;
    TfMain* fenster_ = nullptr;
    bool fest_ = false;
};
