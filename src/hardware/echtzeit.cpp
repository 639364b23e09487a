#include "echtzeit.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <thread>

#ifdef __linux__
#include <linux/capability.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#ifndef SCHED_RESET_ON_FORK
#define SCHED_RESET_ON_FORK 0x40000000
#endif

namespace echtzeit {

namespace {

#ifdef __linux__
int sysJetzt()
{
    int politik = 0;
    sched_param p{};
    if (pthread_getschedparam(pthread_self(), &politik, &p) != 0)
        return 0;
    politik &= ~SCHED_RESET_ON_FORK;
    return (politik == SCHED_FIFO || politik == SCHED_RR) ? p.sched_priority : 0;
}

bool sysFaehigkeit()
{
    __user_cap_header_struct kopf{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct daten[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &kopf, daten) != 0)
        return false;
    return (daten[CAP_TO_INDEX(CAP_SYS_NICE)].effective & CAP_TO_MASK(CAP_SYS_NICE)) != 0;
}

long sysGrenze()
{
    rlimit r{};
    if (getrlimit(RLIMIT_RTPRIO, &r) != 0)
        return 0;
    return r.rlim_cur == RLIM_INFINITY ? 99 : long(r.rlim_cur);
}

int sysSetzen(int prioritaet)
{
    sched_param p{};
    p.sched_priority = prioritaet;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &p);
}
#else
int sysJetzt() { return 0; }
bool sysFaehigkeit() { return false; }
long sysGrenze() { return 0; }
int sysSetzen(int) { return ENOSYS; }
#endif

const Aufrufe System{sysJetzt, sysFaehigkeit, sysGrenze, sysSetzen};

}  // namespace

const Aufrufe& systemAufrufe()
{
    return System;
}

Ergebnis anfordern(const Aufrufe& a)
{
    Ergebnis e;
    if (const int jetzt = a.jetzt(); jetzt > 0) {
        e.weg = Weg::Geerbt;
        e.prioritaet = jetzt;
        return e;
    }
    const bool faehigkeit = a.faehigkeit();
    const long grenze = a.grenze();
    if (!faehigkeit && grenze < 1) {
        e.grund = "Das Programm hat weder die Fähigkeit CAP_SYS_NICE noch eine Echtzeitgrenze (RLIMIT_RTPRIO ist 0).";
        return e;
    }
    const int prioritaet = (faehigkeit || grenze >= Prioritaet) ? Prioritaet : int(grenze);
    if (const int fehler = a.setzen(prioritaet); fehler != 0) {
        e.grund = std::string("Der Kern lehnte SCHED_FIFO mit Priorität ") + std::to_string(prioritaet) + " ab ("
                  + (faehigkeit ? "mit CAP_SYS_NICE" : "RLIMIT_RTPRIO " + std::to_string(grenze)) + "): "
                  + std::strerror(fehler) + '.';
        return e;
    }
    e.weg = faehigkeit ? Weg::Faehigkeit : Weg::Grenze;
    e.prioritaet = prioritaet;
    return e;
}

Ergebnis probieren(const Aufrufe& a)
{
    Ergebnis e;
    try {
        std::thread probe([&] { e = anfordern(a); });
        probe.join();
    } catch (const std::system_error& fehler) {
        e.grund = std::string("Kein Thread für die Probe: ") + fehler.what() + '.';
    }
    return e;
}

std::string befehl(const std::string& programm)
{
    // Port access and real time together: setcap replaces what the file had.
    return "sudo setcap cap_sys_nice,cap_sys_rawio+ep " + programm;
}

std::string zeile(const Ergebnis& e, const std::string& programm)
{
    const std::string ja = "Echtzeit für die Netzteilleitung: ja (";
    const std::string prio = std::to_string(e.prioritaet);
    switch (e.weg) {
    case Weg::Geerbt:
        return ja + "Priorität " + prio + ", schon beim Start des Programms gesetzt).";
    case Weg::Faehigkeit:
        return ja + "SCHED_FIFO, Priorität " + prio + ", über CAP_SYS_NICE).";
    case Weg::Grenze:
        return ja + "SCHED_FIFO, Priorität " + prio + ", über RLIMIT_RTPRIO).";
    case Weg::Keiner:
        break;
    }
    return "Echtzeit für die Netzteilleitung: nein. " + e.grund
           + " Unter Last kann die Versorgung der Karten ausfallen. Freigabe: " + befehl(programm);
}

}  // namespace echtzeit
