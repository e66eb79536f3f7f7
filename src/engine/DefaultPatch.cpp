#include "engine/DefaultPatch.h"

namespace vorpline {

PatchRecord DefaultPatchRecord() {
    PatchRecord patch;
    for (auto& op : patch.op) {
        op.reg = {0x01, 0x00, 0xFF, 0xFF, 0x00};
        op.tuning.fill(OperatorRecord::kNoTuningEntry);
    }
    patch.channel12 = 0x30;
    patch.channel34 = 0x30;
    patch.channel56 = 0x30;
    return patch;
}

PatchExt DefaultPatchExt(bool drumKitPresent) {
    PatchExt ext;
    ext[PatchExt::kOutputs] = 0x0F;
    ext[PatchExt::kMode1234] = 6;
    // With the drum kit, part 5/6 only has the three channels of bank 1.
    ext[PatchExt::kMode56] = drumKitPresent ? 3 : 6;
    ext[PatchExt::kPriority1234] = 2;
    ext[PatchExt::kPriority56] = 2;
    return ext;
}

} // namespace vorpline
