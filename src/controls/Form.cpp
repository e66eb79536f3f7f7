#include "controls/Form.h"

namespace vorpline {

void Form::ToggleShow(uint32_t nowMs, uint32_t doubleClickMs) {
    // The very first press always shows, whatever the clock says.
    uint32_t elapsed = toggledBefore ? nowMs - lastToggle : doubleClickMs;
    toggledBefore = true;
    lastToggle = nowMs;
    Restore();
    if (elapsed >= doubleClickMs) {
        Show();
        ++raiseCount;
        Changed();
    } else {
        Hide();
    }
}

} // namespace vorpline
