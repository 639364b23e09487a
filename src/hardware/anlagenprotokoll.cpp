#include "anlagenprotokoll.h"

#include "virtualcard.h"

AnlagenProtokoll::AnlagenProtokoll(const VirtualCard& karte, Uhr::time_point start)
    : karte_(karte), start_(start)
{
}

std::vector<std::string> AnlagenProtokoll::pruefen(Uhr::time_point)
{
    return {};
}
