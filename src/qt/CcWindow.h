#pragma once
#include "qt/ToolWindowView.h"

namespace vorpline {

class TFormCc;

// The control-change window: the grid of functions and their controller numbers (with its
// learning menu and the learning row highlighted) on the left; the preset panel, the log of
// incoming controllers with its "Enable" box and the reserved controllers on the right. A
// modeless tool window that follows the form; closing it only hides it (which ends learning).
// Main thread only; the form must outlive the window.
class CcWindow : public ToolWindowView {
public:
    explicit CcWindow(TFormCc& form, QWidget* parent = nullptr);

private:
    QWidget* MakeGrid(TFormCc& form);
    QWidget* MakeLog(TFormCc& form);
    QWidget* MakeHelp(TFormCc& form);
};

} // namespace vorpline
