#pragma once
#include <optional>
#include <string>

#include <QDialog>

#include "config/TFormPort.h"

class QPushButton;

namespace vorpline {

// The window of the output configuration dialog: every widget bound to its control in
// TFormPort, the form's OK and Cancel handlers close it, Escape counts as Cancel. While it
// exists it is the form's save-file service. Main thread only.
class PortDialog : public QDialog {
public:
    explicit PortDialog(TFormPort& form, QWidget* parent = nullptr);
    ~PortDialog() override;
    PortDialog(const PortDialog&) = delete;
    PortDialog& operator=(const PortDialog&) = delete;

private:
    TFormPort& form;
};

// The modal step of TFormPort::Execute: shows the dialog until OK or Cancel.
void ExecPortDialog(TFormPort& form, QWidget* parent = nullptr);

// A save-file dialog for `request` (title, start folder, filter, default extension, overwrite
// question); the chosen file, or nothing when the user cancels.
std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request, QWidget* parent);

} // namespace vorpline
