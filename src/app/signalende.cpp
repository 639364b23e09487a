#include "signalende.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> Signale = {SIGINT, SIGTERM, SIGHUP};

// The pipe from the handler to the UI thread; -1 while the signals are not caught.
int schreibEnde = -1;
int leseEnde = -1;

extern "C" void signalGekommen(int nr)
{
    // Only what is async-signal-safe: one byte into a non-blocking pipe. A
    // full pipe already holds a signal, which is enough.
    const int gesichert = errno;
    const auto byte = static_cast<unsigned char>(nr);
    if (schreibEnde >= 0 && ::write(schreibEnde, &byte, 1) < 0) {
    }
    errno = gesichert;
}

}  // namespace

bool SignalEnde::auffangen()
{
    if (leseEnde >= 0)
        return true;
    int ende[2];
    if (::pipe2(ende, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    leseEnde = ende[0];
    schreibEnde = ende[1];
    struct sigaction a = {};
    a.sa_handler = signalGekommen;
    sigemptyset(&a.sa_mask);
    a.sa_flags = SA_RESTART;
    for (const int s : Signale)
        sigaction(s, &a, nullptr);
    return true;
}

SignalEnde::SignalEnde(QObject* parent) : QObject(parent)
{
    if (!auffangen())
        return;   // no orderly end then; the signals keep their default
    // A signal that came before is in the pipe already and is read at once.
    leser_ = new QSocketNotifier(leseEnde, QSocketNotifier::Read, this);
    connect(leser_, &QSocketNotifier::activated, this, &SignalEnde::gemeldet);
}

SignalEnde::~SignalEnde()
{
    if (!leser_)
        return;
    for (const int s : Signale)
        std::signal(s, SIG_DFL);
    delete leser_;
    ::close(leseEnde);
    ::close(schreibEnde);
    leseEnde = -1;
    schreibEnde = -1;
}

void SignalEnde::gemeldet()
{
    unsigned char nr = 0;
    unsigned char rest[64];
    if (::read(int(leser_->socket()), &nr, 1) != 1)
        return;
    while (::read(int(leser_->socket()), rest, sizeof rest) > 0) {
    }
    if (endet_)
        return;   // already ending: a second signal changes nothing
    endet_ = true;
    if (beenden)
        beenden(nr);
}
