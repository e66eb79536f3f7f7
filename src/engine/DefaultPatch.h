#pragma once
#include "engine/PatchRecord.h"

namespace vorpline {

// The built-in "Default" preset: Poly 6 on both parts, priority Last, all outputs on,
// algorithm "1>2>3>4 + 5>6" without feedback, and every operator at full volume with MULT 1,
// sine wave and all four envelope rates at 15 (so it sounds as a short click-like pluck).
PatchRecord DefaultPatchRecord();
PatchExt DefaultPatchExt(bool drumKitPresent = false);

} // namespace vorpline
