// TkvxHard: the interface card and the card chains of the layout.
//
// Owns the port map of the card (two 8255 chips at 0x300..0x307), the
// simulation mode, the reset of all chains, the card counts and the process
// images, the input cycle with its decoding and the output chains (blocks,
// auxiliary blocks, turnout and signal coils, LED chains).
//
// Every loop and every index is bounded to the images, so no count, however
// wrong, can make the component write outside them.
//
// Threads
// -------
// The owner thread is the one that configures the component: the main
// window's. Workers are any other threads that call it (input cycles, a
// train run, coil pulses). The component's lock() is recursive
// (AlleBloeckeAus calls BlockSetzen).
//
// - Operations (every public function): any thread, at any time. Each holds
//   the lock for its whole run, so two threads never interleave their port
//   sequences and an input cycle decodes into the images in one piece. To run
//   several operations in one piece (a cycle of MelderLesen and TasterLesen),
//   hold lock() around them.
// - Counts (BlockAnzahl ... Led3Anzahl): written by the owner thread only.
//   While no worker runs, it may write them directly. While a worker may run,
//   it writes them through AnzahlenSetzen() or while holding lock(). The owner
//   thread may always read them directly, being their only writer. Workers
//   read them only under the lock: the operations do, worker code itself uses
//   Anzahlen() or Schnappschuss().
// - Images (BlockBelegt, MelderBelegt, TasterZustand, Led1Zustand, ...):
//   the operations write them under the lock. While another thread may run
//   an operation, any thread reads them through Schnappschuss() (a copy of
//   all images and counts, taken in one piece) or while holding lock(), and
//   writes them (a page filling Led1Zustand) only while holding lock(). With
//   no other thread running operations, direct access is fine: that is how
//   the tests and a page without a worker use them. SpulenPos and Impuls
//   follow the same rule but are not in the snapshot: read them under lock().
// - Simulation is atomic. Meldung is set once, before any operation runs; it
//   is called outside the lock, on the thread that ran PortInit.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
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

// The keep-alive line starts toggling (the supply switched on, the start of a
// train run) with the line high for this long: the supply's start pulse. The
// supply must hold through it, so the virtual card lets it go off only after
// a longer time without an edge (VirtualCard::SntTimeout).
inline constexpr std::chrono::milliseconds SntStartPuls{100};

// The card counts: elements of each kind (LEDs per chain) and the input steps.
struct Anzahlen {
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
    friend bool operator==(const Anzahlen&, const Anzahlen&) = default;
};

// The process images, indexed from 1, together with the counts they were
// decoded with.
struct Abbild : Anzahlen {
    std::array<std::uint8_t, MaxBlocks + 1> BlockBytes{};
    std::array<std::uint8_t, MaxBlocks + 1> BlockEingang2{};
    std::array<std::uint8_t, MaxEingabe + 1> Eingabe{};
    std::array<std::uint8_t, MaxBlocks + 1> BlockBelegt{};
    std::array<std::uint8_t, MaxHBlocks + 1> HBlockBelegt{};
    std::array<std::uint8_t, MaxMelder + 1> MelderBelegt{};
    std::array<std::uint8_t, MaxTaster + 1> TasterZustand{};
    std::array<std::uint8_t, MaxLeds + 1> Led1Zustand{};
    std::array<std::uint8_t, MaxLeds + 1> Led2Zustand{};
    std::array<std::uint8_t, MaxLeds + 1> Led3Zustand{};
};

}  // namespace kvx

// The counts and images are the component's own public members (kvx->BlockAnzahl,
// kvx->MelderBelegt[i]); see "Threads" above for who may touch them when.
class TkvxHard : public kvx::Abbild {
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
    // A coil pulse: WeicheStellen (lage 1 straight, 2 diverging) and
    // SignalStellen (coil index from 0) first end a pulse that is still on,
    // on either chain, so that never two coils are powered at once.
    void WeicheStellen(std::uint16_t nr, std::uint8_t lage);
    void WeicheAus();
    void SignalStellen(std::uint16_t index);
    void SignalAus();

    // LED chain write-out (chain 1..3). Each returns at once in simulation and
    // ignores a chain number outside 1..3; counts are bounded to 800 LEDs.
    // LedKetteSchreiben keeps the coil enable (Impuls) of a running pulse on
    // port 0x300; the others write 0 on the port's other lines.
    void LedKetteSchreiben(int kette, const std::uint8_t* bild, int anzahl); // shift LEDs anzahl..1 of bild (indexed from 1), latch
    void LedKetteZeigen(int kette, int nr);       // light only LED nr (chain cleared before): a 1, nr - 1 zeros, latch
    void LedKetteAus(int kette, int anzahl);      // resting value, anzahl zeros, latch
    void LedKetteLatch(int kette);

    // The lock every operation holds; callers that need several operations
    // in one piece, or direct access to the images, may hold it too.
    std::recursive_mutex& lock() const { return lock_; }

    // For any thread: the images and counts copied in one piece under the lock.
    kvx::Abbild Schnappschuss() const;
    kvx::Anzahlen Anzahlen() const;
    // For the owner thread: all counts replaced in one piece under the lock.
    void AnzahlenSetzen(const kvx::Anzahlen& anzahlen);

    // True while the card's ports cannot be reached: no operation touches a port.
    std::atomic<bool> Simulation{true};

    std::int32_t SpulenPos = 0;   // clocks given after the start bit on a coil chain
    std::uint8_t Impuls = 0;      // resting value of port 0x300: 0x04 while a coil is powered

private:
    void blockKetteSchreiben();
    void laufendenImpulsBeenden();
    std::uint8_t eingabeSchritt(int schritt) const;   // 0 outside the image

    enum class ImpulsKette { Keine, Weiche, Signal };
    ImpulsKette impulsKette_ = ImpulsKette::Keine;   // the chain whose pulse is on
    mutable std::recursive_mutex lock_;
};
