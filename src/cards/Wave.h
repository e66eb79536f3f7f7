#pragma once
#include "cards/Mixer.h"
#include "cards/VolumePan.h"

namespace vorpline {

class WaveOut;

// The mixer of the WAVE output: the device volume of the wave output, left and right level
// 0..31 each as level x 2048 (so 31 gives 0xF800, a little below full scale). Mute sets the
// device volume to 0 and keeps the levels for unmuting.
class Wave : public Mixer {
public:
    static constexpr int kStartLevel = 25;
    static constexpr int kStep = 2048;

    explicit Wave(WaveOut& output);

    void SetVolumePan(int volume, int pan) override;
    bool GetVolumePan(int& volume, int& pan) override;
    void SetMute(bool on) override;

private:
    void Apply();

    WaveOut& output;
    StereoLevels levels{kStartLevel, kStartLevel};
    bool muted = false;
};

} // namespace vorpline
