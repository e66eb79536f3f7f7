#include "ui/UiService.h"

#include "modulation/TFormCalc.h"
#include "presets/TFormParam.h"
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

} // namespace vorpline
