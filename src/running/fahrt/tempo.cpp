#include "tempo.h"

#include "kvxhard.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace fahrt {

std::array<std::uint8_t, Slots> tempoSlots(int position)
{
    const int s = std::clamp(position, 0, TempoMax);
    const auto stufe = static_cast<std::uint8_t>(s / Slots);
    const int hoeher = s % Slots;
    std::array<std::uint8_t, Slots> slots{};
    for (int i = 0; i < Slots; ++i)
        slots[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i < hoeher ? stufe + 1 : stufe);
    return slots;
}

void tempoSenden(TkvxHard& kvx, int block, bool vorwaerts, int position)
{
    const auto b = static_cast<std::uint8_t>(std::clamp(block, 0, 255));
    const std::uint8_t richtung = vorwaerts ? 1 : 0;
    if (position <= 0) {
        kvx.BlockSetzen(b, 0, richtung, 0);
        return;
    }
    for (std::uint8_t stufe : tempoSlots(position))
        kvx.BlockSetzen(b, stufe > 0 ? 1 : 0, richtung, stufe);
}

void sntPuls(TkvxHard& kvx)
{
    kvx.SntEin();
    schlafen(std::chrono::milliseconds(2));
    kvx.SntAus();
}

void laufBeginnen(TkvxHard& kvx)
{
    kvx.KettenReset();
    kvx.SntEin();
    schlafen(kvx::SntStartPuls);
    kvx.SntAus();
    kvx.LedKettenLoeschen();
}

namespace {

std::atomic<SchlafFunktion> ersatz{nullptr};

}  // namespace

SchlafFunktion setSchlafFunktion(SchlafFunktion f)
{
    return ersatz.exchange(f);
}

void schlafen(std::chrono::milliseconds dauer)
{
    if (const SchlafFunktion f = ersatz.load()) {
        f(dauer);
        return;
    }
    // The kernel wakes a sleeping thread some tens of microseconds late, which
    // at 2 ms a cycle costs the dither several percent of its rate: the last
    // stretch is waited awake, as the window's pause does.
    constexpr std::chrono::microseconds Wach{80};
    using Uhr = std::chrono::steady_clock;
    const Uhr::time_point ende = Uhr::now() + dauer;
    std::this_thread::sleep_until(ende - Wach);
    while (Uhr::now() < ende) {
    }
}

namespace {

long long sekundeVon(ZyklusZaehler::Uhr::time_point t)
{
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

}  // namespace

ZyklusZaehler::ZyklusZaehler(Uhr::time_point jetzt)
    : sekunde_(sekundeVon(jetzt))
{
}

std::optional<int> ZyklusZaehler::zyklus(Uhr::time_point jetzt)
{
    ++zaehler_;
    const long long s = sekundeVon(jetzt);
    if (s == sekunde_)
        return std::nullopt;
    // The document's rule is "the second after the noted one"; a jump (a
    // stalled cycle, a clock change) also starts a new count, so the figure
    // never freezes.
    const int n = zaehler_;
    sekunde_ = s;
    zaehler_ = 0;
    return n;
}

}  // namespace fahrt
