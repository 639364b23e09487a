// TkvxHard: the interface card and the card chains of the layout.
//
// Owns the port map of the card (two 8255 chips at 0x300..0x307), the
// simulation mode, the reset of all chains, the card counts and the process
// images, the input cycle with its decoding and the output chains (blocks,
// auxiliary blocks, turnout and signal coils, LED chains).
//
// Every operation that touches ports holds the component's lock for its whole
// port sequence, so a worker thread and the main thread can both drive the
// card without interleaving their sequences. The lock is recursive:
// AlleBloeckeAus calls BlockSetzen.
//
// The counts are public and are written directly by the configuration. Every
// loop and every index is bounded to the images, so no count, however wrong,
// can make the component write outside them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace kvx {

// Ports of the interface card.
inline constexpr std::uint16_t PortA1 = 0x300;     // PPI 1 port A, output
inline constexpr std::uint16_t PortB1 = 0x301;     // PPI 1 port B, output
inline constexpr std::uint16_t PortC1 = 0x302;     // PPI 1 port C, input
inline constexpr std::uint16_t Control1 = 0x303;   // PPI 1 control register
inline constexpr std::uint16_t PortC2 = 0x306;     // PPI 2 port C, output
inline constexpr std::uint16_t Control2 = 0x307;   // PPI 2 control register
inline constexpr std::uint8_t ControlWord1 = 0x89; // mode 0: A out, B out, C in
inline constexpr std::uint8_t ControlWord2 = 0x82; // mode 0: A out, B in, C out

// Sizes of the process images (highest element number; entry 0 is unused).
inline constexpr int MaxBlocks = 200;
inline constexpr int MaxHBlocks = 256;
inline constexpr int MaxMelder = 512;
inline constexpr int MaxEingabe = 512;
inline constexpr int MaxTaster = 1536;
inline constexpr int MaxLeds = 800;

// Offsets into TasterZustand.
inline constexpr int TasterHBlockBasis = 200;   // auxiliary-block-card button h at 200 + h
inline constexpr int TasterKette1Basis = 512;   // chain-1 button k at 512 + k

// Clocks of the reset sequence and of the LED clearing: the longest chain.
inline constexpr int ResetTakte = 800;

}  // namespace kvx

class TkvxHard {
public:
    TkvxHard();
    TkvxHard(const TkvxHard&) = delete;
    TkvxHard& operator=(const TkvxHard&) = delete;

    // Where the simulation message goes; without one it goes to standard error.
    std::function<void(const std::string&)> Meldung;

    // Start-up and the interface card.
    void PortInit();
    void KettenReset();
    void LedKettenLoeschen();
    void SntEin();
    void SntAus();

    // Process images and the input cycle.
    void DatenLoeschen();
    void EingabeLesen();
    void MelderLesen(int& lastBlock, int& lastHBlock, int& lastMelder, int& lastBlockEingang2);
    void TasterLesen(int& lastBlockTaster, int& lastHBlockTaster, int& lastTaster1);

    // Output chains.
    void BlockSetzen(std::uint8_t block, std::uint8_t power, std::uint8_t direction, std::uint8_t speed);
    void HBlockSetzen(std::uint8_t nr, std::uint8_t on);
    void AlleBloeckeAus();
    void WeicheStellen(std::uint16_t nr, std::uint8_t lage);
    void WeicheAus();
    void SignalStellen(std::uint16_t index);
    void SignalAus();

    // LED chain write-out (chain 1..3). Each returns at once in simulation and
    // ignores a chain number outside 1..3; counts are bounded to 800 LEDs.
    void LedKetteSchreiben(int kette, const std::uint8_t* bild, int anzahl); // shift LEDs anzahl..1 of bild (indexed from 1), latch
    void LedKetteZeigen(int kette, int nr);       // light only LED nr (chain cleared before): a 1, nr - 1 zeros, latch
    void LedKetteAus(int kette, int anzahl);      // resting value, anzahl zeros, latch
    void LedKetteLatch(int kette);

    // The lock every port sequence holds; callers that need several
    // operations in one piece may hold it too.
    std::recursive_mutex& lock() const { return lock_; }

    // True while the card's ports cannot be reached: no operation touches a port.
    std::atomic<bool> Simulation{true};

    std::int32_t SpulenPos = 0;   // clocks given after the start bit on a coil chain
    std::uint8_t Impuls = 0;      // resting value of port 0x300: 0x04 while a coil is powered

    std::uint16_t BlockAnzahl = 5;
    std::uint16_t HBlockAnzahl = 10;
    std::uint16_t MelderAnzahl = 10;
    std::uint16_t WeichenAnzahl = 10;
    std::uint16_t SignalAnzahl = 10;
    std::uint16_t EinDatenBytes = 10;
    std::uint16_t Taster1Anzahl = 0;
    std::uint16_t Taster2Anzahl = 0;
    std::uint16_t Led1Anzahl = 0;
    std::uint16_t Led2Anzahl = 0;
    std::uint16_t Led3Anzahl = 0;

    std::array<std::uint8_t, kvx::MaxBlocks + 1> BlockBytes{};
    std::array<std::uint8_t, kvx::MaxBlocks + 1> BlockEingang2{};
    std::array<std::uint8_t, kvx::MaxEingabe + 1> Eingabe{};
    std::array<std::uint8_t, kvx::MaxBlocks + 1> BlockBelegt{};
    std::array<std::uint8_t, kvx::MaxHBlocks + 1> HBlockBelegt{};
    std::array<std::uint8_t, kvx::MaxMelder + 1> MelderBelegt{};
    std::array<std::uint8_t, kvx::MaxTaster + 1> TasterZustand{};
    std::array<std::uint8_t, kvx::MaxLeds + 1> Led1Zustand{};
    std::array<std::uint8_t, kvx::MaxLeds + 1> Led2Zustand{};
    std::array<std::uint8_t, kvx::MaxLeds + 1> Led3Zustand{};

private:
    void blockKetteSchreiben();
    std::uint8_t eingabeSchritt(int schritt) const;   // 0 outside the image

    mutable std::recursive_mutex lock_;
};
