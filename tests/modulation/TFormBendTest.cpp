#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "engine/OPL3.h"
#include "modulation/TFormBend.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

// Hands out `values` in turn, then zeros.
TFrameBend::RandomSource Sequence(std::vector<uint32_t> values) {
    return [values, next = std::size_t{0}]() mutable {
        return next < values.size() ? values[next++] : 0u;
    };
}

// What the controls show, "AND OR EOR shorts inverts connects", rows b0 first; the bend itself
// must agree with them.
std::string Shown(const TFrameBend& f) {
    std::string shorts, inverts, connects;
    for (std::size_t i = 0; i < TFrameBend::kBits; ++i) {
        shorts += static_cast<char>('0' + f.TrackBars[i].Position());
        inverts += f.CheckBoxes[i].Checked() ? '1' : '0';
        connects += static_cast<char>('0' + f.ComboBoxes[i].ItemIndex());
        EXPECT_EQ(f.Connect()[i], f.ComboBoxes[i].ItemIndex());
    }
    EXPECT_EQ(TFrameBend::MaskText(f.And()) + TFrameBend::MaskText(f.Or()) +
                  TFrameBend::MaskText(f.Eor()),
              f.EditAnd.Text() + f.EditOr.Text() + f.EditEor.Text());
    EXPECT_EQ(f.Or() & ~f.And(), 0) << "OR within AND";
    return f.EditAnd.Text() + " " + f.EditOr.Text() + " " + f.EditEor.Text() + " " + shorts + " " +
           inverts + " " + connects;
}

TEST(FrameBend, ControlsEditTheBend) {
    const std::string reset = "0xFF 0x00 0x00 11111111 00000000 01234567";
    const std::vector<std::pair<std::function<void(TFrameBend&)>, std::string>> cases = {
        {[](TFrameBend&) {}, reset},
        {[](TFrameBend& f) { f.TrackBars[3].SetPosition(0); },
         "0xF7 0x00 0x00 11101111 00000000 01234567"},
        {[](TFrameBend& f) { f.TrackBars[3].SetPosition(0), f.TrackBars[3].SetPosition(2); },
         "0xFF 0x08 0x00 11121111 00000000 01234567"},
        {[](TFrameBend& f) { f.CheckBoxes[6].SetChecked(true); },
         "0xFF 0x00 0x40 11111111 00000010 01234567"},
        {[](TFrameBend& f) { f.ComboBoxes[2].UserSelect(5); },
         "0xFF 0x00 0x00 11111111 00000000 01534567"},
        {[](TFrameBend& f) { f.ButtonFlip.Click(); }, "0xFF 0x00 0xFF 11111111 11111111 76543210"},
        // The low bits: AND of 0x1F3, OR of 0xFF within it, EOR 0xAB, sources 9..16.
        {[](TFrameBend& f) { f.ButtonRandom.Click(); },
         "0xF3 0xF3 0xAB 22002222 11010101 12345670"},
        {[](TFrameBend& f) { f.SetOr(0xC1), f.SetAnd(0x40); },
         "0x40 0x40 0x00 00000020 00000000 01234567"},
        {[](TFrameBend& f) { f.SetAnd(0x0F), f.SetOr(0x30); },
         "0x3F 0x30 0x00 11112200 00000000 01234567"},
        {[](TFrameBend& f) { f.ButtonRandom.Click(), f.ButtonReset.Click(); }, reset},
    };
    for (const auto& [act, want] : cases) {
        TFrameBend frame(Sequence({0x1F3, 0xFF, 0x1AB, 9, 10, 11, 12, 13, 14, 15, 16}));
        act(frame);
        EXPECT_EQ(Shown(frame), want);
    }
}

