// What both libgpiod layers share (gpio_libgpiod1.cpp for libgpiod 1.6,
// gpio_libgpiod2.cpp for 2.x): which chip a name of the line map means, and
// the German texts of what can go wrong with it.
//
// The chip is named as gpiodetect names it (gpiochip0, or just 0), by its
// path (/dev/gpiochip4) or by its label (pinctrl-rp1). With no name the
// program looks for the Raspberry Pi's header by its label, so that a Pi 5
// whose kernel calls the header gpiochip4 (before 6.6.45) or gpiochip0 is
// found either way, and falls back to gpiochip0.
#pragma once

#include <array>
#include <cerrno>
#include <functional>
#include <optional>
#include <string>

namespace gpio {

// The consumer name the kernel shows for the lines the program holds.
inline constexpr const char* Verbraucher = "kvxtest";

// The labels of the header's chip: Raspberry Pi 5, Pi 4, the older boards.
inline constexpr std::array<const char*, 3> PiEtiketten{"pinctrl-rp1", "pinctrl-bcm2711", "pinctrl-bcm2835"};

// The label of the chip at a path; nullopt when it is no GPIO chip or
// cannot be opened.
using EtikettLesen = std::function<std::optional<std::string>(const std::string& pfad)>;

struct Fundort {
    std::string pfad;   // what to open; empty when no chip has the label
    std::string name;   // how the texts name the chip
};

// Where the chip that chip names lies among the gpiochip* entries of
// ordner (/dev).
Fundort bausteinSuchen(const std::string& chip, const std::string& ordner, const EtikettLesen& etikett);

// Why the chip at pfad could not be opened, from the system's error number.
// libgpiod 2 says ENODEV for a device that is no GPIO chip, libgpiod 1.6
// ENOTTY: either way the text says it is none.
std::string oeffnenFehler(const std::string& chip, const std::string& pfad, int fehler);

// The device at pfad may not be opened by this user: what to do, from the
// group the device belongs to (gpio on Raspberry Pi OS and with the
// package's udev rule, root alone on plain Debian).
std::string keinZugriffText(const std::string& chip, const std::string& pfad);

// Opens the chip that chip names, looked for under /dev, with oeffnen (the
// library's call, null and errno when it fails); chip becomes the name the
// texts give it. Empty when it is open, else why not.
template <class Chip>
std::string bausteinOeffnen(std::string& chip, Chip*& offen, Chip* (*oeffnen)(const char*),
                            const EtikettLesen& etikett)
{
    const Fundort f = bausteinSuchen(chip, "/dev", etikett);
    chip = f.name;
    if (f.pfad.empty())
        return oeffnenFehler(chip, f.pfad, ENOENT);
    errno = 0;
    offen = oeffnen(f.pfad.c_str());
    return offen ? std::string() : oeffnenFehler(chip, f.pfad, errno);
}

// The system's text for an error number.
std::string systemFehler(int fehler);

// A line beyond the chip's lines, and a line someone else holds.
std::string fehltText(const std::string& chip, unsigned anzahl);
std::string belegtText(const char* wer);

}  // namespace gpio
