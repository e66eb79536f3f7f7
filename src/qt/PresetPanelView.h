#pragma once
#include "presets/PresetWindow.h"

class QString;
class QWidget;

namespace vorpline {

class CheckBox;

// The preset panel of a tool window, the same in every window that keeps presets: the name
// box with its "Preset" label above the buttons Save, Reset, Default and Delete, all bound to
// the window's controls. Main thread only.
QWidget* MakePresetPanel(QWidget* parent, const PresetWindow::Controls& controls);

// The same controls as one row, the top bar of a tool window: "Preset", the name box, Save,
// Delete, Reset and Default. The bar's layout is a QHBoxLayout; the window adds its own
// controls (Enable, ...) to its end.
QWidget* MakePresetBar(QWidget* parent, const QString& objectName,
                       const PresetWindow::Controls& controls);
// The preset bar with the window's master "Enable" at its right end.
QWidget* MakePresetBarWithEnable(QWidget* parent, const QString& objectName,
                                 const PresetWindow::Controls& controls, CheckBox& enable);

} // namespace vorpline
