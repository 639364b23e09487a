#include "configuration.h"

#include <algorithm>
#include <limits>

namespace config {

// Block cards stop at 50: the component's images and the reset sequence hold
// 100 blocks.
const std::array<KartenArt, KartenAnzahl> Karten = {{
    {"aBlockK", "aBlock", "Anzahl Blockkarten", 1, 50, "Block", 1, 2, "Anzahl Blöcke", "max.   50 / 100"},
    {"aHBlockK", "aHBlock", "Anzahl Hilfsblockkarten", 1, 64, "HilfsBlock", 1, 4, "Anzahl Hilfsblöcke", "max.   64 / 256"},
    {"aMelK", "aMel", "Anzahl Belegtmelderkarten", 1, 64, "Melder", 1, 8, "Anzahl Belegtmelder", "max.   64 / 512"},
    {"aWeiK", "aWei", "Anzahl Weichenkarten", 1, 32, "Weichen", 1, 8, "Anzahl Weichen", "max.   32 / 256"},
    {"aSigK", "aSig", "Anzahl Signalkarten", 0, 32, "Signale", 0, 16, "Anzahl Signale (Spulen)", "max.   32 / 512"},
    {"aTas1K", "aTas1", "Anzahl Tasterkarten Kette 1", 0, 16, "Taster1", 0, 32, "Anzahl Taster 1", "max.   16 / 512"},
    {"aTas2K", "aTas2", "Anzahl Tasterkarten Kette 2", 0, 16, "Taster2", 0, 32, "Anzahl Taster 2", "max.   16 / 512"},
    {"aLed1K", "aLed1", "Anzahl LED-Karten Kette 1", 0, 25, "Leds1", 0, 32, "Anzahl LEDs 1", "max.   25 / 800"},
    {"aLed2K", "aLed2", "Anzahl LED-Karten Kette 2", 0, 25, "Leds2", 0, 32, "Anzahl LEDs 2", "max.   25 / 800"},
    {"aLed3K", "aLed3", "Anzahl LED-Karten Kette 3", 0, 25, "Leds3", 0, 32, "Anzahl LEDs 3", "max.   25 / 800"},
}};

int imBereich(Karte karte, int value)
{
    const KartenArt& k = Karten[karte];
    return std::clamp(value, k.minimum, k.maximum);
}

int einDatenBytes(int melder, int hbloecke, int bloecke, int taster1, int taster2)
{
    return std::max({melder, 2 * hbloecke, 4 * bloecke, taster1, taster2});
}

int TasterUmrechnen(int n)
{
    // Numbers far beyond the image stay beyond it without overflowing.
    if (n > 1024)
        return n > std::numeric_limits<int>::max() - 976 ? std::numeric_limits<int>::max() : n + 976;
    if (n > 512)
        return n + 488;
    return n;
}

QString keinIntegerwert(const QString& text)
{
    return QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text);
}

}  // namespace config
