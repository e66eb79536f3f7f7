#pragma once
#include <vector>

#include <QWidget>

namespace vorpline {

class TFrameLFO;

// One cycle of an LFO as it sends it: the 7-bit values (0 at the bottom, 127 at the top) from
// its start phase round to the start phase again, computed by the LFO itself (TFrameLFO::
// ValueAt) from the current function, n, duty, amplitude, offset, flip, mirror, phase and
// duration, without the attack. Redrawn when any of those changes. A duration of 0 (the LFO
// cannot start) draws the shape over one bar of 96 ticks, greyed.
//
// While the LFO runs, a vertical marker stands at its position in the cycle; Poll, called by
// the window's timer, moves it. Main thread only; the frame must outlive the plot.
class LfoShapePlot : public QWidget {
public:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 48;

    explicit LfoShapePlot(TFrameLFO& frame, QWidget* parent = nullptr);

    // Follows the LFO's run state; repaints only when the marker moves.
    void Poll();
    // The marker's column inside the border (0..kWidth-3), or -1 while the LFO is stopped.
    int MarkerColumn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The cycle's values again, once a setting changed (a preset load changes many at once;
    // they are computed once, when next needed).
    void Refresh();
    int CurrentMarker() const;
    // The column of the value at `index` of the drawn cycle.
    int ColumnOf(int index) const;

    TFrameLFO& frame;
    // Values in cycle order: values[i] is sent at position (startPhase + i) mod duration.
    std::vector<int> values;
    int duration = 0;
    int startPhase = 0;
    // The LFO's own duration is 0: the cycle shown is a stand-in.
    bool standIn = false;
    int marker = -1;
    bool stale = true;
};

} // namespace vorpline
