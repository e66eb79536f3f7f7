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

    template <typename Widget> Widget* In(const QByteArray& frame, const char* name) {
        QWidget* panel = window->findChild<QWidget*>(QString::fromLatin1(frame));
        EXPECT_NE(panel, nullptr) << frame.constData();
        auto* widget = panel ? panel->findChild<Widget*>(QString::fromLatin1(name)) : nullptr;
        EXPECT_NE(widget, nullptr) << frame.constData() << " " << name;
        return widget;
    }

    test::TempDir dir;
    TFormBend form{dir.path, {}};
    std::unique_ptr<BendWindow> window;
};

TEST_F(BendWindowTest, EachGroupEditsItsOwnBend) {
    const std::pair<const char*, TFrameBend TFormBend::*> frames[] = {
        {"Register", &TFormBend::FrameRegister},
        {"Data", &TFormBend::FrameData},
        {"CC", &TFormBend::FrameCC}};
    for (const auto& [title, member] : frames) {
        SCOPED_TRACE(title);
        const QByteArray frame = QByteArray("Frame") + title;
        TFrameBend& bend = form.*member;
        auto* group = window->findChild<QGroupBox*>(QStringLiteral("GroupBox%1").arg(title));
        ASSERT_TRUE(group && group->findChild<QWidget*>(QString::fromLatin1(frame)));
        EXPECT_EQ(group->title(), QString::fromLatin1(title));
        In<QSlider>(frame, "TrackBar3")->setValue(2);
        EXPECT_EQ(In<QLineEdit>(frame, "EditOr")->text(), QStringLiteral("0x08"));

        auto* andEdit = In<QLineEdit>(frame, "EditAnd");
        andEdit->selectAll();
        QTest::keyClicks(andEdit, QStringLiteral("0x0f"));
        QTest::keyClick(andEdit, Qt::Key_Return);
        EXPECT_EQ(bend.And() << 8 | bend.Or(), 0x0F08);
        EXPECT_EQ(andEdit->text(), QStringLiteral("0x0F"));
        EXPECT_EQ(In<QSlider>(frame, "TrackBar7")->value(), 0);

        In<QPushButton>(frame, "ButtonFlip")->click();
        EXPECT_EQ(In<QComboBox>(frame, "ComboBox0")->currentText(), QStringLiteral("b7"));
        EXPECT_TRUE(In<QCheckBox>(frame, "CheckBox5")->isChecked());
        emit In<QComboBox>(frame, "ComboBox0")->activated(2);
        EXPECT_EQ(bend.Connect()[0], 2);
    }

    // The master enable and a receive box: through the reset CC bend the controller loads the
    // register AND at once.
    In<QPushButton>("FrameCC", "ButtonReset")->click();
    window->findChild<QCheckBox*>(QStringLiteral("CheckBoxEnable"))->click();
    auto* regAnd = window->findChild<QCheckBox*>(QStringLiteral("CheckBoxRegAnd"));
    ASSERT_NE(regAnd, nullptr);
    EXPECT_EQ(regAnd->text(), QStringLiteral("Reg. AND"));
    regAnd->click();
    form.CcEvent(0x40);
    EXPECT_EQ(In<QSlider>("FrameRegister", "TrackBar3")->value(), 0);
    EXPECT_EQ(In<QSlider>("FrameRegister", "TrackBar6")->value(), 1);
    EXPECT_EQ(form.FrameRegister.And(), 0x40);
}

} // namespace
} // namespace vorpline
