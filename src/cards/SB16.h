#pragma once
#include "cards/Mixer.h"
#include "cards/VolumePan.h"
#include "engine/PortIo.h"

#include <cstdint>

namespace vorpline {

// The output volume of a Sound Blaster 16 style mixer (also the ALS4000, whose mixer sits at
// its base + 0x10): mixer register number to base + 4, value to base + 5, each write followed
// by one read of the same port. The FM levels go to register 0x34 (left) and 0x35 (right) as
// level × 8, the 5-bit level in the top bits.
//
// The card's registers are write-only in practice, so the levels live here. Muting writes level
// 0 and keeps the stored levels; volume changes while muted are stored and written on unmute.
//
// The SB Pro 2 and Solo-1 mixers work the same way with other level registers; they derive from
// this class and pass their own level writer. Main thread only, like the PortIo passed in (which
// must outlive the mixer).
class SB16 : public Mixer {
public:
    static constexpr int kStartLevel = 25;
    // Mixer register number and value ports, from the card's base.
    static constexpr uint16_t kIndexOffset = 4;
    static constexpr uint16_t kDataOffset = 5;

    // Writes the start levels. Throws std::invalid_argument if the index and data ports would
    // run past 0xFFFF; nothing is touched then.
    SB16(PortIo& io, uint16_t base);
    // Leaves the FM levels at 0.
    ~SB16() override;

    void SetVolumePan(int volume, int pan) override;
    bool GetVolumePan(int& volume, int& pan) override;
    void SetMute(bool on) override;

protected:
    // Writes `levels` (each 0..31) to the card's level registers.
    using LevelWriter = void (*)(PortIo& io, uint16_t base, StereoLevels levels);

    // For derived mixers: `lastPort` is the highest port offset the mixer touches, checked like
    // the index and data ports.
    SB16(PortIo& io, uint16_t base, uint16_t lastPort, LevelWriter writer);

    // Writes `value` to mixer register `index`.
    static void WriteRegister(PortIo& io, uint16_t base, uint8_t index, uint8_t value);

    PortIo& Io() { return io; }
    uint16_t Base() const { return base; }

private:
    static void WriteSb16Levels(PortIo& io, uint16_t base, StereoLevels levels);

    PortIo& io;
    uint16_t base;
    LevelWriter writer;
    StereoLevels levels{kStartLevel, kStartLevel};
    bool muted = false;
};

} // namespace vorpline
