// The remote control of the turnout and signal pages, and the keep-alive
// tick that evaluates it.
//
// Four push buttons on the layout stand for up, down, right and left: up and
// down move the selection of the page in view, right and left fire its coil
// pulse. Their numbers are entries of the push-button image TasterZustand
// (1..1536), as converted from the settings; 0 means "not assigned", and as
// long as one of the four is not assigned the remote control is off.
//
// The power supply of the layout's cards stays on while the keep-alive line
// (bit 0 of port 0x306) toggles: every 20 ms the tick pulls it low, reads the
// remote buttons when the turnout or signal page is in view, waits 2 ms and
// pulls it high again.
#pragma once

#include <Qt>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>

class QAction;
class QSlider;
class QTabWidget;
class QWidget;
class TkvxHard;

namespace fernsteuerung {

// Period of the keep-alive tick.
inline constexpr int PeriodeMs = 20;

// Keeps the falling edges of the keep-alive line on a steady grid. The event
// loop wakes for its timers on whole milliseconds only, so the 20 ms timer
// fires up to about a millisecond late, by a different amount each time, and
// the period would wobble by as much. So the tick pulls the line low one
// period after the previous edge of the grid:
//  - the tick came early: it waits for that time, at most Warten;
//  - it came up to Nachlauf late (the timer's own lateness): the line goes
//    low at once and the grid moves on from there, so it settles at the
//    latest the timer comes;
//  - it came later (a stall of the machine): the line goes low at once, the
//    grid stays, and the next tick is on time again;
//  - the first tick, and any tick more than Warten early or more than
//    Abriss late: the line goes low at once and the grid starts anew.
class Taktraster {
public:
    using Uhr = std::chrono::steady_clock;
    static constexpr std::chrono::microseconds Warten{2000};
    static constexpr std::chrono::microseconds Nachlauf{1500};
    static constexpr std::chrono::microseconds Abriss{10000};

    explicit Taktraster(Uhr::duration periode) : periode_(periode) {}

    // When to pull the line low in a tick that starts at jetzt.
    Uhr::time_point flanke(Uhr::time_point jetzt);

private:
    Uhr::duration periode_;
    std::optional<Uhr::time_point> raster_;   // the previous edge of the grid
};

// The converted numbers of the four remote buttons.
struct Taster {
    int oben = 0;
    int unten = 0;
    int rechts = 0;
    int links = 0;

    // All four assigned: only then does the remote control read anything.
    bool zugeordnet() const { return oben != 0 && unten != 0 && rechts != 0 && links != 0; }
};

enum class Aktion {
    Keine,
    Hoch,     // selection up by one
    Runter,   // selection down by one
    Erste,    // turnout straight; signal coil pulse
    Zweite,   // turnout diverging; signal coil pulse
};

// Held up or down button: one step when first seen, the next on the 21st
// tick after that, then one on every tick.
inline constexpr int Wiederholverzug = 20;

// One remote step for the button states of this tick. gedrueckt(k) tells
// whether image entry k is pressed; it is asked only for numbers in 1..1536,
// a number outside counts as never pressed. With a button not assigned
// nothing is asked and nothing changes.
//
// The first pressed one of up, down, right, left decides. Up and down step at
// once when they differ from letzterTaster, else count tasterZaehler up and
// step only past Wiederholverzug; right and left fire once per press. A tick
// with none of the four pressed sets letzterTaster to 0.
Aktion schritt(const Taster& taster, int& letzterTaster, int& tasterZaehler,
               const std::function<bool(int)>& gedrueckt);

// The mouse button whose handler on the page fires the action: on the
// turnout page left (straight) for the first, right (diverging) for the
// second; on the signal page right for both. Qt::NoButton for the others.
Qt::MouseButton mausTaste(Aktion aktion, bool signalSeite);

// The selection track bars of the turnout and the signal page.
struct Auswahl {
    QSlider* weiche = nullptr;
    QSlider* signal = nullptr;
};

// Fires the page's action as its mouse handler would: on the signal page or
// the turnout page, with the mouse button of mausTaste.
using Ausloeser = std::function<void(bool signalSeite, Qt::MouseButton taste)>;

// While the automatic walk of the turnout or signal page in view is started,
// the four buttons serve the walk instead of the page (up and down: one
// element on or back, right: pause or run on, left: mark faulty): aktiv tells
// whether it is started on that page, rundgang gets the action.
struct RundgangTasten {
    std::function<bool(bool signalSeite)> aktiv;
    std::function<void(bool signalSeite, Aktion aktion)> rundgang;
};

// One keep-alive tick up to the line going high again: pending events except
// user input (clicks and keys wait until the tick is over); line low, on the
// grid of the previous ticks (Taktraster, waiting at most 2 ms); when
// the turnout or signal page is the one in view of seiten and all four
// buttons are assigned, TasterLesen and the remote step, stepping that page's
// track bar within its range; 2 ms, again leaving user input for later; line
// high. A coil pulse is not given inside the tick: ausloesen is handed to the
// event loop and runs right after the tick has returned. So is the action of
// a started walk, and the track bar then stays where it is.
void takt(TkvxHard& kvx, QTabWidget& seiten, Taktraster& raster, const Taster& taster, int& letzterTaster,
          int& tasterZaehler, Auswahl auswahl, const Ausloeser& ausloesen, const RundgangTasten& walk = {});

// Switching the power supply on, after the chain reset: LED chains cleared,
// 200 ms low, high for kvx::SntStartPuls (100 ms), then ten times 2 ms low and
// 2 ms high, ending high.
void anlauf(TkvxHard& kvx);

// The menu items and tabs for the power supply on (an) or off: while it is
// on, "SNT-&ein" is disabled, "SNT-&aus" enabled and the tabs of the pages
// gesperrt are hidden (the pages stay). intern is set while the tabs change,
// so that a page change this forces is not taken for the user's.
void sntMenue(QTabWidget& seiten, std::initializer_list<QWidget*> gesperrt, QAction& ein, QAction& aus, bool an,
              bool& intern);

}  // namespace fernsteuerung
