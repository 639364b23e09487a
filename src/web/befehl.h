// The commands a web page sends, one JSON object per WebSocket message, and
// what the reader puts into a Befehl:
//
//   {"befehl": "allesAus"}                     what Esc does
//   {"befehl": "snt", "an": true}              an: power supply on or off
//   {"befehl": "seite", "nr": 6}               nr: show page nr (0 Config .. 7 Strecken)
//   {"befehl": "start", "an": true}            an: the walk runs (true) or pauses (false)
//   {"befehl": "weiter"} / {"befehl": "zurueck"} / {"befehl": "fehlerhaft"}
//   {"befehl": "takt", "wert": 1.5}            wert: seconds per element of the walk
//   {"befehl": "block", "nr": 3}               nr: drive page, block number
//   {"befehl": "tempo", "nr": 60}              nr: drive page, the slider's position 0..120
//                                              (eighths of a speed step: 60 is step 7.5)
//   {"befehl": "richtung", "vor": true}        an: drive page, forward (true) or back
//   {"befehl": "fahrt", "an": true}            an: drive page, the train runs (true) or stops
//   {"befehl": "lebt"}                         the page is still there
//   {"befehl": "sichtbar", "an": false}        an: the page was hidden or shown again
//   {"befehl": "antwort", "id": 4, "knopf": "Ja"}
//                                              nr: the id of a mirrored message box,
//                                              knopf: the text of the button pressed
//   {"befehl": "eingaben", "an": true, "gruppe": "melder"}
//                                              the guided check of the window "Verdrahtung
//                                              prüfen": an true starts it for gruppe (melder,
//                                              taster1, blocktaster, hblocktaster, blockbelegt,
//                                              hblockbelegt, as --fehler names them; only with
//                                              an true), an false is its "Fertig"
//   {"befehl": "nichtskam", "nr": 5}           nr: the number the page showed as expected; the
//                                              person pressed it and nothing came
//   {"befehl": "zuruecknehmen", "nr": 5}       nr: the same; the guided check's "Zurück"
//
// The reader only checks the form: a known command with exactly its fields,
// each once, of the right type and within the bounds any layout can have
// (the beat only finite and above 0, a group one of those above). Whether the command may run now, and
// the window's own ranges, are the window's decision.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace web {

// Longest message taken; longer ones are refused unread.
inline constexpr int MaxNachricht = 4096;
// Longest button text of an answer.
inline constexpr int MaxKnopf = 40;
// Largest id of a message box an answer may name.
inline constexpr int MaxMeldungId = 1'000'000'000;
// Largest number of an input the guided check can expect (chain 1's buttons).
inline constexpr int MaxEingang = 1024;

enum class Art {
    AllesAus,
    Snt,
    Seite,
    StartPause,
    Weiter,
    Zurueck,
    Fehlerhaft,
    Takt,
    Block,
    Tempo,
    Richtung,
    Fahrt,
    Lebt,
    Sichtbar,
    Antwort,
    Eingaben,
    NichtsKam,
    Zuruecknehmen,
};

struct Befehl {
    Art art = Art::Lebt;
    int nr = 0;           // seite, block, tempo, nichtskam, zuruecknehmen; antwort: the box's id
    double wert = 0;      // takt
    bool an = false;      // snt, start, fahrt, sichtbar, eingaben; richtung: forward
    QString knopf;        // antwort: the button's text
    QString gruppe;       // eingaben with an true: the group
    friend bool operator==(const Befehl&, const Befehl&) = default;
};

struct Lesung {
    std::optional<Befehl> befehl;
    QString fehler;   // German, for the reply; empty when befehl is set
};

Lesung befehlLesen(QByteArrayView text);

// The name of a command as the page writes it.
QString befehlName(Art art);

}  // namespace web
