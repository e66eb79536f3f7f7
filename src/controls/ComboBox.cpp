#include "controls/ComboBox.h"

#include <algorithm>

namespace vorpline {

ComboBox::ComboBox(std::string name, std::vector<std::string> items, int index, bool editable)
    : Control(std::move(name)), items(std::move(items)), editable(editable) {
    SetItemIndex(index);
}

void ComboBox::SetItems(std::vector<std::string> newItems) {
    items = std::move(newItems);
    int match = IndexOf(text);
    itemIndex = match;
    if (match == kNone && !editable) {
        text.clear();
    }
    Changed();
}

void ComboBox::AddItem(std::string item) {
    items.push_back(std::move(item));
    Changed();
}

void ComboBox::RemoveItem(int index) {
    if (index < 0 || index >= Count()) {
        return;
    }
    items.erase(items.begin() + index);
    if (itemIndex == index) {
        itemIndex = kNone;
        if (!editable) {
            text.clear();
        }
    } else if (itemIndex > index) {
        --itemIndex;
    }
    Changed();
}

void ComboBox::ClearItems() {
    items.clear();
    itemIndex = kNone;
    if (!editable) {
        text.clear();
    }
    Changed();
}

int ComboBox::IndexOf(const std::string& value) const {
    auto it = std::find(items.begin(), items.end(), value);
    return it == items.end() ? kNone : static_cast<int>(it - items.begin());
}

void ComboBox::SetItemIndex(int index) {
    if (index < 0 || index >= Count()) {
        itemIndex = kNone;
        if (!editable) {
            text.clear();
        }
    } else {
        itemIndex = index;
        text = items[static_cast<size_t>(index)];
    }
    Changed();
}

void ComboBox::SetText(const std::string& value) {
    int match = IndexOf(value);
    if (match == kNone && !editable) {
        return;
    }
    text = value;
    itemIndex = match;
    Changed();
}

void ComboBox::UserSelect(int index) {
    if (!Enabled() || index < 0 || index >= Count()) {
        return;
    }
    SetItemIndex(index);
    if (onSelect) {
        onSelect();
    } else {
        Fire(onChange);
    }
}

void ComboBox::UserType(const std::string& value) {
    if (!Enabled() || !editable) {
        return;
    }
    SetText(value);
    Fire(onChange);
}

void ComboBox::UserKeyUp(int key) {
    if (Enabled() && onKeyUp) {
        onKeyUp(key);
    }
}

} // namespace vorpline
