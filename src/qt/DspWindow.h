#pragma once
#include "qt/ToolWindowView.h"

namespace vorpline {

class TFormDSP;

// The DSP window: patch order, defaults and enable on top, then the "Amp", "Distortion" and
// "Filter" groups, every widget bound to its control in TFormDSP. A fixed-size modeless tool
// window that shows and hides as the form says (the main window's DSP button toggles it);
// closing it only hides it. Main thread only; the form must outlive the window.
class DspWindow : public ToolWindowView {
public:
    explicit DspWindow(TFormDSP& form, QWidget* parent = nullptr);

private:
    QWidget* MakeTopPanel(TFormDSP& form);
    QWidget* MakeAmpGroup(TFormDSP& form);
    QWidget* MakeDistortionGroup(TFormDSP& form);
    QWidget* MakeFilterGroup(TFormDSP& form);
};

} // namespace vorpline
