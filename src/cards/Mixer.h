#pragma once

namespace vorpline {

// The output volume control of one output road. This base class is the mixer of outputs that
// have none (the chip on a card without a reachable mixer, the chip on the parallel port): it
// accepts every call and changes nothing. Card mixers derive from it and drive the card's
// registers; volume is 0..31 and pan -64..63 as in VolumePan.
// Main thread only, like the PortIo the card mixers drive.
class Mixer {
public:
    // What GetVolumePan reports for an output without a mixer.
    static constexpr int kDefaultVolume = 25;

    Mixer() = default;
    virtual ~Mixer() = default;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    virtual void SetVolumePan(int volume, int pan);
    // Fills in the current volume and pan; returns whether the output is muted.
    virtual bool GetVolumePan(int& volume, int& pan);
    virtual void SetMute(bool on);
};

} // namespace vorpline
