#pragma once
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "controls/Button.h"

namespace vorpline {

// A pop-up menu or one of its sub-menus: entries in order, each either an action (its item's
// Click runs it) or a sub-menu whose title is the item's caption. A radio entry carries a mark
// its owner computes when asked, so the mark never goes stale. Entries stay where they are for
// the menu's life, so a view may keep pointers to them.
// Main thread only.
class PopupMenu {
public:
    struct Entry {
        Entry(std::string name, std::string caption) : item(std::move(name), std::move(caption)) {}
        bool IsRadio() const { return static_cast<bool>(radioMark); }
        bool Checked() const { return radioMark && radioMark(); }

        MenuItem item;
        std::unique_ptr<PopupMenu> submenu; // null for an action
        std::function<bool()> radioMark;    // set for a radio entry
    };

    explicit PopupMenu(std::string name) : name(std::move(name)) {}
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    const std::string& Name() const { return name; }
    const std::vector<std::unique_ptr<Entry>>& Entries() const { return entries; }

    MenuItem& Add(std::string caption, std::function<void()> action,
                  std::function<bool()> radioMark = {}) {
        Entry& entry = NewEntry(std::move(caption));
        entry.item.onClick = std::move(action);
        entry.radioMark = std::move(radioMark);
        return entry.item;
    }
    PopupMenu& AddSubmenu(std::string caption) {
        Entry& entry = NewEntry(caption);
        entry.submenu = std::make_unique<PopupMenu>(name + "." + caption);
        return *entry.submenu;
    }

    // The entry reached through sub-menus by captions, e.g. {"4 (16)", "96 (1)"}; null if the
    // path leads nowhere.
    Entry* Find(std::initializer_list<std::string_view> path) const {
        const PopupMenu* menu = this;
        Entry* found = nullptr;
        for (std::string_view caption : path) {
            if (menu == nullptr) {
                return nullptr;
            }
            found = nullptr;
            for (const auto& entry : menu->entries) {
                if (entry->item.Caption() == caption) {
                    found = entry.get();
                    break;
                }
            }
            if (found == nullptr) {
                return nullptr;
            }
            menu = found->submenu.get();
        }
        return found;
    }

private:
    Entry& NewEntry(std::string caption) {
        std::string itemName = name + "." + std::to_string(entries.size());
        entries.push_back(std::make_unique<Entry>(std::move(itemName), std::move(caption)));
        return *entries.back();
    }

    std::string name;
    std::vector<std::unique_ptr<Entry>> entries;
};

} // namespace vorpline
