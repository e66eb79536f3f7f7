#pragma once
#include "qt/FormDialog.h"

namespace vorpline {

class TFormParam;

// The parameter dialog: the modulation and pitch-bend ranges of both parts with their values
// in cents, the portamento times with their "Off"/number labels, the legato boxes, and the
// Reset, Default, OK and Cancel buttons, every widget bound to its control in TFormParam.
// OK has the focus and answers Enter; Escape and the window manager's close run Cancel.
// Main thread only; the form must outlive the dialog.
class ParamDialog : public FormDialog {
public:
    explicit ParamDialog(TFormParam& form, QWidget* parent = nullptr);
};

} // namespace vorpline
