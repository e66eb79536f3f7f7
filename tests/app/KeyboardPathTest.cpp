#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Instrument.h"
#include "config/TFormPort.h"
#include "midi/HubFixture.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "presets/TFormKBD.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

// The keyboard as the program makes it: from the catalog, after the hub, posting through the
// main loop.
class KeyboardPath : public ::testing::Test {
protected:
    KeyboardPath() {
        PortConfig config;
        config.options = kOptionKbd;
        instrument.PrepareOutput(config);
        instrument.BuildEngine(backend, {});
        instrument.Start(IniFile(dir.File("v.ini")), "S", {});
        kbd = dynamic_cast<TFormKBD*>(instrument.Tools().Find(ToolId::Kbd));
    }

    std::string Notes() {
        TFormMain& main = instrument.Main();
        return main.Panel(0).notes.Caption() + main.Panel(1).notes.Caption();
    }

    TempDir dir;
    VirtualTimerService timers;
    RecordingBackend backend;
    Instrument instrument{{dir.path / "assets", dir.path / "vpx", &timers, {}, 400}};
    TFormKBD* kbd = nullptr;
};

TEST_F(KeyboardPath, NotesReachBothPartsAndPresetsWrap) {
    ASSERT_NE(kbd, nullptr);
    EXPECT_EQ(kbd->Caption(), "Keyboard - Vorpline 4.30");
    TFormMain& main = instrument.Main();
    for (const char* name : {"A", "B", "C"}) {
        main.ComboBoxPreset.UserType(name);
        main.ButtonSavePreset.Click();
    }
    instrument.Presets().ComboBoxBankChange();

    // Whatever the parts listen to, the keyboard plays both, once the main loop gets to it.
    main.ComboBoxMidiChannel1234.UserSelect(3);
    main.ComboBoxMidiChannel56.UserSelect(9);
    kbd->FormKeyDown('s');
    kbd->SpeedButtonC4MouseDown(kbd->SpeedButtonE4.Tag());
    EXPECT_EQ(Notes(), "00");
    timers.RunPosted();
    EXPECT_EQ(Notes(), "22");
    kbd->FormKeyUp('S');
    kbd->SpeedButtonC4MouseUp(kbd->SpeedButtonE4.Tag());
    timers.RunPosted();
    EXPECT_EQ(Notes(), "00");

    const struct {
        int key;
        const char* preset;
    } steps[] = {
        {TFormKBD::kKeyDown, "A"}, // from no selection forward is the first
        {TFormKBD::kKeyUp, "C"},   // and back from the first, the last
        {TFormKBD::kKeyDown, "A"},
        {TFormKBD::kKeyDown, "B"},
    };
    for (const auto& step : steps) {
        kbd->FormKeyDown(step.key);
        timers.RunPosted();
        EXPECT_EQ(main.ComboBoxPreset.Text(), step.preset);
    }
}

// Work still queued when the keyboard goes (it goes before the hub) finds no keyboard.
class KeyboardPoster : public HubFixture {};

TEST_F(KeyboardPoster, NotesOfAGoneKeyboardAreDropped) {
    auto kbd = std::make_unique<TFormKBD>(TFormKBD::PostToHub(timers, hub));
    kbd->FormKeyDown('S');
    timers.RunPosted();
    EXPECT_EQ(Notes(0) + Notes(1), "11");
    kbd->FormKeyDown('D');
    kbd.reset();
    timers.RunPosted();
    EXPECT_EQ(Notes(0) + Notes(1), "11");
}

} // namespace
} // namespace vorpline::test
