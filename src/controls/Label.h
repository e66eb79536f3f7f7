#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A text on the panel; some labels are shortcuts that act when clicked.
class Label : public Control {
public:
    Label(std::string name, std::string caption, std::string hint = {})
        : Control(std::move(name)), caption(std::move(caption)), hint(std::move(hint)) {}

    const std::string& Caption() const { return caption; }
    void SetCaption(const std::string& value) {
        if (value != caption) {
            caption = value;
            Changed();
        }
    }
    const std::string& Hint() const { return hint; }
    bool Clickable() const { return static_cast<bool>(onClick); }
    void Click() {
        if (Enabled()) {
            Fire(onClick);
        }
    }

    std::function<void()> onClick;

private:
    std::string caption;
    std::string hint;
};

} // namespace vorpline
