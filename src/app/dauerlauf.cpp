#include "dauerlauf.h"

#include "anlagenbetrieb.h"
#include "fahrenpage.h"
#include "mainwindow.h"
#include "streckepage.h"
#include "tfanlage.h"

#include <QAction>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

namespace {

using Uhr = std::chrono::steady_clock;

constexpr int TaktMs = 200;
constexpr int StreckenTempo = 60;

// On standard output, in the layout log's time: where a phase begins, so that
// a watcher can tell the supply's planned pauses from a stalled line.
void phaseMelden(const AnlagenBetrieb& anlage, int nr, const char* was)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Uhr::now() - anlage.beginn()).count();
    std::printf("%lld\tPhase\t%d\t%s\n", static_cast<long long>(ms), nr, was);
    std::fflush(stdout);
}

}  // namespace

Dauerlauf::Dauerlauf(TfMain& fenster, std::chrono::minutes dauer, std::chrono::milliseconds phase, QObject* parent)
    : QObject(parent), fenster_(fenster), dauer_(dauer), phase_(phase), takt_(new QTimer(this))
{
    takt_->setInterval(TaktMs);
    connect(takt_, &QTimer::timeout, this, &Dauerlauf::takt);
}

void Dauerlauf::starten()
{
    beginn_ = Uhr::now();
    fenster_.anlage->fensterZeigen();
    streckeBeginnen();
    takt_->start();
}

bool Dauerlauf::zugFaehrt() const
{
    return fenster_.pStrecke->zugFaehrt() || fenster_.pFahren->zugFaehrt();
}

// Every 200 ms: end the phase when its time is up, begin the next one once
// the run has ended, close the window when the whole time is up.
void Dauerlauf::takt()
{
    const Uhr::time_point jetzt = Uhr::now();
    if (!wechselt_) {
        if (jetzt - phaseBeginn_ < phase_)
            return;
        wechselt_ = true;
        phaseBeenden();
        return;
    }
    if (zugFaehrt())
        return;   // the route thread ends at the end of its cycle
    wechselt_ = false;
    if (jetzt - beginn_ >= dauer_) {
        takt_->stop();
        phaseMelden(*fenster_.anlage, phasen_, "Schluss");
        fenster_.close();
        emit beendet();
        return;
    }
    if (phasen_ % 2 == 1)
        melderBeginnen();
    else
        streckeBeginnen();
}

void Dauerlauf::phaseBeenden()
{
    phaseMelden(*fenster_.anlage, phasen_, "Ende");
    StreckePage& p = *fenster_.pStrecke;
    if (p.stGO->isChecked())
        p.stGO->click();   // Start released: the run ends with its cycle
    if (TfAnlage* a = fenster_.anlage->fenster()) {
        if (a->btnWandern->isChecked())
            a->btnWandern->click();
        a->btnFrei->click();
    }
    if (fenster_.mnuSNTaus->isEnabled())
        fenster_.mnuSNTaus->trigger();
}

void Dauerlauf::streckeBeginnen()
{
    ++phasen_;
    phaseBeginn_ = Uhr::now();
    phaseMelden(*fenster_.anlage, phasen_, "Strecke");
    fenster_.anlage->beispielAnlage();   // counts, route page, the train in row 1
    StreckePage& p = *fenster_.pStrecke;
    p.stTrack->setValue(StreckenTempo);
    if (!p.stGO->isChecked())
        p.stGO->click();
}

void Dauerlauf::melderBeginnen()
{
    ++phasen_;
    phaseBeginn_ = Uhr::now();
    phaseMelden(*fenster_.anlage, phasen_, "Melder");
    fenster_.pControl->setCurrentIndex(TfMain::SMelder);
    fenster_.mnuSNTein->trigger();
    if (TfAnlage* a = fenster_.anlage->fenster(); a && !a->btnWandern->isChecked())
        a->btnWandern->click();
}
