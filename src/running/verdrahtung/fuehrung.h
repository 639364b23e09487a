// The guided check of one input group: the person presses the buttons (or
// occupies the detectors) in order from the first; what each press brought is
// noted, and at the end the answers become findings: out of order (tausch),
// nothing (tot, when the person says "nothing came"), two inputs from one
// press (a short), a whole card shifted (fehlt of the line).
//
// Plain C++: the window feeds it the inputs that rose in an input cycle
// (eingabenLaufen reads them on a worker thread) and the person's "nothing
// came"; it never touches the card.
#pragma once

#include "pruefung.h"

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
    // element: Melder, BlockTaster, HBlockTaster, Taster1, BlockBelegt or HBlockBelegt.
    Fuehrung(verdrahtung::Element element, int anzahl);

    verdrahtung::Element element() const { return element_; }
    int anzahl() const { return anzahl_; }
    // The number the person presses next; anzahl() + 1 when all are done.
    int erwartet() const { return static_cast<int>(antworten_.size()) + 1; }
    bool fertig() const { return erwartet() > anzahl_; }

    // Inputs that rose in one cycle: the answer to the press of erwartet().
    void kam(const std::vector<int>& eingaenge);
    // The person pressed erwartet() and nothing came.
    void nichts();
    // What the presses so far brought, press n at [n - 1].
    const std::vector<std::vector<int>>& antworten() const { return antworten_; }

    // The findings of the presses so far.
    Ergebnis auswerten() const;

private:
    verdrahtung::Element element_;
    int anzahl_;
    std::vector<std::vector<int>> antworten_;
};

// Input cycles on the calling (worker) thread until stopped: start of a run,
// then per cycle keep-alive pulse, one read, and zyklus with the inputs of
// the element's kind that rose since the cycle before (often none; called on
// this thread, must not block; false ends the run). Every block stays off.
void eingabenLaufen(TkvxHard& kvx, Steuerung& steuerung, const Zeiten& zeiten, verdrahtung::Element element,
                    const std::function<bool(const std::vector<int>&)>& zyklus);

}  // namespace pruefung
