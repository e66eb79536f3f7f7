#pragma once
#include <vector>

#include "qt/ToolWindowView.h"

class QTimer;

namespace vorpline {

class LfoShapePlot;
class TFormLFO;

// The LFO window: the top bar (preset name and buttons, the auxiliary MIDI output, the
// calculator and the master enable) over the tabs "1 - 4" and "5 - 8", each with four LFO
// frames in a 2 x 2 grid (the first top left, the second below it, the third top right). A
// fixed-size modeless tool window that follows the form; closing it only hides it.
//
// While the window is shown a timer polls the LFOs about 30 times a second so each shape plot's
// marker follows its running LFO; hidden, nothing is polled. Main thread only; the form must
// outlive the window.
class LfoWindow : public ToolWindowView {
public:
    static constexpr int kPollMs = 33;

    explicit LfoWindow(TFormLFO& form, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* MakeTopBar(TFormLFO& form);
    QWidget* MakeTabs(TFormLFO& form);

    std::vector<LfoShapePlot*> plots;
    QTimer* poll = nullptr;
};

} // namespace vorpline
