// How often each input of a monitoring page changed, and when it changed
// last: the blocks, auxiliary blocks and detectors of the occupancy page, the
// button groups of the push-button page. An element that changed
// FlackerWechsel times within FlackerZeit is marked as flickering (a loose
// wire, a dirty track) and stays marked until the statistic is reset.
//
// The page hands over each image right after it has read it, with the time of
// the poll; the statistic compares it with the states it saw last. All memory
// is taken when a kind is laid out, so a poll allocates nothing. No widgets,
// no clock of its own: the tests drive the time.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class EingangsStatistik {
public:
    using Uhr = std::chrono::steady_clock;
    using Zeitpunkt = Uhr::time_point;

    static constexpr int FlackerWechsel = 4;
    static constexpr std::chrono::milliseconds FlackerZeit{2000};

    // One element as the list and the file show it.
    struct Eintrag {
        int art = 0;
        int element = 0;
        std::uint32_t wechsel = 0;
        Zeitpunkt zuletzt{};
        bool flackert = false;
    };

    // What one image brought.
    struct Ergebnis {
        int wechsel = 0;        // elements that changed
        int neuFlackernd = 0;   // elements marked as flickering by this image
    };

    // arten kinds of elements, numbered from 0, each laid out for no elements.
    explicit EingangsStatistik(int arten);

    // Kind art holds elements 1..anzahl from now on: the elements it keeps
    // keep their counts, times and marks, those beyond anzahl are forgotten,
    // new ones start at nothing; its next image is taken as the starting states.
    void einrichten(int art, int anzahl);

    // The next image of every kind is taken as the starting states, uncounted:
    // what changed while nobody looked is no change seen.
    void ansetzen();

    // Counts, times and marks back to nothing; the states last seen stay.
    void zuruecksetzen();

    // Elements 1..anzahl of bild (entry e for element e, non-zero active), as
    // far as the kind is laid out and the image reaches, at the time jetzt.
    Ergebnis erfassen(int art, std::span<const std::uint8_t> bild, int anzahl, Zeitpunkt jetzt);

    int arten() const { return int(arten_.size()); }
    int anzahl(int art) const;
    // Element 1..anzahl(art) of kind art; an empty entry outside.
    Eintrag eintrag(int art, int element) const;
    bool flackert(int art, int element) const { return eintrag(art, element).flackert; }

    // The elements with the most changes, at most hoechstens: more changes
    // first, then the more recent last change, then kind and number. liste is
    // filled anew and keeps its memory for the next time.
    void rangliste(std::vector<Eintrag>& liste, std::size_t hoechstens) const;
    // Every element with at least one change, by kind and number.
    void geaenderte(std::vector<Eintrag>& liste) const;

private:
    struct Element {
        std::array<Zeitpunkt, FlackerWechsel> zeiten{};   // the last changes, a ring
        std::uint32_t wechsel = 0;
        std::uint8_t naechste = 0;   // slot of the ring for the next change: the oldest one
        bool flackert = false;
    };
    struct Art {
        std::vector<std::uint8_t> zustand;   // [e] 0 or 1, [0] unused
        std::vector<Element> elemente;       // [e], [0] unused
        bool angesetzt = false;              // zustand holds a seen image
    };
    static Eintrag eintragVon(int art, int element, const Element& el);

    std::vector<Art> arten_;
};
