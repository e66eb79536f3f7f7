#pragma once
#include <cstdint>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A window: its caption and whether it is shown. The view follows it; the logic of what the
// window does lives in the form class that owns one.
class Form : public Control {
public:
    Form(std::string name, std::string caption)
        : Control(std::move(name)), caption(std::move(caption)) {}

    const std::string& Caption() const { return caption; }
    void SetCaption(const std::string& value) {
        if (value != caption) {
            caption = value;
            Changed();
        }
    }
    bool Visible() const { return visible; }
    bool Minimized() const { return minimized; }
    void Show() { SetShown(true, false); }
    void Hide() { SetShown(false, minimized); }
    void Restore() { SetShown(visible, false); }

    // A button press shows the window (restored and on top); a second press within the
    // double-click time hides it again. `nowMs` is the millisecond clock.
    void ToggleShow(uint32_t nowMs, uint32_t doubleClickMs);
    // Bumped on every "bring to the top" so a view can raise its window.
    int RaiseCount() const { return raiseCount; }

private:
    void SetShown(bool shown, bool min) {
        if (shown != visible || min != minimized) {
            visible = shown;
            minimized = min;
            Changed();
        }
    }

    std::string caption;
    bool visible = false;
    bool minimized = false;
    uint32_t lastToggle = 0;
    bool toggledBefore = false;
    int raiseCount = 0;
};

} // namespace vorpline
