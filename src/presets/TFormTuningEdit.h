#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/Form.h"
#include "controls/RadioGroup.h"

namespace vorpline {

// The tuning list editor of one operator: which of the chip's 13 distinct frequency
// multipliers the operator's multiplier box offers, and in which order a controller or an LFO
// stepping through the box walks them. It edits the box's cents entries (without the final
// "Edit list" command); only "OK" rewrites them.
// Main thread only; `list` must outlive the form.
class TFormTuningEdit : public Form {
public:
    static constexpr int kBoxCount = 13;
    enum Order { kAscending, kDescending, kRandom };
    // Any 32-bit value; "Random" reduces it to an index.
    using RandomSource = std::function<uint32_t()>;

    // `op` is the operator number 1..6. Caption "Tuning " + op + " - " + `applicationTitle`;
    // the order is detected from `list` and the boxes show it ("Reset"). Without a `random`
    // source a generator seeded from the clock shuffles.
    TFormTuningEdit(int op, std::vector<std::string>& list, const std::string& applicationTitle,
                    RandomSource random = {});

    // True once "OK" has rewritten the list.
    bool Accepted() const { return accepted; }
    // The order the list had when the editor opened.
    Order DetectedOrder() const { return detected; }
    // "Ascending" for fewer than two entries; otherwise each neighbouring pair counts as
    // ascending when the second value is greater, descending otherwise (equal included), and
    // a mixture is "Random". Entries are read as whole numbers ("0 cents" is 0).
    static Order DetectOrder(const std::vector<std::string>& list);

    // Handlers.
    void ButtonOkayClick();
    void ButtonCancelClick();
    void ButtonResetClick();
    void ButtonDefaultClick();
    void ButtonClearClick();

    // One box per distinct multiplier in ascending order: CheckBox1 "-1200" .. CheckBox16
    // "+4690", each numbered MULT + 1 of a MULT value that has its cents.
    std::array<CheckBox, kBoxCount> CheckBoxes;
    // "Ascending", "Descending", "Random"
    RadioGroup RadioGroupOrder;
    Button ButtonOkay;
    Button ButtonCancel;
    Button ButtonReset;
    Button ButtonDefault;
    Button ButtonClear;

private:
    void SetAll(Order order, bool ticked);

    std::vector<std::string>& list;
    RandomSource random;
    Order detected;
    bool accepted = false;
};

} // namespace vorpline
