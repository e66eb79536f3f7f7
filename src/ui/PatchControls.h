#pragma once
#include "engine/PatchRecord.h"
#include "ui/PresetParameters.h"

namespace vorpline {

class TFormMain;

// The synth panel and a preset in memory: the panel's controls are the settings, a preset is
// built from them and shown back in them.
// Main thread only.

// Everything the panel shows (and `params`) as the two records of a preset file.
void BuildPatch(TFormMain& form, const PresetParameters& params, PatchRecord& patch, PatchExt& ext);

// Puts both records into the panel's controls. Controls whose handlers reach the engine
// directly (output boxes, operator frames, transposition, volume) pass the values on; choices
// the engine takes from ApplyPatch (algorithm, feedback, modes, priorities, depths) are only
// shown. Voice modes and priorities the panel cannot show are replaced in `ext` by what it
// shows, so ApplyPatch and the panel agree.
void ShowPatch(TFormMain& form, const PatchRecord& patch, PatchExt& ext);

// The parameter values a preset carries.
PresetParameters ParametersOf(const PatchExt& ext);

} // namespace vorpline
