// The commands a web page sends, one JSON object per WebSocket message
// ({"befehl": "snt", "an": true}), and what the reader puts into a Befehl.
// Which commands there are, their fields and the bounds of their numbers
// stand in one table (befehlsTabelle), which the reader reads by and the
// developers' page shows.
//
// The reader only checks the form: a known command with exactly its fields,
// each once, of the right type and within the bounds any layout can have
// (the beat only finite and above 0, a group one of pruefGruppen, named
// only when the guided check starts). Whether the command may run now, and
// the window's own ranges, are the window's decision.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>

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

// The fields a command may carry.
enum class Feld { Keins, An, Vor, Nr, Wert, Id, Knopf, Gruppe };

// One command: its name as the page writes it, up to two fields, the bounds
// of its number (nr, id), and in the user's words what a yes/no field
// decides or what a number counts (for the reasons of a refusal).
struct BefehlsArt {
    const char* name;
    Art art;
    Feld feld;
    Feld feld2 = Feld::Keins;
    double min = 0;
    double max = 0;
    const char* was = "";
};

std::span<const BefehlsArt> befehlsTabelle();
// A field's name in the message ("an", "nr").
QLatin1String feldName(Feld f);
// The groups of the guided check, by the names --fehler gives them.
std::span<const char* const> pruefGruppen();

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
