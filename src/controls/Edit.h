#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A one-line text field. Changing the text, from code or by the user, runs onChange; a key the
// user releases in it runs onKeyUp ('\r' for Enter, which is how most fields take their value).
class Edit : public Control {
public:
    Edit(std::string name, std::string text = {})
        : Control(std::move(name)), text(std::move(text)) {}

    const std::string& Text() const { return text; }
    void SetText(const std::string& value) {
        if (value == text) {
            return;
        }
        text = value;
        Changed();
        Fire(onChange);
    }

    void UserKeyUp(int key) {
        if (Enabled() && onKeyUp) {
            onKeyUp(key);
        }
    }

    std::function<void()> onChange;
    std::function<void(int key)> onKeyUp;

private:
    std::string text;
};

} // namespace vorpline
