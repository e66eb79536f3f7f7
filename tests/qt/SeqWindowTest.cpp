#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include "modulation/TFormSeq.h"
#include "qt/QtTestApp.h"
#include "qt/SeqWindow.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class SeqWindowTest : public ::testing::Test {
protected:
    SeqWindowTest() {
        test::QtTestApp();
        window = std::make_unique<SeqWindow>(form);
        form.Show();
    }

    QWidget* Row(int i) {
        auto* row = window->findChild<QWidget*>(QStringLiteral("FrameNote%1").arg(i));
        EXPECT_NE(row, nullptr) << i;
        return row;
    }
    template <typename Widget> Widget* In(int i, const char* name) {
        auto* widget = Row(i)->findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Panel(int i) { return In<QLabel>(i, "PanelNoteId")->text(); }

    test::TempDir dir;
    int posted = 0;
    TFormSeq form{dir.path,
                  {[] { return std::string("Vorpline"); }, [](const std::string&) {}, nullptr},
                  [this](uint32_t, uint32_t) { ++posted; }};
    std::unique_ptr<SeqWindow> window;
};

TEST_F(SeqWindowTest, TwelveRowsReadLeftToRightAndReachTheirSteps) {
    for (int i = 0; i < TFormSeq::kStepCount; ++i) {
        EXPECT_EQ(Panel(i), QString::number(i + 1));
        if (i > 0) {
            EXPECT_GT(Row(i)->y(), Row(i - 1)->y()) << "step " << i + 1 << " below";
        }
    }
    EXPECT_LT(In<QWidget>(4, "PanelNoteId")->x(), In<QWidget>(4, "ComboBoxIf")->x());
    EXPECT_LT(In<QWidget>(4, "ComboBoxFor")->x(), In<QWidget>(4, "CheckBoxEnable")->x());
    EXPECT_EQ(In<QComboBox>(4, "ComboBoxWait")->currentText(), QStringLiteral("15"));

    TFrameNote& step = form.FrameNote[4];
    emit In<QComboBox>(4, "ComboBoxIf")->activated(8);
    QLineEdit* play = In<QComboBox>(4, "ComboBoxPlay")->lineEdit();
    play->clear();
    QTest::keyClicks(play, "-5");
    In<QCheckBox>(4, "CheckBoxEnable")->click();
    auto* top = window->findChild<QWidget*>(QStringLiteral("PanelSEQ"));
    ASSERT_NE(top, nullptr);
    top->findChild<QCheckBox*>(QStringLiteral("CheckBoxEnable"))->click();
    EXPECT_TRUE(form.CheckBoxEnable.Checked());
    EXPECT_EQ(step.ComboBoxIf.Text() + step.ComboBoxPlay.Text(), "G-5");
    EXPECT_TRUE(step.CheckBoxEnable.Checked());

    // The panel follows the step: wait 2, length 1.
    step.ComboBoxWait.UserType("2");
    step.ComboBoxFor.UserType("1");
    form.ClockNote(67, 100, true);
    EXPECT_EQ(Panel(4), QStringLiteral("W"));
    QString shown;
    for (int tick = 0; tick < 3; ++tick) {
        form.ClockTick();
        shown += Panel(4);
    }
    EXPECT_EQ(shown, QStringLiteral("WP5"));
    EXPECT_EQ(posted, 2);
}

} // namespace
} // namespace vorpline
