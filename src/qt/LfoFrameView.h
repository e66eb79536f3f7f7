#pragma once
#include <QFrame>

class QMenu;

namespace vorpline {

class LfoShapePlot;
class PopupMenu;
class TFrameLFO;

// One LFO of the LFO window: its number and enable, where it sends and what it receives, its
// trigger and filters, function, n and cycles, the shape plot beside flip, mirror and their
// automation, and the eight track bars with their value labels. Right-clicking a track bar
// opens its pop-up menu; clicking a track bar's label resets the setting.
// Main thread only; the frame must outlive the view.
class LfoFrameView : public QFrame {
public:
    explicit LfoFrameView(TFrameLFO& frame, QWidget* parent = nullptr);

    LfoShapePlot* Plot() const { return plot; }

    // A Qt menu mirroring `menu` and its sub-menus, each entry bound to its item; radio
    // entries show their mark as it stands whenever the menu opens.
    static QMenu* MakeMenu(PopupMenu& menu, QWidget* parent);

private:
    QWidget* MakeSettings(TFrameLFO& frame);
    QWidget* MakeShapeRow(TFrameLFO& frame);
    QWidget* MakeTrackBars(TFrameLFO& frame);

    LfoShapePlot* plot = nullptr;
};

} // namespace vorpline
