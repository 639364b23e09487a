// The guided check of one input group: the person presses the buttons (or
// occupies the detectors) in order from the first; what each press brought is
// noted, and at the end the answers become findings: out of order (tausch),
// nothing (tot, when the person says "nothing came"), two inputs from one
// press (a short), a whole card shifted (fehlt of the line).
//
// It begins from the inputs at rest: an input that was occupied or changing
// before anything was pressed says nothing about a press. Its number is left
// out of the order, whatever it does later is no answer, and the rest's
// findings of the group (haengt, flackert, a broken line) are its findings.
//
// A wrong answer counts only when a second press of the same number brings
// it again: a wiring fault answers the same each time, a slip of the finger
// (the next button pressed too early) does not. The right answer after a
// wrong one drops the wrong one. An input that already answered an earlier
// press is not taken again (a repeated press, or an input that flickers).
//
// Plain C++: the window feeds it the inputs that rose in an input cycle
// (eingabenLaufen reads them on a worker thread) and the person's "nothing
// came" and "back"; it never touches the card.
#pragma once

#include "pruefung.h"

#include <cstdint>
#include <vector>

namespace pruefung {

// The groups the guided check offers, in the order it offers them, with the
// name the person reads.
struct FuehrungsGruppe {
    verdrahtung::Element element;
    const char* name;   // UTF-8
};
inline constexpr FuehrungsGruppe FuehrungsGruppen[] = {
    {verdrahtung::Element::Melder, "Melder"},
    {verdrahtung::Element::Taster1, "Taster der Tasterkette 1"},
    {verdrahtung::Element::BlockTaster, "Blockkarten-Taster"},
    {verdrahtung::Element::HBlockTaster, "Hilfsblockkarten-Taster"},
    {verdrahtung::Element::BlockBelegt, "Belegtmeldungen der Blöcke"},
    {verdrahtung::Element::HBlockBelegt, "Belegtmeldungen der Hilfsblöcke"},
};

class Fuehrung {
public:
    // element: Melder, BlockTaster, HBlockTaster, Taster1, BlockBelegt or
    // HBlockBelegt; ruhe: the inputs at rest (empty: all free).
    Fuehrung(verdrahtung::Element element, int anzahl, const RuheBild& ruhe = {});

    verdrahtung::Element element() const { return element_; }
    int anzahl() const { return anzahl_; }
    // The number the person presses next, past those left out; anzahl() + 1
    // when all are done.
    int erwartet() const;
    bool fertig() const { return erwartet() > anzahl_; }
    // Numbers left out: their input was not free at rest.
    const std::vector<int>& ausgelassen() const { return ausgelassen_; }

    // What an answer did.
    enum class Kam : std::uint8_t {
        Ignoriert,     // only inputs that say nothing (not free at rest), or done already
        Richtig,       // the number expected alone: the next one
        Versehen,      // right after a wrong answer: that one was a slip, the next one
        Nochmal,       // wrong: held until a second press of the same number
        Falsch,        // wrong twice alike (or as the shift before it): taken, the next one
        SchonGenommen  // one input that already answered an earlier press
    };
    // Inputs that rose in one cycle: the answer to a press of erwartet().
    Kam kam(const std::vector<int>& eingaenge);
    // The person pressed erwartet() and nothing came (a held answer goes).
    void nichts();
    // "Zurück": a held answer goes, else the last press; false when there is none.
    bool zurueck();
    bool zurueckMoeglich() const { return !vorlaeufig_.empty() || !drucke_.empty(); }
    // The wrong answer held for erwartet(); empty: none.
    const std::vector<int>& vorlaeufig() const { return vorlaeufig_; }

    // The findings of the presses so far, after those of the rest.
    Ergebnis auswerten() const;

private:
    struct Druck {
        int nr;
        std::vector<int> kam;   // sorted; empty: nothing came
    };
    bool genommen(int eingang) const;

    verdrahtung::Element element_;
    int anzahl_;
    std::vector<std::uint8_t> aus_;   // [n] 1: left out
    std::vector<int> ausgelassen_;
    Ergebnis ruhe_;                   // the rest's findings of the group
    std::vector<Druck> drucke_;       // in the order of the numbers
    std::vector<int> vorlaeufig_;
};

// Input cycles on the calling (worker) thread until stopped: start of a run,
// then per cycle keep-alive pulse, one read, and zyklus with the inputs of
// the element's kind that rose since the cycle before (often none; called on
// this thread, must not block; false ends the run). Every block stays off.
void eingabenLaufen(TkvxHard& kvx, Steuerung& steuerung, const Zeiten& zeiten, verdrahtung::Element element,
                    const std::function<bool(const std::vector<int>&)>& zyklus);

}  // namespace pruefung
