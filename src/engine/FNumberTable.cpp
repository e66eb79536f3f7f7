#include "engine/FNumberTable.h"

#include <cmath>

namespace vorpline {

FNumberTable::FNumberTable() {
    // 65536 / 49716: F-number per Hz in block 4 at the chip's sample rate.
    constexpr double kFNumberPerHz = 1.3182074181350067;
    const double semitone = std::pow(2.0, 1.0 / 12.0);
    // Built by repeated multiplication from 220 Hz, so the values match the historical table
    // to the last unit.
    double f = 220.0 * semitone * semitone;
    for (int row = 0; row < kRows; ++row) {
        for (int c = 0; c < 100; ++c) {
            double value = f * std::pow(2.0, c / 1200.0) * kFNumberPerHz;
            entries[row * 100 + c] = static_cast<uint16_t>(std::trunc(value + 0.5));
        }
        f *= semitone;
    }
}

FNumber FNumberTable::Compute(int note, int cents) const {
    int n = note + cents / 100;
    int r = cents % 100;
    if (n >= 115) {
        return {0, 0, 0};
    }
    int s = ((n % 12) + 12) % 12;
    unsigned f = entries[r + s * 100 + 100];
    int block = 0;
    if (n >= 108) {
        block = 7;
        f *= 2;
    } else if (n >= 12) {
        block = n / 12 - 1;
    } else if (n >= 0) {
        f >>= 1;
    } else {
        int shift = std::abs((n + 1) / 12) + 2;
        f = shift >= 16 ? 0 : f >> shift;
    }
    return {static_cast<uint8_t>((block & 7) << 2), static_cast<uint8_t>(f & 0xFF),
            static_cast<uint8_t>((f >> 8) & 3)};
}

} // namespace vorpline
