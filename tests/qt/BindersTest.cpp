#include <memory>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "controls/RadioGroup.h"
#include "controls/TrackBar.h"
#include "qt/Binders.h"
#include "qt/QtTestApp.h"

namespace vorpline {
namespace {

class BindersTest : public ::testing::Test {
protected:
    BindersTest() { test::QtTestApp(); }
};

TEST_F(BindersTest, ListComboBoxRunsHandlersForTheUserOnly) {
    ComboBox control("ComboBoxBank", {"2op 5/6", "4op 1-4", "6op 1-6"}, 0);
    int selects = 0;
    control.onSelect = [&] { ++selects; };
    QComboBox widget;
    BindComboBox(&widget, control);
    EXPECT_EQ(widget.objectName(), "ComboBoxBank");
    EXPECT_EQ(widget.count(), 3);
    EXPECT_FALSE(widget.isEditable());

    QTest::keyClick(&widget, Qt::Key_Down);
    EXPECT_EQ(control.ItemIndex(), 1);
    EXPECT_EQ(selects, 1);

    control.SetItemIndex(2);
    EXPECT_EQ(widget.currentIndex(), 2);
    control.SetItems({"only"});
    EXPECT_EQ(widget.count(), 1);
    EXPECT_EQ(widget.currentIndex(), -1);
    control.SetEnabled(false);
    EXPECT_FALSE(widget.isEnabled());
    EXPECT_EQ(selects, 1) << "changes from code run no handler, also not through the widget";
}

TEST_F(BindersTest, EditableComboBoxTakesTypedTextAndKeys) {
    ComboBox control("ComboBoxPreset", {"Default", "Bells"}, 0, true);
    std::vector<std::string> changes;
    std::vector<int> keys;
    control.onChange = [&] { changes.push_back(control.Text()); };
    control.onKeyUp = [&](int key) { keys.push_back(key); };
    QComboBox widget;
    BindComboBox(&widget, control);
    ASSERT_TRUE(widget.isEditable());

    widget.lineEdit()->clear();
    QTest::keyClicks(widget.lineEdit(), "Bel");
    EXPECT_EQ(changes, (std::vector<std::string>{"B", "Be", "Bel"}));
    EXPECT_EQ(widget.lineEdit()->text(), "Bel") << "no completion, no item inserted";
    EXPECT_EQ(widget.count(), 2);
    QTest::keyClick(widget.lineEdit(), Qt::Key_L, Qt::NoModifier);
    EXPECT_EQ(control.ItemIndex(), ComboBox::kNone);

    QTest::keyRelease(&widget, Qt::Key_Return);
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys.back(), '\r');

