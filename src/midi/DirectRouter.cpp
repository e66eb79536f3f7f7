#include "midi/DirectRouter.h"

#include "engine/OPL3.h"
#include "engine/PitchControl.h"

namespace vorpline {

void DirectRouter::Route(uint8_t status, uint8_t data1, uint8_t data2) {
    if (status < 0x80 || status >= 0xF0 || (status & 0x0F) != channel) {
        return;
    }
    data1 &= 0x7F;
    data2 &= 0x7F;
    for (int part = 0; part < 2; ++part) {
        switch (status & 0xF0) {
        case 0x90:
            if (data2 != 0) {
                pitch.NoteOn(part, data1, data2);
                break;
            }
            [[fallthrough]];
        case 0x80:
            pitch.NoteOff(part, data1);
            break;
        case 0xE0:
            pitch.PitchBend(part, data2 * 128 + data1);
            break;
        case 0xB0:
            if (data1 == 64) {
                chip.DamperUpdate(part, data2);
            }
            break;
        default:
            break;
        }
    }
}

} // namespace vorpline
