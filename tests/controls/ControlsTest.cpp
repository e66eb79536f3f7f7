#include <gtest/gtest.h>

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/RadioGroup.h"
#include "controls/TrackBar.h"

namespace vorpline {
namespace {

TEST(Controls, SettersThatRunTheirHandlerDoSoOnlyOnRealChange) {
    int changes = 0;
    TrackBar bar("TrackBarVolume", 0, 63, 10);
    bar.onChange = [&] { ++changes; };
    bar.SetPosition(10);
    EXPECT_EQ(changes, 0);
    bar.SetPosition(70);
    EXPECT_EQ(bar.Position(), 63) << "clamped";
    EXPECT_EQ(changes, 1);
    bar.SetRange(0, 15);
    EXPECT_EQ(bar.Position(), 15);
    EXPECT_EQ(changes, 2);

    CheckBox box("CheckBoxMute", "Mute");
    box.onClick = [&] { ++changes; };
    box.SetChecked(true);
    box.SetChecked(true);
    box.Toggle();
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(changes, 4);

    Edit edit("EditPre", "3");
    edit.onChange = [&] { ++changes; };
    edit.SetText("3");
    edit.SetText("4");
    EXPECT_EQ(changes, 5);

    RadioGroup group("RadioGroupType", "Type", {"A", "B"}, 0);
    group.onClick = [&] { ++changes; };
    group.SetItemIndex(1);
    group.SetItemIndex(9);
    EXPECT_EQ(group.ItemIndex(), -1);
    EXPECT_EQ(changes, 7);
}

TEST(Controls, ComboBoxSelectionFromCodeIsSilentFromTheUserNot) {
    int changes = 0;
    int selects = 0;
    ComboBox box("ComboBoxCNT", {"a", "b", "c"}, 0);
    box.onChange = [&] { ++changes; };
    box.SetItemIndex(2);
    EXPECT_EQ(box.Text(), "c");
    EXPECT_EQ(changes, 0);
    box.UserSelect(1);
    EXPECT_EQ(changes, 1);
    box.onSelect = [&] { ++selects; };
    box.UserSelect(0);
    EXPECT_EQ(changes, 1) << "onSelect takes the user's choice when set";
    EXPECT_EQ(selects, 1);
    box.SetEnabled(false);
    box.UserSelect(2);
    EXPECT_EQ(box.ItemIndex(), 0) << "a disabled box ignores the user";
    // A fixed list refuses foreign text and keeps its selection.
    box.SetText("zzz");
    EXPECT_EQ(box.Text(), "a");
    box.SetItemIndex(7);
    EXPECT_EQ(box.ItemIndex(), ComboBox::kNone);
    EXPECT_EQ(box.Text(), "");
}

TEST(Controls, EditableComboBoxKeepsTextThatIsNoItem) {
    ComboBox box("ComboBoxTranspose", {"-1200", "0 cents", "+1200"}, 1, true);
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.UserType("+700");
    EXPECT_EQ(box.Text(), "+700");
    EXPECT_EQ(box.ItemIndex(), ComboBox::kNone);
    EXPECT_EQ(changes, 1);
    box.SetText("+1200");
    EXPECT_EQ(box.ItemIndex(), 2);
    box.RemoveItem(0);
    EXPECT_EQ(box.ItemIndex(), 1) << "the selection follows its item";
    EXPECT_EQ(box.IndexOf("0 cents"), 0);
    box.SetItems({"x"});
    EXPECT_EQ(box.Text(), "+1200");
    EXPECT_EQ(box.ItemIndex(), ComboBox::kNone);
}

TEST(Controls, ObserversHearEveryChange) {
    TrackBar bar("TrackBarPan", -64, 63, 0);
    int seen = 0;
    int id = bar.Observe([&] { ++seen; });
    bar.SetPosition(5);
    bar.SetEnabled(false);
    bar.SetEnabled(false);
    EXPECT_EQ(seen, 2);
    bar.Unobserve(id);
    bar.SetPosition(6);
    EXPECT_EQ(seen, 2);
}

TEST(Controls, ToggleShowShowsThenHidesOnAQuickSecondPress) {
    Form window("FormDSP", "DSP");
    window.ToggleShow(1000, 500);
    EXPECT_TRUE(window.Visible());
    window.ToggleShow(1200, 500);
    EXPECT_FALSE(window.Visible());
    window.ToggleShow(1800, 500);
    EXPECT_TRUE(window.Visible());
    EXPECT_EQ(window.RaiseCount(), 2);
    // The millisecond clock wraps; a short interval across the wrap is still short.
    window.ToggleShow(0xFFFFFFF0u, 500);
    window.ToggleShow(0x10u, 500);
    EXPECT_FALSE(window.Visible());
}

} // namespace
} // namespace vorpline
