#pragma once
#include "presets/TFormPerf.h"

namespace vorpline {

class Instrument;

// What a performance sets in this run: the synth panel's presets and bank, the clock, and each
// tool window that keeps presets (null where the configuration made none). Valid while the
// instrument's windows exist.
// Main thread only.
PerformanceTargets MakePerformanceTargets(Instrument& instrument);

// The "Perf." button: the performance dialog over the synth panel, through its UiService (the
// renderer has none, and nothing opens). Its questions go where the panel's presets ask theirs.
void RunPerformanceDialog(Instrument& instrument);

} // namespace vorpline
