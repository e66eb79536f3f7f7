#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "presets/TFormParam.h"
#include "presets/TFormTuningEdit.h"
#include "qt/InfoDialog.h"
#include "qt/QtTestApp.h"

namespace vorpline {
namespace {

class ParamDialogsTest : public ::testing::Test {
protected:
    ParamDialogsTest() { test::QtTestApp(); }

    // Opens a dialog through `show` and lets `user` act on it while it runs modally; `user`
    // ends with OK or, when `escape`, with the Escape key.
    static void WhileModal(const std::function<void()>& show,
                           const std::function<void(QDialog&)>& user, bool escape, const char* ok) {
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            user(*dialog);
            if (escape) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            } else {
                Find<QPushButton>(*dialog, ok)->click();
            }
        });
        show();
    }

    template <typename Widget> static Widget* Find(QDialog& dialog, const char* name) {
        auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    QtUiService ui;
};

TEST_F(ParamDialogsTest, ParameterWidgetsAreBoundAndOnlyOkStores) {
    const PresetParameters start = {{1200, 300}, {2400, 2400}, {1, 0}, 0x10};
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "escape" : "ok");
        PresetParameters values = start;
        TFormParam form(values, "Vorpline 4.30");
        WhileModal([&] { ui.ShowParam(form); },
                   [](QDialog& d) {
                       EXPECT_EQ(d.windowTitle(), "Parameters - Vorpline 4.30");
                       auto* depth = Find<QSlider>(d, "TrackBarDepth56");
                       EXPECT_EQ(depth->singleStep(), 200);
                       EXPECT_EQ(depth->pageStep(), 600);
                       EXPECT_EQ(Find<QLabel>(d, "LabelMs1234")->text(), "1");
                       depth->setValue(4799);
                       Find<QSlider>(d, "TrackBarPortamento1234")->setValue(0);
                       EXPECT_EQ(Find<QLabel>(d, "LabelMs1234")->text(), "Off");
                       Find<QCheckBox>(d, "CheckBox56Release")->click();
                       Find<QCheckBox>(d, "CheckBox1234Attack")->click();
                       EXPECT_EQ(d.focusWidget(), Find<QPushButton>(d, "ButtonOk"));
                   },
                   escape, "ButtonOk");
        PresetParameters stored = start;
        stored.modulationRange[1] = 4799;
        stored.portamentoTime[0] = 0;
        stored.legatoFlags = 0x02;
        EXPECT_EQ(values, escape ? start : stored);
        EXPECT_FALSE(form.Visible());
    }
}

TEST_F(ParamDialogsTest, TuningWidgetsAreBoundAndOnlyOkStores) {
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "escape" : "ok");
        std::vector<std::string> list = {"+2400", "0 cents"};
        TFormTuningEdit form(5, list, "Vorpline 4.30");
        WhileModal([&] { ui.ShowTuningEdit(form); },
                   [](QDialog& d) {
                       EXPECT_EQ(d.windowTitle(), "Tuning 5 - Vorpline 4.30");
                       EXPECT_TRUE(Find<QRadioButton>(d, "RadioGroupOrderItem1")->isChecked());
                       EXPECT_TRUE(Find<QCheckBox>(d, "CheckBox5")->isChecked());
                       Find<QCheckBox>(d, "CheckBox16")->click();
                       Find<QCheckBox>(d, "CheckBox2")->click();
                   },
                   escape, "ButtonOkay");
        const std::vector<std::string> expected = escape
                                                      ? std::vector<std::string>{"+2400", "0 cents"}
                                                      : std::vector<std::string>{"+4690", "+2400"};
        EXPECT_EQ(list, expected);
        EXPECT_FALSE(form.Visible());
    }
}

} // namespace
} // namespace vorpline
