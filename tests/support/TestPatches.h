#pragma once
#include <utility>

#include "engine/PatchRecord.h"

namespace vorpline::test {

// A patch that holds a pure tone: every modulator silent, carriers 4 and 6 at full level with
// the sustained envelope type, instant attack, no decay, a short release. Both parts in Poly 6.
inline std::pair<PatchRecord, PatchExt> SustainedSine() {
    PatchRecord patch;
    for (int op = 0; op < 6; ++op) {
        bool carrier = op == 3 || op == 5;
        patch.op[static_cast<size_t>(op)].reg = {0x21, static_cast<uint8_t>(carrier ? 0x00 : 0x3F),
                                                 0xF0, 0x08, 0x00};
    }
    patch.channel12 = patch.channel34 = patch.channel56 = 0x30;
    PatchExt ext;
    ext[PatchExt::kOutputs] = 0x0F;
    ext[PatchExt::kMode1234] = ext[PatchExt::kMode56] = 6;
    ext[PatchExt::kPriority1234] = ext[PatchExt::kPriority56] = 2;
    // What a stored preset also carries: master volume 25, the whole keyboard for both parts,
    // a bend range of an octave.
    ext[10] = 25;
    ext[207] = ext[209] = 10;
    ext[228] = ext[230] = 1200 & 0xFF;
    ext[229] = ext[231] = 1200 >> 8;
    return {patch, ext};
}

} // namespace vorpline::test
