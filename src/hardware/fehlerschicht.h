// Fehlerschicht: the wiring faults of the virtual layout, where real wiring
// has them — between the card chains' lines and the elements. The virtual
// card hands every latch (and, for the coil chains, every look at their
// stages) and every load of the input lines through this layer; the program
// above sees the faults only in what it reads back from port 0x302 and in
// what the layout then shows. Off unless faults are set.
//
// How each fault acts, in the cards' own terms:
//
// Outputs. A chain's shift register is clocked from the interface card: the
// stage nearest to it is stage 1, each card carries a fixed run of stages
// (block cards 16, turnout and signal cards 16, LED cards 32), and on a latch
// every stage drives its output line, which a wire takes to the element.
//  - tausch:ART:A:B  the wires of elements A and B are crossed behind the
//    outputs: A's element gets B's lines and B's gets A's. A block is the
//    six lines of its byte's bits 7..2 (speed, power, direction), an
//    auxiliary block its one bit of the block byte, a turnout its two coil
//    stages (straight 2n - 1, diverging 2n), a signal coil its stage, an LED
//    its output. So BlockSetzen(5, ...) moves block 6, a turnout's straight
//    coil pulse throws the other turnout straight.
//  - tot:ART:N       the element's wires are open: the LED stays dark, the
//    block without power (speed and direction lost with it), the coil never
//    moves.
//  - bruch:KETTE:K   the data line between card K and card K + 1 is broken:
//    the first stage of card K + 1 sees an open TTL input and shifts in a 1
//    on every clock, so every stage behind card K holds 1 (and drives its
//    output on the next latch: LEDs lit, blocks at full speed forward with
//    both auxiliary blocks on, coils behind K powered while the coil pulse
//    runs). The start-up's reset clocks the chains through, so the layer
//    takes those stages as 1 from the start. K = 0: the line from the
//    interface card to card 1 is broken, every stage holds 1.
//  - fehlt:KETTE:K   card K is missing and cards K - 1 and K + 1 are joined:
//    the chain is one card shorter, every card behind K sits one card's
//    stages nearer to the interface card and latches what was meant for the
//    card before it (card K + 1 shows card K's data); card K's elements stay
//    dark, and what was meant for the last card falls off the end.
//
// Inputs. On the load pulse every card of an input line takes the states of
// its elements in parallel; each input clock then moves the line by one
// step, card 1's steps first (block, auxiliary-block and detector cards 8
// steps each, push-button cards 32), and what follows the last card reads 0.
//  - tausch:ART:A:B  the two elements' wires to their card are crossed: A's
//    step reports B's state and B's step A's.
//  - tot:ART:N       the element's wire is open: its step always reads free.
//  - haengt:ART:N    the element's wire is shorted: its step always reads
//    occupied / pressed.
//  - flackert:ART:N  a loose contact: at random moments the step reads the
//    opposite of the element's state (a free detector reports occupied, an
//    occupied one free) for 60..150 ms, with 100..300 ms between two such
//    drop-outs, so at least one begins in any half second. The moments come
//    from a std::mt19937_64 seeded with the card's fault seed and are counted
//    on the card's clock from the first load after the faults were set, so a
//    test that drives the clock sees the same drop-outs every time.
//  - bruch:KETTE:K   the serial line from card K + 1 into card K is broken:
//    card K's serial input is an open TTL input, so after card K's own steps
//    every further step of this line reads 1 (K = 0: the interface card's
//    own input is open, every step reads 1).
//  - fehlt:KETTE:K   card K is missing: the steps of the cards behind it
//    arrive one card earlier (card K + 1's at card K's steps) and the last
//    card's steps read 0.
//  - last:block:N (alle)  a test load (a resistor wheelset) stands on block N:
//    while the block's power line, as its element sees it, is on, its block
//    card reports it occupied. last:hblock:N the same for auxiliary block N on
//    its auxiliary-block card. A healthy virtual layout has no load on any
//    block, so power alone reports nothing.
//
// Faults of the elements act in the order they were set (tot after a tausch
// kills the line that now reaches the element); a fault naming an element or
// card the layout no longer has (after a change of the card counts) does
// nothing. Plain C++; the card's lock guards it.
#pragma once

#include "verdrahtungsfehler.h"

#include <array>
#include <cstdint>
#include <random>
#include <vector>

struct VirtualLayout;

class Fehlerschicht {
public:
    void setze(std::vector<verdrahtung::Fehler> fehler, std::uint64_t seed);
    const std::vector<verdrahtung::Fehler>& fehler() const { return fehler_; }
    bool leer() const { return fehler_.empty(); }

    // Output chains (block, weiche, signal, led1..led3).
    // Whether a fault changes what this chain's elements see.
    bool betrifft(verdrahtung::Kette kette) const;
    // A latch: the lines as the elements see them (element line i at
    // out[i - 1]) from the chain's stages (stage i at stufen[i - 1]); the
    // card's outputs are kept for gesetzt(). out gets the chain's size.
    void latch(verdrahtung::Kette kette, const std::vector<std::uint8_t>& stufen, const VirtualLayout& layout,
               std::vector<std::uint8_t>& out);
    // The coil chains have no latch: the coils' lines from the stages now.
    void stufen(verdrahtung::Kette kette, const std::vector<std::uint8_t>& stufen, const VirtualLayout& layout,
                std::vector<std::uint8_t>& out) const;
    // The card's outputs of a latched chain as last latched, given what its
    // elements see now (out): out itself unless a fault is on the chain.
    std::vector<std::uint8_t> ausgaenge(verdrahtung::Kette kette, const std::vector<std::uint8_t>& out) const;
    // After setze(): the elements' lines from the outputs as they were last
    // latched, so a fault set between two latches shows at once. The outputs
    // of a missing card go dark; the others keep what they hold until the
    // next latch.
    void gesetzt(verdrahtung::Kette kette, std::vector<std::uint8_t> ausgaenge, const VirtualLayout& layout,
                 std::vector<std::uint8_t>& out);

    // Input lines: turns the frame the healthy lines would deliver after a
    // load (step i at frame[i - 1], one bit per line) into what they deliver.
    // blockOut: the block chain's element lines (8 per block, bit j of block b
    // at [8 (b - 1) + j]), for the test loads; t: the card's clock in ns.
    void eingaenge(std::vector<std::uint8_t>& frame, const std::vector<std::uint8_t>& blockOut,
                   const VirtualLayout& layout, std::int64_t t);

private:
    struct Flackern {
        std::mt19937_64 zufall;
        bool begonnen = false;
        bool aus = false;          // in a drop-out
        std::int64_t wechsel = 0;  // ns of the next change
        void bis(std::int64_t t);
    };
    std::vector<std::uint8_t> kartenAusgaenge(verdrahtung::Kette kette, const std::vector<std::uint8_t>& stufen,
                                              const VirtualLayout& layout) const;
    void elemente(verdrahtung::Kette kette, const std::vector<std::uint8_t>& ausgang,
                  std::vector<std::uint8_t>& out) const;

    std::vector<verdrahtung::Fehler> fehler_;
    std::vector<Flackern> flackern_;   // one per flackert fault, in their order
    std::array<std::vector<std::uint8_t>, 6> ausgaenge_;   // latched outputs of a chain with a fault
    std::uint64_t seed_ = 1;
};
