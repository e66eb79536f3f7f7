#pragma once
#include <functional>

class QString;
class QWidget;

namespace vorpline {

// An error message box (over `parent`, or the active window), its text also written to stderr.
void ShowError(const QString& text, QWidget* parent = nullptr);

// Runs what a user action set off. An exception escaping a handler is shown in a message box
// with its text ("Unknown exception" for anything that is not a standard exception) and the
// program carries on: one failed action must not end the session. Main thread only.
void Guarded(const std::function<void()>& action);

} // namespace vorpline
