#include "cards/Wave.h"

#include "audio/WaveOut.h"

namespace vorpline {

Wave::Wave(WaveOut& output) : output(output) {
    Apply();
}

void Wave::Apply() {
    if (muted) {
        output.SetVolume(0, 0);
    } else {
        output.SetVolume(static_cast<uint16_t>(levels.left * kStep),
                         static_cast<uint16_t>(levels.right * kStep));
    }
}

void Wave::SetVolumePan(int volume, int pan) {
    levels = VolumePan{volume, pan}.ToLevels();
    Apply();
}

bool Wave::GetVolumePan(int& volume, int& pan) {
    VolumePan vp = VolumePan::FromLevels(levels);
    volume = vp.volume;
    pan = vp.pan;
    return muted;
}

void Wave::SetMute(bool on) {
    muted = on;
    Apply();
}

} // namespace vorpline
