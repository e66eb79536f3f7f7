#include "cards/Mixer.h"

namespace vorpline {

void Mixer::SetVolumePan(int /*volume*/, int /*pan*/) {}

bool Mixer::GetVolumePan(int& volume, int& pan) {
    volume = kDefaultVolume;
    pan = 0;
    return false;
}

void Mixer::SetMute(bool /*on*/) {}

} // namespace vorpline
