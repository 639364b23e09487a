// GpioLeitungen on the kernel's GPIO character device through libgpiod 2
// (Debian 13, Raspberry Pi OS, Ubuntu 24.04), which the build takes when
// pkg-config reports libgpiod 2 or later; gpio_libgpiod1.cpp is the same for
// libgpiod 1.6.
//
// One request per group: the kernel sets any lines of a request in one call,
// so a write hands over only the lines that change, and the others keep
// their level.
#include "gpiobaustein.h"
#include "gpioleitungen.h"

#include <gpiod.h>

#include <algorithm>
#include <cerrno>

namespace {

// The kernel's limit of lines in one request.
constexpr std::size_t MaxLeitungen = 64;

std::optional<std::string> etikett(const std::string& pfad)
{
    gpiod_chip* c = gpiod_chip_open(pfad.c_str());
    if (!c)
        return std::nullopt;
    std::optional<std::string> e;
    if (gpiod_chip_info* info = gpiod_chip_get_info(c)) {
        e = gpiod_chip_info_get_label(info);
        gpiod_chip_info_free(info);
    }
    gpiod_chip_close(c);
    return e;
}

// The settings, line config and request config of one request, freed in
// every case.
struct Anforderung {
    gpiod_line_settings* einstellung = gpiod_line_settings_new();
    gpiod_line_config* leitungen = gpiod_line_config_new();
    gpiod_request_config* anfrage = gpiod_request_config_new();

    Anforderung() = default;
    Anforderung(const Anforderung&) = delete;
    Anforderung& operator=(const Anforderung&) = delete;
    ~Anforderung()
    {
        gpiod_request_config_free(anfrage);
        gpiod_line_config_free(leitungen);
        gpiod_line_settings_free(einstellung);
    }
    bool da() const { return einstellung && leitungen && anfrage; }
};

class Baustein final : public GpioLeitungen {
public:
    Baustein() = default;
    Baustein(const Baustein&) = delete;
    Baustein& operator=(const Baustein&) = delete;

    // Releasing a request gives its lines back; they keep their last level,
    // as the 8255 keeps its latches.
    ~Baustein() override
    {
        for (Gruppe& g : gruppen_)
            gpiod_line_request_release(g.anfrage);
        if (chip_)
            gpiod_chip_close(chip_);
    }

    std::string oeffnen(std::string& chip) override
    {
        const std::string grund = gpio::bausteinOeffnen(chip, chip_, gpiod_chip_open, etikett);
        name_ = chip;
        if (!grund.empty())
            return grund;
        gpiod_chip_info* info = gpiod_chip_get_info(chip_);
        if (!info)
            return gpio::oeffnenFehler(name_, {}, errno);
        anzahl_ = static_cast<unsigned>(gpiod_chip_info_get_num_lines(info));
        gpiod_chip_info_free(info);
        return {};
    }

    std::string pruefen(unsigned leitung) override
    {
        if (leitung >= anzahl_)
            return gpio::fehltText(name_, anzahl_);
        gpiod_line_info* info = gpiod_chip_get_line_info(chip_, leitung);
        if (!info)
            return "lässt sich nicht ansprechen: " + gpio::systemFehler(errno);
        const std::string grund =
            gpiod_line_info_is_used(info) ? gpio::belegtText(gpiod_line_info_get_consumer(info)) : std::string();
        gpiod_line_info_free(info);
        return grund;
    }

    int anfordern(const std::vector<unsigned>& leitungen, bool ausgang, std::string& fehler) override
    {
        if (leitungen.empty() || leitungen.size() > MaxLeitungen) {
            fehler = "ungültige Zahl von Leitungen";
            return -1;
        }
        Anforderung a;
        if (!a.da()) {
            fehler = "lassen sich nicht anfordern: " + gpio::systemFehler(ENOMEM);
            return -1;
        }
        if (ausgang) {
            gpiod_line_settings_set_direction(a.einstellung, GPIOD_LINE_DIRECTION_OUTPUT);
            gpiod_line_settings_set_output_value(a.einstellung, GPIOD_LINE_VALUE_INACTIVE);
        } else {
            gpiod_line_settings_set_direction(a.einstellung, GPIOD_LINE_DIRECTION_INPUT);
        }
        gpiod_request_config_set_consumer(a.anfrage, gpio::Verbraucher);
        Gruppe g;
        g.leitungen = leitungen;
        if (gpiod_line_config_add_line_settings(a.leitungen, g.leitungen.data(), g.leitungen.size(), a.einstellung)
            != 0) {
            fehler = "lassen sich nicht ansprechen: " + gpio::systemFehler(errno);
            return -1;
        }
        errno = 0;
        g.anfrage = gpiod_chip_request_lines(chip_, a.anfrage, a.leitungen);
        if (!g.anfrage) {
            fehler = errno == EBUSY ? "sind belegt" : "lassen sich nicht anfordern: " + gpio::systemFehler(errno);
            return -1;
        }
        gruppen_.push_back(std::move(g));
        return static_cast<int>(gruppen_.size()) - 1;
    }

    bool setzen(int gruppe, const Stellung* stellungen, std::size_t anzahl) override
    {
        const Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
        unsigned nummern[MaxLeitungen];
        gpiod_line_value werte[MaxLeitungen];
        anzahl = std::min(anzahl, MaxLeitungen);
        for (std::size_t i = 0; i < anzahl; ++i) {
            nummern[i] = g.leitungen[stellungen[i].index];
            werte[i] = stellungen[i].hoch ? GPIOD_LINE_VALUE_ACTIVE : GPIOD_LINE_VALUE_INACTIVE;
        }
        return gpiod_line_request_set_values_subset(g.anfrage, anzahl, nummern, werte) == 0;
    }

    bool lesen(int gruppe, std::uint32_t& pegel) override
    {
        const Gruppe& g = gruppen_[static_cast<std::size_t>(gruppe)];
        gpiod_line_value werte[MaxLeitungen] = {};
        if (gpiod_line_request_get_values_subset(g.anfrage, g.leitungen.size(), g.leitungen.data(), werte) != 0)
            return false;
        pegel = 0;
        for (std::size_t i = 0; i < g.leitungen.size() && i < 32; ++i)
            if (werte[i] == GPIOD_LINE_VALUE_ACTIVE)
                pegel |= 1u << i;
        return true;
    }

private:
    struct Gruppe {
        std::vector<unsigned> leitungen;    // the chip's line numbers, in the group's order
        gpiod_line_request* anfrage = nullptr;
    };

    gpiod_chip* chip_ = nullptr;
    unsigned anzahl_ = 0;
    std::string name_;
    std::vector<Gruppe> gruppen_;
};

}  // namespace

std::unique_ptr<GpioLeitungen> gpioBaustein()
{
    return std::make_unique<Baustein>();
}
