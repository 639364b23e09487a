#include "linuxports.h"

#include <cerrno>
#include <cstring>

#if defined(__linux__) && (defined(__x86_64__) || defined(__i386__))
#define KVX_HAVE_IOPORTS 1
#include <sys/io.h>
#else
#define KVX_HAVE_IOPORTS 0
#endif

namespace {

// The card's two ranges: the two 8255 chips and what the card decodes behind
// them, and the four ports at 0x330.
constexpr std::uint16_t kFirstRange = 0x300, kFirstCount = 0x20;
constexpr std::uint16_t kSecondRange = 0x330, kSecondCount = 0x04;

}  // namespace

bool LinuxPorts::supported()
{
    return KVX_HAVE_IOPORTS != 0;
}

LinuxPorts::LinuxPorts()
{
#if KVX_HAVE_IOPORTS
    if (ioperm(kFirstRange, kFirstCount, 1) != 0) {
        error_ = errno;
        return;
    }
    if (ioperm(kSecondRange, kSecondCount, 1) != 0) {
        error_ = errno;
        ioperm(kFirstRange, kFirstCount, 0);
        return;
    }
    granted_ = true;
#else
    error_ = ENOSYS;
#endif
}

bool LinuxPorts::inRange(std::uint16_t port) const
{
    return (port >= kFirstRange && port < kFirstRange + kFirstCount)
        || (port >= kSecondRange && port < kSecondRange + kSecondCount);
}

bool LinuxPorts::enable(std::uint16_t first, std::uint16_t last)
{
    if (!granted_ || first > last)
        return false;
    for (unsigned p = first; p <= last; ++p)
        if (!inRange(static_cast<std::uint16_t>(p)))
            return false;
    return true;
}

std::uint8_t LinuxPorts::read(std::uint16_t port)
{
    if (!granted_ || !inRange(port))
        throw PortError("Kein Portzugriff (Lesen)");
#if KVX_HAVE_IOPORTS
    return inb(port);
#else
    return 0;
#endif
}

void LinuxPorts::write(std::uint16_t port, std::uint8_t value)
{
    if (!granted_ || !inRange(port))
        throw PortError("Kein Portzugriff (Schreiben)");
#if KVX_HAVE_IOPORTS
    outb(value, port);
#else
    (void)value;
#endif
}

std::string LinuxPorts::errorText() const
{
    switch (error_) {
    case 0:
        return {};
    case EPERM:
        return "Die Portfreigabe (ioperm) wurde verweigert: dem Programm fehlt die Berechtigung "
               "CAP_SYS_RAWIO (sudo setcap cap_sys_rawio+ep kvxtest), oder der Kernel ist "
               "gesperrt (Secure Boot, Kernel-Lockdown).";
    case ENOSYS:
        return "Dieses System bietet keinen direkten Portzugriff (ioperm nicht verfügbar).";
    default:
        return std::string("Die Portfreigabe (ioperm) ist fehlgeschlagen: ") + std::strerror(error_);
    }
}
