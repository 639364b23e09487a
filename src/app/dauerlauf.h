// The endurance run: the program drives itself on the virtual layout for a
// given time, as a user testing for an afternoon would, so that soak.sh can
// watch its memory and its layout log.
//
// It alternates phase by phase: the sample layout ("Beispielanlage") with the
// train going round the route at a middle speed; then the occupancy page
// with the power supply on and a walking occupancy. Between phases the run
// is stopped, the supply switched off and the inputs cleared. When the time
// is up the window is closed as a user would close it, and the program ends
// with status 0.
#pragma once

#include <QObject>

#include <chrono>

class QTimer;
class TfMain;

class Dauerlauf : public QObject {
    Q_OBJECT
public:
    Dauerlauf(TfMain& fenster, std::chrono::minutes dauer,
              std::chrono::milliseconds phase = std::chrono::minutes(1), QObject* parent = nullptr);

    void starten();

    // Phases begun so far (1: the first route phase).
    int phasen() const { return phasen_; }

signals:
    void beendet();   // the window is closed

private:
    void takt();
    void phaseBeenden();
    void streckeBeginnen();
    void melderBeginnen();
    bool zugFaehrt() const;

    TfMain& fenster_;
    std::chrono::milliseconds dauer_;
    std::chrono::milliseconds phase_;
    QTimer* takt_;
    std::chrono::steady_clock::time_point beginn_;
    std::chrono::steady_clock::time_point phaseBeginn_;
    int phasen_ = 0;
    bool wechselt_ = false;   // the last phase is being ended
};
