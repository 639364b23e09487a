// The GPIO lines as GpioPorts uses them: open a chip, check a line, request
// lines together as one group (outputs all low, or inputs), set some lines of
// a group in one call, read a group.
//
// Two layers stand behind it: the GPIO character device of the kernel
// (gpioBaustein(), in gpio_libgpiod1.cpp for libgpiod 1.6 or
// gpio_libgpiod2.cpp for libgpiod 2, the only code that calls libgpiod) and
// the virtual card's lines (gpio_virtuell.h). Nothing else knows which one
// runs.
//
// Texts are German and fit into a sentence about the line or the chip:
// "ist belegt (von spi0 CS0)", "gibt es nicht".
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class GpioLeitungen {
public:
    struct Stellung {
        std::uint8_t index;   // line within its group
        bool hoch;
    };

    virtual ~GpioLeitungen() = default;

    // Opens the chip by its name (gpiochip0), its path or its label, or
    // with an empty name the Raspberry Pi's header (gpiobaustein.h); chip is
    // then the name the texts give it. Empty when it is open, else why not,
    // as a whole sentence.
    virtual std::string oeffnen(std::string& chip) = 0;

    // Why the line cannot be requested: it does not exist on the chip, or
    // something else holds it. Empty when it is free.
    virtual std::string pruefen(unsigned leitung) = 0;

    // Requests the lines as one group: outputs driven low, or inputs. The
    // group's number from 0, or -1 with the reason in fehler.
    virtual int anfordern(const std::vector<unsigned>& leitungen, bool ausgang, std::string& fehler) = 0;

    // Sets the given lines of an output group to their levels in one call;
    // the group's other lines stay as they are. False when the call failed.
    virtual bool setzen(int gruppe, const Stellung* stellungen, std::size_t anzahl) = 0;

    // The levels of an input group, bit i for line i. False when the call failed.
    virtual bool lesen(int gruppe, std::uint32_t& pegel) = 0;
};

// The lines of the kernel's GPIO character device, through libgpiod.
std::unique_ptr<GpioLeitungen> gpioBaustein();
