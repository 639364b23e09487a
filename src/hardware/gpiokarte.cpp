#include "gpiokarte.h"

namespace gpio {

namespace {

// A GPIO number as the settings file holds it: decimal digits, at most four.
std::optional<unsigned> nummer(const std::string& text)
{
    if (text.empty() || text.size() > 4)
        return std::nullopt;
    unsigned n = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        n = 10 * n + static_cast<unsigned>(c - '0');
    }
    return n;
}

std::string abgelehnt(const std::string& was)
{
    return "Die GPIO-Zuordnung (Abschnitt [GPIO] der Einstellungsdatei) gilt nicht: " + was;
}

}  // namespace

Plan vorgabe()
{
    Plan p;
    for (int i = 0; i < LinienAnzahl; ++i)
        p.leitung[static_cast<std::size_t>(i)] = Linien[static_cast<std::size_t>(i)].vorgabe;
    return p;
}

PlanLesung planLesen(const std::function<std::optional<std::string>(const std::string&)>& wert)
{
    PlanLesung l;
    const std::optional<std::string> chip = wert(ChipSchluessel);
    std::array<std::optional<std::string>, LinienAnzahl> texte;
    bool etwas = chip.has_value();
    for (int i = 0; i < LinienAnzahl; ++i) {
        texte[static_cast<std::size_t>(i)] = wert(Linien[static_cast<std::size_t>(i)].name);
        etwas = etwas || texte[static_cast<std::size_t>(i)].has_value();
    }
    if (!etwas) {
        l.plan = vorgabe();
        l.vorgabe = true;
        return l;
    }
    l.plan.chip = chip.value_or("");
    for (int i = 0; i < LinienAnzahl; ++i) {
        const std::string name = Linien[static_cast<std::size_t>(i)].name;
        const std::optional<std::string>& t = texte[static_cast<std::size_t>(i)];
        if (!t || t->empty()) {
            l.fehler = abgelehnt("die Leitung " + name + " fehlt.");
            return l;
        }
        const std::optional<unsigned> n = nummer(*t);
        if (!n) {
            l.fehler = abgelehnt(name + "=" + *t + " ist keine GPIO-Nummer.");
            return l;
        }
        for (int j = 0; j < i; ++j) {
            if (l.plan.leitung[static_cast<std::size_t>(j)] == *n) {
                l.fehler = abgelehnt(std::string(Linien[static_cast<std::size_t>(j)].name) + " und " + name
                                     + " liegen beide auf GPIO " + std::to_string(*n) + ".");
                return l;
            }
        }
        l.plan.leitung[static_cast<std::size_t>(i)] = *n;
    }
    return l;
}

void planSchreiben(const Plan& plan, const std::function<void(const std::string&, const std::string&)>& eintrag)
{
    if (!plan.chip.empty())
        eintrag(ChipSchluessel, plan.chip);
    for (int i = 0; i < LinienAnzahl; ++i)
        eintrag(Linien[static_cast<std::size_t>(i)].name, std::to_string(plan.leitung[static_cast<std::size_t>(i)]));
}

}  // namespace gpio
