// The wiring check from the command line (--pruefen DATEI [--bloecke]): no
// window, no question, no display. The card counts come from the settings
// file as at a normal start; the check runs on a thread of its own while the
// program waits for it (Ctrl+C stops it, with every output off), then the
// test report goes to the file and the findings to standard output.
#pragma once

#include <QString>


struct PruefenAuftrag {
    QString datei;                            // the report file
    bool bloecke = false;                     // the blocks one by one as well
    bool virtuell = false;                    // on the virtual layout
    QString fehlerListe;                      // the virtual layout's wiring faults, as --fehler takes them
};

// Status 0: no finding; 1: findings; 2: the check could not run or its
// report could not be written (the reason on standard error). Needs a
// QCoreApplication; the port backend main() installed is used unless
// virtuell.
int pruefenLaufen(const PruefenAuftrag& auftrag, const QString& portHinweis);
