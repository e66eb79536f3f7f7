#pragma once
#include <memory>

class QWidget;

namespace vorpline {

class ToolWindow;

// The Qt view of a tool window, bound to it; null for a window without a view. Adding a tool
// window with a view is one entry in this file's table.
std::unique_ptr<QWidget> MakeToolView(ToolWindow& window, QWidget* parent);

} // namespace vorpline