    control.SetText("Bells");
    EXPECT_EQ(widget.currentIndex(), 1);
    control.SetText("Pad");
    EXPECT_EQ(widget.lineEdit()->text(), "Pad");
    EXPECT_EQ(changes.size(), 4u);
}

TEST_F(BindersTest, CheckBoxShowsWhatTheHandlerLeaves) {
    CheckBox control("CheckBoxMute", "Mute");
    CheckBox refusing("CheckBoxDamper", "Damper");
    refusing.onClick = [&] { refusing.SetChecked(false); };
    QCheckBox widget;
    QCheckBox refused;
    BindCheckBox(&widget, control);
    BindCheckBox(&refused, refusing);
    EXPECT_EQ(widget.text(), "Mute");

    widget.click();
    EXPECT_TRUE(control.Checked());
    control.SetChecked(false);
    EXPECT_FALSE(widget.isChecked());

    refused.click();
    EXPECT_FALSE(refusing.Checked());
    EXPECT_FALSE(refused.isChecked());
}

TEST_F(BindersTest, EditAndTrackBarFollowBothWays) {
    Edit edit("EditName");
    int edits = 0;
    edit.onChange = [&] { ++edits; };
    QLineEdit line;
    BindEdit(&line, edit);
    QTest::keyClicks(&line, "ab");
    EXPECT_EQ(edit.Text(), "ab");
    edit.SetText("xyz");
    EXPECT_EQ(line.text(), "xyz");
    EXPECT_EQ(edits, 3) << "one handler run per change, none echoed back by the widget";

    TrackBar bar("TrackBarVolume", 0, 31, 10, 4, 2);
    int moves = 0;
    bar.onChange = [&] { ++moves; };
    QSlider slider;
    BindTrackBar(&slider, bar);
    EXPECT_EQ(slider.maximum(), 31);
    EXPECT_EQ(slider.pageStep(), 4);
    EXPECT_EQ(slider.tickInterval(), 2);
    slider.setValue(20);
    EXPECT_EQ(bar.Position(), 20);
    bar.SetRange(0, 15);
    EXPECT_EQ(slider.maximum(), 15);
    EXPECT_EQ(slider.value(), 15);
    EXPECT_EQ(moves, 2);
}

TEST_F(BindersTest, RadioGroupBuildsItsButtonsAndCanSelectNone) {
    RadioGroup control("RadioGroupMode", "Mode", {"Legato", "Mono", "Poly"}, 0);
    int clicks = 0;
    control.onClick = [&] { ++clicks; };
    QGroupBox box;
    const auto buttons = BindRadioGroup(&box, control, 2);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(box.title(), "Mode");
    EXPECT_EQ(buttons[2]->text(), "Poly");
    EXPECT_TRUE(buttons[0]->isChecked());

    buttons[2]->click();
    EXPECT_EQ(control.ItemIndex(), 2);
    EXPECT_EQ(clicks, 1);
    control.SetItemIndex(-1);
    for (auto* button : buttons) {
        EXPECT_FALSE(button->isChecked());
    }
    control.SetEnabled(false);
    EXPECT_FALSE(box.isEnabled());
    EXPECT_FALSE(buttons[0]->isEnabled());
}

TEST_F(BindersTest, ButtonsLabelsAndListsAct) {
    Button button("ButtonSave", "Save", "Save the preset");
    Label label("LabelP1234", "0");
    ListBox list("ListBoxFiles", {"a.sbi", "b.sbi"});
    int presses = 0;
    int labelClicks = 0;
    int listClicks = 0;
    button.onClick = [&] { ++presses; };
    label.onClick = [&] { ++labelClicks; };
    list.onClick = [&] { ++listClicks; };

    QPushButton push;
    QAction action(nullptr);
    QLabel text;
    QListWidget rows;
    BindButton(&push, button);
    BindAction(&action, button);
    BindLabel(&text, label);
    BindListBox(&rows, list);

    EXPECT_EQ(push.text(), "Save");
    EXPECT_EQ(action.toolTip(), "Save the preset");
    push.click();
    action.trigger();
    button.SetEnabled(false);
    EXPECT_FALSE(push.isEnabled());
    EXPECT_FALSE(action.isEnabled());
    EXPECT_EQ(presses, 2);

    label.SetCaption("4");
    EXPECT_EQ(text.text(), "4");
    QTest::mouseClick(&text, Qt::LeftButton);
    EXPECT_EQ(labelClicks, 1);

    rows.setCurrentRow(1);
    EXPECT_EQ(list.ItemIndex(), 1);
    list.SetItemIndex(0);
    EXPECT_EQ(rows.currentRow(), 0);
    list.AddItem("c.sbi");
    EXPECT_EQ(rows.count(), 3);
    EXPECT_EQ(listClicks, 1);
}

TEST_F(BindersTest, WindowFollowsTheFormAndClosingHidesIt) {
    Form form("FormKBD", "Keyboard");
    auto window = std::make_unique<QWidget>();
    BindWindow(window.get(), form);
    EXPECT_FALSE(window->isVisible());
    form.Show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Keyboard");
    window->close();
    EXPECT_FALSE(form.Visible());
    form.Show();
    form.Hide();
    EXPECT_FALSE(window->isVisible());

    // A binding that outlived its window would drive freed memory here.
    window.reset();
    form.SetCaption("still bound?");
    form.Show();
}

TEST_F(BindersTest, FileFiltersBecomeQtFilters) {
    EXPECT_EQ(ToQtFileFilter("Wave files|*.wav|All files|*.*"),
              "Wave files (*.wav);;All files (*.*)");
    EXPECT_EQ(ToQtFileFilter("Presets|*.sbi;*.SBI"), "Presets (*.sbi *.SBI)");
    EXPECT_EQ(ToQtFileFilter(""), "");
}

} // namespace
} // namespace vorpline
