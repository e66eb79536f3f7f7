#pragma once
#include <array>
#include <cstdint>

namespace vorpline {

// How the six operators and two parts sit on the chip's 36 operator slots and 18 channels.
//
// Part 1-4 voice v is the 4-operator channel pair whose first channel offset is
// kChannelOffsetTable[v] (second channel = offset + 3); part 5/6 voice v is the 2-operator
// channel at offset + 6. Operator o of voice v uses slot kSlotOffsetTable[3 * o +
// kVoiceSlotBase[v]]. Operator register = base (0x20 flags/MULT, 0x40 KSL/TL, 0x60 AR/DR, 0x80
// SL/RR, 0xE0 WS)
// + slot offset. So a 6-operator patch fills every channel of both banks: voices 0-2 in bank 1,
// voices 3-5 in bank 0.
inline constexpr std::array<uint16_t, 36> kSlotOffsetTable = {
    0x000, 0x001, 0x002, 0x003, 0x004, 0x005, 0x008, 0x009, 0x00A, 0x00B, 0x00C, 0x00D,
    0x010, 0x011, 0x012, 0x013, 0x014, 0x015, 0x100, 0x101, 0x102, 0x103, 0x104, 0x105,
    0x108, 0x109, 0x10A, 0x10B, 0x10C, 0x10D, 0x110, 0x111, 0x112, 0x113, 0x114, 0x115};

inline constexpr std::array<uint8_t, 6> kVoiceSlotBase = {18, 19, 20, 0, 1, 2};
inline constexpr std::array<uint16_t, 6> kChannelOffsetTable = {0x100, 0x101, 0x102,
                                                                0x000, 0x001, 0x002};

inline constexpr int kOperatorCount = 6;
inline constexpr int kMaxVoices = 6;

// Register bases of the per-operator registers.
inline constexpr uint16_t kRegFlags = 0x20;          // AM VIB EGT KSR MULT(4)
inline constexpr uint16_t kRegLevel = 0x40;          // KSL(2) TL(6)
inline constexpr uint16_t kRegAttackDecay = 0x60;    // AR(4) DR(4)
inline constexpr uint16_t kRegSustainRelease = 0x80; // SL(4) RR(4)
inline constexpr uint16_t kRegWaveform = 0xE0;       // WS(3)
// Per-channel registers.
inline constexpr uint16_t kRegFNumberLow = 0xA0;
inline constexpr uint16_t kRegKeyBlock = 0xB0; // KON(bit 5) BLOCK(bits 2-4) FNUM 8-9 (bits 0-1)
inline constexpr uint16_t kRegFeedbackConnection = 0xC0; // R(5) L(4) FB(1-3) CNT(0)
inline constexpr uint16_t kRegRhythm = 0xBD;             // AM depth(7) VIB depth(6) RHY(5)

constexpr uint16_t OperatorSlotOffset(int op, int voice) {
    return kSlotOffsetTable[3 * op + kVoiceSlotBase[voice]];
}

// First channel offset of a voice: part 0 = operators 1-4 (the pair's first channel),
// part 1 = operators 5-6.
constexpr uint16_t VoiceChannelOffset(int part, int voice) {
    return kChannelOffsetTable[voice] + (part == 0 ? 0 : 6);
}

} // namespace vorpline
