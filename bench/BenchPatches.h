#pragma once
#include "engine/OPL3.h"
#include "engine/PatchRecord.h"

namespace vorpline::bench {

// Every operator audible and held (sustained envelope, instant attack, no decay, feedback on):
// with six notes on each part all 18 channels of the chip sound, the heaviest load there is.
inline PatchRecord LoudPatch() {
    PatchRecord patch;
    for (auto& op : patch.op) {
        op.reg = {0x21, 0x10, 0xF0, 0x00, 0x00};
    }
    patch.channel12 = patch.channel34 = patch.channel56 = 0x31;
    return patch;
}

// Both parts Poly 6, priority Last, all outputs on.
inline PatchExt PolySix() {
    PatchExt ext;
    ext[PatchExt::kOutputs] = 0x0F;
    ext[PatchExt::kMode1234] = ext[PatchExt::kMode56] = 6;
    ext[PatchExt::kPriority1234] = ext[PatchExt::kPriority56] = 2;
    return ext;
}

// Six held notes on each part: every channel of the chip sounds.
inline void StrikeAllVoices(OPL3& engine) {
    engine.ApplyPatch(LoudPatch(), PolySix());
    for (uint8_t v = 0; v < 6; ++v) {
        engine.Part(OPL3::kPart1234).NoteOn(static_cast<uint8_t>(48 + 3 * v), 100, 0);
        engine.Part(OPL3::kPart56).NoteOn(static_cast<uint8_t>(50 + 3 * v), 100, 0);
    }
}

} // namespace vorpline::bench
