#include "ui/UiService.h"

#include "modulation/TFormCalc.h"
#include "presets/TFormParam.h"
#include "presets/TFormPerf.h"
#include "presets/TFormTuningEdit.h"

namespace vorpline {

void UiService::ShowParam(TFormParam& dialog) {
    dialog.ButtonCancelClick();
}

void UiService::ShowTuningEdit(TFormTuningEdit& dialog) {
    dialog.ButtonCancelClick();
}

void UiService::ShowCalc(TFormCalc& dialog) {
    dialog.ButtonCancelClick();
}

void UiService::ShowPerf(TFormPerf& dialog) {
    dialog.ButtonCloseClick();
}

} // namespace vorpline
