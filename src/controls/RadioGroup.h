#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// A captioned group of mutually exclusive choices. Changing the choice, from code or by the
// user, runs onClick.
class RadioGroup : public Control {
public:
    RadioGroup(std::string name, std::string caption, std::vector<std::string> items, int index = 0)
        : Control(std::move(name)), caption(std::move(caption)), items(std::move(items)),
          itemIndex(index) {}

    const std::string& Caption() const { return caption; }
    const std::vector<std::string>& Items() const { return items; }
    int ItemIndex() const { return itemIndex; }
    // Out-of-range values select nothing (-1).
    void SetItemIndex(int index) {
        if (index < 0 || index >= static_cast<int>(items.size())) {
            index = -1;
        }
        if (index == itemIndex) {
            return;
        }
        itemIndex = index;
        Changed();
        Fire(onClick);
    }

    std::function<void()> onClick;

private:
    std::string caption;
    std::vector<std::string> items;
    int itemIndex;
};

} // namespace vorpline
