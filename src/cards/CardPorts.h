#pragma once
#include "cards/Mixer.h"
#include "engine/PortIo.h"
#include "platform/LinuxPortIo.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vorpline {

// The I/O layout of each sound-card output type (the configuration's output types FM801 to
// OPL3): where its chip sits and which mixer drives its volume. One place, so that the port
// check grants exactly what the chip and the mixer go on to touch.
//
// From the configured base:
//   FM801        chip +0x68..+0x6B; volume word +0x02..+0x03; control word +0x54..+0x55
//   SOLO1, ESS   chip +0..+3; mixer index/data +4, +5; FM routing byte +7
//   ALS4000      chip +0x10..+0x13; SB16-style mixer index/data +0x14, +0x15
//   SB16, SBPRO2 chip +0..+3; mixer index/data +4, +5
//   OPL3         chip +0..+3; no mixer
// The parallel-port chip (OPL3LPT) and the emulator (WAVE) are no cards: asking for them
// throws std::invalid_argument, as does any other type. Main thread only.

inline constexpr uint16_t kFm801ChipOffset = 0x68;
// The ALS4000 keeps its chip and an SB16-style mixer together 0x10 above its base.
inline constexpr uint16_t kAls4000Offset = 0x10;
// Bank-0 address and data, bank-1 address and data.
inline constexpr uint16_t kChipPortCount = 4;

// The port base of the card's chip, for the PortBackend.
uint16_t CardChipBase(int ioType, uint16_t base);

// Every port the chip and the mixer of `ioType` at `base` use, in ascending order, touching
// ranges merged. Throws std::invalid_argument if any of them would lie past port 0xFFFF.
std::vector<PortRange> CardPorts(int ioType, uint16_t base);

// Asks the kernel for CardPorts(ioType, base): the start-up check before any port of the card
// is touched. Throws as CheckPortAccess does.
void CheckCardAccess(int ioType, uint16_t base);
void CheckCardAccess(int ioType, uint16_t base, const PortAccessCalls& calls);

// The mixer of the card, created on `io` (which must outlive it); creating it already writes
// the card's start levels, so the ports must have been granted. OPL3 gets the do-nothing
// Mixer. The FM801's attenuator is reached by casting the result to FM801.
std::unique_ptr<Mixer> MakeCardMixer(int ioType, PortIo& io, uint16_t base);

} // namespace vorpline
