#pragma once
#include "qt/ToolWindowView.h"

namespace vorpline {

class TFormSeq;

// The sequencer window: the top bar (preset name and buttons, the master enable) over the
// twelve step rows, step 1 at the top, each reading "If [pitch class] wait [ticks] play
// [semitones] for [ticks] [Enable]" behind a panel that shows the step's number, "W" while it
// waits or "P" while it plays. A fixed-size modeless tool window that follows the form;
// closing it only hides it. Main thread only; the form must outlive the window.
class SeqWindow : public ToolWindowView {
public:
    explicit SeqWindow(TFormSeq& form, QWidget* parent = nullptr);

private:
    QWidget* MakeTopBar(TFormSeq& form);
};

} // namespace vorpline
