#include <memory>

#include <QAction>
#include <QCheckBox>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "presets/TFormCc.h"
#include "qt/CcWindow.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class CcWindowTest : public ::testing::Test {
protected:
    CcWindowTest() {
        test::QtTestApp();
        window = std::make_unique<CcWindow>(form);
        grid = window->findChild<QTableWidget*>(QStringLiteral("ValueListEditor"));
    }

    QPoint CellCentre(int row, int column) const {
        return grid->visualRect(grid->model()->index(row, column)).center();
    }

    test::TempDir dir;
    TFormCc form{dir.path, {}};
    std::unique_ptr<CcWindow> window;
    QTableWidget* grid = nullptr;
};

TEST_F(CcWindowTest, TheGridTypesLearnsAndShowsTheLearningRow) {
    ASSERT_NE(grid, nullptr);
    form.Show();
    ASSERT_EQ(grid->rowCount(), kCcTargetCount);
    EXPECT_EQ(grid->item(kCcKeyScaling, 0)->text(), QStringLiteral("Operator Key Scaling"));
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);

    // Typing into a number cell is the user's edit.
    grid->item(kCcMasterPan, 1)->setText(QStringLiteral("12 "));
    EXPECT_EQ(form.Numbers()[kCcMasterPan], 12);

    // A right click selects the row under the pointer for the menu's commands.
    grid->scrollToItem(grid->item(kCcOperatorVolume, 0));
    QTest::mousePress(grid->viewport(), Qt::RightButton, {}, CellCentre(kCcOperatorVolume, 1));
    QTest::mouseRelease(grid->viewport(), Qt::RightButton, {}, CellCentre(kCcOperatorVolume, 1));
    EXPECT_EQ(form.ValueListEditor.Row(), kCcOperatorVolume);
    auto* start = window->findChild<QAction*>(QStringLiteral("StartLearning"));
    ASSERT_NE(start, nullptr);
    start->trigger();
    EXPECT_EQ(form.LearningRow(), kCcOperatorVolume);
    form.ControllerObserved(21, 64);
    EXPECT_EQ(grid->item(kCcOperatorVolume, 1)->text(), QStringLiteral("21"));
    EXPECT_TRUE(grid->item(kCcOperatorVolume, 0)->font().bold()) << "the learning row is marked";
    EXPECT_FALSE(start->isEnabled());

    window->close();
    EXPECT_EQ(form.LearningRow(), -1) << "closing the window ends learning";
    EXPECT_FALSE(grid->item(kCcOperatorVolume, 0)->font().bold());
}

TEST_F(CcWindowTest, TheLogFillsWhileEnabled) {
    auto* log = window->findChild<QTreeWidget*>(QStringLiteral("ListView"));
    auto* enable = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxEnable"));
    ASSERT_TRUE(log && enable);
    form.ControllerObserved(1, 2);
    enable->click();
    for (uint8_t value : {10, 11, 12}) {
        form.ControllerObserved(7, value);
    }
    // Drawn once per display frame.
    QTRY_COMPARE_WITH_TIMEOUT(log->topLevelItemCount(), 3, 1000);
    EXPECT_EQ(log->topLevelItem(0)->text(1), QStringLiteral("12"));
    EXPECT_EQ(window->findChild<QTreeWidget*>(QStringLiteral("ListViewHelp"))->topLevelItemCount(),
              8);
}

} // namespace
} // namespace vorpline
