#pragma once
#include "qt/FormDialog.h"

#include "ui/UiService.h"

namespace vorpline {

class TFormInfo;

// The information window: the message and one OK button; OK, Escape and the window manager's
// close all end it through the form's ButtonOk.
// Main thread only; the form must outlive the dialog.
class InfoDialog : public FormDialog {
public:
    explicit InfoDialog(TFormInfo& form, QWidget* parent = nullptr);
};

// The windowing side of the form logic for the Qt program: modal windows over `parent`.
class QtUiService : public UiService {
public:
    explicit QtUiService(QWidget* parent = nullptr) : parent(parent) {}
    void ShowModal(TFormInfo& info) override;
    void ShowParam(TFormParam& dialog) override;
    void ShowTuningEdit(TFormTuningEdit& dialog) override;
    void ShowCalc(TFormCalc& dialog) override;
    void ShowPerf(TFormPerf& dialog) override;

private:
    QWidget* parent;
};

} // namespace vorpline
