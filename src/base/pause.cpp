#include "pause.h"

#include <QEventLoop>
#include <QTimer>

void Pause(int ms)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms < 0 ? 0 : ms);
    loop.exec();
}
