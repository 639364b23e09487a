#include "eingangsstatistik.h"

#include <algorithm>

EingangsStatistik::EingangsStatistik(int arten)
    : arten_(std::size_t(std::max(arten, 0)))
{
    for (int a = 0; a < this->arten(); ++a)
        einrichten(a, 0);
}

void EingangsStatistik::einrichten(int art, int anzahl)
{
    if (art < 0 || art >= arten())
        return;
    Art& a = arten_[std::size_t(art)];
    const std::size_t n = std::size_t(std::max(anzahl, 0)) + 1;
    a.zustand.resize(n, 0);
    a.elemente.resize(n, Element{});
    a.angesetzt = false;
}

void EingangsStatistik::ansetzen()
{
    for (Art& a : arten_)
        a.angesetzt = false;
}

void EingangsStatistik::zuruecksetzen()
{
    for (Art& a : arten_)
        std::fill(a.elemente.begin(), a.elemente.end(), Element{});
}

EingangsStatistik::Ergebnis EingangsStatistik::erfassen(int art, std::span<const std::uint8_t> bild, int anzahl,
                                                        Zeitpunkt jetzt)
{
    Ergebnis r;
    if (art < 0 || art >= arten() || anzahl < 1 || bild.empty())
        return r;
    Art& a = arten_[std::size_t(art)];
    const std::size_t ende = std::min({a.zustand.size(), bild.size(), std::size_t(anzahl) + 1});
    if (!a.angesetzt) {
        for (std::size_t e = 1; e < ende; ++e)
            a.zustand[e] = bild[e] != 0;
        a.angesetzt = true;
        return r;
    }
    for (std::size_t e = 1; e < ende; ++e) {
        const std::uint8_t neu = bild[e] != 0;
        if (neu == a.zustand[e])
            continue;
        a.zustand[e] = neu;
        ++r.wechsel;
        Element& el = a.elemente[e];
        el.zeiten[el.naechste] = jetzt;
        el.naechste = std::uint8_t((el.naechste + 1) % FlackerWechsel);
        if (el.wechsel < UINT32_MAX)
            ++el.wechsel;
        // The slot after this change holds the change FlackerWechsel - 1 before it.
        if (!el.flackert && el.wechsel >= FlackerWechsel && jetzt - el.zeiten[el.naechste] <= FlackerZeit) {
            el.flackert = true;
            ++r.neuFlackernd;
        }
    }
    return r;
}

int EingangsStatistik::anzahl(int art) const
{
    if (art < 0 || art >= arten())
        return 0;
    return int(arten_[std::size_t(art)].elemente.size()) - 1;
}

EingangsStatistik::Eintrag EingangsStatistik::eintragVon(int art, int element, const Element& el)
{
    Eintrag e;
    e.art = art;
    e.element = element;
    e.wechsel = el.wechsel;
    if (el.wechsel > 0)
        e.zuletzt = el.zeiten[(el.naechste + FlackerWechsel - 1) % FlackerWechsel];
    e.flackert = el.flackert;
    return e;
}

EingangsStatistik::Eintrag EingangsStatistik::eintrag(int art, int element) const
{
    if (element < 1 || element > anzahl(art))
        return {};
    return eintragVon(art, element, arten_[std::size_t(art)].elemente[std::size_t(element)]);
}

void EingangsStatistik::geaenderte(std::vector<Eintrag>& liste) const
{
    liste.clear();
    for (int a = 0; a < arten(); ++a) {
        const std::vector<Element>& elemente = arten_[std::size_t(a)].elemente;
        for (std::size_t e = 1; e < elemente.size(); ++e) {
            if (elemente[e].wechsel > 0)
                liste.push_back(eintragVon(a, int(e), elemente[e]));
        }
    }
}

void EingangsStatistik::rangliste(std::vector<Eintrag>& liste, std::size_t hoechstens) const
{
    geaenderte(liste);
    const auto vorn = [](const Eintrag& x, const Eintrag& y) {
        if (x.wechsel != y.wechsel)
            return x.wechsel > y.wechsel;
        if (x.zuletzt != y.zuletzt)
            return x.zuletzt > y.zuletzt;
        return x.art != y.art ? x.art < y.art : x.element < y.element;
    };
    const std::size_t n = std::min(hoechstens, liste.size());
    std::partial_sort(liste.begin(), liste.begin() + std::ptrdiff_t(n), liste.end(), vorn);
    liste.resize(n);
}
