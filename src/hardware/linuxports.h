// Direct port access on Linux x86 through ioperm/inb/outb.
//
// The permission is asked for once, when the backend is created: the kernel
// hands port permissions only to threads created after the call, so main()
// builds this backend before any other thread exists. ioperm needs the
// capability CAP_SYS_RAWIO and is refused under kernel lockdown (Secure Boot)
// even for root; the errno is kept so that the program can say why.
#pragma once

#include "portio.h"

#include <memory>
#include <string>

class LinuxPorts final : public PortBackend {
public:
    LinuxPorts();

    bool enable(std::uint16_t first, std::uint16_t last) override;
    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;

    bool granted() const { return granted_; }
    int error() const { return error_; }       // errno of the refused ioperm, 0 when granted
    std::string errorText() const;             // German reason for the user, empty when granted

    static bool supported();                   // false where the CPU has no I/O ports

private:
    bool inRange(std::uint16_t port) const;

    bool granted_ = false;
    int error_ = 0;
};
