#pragma once
#include "presets/PresetWindow.h"

class QWidget;

namespace vorpline {

// The preset panel of a tool window, the same in every window that keeps presets: the name
// box with its "Preset" label above the buttons Save, Reset, Default and Delete, all bound to
// the window's controls. Main thread only.
QWidget* MakePresetPanel(QWidget* parent, const PresetWindow::Controls& controls);

} // namespace vorpline
