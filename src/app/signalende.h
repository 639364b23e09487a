// An orderly end on SIGINT, SIGTERM and SIGHUP (Ctrl+C in the terminal, a
// kill, a logout): the program ends as if its window had been closed, so no
// coil stays powered and no block keeps its train moving.
//
// The signal handler only writes the signal's number into a pipe; a
// QSocketNotifier reads it on the UI thread and calls beenden there, once.
// A second signal while the program ends is ignored. auffangen() installs
// the handlers before there is an application, so that no signal from the
// first moment on ends the program the default way: it waits in the pipe
// until a SignalEnde reads it. While a SignalEnde lives the handlers are
// installed; the destructor puts the default ones back.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

class SignalEnde : public QObject {
    Q_OBJECT
public:
    explicit SignalEnde(QObject* parent = nullptr);
    ~SignalEnde() override;

    // The handlers and their pipe, now (also done by the constructor);
    // false when the pipe cannot be made, and the signals keep their default.
    static bool auffangen();

    // Called on the UI thread for the first signal, with its number.
    std::function<void(int)> beenden;

    // A signal has arrived and beenden has been called.
    bool endet() const { return endet_; }

private:
    void gemeldet();

    QSocketNotifier* leser_ = nullptr;
    bool endet_ = false;
};
