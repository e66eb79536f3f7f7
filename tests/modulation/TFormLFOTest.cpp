#include <gtest/gtest.h>

#include <fstream>

#include "midi/MidiPortSystem.h"
#include "modulation/LfoShape.h"
#include "modulation/TFormLFO.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

using Setting = TFrameLFO::TickSetting;

class FakeOutputs : public MidiOutPortSystem {
public:
    std::vector<std::string> ListOutputs() override { return names; }
    int Open(std::size_t port) override {
        openPort = static_cast<int>(port);
        return kMidiOk;
    }
    int Send(uint32_t packed) override {
        sent.push_back(packed);
        return kMidiOk;
    }
    int Reset() override { return kMidiOk; }
    int Close() override {
        openPort = -1;
        return kMidiOk;
    }

    std::vector<std::string> names{"Synth B", "Alpha"};
    int openPort = -1;
    std::vector<uint32_t> sent;
};

class FormLFOTest : public ::testing::Test {
protected:
    FormLFOTest()
        : ini(dir.File("vorpline.ini")),
          form(dir.path,
               {[] { return std::string("Vorpline"); },
                [this](const std::string& message) { errors.push_back(message); }, nullptr},
               outputs, {kCcFunctionNames.begin(), kCcFunctionNames.end()}, &numbers,
               {[this](uint32_t packed, uint32_t param) {
                    posted.push_back({packed, param});
                },
                [this] { ++pitchClears; },
                [this](int beatsPerBar, int ticks) -> std::optional<int> {
                    calculatorCalls.push_back({beatsPerBar, ticks});
                    return std::nullopt;
                }}) {}

    TFrameLFO& Lfo(int i) { return form.FrameLFO[static_cast<size_t>(i)]; }
    // Enabled, 96 ticks, with `trigger`.
    void Arm(int i, int trigger) {
        Lfo(i).SetTicks(Setting::Duration, 96);
        Lfo(i).ComboBoxTrig.UserSelect(trigger);
        Lfo(i).CheckBoxEnable.SetChecked(true);
    }
    std::string Running() {
        std::string map;
        for (const TFrameLFO& lfo : form.FrameLFO) {
            map += lfo.Running() ? '1' : '0';
        }
        return map;
    }
    std::filesystem::path Preset(const std::string& name) const {
        return dir.path / TFormLFO::kFolder / (name + TFormLFO::kExtension);
    }

    test::TempDir dir;
    IniFile ini;
    FakeOutputs outputs;
    CcNumberTable numbers = kDefaultCcNumbers;
    std::vector<std::string> errors;
    std::vector<std::pair<uint32_t, uint32_t>> posted;
    int pitchClears = 0;
    std::vector<std::pair<int, int>> calculatorCalls;
    TFormLFO form;
};

TEST_F(FormLFOTest, PresetIsEightRecordsIn416BytesFilledWith0xFF) {
    // The eight records, each stored over 0xFF, one after the other.
    auto records = [this] {
        std::string all;
        for (const TFrameLFO& lfo : form.FrameLFO) {
            std::array<uint8_t, TFrameLFO::kRecordSize> record;
            record.fill(0xFF);
            lfo.StoreRecord(record);
            all.append(record.begin(), record.end());
        }
        return all;
    };
    const std::string reset = records();
    Lfo(0).ComboBoxSend.UserSelect(kCcMasterPan);
    Lfo(7).ComboBoxFunction.UserSelect(kLfoTan);
    Lfo(7).SetTicks(Setting::Attack, 5000);
    Arm(7, TFrameLFO::kTrigStart);
    form.ComboBoxPreset.UserType("Wobble");
    form.ButtonSave.Click();
    ASSERT_TRUE(errors.empty());
    const std::string file = test::TempDir::Read(Preset("Wobble").string());
    EXPECT_EQ(file, records());
    EXPECT_EQ(form.Caption(), "LFO - Vorpline - Wobble");

    // Loading resets first, then takes the records; the enable comes last, so with the master
    // on an enabled "Start" LFO runs at once.
    Lfo(3).ComboBoxSend.UserSelect(kCcCircuitBend);
    form.CheckBoxEnable.SetChecked(true);
    ASSERT_TRUE(form.Presets()->LoadByName("Wobble"));
    EXPECT_EQ(records(), file);
    EXPECT_EQ(Running(), "00000001");

    // 415 bytes: not listed, and a load fails leaving every LFO reset.
    std::ofstream(Preset("Short"), std::ios::binary) << file.substr(0, 415);
    form.Presets()->RebuildList();
    EXPECT_EQ(form.ComboBoxPreset.IndexOf("Short"), ComboBox::kNone);
    EXPECT_NE(form.ComboBoxPreset.IndexOf("Wobble"), ComboBox::kNone);
    EXPECT_FALSE(form.Presets()->LoadByName("Short"));
    EXPECT_EQ(records(), reset);
    EXPECT_EQ(Running(), "00000000");
    EXPECT_EQ(form.Caption(), "LFO - Vorpline");
}

