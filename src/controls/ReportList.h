#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace vorpline {

// A read-only table of text rows under column titles, as a report list shows it. It has no
// handlers: the program fills it, the user only reads it.
class ReportList : public Control {
public:
    using Row = std::vector<std::string>;

    ReportList(std::string name, std::vector<std::string> columns, std::vector<Row> rows = {})
        : Control(std::move(name)), columns(std::move(columns)), rows(std::move(rows)) {}

    const std::vector<std::string>& Columns() const { return columns; }
    const std::vector<Row>& Rows() const { return rows; }
    // Puts `row` on top and drops rows from the bottom beyond `maxRows`.
    void InsertTop(Row row, std::size_t maxRows) {
        rows.insert(rows.begin(), std::move(row));
        if (rows.size() > maxRows) {
            rows.resize(maxRows);
        }
        Changed();
    }
    void Clear() {
        if (!rows.empty()) {
            rows.clear();
            Changed();
        }
    }

private:
    std::vector<std::string> columns;
    std::vector<Row> rows;
};

} // namespace vorpline
