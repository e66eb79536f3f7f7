#pragma once
#include "qt/ToolWindowView.h"

namespace vorpline {

class TFormRT;

// The clock window: the tick source, the internal timer's delay, resolution and tempo with the
// tap button, the tempo an outside MIDI clock is measured at, and the transport buttons Stop,
// Start and Cont. A fixed-size modeless tool window that follows the form; closing it only
// hides it. The tap button taps when pressed, not when released, so the tap lands on the beat.
// Main thread only; the form must outlive the window.
class ClockWindow : public ToolWindowView {
public:
    explicit ClockWindow(TFormRT& form, QWidget* parent = nullptr);

private:
    QWidget* MakeTimerGroup(TFormRT& form);
    QWidget* MakeTransport(TFormRT& form);
};

} // namespace vorpline
