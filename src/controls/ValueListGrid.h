#pragma once
#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// A two-column grid of fixed names and free-text values, one row per name: rows can be neither
// added nor removed and names never change; values are whatever was typed. Rows count from 0
// (the title row is not a row); -1 means no row.
//
// Changing a value, from code or by the user, runs onStringsChange unless the caller asks for
// silence (a bulk change that is followed by one notice of its own). The grid also remembers
// its current row and one marked row, which the view highlights (the row that is learning).
class ValueListGrid : public Control {
public:
    ValueListGrid(std::string name, std::vector<std::string> keys, std::vector<std::string> values)
        : Control(std::move(name)), keys(std::move(keys)), values(std::move(values)) {
        this->values.resize(this->keys.size());
    }

    int RowCount() const { return static_cast<int>(keys.size()); }
    const std::vector<std::string>& Keys() const { return keys; }
    const std::vector<std::string>& Values() const { return values; }
    const std::string& Value(int row) const { return values.at(static_cast<size_t>(row)); }
    // Lines "name=value" in row order.
    std::vector<std::string> Strings() const {
        std::vector<std::string> lines;
        for (size_t i = 0; i < keys.size(); ++i) {
            lines.push_back(keys[i] + "=" + values[i]);
        }
        return lines;
    }

    // Rows outside the grid are ignored.
    void SetValue(int row, const std::string& text, bool notify = true) {
        if (!Valid(row) || values[static_cast<size_t>(row)] == text) {
            return;
        }
        values[static_cast<size_t>(row)] = text;
        Changed();
        if (notify) {
            Fire(onStringsChange);
        }
    }
    // The user's typing into a value cell.
    void UserEdit(int row, const std::string& text) {
        if (Enabled()) {
            SetValue(row, text);
        }
    }

    int Row() const { return row; }
    void SetRow(int value) { Set(row, Valid(value) ? value : -1); }
    int MarkedRow() const { return markedRow; }
    void SetMarkedRow(int value) { Set(markedRow, Valid(value) ? value : -1); }

    // A mouse button went down on `row` (-1: the title row or below the last row) in `column`
    // (0 names, 1 values); `right` for the right button. Then a left click runs onClick.
    void UserMouseDown(int atRow, int column, bool right) {
        if (Enabled() && onMouseDown) {
            onMouseDown(atRow, column, right);
        }
    }
    void UserClick() {
        if (Enabled()) {
            Fire(onClick);
        }
    }

    std::function<void()> onStringsChange;
    std::function<void(int row, int column, bool right)> onMouseDown;
    std::function<void()> onClick;

private:
    bool Valid(int value) const { return value >= 0 && value < RowCount(); }
    void Set(int& field, int value) {
        if (field != value) {
            field = value;
            Changed();
        }
    }

    std::vector<std::string> keys;
    std::vector<std::string> values;
    int row = -1;
    int markedRow = -1;
};

} // namespace vorpline
