// The lines of the interface card as the virtual card decodes them: the
// port map and the bit of every chain line. Private to the virtual card.
#pragma once

#include <cstdint>

namespace karte {

inline constexpr std::uint16_t kBase = 0x300;
inline constexpr std::uint16_t kChipsEnd = 0x308;    // the two 8255 chips
inline constexpr std::uint16_t kFirstEnd = 0x320;    // what the card decodes behind them
inline constexpr std::uint16_t kSecondBase = 0x330, kSecondEnd = 0x334;
inline constexpr std::uint16_t kInputPort = 0x302;

// Lines of PPI 1 port A (0x300).
inline constexpr std::uint8_t kTurnoutData = 0x01, kTurnoutClock = 0x02, kCoilEnable = 0x04, kInputLoad = 0x08;
inline constexpr std::uint8_t kLed2Data = 0x10, kLed2Clock = 0x20, kLed1Data = 0x40, kLed1Clock = 0x80;
// Lines of PPI 1 port B (0x301).
inline constexpr std::uint8_t kSignalData = 0x01, kInputClock = 0x02, kSignalClock = 0x04, kBlockClock = 0x08;
inline constexpr std::uint8_t kBlockLatch = 0x10, kLed1Latch = 0x20, kLed2Latch = 0x40, kBlockData = 0x80;
// Lines of PPI 2 port C (0x306).
inline constexpr std::uint8_t kKeepAlive = 0x01, kLed3Data = 0x10, kLed3Clock = 0x20, kLed3Latch = 0x40;
// Bits of the input port (0x302), one per input line.
inline constexpr std::uint8_t kBlockLine = 0x01, kTaster1Line = 0x02, kHBlockLine = 0x08, kMelderLine = 0x10;
// Bits of a block byte.
inline constexpr std::uint8_t kBlockPower = 0x08, kBlockForward = 0x04;

}  // namespace karte
