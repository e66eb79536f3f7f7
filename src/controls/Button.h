#pragma once
#include <functional>
#include <string>

#include "controls/Control.h"

namespace vorpline {

// A push button, or a menu entry: a caption that acts when clicked while enabled.
class Button : public Control {
public:
    Button(std::string name, std::string caption, std::string hint = {})
        : Control(std::move(name)), caption(std::move(caption)), hint(std::move(hint)) {}

    const std::string& Caption() const { return caption; }
    // For buttons that name what they do next ("Record", then "Stop"); observers hear it.
    void SetCaption(const std::string& value) {
        if (value != caption) {
            caption = value;
            Changed();
        }
    }
    const std::string& Hint() const { return hint; }
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

using MenuItem = Button;

} // namespace vorpline
