#include "pause.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

PauseFunktion ersatz = nullptr;

using Uhr = std::chrono::steady_clock;

// The event loop wakes for its timers on whole milliseconds, up to one late.
constexpr std::chrono::milliseconds Aufloesung{1};
// The kernel wakes a sleeping thread some tens of microseconds late: the last
// stretch is waited awake.
constexpr std::chrono::microseconds Wach{80};

}  // namespace

PauseFunktion setPauseFunktion(PauseFunktion f)
{
    PauseFunktion alt = ersatz;
    ersatz = f;
    return alt;
}

void Pause(int ms)
{
    Pause(ms, QEventLoop::AllEvents);
}

void Pause(int ms, QEventLoop::ProcessEventsFlags flags)
{
    if (ersatz) {
        ersatz(ms);
        return;
    }
    const std::chrono::milliseconds dauer{std::max(ms, 0)};
    const Uhr::time_point ende = Uhr::now() + dauer;
    // Messages flow for all but the last millisecond, which the event loop's
    // timer could overshoot; that one is slept.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(std::max(dauer - Aufloesung, std::chrono::milliseconds(0)));
    loop.exec(flags);
    std::this_thread::sleep_until(ende - Wach);
    while (Uhr::now() < ende) {
    }
}
