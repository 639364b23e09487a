#include "kvxhard.h"

#include "portio.h"

#include <algorithm>
#include <iostream>

using namespace kvx;

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

// Port 0x300
constexpr std::uint8_t WeicheDaten = 0x01;
constexpr std::uint8_t WeicheTakt = 0x02;
constexpr std::uint8_t SpulenFreigabe = 0x04;
constexpr std::uint8_t EingabeLaden = 0x08;
constexpr std::uint8_t Led1Takt = 0x80;
constexpr std::uint8_t Led2Takt = 0x20;
// Port 0x301
constexpr std::uint8_t SignalDaten = 0x01;
constexpr std::uint8_t EingabeTakt = 0x02;
constexpr std::uint8_t SignalTakt = 0x04;
constexpr std::uint8_t BlockTakt = 0x08;
constexpr std::uint8_t BlockLatch = 0x10;
constexpr std::uint8_t Led1Latch = 0x20;
constexpr std::uint8_t Led2Latch = 0x40;
constexpr std::uint8_t BlockDaten = 0x80;
// Port 0x306
constexpr std::uint8_t SntLeitung = 0x01;
constexpr std::uint8_t Led3Takt = 0x20;
constexpr std::uint8_t Led3Latch = 0x40;

// Input lines of port 0x302.
constexpr std::uint8_t BlockLeitung = 0x01;
constexpr std::uint8_t Taster1Leitung = 0x02;
constexpr std::uint8_t HBlockLeitung = 0x08;
constexpr std::uint8_t MelderLeitung = 0x10;

// How each LED chain is driven: the port of data and clock, the values that
// shift a 1 and a 0, and where its latch sits.
struct LedKette {
    std::uint16_t port;
    std::uint8_t eins;     // data
    std::uint8_t takt;     // clock
    std::uint16_t latchPort;
    std::uint8_t latch;
};

constexpr LedKette LedKetten[3] = {
    {PortA1, 0x40, Led1Takt, PortB1, Led1Latch},
    {PortA1, 0x10, Led2Takt, PortB1, Led2Latch},
    {PortC2, 0x10, Led3Takt, PortC2, Led3Latch},
};

int begrenzt(int anzahl, int grenze)
{
    return std::clamp(anzahl, 0, grenze);
}

// Input step of the occupancy of block b and of its second input.
int blockBelegtSchritt(int b)
{
    return 8 * ((b - 1) / 2) + (b % 2 ? 4 : 3);
}

int blockEingang2Schritt(int b)
{
    return 8 * ((b - 1) / 2) + (b % 2 ? 2 : 1);
}

// Step of element n on a line that carries four elements, then four buttons, per card.
int viererSchritt(int n)
{
    return 4 * ((n - 1) / 4) + n;
}

// Decodes one bit of the input frame into an image entry; the result names
// the highest element that changed.
inline void uebernehmen(std::uint8_t& eintrag, bool gesetzt, int nr, int& letzter)
{
    const std::uint8_t neu = gesetzt ? 1 : 0;
    if (neu != eintrag)
        letzter = nr;
    eintrag = neu;
}

}  // namespace

TkvxHard::TkvxHard()
{
    // Ask for each of the card's ports; what is granted shows in PortInit.
    if (PortBackend* backend = portBackend()) {
        for (unsigned p = 0x300; p <= 0x31F; ++p)
            backend->enable(static_cast<std::uint16_t>(p), static_cast<std::uint16_t>(p));
        for (unsigned p = 0x330; p <= 0x333; ++p)
            backend->enable(static_cast<std::uint16_t>(p), static_cast<std::uint16_t>(p));
    }
}

void TkvxHard::PortInit()
{
    {
        Guard g(lock_);
        try {
            PortSchreiben(Control1, ControlWord1);
            PortSchreiben(Control2, ControlWord2);
            Simulation = false;
            return;
        } catch (const PortError&) {
            Simulation = true;
        }
    }
    // Told outside the lock: the message may wait for the user.
    const PortBackend* b = portBackend();
    const std::string text = b ? b->simulationsText() : NoPortAccess().simulationsText();
    if (Meldung)
        Meldung(text);
    else
        std::cerr << text << '\n';
}

void TkvxHard::KettenReset()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(Control1, ControlWord1);
    PortSchreiben(Control2, ControlWord2);
    for (int i = 0; i < ResetTakte; ++i) {
        PortSchreiben(PortA1, 0x00);
        PortSchreiben(PortA1, Led1Takt | Led2Takt | WeicheTakt);
        PortSchreiben(PortA1, 0x00);
        PortSchreiben(PortB1, BlockTakt | SignalTakt);
        PortSchreiben(PortB1, 0x00);
        PortSchreiben(PortB1, 0x00);
        PortSchreiben(PortC2, 0x00);
        PortSchreiben(PortC2, Led3Takt | 0x04);
        PortSchreiben(PortC2, 0x00);
    }
    PortSchreiben(PortB1, BlockLatch | Led1Latch | Led2Latch);
    PortSchreiben(PortB1, 0x00);
    PortSchreiben(PortC2, Led3Latch | 0x08);
    PortSchreiben(PortC2, 0x00);
}

