#include "richtungswechsel.h"

#include "panels.h"
#include "pause.h"
#include "pfeil.h"

#include <QSlider>

#include <utility>

namespace {

constexpr int HalteMs = 1000;

}  // namespace

Richtungswechsel::Richtungswechsel(QSlider* regler, Pfeil* vorwaerts, Pfeil* rueckwaerts,
                                   std::function<void(bool)> setzen, QObject* parent)
    : QObject(parent), regler_(regler), vw_(vorwaerts), rw_(rueckwaerts), setzen_(std::move(setzen))
{
    connect(regler_, &QSlider::valueChanged, this, [this](int wert) {
        if (laeuft_ && !eigen_)
            tempo_ = wert;
    });
}

void Richtungswechsel::regler(int wert)
{
    eigen_ = true;
    regler_->setValue(wert);
    eigen_ = false;
}

void Richtungswechsel::waehlen(bool vorwaerts)
{
    ziel_ = vorwaerts;
    if (laeuft_)
        return;   // the change under way takes it
    laeuft_ = true;
    tempo_ = regler_->value();
    regler(0);
    Pause(HalteMs);
    for (;;) {
        const bool richtung = ziel_;
        vw_->setFarbe(richtung ? panels::Red : panels::Silver);
        rw_->setFarbe(richtung ? panels::Silver : panels::Red);
        setzen_(richtung);
        Pause(HalteMs);
        if (ziel_ == richtung)
            break;
        // Clicked the other way meanwhile: stop once more before turning.
        regler(0);
        Pause(HalteMs);
    }
    regler(tempo_);
    laeuft_ = false;
}
