#pragma once
#include <limits>

#include "engine/FNumberTable.h"

namespace vorpline {

// How long the chip's envelope stages take, by effective rate. The chip runs each stage at an
// effective rate 0..63: 4 * the register's rate nibble (AR, DR or RR) + the key-scaling
// offset, a rate nibble of 0 stopping the stage whatever the offset. From 60 up every rate is
// as fast as 60. Attenuation falls linearly in dB during decay and release (0.1875 dB steps,
// 511 of them to silence); the attack climbs in an exponential curve from silence to 0 dB.
struct EnvelopeTimes {
    double attackRiseMs; // attack, output amplitude from 10% to 90% of the top
    double attackMs;     // attack, key-on until the top (0 dB)
    double decayMs;      // decay or release from 0 dB to -96 dB
};

// A stage that never ends: rate 0 (effective rates 1..3 cannot occur and count as 0).
inline constexpr double kNever = std::numeric_limits<double>::infinity();

// Times for effective rate 0..63; rates outside are clamped.
const EnvelopeTimes& EnvelopeTimesAt(int effectiveRate);

// The key-scaling offset 0..15 of a channel playing `fnumber`: block * 2 + F-number bit 9
// (bit 8 when the note-select bit, register 0x08 bit 6, is set), divided by 4 with the
// operator's KSR off.
int KeyScaleOffset(const FNumber& fnumber, bool ksr, bool noteSelect = false);

// 4 * rate + offset for a rate nibble 0..15, 0 for rate 0, at most 63.
int EffectiveRate(int rate, int keyScaleOffset);

} // namespace vorpline
