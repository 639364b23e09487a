#include "pause.h"

#include <QTimer>

namespace {

PauseFunktion ersatz = nullptr;

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
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms < 0 ? 0 : ms);
    loop.exec(flags);
}
