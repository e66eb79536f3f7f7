#pragma once

namespace vorpline {

// The per-channel levels of a card mixer: 0 (silent) to 31 (full), one step per 5-bit
// register step.
struct StereoLevels {
    int left = 0;
    int right = 0;

    bool operator==(const StereoLevels&) const = default;
};

// The output volume as the user sets it: volume 0..31 (the louder channel's level) and pan
// -64 (left only) .. 63 (right only), 0 centred. Both directions truncate toward zero, so a
// level pair converted to volume/pan and back gives the same levels, while a pan value may come
// back a few steps off, the more so the lower the volume (at most 2 at volume 31): 32 levels
// cannot tell 128 pan positions apart.
struct VolumePan {
    int volume = 0;
    int pan = 0;

    bool operator==(const VolumePan&) const = default;

    // Volume and pan outside their ranges are clamped first.
    StereoLevels ToLevels() const;
    // Levels outside 0..31 are clamped first.
    static VolumePan FromLevels(StereoLevels levels);
};

} // namespace vorpline
