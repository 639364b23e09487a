// The GPIO line map of the settings file, and what keeps the GPIO backend
// from the lines: a bad map, a missing chip, a line someone else holds. Each
// ends in the simulation message, with a reason that names the line.
#include "gpio_virtuell.h"
#include "gpiokarte.h"
#include "gpioports.h"
#include "kvxhard.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Abschnitt = std::map<std::string, std::string>;

Abschnitt vorgabeAbschnitt()
{
    Abschnitt a;
    gpio::planSchreiben(gpio::vorgabe(), [&](const std::string& k, const std::string& v) { a[k] = v; });
    return a;
}

gpio::PlanLesung lesen(const Abschnitt& a)
{
    return gpio::planLesen([&](const std::string& k) -> std::optional<std::string> {
        const auto it = a.find(k);
        return it == a.end() ? std::nullopt : std::optional<std::string>(it->second);
    });
}

TEST(GpioKarte, OhneAbschnittGiltDieVorgabeUndKommtGeschriebenGleichZurueck)
{
    const gpio::PlanLesung leer = lesen({});
    EXPECT_TRUE(leer.vorgabe);
    EXPECT_TRUE(leer.fehler.empty());
    const std::set<unsigned> leitungen(leer.plan.leitung.begin(), leer.plan.leitung.end());
    EXPECT_EQ(leitungen.size(), 26u);   // GPIO 2..27 of the Raspberry Pi, each once
    EXPECT_EQ(*leitungen.begin(), 2u);
    EXPECT_EQ(*leitungen.rbegin(), 27u);

    // No chip named: the program looks for the Raspberry Pi's header.
    const Abschnitt geschrieben = vorgabeAbschnitt();
    EXPECT_EQ(geschrieben.count("Chip"), 0u);
    const gpio::PlanLesung wieder = lesen(geschrieben);
    EXPECT_FALSE(wieder.vorgabe);
    EXPECT_EQ(wieder.fehler, "");
    EXPECT_EQ(wieder.plan, leer.plan);
    EXPECT_EQ(wieder.plan.chip, "");

    Abschnitt mitChip = geschrieben;
    mitChip["Chip"] = "pinctrl-bcm2711";
    EXPECT_EQ(lesen(mitChip).plan.chip, "pinctrl-bcm2711");
}

struct Abweisung {
    const char* name;
    std::function<std::unique_ptr<PortBackend>()> backend;
    std::vector<std::string> grund;   // what the reason must say
    // The message's first line: the chip, when the map named one that was tried.
    std::string kopf = "Kein Zugriff auf die GPIO-Leitungen, Programm läuft als Simulation!";
};

const std::string MitChip0 = "Kein Zugriff auf den GPIO-Baustein gpiochip0, Programm läuft als Simulation!";

std::unique_ptr<PortBackend> ausAbschnitt(const std::function<void(Abschnitt&)>& aendern)
{
    Abschnitt a = vorgabeAbschnitt();
    aendern(a);
    const gpio::PlanLesung l = lesen(a);
    if (!l.fehler.empty())
        return std::make_unique<GpioPorts>(l.fehler);
    return std::make_unique<GpioPorts>(l.plan, std::make_unique<GpioVirtuell>(l.plan));
}

std::unique_ptr<PortBackend> mitLeitungen(const std::function<void(GpioVirtuell&)>& vorher,
                                          const std::function<void(GpioVirtuell&)>& nachher = {})
{
    auto leitungen = std::make_unique<GpioVirtuell>(gpio::vorgabe());
    GpioVirtuell& l = *leitungen;
    vorher(l);
    auto ports = std::make_unique<GpioPorts>(gpio::vorgabe(), std::move(leitungen));
    if (nachher)
        nachher(l);
    return ports;
}

class GpioAbweisung : public ::testing::TestWithParam<Abweisung> {};

TEST_P(GpioAbweisung, SimulationMitGrund)
{
    const Abweisung& f = GetParam();
    std::unique_ptr<PortBackend> backend = f.backend();
    PortBackend* vorher = setPortBackend(backend.get());
    std::vector<std::string> meldungen;
    {
        TkvxHard kvx;
        kvx.Meldung = [&](const std::string& t) { meldungen.push_back(t); };
        kvx.PortInit();
        EXPECT_TRUE(kvx.Simulation);
        kvx.KettenReset();   // touches no port
    }
    setPortBackend(vorher);
    ASSERT_EQ(meldungen.size(), 1u);
    EXPECT_EQ(meldungen[0], f.kopf);
    const std::string grund = static_cast<GpioPorts&>(*backend).fehlerText();
    for (const std::string& teil : f.grund)
        EXPECT_NE(grund.find(teil), std::string::npos) << grund;
    EXPECT_FALSE(backend->enable(0x300, 0x300));
    EXPECT_THROW(backend->write(0x300, 0x01), PortError);
}

INSTANTIATE_TEST_SUITE_P(Faelle, GpioAbweisung, ::testing::Values(
    Abweisung{"doppelt", [] { return ausAbschnitt([](Abschnitt& a) { a["Block.Takt"] = "17"; }); },
              {"Block.Takt und Led1.Latch liegen beide auf GPIO 17"}},
    Abweisung{"fehlt", [] { return ausAbschnitt([](Abschnitt& a) { a.erase("Melder.Eingang"); }); },
              {"Melder.Eingang fehlt"}},
    Abweisung{"leer", [] { return ausAbschnitt([](Abschnitt& a) { a["Led3.Takt"] = ""; }); }, {"Led3.Takt fehlt"}},
    Abweisung{"keineNummer", [] { return ausAbschnitt([](Abschnitt& a) { a["SNT.Leitung"] = "GPIO19"; }); },
              {"SNT.Leitung=GPIO19 ist keine GPIO-Nummer"}},
    Abweisung{"bausteinFehlt", [] { return mitLeitungen([](GpioVirtuell& l) { l.ohneBaustein(); }); },
              {"gpiochip0", "gibt es"}, MitChip0},
    Abweisung{"leitungBelegt", [] { return mitLeitungen([](GpioVirtuell& l) { l.belegen(22); }); },
              {"GPIO-Leitung 22 (Led3.Takt) auf gpiochip0 ist belegt"}, MitChip0},
    Abweisung{"spaeterBelegt", [] { return mitLeitungen([](GpioVirtuell&) {}, [](GpioVirtuell& l) { l.belegen(10); }); },
              {"GPIO-Leitung 10 (Spulen.Freigabe) auf gpiochip0 ist belegt"}, MitChip0},
    Abweisung{"echterBausteinFehlt", [] {
                  gpio::Plan p = gpio::vorgabe();
                  p.chip = "kvx-kein-baustein";
                  return std::make_unique<GpioPorts>(p, gpioBaustein()); },
              {"kvx-kein-baustein"},
              "Kein Zugriff auf den GPIO-Baustein kvx-kein-baustein, Programm läuft als Simulation!"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
