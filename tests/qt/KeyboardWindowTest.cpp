#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "presets/TFormKBD.h"
#include "qt/KeyboardWindow.h"
#include "qt/QtTestApp.h"

namespace vorpline {
namespace {

using Posted = std::vector<uint32_t>;

class KeyboardWindowTest : public ::testing::Test {
protected:
    KeyboardWindowTest() {
        test::QtTestApp();
        window = std::make_unique<KeyboardWindow>(form);
    }

    // A key event as the system sends it; repeats of a held key carry `autoRepeat`.
    void Key(QEvent::Type type, Qt::Key key, const char* text, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, QString::fromLatin1(text), autoRepeat);
        QApplication::sendEvent(window.get(), &event);
    }
    Posted Take() { return std::exchange(posted, {}); }

    Posted posted;
    TFormKBD form{[this](uint32_t packed) { posted.push_back(packed); }};
    std::unique_ptr<KeyboardWindow> window;
};

TEST_F(KeyboardWindowTest, ComputerKeysReachTheForm) {
    // Held "S" as X11 reports it: every repeat a release and a press, both marked as repeats.
    Key(QEvent::KeyPress, Qt::Key_S, "s");
    for (int i = 0; i < 2; ++i) {
        Key(QEvent::KeyRelease, Qt::Key_S, "s", true);
        Key(QEvent::KeyPress, Qt::Key_S, "s", true);
    }
    Key(QEvent::KeyRelease, Qt::Key_S, "s");
    EXPECT_EQ(Take(), (Posted{0xFE7F3C90, 0xFE7F3C90, 0xFE7F3C90, 0xFE003C80}));

    QTest::keyClick(window.get(), Qt::Key_L, Qt::ShiftModifier);
    QTest::keyClick(window.get(), Qt::Key_Up);
    QTest::keyClick(window.get(), Qt::Key_Down);
    QTest::keyClick(window.get(), Qt::Key_A);
    QTest::keyClick(window.get(), Qt::Key_F1);
    EXPECT_EQ(Take(), (Posted{0xFE7F4890, 0xFE004880, 0xFEFF00C0, 0xFE0100C0}));
}

TEST_F(KeyboardWindowTest, MouseKeysAndPresetButtonsReachTheForm) {
    const auto keys = window->findChildren<QPushButton*>();
    ASSERT_EQ(keys.size(), TFormKBD::kKeyCount);
    for (Button* control : form.Keys()) {
        auto* key = window->findChild<QPushButton*>(QString::fromStdString(control->Name()));
        ASSERT_NE(key, nullptr) << control->Name();
        EXPECT_EQ(key->focusPolicy(), Qt::NoFocus) << "the window keeps the computer keyboard";
        QTest::mousePress(key, Qt::LeftButton);
        QTest::mouseRelease(key, Qt::LeftButton);
        const auto note = static_cast<uint32_t>(control->Tag());
        EXPECT_EQ(Take(), (Posted{0xFE7F0090 | note << 8, 0xFE000080 | note << 8}))
            << control->Name();
    }

    window->findChild<QToolButton*>("SpeedButtonDown")->click();
    window->findChild<QToolButton*>("SpeedButtonUp")->click();
    EXPECT_EQ(Take(), (Posted{0xFE0100C0, 0xFEFF00C0}));
    EXPECT_EQ(window->findChild<QToolButton*>("SpeedButtonDown")->toolTip(), "Next");
}

TEST_F(KeyboardWindowTest, HidingEndsHeldNotes) {
    form.SetCaption("Keyboard - Vorpline 4.30");
    form.ToggleShow(1000, 400);
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Keyboard - Vorpline 4.30"));
    Key(QEvent::KeyPress, Qt::Key_D, "d");
    Take();
    window->close();
    EXPECT_FALSE(form.Visible()) << "closing only hides the window";
    EXPECT_EQ(Take(), Posted{0xFE003E80}) << "the key-up would go to another window";
}

} // namespace
} // namespace vorpline
