#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A one-line text field. Changing the text, from code or by the user, runs onChange.
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

    std::function<void()> onChange;

private:
    std::string text;
};

} // namespace vorpline
