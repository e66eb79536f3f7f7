#pragma once
#include "qt/ToolWindowView.h"

class QGroupBox;

namespace vorpline {

class Label;
class TFormBend;
class TFrameBend;

// The Circuit Bend window: the top bar (preset name and buttons, the master "Enable") over the
// groups "Register", "Data" and "CC" side by side. Each group holds its bend as eight rows b0
// to b7 ("Bit", "Short" as a three-position slider: forced 0, passed, forced 1, "Invert",
// "Connect") above the AND, OR and EOR masks and the buttons Rand., Flip and Reset; the CC group
// also has the "Receive" boxes. A fixed-size modeless tool window that follows the form; closing
// it only hides it. Main thread only; the form must outlive the window.
class BendWindow : public ToolWindowView {
public:
    explicit BendWindow(TFormBend& form, QWidget* parent = nullptr);

private:
    QWidget* MakeTopBar(TFormBend& form);
    // The group titled by `title`, holding `frame` (its widget named `frameName`).
    QGroupBox* MakeFrame(Label& title, TFrameBend& frame, const char* frameName);
    QWidget* MakeReceive(TFormBend& form, QWidget* parent);
};

} // namespace vorpline
