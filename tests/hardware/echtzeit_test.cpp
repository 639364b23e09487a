// The real-time request of the threads that pulse the supply line, with the
// system calls replaced, and the machine check's verdict on recorded series
// of periods.
#include "echtzeit.h"
#include "taktpruefung.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sstream>
#include <thread>

namespace {

// What the replaced calls answer, and what they saw.
struct System {
    int jetzt = 0;
    bool faehigkeit = false;
    long grenze = 0;
    int fehler = 0;          // setzen's answer
    int gesetzt = -1;        // the priority setzen got; -1: not called
    std::thread::id thread;  // where setzen was called
};
System sys;

const echtzeit::Aufrufe Ersatz{
    [] { return sys.jetzt; },
    [] { return sys.faehigkeit; },
    [] { return sys.grenze; },
    [](int p) {
        sys.gesetzt = p;
        sys.thread = std::this_thread::get_id();
        return sys.fehler;
    },
};

void setzen(int jetzt, bool faehigkeit, long grenze, int fehler = 0)
{
    sys = System{};
    sys.jetzt = jetzt;
    sys.faehigkeit = faehigkeit;
    sys.grenze = grenze;
    sys.fehler = fehler;
}

echtzeit::Ergebnis mit(int jetzt, bool faehigkeit, long grenze, int fehler = 0)
{
    setzen(jetzt, faehigkeit, grenze, fehler);
    return echtzeit::anfordern(Ersatz);
}

}  // namespace

// Each way in its order, and where each one fails.
TEST(Echtzeit, WegUndPrioritaet)
{
    // Real time from the start (chrt): kept, not lowered to the own priority.
    echtzeit::Ergebnis e = mit(50, true, 99);
    EXPECT_EQ(e.weg, echtzeit::Weg::Geerbt);
    EXPECT_EQ(e.prioritaet, 50);
    EXPECT_EQ(sys.gesetzt, -1);

    // The capability wins over a limit too low.
    e = mit(0, true, 3);
    EXPECT_EQ(e.weg, echtzeit::Weg::Faehigkeit);
    EXPECT_EQ(e.prioritaet, echtzeit::Prioritaet);
    EXPECT_EQ(sys.gesetzt, echtzeit::Prioritaet);
    EXPECT_TRUE(e.grund.empty());

    // A limit above the priority: the priority; below it: as far as it reaches.
    e = mit(0, false, 99);
    EXPECT_EQ(e.weg, echtzeit::Weg::Grenze);
    EXPECT_EQ(sys.gesetzt, echtzeit::Prioritaet);
    e = mit(0, false, 4);
    EXPECT_EQ(e.weg, echtzeit::Weg::Grenze);
    EXPECT_EQ(e.prioritaet, 4);
    EXPECT_EQ(sys.gesetzt, 4);

    // Neither: nothing is asked of the kernel.
    e = mit(0, false, 0);
    EXPECT_FALSE(e.echtzeit());
    EXPECT_EQ(sys.gesetzt, -1);
    EXPECT_EQ(e.grund, "Das Programm hat weder die Fähigkeit CAP_SYS_NICE noch eine Echtzeitgrenze (RLIMIT_RTPRIO "
                       "ist 0).");

    // The kernel refuses (a container, a cgroup without real-time budget).
    e = mit(0, true, 0, EPERM);
    EXPECT_FALSE(e.echtzeit());
    EXPECT_EQ(e.weg, echtzeit::Weg::Keiner);
    EXPECT_EQ(e.grund, std::string("Der Kern lehnte SCHED_FIFO mit Priorität 10 ab (mit CAP_SYS_NICE): ")
                           + std::strerror(EPERM) + '.');
    e = mit(0, false, 5, EPERM);
    EXPECT_NE(e.grund.find("mit Priorität 5 ab (RLIMIT_RTPRIO 5): "), std::string::npos) << e.grund;
}

// The start's line: which way, or why not and the one command.
TEST(Echtzeit, Zeile)
{
    EXPECT_EQ(echtzeit::zeile(mit(0, true, 0), "/usr/bin/kvxtest"),
              "Echtzeit für die Netzteilleitung: ja (SCHED_FIFO, Priorität 10, über CAP_SYS_NICE).");
    EXPECT_EQ(echtzeit::zeile(mit(0, false, 7), "/usr/bin/kvxtest"),
              "Echtzeit für die Netzteilleitung: ja (SCHED_FIFO, Priorität 7, über RLIMIT_RTPRIO).");
    EXPECT_EQ(echtzeit::zeile(mit(0, false, 0), "/opt/kvx/kvxtest"),
              "Echtzeit für die Netzteilleitung: nein. Das Programm hat weder die Fähigkeit CAP_SYS_NICE noch eine "
              "Echtzeitgrenze (RLIMIT_RTPRIO ist 0). Unter Last kann die Versorgung der Karten ausfallen. Freigabe: "
              "sudo setcap cap_sys_nice,cap_sys_rawio+ep /opt/kvx/kvxtest");
}