TEST_F(FormLFOTest, MasterEnableGatesTicksNotesAndStartButNotStop) {
    Arm(0, TFrameLFO::kTrigStart);
    Arm(1, TFrameLFO::kTrigDown);
    form.ClockStart();
    form.ClockNote(60, 100, true);
    EXPECT_EQ(Running(), "00000000");
    Lfo(0).Trigger(true);
    form.ClockTick();
    EXPECT_EQ(Lfo(0).State().ElapsedTicks, 0);
    form.ClockStop();
    form.ClockContinue();
    EXPECT_EQ(Running(), "00000000") << "Stop pauses, Continue needs the master";

    form.CheckBoxEnable.SetChecked(true);
    EXPECT_EQ(Running(), "10000000");
    form.ClockNote(60, 100, true);
    form.ClockTick();
    EXPECT_EQ(Running(), "11000000");
    EXPECT_EQ(Lfo(1).State().ElapsedTicks, 1);
    form.ClockStop();
    EXPECT_EQ(Running(), "00000000");
    // Outside clocks repeat Stop before Continue; a key may start an LFO in between, which the
    // repeat pauses too.
    form.ClockNote(60, 100, true);
    EXPECT_EQ(Running(), "01000000");
    form.ClockStop();
    form.ClockStop();
    EXPECT_EQ(Running(), "00000000");
    form.ClockContinue();
    EXPECT_EQ(Running(), "11000000");
    form.CheckBoxEnable.SetChecked(false);
    EXPECT_EQ(Running(), "00000000");
    EXPECT_EQ(pitchClears, 1);
}

