#include "zugstrecke.h"

namespace {

// The number of a cell if it lies in lo..hi, else 0.
int imBereich(const fahrt::Zelle& z, int lo, int hi)
{
    return z.gueltig && z.zahl >= lo && z.zahl <= hi ? z.zahl : 0;
}

}  // namespace

std::vector<ZugZeile> zugZeilen(const fahrt::StreckenTabellen& tabellen)
{
    std::vector<ZugZeile> zeilen(fahrt::RingZeilen);
    for (int z = 0; z < fahrt::RingZeilen; ++z) {
        const auto& zellen = tabellen.strecke[std::size_t(z)];
        ZugZeile& zeile = zeilen[std::size_t(z)];
        zeile.block = imBereich(zellen[fahrt::SpalteBlock - 1], 1, kvx::MaxBlocks);
        const int h = imBereich(zellen[fahrt::SpalteHBlock - 1], fahrt::HBlockBasis + 1,
                                fahrt::HBlockBasis + kvx::MaxHBlocks);
        zeile.hblock = h ? h - fahrt::HBlockBasis : 0;
        const int spalten[4] = {2, 3, 5, 6};
        for (int i = 0; i < 4; ++i)
            zeile.melder[std::size_t(i)] = imBereich(zellen[std::size_t(spalten[i] - 1)], 1, kvx::MaxMelder);
    }
    return zeilen;
}
