#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "presets/TFormPerf.h"
#include "qt/InfoDialog.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

TEST(PerfDialogTest, BoundWidgetsPreviewOnSelectEnterLoadsEscapeCloses) {
    test::QtTestApp();
    test::TempDir dir;
    PerformanceRecord record;
    record.tempo = 90;
    ASSERT_TRUE(WritePerformanceFile(dir.path / "Show.vpx", record));
    QtUiService ui;
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "escape" : "enter");
        // No tool windows: only the title, the list and the main presets' boxes take part.
        PerformanceTargets targets;
        targets.presetRoot = dir.path;
        TFormPerf::Services services;
        services.applicationTitle = "Vorpline";
        TFormPerf form(targets, services);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "Performance - Vorpline");
            auto* title = dialog->findChild<QLineEdit*>("EditTitle");
            EXPECT_EQ(dialog->focusWidget(), title);
            EXPECT_FALSE(dialog->findChild<QComboBox*>("ComboBoxLfo")->isEnabled());
            auto* list = dialog->findChild<QListWidget*>("ListBoxPerformance");
            ASSERT_EQ(list->count(), 1);
            list->setCurrentRow(0);
            EXPECT_EQ(title->text(), "Show");
            EXPECT_EQ(dialog->windowTitle(), "Performance - Vorpline - Show");
            QTest::keyClick(escape ? static_cast<QWidget*>(dialog) : list,
                            escape ? Qt::Key_Escape : Qt::Key_Return);
        });
        ui.ShowPerf(form);
        EXPECT_EQ(form.Applied(), !escape);
        EXPECT_FALSE(form.Visible());
        EXPECT_FALSE(form.saveFileDialog);
    }
}

} // namespace
} // namespace vorpline
