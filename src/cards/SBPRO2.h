#pragma once
#include "cards/SB16.h"

namespace vorpline {

// The output volume of a Sound Blaster Pro 2 style mixer: both FM levels in register 0x26,
// left in the high nibble and right in the low nibble, 4 bits each. Otherwise as SB16.
class SBPRO2 final : public SB16 {
public:
    // Throws std::invalid_argument as SB16 does.
    SBPRO2(PortIo& io, uint16_t base);

private:
    static void WriteLevels(PortIo& io, uint16_t base, StereoLevels levels);
};

} // namespace vorpline
