#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A tick box. Changing the tick, from code or by the user, runs onClick.
class CheckBox : public Control {
public:
    CheckBox(std::string name, std::string caption, bool checked = false)
        : Control(std::move(name)), caption(std::move(caption)), checked(checked) {}

    const std::string& Caption() const { return caption; }
    bool Checked() const { return checked; }
    void SetChecked(bool on) {
        if (on == checked) {
            return;
        }
        checked = on;
        Changed();
        Fire(onClick);
    }
    void Toggle() { SetChecked(!checked); }

    std::function<void()> onClick;

private:
    std::string caption;
    bool checked;
};

} // namespace vorpline
