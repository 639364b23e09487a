// The guided check of the window "Verdrahtung prüfen" on the web page: its
// commands run through the window's own functions (the page and the window
// drive the one check), and what the window shows of it goes into the
// page's state.
//
// A check the page started goes on when the page is hidden or lost: the
// phone sleeps while the person is under the baseboard, every block is off
// meanwhile, and the page that connects again shows where it stands.
#pragma once

#include "befehl.h"

#include <QJsonObject>
#include <QString>

class TkvxHard;
class VerdrahtungsFenster;

// eingaben, nichtskam, zuruecknehmen: the reason in German, empty when taken.
QString pruefBefehl(VerdrahtungsFenster& fenster, const web::Befehl& b);

// The member "verdrahtung" of the state: the window's runs, the groups with
// the number of their inputs on the layout now, and the guided check.
QJsonObject pruefZustand(const VerdrahtungsFenster& fenster, const TkvxHard& kvx);
