#include <QImage>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include "qt/EnvelopePicture.h"
#include "qt/OperatorFrameView.h"
#include "qt/QtTestApp.h"
#include "ui/TFrameOp.h"

namespace vorpline {
namespace {

void Wheel(QWidget* widget, int notches) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

TEST(EnvelopePictureTest, FollowsTheSlidersAndTheChosenNote) {
    test::QtTestApp();
    TFrameOp frame(2, "FrameOp7");
    OperatorFrameView view(frame, "/nonexistent");
    auto* picture = view.findChild<EnvelopePicture*>(QStringLiteral("EnvelopePicture"));
    auto* attack = view.findChild<QSlider*>(QStringLiteral("TrackBarAttack"));
    ASSERT_TRUE(picture && attack);
    ASSERT_EQ(picture, view.Envelope());
    EXPECT_EQ(picture->Note(), 60);
    // All rates at 15: over within a few ms.
    EXPECT_EQ(picture->AxisMs(), 10);

    QImage before = picture->grab().toImage();
    attack->setValue(3);
    EXPECT_EQ(frame.TrackBarAttack.Position(), 3);
    EXPECT_NE(picture->grab().toImage(), before);
    // A slow attack stretches the axis: effective rate 14, about half a second to the top.
    EXPECT_EQ(picture->AxisMs(), 1000);

    // The wheel moves the note; with rate scaling a higher note is faster, without it and at
    // the same block it is not.
    const struct {
        int notches;
        bool rateScaling;
        int note;
        bool faster;
    } steps[] = {{1, false, 61, false}, {35, true, 96, true}, {40, true, 127, false}};
    for (const auto& step : steps) {
        frame.CheckBoxRateScaling.SetChecked(step.rateScaling);
        const double was = picture->Curve().attackMs;
        before = picture->grab().toImage();
        Wheel(picture, step.notches);
        EXPECT_EQ(picture->Note(), step.note);
        EXPECT_EQ(picture->Curve().attackMs < was, step.faster) << step.note;
        EXPECT_NE(picture->grab().toImage(), before) << step.note; // the note's name at least
    }
}

} // namespace
} // namespace vorpline
