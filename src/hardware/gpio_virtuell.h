// GpioLeitungen without a GPIO chip: the card's lines of a map, kept as
// levels, and shown to a virtual card the way the card's ports would carry
// them.
//
// Every line that changes reaches the card at once as a write of its port
// with the levels of all lines of that port, one line after another. Real
// GPIO hardware may change the lines of one call in any order, so the order
// is chosen here: ascending GPIO numbers (what the Raspberry Pi's driver
// does), descending, rising before falling lines, falling before rising, or
// shuffled. A request of outputs shows the card its chip's mode word (the
// outputs go low, as the 8255's do); a read of the inputs reads 0x302 of
// the card. Without a card the levels are only kept and the calls counted.
//
// It also stands in for what can go wrong with a real chip: a chip that is
// missing, a line that someone else holds (from the start or from a later
// moment on).
#pragma once

#include "gpiokarte.h"
#include "gpioleitungen.h"

#include <array>
#include <random>
#include <set>
#include <string>
#include <vector>

class VirtualCard;

class GpioVirtuell final : public GpioLeitungen {
public:
    enum class Reihenfolge { Aufsteigend, Absteigend, SetzenZuerst, LoeschenZuerst, Gemischt };

    explicit GpioVirtuell(const gpio::Plan& plan, VirtualCard* karte = nullptr,
                          Reihenfolge reihenfolge = Reihenfolge::Aufsteigend, unsigned saat = 1);

    void ohneBaustein() { ohneBaustein_ = true; }
    void belegen(unsigned leitung) { belegt_.insert(leitung); }

    long setzAufrufe() const { return setzAufrufe_; }
    long leseAufrufe() const { return leseAufrufe_; }

    std::string oeffnen(std::string& chip) override;
    std::string pruefen(unsigned leitung) override;
    int anfordern(const std::vector<unsigned>& leitungen, bool ausgang, std::string& fehler) override;
    bool setzen(int gruppe, const Stellung* stellungen, std::size_t anzahl) override;
    bool lesen(int gruppe, std::uint32_t& pegel) override;

private:
    struct Ziel {
        std::uint16_t port = 0;
        std::uint8_t bit = 0;
    };
    struct Gruppe {
        std::vector<unsigned> leitungen;
        std::vector<Ziel> ziele;        // line i: the port bit it carries
        std::vector<bool> pegel;
    };

    Ziel ziel(unsigned leitung) const;
    void zeigen(const Ziel& z, bool hoch);

    gpio::Plan plan_;
    VirtualCard* karte_;
    Reihenfolge reihenfolge_;
    std::mt19937 zufall_;
    bool ohneBaustein_ = false;
    std::set<unsigned> belegt_;
    std::set<unsigned> vergeben_;       // requested here
    std::vector<Gruppe> gruppen_;
    std::array<std::uint8_t, 8> ports_{};   // levels of 0x300..0x307 as the card sees them
    std::array<bool, 2> modeWord_{};        // chip 1, chip 2 shown their mode word
    long setzAufrufe_ = 0;
    long leseAufrufe_ = 0;
};