void TkvxHard::LedKettenLoeschen()
{
    Guard g(lock_);
    if (Simulation)
        return;
    const std::uint8_t s = Impuls;
    PortSchreiben(PortA1, s);
    for (int i = 0; i < ResetTakte; ++i) {
        PortSchreiben(PortA1, s | Led1Takt);
        PortSchreiben(PortA1, s);
    }
    PortSchreiben(PortB1, Led1Latch);
    PortSchreiben(PortB1, 0x00);
    PortSchreiben(PortA1, s);
    for (int i = 0; i < ResetTakte; ++i) {
        PortSchreiben(PortA1, s | Led2Takt);
        PortSchreiben(PortA1, s);
    }
    PortSchreiben(PortB1, Led2Latch);
    PortSchreiben(PortB1, 0x00);
    PortSchreiben(PortC2, 0x00);
    for (int i = 0; i < ResetTakte; ++i) {
        PortSchreiben(PortC2, Led3Takt);
        PortSchreiben(PortC2, 0x00);
    }
    PortSchreiben(PortC2, Led3Latch);
    PortSchreiben(PortC2, 0x00);
}

void TkvxHard::SntEin()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(PortC2, SntLeitung);
}

void TkvxHard::SntAus()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(PortC2, 0x00);
}

void TkvxHard::DatenLoeschen()
{
    Guard g(lock_);
    const int bloecke = begrenzt(BlockAnzahl, MaxBlocks);
    for (int b = 1; b <= bloecke; ++b) {
        BlockBytes[b] = 0;
        BlockEingang2[b] = 0;
        BlockBelegt[b] = 0;
    }
    const int hbloecke = begrenzt(2 * BlockAnzahl, MaxHBlocks);
    for (int h = 1; h <= hbloecke; ++h)
        HBlockBelegt[h] = 0;
    const int melder = begrenzt(MelderAnzahl, MaxMelder);
    for (int m = 1; m <= melder; ++m)
        MelderBelegt[m] = 0;
    const int schritte = begrenzt(EinDatenBytes, MaxEingabe);
    for (int i = 1; i <= schritte; ++i)
        Eingabe[i] = 0;
    TasterZustand.fill(0);
    Led1Zustand.fill(0);
    Led2Zustand.fill(0);
    Led3Zustand.fill(0);
}

kvx::Abbild TkvxHard::Schnappschuss() const
{
    Guard g(lock_);
    return static_cast<const Abbild&>(*this);
}

kvx::Anzahlen TkvxHard::Anzahlen() const
{
    Guard g(lock_);
    return static_cast<const kvx::Anzahlen&>(*this);
}

void TkvxHard::AnzahlenSetzen(const kvx::Anzahlen& anzahlen)
{
    Guard g(lock_);
    static_cast<kvx::Anzahlen&>(*this) = anzahlen;
}

void TkvxHard::EingabeLesen()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(PortA1, Impuls | EingabeLaden);
    PortSchreiben(PortA1, Impuls);
    const int schritte = begrenzt(EinDatenBytes, MaxEingabe);
    for (int i = 1; i <= schritte; ++i) {
        Eingabe[i] = PortLesen(PortC1);
        PortSchreiben(PortB1, EingabeTakt);
        PortSchreiben(PortB1, 0x00);
    }
}

std::uint8_t TkvxHard::eingabeSchritt(int schritt) const
{
    return schritt >= 1 && schritt <= MaxEingabe ? Eingabe[schritt] : 0;
}

void TkvxHard::MelderLesen(int& lastBlock, int& lastHBlock, int& lastMelder, int& lastBlockEingang2)
{
    Guard g(lock_);
    EingabeLesen();
    const int bloecke = begrenzt(BlockAnzahl, MaxBlocks);
    for (int b = 1; b <= bloecke; ++b)
        uebernehmen(BlockBelegt[b], eingabeSchritt(blockBelegtSchritt(b)) & BlockLeitung, b, lastBlock);
    const int hbloecke = begrenzt(HBlockAnzahl, MaxHBlocks);
    for (int h = 1; h <= hbloecke; ++h)
        uebernehmen(HBlockBelegt[h], eingabeSchritt(viererSchritt(h)) & HBlockLeitung, h, lastHBlock);
    const int melder = begrenzt(MelderAnzahl, MaxMelder);
    for (int m = 1; m <= melder; ++m)
        uebernehmen(MelderBelegt[m], eingabeSchritt(m) & MelderLeitung, m, lastMelder);
    for (int b = 1; b <= bloecke; ++b)
        uebernehmen(BlockEingang2[b], eingabeSchritt(blockEingang2Schritt(b)) & BlockLeitung, b,
                    lastBlockEingang2);
}

