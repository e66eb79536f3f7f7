#pragma once
#include <optional>
#include <string>

#include "controls/FileDialog.h"
#include "qt/FormDialog.h"

namespace vorpline {

class TFormPerf;

// The performance dialog: the list of performances with the title below it beside the boxes
// of every preset, bank, clock, tempo and enable, and the Load, Save, Reset, Delete and Close
// buttons with Export and Import; every widget bound to its control in TFormPerf. The title
// has the focus when it opens; Escape and the window manager's close run Close. While it exists
// it is the form's save and open file dialog.
// Main thread only; the form must outlive the dialog.
class PerfDialog : public FormDialog {
public:
    explicit PerfDialog(TFormPerf& form, QWidget* parent = nullptr);
    ~PerfDialog() override;
    PerfDialog(const PerfDialog&) = delete;
    PerfDialog& operator=(const PerfDialog&) = delete;

private:
    TFormPerf& form;
};

// An open-file dialog for `request` (title, start folder, filter); the chosen file, or nothing
// when the user cancels.
std::optional<std::string> ChooseOpenFile(const FileRequest& request, QWidget* parent);

} // namespace vorpline
