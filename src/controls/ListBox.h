#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// A list with one selected row. Selecting from code runs no handler; the user's click runs
// onClick, a double click onDblClick, a released key onKeyUp ('\r' for Enter) and the list
// taking the keyboard focus onEnter.
class ListBox : public Control {
public:
    explicit ListBox(std::string name, std::vector<std::string> items = {})
        : Control(std::move(name)), items(std::move(items)) {}

    const std::vector<std::string>& Items() const { return items; }
    void SetItems(std::vector<std::string> newItems) {
        items = std::move(newItems);
        if (itemIndex >= static_cast<int>(items.size())) {
            itemIndex = -1;
        }
        Changed();
    }
    void AddItem(std::string item) {
        items.push_back(std::move(item));
        Changed();
    }
    int ItemIndex() const { return itemIndex; }
    void SetItemIndex(int index) {
        itemIndex = index >= 0 && index < static_cast<int>(items.size()) ? index : -1;
        Changed();
    }
    void UserClick(int index) {
        if (!Enabled()) {
            return;
        }
        SetItemIndex(index);
        Fire(onClick);
    }

    void UserDblClick() {
        if (Enabled()) {
            Fire(onDblClick);
        }
    }
    void UserKeyUp(int key) {
        if (Enabled() && onKeyUp) {
            onKeyUp(key);
        }
    }
    void UserEnter() {
        if (Enabled()) {
            Fire(onEnter);
        }
    }

    std::function<void()> onClick;
    std::function<void()> onDblClick;
    std::function<void(int key)> onKeyUp;
    std::function<void()> onEnter;

private:
    std::vector<std::string> items;
    int itemIndex = -1;
};

} // namespace vorpline
