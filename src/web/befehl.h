// The commands a web page sends, one JSON object per WebSocket message:
//
//   {"befehl": "allesAus"}                    what Esc does
//   {"befehl": "snt", "an": true}             power supply on or off
//   {"befehl": "seite", "nr": 6}              show page nr (0 Config .. 7 Strecken)
//   {"befehl": "start"}                       the walk: Start / Pause
//   {"befehl": "weiter"} / {"befehl": "zurueck"} / {"befehl": "fehlerhaft"}
//   {"befehl": "takt", "wert": 1.5}           seconds per element of the walk
//   {"befehl": "block", "nr": 3}              drive page: block number
//   {"befehl": "tempo", "wert": 7}            drive page: speed step
//   {"befehl": "richtung", "vor": true}       drive page: direction
//   {"befehl": "fahrt"}                       drive page: Start / Stop
//   {"befehl": "lebt"}                        the page is still there
//   {"befehl": "sichtbar", "an": false}       the page was hidden or shown again
//   {"befehl": "antwort", "id": 3, "knopf": "Ja"}  the answer to a message box shown on the page
//
// The reader only checks the form: a known command with exactly its fields,
// of the right type and within the bounds any layout can have. Whether the
// command may run now is the window's decision.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace web {

// Longest message taken; longer ones are refused unread.
inline constexpr int MaxNachricht = 4096;

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
};

struct Befehl {
    Art art = Art::Lebt;
    int nr = 0;           // seite, block, tempo; antwort: the box's id
    double wert = 0;      // takt
    bool an = false;      // snt, sichtbar; richtung: forward
    QString knopf;        // antwort: the button's text
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
