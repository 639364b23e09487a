// The card's ports on GPIO lines: a PortBackend for a computer without an ISA
// slot, whose GPIO header drives the chain lines through a level shifter.
//
// It answers the port traffic of the two 8255 chips with the lines of the map
// (gpiokarte.h):
// - a mode word (0x303, 0x307) requests the lines of its chip, outputs for
//   0x300, 0x301 or 0x306 and inputs for 0x302, and drives every output low,
//   as the 8255 clears its latches; a later mode word drives them low again;
// - a write of 0x300, 0x301 or 0x306 sets the lines whose bits changed since
//   the last write of that port, in one call; a write that changes no line
//   costs nothing, and so does a write before the chip's mode word (the
//   8255's ports are inputs until then);
// - a read of 0x302 returns the four input lines in their bits, the other
//   bits 0; a read of an output port returns what was written last;
// - 0x304 and 0x305 are not wired: writes do nothing, reads return 0.
// Ports beyond 0x307 do not exist here: enable() refuses them, an access
// throws PortError.
//
// The chip is opened and every line checked when the backend is made. A chip
// that cannot be opened, or a line that does not exist or is held by someone
// else, leaves it without access: enable() refuses, every access throws
// PortError, and fehlerText() says why, naming the line. PortInit then runs
// as a simulation. A request that fails at the mode word does the same from
// then on. A set or read that fails later (the chip gone) keeps the program
// running: lines stay as they were, inputs read 0.
//
// Thread-safe: one mutex guards the lines' state.
#pragma once

#include "gpiokarte.h"
#include "gpioleitungen.h"
#include "portio.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class GpioPorts final : public PortBackend {
public:
    GpioPorts(const gpio::Plan& plan, std::unique_ptr<GpioLeitungen> leitungen);
    // A backend refused before it reached a line (a bad map): no access, with the reason.
    explicit GpioPorts(std::string fehler);

    bool enable(std::uint16_t first, std::uint16_t last) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    bool bereit() const;
    std::string fehlerText() const;   // German reason for the user, empty while there is access
    std::string simulationsText() const override;   // names the GPIO chip

private:
    struct Ausgang {
        std::uint16_t port = 0;
        std::uint8_t maske = 0;                 // bits that carry a line
        std::array<std::uint8_t, 8> index{};    // bit n: its line within the group
        std::vector<unsigned> leitungen;        // the group's GPIO lines
        std::vector<int> linien;                // and their card lines (index into gpio::Linien)
        int gruppe = -1;                        // -1 until the chip's mode word
        std::uint8_t latch = 0;                 // the port as last written
    };
    struct Eingang {
        std::array<std::uint8_t, 4> bit{};      // line i: its bit of 0x302
        std::vector<unsigned> leitungen;
        std::vector<int> linien;
        int gruppe = -1;
    };

    void modeWord(int chip);
    bool anfordern(const std::vector<unsigned>& leitungen, const std::vector<int>& linien, bool ausgang,
                   int& gruppe);
    void ausgeben(Ausgang& a, std::uint8_t value);
    std::uint8_t eingaenge();
    std::string leitungsText(int linie) const;

    gpio::Plan plan_;
    std::unique_ptr<GpioLeitungen> leitungen_;
    mutable std::mutex mutex_;
    bool bereit_ = false;
    std::string fehler_;
    std::array<Ausgang, 3> ausgaenge_;   // 0x300, 0x301, 0x306
    Eingang eingang_;
};
