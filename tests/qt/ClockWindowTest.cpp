#include <memory>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "modulation/TFormRT.h"
#include "platform/VirtualTimerService.h"
#include "qt/ClockWindow.h"
#include "qt/QtTestApp.h"

namespace vorpline {
namespace {

class ClockWindowTest : public ::testing::Test {
protected:
    ClockWindowTest() {
        test::QtTestApp();
        window = std::make_unique<ClockWindow>(form);
        form.Show();
    }

    template <typename Widget> Widget* Find(const char* name) {
        auto* widget = window->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    VirtualTimerService timers;
    TFormRT form{timers, nullptr, {}, nullptr};
    std::unique_ptr<ClockWindow> window;
};

TEST_F(ClockWindowTest, TypedTempoTakesEffectOnReturnOnly) {
    auto* bpm = Find<QLineEdit>("EditBPM");
    auto* delay = Find<QComboBox>("ComboBoxDEL");
    ASSERT_TRUE(bpm && delay);
    const struct {
        const char* typed;
        Qt::Key key;
        const char* delay;
        const char* bpm;
    } cases[] = {{"120", Qt::Key_Return, "21", "120"},
                 {"50", Qt::Key_Tab, "21", "50"},
                 {"0", Qt::Key_Enter, "25", "100"}};
    for (const auto& c : cases) {
        bpm->selectAll();
        QTest::keyClicks(bpm, QString::fromLatin1(c.typed));
        QTest::keyClick(bpm, c.key);
        EXPECT_EQ(delay->currentText(), QString::fromLatin1(c.delay)) << c.typed;
        EXPECT_EQ(bpm->text(), QString::fromLatin1(c.bpm)) << c.typed;
    }
    EXPECT_TRUE(form.TimerRunning());
}

TEST_F(ClockWindowTest, TapsCountOnThePressAndShowTheTempo) {
    auto* tap = Find<QToolButton>("SpeedButtonBPM");
    ASSERT_NE(tap, nullptr);
    EXPECT_EQ(tap->text(), QStringLiteral("?"));
    for (int i = 0; i < 3; ++i) {
        timers.AdvanceBy(400);
        QTest::mousePress(tap, Qt::LeftButton);
        if (i == 1) {
            EXPECT_EQ(Find<QLineEdit>("EditBPM")->text(), QStringLiteral("150"))
                << "shown before the button is released";
        }
        QTest::mouseRelease(tap, Qt::LeftButton);
    }
    EXPECT_EQ(form.EditBPM.Text(), "150");
}

TEST_F(ClockWindowTest, SourceAndTransportReachTheForm) {
    auto* midiClock = Find<QRadioButton>("RadioGroupSRCItem1");
    auto* timer = Find<QRadioButton>("RadioGroupSRCItem0");
    ASSERT_TRUE(midiClock && timer);
    form.SetSource(0);
    EXPECT_TRUE(timer->isChecked());
    midiClock->click();
    EXPECT_EQ(form.RadioGroupSRC.ItemIndex(), 1);
    EXPECT_FALSE(form.TimerRunning());
    form.SetSource(0);
    EXPECT_TRUE(timer->isChecked());
    EXPECT_FALSE(midiClock->isChecked());
    EXPECT_TRUE(form.TimerRunning());
    QTest::mouseClick(Find<QWidget>("ButtonStop"), Qt::LeftButton);
    EXPECT_FALSE(form.TimerRunning());
    QTest::mouseClick(Find<QWidget>("ButtonCont"), Qt::LeftButton);
    EXPECT_TRUE(form.TimerRunning());
}

} // namespace
} // namespace vorpline
