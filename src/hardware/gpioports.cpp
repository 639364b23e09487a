#include "gpioports.h"

namespace {

constexpr std::uint16_t kErster = 0x300, kLetzter = 0x307;
constexpr std::uint16_t kAusgangsPorts[3] = {0x300, 0x301, 0x306};

}  // namespace

GpioPorts::GpioPorts(const gpio::Plan& plan, std::unique_ptr<GpioLeitungen> leitungen)
    : plan_(plan), leitungen_(std::move(leitungen))
{
    for (std::size_t p = 0; p < ausgaenge_.size(); ++p)
        ausgaenge_[p].port = kAusgangsPorts[p];
    for (int i = 0; i < gpio::LinienAnzahl; ++i) {
        const gpio::Linie& l = gpio::Linien[static_cast<std::size_t>(i)];
        const unsigned leitung = plan_.leitung[static_cast<std::size_t>(i)];
        if (l.eingang) {
            eingang_.bit[eingang_.leitungen.size()] = l.bit;
            eingang_.leitungen.push_back(leitung);
            eingang_.linien.push_back(i);
            continue;
        }
        for (Ausgang& a : ausgaenge_) {
            if (a.port != l.port)
                continue;
            for (int b = 0; b < 8; ++b)
                if (l.bit == 1u << b)
                    a.index[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(a.leitungen.size());
            a.maske = static_cast<std::uint8_t>(a.maske | l.bit);
            a.leitungen.push_back(leitung);
            a.linien.push_back(i);
        }
    }

    fehler_ = leitungen_->oeffnen(plan_.chip);
    if (!fehler_.empty())
        return;
    for (int i = 0; i < gpio::LinienAnzahl; ++i) {
        const std::string grund = leitungen_->pruefen(plan_.leitung[static_cast<std::size_t>(i)]);
        if (!grund.empty()) {
            fehler_ = leitungsText(i) + " " + grund + ".";
            return;
        }
    }
    bereit_ = true;
}

GpioPorts::GpioPorts(std::string fehler)
    : fehler_(std::move(fehler))
{
    plan_.chip.clear();   // the map named none that could be tried
}

bool GpioPorts::bereit() const
{
    std::lock_guard g(mutex_);
    return bereit_;
}

std::string GpioPorts::simulationsText() const
{
    if (plan_.chip.empty())
        return "Kein Zugriff auf die GPIO-Leitungen, Programm läuft als Simulation!";
    return "Kein Zugriff auf den GPIO-Baustein " + plan_.chip + ", Programm läuft als Simulation!";
}

std::string GpioPorts::fehlerText() const
{
    std::lock_guard g(mutex_);
    return bereit_ ? std::string() : fehler_;
}

std::string GpioPorts::leitungsText(int linie) const
{
    return "Die GPIO-Leitung " + std::to_string(plan_.leitung[static_cast<std::size_t>(linie)]) + " ("
           + gpio::Linien[static_cast<std::size_t>(linie)].name + ") auf " + plan_.chip;
}

bool GpioPorts::enable(std::uint16_t first, std::uint16_t last)
{
    std::lock_guard g(mutex_);
    return bereit_ && first <= last && first >= kErster && last <= kLetzter;
}

void GpioPorts::write(std::uint16_t port, std::uint8_t value)
{
    std::lock_guard g(mutex_);
    if (!bereit_ || port < kErster || port > kLetzter)
        throw PortError("Kein Portzugriff auf " + portName(port));
    switch (port) {
    case 0x300:
        ausgeben(ausgaenge_[0], value);
        break;
    case 0x301:
        ausgeben(ausgaenge_[1], value);
        break;
    case 0x306:
        ausgeben(ausgaenge_[2], value);
        break;
    case 0x303:
    case 0x307:
        if (value & 0x80) {
            modeWord(port == 0x303 ? 0 : 1);
        } else if (port == 0x307) {
            // Bit set/reset of port C: a single line of 0x306.
            Ausgang& c = ausgaenge_[2];
            const auto bit = static_cast<std::uint8_t>(1u << ((value >> 1) & 0x07));
            ausgeben(c, static_cast<std::uint8_t>(value & 0x01 ? c.latch | bit : c.latch & ~bit));
        }
        break;
    default:
        break;   // the input port, and the ports nothing is wired to
    }
}

std::uint8_t GpioPorts::read(std::uint16_t port)
{
    std::lock_guard g(mutex_);
    if (!bereit_ || port < kErster || port > kLetzter)
        throw PortError("Kein Portzugriff auf " + portName(port));
    switch (port) {
    case 0x300:
        return ausgaenge_[0].latch;
    case 0x301:
        return ausgaenge_[1].latch;
    case 0x306:
        return ausgaenge_[2].latch;
    case 0x302:
        return eingaenge();
    default:
        return 0;
    }
}

// The mode word: the chip's lines requested at the first one, every output
// low after each. Throws PortError when a group cannot be requested; from
// then on there is no access at all.
void GpioPorts::modeWord(int chip)
{
    bool gut = true;
    if (chip == 0) {
        gut = anfordern(ausgaenge_[0].leitungen, ausgaenge_[0].linien, true, ausgaenge_[0].gruppe)
            && anfordern(ausgaenge_[1].leitungen, ausgaenge_[1].linien, true, ausgaenge_[1].gruppe)
            && anfordern(eingang_.leitungen, eingang_.linien, false, eingang_.gruppe);
    } else {
        gut = anfordern(ausgaenge_[2].leitungen, ausgaenge_[2].linien, true, ausgaenge_[2].gruppe);
    }
    if (!gut) {
        bereit_ = false;
        throw PortError(fehler_);
    }
    if (chip == 0) {
        ausgeben(ausgaenge_[0], 0);
        ausgeben(ausgaenge_[1], 0);
    } else {
        ausgeben(ausgaenge_[2], 0);
    }
}

bool GpioPorts::anfordern(const std::vector<unsigned>& leitungen, const std::vector<int>& linien, bool ausgang,
                          int& gruppe)
{
    if (gruppe >= 0)
        return true;
    std::string grund;
    gruppe = leitungen_->anfordern(leitungen, ausgang, grund);
    if (gruppe >= 0)
        return true;
    // Name the line that is taken, when one is.
    for (int linie : linien) {
        const std::string belegt = leitungen_->pruefen(plan_.leitung[static_cast<std::size_t>(linie)]);
        if (!belegt.empty()) {
            fehler_ = leitungsText(linie) + " " + belegt + ".";
            return false;
        }
    }
    std::string liste;
    for (unsigned l : leitungen)
        liste += (liste.empty() ? "" : ", ") + std::to_string(l);
    fehler_ = "Die GPIO-Leitungen " + liste + " auf " + plan_.chip + " " + grund + ".";
    return false;
}

void GpioPorts::ausgeben(Ausgang& a, std::uint8_t value)
{
    if (a.gruppe < 0)
        return;   // before the mode word: the 8255's port is still an input
    const auto aenderung = static_cast<std::uint8_t>((a.latch ^ value) & a.maske);
    a.latch = value;
    if (aenderung == 0)
        return;
    GpioLeitungen::Stellung stellungen[8];
    std::size_t n = 0;
    for (unsigned b = 0; b < 8; ++b)
        if (aenderung & (1u << b))
            stellungen[n++] = {a.index[b], (value & (1u << b)) != 0};
    leitungen_->setzen(a.gruppe, stellungen, n);
}

std::uint8_t GpioPorts::eingaenge()
{
    std::uint32_t pegel = 0;
    if (eingang_.gruppe < 0 || !leitungen_->lesen(eingang_.gruppe, pegel))
        return 0;
    std::uint8_t value = 0;
    for (std::size_t i = 0; i < eingang_.bit.size(); ++i)
        if (pegel & (1u << i))
            value = static_cast<std::uint8_t>(value | eingang_.bit[i]);
    return value;
}
