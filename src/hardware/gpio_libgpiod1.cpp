// GpioLeitungen on the kernel's GPIO character device through libgpiod 1.6
// (Debian 12), which the build takes when pkg-config reports a libgpiod
// before 2; gpio_libgpiod2.cpp is the same for libgpiod 2.
//
// One request per group: the kernel's line handle sets all lines of a request
// at once, so a group keeps the level of each of its lines and hands all of
// them over; lines whose level stays the same do not move.
#include "gpiobaustein.h"
#include "gpioleitungen.h"

#include <gpiod.h>

#include <cerrno>

namespace {

std::optional<std::string> etikett(const std::string& pfad)
{
    gpiod_chip* c = gpiod_chip_open(pfad.c_str());
    if (!c)
        return std::nullopt;
    std::string e = gpiod_chip_label(c);
    gpiod_chip_close(c);
    return e;
}

class Baustein final : public GpioLeitungen {
public:
    Baustein() = default;
    Baustein(const Baustein&) = delete;
    Baustein& operator=(const Baustein&) = delete;

    // Closing the chip releases every line it handed out; the lines keep
    // their last level, as the 8255 keeps its latches.
    ~Baustein() override
    {
        if (chip_)
            gpiod_chip_close(chip_);
    }

    std::string oeffnen(std::string& chip) override
    {
        std::string grund = gpio::bausteinOeffnen(chip, chip_, gpiod_chip_open, etikett);
        name_ = chip;
        return grund;
    }

    std::string pruefen(unsigned leitung) override
    {
        const unsigned anzahl = gpiod_chip_num_lines(chip_);
        if (leitung >= anzahl)
            return gpio::fehltText(name_, anzahl);
        gpiod_line* l = gpiod_chip_get_line(chip_, leitung);
        if (!l)
            return "lässt sich nicht ansprechen: " + gpio::systemFehler(errno);
        return gpiod_line_is_used(l) ? gpio::belegtText(gpiod_line_consumer(l)) : std::string();
    }

    int anfordern(const std::vector<unsigned>& leitungen, bool ausgang, std::string& fehler) override
    {
        if (leitungen.empty() || leitungen.size() > GPIOD_LINE_BULK_MAX_LINES) {
            fehler = "ungültige Zahl von Leitungen";
            return -1;
        }
        Gruppe g;
        gpiod_line_bulk_init(&g.bulk);
        std::vector<unsigned> nummern(leitungen);
        if (gpiod_chip_get_lines(chip_, nummern.data(), static_cast<unsigned>(nummern.size()), &g.bulk) != 0) {
            fehler = "lassen sich nicht ansprechen: " + gpio::systemFehler(errno);
            return -1;
        }
        g.werte.assign(leitungen.size(), 0);
        const int rc = ausgang ? gpiod_line_request_bulk_output(&g.bulk, gpio::Verbraucher, g.werte.data())
                               : gpiod_line_request_bulk_input(&g.bulk, gpio::Verbraucher);
        if (rc != 0) {
            fehler = errno == EBUSY ? "sind belegt" : "lassen sich nicht anfordern: " + gpio::systemFehler(errno);
            return -1;
        }
        gruppen_.push_back(std::move(g));
        return static_cast<int>(gruppen_.size()) - 1;
    }

    bool setzen(int gruppe, const Stellung* stellungen, std::size_t anzahl) override
    {
        Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
        for (std::size_t i = 0; i < anzahl; ++i)
            g.werte[stellungen[i].index] = stellungen[i].hoch ? 1 : 0;
        return gpiod_line_set_value_bulk(&g.bulk, g.werte.data()) == 0;
    }

    bool lesen(int gruppe, std::uint32_t& pegel) override
    {
        Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
        int werte[GPIOD_LINE_BULK_MAX_LINES] = {};
        if (gpiod_line_get_value_bulk(&g.bulk, werte) != 0)
            return false;
        pegel = 0;
        for (unsigned i = 0; i < g.bulk.num_lines && i < 32; ++i)
            if (werte[i] > 0)
                pegel |= 1u << i;
        return true;
    }

private:
    struct Gruppe {
        gpiod_line_bulk bulk;
        std::vector<int> werte;   // the level of each line, as last set
    };

    gpiod_chip* chip_ = nullptr;
    std::string name_;
    std::vector<Gruppe> gruppen_;
};

}  // namespace

std::unique_ptr<GpioLeitungen> gpioBaustein()
{
    return std::make_unique<Baustein>();
}
