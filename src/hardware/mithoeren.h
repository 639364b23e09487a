// A port backend that passes every access on to another one unchanged and
// lets the card model see it, so that the model shows what the real cards
// were told.
//
// Writes go to the real backend first; only a write it took reaches the
// model (a refused one throws on to the caller, the model sees nothing).
// Reads return what the real backend returned; the model sees the value, so
// that its inputs follow what the real layout reports. Holds no state of its
// own: it is as thread-safe as the two backends it joins.
#pragma once

#include "portio.h"

class VirtualCard;

class Mithoeren final : public PortBackend {
public:
    Mithoeren(PortBackend& echt, VirtualCard& modell);

    bool enable(std::uint16_t first, std::uint16_t last) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string simulationsText() const override { return echt_.simulationsText(); }

private:
    PortBackend& echt_;
    VirtualCard& modell_;
};
