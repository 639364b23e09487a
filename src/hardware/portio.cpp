#include "portio.h"

#include <atomic>
#include <cstdio>

namespace {

std::atomic<PortBackend*> installed{nullptr};

}  // namespace

std::string portName(std::uint16_t port)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%03X", static_cast<unsigned>(port));
    return buf;
}

PortBackend* setPortBackend(PortBackend* backend)
{
    return installed.exchange(backend);
}

PortBackend* portBackend()
{
    return installed.load();
}

std::uint8_t PortLesen(std::uint16_t port)
{
    PortBackend* b = installed.load();
    if (!b)
        throw PortError("Kein Portzugriff auf " + portName(port));
    return b->read(port);
}

void PortSchreiben(std::uint16_t port, std::uint8_t value)
{
    PortBackend* b = installed.load();
    if (!b)
        throw PortError("Kein Portzugriff auf " + portName(port));
    b->write(port, value);
}

std::uint8_t NoPortAccess::read(std::uint16_t port)
{
    throw PortError("Kein Portzugriff auf " + portName(port));
}

void NoPortAccess::write(std::uint16_t port, std::uint8_t)
{
    throw PortError("Kein Portzugriff auf " + portName(port));
}