// The probe asks on a thread of its own: the caller keeps its scheduling.
TEST(Echtzeit, ProbeAufEigenemThread)
{
    setzen(0, true, 0);
    const echtzeit::Ergebnis e = echtzeit::probieren(Ersatz);
    EXPECT_TRUE(e.echtzeit());
    EXPECT_EQ(sys.gesetzt, echtzeit::Prioritaet);
    EXPECT_NE(sys.thread, std::this_thread::get_id());
}

namespace {

using namespace std::chrono_literals;

takt::Messung reihe(std::initializer_list<std::pair<takt::Dauer, int>> stuecke, echtzeit::Ergebnis e = {})
{
    takt::Messung m;
    m.gelaufen = true;
    m.echtzeit = e;
    for (const auto& [dauer, anzahl] : stuecke)
        m.perioden.insert(m.perioden.end(), std::size_t(anzahl), dauer);
    return m;
}

// The count in the histogram's row of that name; -1: no such row.
long long anzahl(const std::string& text, const std::string& klasse)
{
    std::istringstream zeilen(text);
    for (std::string z; std::getline(zeilen, z);) {
        if (z.rfind("  " + klasse + " ", 0) == 0)
            return std::stoll(z.substr(klasse.size() + 2));
    }
    return -1;
}

}  // namespace

// A quiet machine in real time: the verdict, the histogram, the real-time line.
TEST(Taktpruefung, HaeltDenTakt)
{
    echtzeit::Ergebnis rt;
    rt.weg = echtzeit::Weg::Faehigkeit;
    rt.prioritaet = 10;
    const takt::Urteil u = takt::urteilen(reihe({{20'010us, 497}, {19'990us, 1}, {20'500us, 1}, {20'949us, 1}}, rt),
                                          "/usr/bin/kvxtest");
    EXPECT_EQ(u.status, 0);
    EXPECT_NE(u.text.find("\nDieser Rechner hält den Takt: längste Periode 20,9 ms, die Karten warten 100 ms.\n"),
              std::string::npos)
        << u.text;
    EXPECT_NE(u.text.find("Taktprüfung: 500 Perioden, Soll 20 ms\n  Periode"), std::string::npos) << u.text;
    EXPECT_NE(u.text.find("Längste Periode: 20,9 ms\n"), std::string::npos) << u.text;
    EXPECT_NE(u.text.find("Echtzeit für die Netzteilleitung: ja"), std::string::npos) << u.text;
    EXPECT_EQ(anzahl(u.text, "unter 20,5 ms"), 498);
    EXPECT_EQ(anzahl(u.text, "20,5 bis 21 ms"), 2);   // 20.5 ms itself belongs above
    EXPECT_EQ(anzahl(u.text, "100 ms und mehr"), 0);
}

// Stalls under load: where the line between holding and not lies, and the
// command that would help.
TEST(Taktpruefung, HaeltNicht)
{
    const takt::Urteil u = takt::urteilen(reihe({{20'000us, 580}, {125'000us, 1}, {131'040us, 1}, {60'000us, 3}}),
                                          "/usr/bin/kvxtest");
    EXPECT_EQ(u.status, 1);
    EXPECT_NE(u.text.find("Dieser Rechner hält den Takt nicht sicher: längste Periode 131,0 ms, die Karten warten "
                          "100 ms.\n"),
              std::string::npos)
        << u.text;
    EXPECT_EQ(anzahl(u.text, "100 ms und mehr"), 2);
    EXPECT_EQ(anzahl(u.text, "50 bis 100 ms"), 3);
    EXPECT_NE(u.text.find("Freigabe: sudo setcap cap_sys_nice,cap_sys_rawio+ep /usr/bin/kvxtest\n"), std::string::npos)
        << u.text;

    // Half the cards' wait is the line: below it holds, at it not.
    EXPECT_EQ(takt::urteilen(reihe({{20'000us, 10}, {49'999us, 1}}), "k").status, 0);
    EXPECT_EQ(takt::urteilen(reihe({{20'000us, 10}, {50'000us, 1}}), "k").status, 1);

    // Nothing measured: could not run.
    takt::Messung leer;
    EXPECT_EQ(takt::urteilen(leer, "k").status, 2);
    leer.gelaufen = true;
    const takt::Urteil nichts = takt::urteilen(leer, "k");
    EXPECT_EQ(nichts.status, 2);
    EXPECT_EQ(nichts.text, "Die Taktprüfung konnte nicht laufen: kein Thread für die Messung.\n");
}

// Tenths of a millisecond with a decimal comma, rounded.
TEST(Taktpruefung, Millisekunden)
{
    EXPECT_EQ(takt::millisekunden(20'949us), "20,9 ms");
    EXPECT_EQ(takt::millisekunden(20'950us), "21,0 ms");
    EXPECT_EQ(takt::millisekunden(999us), "1,0 ms");
    EXPECT_EQ(takt::millisekunden(131'040us), "131,0 ms");
}
