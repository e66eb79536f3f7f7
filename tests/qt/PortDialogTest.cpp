#include <functional>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "config/TFormPort.h"
#include "qt/PortDialog.h"
#include "qt/QtTestApp.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

class PortDialogTest : public ::testing::Test {
protected:
    PortDialogTest() { test::QtTestApp(); }

    // Runs the dialog on `config` with the window shown and `user` acting on its widgets.
    void Run(PortConfig& config, const std::function<void(PortDialog&)>& user) {
        form.Execute(config, {"No wave output", "Speakers"}, "Vorpline 4.30",
                     [&user](TFormPort& f) {
                         PortDialog dialog(f);
                         dialog.show();
                         user(dialog);
                         EXPECT_EQ(dialog.isVisible(), f.Visible());
                     });
    }

    template <typename Widget> static Widget* Find(QWidget& dialog, const char* name) {
        auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    test::TempDir dir;
    TFormPort form{dir.path, (dir.path / "no-pci").string()};
};

TEST_F(PortDialogTest, WidgetsShowTheFormAndFollowItsChanges) {
    PortConfig config;
    Run(config, [this](PortDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Configuration - Vorpline 4.30");
        auto* pre = Find<QLineEdit>(dialog, "EditPre");
        auto* sb16 = Find<QComboBox>(dialog, "ComboBoxSb16Address");
        auto* rate = Find<QComboBox>(dialog, "ComboBoxSRate");
        auto* cc = Find<QCheckBox>(dialog, "CheckBoxCc");
        EXPECT_EQ(pre->text(), "3");
        EXPECT_EQ(sb16->currentText(), "0220");
        EXPECT_TRUE(sb16->isEditable());
        EXPECT_EQ(rate->currentText(), "11025");
        EXPECT_EQ(rate->count(), 11);
        EXPECT_FALSE(Find<QComboBox>(dialog, "ComboBoxOpl3Address")->isEnabled());
        EXPECT_TRUE(Find<QPushButton>(dialog, "ButtonOk")->isDefault());
        EXPECT_EQ(dialog.focusWidget(), Find<QPushButton>(dialog, "ButtonOk"));

        form.EditPre.SetText("7");
        EXPECT_EQ(pre->text(), "7");
        form.ComboBoxSRate.SetItemIndex(form.ComboBoxSRate.IndexOf("48000"));
        EXPECT_EQ(rate->currentText(), "48000");
        form.CheckBoxLFO.SetChecked(true);
        EXPECT_TRUE(cc->isChecked()) << "the handler's effect on another control shows";
        form.ButtonCancel.Click();
        EXPECT_FALSE(dialog.isVisible()) << "the form's Cancel closes the window";
    });
    EXPECT_EQ(config.ioType, kIoTypeAborted);
    EXPECT_EQ(config.ioPre, 7);
    EXPECT_EQ(config.ioSRate, 48000u);
}

TEST_F(PortDialogTest, UserActionsReachTheForm) {
    PortConfig config;
    Run(config, [this](PortDialog& dialog) {
        auto* wave = Find<QRadioButton>(dialog, "RadioGroupTypeItem8");
        EXPECT_EQ(wave->text(), "WAVE");
        EXPECT_FALSE(Find<QGroupBox>(dialog, "GroupBoxWave")->isEnabled());
        wave->click();
        EXPECT_EQ(form.RadioGroupType.ItemIndex(), kIoTypeWave);
        EXPECT_TRUE(Find<QGroupBox>(dialog, "GroupBoxWave")->isEnabled());
        EXPECT_TRUE(Find<QToolButton>(dialog, "SpeedButtonSoundFile")->isEnabled());
        EXPECT_FALSE(Find<QLineEdit>(dialog, "EditPre")->isEnabled());
        EXPECT_FALSE(Find<QRadioButton>(dialog, "RadioGroupTypeItem3")->isChecked());

        auto* rate = Find<QComboBox>(dialog, "ComboBoxSRate");
        QTest::keyClick(rate, Qt::Key_Down);
        EXPECT_EQ(form.ComboBoxSRate.Text(), "12000");
        auto* emulator = Find<QComboBox>(dialog, "ComboBoxEmulator");
        EXPECT_EQ(emulator->currentText(), "Accurate");
        QTest::keyClick(emulator, Qt::Key_Down);
        EXPECT_EQ(form.ComboBoxEmulator.Text(), "Fast");

        Find<QCheckBox>(dialog, "CheckBoxLFO")->click();
        EXPECT_TRUE(form.CheckBoxLFO.Checked());
        EXPECT_TRUE(Find<QCheckBox>(dialog, "CheckBoxCc")->isChecked());

        Find<QRadioButton>(dialog, "RadioGroupTypeItem3")->click();
        auto* sb16 = Find<QComboBox>(dialog, "ComboBoxSb16Address");
        sb16->lineEdit()->clear();
        QTest::keyClicks(sb16->lineEdit(), "22a");
        EXPECT_EQ(form.ComboBoxSb16Address.Text(), "22a");
        QTest::keyClicks(Find<QLineEdit>(dialog, "EditKey"), "0");
        EXPECT_EQ(form.EditKey.Text(), "150");

        Find<QPushButton>(dialog, "ButtonOk")->click();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(config.ioType, 3);
    EXPECT_EQ(config.ioPort, "022A");
    EXPECT_EQ(config.ioKey, 150);
    EXPECT_EQ(config.ioSRate, 12000u);
    EXPECT_EQ(config.emulator, EmulatorCore::kFast);
    EXPECT_EQ(config.options, kOptionLfo | kOptionCc);
}

TEST_F(PortDialogTest, EscapeIsCancel) {
    PortConfig config;
    Run(config, [](PortDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(config.ioType, kIoTypeAborted);
    EXPECT_FALSE(form.Visible());
}

TEST_F(PortDialogTest, DialogIsTheSaveFileServiceOnlyWhileItExists) {
    PortConfig config;
    Run(config, [this](PortDialog&) { EXPECT_TRUE(form.saveFileDialog); });
    EXPECT_FALSE(form.saveFileDialog);
}

} // namespace
} // namespace vorpline
