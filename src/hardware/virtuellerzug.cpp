#include "virtuellerzug.h"

#include "virtualcard.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int MaxBlock = 200;
constexpr int MaxHBlock = 256;
constexpr int MaxMelder = 512;
constexpr int HBlockBasis = 200;   // the HBlock column holds 200 + h
constexpr double Viertel = 0.25;   // detectors and the points where the train looks ahead

// Moves in quarter rows: at most four laps of the ring in one call.
constexpr int MaxSchritte = 4 * VirtuellerZug::Ring * 4;

int imBereich(int n, int max)
{
    return n >= 1 && n <= max ? n : 0;
}

// A place on the ring, brought into 0 <= x < Ring.
double aufRing(double x)
{
    x = std::fmod(x, VirtuellerZug::Ring);
    if (x < 0)
        x += VirtuellerZug::Ring;
    return x >= VirtuellerZug::Ring ? 0.0 : x;
}

// The row index (0..14) of a place on the ring.
int reiheBei(double x)
{
    return std::clamp(static_cast<int>(std::floor(aufRing(x))), 0, VirtuellerZug::Ring - 1);
}

bool ganz(double x)
{
    return x == std::floor(x);
}

void einfuegen(std::vector<int>& menge, int n)
{
    if (n <= 0)
        return;
    const auto it = std::lower_bound(menge.begin(), menge.end(), n);
    if (it == menge.end() || *it != n)
        menge.insert(it, n);
}

// Sets what is in neu and not in alt, frees what is in alt and not in neu.
template <class Setzen>
void abgleichen(const std::vector<int>& alt, const std::vector<int>& neu, Setzen setzen)
{
    for (int n : alt)
        if (!std::binary_search(neu.begin(), neu.end(), n))
            setzen(n, false);
    for (int n : neu)
        if (!std::binary_search(alt.begin(), alt.end(), n))
            setzen(n, true);
}

}  // namespace

ZugZeile zugZeile(const std::array<int, 6>& spalten)
{
    ZugZeile z;
    z.hblock = spalten[0] > HBlockBasis ? imBereich(spalten[0] - HBlockBasis, MaxHBlock) : 0;
    z.block = imBereich(spalten[3], MaxBlock);
    z.melder = {imBereich(spalten[1], MaxMelder), imBereich(spalten[2], MaxMelder),
                imBereich(spalten[4], MaxMelder), imBereich(spalten[5], MaxMelder)};
    return z;
}

double VirtuellerZug::zeilenProSekunde(double stufe)
{
    if (!(stufe > 0))
        return 0.0;
    return (5.0 + 9.0 * std::min(stufe, 15.0)) / 280.0;
}

VirtuellerZug::VirtuellerZug(VirtualCard& karte, std::vector<ZugZeile> strecke, int zeile, Uhr::time_point jetzt)
    : karte_(karte), strecke_(std::move(strecke))
{
    einsetzen(zeile, jetzt);
}

void VirtuellerZug::setStrecke(std::vector<ZugZeile> strecke)
{
    strecke_ = std::move(strecke);
    if (eingesetzt_)
        melden();
}

void VirtuellerZug::neuMelden()
{
    gemeldet_ = {};
    melden();
}

void VirtuellerZug::einsetzen(int zeile, Uhr::time_point jetzt)
{
    ort_ = std::clamp(zeile, 1, Ring) - 1;
    zuletzt_ = jetzt;
    eingesetzt_ = true;
    melden();
}

void VirtuellerZug::entfernen()
{
    eingesetzt_ = false;
    melden();
}

int VirtuellerZug::zeile() const
{
    return reiheBei(ort_) + 1;
}

double VirtuellerZug::position() const
{
    return ort_ - std::floor(ort_);
}

std::vector<int> VirtuellerZug::zeilen() const
{
    if (!eingesetzt_)
        return {};
    std::vector<int> z{zeile()};
    if (position() + Laenge > 1.0)
        z.push_back(reiheBei(ort_ + Laenge) + 1);
    return z;
}

