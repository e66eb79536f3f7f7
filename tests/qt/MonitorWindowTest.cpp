#include <array>
#include <cstdint>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "qt/MonitorWindow.h"
#include "qt/QtTestApp.h"
#include "ui/TFormMonitor.h"

namespace vorpline {
namespace {

TEST(MonitorWindow, TheGridShowsAWriteHighlightedAndTheTimerRunsOnlyWhileShown) {
    test::QtTestApp();
    std::array<uint8_t, 512> regs{};
    TFormMonitor form([&regs](uint16_t reg) { return regs[reg]; }, nullptr);
    MonitorWindow window(form);
    auto* grid = window.findChild<QTableWidget*>(QStringLiteral("GridRegisters"));
    auto* decoded = window.findChild<QPlainTextEdit*>(QStringLiteral("TextDecoded"));
    ASSERT_NE(grid, nullptr);
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(grid->rowCount(), 32);

    regs[0x1B5] = 0x2A;
    QTest::qWait(100);
    EXPECT_EQ(grid->item(0x1B, 5)->text(), QStringLiteral("00")) << "hidden: no refresh";

    form.Show();
    QTRY_COMPARE_WITH_TIMEOUT(grid->item(0x1B, 5)->text(), QStringLiteral("2A"), 1000);
    const QColor base = window.palette().color(QPalette::Base);
    EXPECT_NE(grid->item(0x1B, 5)->background().color(), base);
    EXPECT_TRUE(decoded->toPlainText().contains(QStringLiteral("Ch 15  key on")));

    auto* record = window.findChild<QPushButton*>();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->text(), QStringLiteral("Record"));
    form.Hide();
}

} // namespace
} // namespace vorpline
