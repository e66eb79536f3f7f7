#pragma once
#include <array>
#include <cstdint>

namespace vorpline {

// How the six operators and two parts sit on the chip's 36 operator slots and 18 channels.
//
// Part 1-4 voice v is the 4-operator channel pair whose first channel offset is
// kChannelOffsetTable[v] (second channel = offset + 3); part 5/6 voice v is the 2-operator
// channel at offset + 6. Operator o of voice v uses slot kSlotOffsetTable[3 * o +
// kVoiceSlotBase[v]]; its registers are the bases below plus that slot offset. So a 6-operator
// patch fills every channel of both banks: voices 0-2 in bank 1, voices 3-5 in bank 0.
inline constexpr std::array<uint16_t, 36> kSlotOffsetTable = {
    0x000, 0x001, 0x002, 0x003, 0x004, 0x005, 0x008, 0x009, 0x00A, 0x00B, 0x00C, 0x00D,
    0x010, 0x011, 0x012, 0x013, 0x014, 0x015, 0x100, 0x101, 0x102, 0x103, 0x104, 0x105,
    0x108, 0x109, 0x10A, 0x10B, 0x10C, 0x10D, 0x110, 0x111, 0x112, 0x113, 0x114, 0x115};

inline constexpr std::array<uint8_t, 6> kVoiceSlotBase = {18, 19, 20, 0, 1, 2};
inline constexpr std::array<uint16_t, 6> kChannelOffsetTable = {0x100, 0x101, 0x102,
                                                                0x000, 0x001, 0x002};

inline constexpr int kOperatorCount = 6;
inline constexpr int kMaxVoices = 6;

// Per-operator registers: base + slot offset, one field layout each.
inline constexpr uint16_t kRegFlags = 0x20;      // AM VIB EGT KSR MULT(4)
inline constexpr uint8_t kTremoloBit = 0x80;     // AM: amplitude modulation
inline constexpr uint8_t kVibratoBit = 0x40;     // VIB: frequency modulation
inline constexpr uint8_t kSustainHoldBit = 0x20; // EGT: the envelope holds at the sustain level
inline constexpr uint8_t kRateScalingBit = 0x10; // KSR: envelopes faster up the keyboard
inline constexpr uint8_t kMultiplierMask = 0x0F; // MULT 0..15 (0 = x0.5)
inline constexpr uint16_t kRegLevel = 0x40;      // KSL(2) TL(6)
inline constexpr uint8_t kLevelScalingMask = 0xC0;
inline constexpr uint8_t kTotalLevelMask = 0x3F;  // attenuation in 0.75 dB steps, 63 = quietest
inline constexpr uint16_t kRegAttackDecay = 0x60; // AR(4) DR(4)
inline constexpr uint8_t kAttackMask = 0xF0;
inline constexpr uint8_t kDecayMask = 0x0F;
inline constexpr uint16_t kRegSustainRelease = 0x80; // SL(4) RR(4)
inline constexpr uint8_t kSustainMask = 0xF0;
inline constexpr uint8_t kReleaseMask = 0x0F;  // 15 = fastest: what a reset leaves to silence
inline constexpr uint16_t kRegWaveform = 0xE0; // WS(3)
inline constexpr uint8_t kWaveformMask = 0x07;
// Rates and the sustain level are 4-bit values, in the high or the low half of their byte.
inline constexpr uint8_t kRateMask = 0x0F;
inline constexpr int kHighNibbleShift = 4;
inline constexpr int kLevelScalingShift = 6;

// Per-channel registers: base + channel offset.
inline constexpr uint16_t kRegFNumberLow = 0xA0;
inline constexpr uint16_t kRegKeyBlock = 0xB0; // KON(5) BLOCK(2-4) FNUM bits 8-9 (0-1)
inline constexpr uint8_t kKeyOn = 0x20;
inline constexpr uint8_t kBlockMask = 0x1C;
inline constexpr uint8_t kFNumberHighMask = 0x03;
inline constexpr uint16_t kRegFeedbackConnection = 0xC0; // R(5) L(4) FB(1-3) CNT(0)
inline constexpr uint8_t kOutputRightBit = 0x20;
inline constexpr uint8_t kOutputLeftBit = 0x10;
inline constexpr uint8_t kFeedbackMask = 0x0E;
inline constexpr int kFeedbackShift = 1;
inline constexpr uint8_t kConnectionBit = 0x01; // the CNT of one channel of a pair
inline constexpr uint16_t kChannelCount = 9;    // channels per bank
// The second channel of a 4-operator pair sits three channels above the first.
inline constexpr uint16_t kPairSecondChannel = 3;
// Part 5/6 plays on the channels 6-8 of each bank, above the three pairs.
inline constexpr uint16_t kTwoOperatorChannel = 6;

// Bank 1 is addressed as register + 0x100.
inline constexpr uint16_t kBank1 = 0x100;

// Global registers.
inline constexpr uint16_t kRegRhythm = 0xBD;      // AM depth(7) VIB depth(6) RHY(5) BD SD TT CY HH
inline constexpr uint8_t kTremoloDepthBit = 0x80; // 4.8 dB instead of 1 dB
inline constexpr uint8_t kVibratoDepthBit = 0x40; // 14 cents instead of 7
inline constexpr uint8_t kRhythmModeBit = 0x20;   // bank-0 channels 6-8 become the drums
inline constexpr uint8_t kBassDrumBit = 0x10;
inline constexpr uint8_t kSnareDrumBit = 0x08;
inline constexpr uint8_t kTomTomBit = 0x04;
inline constexpr uint8_t kCymbalBit = 0x02;
inline constexpr uint8_t kHiHatBit = 0x01;
// One bit per channel pair that plays as a 4-operator channel: bits 0-2 the pairs 0/3, 1/4
// and 2/5 of bank 0, bits 3-5 the same pairs of bank 1.
inline constexpr uint16_t kRegFourOperator = 0x104;
inline constexpr uint8_t kFourOperatorAllPairs = 0x3F;
inline constexpr uint16_t kRegOpl3Mode = 0x105;
inline constexpr uint8_t kOpl3ModeBit = 0x01; // bank 1 and the 4-operator pairs exist only with it
// Slot offsets of the rhythm channels 6-8 in bank 0, whose envelopes the drum kit owns.
inline constexpr uint16_t kRhythmSlotFirst = 0x10;
inline constexpr uint16_t kRhythmSlotLast = 0x15;

constexpr uint16_t OperatorSlotOffset(int op, int voice) {
    return kSlotOffsetTable[3 * op + kVoiceSlotBase[voice]];
}

// Operators [PartFirstOperator, PartOperatorEnd) of a part: 0-3 for part 0, 4-5 for part 1.
constexpr int PartFirstOperator(int part) {
    return part == 0 ? 0 : 4;
}
constexpr int PartOperatorEnd(int part) {
    return part == 0 ? 4 : kOperatorCount;
}

// First channel offset of a voice: part 0 = operators 1-4 (the pair's first channel),
// part 1 = operators 5-6.
constexpr uint16_t VoiceChannelOffset(int part, int voice) {
    return kChannelOffsetTable[voice] + (part == 0 ? 0 : kTwoOperatorChannel);
}

} // namespace vorpline
