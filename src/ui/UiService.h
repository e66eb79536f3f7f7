#pragma once

namespace vorpline {

class TFormCalc;
class TFormInfo;
class TFormParam;
class TFormPerf;
class TFormTuningEdit;

// What the form logic needs from the windowing side that a control cannot express: running a
// window modally. The Qt program implements it with real dialogs; the command-line renderer
// and tests provide their own.
// Main thread only.
class UiService {
public:
    virtual ~UiService() = default;
    // Shows the window and returns once the user has closed it (ButtonOk).
    virtual void ShowModal(TFormInfo& info) = 0;
    // The dialogs below return once the user has closed them by either button; the form holds
    // the outcome. A windowing side without them (the renderer, tests that never open them)
    // dismisses them unchanged, as Escape would.
    virtual void ShowParam(TFormParam& dialog);
    virtual void ShowTuningEdit(TFormTuningEdit& dialog);
    virtual void ShowCalc(TFormCalc& dialog);
    virtual void ShowPerf(TFormPerf& dialog);
};

} // namespace vorpline
