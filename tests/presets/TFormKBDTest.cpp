#include <cstdint>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "presets/TFormKBD.h"

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
        {kDown, 'l', {0xFE7F4890}},
        {kUp, 'L', {0xFE004880}},
        {kDown, TFormKBD::kKeyUp, {0xFEFF00C0}},
        {kDown, TFormKBD::kKeyDown, {0xFE0100C0}},
        // Not in the map, or nothing to release.
        {kUp, TFormKBD::kKeyUp, {}},
        {kDown, 'A', {}},
        {kDown, '1', {}},
        {kDown, 0, {}},
        {kDown, 's' + 0x100, {}},
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

    kbd.SpeedButtonC4MouseDown(200);
    EXPECT_EQ(Take(), Posted{}) << "no note beyond 127";

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

} // namespace
} // namespace vorpline
