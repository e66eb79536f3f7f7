#include <functional>
#include <memory>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "midi/CcMap.h"
#include "midi/MidiPortSystem.h"
#include "modulation/LfoShape.h"
#include "modulation/TFormLFO.h"
#include "qt/Binders.h"
#include "qt/LfoFrameView.h"
#include "qt/LfoShapePlot.h"
#include "qt/LfoWindow.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

using Setting = TFrameLFO::TickSetting;

class NoOutputs : public MidiOutPortSystem {
public:
    std::vector<std::string> ListOutputs() override { return {}; }
    int Open(std::size_t) override { return kMidiBadDeviceId; }
    int Send(uint32_t) override { return kMidiOk; }
    int Reset() override { return kMidiOk; }
    int Close() override { return kMidiOk; }
};

class LfoWindowTest : public ::testing::Test {
protected:
    LfoWindowTest() {
        test::QtTestApp();
        window = std::make_unique<LfoWindow>(form);
        form.Show();
    }

    LfoFrameView* Frame(int i) {
        auto* frame = window->findChild<LfoFrameView*>(QStringLiteral("FrameLFO%1").arg(i));
        EXPECT_NE(frame, nullptr) << i;
        return frame;
    }
    template <typename Widget> Widget* In(int i, const char* name) {
        auto* widget = Frame(i)->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    TFrameLFO& Lfo(int i) { return form.FrameLFO[static_cast<size_t>(i)]; }
    QImage Picture(int i) { return Frame(i)->Plot()->grab().toImage(); }
    // The topmost row of `column` inside the plot that the curve's colour reaches.
    int CurveTop(const QImage& image, int column) {
        const QRgb curve = Frame(0)->Plot()->palette().color(QPalette::Highlight).rgb();
        for (int y = 1; y < image.height() - 1; ++y) {
            if (image.pixel(column, y) == curve) {
                return y;
            }
        }
        return -1;
    }

    test::TempDir dir;
    NoOutputs outputs;
    CcNumberTable numbers = kDefaultCcNumbers;
    TFormLFO form{
        dir.path, {[] { return std::string("Vorpline"); }, [](const std::string&) {}, nullptr},
        outputs,  {kCcFunctionNames.begin(), kCcFunctionNames.end()},
        &numbers, {}};
    std::unique_ptr<LfoWindow> window;
};

TEST_F(LfoWindowTest, TabsShowFourFramesInTwoColumns) {
    auto* tabs = window->findChild<QTabWidget*>(QStringLiteral("PageControlLFO"));
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("5 - 8"));
    EXPECT_TRUE(Frame(0)->isVisible());
    EXPECT_FALSE(Frame(4)->isVisible());
    EXPECT_EQ(Frame(1)->x(), Frame(0)->x());
    EXPECT_GT(Frame(1)->y(), Frame(0)->y()) << "the second LFO below the first";
    EXPECT_GT(Frame(2)->x(), Frame(0)->x()) << "the third to the right";
    EXPECT_EQ(Frame(2)->y(), Frame(0)->y());

    tabs->setCurrentIndex(1);
    EXPECT_EQ(form.PageControlLFO.ItemIndex(), TFormLFO::kTabSheet5678);
    EXPECT_TRUE(Frame(4)->isVisible());
    EXPECT_FALSE(Frame(0)->isVisible());
    form.PageControlLFO.SetItemIndex(TFormLFO::kTabSheet1234);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(In<QLabel>(5, "PanelOsc")->text(), QStringLiteral("6"));
}

