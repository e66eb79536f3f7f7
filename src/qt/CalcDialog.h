#pragma once
#include "qt/FormDialog.h"

namespace vorpline {

class TFormCalc;

// The tick calculator: "Bars" (bars, "_" bars less, beats per bar), "Beats" and "Ticks (t)",
// each field taking its value on Enter, and OK (hidden for the plain converter) and Cancel.
// Escape and the window manager's close run Cancel. Main thread only; the form must outlive
// the dialog.
class CalcDialog : public FormDialog {
public:
    explicit CalcDialog(TFormCalc& form, QWidget* parent = nullptr);
};

} // namespace vorpline
