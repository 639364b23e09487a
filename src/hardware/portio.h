// Byte-wide access to the I/O ports of the interface card.
//
// Every port access of the program goes through PortLesen/PortSchreiben, and
// those go to the one installed PortBackend: the Linux ports, the virtual
// card, or a backend without access. Nothing above this layer asks which one
// is installed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

struct PortError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class PortBackend {
public:
    virtual ~PortBackend() = default;
    virtual bool enable(std::uint16_t first, std::uint16_t last) = 0;  // ask for access to a port range
    virtual std::uint8_t read(std::uint16_t port) = 0;
    virtual void write(std::uint16_t port, std::uint8_t value) = 0;    // throws PortError without access
    // The first line of the message when the card cannot be reached and the
    // program runs as a simulation: what was missing.
    virtual std::string simulationsText() const
    {
        return "Kein Porttreiber installiert, Programm läuft als Simulation!";
    }
};

// Installs the backend for PortLesen/PortSchreiben; returns the one installed before.
// nullptr uninstalls: every access then throws PortError.
PortBackend* setPortBackend(PortBackend* backend);
PortBackend* portBackend();

std::uint8_t PortLesen(std::uint16_t port);                  // throws PortError without a backend or access
void PortSchreiben(std::uint16_t port, std::uint8_t value);  // throws PortError without a backend or access

// A port as the messages name it: "0x300".
std::string portName(std::uint16_t port);

// A backend that has no access at all: the program runs on as a simulation.
class NoPortAccess final : public PortBackend {
public:
    bool enable(std::uint16_t, std::uint16_t) override { return false; }
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
};