TEST_F(LfoWindowTest, ControlsLabelsAndMenusReachTheFrame) {
    In<QSlider>(1, "TrackBarAmplitude")->setValue(100);
    EXPECT_EQ(Lfo(1).TrackBarAmplitude.Position(), 100);
    EXPECT_EQ(In<QLabel>(1, "LabelAmplitudeVal")->text(), QStringLiteral("+/- 100"));
    QTest::mouseClick(In<QLabel>(1, "LabelAmplitude"), Qt::LeftButton);
    EXPECT_EQ(Lfo(1).TrackBarAmplitude.Position(), 64) << "the label resets it";

    auto action = [this](std::initializer_list<std::string_view> path) {
        const PopupMenu::Entry* entry = Lfo(1).PopupMenuDuration.Find(path);
        EXPECT_NE(entry, nullptr);
        return entry ? Frame(1)->findChild<QAction*>(ToQString(entry->item.Name())) : nullptr;
    };
    QAction* bars16 = action({"4 (16)", "1536 (16)"});
    ASSERT_NE(bars16, nullptr);
    EXPECT_EQ(bars16->text(), QStringLiteral("1536 (16)"));
    bars16->trigger();
    auto* duration = In<QSlider>(1, "TrackBarDuration");
    EXPECT_EQ(Lfo(1).ResolutionMultiplier(Setting::Duration), 4);
    EXPECT_EQ(duration->maximum(), 768);
    EXPECT_EQ(duration->value(), 384);
    EXPECT_EQ(In<QLabel>(1, "LabelDurationVal")->text(), QStringLiteral("1536t"));

    // The resolution items carry the mark of the multiplier in force when the menu opens.
    auto* resolution = Frame(1)->findChild<QMenu*>(QStringLiteral("PopupMenuDuration.Resolution"));
    ASSERT_NE(resolution, nullptr);
    emit resolution->aboutToShow();
    EXPECT_TRUE(action({"Resolution", "4t (3072)"})->isChecked());
    EXPECT_FALSE(action({"Resolution", "1t (192)"})->isChecked());
    action({"Resolution", "8t (12288)"})->trigger();
    EXPECT_EQ(Lfo(1).Ticks(Setting::Duration), 1536);
    EXPECT_EQ(duration->maximum(), 1536);
    EXPECT_EQ(duration->value(), 192);
}

TEST_F(LfoWindowTest, ThePlotRedrawsForEverySettingThatShapesTheCycle) {
    Lfo(0).SetTicks(Setting::Duration, 96);
    const QImage saw = Picture(0);
    const std::function<void()> changes[] = {
        [&] { emit In<QComboBox>(0, "ComboBoxFunction")->activated(kLfoSquare); },
        [&] { Lfo(0).CheckBoxFlip.SetChecked(true); },
        [&] { In<QSlider>(0, "TrackBarAmplitude")->setValue(32); },
        [&] { Lfo(0).TrackBarAngle.SetPosition(90); },
        [&] { Lfo(0).CheckBoxMirror.SetChecked(true); },
        [&] { Lfo(0).TrackBarDuty.SetPosition(25); },
        [&] { Lfo(0).TrackBarOffset.SetPosition(32); },
    };
    QImage before = saw;
    for (size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        const QImage after = Picture(0);
        EXPECT_NE(after, before) << "change " << i;
        before = after;
    }

    // What is drawn is what is sent: the saw rises from the bottom, the square starts high
    // (64 + 64, held to 127) and falls to 0 half way.
    Lfo(0).Reset();
    Lfo(0).SetTicks(Setting::Duration, 96);
    const int left = 10;
    const int right = LfoShapePlot::kWidth - 10;
    const QImage rising = Picture(0);
    EXPECT_GT(CurveTop(rising, left), CurveTop(rising, right));
    Lfo(0).ComboBoxFunction.UserSelect(kLfoSquare);
    const QImage square = Picture(0);
    EXPECT_EQ(CurveTop(square, left), 1);
    EXPECT_EQ(CurveTop(square, right), LfoShapePlot::kHeight - 2);
}

TEST_F(LfoWindowTest, TheMarkerFollowsTheRunningLfoWhileTheWindowIsShown) {
    Lfo(0).SetTicks(Setting::Duration, 96);
    LfoShapePlot* plot = Frame(0)->Plot();
    const QImage stopped = Picture(0);
    EXPECT_EQ(plot->MarkerColumn(), -1);

    form.CheckBoxEnable.SetChecked(true);
    Lfo(0).CheckBoxEnable.SetChecked(true); // trigger "Start": runs at once
    ASSERT_TRUE(Lfo(0).Running());
    for (int tick = 0; tick < 48; ++tick) {
        form.ClockTick();
    }
    // Half way through the cycle, half way across the plot's inside.
    const int middle = 48 * (LfoShapePlot::kWidth - 2) / 96;
    EXPECT_TRUE(QTest::qWaitFor([&] { return plot->MarkerColumn() == middle; }, 2000));
    EXPECT_NE(Picture(0), stopped);

    form.ClockStop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return plot->MarkerColumn() == -1; }, 2000));
    EXPECT_EQ(Picture(0), stopped);
}

} // namespace
} // namespace vorpline
