#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/IniFile.h"
#include "presets/TFormKBD.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

using Posted = std::vector<uint32_t>;

class FormKBDTest : public ::testing::Test {
protected:
    // What the events posted since the last call were.
    Posted Take() { return std::exchange(posted, {}); }

    Posted posted;
    TFormKBD kbd{[this](uint32_t packed) { posted.push_back(packed); }};
};

TEST_F(FormKBDTest, ComputerKeysPlayTheMapAndStepPresets) {
    constexpr int kDown = 1, kUp = 0;
    struct Case {
        int down;
        int key;
        Posted expected;
    } cases[] = {
        {kDown, 'S', {0xFE7F3C90}},
        {kDown, 's', {0xFE7F3C90}},
        {kUp, 's', {0xFE003C80}},
        {kDown, 'e', {0xFE7F3D90}},
        {kDown, 'Y', {0xFE7F4290}},
        {kDown, 'l', {0xFE7F4890}},
        {kUp, 'L', {0xFE004880}},
        {kDown, TFormKBD::kKeyUp, {0xFEFF00C0}},
        {kDown, TFormKBD::kKeyDown, {0xFE0100C0}},
        // Not in the map, or nothing to release.
        {kUp, TFormKBD::kKeyUp, {}},
        {kDown, 'A', {}},
        {kDown, 'z', {}},
        {kDown, '1', {}},
        {kDown, 0, {}},
        {kDown, 's' + 0x100, {}},
        {kDown, -1, {}},
        {kUp, 'T', {}},
    };
    for (const Case& c : cases) {
        c.down ? kbd.FormKeyDown(c.key) : kbd.FormKeyUp(c.key);
        EXPECT_EQ(Take(), c.expected) << (c.down ? "down " : "up ") << c.key;
    }
}

TEST_F(FormKBDTest, HeldKeysRepeatAndAlwaysEnd) {
    // The system repeats a held key; its one release ends the note.
    for (int i = 0; i < 4; ++i) {
        kbd.FormKeyDown('S');
    }
    kbd.FormKeyUp('S');
    EXPECT_EQ(Take(), (Posted{0xFE7F3C90, 0xFE7F3C90, 0xFE7F3C90, 0xFE7F3C90, 0xFE003C80}));

    // Each key button plays its own note, 60 to 72 in order.
    uint32_t expected = TFormKBD::kLowNote;
    for (Button* key : kbd.Keys()) {
        kbd.SpeedButtonC4MouseDown(key->Tag());
        kbd.SpeedButtonC4MouseUp(key->Tag());
        EXPECT_EQ(Take(), (Posted{0xFE7F0090 | expected << 8, 0xFE000080 | expected << 8}))
            << key->Name();
        ++expected;
    }
    kbd.SpeedButtonC4MouseDown(200);
    EXPECT_EQ(Take(), Posted{}) << "no note beyond 127";

    kbd.SpeedButtonDown.Click();
    kbd.SpeedButtonUp.Click();
    EXPECT_EQ(Take(), (Posted{0xFE0100C0, 0xFEFF00C0}));

    // Whatever is still down when the window loses the keyboard is released, once.
    kbd.FormKeyDown('k');
    kbd.SpeedButtonC4MouseDown(kbd.SpeedButtonDb.Tag());
    kbd.FormKeyDown('S');
    kbd.FormKeyUp('S');
    Take();
    kbd.ReleaseHeldKeys();
    kbd.ReleaseHeldKeys();
    EXPECT_EQ(Take(), (Posted{0xFE003D80, 0xFE004780}));
}

TEST_F(FormKBDTest, CaptionTakesTheTitleAndNothingIsStored) {
    test::TempDir dir;
    IniFile ini(dir.File("k.ini"));
    kbd.LoadSettings(ini, "S", "Vorpline 4.30");
    kbd.SaveSettings(ini, "S");
    EXPECT_EQ(kbd.Caption(), "Keyboard - Vorpline 4.30");
    EXPECT_EQ(kbd.SpeedButtonDown.Hint(), "Next");
    EXPECT_EQ(kbd.SpeedButtonUp.Hint(), "Previous");
    ini.UpdateFile();
    EXPECT_EQ(test::TempDir::Read(ini.Path()), "");
}

} // namespace
} // namespace vorpline
