// What the window "Virtuelle Anlage" shows, worked out from the card's view
// without any widget: the colours of every lamp, the block tiles and the
// texts of the power supply and the powered coil.
#pragma once

#include "blockfeld.h"
#include "virtualcard.h"

#include <QRgb>
#include <QString>

#include <array>
#include <vector>

namespace anlagenbild {

inline constexpr QRgb LedAn = qRgb(255, 220, 0);
inline constexpr QRgb LedAus = qRgb(64, 64, 64);
inline constexpr QRgb Strom = qRgb(0, 170, 0);     // mark of a powered auxiliary block
inline constexpr int LedSpalten = 50;
inline constexpr int Spalten = 40;                 // auxiliary blocks, detectors, buttons

struct Bild {
    bool snt = false;
    QString spule;                                 // the powered coil(s), see spulenText
    std::vector<BlockKachel> bloecke;
    std::vector<QRgb> hbloecke, hblockStrom;       // occupancy colour, power mark (0: none)
    std::vector<QRgb> melder;
    std::vector<QRgb> blockTaster, hblockTaster, taster1;
    std::array<std::vector<QRgb>, 3> leds;
};

// The colour of element nr (from 1) occupied/pressed or not, as on the
// occupancy page: red or gray, every tenth dark red or light yellow.
QRgb belegtFarbe(int nr, bool an);

// Auxiliary blocks shown: those the layout reports and those the blocks power.
int hblockAnzahl(const VirtualCard::Ansicht& a);

// "Keine Spule unter Strom", or for each powered coil "Weiche 5 abzweigend"
// / "Weiche 5 gerade" / "Signalspule 7" with ", seit 0,3 s", joined by "; ".
QString spulenText(const std::vector<VirtualCard::PoweredCoil>& spulen, VirtualCard::Clock::time_point jetzt);

// Fills bild from the view, reusing its storage.
void bilden(const VirtualCard::Ansicht& a, Bild& bild);

}  // namespace anlagenbild
