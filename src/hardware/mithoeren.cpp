#include "mithoeren.h"

#include "virtualcard.h"

Mithoeren::Mithoeren(PortBackend& echt, VirtualCard& modell)
    : echt_(echt), modell_(modell)
{
}

bool Mithoeren::enable(std::uint16_t first, std::uint16_t last)
{
    return echt_.enable(first, last);
}

std::uint8_t Mithoeren::read(std::uint16_t port)
{
    const std::uint8_t value = echt_.read(port);
    modell_.observeRead(port, value);
    return value;
}

void Mithoeren::write(std::uint16_t port, std::uint8_t value)
{
    echt_.write(port, value);
    modell_.observeWrite(port, value);
}
