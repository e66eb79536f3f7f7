#pragma once
#include "cards/Mixer.h"
#include "engine/PortIo.h"

#include <cstdint>

namespace vorpline {

// The output volume of a Fortemedia FM801 card, in the card's 16-bit volume register at
// base + 2: bit 15 mute, bits 8..12 right attenuation, bits 0..4 left attenuation, each
// 31 - level (0 = full level). The 16-bit control register at base + 0x54 carries a bit 2 that
// stays set while this program uses the card and, in bits 6..7, the output attenuator.
// Every write is followed by one read of the same port, the card's settle time.
//
// The attenuator belongs to this card alone, so SetAttenuator lives here rather than in Mixer:
// the code that creates the mixer of an FM801 output keeps the typed object and calls it.
// Main thread only, like the PortIo passed in (which must outlive the mixer).
class FM801 final : public Mixer {
public:
    // Output attenuator settings, named after the divisor applied to the output.
    static constexpr int kAttenuatorOff = 1;
    static constexpr int kAttenuatorHalf = 2;
    static constexpr int kAttenuatorQuarter = 4;
    // The two 16-bit registers, from the card's base; each spans that port and the next.
    static constexpr uint16_t kVolumeOffset = 0x02;
    static constexpr uint16_t kControlOffset = 0x54;

    // Mutes the output, marks the card as in use and unmutes it again. Throws
    // std::invalid_argument if the card's ports would run past 0xFFFF; nothing is touched then.
    FM801(PortIo& io, uint16_t base);
    // Clears the in-use mark and leaves the output muted.
    ~FM801() override;

    // Writes even while muted; the mute bit is kept.
    void SetVolumePan(int volume, int pan) override;
    // Reads the register back from the card.
    bool GetVolumePan(int& volume, int& pan) override;
    void SetMute(bool on) override;

    // `divisor` is kAttenuatorOff, kAttenuatorHalf or kAttenuatorQuarter; anything else throws
    // std::invalid_argument without touching the card.
    void SetAttenuator(int divisor);

private:
    uint16_t ReadVolume();
    void WriteVolume(uint16_t value);
    void UpdateControl(uint16_t clearBits, uint16_t setBits);

    PortIo& io;
    uint16_t volumePort;
    uint16_t controlPort;
};

} // namespace vorpline
