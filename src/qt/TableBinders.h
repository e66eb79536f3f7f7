#pragma once

class QTableWidget;
class QTreeWidget;

namespace vorpline {

class ReportList;
class ValueListGrid;

// Binders for the two table controls, in the manner of Binders.h (the widget follows the
// control; the user's actions go to the control's user-side methods). Main thread only; the
// control must outlive the widget.

// Two columns, names read-only and values editable; the current row and the marked row (drawn
// highlighted) follow the control. A finished edit runs UserEdit; a mouse press runs
// UserMouseDown (then the row the user moved to becomes current) and its release UserClick.
void BindValueListGrid(QTableWidget* widget, ValueListGrid& control);

// Rows under the column titles; columns given in `rightAligned` (a bit per column) are
// right-aligned. Bursts of changes (a controller sweep fills the log at MIDI rate) are drawn
// once per display frame.
void BindReportList(QTreeWidget* widget, ReportList& control, unsigned rightAligned = 0);

} // namespace vorpline
