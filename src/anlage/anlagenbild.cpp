#include "anlagenbild.h"

#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace anlagenbild {

namespace {

void farben(const std::vector<std::uint8_t>& zustand, std::vector<QRgb>& ziel)
{
    ziel.resize(zustand.size());
    for (std::size_t i = 0; i < zustand.size(); ++i)
        ziel[i] = belegtFarbe(int(i) + 1, zustand[i] != 0);
}

}  // namespace

QRgb belegtFarbe(int nr, bool an)
{
    const bool zehnter = nr % 10 == 0;
    if (an)
        return zehnter ? qRgb(223, 0, 0) : qRgb(255, 0, 0);
    return zehnter ? qRgb(255, 255, 128) : qRgb(128, 128, 128);
}

int hblockAnzahl(const VirtualCard::Ansicht& a)
{
    return int(std::max(a.hblocks.size(), a.hblockOccupied.size()));
}

QString spulenText(const std::vector<VirtualCard::PoweredCoil>& spulen, VirtualCard::Clock::time_point jetzt)
{
    if (spulen.empty())
        return QStringLiteral("Keine Spule unter Strom");
    QStringList teile;
    for (const VirtualCard::PoweredCoil& s : spulen) {
        QString t;
        if (s.coil.kind == VirtualCard::Coil::Kind::Turnout)
            t = QStringLiteral("Weiche %1 %2").arg(s.coil.number).arg(s.coil.lage == 2 ? QStringLiteral("abzweigend")
                                                                                        : QStringLiteral("gerade"));
        else
            t = QStringLiteral("Signalspule %1").arg(s.coil.number);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(jetzt - s.since).count();
        const long long zehntel = std::max<long long>(0, ms / 100);
        t += QStringLiteral(", seit %1,%2 s").arg(zehntel / 10).arg(zehntel % 10);
        teile << t;
    }
    return teile.join(QStringLiteral("; "));
}

void bilden(const VirtualCard::Ansicht& a, Bild& bild)
{
    bild.snt = a.snt;
    bild.spule = spulenText(a.coils, a.at);

    bild.bloecke.resize(a.blocks.size());
    for (std::size_t i = 0; i < a.blocks.size(); ++i) {
        const VirtualCard::BlockView& v = a.blocks[i];
        BlockKachel& k = bild.bloecke[i];
        k.belegt = i < a.blockOccupied.size() && a.blockOccupied[i] != 0;
        k.ein = v.powered;
        k.vor = v.forward;
        k.zehntel = v.powered ? std::clamp(int(std::lround(v.averagedSpeed * 10.0)), 0, 150) : 0;
    }

    const std::size_t h = std::size_t(hblockAnzahl(a));
    bild.hbloecke.resize(h);
    bild.hblockStrom.resize(h);
    for (std::size_t i = 0; i < h; ++i) {
        bild.hbloecke[i] = belegtFarbe(int(i) + 1, i < a.hblockOccupied.size() && a.hblockOccupied[i] != 0);
        bild.hblockStrom[i] = i < a.hblocks.size() && a.hblocks[i] != 0 ? Strom : 0;
    }

    farben(a.melder, bild.melder);
    farben(a.blockButtons, bild.blockTaster);
    farben(a.hblockButtons, bild.hblockTaster);
    farben(a.taster1, bild.taster1);
    for (std::size_t k = 0; k < 3; ++k) {
        const std::vector<std::uint8_t>& led = a.leds[k];
        bild.leds[k].resize(led.size());
        for (std::size_t i = 0; i < led.size(); ++i)
            bild.leds[k][i] = led[i] ? LedAn : LedAus;
    }
}

}  // namespace anlagenbild
