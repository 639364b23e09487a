#include "gpio_virtuell.h"

#include "kvxhard.h"
#include "virtualcard.h"

#include <algorithm>

GpioVirtuell::GpioVirtuell(const gpio::Plan& plan, VirtualCard* karte, Reihenfolge reihenfolge, unsigned saat)
    : plan_(plan), karte_(karte), reihenfolge_(reihenfolge), zufall_(saat)
{
}

std::string GpioVirtuell::oeffnen(std::string& chip)
{
    if (chip.empty())
        chip = "gpiochip0";
    if (ohneBaustein_)
        return "Den GPIO-Baustein " + chip + " gibt es auf diesem Rechner nicht.";
    return {};
}

std::string GpioVirtuell::pruefen(unsigned leitung)
{
    if (belegt_.count(leitung))
        return "ist belegt (von einem anderen Programm)";
    return {};
}

GpioVirtuell::Ziel GpioVirtuell::ziel(unsigned leitung) const
{
    for (std::size_t i = 0; i < plan_.leitung.size(); ++i)
        if (plan_.leitung[i] == leitung)
            return {gpio::Linien[i].port, gpio::Linien[i].bit};
    return {};
}

int GpioVirtuell::anfordern(const std::vector<unsigned>& leitungen, bool ausgang, std::string& fehler)
{
    for (unsigned l : leitungen) {
        if (belegt_.count(l) || vergeben_.count(l)) {
            fehler = "sind belegt";
            return -1;
        }
    }
    Gruppe g;
    g.leitungen = leitungen;
    for (unsigned l : leitungen) {
        vergeben_.insert(l);
        g.ziele.push_back(ziel(l));
        g.pegel.push_back(false);
    }
    if (ausgang && karte_) {
        // Outputs driven low: what the chip's mode word does to its ports.
        for (const Ziel& z : g.ziele) {
            const int chip = z.port < 0x304 ? 0 : 1;
            if (z.port == 0 || modeWord_[static_cast<std::size_t>(chip)])
                continue;
            modeWord_[static_cast<std::size_t>(chip)] = true;
            karte_->write(chip == 0 ? kvx::Control1 : kvx::Control2, chip == 0 ? kvx::ControlWord1 : kvx::ControlWord2);
            for (std::size_t p = chip == 0 ? 0 : 4; p < (chip == 0 ? 4u : 8u); ++p)
                ports_[p] = 0;
        }
    }
    gruppen_.push_back(std::move(g));
    return static_cast<int>(gruppen_.size()) - 1;
}

void GpioVirtuell::zeigen(const Ziel& z, bool hoch)
{
    if (!karte_ || z.port < 0x300 || z.port > 0x307)
        return;
    std::uint8_t& p = ports_[static_cast<std::size_t>(z.port - 0x300)];
    p = static_cast<std::uint8_t>(hoch ? p | z.bit : p & ~z.bit);
    karte_->write(z.port, p);
}

bool GpioVirtuell::setzen(int gruppe, const Stellung* stellungen, std::size_t anzahl)
{
    ++setzAufrufe_;
    Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
    Stellung folge[64];
    anzahl = std::min<std::size_t>(anzahl, 64);
    std::copy(stellungen, stellungen + anzahl, folge);
    auto gpioNr = [&](const Stellung& s) { return g.leitungen[s.index]; };
    switch (reihenfolge_) {
    case Reihenfolge::Aufsteigend:
        std::sort(folge, folge + anzahl, [&](const Stellung& a, const Stellung& b) { return gpioNr(a) < gpioNr(b); });
        break;
    case Reihenfolge::Absteigend:
        std::sort(folge, folge + anzahl, [&](const Stellung& a, const Stellung& b) { return gpioNr(a) > gpioNr(b); });
        break;
    case Reihenfolge::SetzenZuerst:
        std::stable_partition(folge, folge + anzahl, [](const Stellung& s) { return s.hoch; });
        break;
    case Reihenfolge::LoeschenZuerst:
        std::stable_partition(folge, folge + anzahl, [](const Stellung& s) { return !s.hoch; });
        break;
    case Reihenfolge::Gemischt:
        std::shuffle(folge, folge + anzahl, zufall_);
        break;
    }
    for (std::size_t i = 0; i < anzahl; ++i) {
        const Stellung& s = folge[i];
        if (g.pegel[s.index] == s.hoch)
            continue;
        g.pegel[s.index] = s.hoch;
        zeigen(g.ziele[s.index], s.hoch);
    }
    return true;
}

bool GpioVirtuell::lesen(int gruppe, std::uint32_t& pegel)
{
    ++leseAufrufe_;
    const Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
    const std::uint8_t eingang = karte_ ? karte_->read(kvx::PortC1) : 0;
    pegel = 0;
    for (std::size_t i = 0; i < g.ziele.size(); ++i)
        if (g.ziele[i].port == kvx::PortC1 && (eingang & g.ziele[i].bit))
            pegel |= 1u << i;
    return true;
}
