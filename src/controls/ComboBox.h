#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// A drop-down list, optionally with an editable text that need not be one of the items.
//
// Handlers: setting the index or the text from code runs no handler (a form that wants the
// effect calls Change() or the setter it needs). The user's choice of an item runs onSelect if
// set, else onChange; typing runs onChange; a released key runs onKeyUp.
class ComboBox : public Control {
public:
    static constexpr int kNone = -1;

    explicit ComboBox(std::string name, std::vector<std::string> items = {}, int index = 0,
                      bool editable = false);

    const std::vector<std::string>& Items() const { return items; }
    int Count() const { return static_cast<int>(items.size()); }
    const std::string& Item(int index) const { return items.at(static_cast<size_t>(index)); }
    // Keeps the text if it is still an item (or the box is editable), else selects nothing.
    void SetItems(std::vector<std::string> newItems);
    void AddItem(std::string item);
    void RemoveItem(int index);
    void ClearItems();
    // First item equal to text, or kNone.
    int IndexOf(const std::string& text) const;

    int ItemIndex() const { return itemIndex; }
    // Out-of-range indexes select nothing. No handler.
    void SetItemIndex(int index);
    // The shown text: the selected item, or whatever was typed into an editable box.
    const std::string& Text() const { return text; }
    // Selects the matching item if there is one; an editable box keeps any text. No handler.
    void SetText(const std::string& value);
    bool Editable() const { return editable; }
    int DropDownCount() const { return dropDownCount; }
    void SetDropDownCount(int rows) { dropDownCount = rows; }

    // The user picks an item.
    void UserSelect(int index);
    // The user types into the box.
    void UserType(const std::string& value);
    // The user releases a key (Qt key code or '\r' for Enter).
    void UserKeyUp(int key);
    // Runs onChange as if the selection had changed.
    void Change() { Fire(onChange); }

    std::function<void()> onChange;
    std::function<void()> onSelect;
    std::function<void(int key)> onKeyUp;

private:
    std::vector<std::string> items;
    int itemIndex = kNone;
    std::string text;
    bool editable;
    int dropDownCount = 8;
};

} // namespace vorpline
