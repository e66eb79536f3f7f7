#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QSlider>

#include <gtest/gtest.h>

#include "dsp/TFormDSP.h"
#include "qt/DspWindow.h"
#include "qt/QtTestApp.h"

namespace vorpline {
namespace {

class DspWindowTest : public ::testing::Test {
protected:
    DspWindowTest() {
        test::QtTestApp();
        window = std::make_unique<DspWindow>(form);
    }

    template <typename Widget> Widget* Find(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    TFormDSP form{44100};
    std::unique_ptr<DspWindow> window;
};

TEST_F(DspWindowTest, UserActionsReachTheForm) {
    auto* pre = Find<QSlider>("TrackBarPre");
    auto* enable = Find<QCheckBox>("CheckBoxEnable");
    auto* filter = Find<QComboBox>("ComboBoxFilter");
    ASSERT_TRUE(pre && enable && filter);
    pre->setValue(100);
    EXPECT_EQ(form.TrackBarPre.Position(), 100);
    EXPECT_EQ(form.Parameters().preGain, TFormDSP::GainFactor(100));
    enable->click();
    EXPECT_TRUE(form.Parameters().enabled);
    emit filter->activated(3);
    EXPECT_EQ(form.Parameters().filterMode, 3);
    EXPECT_TRUE(Find<QSlider>("TrackBarResonance")->isEnabled());
}

TEST_F(DspWindowTest, WidgetsFollowTheForm) {
    auto* frequency = Find<QSlider>("TrackBarFrequency");
    auto* noise = Find<QComboBox>("ComboBoxNoise");
    ASSERT_TRUE(frequency && noise);
    EXPECT_FALSE(frequency->isEnabled());
    EXPECT_FALSE(noise->isEnabled());
    EXPECT_EQ(Find<QComboBox>("ComboBoxPatch")->currentText(),
              QStringLiteral("Input > Distort > Filter > Output"));

    form.SetFrequency(100);
    form.ComboBoxFilter.UserSelect(1);
    form.TrackBarCrush.SetPosition(4);
    EXPECT_EQ(frequency->value(), 100);
    EXPECT_TRUE(frequency->isEnabled());
    EXPECT_TRUE(noise->isEnabled());

    QStringList groups;
    for (auto* group : window->findChildren<QGroupBox*>()) {
        groups << group->title();
    }
    EXPECT_EQ(groups, (QStringList{"Amp", "Distortion", "Filter"}));
}

TEST_F(DspWindowTest, ShowsAndHidesWithTheForm) {
    EXPECT_FALSE(window->isVisible());
    form.SetCaption("DSP - Vorpline 4.30");
    form.ToggleShow(1000, 400);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("DSP - Vorpline 4.30"));
    window->close();
    EXPECT_FALSE(form.Visible()) << "closing only hides the window";
}

} // namespace
} // namespace vorpline
