// Which chip a name of the line map means, over a folder standing in for
// /dev with the labels its chips would report; and what the libgpiod layer
// of this build (1.6 or 2) says about a chip it cannot open.
#include "gpiobaustein.h"
#include "gpioleitungen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class FalschesDev {
public:
    explicit FalschesDev(const std::map<std::string, std::string>& chips)
    {
        char muster[] = "/tmp/kvx-gpio-XXXXXX";
        ordner_ = mkdtemp(muster);
        for (const auto& [name, etikett] : chips) {
            std::ofstream(ordner_ + "/" + name) << etikett;
            etiketten_[ordner_ + "/" + name] = etikett;
        }
        std::ofstream(ordner_ + "/null");   // no chip: never asked for its label
    }
    ~FalschesDev() { fs::remove_all(ordner_); }

    gpio::Fundort suchen(const std::string& chip) const
    {
        return gpio::bausteinSuchen(chip, ordner_, [&](const std::string& pfad) -> std::optional<std::string> {
            const auto it = etiketten_.find(pfad);
            EXPECT_NE(it, etiketten_.end()) << pfad;
            if (it == etiketten_.end() || it->second.empty())
                return std::nullopt;   // no chip, or one that cannot be opened
            return it->second;
        });
    }
    const std::string& ordner() const { return ordner_; }

private:
    std::string ordner_;
    std::map<std::string, std::string> etiketten_;
};

struct Suche {
    const char* name;
    std::map<std::string, std::string> chips;   // file in the folder: label ("" cannot be opened)
    std::string chip;                           // what the map says
    std::string datei;                          // found: the file in the folder ("" none)
    std::string textName;
};

const std::map<std::string, std::string> Pi5 = {
    {"gpiochip0", "gpio-brcmstb@107d508500"}, {"gpiochip1", "gpio-brcmstb@107d508500"},
    {"gpiochip10", "pinctrl-rp1"}, {"gpiochip2", "gpio-brcmstb@107d517c00"}};
const std::map<std::string, std::string> Pi4 = {{"gpiochip0", "pinctrl-bcm2711"}, {"gpiochip1", "raspberrypi-exp-gpio"}};

class GpioBausteinSuche : public ::testing::TestWithParam<Suche> {};

TEST_P(GpioBausteinSuche, FindetDenBaustein)
{
    const Suche& s = GetParam();
    const FalschesDev dev(s.chips);
    const gpio::Fundort f = dev.suchen(s.chip);
    EXPECT_EQ(f.pfad, s.datei.empty() ? std::string() : dev.ordner() + "/" + s.datei);
    EXPECT_EQ(f.name, s.textName);
}

