#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "modulation/TFormBend.h"
#include "qt/BendWindow.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class BendWindowTest : public ::testing::Test {
protected:
    BendWindowTest() {
        test::QtTestApp();
        window = std::make_unique<BendWindow>(form);
        form.Show();
    }

    template <typename Widget> Widget* In(const char* frame, const char* name) {
        QWidget* panel = window->findChild<QWidget*>(QString::fromLatin1(frame));
        EXPECT_NE(panel, nullptr) << frame;
        auto* widget = panel ? panel->findChild<Widget*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << frame << " " << name;
        return widget;
    }

    test::TempDir dir;
    TFormBend form{dir.path, {}};
    std::unique_ptr<BendWindow> window;
};

TEST_F(BendWindowTest, EachGroupEditsItsOwnBend) {
    struct Case {
        const char* frame;
        TFrameBend TFormBend::*bend;
        const char* title;
    };
    const Case cases[] = {{"FrameRegister", &TFormBend::FrameRegister, "Register"},
                          {"FrameData", &TFormBend::FrameData, "Data"},
                          {"FrameCC", &TFormBend::FrameCC, "CC"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frame);
        TFrameBend& bend = form.*c.bend;
        auto* group = window->findChild<QGroupBox*>(QStringLiteral("GroupBox%1").arg(c.title));
        ASSERT_NE(group, nullptr);
        EXPECT_NE(group->findChild<QWidget*>(QString::fromLatin1(c.frame)), nullptr);
        EXPECT_EQ(group->title(), QString::fromLatin1(c.title));
        auto* shortBar = In<QSlider>(c.frame, "TrackBar3");
        EXPECT_EQ(shortBar->maximum(), 2);
        shortBar->setValue(2);
        EXPECT_EQ(bend.Or(), 0x08);
        EXPECT_EQ(In<QLineEdit>(c.frame, "EditOr")->text(), QStringLiteral("0x08"));

        auto* andEdit = In<QLineEdit>(c.frame, "EditAnd");
        andEdit->setFocus();
        andEdit->selectAll();
        QTest::keyClicks(andEdit, QStringLiteral("0x0f"));
        QTest::keyClick(andEdit, Qt::Key_Return);
        EXPECT_EQ(bend.And(), 0x0F);
        EXPECT_EQ(bend.Or(), 0x08);
        EXPECT_EQ(andEdit->text(), QStringLiteral("0x0F"));
        EXPECT_EQ(In<QSlider>(c.frame, "TrackBar7")->value(), 0);

        In<QPushButton>(c.frame, "ButtonFlip")->click();
        EXPECT_EQ(In<QComboBox>(c.frame, "ComboBox0")->currentText(), QStringLiteral("b7"));
        EXPECT_TRUE(In<QCheckBox>(c.frame, "CheckBox5")->isChecked());
        In<QComboBox>(c.frame, "ComboBox0")->activated(2);
        EXPECT_EQ(bend.Connect()[0], 2);
        In<QPushButton>(c.frame, "ButtonReset")->click();
        EXPECT_EQ(bend.And(), 0xFF);
        EXPECT_FALSE(In<QCheckBox>(c.frame, "CheckBox5")->isChecked());
    }
}

TEST_F(BendWindowTest, EnableAndReceiveBoxesReachTheForm) {
    auto* enable = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxEnable"));
    auto* regAnd = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxRegAnd"));
    ASSERT_TRUE(enable && regAnd);
    EXPECT_EQ(regAnd->text(), QStringLiteral("Reg. AND"));
    enable->click();
    regAnd->click();
    form.CcEvent(0x40);
    EXPECT_EQ(form.FrameRegister.And(), 0x40);
    EXPECT_EQ(In<QSlider>("FrameRegister", "TrackBar0")->value(), 0);
    EXPECT_EQ(In<QSlider>("FrameRegister", "TrackBar6")->value(), 1);
    EXPECT_EQ(form.BendRegister(0xFF), 0x40);
}

} // namespace
} // namespace vorpline
