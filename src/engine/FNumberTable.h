#pragma once
#include <array>
#include <cstdint>

namespace vorpline {

// Block and F-number as they go into registers 0xA0 (low byte) and 0xB0 (bits 0-4).
struct FNumber {
    uint8_t blockBits; // block << 2, ready to OR into 0xB0
    uint8_t low;       // F-number bits 0-7
    uint8_t high;      // F-number bits 8-9
};

// F-numbers of every cent of an octave, for block 4 at the chip's 49716 Hz.
// 13 rows of 100 cents: row 0 is the B below middle C (246.94 Hz), row 1 is C (261.63 Hz),
// row 12 the B above, so a negative cent remainder can read the row below its semitone.
class FNumberTable {
public:
    static constexpr int kRows = 13;
    static constexpr int kSize = kRows * 100;

    FNumberTable();

    uint16_t Entry(int index) const { return entries[index]; }

    // note 0..127, cents any signed value. Notes that land at 115 or above after adding the
    // whole semitones of the offset are silent (block 0, F-number 0).
    FNumber Compute(int note, int cents) const;

private:
    std::array<uint16_t, kSize> entries{};
};

} // namespace vorpline
