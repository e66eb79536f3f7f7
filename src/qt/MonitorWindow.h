#pragma once
#include "qt/ToolWindowView.h"

class QAbstractButton;
class QPlainTextEdit;
class QTableWidget;
class QTimer;

namespace vorpline {

class TFormMonitor;

// The register monitor on screen: the record row (file name, "Record"/"Stop", status), the
// 512 registers as a grid of 32 rows (bank 0 then bank 1, 16 registers each) with changes
// tinted and fading, and the decoded channels and operators. A timer refreshes the form at
// 30 Hz while the window is shown and not at all while it is hidden.
// Main thread only; the form must outlive the window.
class MonitorWindow : public ToolWindowView {
public:
    explicit MonitorWindow(TFormMonitor& form, QWidget* parent = nullptr);

private:
    void Tick();
    void Redraw();
    void FollowShown();

    TFormMonitor& form;
    QTableWidget* grid = nullptr;
    QPlainTextEdit* decoded = nullptr;
    QAbstractButton* record = nullptr;
    QTimer* timer = nullptr;
};

} // namespace vorpline
