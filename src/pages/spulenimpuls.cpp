#include "spulenimpuls.h"

#include <utility>

SpulenImpuls::SpulenImpuls(QObject* parent)
    : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { ende(true); });
}

void SpulenImpuls::starten(int ms, std::function<void()> ein, std::function<void()> aus)
{
    beenden();
    aus_ = std::move(aus);
    if (ein)
        ein();
    timer_.start(ms);
}

void SpulenImpuls::beenden()
{
    ende(false);
}

void SpulenImpuls::ende(bool voll)
{
    timer_.stop();
    // Taken out first: an end step that starts a pulse of its own keeps it.
    if (std::function<void()> aus = std::exchange(aus_, nullptr)) {
        aus();
        Q_EMIT beendet(voll);
    }
}
