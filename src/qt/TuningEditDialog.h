#pragma once
#include "qt/FormDialog.h"

namespace vorpline {

class TFormTuningEdit;

// The tuning list editor: the 13 multiplier boxes in ascending order, the "Order" choice and
// the Reset, Default, Clear, OK and Cancel buttons, every widget bound to its control in
// TFormTuningEdit. OK has the focus and answers Enter; Escape and the window manager's close
// run Cancel.
// Main thread only; the form must outlive the dialog.
class TuningEditDialog : public FormDialog {
public:
    explicit TuningEditDialog(TFormTuningEdit& form, QWidget* parent = nullptr);
};

} // namespace vorpline
