#pragma once
#include "cards/SB16.h"

namespace vorpline {

// The output volume of an ESS Solo-1 (also used for the other ESS cards): both FM levels in mixer
// register 0x36 as (left × 16 + right) AND 0xFF. Bits 4..5 of the byte register at base + 7
// route the FM output: both clear while this program uses the card, bit 5 alone once it is
// done. Otherwise as SB16.
class Solo1 final : public SB16 {
public:
    // The FM routing byte, from the card's base.
    static constexpr uint16_t kRoutingOffset = 7;

    // Throws std::invalid_argument if the ports up to base + 7 would run past 0xFFFF.
    Solo1(PortIo& io, uint16_t base);
    ~Solo1() override;

private:
    static void WriteLevels(PortIo& io, uint16_t base, StereoLevels levels);
    void UpdateRouting(uint8_t setBits);
};

} // namespace vorpline
