#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "presets/TFormTuningEdit.h"
#include "ui/MainFormFixture.h"
#include "ui/UiService.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using List = std::vector<std::string>;
using Order = TFormTuningEdit::Order;

// Hands out the given values in turn, again from the start when they run out.
TFormTuningEdit::RandomSource Sequence(std::vector<uint32_t> values) {
    return [values, next = size_t{0}]() mutable { return values[next++ % values.size()]; };
}

std::string Ticked(const TFormTuningEdit& form) {
    std::string ticked;
    for (const CheckBox& box : form.CheckBoxes) {
        ticked += box.Checked() ? '1' : '0';
    }
    return ticked;
}

TEST(TFormTuningEditTest, OpensWithTheDetectedOrderAndTheListTicked) {
    const struct {
        List list;
        Order order;
        const char* ticked;
    } cases[] = {
        {{}, TFormTuningEdit::kAscending, "0000000000000"},
        {{"-1200", "0 cents", "+4690"}, TFormTuningEdit::kAscending, "1100000000001"},
        {{"+2400", "0 cents"}, TFormTuningEdit::kDescending, "0100100000000"},
        {{"+1200", "+1200"}, TFormTuningEdit::kDescending, "0010000000000"},
        {{"+1200", "0 cents", "+2400"}, TFormTuningEdit::kRandom, "0110100000000"},
    };
    for (const auto& c : cases) {
        List list = c.list;
        TFormTuningEdit form(2, list, "Vorpline 4.30");
        SCOPED_TRACE(form.Caption());
        // As opened, and again after "Reset" undoes "Default".
        for (int pass = 0; pass < 2; ++pass) {
            EXPECT_EQ(form.RadioGroupOrder.ItemIndex(), c.order);
            EXPECT_EQ(Ticked(form), c.ticked);
            form.ButtonDefault.Click();
            form.ButtonReset.Click();
        }
    }
}

TEST(TFormTuningEditTest, OkBuildsTheListInTheChosenOrder) {
    auto tickOnly = [](std::vector<size_t> boxes, Order order) {
        return [boxes, order](TFormTuningEdit& f) {
            f.ButtonClear.Click();
            for (size_t box : boxes) {
                f.CheckBoxes.at(box).SetChecked(true);
            }
            f.RadioGroupOrder.SetItemIndex(order);
        };
    };
    const List all = {"-1200", "0 cents", "+1200", "+1900", "+2400", "+2790", "+3100",
                      "+3370", "+3600",   "+3800", "+3990", "+4300", "+4690"};
    const struct {
        const char* name;
        std::function<void(TFormTuningEdit&)> act;
        std::vector<uint32_t> random;
        List expected;
    } cases[] = {
        {"one, descending", tickOnly({3}, TFormTuningEdit::kDescending), {0}, {"+1900"}},
        {"one, random", tickOnly({3}, TFormTuningEdit::kRandom), {1}, {"+1900"}},
        {"nothing ticked", [](TFormTuningEdit& f) { f.ButtonClear.Click(); }, {0}, {"0 cents"}},
        {"default", [](TFormTuningEdit& f) { f.ButtonDefault.Click(); }, {0}, all},
        {"descending",
         tickOnly({0, 4, 12}, TFormTuningEdit::kDescending),
         {0},
         {"+4690", "+2400", "-1200"}},
        // i = 0 swaps with r = 0, i = 1 with r = 1: unchanged.
        {"random keeps", tickOnly({1, 2}, TFormTuningEdit::kRandom), {0, 1}, {"0 cents", "+1200"}},
        // i = 0 swaps with 1, i = 1 with itself.
        {"random swaps", tickOnly({1, 2}, TFormTuningEdit::kRandom), {1}, {"+1200", "0 cents"}},
        // Any 32-bit value is reduced to an index: 0xFFFFFFFF % 3 = 0, 5 % 3 = 2.
        {"random of three",
         tickOnly({1, 2, 3}, TFormTuningEdit::kRandom),
         {0xFFFFFFFF, 5, 0},
         {"+1200", "+1900", "0 cents"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        List list = {"+2400", "0 cents"};
        TFormTuningEdit form(1, list, "Vorpline 4.30", Sequence(c.random));
        form.Show();
        c.act(form);
        form.ButtonOkay.Click();
        EXPECT_EQ(list, c.expected);
        EXPECT_TRUE(form.Accepted());
        EXPECT_FALSE(form.Visible());
    }
}

// "Edit list" in an operator's multiplier box opens the editor for that operator; its OK
// becomes the box's list and the engine plays the entry the frame falls back to.
class TuningEditFromTheFrame : public MainFormFixture, public UiService {
protected:
    TuningEditFromTheFrame() { form.ui = this; }
    void ShowModal(TFormInfo&) override {}
    void ShowTuningEdit(TFormTuningEdit& dialog) override {
        captions.push_back(dialog.Caption());
        if (answer) {
            answer(dialog);
        } else {
            UiService::ShowTuningEdit(dialog);
        }
    }
    std::function<void(TFormTuningEdit&)> answer;
    std::vector<std::string> captions;
};

TEST_F(TuningEditFromTheFrame, OkReplacesTheListAndCancelKeepsIt) {
    ComboBox& box = form.FrameOp4.ComboBoxFreqMultiplier; // operator 2
    answer = [](TFormTuningEdit& d) {
        d.ButtonClear.Click();
        d.CheckBoxes[5].SetChecked(true); // "+2790"
        d.CheckBoxes[3].SetChecked(true); // "+1900"
        d.RadioGroupOrder.SetItemIndex(TFormTuningEdit::kDescending);
        d.ButtonOkay.Click();
    };
    box.UserSelect(box.Count() - 1);
    EXPECT_THAT(box.Items(), ElementsAre("+2790", "+1900", "Edit list"));
    EXPECT_EQ(box.Text(), "+2790");
    EXPECT_EQ(Reg(kRegFlags, 1, 0) & 0x0F, 5);

    answer = nullptr; // dismissed
    box.UserSelect(box.Count() - 1);
    EXPECT_THAT(box.Items(), ElementsAre("+2790", "+1900", "Edit list"));
    EXPECT_THAT(captions, ElementsAre("Tuning 2 - Vorpline 4.30", "Tuning 2 - Vorpline 4.30"));
}

} // namespace
} // namespace vorpline::test
