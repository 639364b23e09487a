#include "webschluessel.h"

#include "configpage.h"
#include "configuration.h"
#include "mainwindow.h"
#include "profile.h"
#include "webserver.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

const QString Schluessel = QStringLiteral("WebSchluessel");   // [Sonstiges] WebSchluessel=fest | neu
const QString Fest = QStringLiteral("fest");
const QString Neu = QStringLiteral("neu");

}  // namespace

WebSchluessel::WebSchluessel(web::WebServer& server, const QString& iniDatei, const QString& schluesselDatei,
                             QObject* parent)
    : QObject(parent), server_(server), ini_(iniDatei), datei_(schluesselDatei)
{
}

QString WebSchluessel::laden()
{
    const QString wert = ProfileFile(ini_).readString(QString::fromLatin1(config::SectionSonstiges), Schluessel, Neu);
    fest_ = wert.compare(Fest, Qt::CaseInsensitive) == 0;
    if (!fest_) {
        if (wert.isEmpty() || wert.compare(Neu, Qt::CaseInsensitive) == 0)
            return {};
        return QStringLiteral("In der Einstellungsdatei %1 steht unter [Sonstiges] WebSchluessel=%2; gültig sind "
                              "neu (die Vorgabe: ein neuer Zugangsschlüssel bei jedem Start) und fest.")
            .arg(ini_, wert);
    }
    QString fehler;
    const QByteArray alt = datei_.lesen(&fehler);
    if (!alt.isEmpty()) {
        server_.schluesselSetzen(alt);
        return {};
    }
    const QString f = datei_.schreiben(server_.schluessel());
    return fehler.isEmpty() ? f : f.isEmpty() ? fehler : fehler + u'\n' + f;
}

void WebSchluessel::anbinden(TfMain& fenster)
{
    fenster_ = &fenster;
    QCheckBox* box = fenster.pConfig->cbSchluesselFest;
    {
        const QSignalBlocker still(box);
        box->setChecked(fest_);
    }
    connect(box, &QCheckBox::clicked, this, &WebSchluessel::umschalten);
    connect(fenster.pConfig->btnSchluessel, &QPushButton::clicked, this, &WebSchluessel::erneuert);
}

// The file first, then the setting; what fails is said, and the box and
// the file stay as they were.
void WebSchluessel::umschalten(bool fest)
{
    const QString f = fest ? datei_.schreiben(server_.schluessel()) : datei_.entfernen();
    ProfileFile ini(ini_);
    QString fehler = f;
    if (f.isEmpty() && !ini.writeAll({{QString::fromLatin1(config::SectionSonstiges), Schluessel, fest ? Fest : Neu}})) {
        fehler = ini.writeErrorMessage();
        if (fest)
            datei_.entfernen();
        else
            datei_.schreiben(server_.schluessel());
    }
    if (fehler.isEmpty()) {
        fest_ = fest;
        return;
    }
    const QSignalBlocker still(fenster_->pConfig->cbSchluesselFest);
    fenster_->pConfig->cbSchluesselFest->setChecked(fest_);
    fenster_->showMessage(fehler);
}

void WebSchluessel::erneuert()
{
    if (!fest_)
        return;
    if (const QString f = datei_.schreiben(server_.schluessel()); !f.isEmpty())
        fenster_->showMessage(f);
}