TEST(FrameBend, MaskEditsTakeTheirTextOnEnter) {
    // From AND 0xF0, OR 0x30, EOR 0x0F, one edit's text and Enter; the masks afterwards.
    const struct {
        Edit TFrameBend::*edit;
        const char* text;
        const char* masks;
    } cases[] = {
        {&TFrameBend::EditAnd, "zz", "0xFF 0x30 0x0F"},
        {&TFrameBend::EditOr, "zz", "0xF0 0x00 0x0F"},
        {&TFrameBend::EditEor, "zz", "0xF0 0x30 0x00"},
        {&TFrameBend::EditAnd, "0x1FF", "0xFF 0x30 0x0F"},
        {&TFrameBend::EditAnd, "0x0c", "0x0C 0x00 0x0F"},
        {&TFrameBend::EditOr, " 3 ", "0xF3 0x03 0x0F"},
        {&TFrameBend::EditEor, "$81", "0xF0 0x30 0x81"},
        {&TFrameBend::EditAnd, "-1", "0xFF 0x30 0x0F"},
        {&TFrameBend::EditAnd, "0x100000000", "0xFF 0x30 0x0F"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TFrameBend frame;
        frame.SetAnd(0xF0), frame.SetOr(0x30), frame.SetEor(0x0F);
        (frame.*c.edit).SetText(c.text);
        (frame.*c.edit).UserKeyUp('\r');
        EXPECT_EQ(Shown(frame).substr(0, 14), c.masks);
    }
    TFrameBend frame;
    frame.EditAnd.SetText("0x12");
    frame.EditAnd.UserKeyUp('A');
    EXPECT_EQ(frame.And(), 0xFF) << "typed, not taken";
}

class FormBendTest : public ::testing::Test {
protected:
    FormBendTest()
        : form(dir.path,
               {[] { return std::string("Vorpline"); },
                [this](const std::string& message) { errors.push_back(message); }, nullptr}) {}

    std::filesystem::path Preset(const std::string& name) const {
        return dir.path / TFormBend::kFolder / (name + TFormBend::kExtension);
    }
    void WriteFile(const std::string& name, const std::string& bytes) {
        std::filesystem::create_directories(Preset(name).parent_path());
        std::ofstream(Preset(name), std::ios::binary) << bytes;
    }
    bool FramesReset() const {
        const std::string reset = "0xFF 0x00 0x00 11111111 00000000 01234567";
        return Shown(form.FrameRegister) == reset && Shown(form.FrameData) == reset &&
               Shown(form.FrameCC) == reset;
    }

    test::TempDir dir;
    std::vector<std::string> errors;
    TFormBend form;
};

TEST_F(FormBendTest, BendsTheEnginesWrites) {
    using Byte = std::function<uint8_t(uint8_t)>;
    struct Case {
        const char* name;
        std::function<void(TFormBend&)> setup;
        Byte reg, data;
    };
    auto same = [](uint8_t x) { return x; };
    auto reversed = [](uint8_t x) {
        uint8_t r = 0;
        for (int i = 0; i < 8; ++i, x >>= 1) {
            r = static_cast<uint8_t>(r << 1 | (x & 1));
        }
        return r;
    };
    const std::vector<Case> cases = {
        {"reset frames change nothing", [](TFormBend&) {}, same, same},
        // 0x20 inverted is 0xDF, reversed 0xFB.
        {"register flip", [](TFormBend& f) { f.FrameRegister.ButtonFlip.Click(); },
         [&](uint8_t x) { return reversed(static_cast<uint8_t>(~x)); }, same},
        {"data b7 forced to 1", [](TFormBend& f) { f.FrameData.TrackBars[7].SetPosition(2); }, same,
         [](uint8_t x) { return static_cast<uint8_t>(x | 0x80); }},
        {"controller 0x40 into the register AND",
         [](TFormBend& f) {
             f.FrameRegister.SetOr(0xC1), f.CheckBoxRegAnd.SetChecked(true), f.CcEvent(0x40);
         },
         [](uint8_t x) { return static_cast<uint8_t>((x & 0x40) | 0x40); }, same},
        {"the CC frame bends the controller value",
         [](TFormBend& f) {
             f.FrameCC.SetEor(0xFF), f.CheckBoxDataEor.SetChecked(true), f.CcEvent(0x0F);
         },
         same, [](uint8_t x) { return static_cast<uint8_t>(x ^ 0xF0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.Presets()->ApplyDefault();
        form.CheckBoxEnable.SetChecked(true);
        c.setup(form);
        for (int x = 0; x < 256; ++x) {
            const auto b = static_cast<uint8_t>(x);
            ASSERT_EQ(form.BendRegister(b), c.reg(b)) << x;
            ASSERT_EQ(form.BendData(b), c.data(b)) << x;
        }
        test::RecordingBackend backend;
        VirtualTimerService timers;
        OPL3 chip(backend, timers, {}, &form);
        backend.writes.clear();
        chip.WriteRegister(0x120, 0x5A);
        ASSERT_EQ(backend.writes.size(), 1u);
        EXPECT_EQ(backend.writes[0].bank, 1) << "the bank is the unbent one";
        EXPECT_EQ(backend.writes[0].address, c.reg(0x20));
        EXPECT_EQ(backend.writes[0].value, c.data(0x5A));

        // Off, nothing bends and the controller reaches no mask.
        form.CheckBoxEnable.SetChecked(false);
        const std::string shown = Shown(form.FrameRegister) + Shown(form.FrameData);
        form.CcEvent(0x33);
        EXPECT_EQ(Shown(form.FrameRegister) + Shown(form.FrameData), shown);
        EXPECT_EQ(form.BendRegister(0x20) << 8 | form.BendData(0x5A), 0x205A);
    }
}

TEST_F(FormBendTest, PresetIsFiftyBytesAndLoadsBack) {
    form.FrameRegister.SetAnd(0xF0), form.FrameRegister.SetOr(0x30);
    form.FrameRegister.SetEor(0x0F), form.FrameRegister.ComboBoxes[0].UserSelect(6);
    form.FrameData.ButtonFlip.Click();
    form.CheckBoxRegOr.SetChecked(true), form.CheckBoxDataEor.SetChecked(true);
    form.ComboBoxPreset.UserType("Crunch");
    form.ButtonSave.Click();
    ASSERT_TRUE(errors.empty());

    std::string want;
    auto record = [&want](std::string masks, std::string connect) {
        want += masks + std::string(5, '\xFF') + connect;
    };
    record("\xF0\x30\x0F", {6, 1, 2, 3, 4, 5, 6, 7});
    record(std::string("\xFF\x00\xFF", 3), {7, 6, 5, 4, 3, 2, 1, 0});
    record(std::string("\xFF\x00\x00", 3), {0, 1, 2, 3, 4, 5, 6, 7});
    want += std::string("\x22\xFF", 2);
    EXPECT_EQ(test::TempDir::Read(Preset("Crunch").string()), want);
    EXPECT_EQ(form.Caption(), "Circuit Bend - Vorpline - Crunch");

    // Default contents leave the enable alone; loading brings the lists back and bends at once.
    form.CheckBoxEnable.SetChecked(true);
    form.Presets()->ApplyDefault();
    EXPECT_TRUE(FramesReset());
    EXPECT_FALSE(form.CheckBoxRegOr.Checked());
    EXPECT_TRUE(form.CheckBoxEnable.Checked());
    ASSERT_TRUE(form.Presets()->LoadByName("Crunch"));
    EXPECT_EQ(Shown(form.FrameRegister), "0xF0 0x30 0x0F 00002211 11110000 61234567");
    EXPECT_EQ(Shown(form.FrameData), "0xFF 0x00 0xFF 11111111 11111111 76543210");
    // ((0 & 0xF0) | 0x30) ^ 0x0F = 0x3F, and bit 0 takes bit 6 of it.
    EXPECT_EQ(form.BendRegister(0x00), 0x3E);
    EXPECT_TRUE(form.CheckBoxRegOr.Checked() && form.CheckBoxDataEor.Checked());
    const auto bytes = form.PresetBytes();
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), want);
}

TEST_F(FormBendTest, ForeignFilesLoadSafelyOrNotAtAll) {
    // OR outside AND and sources beyond b7: the OR bits force ones (AND widened), sources keep
    // their low three bits.
    std::string wild(50, '\xFF');
    wild.replace(0, 3, std::string("\x0F\xF0\x00", 3));
    wild.replace(8, 8, "\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F");
    WriteFile("Wild", wild);
    WriteFile("Short", wild.substr(0, 49));
    WriteFile("Long", wild + '\0');
    form.Presets()->RebuildList();
    EXPECT_EQ(form.ComboBoxPreset.Items(), std::vector<std::string>{"Wild"});

    form.CheckBoxEnable.SetChecked(true);
    ASSERT_TRUE(form.Presets()->LoadByName("Wild"));
    EXPECT_EQ(Shown(form.FrameRegister), "0xFF 0xF0 0x00 11112222 00000000 01234567");
    EXPECT_TRUE(form.CheckBoxDataEor.Checked()) << "flags 0xFF: the six boxes on";
    EXPECT_EQ(form.PresetBytes()[48], 0x3F);

    for (const char* name : {"Short", "Long", "Missing"}) {
        form.FrameData.SetEor(0x55);
        EXPECT_FALSE(form.Presets()->LoadByName(name)) << name;
        EXPECT_TRUE(FramesReset()) << name;
        EXPECT_EQ(form.Caption(), "Circuit Bend - Vorpline") << name;
    }
    EXPECT_FALSE(form.LoadPresetBytes(std::vector<uint8_t>(49, 0)));
}

TEST_F(FormBendTest, SettingsKeepThePresetAndTheEnable) {
    IniFile ini(dir.File("vorpline.ini"));
    form.ComboBoxPreset.UserType("Crunch");
    form.ButtonSave.Click();
    ini.WriteString("WAVE", TFormBend::kConfigKey, "Crunch");
    ini.WriteString("WAVE", TFormBend::kEnableKey, "1");

    TFormBend again(dir.path, {});
    again.CheckBoxRegAnd.SetChecked(true);
    again.LoadSettings(ini, "WAVE", "Vorpline");
    EXPECT_EQ(again.ComboBoxPreset.Text(), "Crunch");
    EXPECT_FALSE(again.CheckBoxRegAnd.Checked());
    EXPECT_FALSE(again.CheckBoxEnable.Checked()) << "until start-up has finished";
    again.AfterStartUp();
    EXPECT_TRUE(again.CheckBoxEnable.Checked());
    again.CheckBoxEnable.SetChecked(false);
    again.SaveSettings(ini, "WAVE");
    EXPECT_EQ(ini.ReadString("WAVE", TFormBend::kEnableKey, ""), "0");
    EXPECT_EQ(ini.ReadString("WAVE", TFormBend::kConfigKey, ""), "Crunch");

    HubPeers peers;
    again.ConnectPeers(peers);
    EXPECT_EQ(&peers.Bend(), static_cast<CircuitBendReceiver*>(&again));
    EXPECT_EQ(again.Bender(), static_cast<RegisterBender*>(&again));
}

} // namespace
} // namespace vorpline
