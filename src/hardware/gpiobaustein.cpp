#include "gpiobaustein.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <utility>
#include <vector>

#include <unistd.h>

namespace gpio {

namespace {

constexpr const char* Vorsilbe = "gpiochip";

bool ziffern(const std::string& s, std::size_t ab = 0)
{
    return s.size() > ab && std::all_of(s.begin() + static_cast<std::ptrdiff_t>(ab), s.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
}

bool chipName(const std::string& s)
{
    return s.rfind(Vorsilbe, 0) == 0 && ziffern(s, std::strlen(Vorsilbe));
}

// The gpiochip* entries of the folder in the order of their numbers.
std::vector<std::string> chips(const std::string& ordner)
{
    std::vector<std::pair<unsigned long, std::string>> gefunden;
    std::error_code fehler;
    for (const auto& e : std::filesystem::directory_iterator(ordner, fehler)) {
        const std::string name = e.path().filename().string();
        if (chipName(name) && name.size() < 18)
            gefunden.emplace_back(std::stoul(name.substr(std::strlen(Vorsilbe))), name);
    }
    std::sort(gefunden.begin(), gefunden.end());
    std::vector<std::string> namen;
    for (auto& g : gefunden)
        namen.push_back(std::move(g.second));
    return namen;
}

}  // namespace

Fundort bausteinSuchen(const std::string& chip, const std::string& ordner, const EtikettLesen& etikett)
{
    if (chip.find('/') != std::string::npos)
        return {chip, chip};
    if (ziffern(chip))
        return {ordner + "/" + Vorsilbe + chip, Vorsilbe + chip};
    if (chipName(chip))
        return {ordner + "/" + chip, chip};

    const std::vector<std::string> vorhanden = chips(ordner);
    std::vector<std::optional<std::string>> etiketten;
    for (const std::string& n : vorhanden)
        etiketten.push_back(etikett(ordner + "/" + n));
    const auto mitEtikett = [&](const std::string& gesucht) -> std::optional<Fundort> {
        for (std::size_t i = 0; i < vorhanden.size(); ++i)
            if (etiketten[i] == gesucht)
                return Fundort{ordner + "/" + vorhanden[i], vorhanden[i]};
        return std::nullopt;
    };
    if (!chip.empty()) {
        if (const auto f = mitEtikett(chip))
            return *f;
        return {{}, chip};
    }
    for (const char* pi : PiEtiketten)
        if (const auto f = mitEtikett(pi))
            return *f;
    return {ordner + "/" + Vorsilbe + "0", std::string(Vorsilbe) + "0"};
}

std::string oeffnenFehler(const std::string& chip, const std::string& pfad, int fehler)
{
    std::error_code e;
    if (fehler == ENODEV && !pfad.empty() && std::filesystem::exists(pfad, e))
        fehler = ENOTTY;
    switch (fehler) {
    case ENOENT:
    case ENODEV:
        return "Den GPIO-Baustein " + chip + " gibt es auf diesem Rechner nicht (gpiodetect zeigt die vorhandenen).";
    case ENOTTY:
    case EINVAL:
        return chip + " ist kein GPIO-Baustein (gpiodetect zeigt die vorhandenen).";
    case EACCES:
    case EPERM:
        return keinZugriffText(chip, pfad);
    default:
        return "Der GPIO-Baustein " + chip + " lässt sich nicht öffnen: " + systemFehler(fehler);
    }
}

std::string keinZugriffText(const std::string& chip, const std::string& pfad)
{
    const passwd* ich = getpwuid(getuid());
    const std::string benutzer = ich && ich->pw_name && *ich->pw_name ? ich->pw_name : "BENUTZER";
    const std::string anfang = "Den GPIO-Baustein " + chip + " darf dieser Benutzer nicht öffnen; ";
    struct stat st {};
    if (pfad.empty() || stat(pfad.c_str(), &st) != 0)
        return anfang + "sudo usermod -aG GRUPPE " + benutzer + " mit der Gruppe des Geräts (ls -l /dev/gpiochip*), "
                        "dann neu anmelden.";
    // Raspberry Pi OS and the package's udev rule give the chips to the
    // group gpio; plain Debian leaves them to root alone.
    const group* g = getgrgid(st.st_gid);
    if (st.st_gid != 0 && g && g->gr_name && *g->gr_name)
        return anfang + "er gehört der Gruppe " + g->gr_name + ": sudo usermod -aG " + g->gr_name + " " + benutzer
               + ", dann neu anmelden.";
    return anfang + "er gehört allein root. Das Paket kvxtest gibt die GPIO-Bausteine mit einer udev-Regel der "
                    "Gruppe gpio (ohne das Paket richtet sudo scripts/gpio-zugriff.sh im Quellordner sie ein; "
                    "wirksam nach einem Neustart oder sudo udevadm trigger --subsystem-match=gpio); dann sudo "
                    "usermod -aG gpio " + benutzer + " und neu anmelden.";
}

std::string systemFehler(int fehler)
{
    return std::strerror(fehler);
}

std::string fehltText(const std::string& chip, unsigned anzahl)
{
    return "gibt es nicht (" + chip + " hat " + std::to_string(anzahl) + " Leitungen)";
}

std::string belegtText(const char* wer)
{
    return wer && *wer ? std::string("ist belegt (von ") + wer + ")" : std::string("ist belegt");
}

}  // namespace gpio
