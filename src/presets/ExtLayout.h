#pragma once
#include <cstdint>

#include "engine/PatchRecord.h"

namespace vorpline::ext {

// Offsets into PatchExt (file offset = 70 + record offset) of the fields the engine itself
// does not name. 16-bit fields are little-endian, signed ones two's complement.
inline constexpr int kCcBits = 0;        // u8, bit o = operator o follows the CC map
inline constexpr int kReserved = 1;      // u8, always 0
inline constexpr int kTranspose = 2;     // s16 cents
inline constexpr int kTuning1234 = 4;    // s16 cents
inline constexpr int kTuning56 = 6;      // s16 cents
inline constexpr int kVolume = 10;       // u8: bits 0-4 volume 0..31, bits 5-6 attenuator
inline constexpr int kPan = 11;          // s8, -64..63
inline constexpr int kTuningLists = 12;  // 6 x 16 x s16, operator-major
inline constexpr int kChannel1234 = 204; // u8 0..15
inline constexpr int kChannel56 = 205;   // u8 0..15
inline constexpr int kLow1234 = 206;     // octave index 0..10
inline constexpr int kHigh1234 = 207;
inline constexpr int kLow56 = 208;
inline constexpr int kHigh56 = 209;
inline constexpr int kLegato = 211;        // 0x01/0x02 part 1-4 Up/Down, 0x10/0x20 part 5/6
inline constexpr int kBendRange1234 = 228; // s16 cents
inline constexpr int kBendRange56 = 230;
inline constexpr int kPortamento1234 = 232; // u16 0..127
inline constexpr int kPortamento56 = 234;
inline constexpr int kModRange1234 = 236; // s16 cents
inline constexpr int kModRange56 = 238;

inline int TuningEntry(int op, int mult) {
    return kTuningLists + 2 * (16 * op + mult);
}

inline uint16_t GetU16(const PatchExt& e, int at) {
    return static_cast<uint16_t>(e[at] | e[at + 1] << 8);
}
inline int16_t GetS16(const PatchExt& e, int at) {
    return static_cast<int16_t>(GetU16(e, at));
}
inline void PutU16(PatchExt& e, int at, int value) {
    e[at] = static_cast<uint8_t>(value & 0xFF);
    e[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

} // namespace vorpline::ext