void TkvxHard::TasterLesen(int& lastBlockTaster, int& lastHBlockTaster, int& lastTaster1)
{
    Guard g(lock_);
    EingabeLesen();
    // Block-card buttons fill entries 1..200, auxiliary-block buttons 201..512,
    // chain-1 buttons 513..1024: each group stays inside its own range.
    const int blockTaster = begrenzt(2 * BlockAnzahl, TasterHBlockBasis);
    for (int i = 1; i <= blockTaster; ++i)
        uebernehmen(TasterZustand[i], eingabeSchritt(viererSchritt(i) + 4) & BlockLeitung, i, lastBlockTaster);
    const int hbloecke = begrenzt(HBlockAnzahl, MaxHBlocks);
    for (int h = 1; h <= hbloecke; ++h)
        uebernehmen(TasterZustand[TasterHBlockBasis + h], eingabeSchritt(viererSchritt(h) + 4) & HBlockLeitung,
                    h, lastHBlockTaster);
    const int taster1 = begrenzt(Taster1Anzahl, MaxEingabe);
    for (int k = 1; k <= taster1; ++k)
        uebernehmen(TasterZustand[TasterKette1Basis + k], eingabeSchritt(k) & Taster1Leitung, k, lastTaster1);
}

void TkvxHard::blockKetteSchreiben()
{
    const int bloecke = begrenzt(BlockAnzahl, MaxBlocks);
    for (int k = bloecke; k >= 1; --k) {
        const std::uint8_t byte = BlockBytes[k];
        for (int bit = 7; bit >= 0; --bit) {
            const std::uint8_t d = (byte >> bit) & 1 ? BlockDaten : 0x00;
            PortSchreiben(PortB1, d);
            PortSchreiben(PortB1, d | BlockTakt);
            PortSchreiben(PortB1, 0x00);
        }
    }
    PortSchreiben(PortB1, BlockLatch);
    PortSchreiben(PortB1, 0x00);
}

void TkvxHard::BlockSetzen(std::uint8_t block, std::uint8_t power, std::uint8_t direction, std::uint8_t speed)
{
    Guard g(lock_);
    if (Simulation || block < 1 || block > MaxBlocks)
        return;
    std::uint8_t byte = BlockBytes[block] & 0x03;
    byte |= static_cast<std::uint8_t>(speed << 4);
    if (power == 1)
        byte |= 0x08;
    if (direction != 0)
        byte |= 0x04;
    BlockBytes[block] = byte;
    blockKetteSchreiben();
}

void TkvxHard::HBlockSetzen(std::uint8_t nr, std::uint8_t on)
{
    Guard g(lock_);
    if (Simulation)
        return;
    const int k = (nr + 1) / 2;
    const std::uint8_t maske = nr % 2 ? 0x01 : 0x02;
    if (k >= 1 && k <= MaxBlocks) {
        if (on == 0)
            BlockBytes[k] &= static_cast<std::uint8_t>(~maske);
        else if (on == 1)
            BlockBytes[k] |= maske;
    }
    blockKetteSchreiben();
}

void TkvxHard::AlleBloeckeAus()
{
    Guard g(lock_);
    if (Simulation)
        return;
    const int bloecke = begrenzt(BlockAnzahl, MaxBlocks);
    for (int b = 1; b <= bloecke; ++b)
        BlockSetzen(static_cast<std::uint8_t>(b), 0, 0, 0);
    // Auxiliary block numbers are 8 bits wide: at most 255 reach the chain.
    const int hbloecke = begrenzt(2 * BlockAnzahl, 255);
    for (int h = 1; h <= hbloecke; ++h)
        HBlockSetzen(static_cast<std::uint8_t>(h), 0);
}

void TkvxHard::WeicheStellen(std::uint16_t nr, std::uint8_t lage)
{
    Guard g(lock_);
    if (Simulation)
        return;
    laufendenImpulsBeenden();
    SpulenPos = lage == 2 ? 2 * nr - 1 : 2 * nr - 2;
    PortSchreiben(PortA1, WeicheDaten);
    PortSchreiben(PortA1, WeicheDaten | WeicheTakt);
    PortSchreiben(PortA1, 0x00);
    for (int i = 0; i < SpulenPos; ++i) {
        PortSchreiben(PortA1, WeicheTakt);
        PortSchreiben(PortA1, 0x00);
    }
    PortSchreiben(PortA1, SpulenFreigabe);
    Impuls = SpulenFreigabe;
    impulsKette_ = ImpulsKette::Weiche;
}

