// Draws the Raspberry Pi's 40-pin header with the card's lines of the
// default GPIO map, as an SVG: docs/raspberry-pi-gpio.svg is its output, so
// the picture shows the map the program writes and cannot drift from it.
//
//   kvx-gpiobild > docs/raspberry-pi-gpio.svg     # draw anew
//   kvx-gpiobild --pruefen docs/raspberry-pi-gpio.svg
//
// With --pruefen it compares the file with what it draws and fails when
// they differ (a test of the build does that).
#include "gpiokarte.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// The header, pin 1 to 40: a GPIO number, or what else the pin carries.
struct Pin {
    int gpio;            // -1: no GPIO line
    const char* sonst;   // supply, ground, the ID EEPROM's lines
};

constexpr Pin Kopf[40] = {
    {-1, "3.3 V"}, {-1, "5 V"}, {2, ""},   {-1, "5 V"}, {3, ""},   {-1, "GND"}, {4, ""},   {14, ""},
    {-1, "GND"},   {15, ""},    {17, ""},  {18, ""},    {27, ""},  {-1, "GND"}, {22, ""},  {23, ""},
    {-1, "3.3 V"}, {24, ""},    {10, ""},  {-1, "GND"}, {9, ""},   {25, ""},    {11, ""},  {8, ""},
    {-1, "GND"},   {7, ""},     {0, "ID_SD"}, {1, "ID_SC"}, {5, ""}, {-1, "GND"}, {6, ""}, {12, ""},
    {13, ""},      {-1, "GND"}, {19, ""},  {16, ""},    {26, ""},  {20, ""},    {-1, "GND"}, {21, ""},
};

constexpr int Breite = 760, Zeile = 24, Oben = 70, LinksX = 350, RechtsX = 410, Radius = 9;

// The card line on a GPIO line of the default map, or null.
const gpio::Linie* linie(int gpioNummer)
{
    const gpio::Plan plan = gpio::vorgabe();
    for (int i = 0; i < gpio::LinienAnzahl; ++i)
        if (static_cast<int>(plan.leitung[static_cast<std::size_t>(i)]) == gpioNummer)
            return &gpio::Linien[static_cast<std::size_t>(i)];
    return nullptr;
}

std::string farbe(const Pin& p, const gpio::Linie* l)
{
    if (l)
        return l->eingang ? "#1565c0" : "#2e7d32";
    const std::string s = p.sonst;
    if (s == "5 V")
        return "#c62828";
    if (s == "3.3 V")
        return "#ef6c00";
    if (s == "GND")
        return "#212121";
    return "#9e9e9e";
}

std::string zeichnen()
{
    std::ostringstream o;
    const int hoehe = Oben + 20 * Zeile + 60;
    o << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Breite << "\" height=\"" << hoehe
      << "\" viewBox=\"0 0 " << Breite << ' ' << hoehe << "\" font-family=\"Liberation Sans, Arial, sans-serif\""
      << " font-size=\"13\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
      << "<text x=\"" << Breite / 2 << "\" y=\"28\" text-anchor=\"middle\" font-size=\"17\" font-weight=\"bold\">"
      << "Raspberry Pi, 40-pin header: the card's lines ([GPIO] default)</text>\n"
      << "<text x=\"" << Breite / 2 << "\" y=\"50\" text-anchor=\"middle\" fill=\"#555555\">"
      << "pin 1 at the corner of the board, seen from above</text>\n"
      << "<rect x=\"" << LinksX - 18 << "\" y=\"" << Oben - 16 << "\" width=\"" << RechtsX - LinksX + 36
      << "\" height=\"" << 20 * Zeile + 8 << "\" rx=\"6\" fill=\"#263238\"/>\n";
    for (int n = 1; n <= 40; ++n) {
        const Pin& p = Kopf[n - 1];
        const gpio::Linie* l = p.gpio >= 0 ? linie(p.gpio) : nullptr;
        const bool links = n % 2 == 1;
        const int x = links ? LinksX : RechtsX;
        const int y = Oben + (n - 1) / 2 * Zeile;
        o << "<circle cx=\"" << x << "\" cy=\"" << y << "\" r=\"" << Radius << "\" fill=\"" << farbe(p, l)
          << "\" stroke=\"#ffffff\" stroke-width=\"1.5\"/>\n"
          << "<text x=\"" << x << "\" y=\"" << y + 4 << "\" text-anchor=\"middle\" font-size=\"9\" fill=\"#ffffff\">"
          << n << "</text>\n";
        std::string text;
        if (p.gpio >= 0)
            text = "GPIO " + std::to_string(p.gpio);
        if (*p.sonst)
            text += text.empty() ? p.sonst : std::string(" ") + p.sonst;
        const int tx = links ? x - 22 : x + 22;
        o << "<text x=\"" << tx << "\" y=\"" << y + 5 << "\" text-anchor=\"" << (links ? "end" : "start") << "\">";
        if (l) {
            const std::string name = "<tspan font-weight=\"bold\" fill=\"" + farbe(p, l) + "\">" + l->name + "</tspan>";
            o << (links ? name + "  " + text : text + "  " + name);
        } else {
            o << "<tspan fill=\"#555555\">" << text << "</tspan>";
        }
        o << "</text>\n";
    }
    const int ly = Oben + 20 * Zeile + 24;
    o << "<circle cx=\"200\" cy=\"" << ly << "\" r=\"7\" fill=\"#2e7d32\"/>"
      << "<text x=\"212\" y=\"" << ly + 5 << "\">output to the chains (through the 74HCT245)</text>\n"
      << "<circle cx=\"520\" cy=\"" << ly << "\" r=\"7\" fill=\"#1565c0\"/>"
      << "<text x=\"532\" y=\"" << ly + 5 << "\">input (through a divider)</text>\n"
      << "</svg>\n";
    return o.str();
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::string bild = zeichnen();
    if (argc == 1) {
        std::cout << bild;
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--pruefen") {
        std::ifstream datei(argv[2], std::ios::binary);
        std::ostringstream inhalt;
        inhalt << datei.rdbuf();
        if (datei && inhalt.str() == bild)
            return 0;
        std::cerr << argv[2] << " does not show the default GPIO map: draw it anew with kvx-gpiobild > " << argv[2]
                  << "\n";
        return 1;
    }
    std::cerr << "usage: kvx-gpiobild [--pruefen FILE]\n";
    return 2;
}