TEST_F(FormLFOTest, SwitchesReachOthersAndModulationReachesListeners) {
    form.CheckBoxEnable.SetChecked(true);
    for (int i = 0; i < 8; ++i) {
        Arm(i, TFrameLFO::kTrigSw1Down);
    }
    // LFO 3 sends a steady 100 as "Switch 1 (Damper)" to "LFO 1 to 8"; the hub hands it back.
    TFrameLFO& sender = Lfo(2);
    sender.ComboBoxSend.UserSelect(kCcSwitch1);
    sender.ComboBoxDest.UserSelect(0);
    sender.TrackBarAmplitude.SetPosition(0);
    sender.TrackBarOffset.SetPosition(100);
    sender.ComboBoxTrig.UserSelect(TFrameLFO::kTrigStart);
    sender.Trigger(false);
    ASSERT_EQ(posted.size(), 1u);
    const auto [packed, param] = posted.back();
    EXPECT_EQ(packed >> 16 & 0xFF, 100u);
    form.Switch1(uint8_t(packed >> 16), uint8_t(param >> 8), uint8_t(param));
    EXPECT_EQ(Running(), "11111111");
    EXPECT_EQ(sender.State().SwitchState1, 0);

    // One LFO by number, never the source itself; switch 2 and a closed master reach nobody.
    form.ClockStop();
    const struct {
        uint8_t source, destination;
        const char* running;
    } cases[] = {{0xFF, 4, "00001000"}, {5, 5, "00000000"}, {0, 0xFF, "01011111"}};
    for (const auto& c : cases) {
        for (TFrameLFO& lfo : form.FrameLFO) {
            lfo.Switch1Event(0); // up again
        }
        form.Switch2(127, c.source, c.destination);
        form.Switch1(127, c.source, c.destination);
        EXPECT_EQ(Running(), c.running) << int(c.source) << " -> " << int(c.destination);
        form.ClockStop();
    }

    // Modulation to all reaches the "CC Modulation" boxes, the source's too; to one LFO it
    // reaches that one whatever its box says.
    Lfo(2).CheckBoxRecv.SetChecked(true);
    Lfo(6).CheckBoxRecv.SetChecked(true);
    form.LfoModulation(10, 2, 8);
    form.LfoModulation(20, 2, 0);
    std::string amplitudes;
    for (const TFrameLFO& lfo : form.FrameLFO) {
        amplitudes += std::to_string(lfo.TrackBarAmplitude.Position()) + " ";
    }
    EXPECT_EQ(amplitudes, "20 64 10 64 64 64 10 64 ");
    form.CheckBoxEnable.SetChecked(false);
    form.Switch1(127, 0xFF, 0xFF);
    form.LfoModulation(30, 0xFF, 0);
    EXPECT_EQ(Running(), "00000000");
    EXPECT_EQ(Lfo(0).TrackBarAmplitude.Position(), 20);
}

TEST_F(FormLFOTest, AuxiliaryOutputSettingsAndCalculator) {
    ini.WriteString("Out", TFormLFO::kAuxKey, "Synth B");
    ini.WriteString("Out", TFormLFO::kEnableKey, "1");
    form.LoadSettings(ini, "Out", "Vorpline");
    EXPECT_EQ(form.ComboBoxAux.Items(),
              (std::vector<std::string>{"No midi output", "Alpha", "Synth B", "Refresh list"}));
    EXPECT_EQ(form.ComboBoxAux.Text(), "Synth B");
    EXPECT_EQ(outputs.openPort, 0);
    EXPECT_FALSE(form.CheckBoxEnable.Checked()) << "the clock applies it at the end";
    form.ApplyStoredEnable();
    EXPECT_TRUE(form.CheckBoxEnable.Checked());

    // "Auxiliary 1" leaves through the port as a control change on channel 1.
    Lfo(4).ComboBoxSend.UserSelect(kCcAuxiliary1);
    Arm(4, TFrameLFO::kTrigStart);
    EXPECT_EQ(outputs.sent, (std::vector<uint32_t>{0xB0u | 71u << 8}));
    EXPECT_TRUE(posted.empty());

    form.ComboBoxAux.UserSelect(3);
    EXPECT_EQ(outputs.openPort, -1);
    EXPECT_EQ(form.ComboBoxAux.ItemIndex(), 0);
    form.ButtonCalc.Click();
    EXPECT_EQ(calculatorCalls, (std::vector<std::pair<int, int>>{{-1, 96}}));

    form.SaveSettings(ini, "Out");
    EXPECT_EQ(ini.ReadString("Out", TFormLFO::kAuxKey, ""), "No midi output");
    EXPECT_EQ(ini.ReadString("Out", TFormLFO::kEnableKey, ""), "1");
    EXPECT_EQ(ini.ReadString("Out", TFormLFO::kConfigKey, ""), "Default");

    // A device that is gone selects "No midi output" quietly.
    outputs.names = {"Other"};
    ini.WriteString("Out", TFormLFO::kAuxKey, "Synth B");
    form.LoadSettings(ini, "Out", "Vorpline");
    EXPECT_EQ(form.ComboBoxAux.ItemIndex(), 0);
    EXPECT_EQ(outputs.openPort, -1);
    EXPECT_TRUE(errors.empty());
}

} // namespace
} // namespace vorpline
