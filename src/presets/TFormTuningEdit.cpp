#include "presets/TFormTuningEdit.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <utility>

#include "engine/MultiplierCents.h"

namespace vorpline {

namespace {

// MULT values 0..15 whose cents differ from the MULT before them: the 13 distinct multipliers.
constexpr std::array<size_t, TFormTuningEdit::kBoxCount> kFirstMults = [] {
    std::array<size_t, TFormTuningEdit::kBoxCount> mults{};
    size_t count = 0;
    for (size_t mult = 0; mult < kMultiplierCentsTable.size(); ++mult) {
        if (mult == 0 || kMultiplierCentsTable[mult] != kMultiplierCentsTable[mult - 1]) {
            mults[count++] = mult;
        }
    }
    return mults;
}();

// Each box is numbered MULT + 1 of a MULT with its multiplier; x15 (MULT 14 and 15) carries
// the last number, 16.
constexpr std::array<int, TFormTuningEdit::kBoxCount> kBoxNumbers = {1, 2, 3,  4,  5,  6, 7,
                                                                     8, 9, 10, 11, 13, 16};

CheckBox MultiplierBox(size_t box) {
    return CheckBox("CheckBox" + std::to_string(kBoxNumbers[box]),
                    CentsText(kMultiplierCentsTable[kFirstMults[box]]));
}

template <size_t... Box>
std::array<CheckBox, TFormTuningEdit::kBoxCount> MultiplierBoxes(std::index_sequence<Box...>) {
    return {MultiplierBox(Box)...};
}

TFormTuningEdit::RandomSource ClockSeeded() {
    auto engine = std::make_shared<std::minstd_rand>(static_cast<std::minstd_rand::result_type>(
        std::chrono::steady_clock::now().time_since_epoch().count()));
    return [engine] { return static_cast<uint32_t>((*engine)()); };
}

} // namespace

TFormTuningEdit::TFormTuningEdit(int op, std::vector<std::string>& list,
                                 const std::string& applicationTitle, RandomSource random)
    : Form("FormTuningEdit", "Tuning " + std::to_string(op) + " - " + applicationTitle),
      CheckBoxes(MultiplierBoxes(std::make_index_sequence<kBoxCount>())),
      RadioGroupOrder("RadioGroupOrder", "Order", {"Ascending", "Descending", "Random"}),
      ButtonOkay("ButtonOkay", "OK"), ButtonCancel("ButtonCancel", "Cancel"),
      ButtonReset("ButtonReset", "Reset"), ButtonDefault("ButtonDefault", "Default"),
      ButtonClear("ButtonClear", "Clear"), list(list),
      random(random ? std::move(random) : ClockSeeded()), detected(DetectOrder(list)) {
    ButtonOkay.onClick = [this] { ButtonOkayClick(); };
    ButtonCancel.onClick = [this] { ButtonCancelClick(); };
    ButtonReset.onClick = [this] { ButtonResetClick(); };
    ButtonDefault.onClick = [this] { ButtonDefaultClick(); };
    ButtonClear.onClick = [this] { ButtonClearClick(); };
    ButtonResetClick();
}

TFormTuningEdit::Order TFormTuningEdit::DetectOrder(const std::vector<std::string>& list) {
    if (list.size() < 2) {
        return kAscending;
    }
    bool rising = false;
    bool falling = false;
    for (size_t i = 1; i < list.size(); ++i) {
        if (CentsFromText(list[i]) > CentsFromText(list[i - 1])) {
            rising = true;
        } else {
            falling = true;
        }
    }
    return rising && falling ? kRandom : (rising ? kAscending : kDescending);
}

void TFormTuningEdit::ButtonOkayClick() {
    std::vector<std::string> entries;
    for (const CheckBox& box : CheckBoxes) {
        if (box.Checked()) {
            entries.push_back(box.Caption());
        }
    }
    if (entries.empty()) {
        entries.push_back(CentsText(0));
    }
    const size_t n = entries.size();
    if (n >= 2 && RadioGroupOrder.ItemIndex() == kDescending) {
        std::reverse(entries.begin(), entries.end());
    } else if (n >= 2 && RadioGroupOrder.ItemIndex() == kRandom) {
        // Every entry swaps with one anywhere in the list, itself included.
        for (size_t i = 0; i < n; ++i) {
            std::swap(entries[i], entries[random() % n]);
        }
    }
    list = std::move(entries);
    accepted = true;
    Hide();
}

void TFormTuningEdit::ButtonCancelClick() {
    Hide();
}

void TFormTuningEdit::ButtonResetClick() {
    RadioGroupOrder.SetItemIndex(detected);
    for (CheckBox& box : CheckBoxes) {
        box.SetChecked(std::find(list.begin(), list.end(), box.Caption()) != list.end());
    }
}

void TFormTuningEdit::ButtonDefaultClick() {
    SetAll(kAscending, true);
}

void TFormTuningEdit::ButtonClearClick() {
    SetAll(kAscending, false);
}

void TFormTuningEdit::SetAll(Order order, bool ticked) {
    RadioGroupOrder.SetItemIndex(order);
    for (CheckBox& box : CheckBoxes) {
        box.SetChecked(ticked);
    }
}

} // namespace vorpline
