#include "cards/VolumePan.h"

#include <algorithm>

namespace vorpline {

namespace {

constexpr int kMaxLevel = 31;
constexpr int kMinPan = -64;
constexpr int kMaxPan = 63;
// The registers hold 5 bits per channel.
constexpr int kLevelMask = 0x1F;

// Truncation toward zero, as a cast from floating point does.
int Truncate(double value) {
    return static_cast<int>(value);
}

} // namespace

StereoLevels VolumePan::ToLevels() const {
    const int v = std::clamp(volume, 0, kMaxLevel);
    const int p = std::clamp(pan, kMinPan, kMaxPan);
    StereoLevels levels{v, v};
    // The quieter side scales with the distance from its own end: 63 steps to the right of
    // centre, 64 to the left, so pan -64 and 63 each silence one side completely.
    if (p < 0) {
        levels.right = Truncate(v * (p + 64) / 63.0);
    } else if (p > 0) {
        levels.left = Truncate(v * (63 - p) / 64.0);
    }
    levels.left &= kLevelMask;
    levels.right &= kLevelMask;
    return levels;
}

VolumePan VolumePan::FromLevels(StereoLevels levels) {
    const int left = std::clamp(levels.left, 0, kMaxLevel);
    const int right = std::clamp(levels.right, 0, kMaxLevel);
    if (left > right) {
        return {left, Truncate(63.0 * right / left - 64.0)};
    }
    if (left < right) {
        return {right, Truncate(63.0 - 64.0 * left / right)};
    }
    return {left, 0};
}

} // namespace vorpline
