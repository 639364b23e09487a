// One coil pulse at a time for the turnout and the signal chain.
//
// Both coil chains share the coil-pulse enable line, so the turnout and the
// signal page share one SpulenImpuls: a new pulse first ends the running one,
// and never are two coils powered together. A pulse ends itself after its
// switching time on a single-shot timer; whoever starts it returns at once,
// so the keep-alive tick goes on toggling the line throughout the pulse.
// Every end is told (beendet), with whether the pulse had its whole time.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class SpulenImpuls : public QObject {
    Q_OBJECT
public:
    explicit SpulenImpuls(QObject* parent = nullptr);

    // Ends a running pulse (its end step runs), then runs ein and arms the
    // timer; aus runs after ms milliseconds or when the pulse is ended sooner.
    void starten(int ms, std::function<void()> ein, std::function<void()> aus);

    // Runs the end step of the running pulse now; nothing when none runs.
    void beenden();

    bool laeuft() const { return timer_.isActive(); }

Q_SIGNALS:
    // After the end step; voll: the pulse ran its whole switching time, not
    // ended sooner by beenden or by the next pulse.
    void beendet(bool voll);

    // A pulse still running when the object goes is not ended here: its owner
    // ends it while the card can still be reached (the window when it closes).

private:
    void ende(bool voll);

    QTimer timer_;
    std::function<void()> aus_;
};