INSTANTIATE_TEST_SUITE_P(Faelle, GpioBausteinSuche, ::testing::Values(
    Suche{"name", Pi4, "gpiochip1", "gpiochip1", "gpiochip1"},
    Suche{"nummer", Pi4, "1", "gpiochip1", "gpiochip1"},
    Suche{"nameOhneDatei", Pi4, "gpiochip7", "gpiochip7", "gpiochip7"},
    Suche{"etikett", Pi4, "raspberrypi-exp-gpio", "gpiochip1", "gpiochip1"},
    Suche{"etikettErsterVonZweien", Pi5, "gpio-brcmstb@107d508500", "gpiochip0", "gpiochip0"},
    Suche{"etikettFehlt", Pi4, "pinctrl-rp1", "", "pinctrl-rp1"},
    Suche{"ohneNamePi5", Pi5, "", "gpiochip10", "gpiochip10"},
    Suche{"ohneNamePi5AlterKernel", {{"gpiochip0", "gpio-brcmstb@107d508500"}, {"gpiochip4", "pinctrl-rp1"}}, "",
          "gpiochip4", "gpiochip4"},
    Suche{"ohneNamePi4", {{"gpiochip1", "raspberrypi-exp-gpio"}, {"gpiochip2", "pinctrl-bcm2711"}}, "",
          "gpiochip2", "gpiochip2"},
    Suche{"ohneNamePiAlt", {{"gpiochip0", "pinctrl-bcm2835"}, {"gpiochip1", "raspberrypi-exp-gpio"}}, "",
          "gpiochip0", "gpiochip0"},
    Suche{"ohneNamePi5VorPi4", {{"gpiochip3", "pinctrl-bcm2711"}, {"gpiochip5", "pinctrl-rp1"}}, "",
          "gpiochip5", "gpiochip5"},
    Suche{"ohneNameKeinPi", {{"gpiochip0", "INT34C6:00"}, {"gpiochip1", ""}}, "", "gpiochip0", "gpiochip0"},
    Suche{"ohneNameNichts", {}, "", "gpiochip0", "gpiochip0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GpioBausteinSuche, PfadGiltWieGeschrieben)
{
    const FalschesDev dev(Pi4);
    const gpio::Fundort f = dev.suchen("/dev/gpiochip4");
    EXPECT_EQ(f.pfad, "/dev/gpiochip4");
    EXPECT_EQ(f.name, "/dev/gpiochip4");
}

// The layer of this build on a machine without that chip: the same texts
// from libgpiod 1.6 and 2.
struct OhneBaustein {
    const char* name;
    std::string chip;
    std::string text;
};

class GpioBausteinFehlt : public ::testing::TestWithParam<OhneBaustein> {};

TEST_P(GpioBausteinFehlt, SagtWarum)
{
    const OhneBaustein& f = GetParam();
    std::string chip = f.chip;
    EXPECT_EQ(gpioBaustein()->oeffnen(chip), f.text);
}

INSTANTIATE_TEST_SUITE_P(Faelle, GpioBausteinFehlt, ::testing::Values(
    OhneBaustein{"name", "gpiochip77",
                 "Den GPIO-Baustein gpiochip77 gibt es auf diesem Rechner nicht (gpiodetect zeigt die vorhandenen)."},
    OhneBaustein{"pfad", "/dev/kvx-gpiochip",
                 "Den GPIO-Baustein /dev/kvx-gpiochip gibt es auf diesem Rechner nicht (gpiodetect zeigt die "
                 "vorhandenen)."},
    OhneBaustein{"etikett", "kvx-kein-baustein",
                 "Den GPIO-Baustein kvx-kein-baustein gibt es auf diesem Rechner nicht (gpiodetect zeigt die "
                 "vorhandenen)."},
    OhneBaustein{"keinBaustein", "/dev/null", "/dev/null ist kein GPIO-Baustein (gpiodetect zeigt die vorhandenen)."}),
    [](const auto& info) { return std::string(info.param.name); });

// A chip the user may not open: what to do depends on whom the device
// belongs to. Raspberry Pi OS and the package's udev rule give it to a group
// (the user joins it); plain Debian leaves it to root, and the text names
// the rule. A device file stands in, given to that group.
struct OhneRecht {
    const char* name;
    const char* gruppe;   // group of the device file; nullptr: no file
    std::string rat;      // what the text ends with, after "; "
};

class GpioBausteinOhneRecht : public ::testing::TestWithParam<OhneRecht> {};

TEST_P(GpioBausteinOhneRecht, SagtWasZuTunIst)
{
    const OhneRecht& f = GetParam();
    const passwd* ich = getpwuid(getuid());
    ASSERT_NE(ich, nullptr);
    const std::string benutzer = ich->pw_name;
    const FalschesDev dev(Pi4);
    std::string pfad;
    if (f.gruppe) {
        const group* g = getgrnam(f.gruppe);
        if (!g || (getuid() != 0 && getgid() != g->gr_gid))
            GTEST_SKIP() << "Gruppe " << f.gruppe << " fehlt oder ist nicht zu vergeben";
        pfad = dev.ordner() + "/gpiochip0";
        ASSERT_EQ(chown(pfad.c_str(), static_cast<uid_t>(-1), g->gr_gid), 0);
    }
    std::string rat = f.rat;
    for (std::size_t i; (i = rat.find("BENUTZER")) != std::string::npos;)
        rat.replace(i, 8, benutzer);
    EXPECT_EQ(gpio::oeffnenFehler("gpiochip0", pfad, EACCES),
              "Den GPIO-Baustein gpiochip0 darf dieser Benutzer nicht öffnen; " + rat);
}

INSTANTIATE_TEST_SUITE_P(Faelle, GpioBausteinOhneRecht, ::testing::Values(
    OhneRecht{"gruppeWieAufDemPi", "dialout", "er gehört der Gruppe dialout: sudo usermod -aG dialout BENUTZER, "
                                              "dann neu anmelden."},
    OhneRecht{"alleinRoot", "root",
              "er gehört allein root. Das Paket kvxtest gibt die GPIO-Bausteine mit einer udev-Regel der Gruppe "
              "gpio (ohne das Paket richtet sudo scripts/gpio-zugriff.sh im Quellordner sie ein; wirksam nach "
              "einem Neustart oder sudo udevadm trigger --subsystem-match=gpio); dann sudo usermod -aG gpio "
              "BENUTZER und neu anmelden."},
    OhneRecht{"ohnePfad", nullptr, "sudo usermod -aG GRUPPE BENUTZER mit der Gruppe des Geräts "
                                   "(ls -l /dev/gpiochip*), dann neu anmelden."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
