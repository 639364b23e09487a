// The command line: what the user asked for, or the text to print instead.
//
//   kvxtest [--virtuell | --gpio] [--protokoll DATEI] [--dauerlauf MINUTEN] [--web [ADRESSE:]PORT]
//           [--fehler LISTE]
//           [--ohne-fenster]
//   kvxtest [--virtuell | --gpio] --pruefen DATEI [--bloecke] [--fehler LISTE]
//   kvxtest --takt-pruefen SEKUNDEN
//   kvxtest --help | --version
//
// Read before anything else happens (before the ports are asked for), so it
// works on the plain argument list; Qt's own options (-platform, -style, ...)
// are let through for QApplication.
#pragma once

#include <QString>
#include <QStringList>

struct Optionen {
    enum class Aktion { Starten, Hilfe, Version, Fehler };
    Aktion aktion = Aktion::Starten;
    bool virtuell = false;    // start on the virtual layout instead of the ports
    bool gpio = false;        // the card's lines on the GPIO header instead of the ISA ports
    QString protokollDatei;   // write the layout log there; empty: no file; never starts with "-"
    int dauerlaufMinuten = 0; // the endurance run drives the program for that long; 0: none
    QString web;              // the web page's address for this run; empty: the setting's
    QString fehlerListe;      // wiring faults of the virtual layout (checked once the card counts are read)
    bool ohneFenster = false; // run on Qt's offscreen platform: the window on no screen
    QString pruefenDatei;     // the wiring check without a window, its report there; empty: none
    bool bloecke = false;     // the check powers the blocks one by one as well
    int taktSekunden = 0;     // the machine check of the supply line's period for that long; 0: none
    // Hilfe, Version: the text for standard output; Fehler: the message for
    // standard error. Each ends with a line break.
    QString text;

    // What the program returns when it does not start: 0 after the help or
    // the version, 2 after a bad command line.
    int exitStatus() const { return aktion == Aktion::Fehler ? 2 : 0; }
};

// argumente as the program got them, the program's own name first.
Optionen optionenLesen(const QStringList& argumente);

// The text of --help for a program of that name.
QString hilfeText(const QString& programm);
