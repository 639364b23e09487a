#include "taktpruefung.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <system_error>
#include <thread>

namespace takt {

namespace {

struct Klasse {
    long long bisUs;   // upper bound, exclusive
    const char* name;
};

// Finer near the period, coarser towards the cards' limit.
constexpr Klasse Klassen[] = {
    {20'500, "unter 20,5 ms"},  {21'000, "20,5 bis 21 ms"}, {22'000, "21 bis 22 ms"},
    {25'000, "22 bis 25 ms"},   {30'000, "25 bis 30 ms"},   {50'000, "30 bis 50 ms"},
    {100'000, "50 bis 100 ms"}, {-1, "100 ms und mehr"},
};

std::string zeileVon(const std::string& links, const std::string& rechts)
{
    char puffer[96];
    std::snprintf(puffer, sizeof puffer, "  %-18s %8s\n", links.c_str(), rechts.c_str());
    return puffer;
}

}  // namespace

std::string millisekunden(Dauer d)
{
    const long long zehntel = (d.count() + 50) / 100;
    return std::to_string(zehntel / 10) + ',' + std::to_string(zehntel % 10) + " ms";
}

Messung messen(std::chrono::seconds dauer, const echtzeit::Aufrufe& a)
{
    using Uhr = std::chrono::steady_clock;
    Messung m;
    // Room for every period beforehand: nothing is allocated while measuring.
    m.perioden.reserve(std::size_t(dauer / Periode) + 1);
    try {
        std::thread messer([&] {
            m.echtzeit = echtzeit::anfordern(a);
            const Uhr::time_point anfang = Uhr::now();
            Uhr::time_point frist = anfang;
            Uhr::time_point letzte = anfang;
            while (m.perioden.size() < m.perioden.capacity()) {
                frist += Periode;
                std::this_thread::sleep_until(frist);
                const Uhr::time_point jetzt = Uhr::now();
                m.perioden.push_back(std::chrono::duration_cast<Dauer>(jetzt - letzte));
                letzte = jetzt;
                if (jetzt - anfang >= dauer)
                    break;
                // Deadlines missed while waiting are skipped, as a timer does.
                while (frist + Periode <= jetzt)
                    frist += Periode;
            }
        });
        messer.join();
        m.gelaufen = true;
    } catch (const std::system_error&) {
        m.gelaufen = false;
    }
    return m;
}

Urteil urteilen(const Messung& m, const std::string& programm)
{
    Urteil u;
    if (!m.gelaufen || m.perioden.empty()) {
        u.text = "Die Taktprüfung konnte nicht laufen: kein Thread für die Messung.\n";
        u.status = 2;
        return u;
    }
    long long anzahl[std::size(Klassen)] = {};
    for (const Dauer d : m.perioden) {
        std::size_t k = 0;
        while (Klassen[k].bisUs >= 0 && d.count() >= Klassen[k].bisUs)
            ++k;
        ++anzahl[k];
    }
    const Dauer laengste = *std::max_element(m.perioden.begin(), m.perioden.end());
    u.text = "Taktprüfung: " + std::to_string(m.perioden.size()) + " Perioden, Soll "
             + std::to_string(Periode.count()) + " ms\n";
    u.text += zeileVon("Periode", "Anzahl");
    for (std::size_t k = 0; k < std::size(Klassen); ++k)
        u.text += zeileVon(Klassen[k].name, std::to_string(anzahl[k]));
    u.text += "Längste Periode: " + millisekunden(laengste) + '\n';
    u.text += echtzeit::zeile(m.echtzeit, programm) + '\n';
    const bool haelt = laengste < Grenze;
    u.text += std::string("Dieser Rechner hält den Takt") + (haelt ? "" : " nicht sicher") + ": längste Periode "
              + millisekunden(laengste) + ", die Karten warten " + std::to_string(KartenWarten.count()) + " ms.\n";
    u.status = haelt ? 0 : 1;
    return u;
}

}  // namespace takt
