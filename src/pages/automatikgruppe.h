// The group "Automatik" of the LED, turnout, signal and drive pages: a walk
// over the page's elements for one person standing at the layout. Each beat
// ("Takt") shows the next element as the page itself would (an LED lit alone,
// a turnout straight and then diverging, a signal coil pulsed, the train's
// block powered), from "von" to "bis" and round again until it is paused;
// the element in work stands in the page's big number, in red while it is
// marked as faulty.
//
// While a walk is started (running or paused) the window gives it the keys
// of the page (Space, Right/Left, +/-, F) and, on the turnout and signal
// pages, the four remote buttons; a key held down steps once, its repeats do
// nothing. An element counts as tested in the session's Pruefbericht once it
// has stood shown for its whole time: an LED or a block for a full beat, a
// coil for its whole pulse. F marks the element in work as faulty (and
// tested), a second F takes the mark back.
//
// The page binds the hooks: what a step shows, what an ended walk switches
// off. A step waits while a coil pulse runs (belegt): the next coil is
// powered only once the one before has had its whole switching time, however
// fast the beat, the keys or the remote ask; the latest step asked for comes
// when the pulse ends. A step never runs inside the keep-alive tick: when it
// falls into it (gesperrt), it waits, and the window has it made up right
// after the tick (nachholen).
//
// Whatever pauses a walk leaves the element in work shown: lit, or for a coil
// nothing powered and that coil the next to be pulsed. Resuming starts with
// the element in work: shown again when a reset darkened it or cut its pulse,
// then a full beat before the next.
#pragma once

#include "fernsteuerung.h"
#include "pruefbericht.h"
#include "rundgang.h"

#include <QColor>
#include <QGroupBox>

#include <functional>

class QDoubleSpinBox;
class QKeyEvent;
class QLabel;
class QPushButton;
class QSpinBox;
class QTimer;

class AutomatikGruppe : public QGroupBox {
    Q_OBJECT
public:
    static constexpr double TaktMin = 0.2;    // seconds per element (per position of a turnout)
    static constexpr double TaktMax = 10.0;

    // name: what the object names begin with; art: what the walk tests (a
    // turnout in two positions); takt: seconds at first; grosseZahl: the
    // page's number of the element in work; fokus: takes the focus back when
    // the walk starts, so that the keys reach the walk.
    AutomatikGruppe(const QString& name, Pruefbericht::Art art, double takt, QLabel* grosseZahl, QWidget* fokus,
                    QWidget* parent = nullptr);

    QPushButton* btnAuto;      // "Start" / "Pause", down while the walk runs
    QDoubleSpinBox* sTakt;     // "Takt"
    QSpinBox* sVon;            // "von"
    QSpinBox* sBis;            // "bis"
    QPushButton* btnBericht;   // "Bericht ...": the window with the report

    // Shows element n in position lage (0, for turnouts 0 straight, 1 diverging).
    std::function<void(int n, int lage)> zeigen;
    // Switches off what the walk left lit or powered; runs when a walk ends.
    std::function<void()> aufraeumen;
    // The number of element n in the report (LEDs: the number the page shows); empty: n.
    std::function<int(int n)> berichtNummer;
    // True while the keep-alive tick runs: a step waits until it is over.
    std::function<bool()> gesperrt;
    // True while a coil pulse runs: a step waits for its end (impulsEnde).
    std::function<bool()> belegt;
    Pruefbericht* bericht = nullptr;

    // The page has elements 1..anzahl; von and bis stay within them, bis
    // moves along while it stands at the end. 0: no walk.
    void setAnzahl(int anzahl);
    // Whether the page can walk now (an LED chain chosen, a train running).
    void setBereit(bool bereit);

    bool aktiv() const { return aktiv_; }    // started and not ended: running or paused
    bool laeuft() const;                     // running
    const Rundgang& rundgang() const { return rundgang_; }
    Pruefbericht::Art art() const { return art_; }

    void umschalten();    // Space, remote right: pauses, or runs on (starts from von)
    // The next position, or the next element; the element in work again when
    // it is not shown (its pulse was cut). The beat calls it while running.
    void schritt();
    void vor();           // Right, +, remote up: the next element, paused
    void zurueck();       // Left, -, remote down: the element before, paused
    void markieren();     // F, remote left: the element in work faulty, or no longer
    // Paused for a reset, which darkens the chains: what the walk lit or
    // powered is switched off (aufraeumen, a pulse ends); the next nachholen
    // lights the LED in work again (a block shows again); a coil waits to be
    // pulsed when the walk runs on.
    void anhalten();
    void beenden();       // the walk ends; aufraeumen runs
    // The user chose element n on the page: a started walk goes on from there.
    void auswahlFolgen(int n);

    // A key of the walk (no Ctrl, Alt or Meta): Space, Right, Left, +, -, F.
    static bool istTaste(const QKeyEvent& taste);
    // A widget whose keys stay its own during a walk: text fields and spin boxes.
    static bool wirdBearbeitet(const QWidget* w);
    // A key press of the walk while it is started; a repeat of a held key does nothing.
    void taste(const QKeyEvent& taste);
    // An action of the remote while it is started.
    void fernTaste(fernsteuerung::Aktion aktion);

    // The report changed: the big number red while the element in work is marked.
    void farbeZeigen();

    // A coil pulse ended; voll: it ran its whole switching time. The walk's
    // own pulse counts its coil as tested only then; a waiting step follows.
    void impulsEnde(bool voll);

    // A step waits: for the end of the tick or of a pulse.
    bool wartet() const { return wartet_ != Vorhaben::Nichts; }
    // A step fell into the keep-alive tick and waits.
    bool aufgeschoben() const { return aufgeschoben_; }
    // The waiting step, or after a reset the element in work shown again.
    void nachholen();

Q_SIGNALS:
    void meldung(const QString& text);   // for the status bar
    void berichtAnzeigen();

private:
    // What waits to be done: a step of the beat, Right or Left, or the
    // element in work shown (again).
    enum class Vorhaben { Nichts, Schritt, Vor, Zurueck, Zeigen };

    void btnAutoClick(bool unten);
    void starten();
    void pausieren();
    void anfordern(Vorhaben was);
    void ausfuehren();     // the waiting step, unless the tick or a pulse holds it back
    void taktEnde();       // the element in work stood its beat
    bool spulen() const;   // the walk pulses coils
    void zeigenJetzt();
    void knopfZeigen();
    void bereichSetzen();
    int nummer() const;        // the element in work as the report numbers it
    int berichtLage() const;   // its position as the report names it

    Pruefbericht::Art art_;
    Rundgang rundgang_;
    QLabel* grosseZahl_;
    QWidget* fokus_;
    QColor zahlFarbe_;
    QTimer* timer_;   // one beat from the element's showing on
    int anzahl_ = 0;
    bool bereit_ = true;
    bool aktiv_ = false;
    bool aufgeschoben_ = false;
    Vorhaben wartet_ = Vorhaben::Nichts;
    bool gezeigt_ = false;          // the element in work is shown (lit, being or been pulsed)
    bool eigenerImpuls_ = false;    // the pulse running is the walk's, for the element in work
};