// Both coil chains share the enable line: a pulse that is still on would
// leave its start bit in its chain and power a second coil with the new one.
void TkvxHard::laufendenImpulsBeenden()
{
    if (Impuls == 0)
        return;
    if (impulsKette_ == ImpulsKette::Signal)
        SignalAus();
    else
        WeicheAus();
}

void TkvxHard::WeicheAus()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(PortA1, 0x00);
    Impuls = 0;
    impulsKette_ = ImpulsKette::Keine;
    const int r = 2 * WeichenAnzahl - SpulenPos;
    for (int i = 0; r >= 0 && i <= r; ++i) {
        PortSchreiben(PortA1, WeicheTakt);
        PortSchreiben(PortA1, 0x00);
    }
}

void TkvxHard::SignalStellen(std::uint16_t index)
{
    Guard g(lock_);
    if (Simulation)
        return;
    laufendenImpulsBeenden();
    SpulenPos = index;
    PortSchreiben(PortB1, SignalDaten);
    PortSchreiben(PortB1, SignalDaten | SignalTakt);
    PortSchreiben(PortB1, 0x00);
    for (int i = 0; i < SpulenPos; ++i) {
        PortSchreiben(PortB1, SignalTakt);
        PortSchreiben(PortB1, 0x00);
    }
    PortSchreiben(PortA1, SpulenFreigabe);
    Impuls = SpulenFreigabe;
    impulsKette_ = ImpulsKette::Signal;
}

void TkvxHard::SignalAus()
{
    Guard g(lock_);
    if (Simulation)
        return;
    PortSchreiben(PortA1, 0x00);
    Impuls = 0;
    impulsKette_ = ImpulsKette::Keine;
    PortSchreiben(PortB1, 0x00);
    const int r = SignalAnzahl - SpulenPos;
    for (int i = 0; r >= 0 && i <= r; ++i) {
        PortSchreiben(PortB1, SignalTakt);
        PortSchreiben(PortB1, 0x00);
    }
}

void TkvxHard::LedKetteLatch(int kette)
{
    Guard g(lock_);
    if (Simulation || kette < 1 || kette > 3)
        return;
    const LedKette& k = LedKetten[kette - 1];
    PortSchreiben(k.latchPort, k.latch);
    PortSchreiben(k.latchPort, 0x00);
}

void TkvxHard::LedKetteSchreiben(int kette, const std::uint8_t* bild, int anzahl)
{
    Guard g(lock_);
    if (Simulation || kette < 1 || kette > 3)
        return;
    const LedKette& k = LedKetten[kette - 1];
    // A coil pulse that is on keeps its enable on port 0x300 (the route
    // thread writes its LEDs while a switching pass may hold a coil).
    const std::uint8_t s = k.port == PortA1 ? Impuls : 0x00;
    const int n = bild ? begrenzt(anzahl, MaxLeds) : 0;
    for (int i = n; i >= 1; --i) {
        if (bild[i]) {
            PortSchreiben(k.port, s | k.eins);
            PortSchreiben(k.port, s | k.eins | k.takt);
        } else {
            PortSchreiben(k.port, s | k.takt);
        }
        PortSchreiben(k.port, s);
    }
    LedKetteLatch(kette);
}

void TkvxHard::LedKetteZeigen(int kette, int nr)
{
    Guard g(lock_);
    if (Simulation || kette < 1 || kette > 3)
        return;
    const LedKette& k = LedKetten[kette - 1];
    const int n = begrenzt(nr, MaxLeds);
    if (n >= 1) {
        PortSchreiben(k.port, k.eins);
        PortSchreiben(k.port, k.eins | k.takt);
        PortSchreiben(k.port, 0x00);
        for (int i = 1; i < n; ++i) {
            PortSchreiben(k.port, k.takt);
            PortSchreiben(k.port, 0x00);
        }
    }
    LedKetteLatch(kette);
}

void TkvxHard::LedKetteAus(int kette, int anzahl)
{
    Guard g(lock_);
    if (Simulation || kette < 1 || kette > 3)
        return;
    const LedKette& k = LedKetten[kette - 1];
    PortSchreiben(k.port, 0x00);
    const int n = begrenzt(anzahl, MaxLeds);
    for (int i = 0; i < n; ++i) {
        PortSchreiben(k.port, k.takt);
        PortSchreiben(k.port, 0x00);
    }
    LedKetteLatch(kette);
}