const ZugZeile& VirtuellerZug::reihe(int index) const
{
    static const ZugZeile leer;
    return index >= 0 && index < static_cast<int>(strecke_.size()) ? strecke_[static_cast<std::size_t>(index)] : leer;
}

// The block's step averaged over the card's last few hundredths of a second
// (the speed dither), time without power counting as step 0.
VirtuellerZug::Antrieb VirtuellerZug::antrieb(int index, VirtualCard::Clock::time_point t) const
{
    const int block = imBereich(reihe(index).block, MaxBlock);
    if (block == 0)
        return {};
    const VirtualCard::BlockView v = karte_.blockView(block, t);
    return {v.averagedSpeed > 0, v.forward, v.averagedSpeed};
}

bool VirtuellerZug::darfEinfahren(int index, bool vorwaerts, VirtualCard::Clock::time_point t) const
{
    const Antrieb a = antrieb(index, t);
    return a.an && a.vorwaerts == vorwaerts;
}

void VirtuellerZug::fahren(Uhr::time_point jetzt)
{
    double rest = std::chrono::duration<double>(jetzt - zuletzt_).count();
    zuletzt_ = jetzt;
    if (!eingesetzt_ || !(rest > 0))
        return;

    // Quarter by quarter: at each quarter point the middle may have come
    // into another row, or the leading end to the border of the next one.
    const VirtualCard::Clock::time_point t = karte_.now();
    for (int i = 0; i < MaxSchritte && rest > 0; ++i) {
        const Antrieb a = antrieb(reiheBei(ort_ + Laenge / 2), t);
        const double v = a.an ? zeilenProSekunde(a.stufe) : 0.0;
        if (v <= 0)
            break;
        const double spitze = a.vorwaerts ? ort_ + Laenge : ort_;
        if (ganz(spitze) && !darfEinfahren(reiheBei(a.vorwaerts ? spitze : spitze - 1), a.vorwaerts, t))
            break;
        const double ziel = a.vorwaerts ? std::floor(ort_ / Viertel + 1) * Viertel
                                        : std::ceil(ort_ / Viertel - 1) * Viertel;
        const double weg = std::abs(ziel - ort_);
        if (v * rest >= weg) {
            ort_ = aufRing(ziel);
            rest -= weg / v;
        } else {
            ort_ = aufRing(ort_ + (a.vorwaerts ? v * rest : -v * rest));
            rest = 0;
        }
    }
    melden();
}

// The elements of the rows the train covers: block and auxiliary block of
// every covered row, the detectors of every covered quarter.
VirtuellerZug::Belegung VirtuellerZug::bedeckt() const
{
    Belegung b;
    if (!eingesetzt_)
        return b;
    const auto teil = [&](int index, double von, double bis) {
        if (bis <= von)
            return;
        const ZugZeile& z = reihe(index);
        einfuegen(b.bloecke, imBereich(z.block, MaxBlock));
        einfuegen(b.hbloecke, imBereich(z.hblock, MaxHBlock));
        for (int k = 0; k < 4; ++k)
            if (von < (k + 1) * Viertel && bis > k * Viertel)
                einfuegen(b.melder, imBereich(z.melder[static_cast<std::size_t>(k)], MaxMelder));
    };
    const double pos = position();
    teil(reiheBei(ort_), pos, std::min(1.0, pos + Laenge));
    teil(reiheBei(ort_ + 1), 0.0, pos + Laenge - 1.0);
    return b;
}

void VirtuellerZug::melden()
{
    Belegung neu = bedeckt();
    abgleichen(gemeldet_.bloecke, neu.bloecke, [this](int n, bool an) { karte_.setBlockOccupied(n, an); });
    abgleichen(gemeldet_.hbloecke, neu.hbloecke, [this](int n, bool an) { karte_.setHBlockOccupied(n, an); });
    abgleichen(gemeldet_.melder, neu.melder, [this](int n, bool an) { karte_.setMelder(n, an); });
    gemeldet_ = std::move(neu);
}
