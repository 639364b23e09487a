#include "virtuellerzug.h"

#include "virtualcard.h"

#include <utility>

VirtuellerZug::VirtuellerZug(VirtualCard& karte, std::vector<ZugZeile> strecke, int zeile, Uhr::time_point jetzt)
    : karte_(karte), strecke_(std::move(strecke)), zeile_(zeile), zuletzt_(jetzt)
{
}

void VirtuellerZug::setStrecke(std::vector<ZugZeile> strecke)
{
    strecke_ = std::move(strecke);
}

void VirtuellerZug::fahren(Uhr::time_point jetzt)
{
    zuletzt_ = jetzt;
}

void VirtuellerZug::entfernen()
{
}
