// Wiring faults of the virtual layout: what they are called and how a list
// of them is written and read ("tausch:block:5:6,bruch:melder:3").
//
// The faults act inside the virtual card, between the chains' port lines
// and the elements (see fehlerschicht.h for what each one does there); this
// file only names them. Plain C++, no Qt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct VirtualLayout;

namespace verdrahtung {

enum class Art { Tausch, Tot, Haengt, Flackert, Bruch, Fehlt, Last };

enum class Element {
    Block, HBlock, Weiche, Signal, Led,                                  // outputs
    BlockBelegt, HBlockBelegt, Melder, BlockTaster, HBlockTaster, Taster1, Taster2,  // inputs
};

enum class Kette {
    Block, Weiche, Signal, Led1, Led2, Led3,                             // output chains
    BlockEin, HBlockEin, Melder, Taster1, Taster2,                       // input lines
};

struct Fehler {
    Art art = Art::Tot;
    Element element = Element::Block;  // tausch, tot, haengt, flackert, last
    Kette kette = Kette::Block;        // bruch, fehlt
    int a = 0;   // element number (LEDs: 1000 x (chain - 1) + n), or card number from 1 for
                 // bruch/fehlt; last: 0 = every block
    int b = 0;   // tausch: the second element; stored with a < b
    friend bool operator==(const Fehler&, const Fehler&) = default;
};

// The written form, as lesen() takes it: "tausch:block:5:6", "tot:led:1037",
// "bruch:melder:3", "last:block:alle".
std::string text(const Fehler& f);
// A list in the written form, comma-separated.
std::string text(const std::vector<Fehler>& liste);

struct Lesung {
    std::vector<Fehler> fehler;
    std::string meldung;   // German, empty when the list is fine
};

// Reads a comma-separated list (blanks around the items and around their
// parts, "tot : block : 3", and upper case are allowed, an empty list is no
// fault). Every element and card is checked against the layout's counts; at
// the first bad item meldung says what is wrong and fehler stays empty. A
// fault named twice is kept once.
Lesung lesen(std::string_view liste, const VirtualLayout& layout);

bool istEingang(Element e);
bool istEingang(Kette k);
// The element's or chain's name in the written form ("blockbelegt", "led2").
std::string_view name(Element e);
std::string_view name(Kette k);
// How many of an element or of a chain's cards the layout has
// (Led: the LEDs of chain 1..3 by chain, see ledAnzahl).
int anzahl(Element e, const VirtualLayout& layout);
int karten(Kette k, const VirtualLayout& layout);
int ledAnzahl(int kette, const VirtualLayout& layout);
// Elements (outputs) or steps (inputs) each card of the chain carries.
int proKarte(Kette k);
// The element's name in the plural, German ("Blöcke", "Taster der Kette 1").
std::string_view mehrzahl(Element e);

// The elements a fault touches, by kind, numbers ascending: both of a
// tausch, the one of tot/haengt/flackert, the blocks of a test load (their
// power and their occupancy), every element on the cards behind a broken
// line, and on a missing card and behind it.
struct Stelle {
    Element element = Element::Block;
    std::vector<int> nummern;
    friend bool operator==(const Stelle&, const Stelle&) = default;
};
std::vector<Stelle> betroffen(const Fehler& f, const VirtualLayout& layout);

}  // namespace verdrahtung
