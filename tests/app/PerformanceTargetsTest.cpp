#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "app/Instrument.h"
#include "app/PerformanceTargets.h"
#include "modulation/TFormBend.h"
#include "modulation/TFormLFO.h"
#include "modulation/TFormRT.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"
#include "ui/TFormInfo.h"
#include "ui/UiService.h"

namespace vorpline::test {
namespace {

class Dialogs : public UiService {
public:
    void ShowModal(TFormInfo& info) override { errors.push_back(info.LabelInfo.Caption()); }
    void ShowPerf(TFormPerf& dialog) override {
        lfoShown = dialog.ComboBoxLfo.Enabled();
        seqShown = dialog.ComboBoxSeq.Enabled();
        caption = dialog.Caption();
        dialog.ButtonCloseClick();
    }
    std::vector<std::string> errors;
    bool lfoShown = false;
    bool seqShown = true;
    std::string caption;
};

// A performance set on the instrument the program builds, through the windows it made.
TEST(PerformanceTargets, ThePerfButtonAndApplyReachTheRealWindows) {
    TempDir dir;
    VirtualTimerService timers;
    RecordingBackend backend;
    Instrument instrument{{dir.path / "assets", dir.path / "vpx", &timers, {}, 400}};
    PortConfig config;
    config.options = kOptionLfo | kOptionCc | kOptionBend;
    instrument.PrepareOutput(config);
    instrument.BuildEngine(backend, {});
    instrument.Start(IniFile(dir.File("v.ini")), "S", {});
    Dialogs dialogs;
    TFormMain& main = instrument.Main();
    main.ui = &dialogs;
    auto* lfo = dynamic_cast<TFormLFO*>(instrument.Tools().Find(ToolId::Lfo));
    auto* bend = dynamic_cast<TFormBend*>(instrument.Tools().Find(ToolId::Bend));
    auto* clock = dynamic_cast<TFormRT*>(instrument.Tools().Find(ToolId::Clock));
    ASSERT_TRUE(lfo && bend && clock);

    ASSERT_TRUE(main.ButtonPerf.Enabled());
    main.ButtonPerf.Click();
    EXPECT_EQ(dialogs.caption, "Performance - Vorpline 4.30");
    EXPECT_TRUE(dialogs.lfoShown);
    EXPECT_FALSE(dialogs.seqShown);

    // Presets saved as the user saves them: "Lead" in the 2-op bank, an LFO and a bend.
    main.ComboBoxBank.UserSelect(0);
    main.ComboBoxPreset.UserType("Lead");
    main.ButtonSavePreset.Click();
    lfo->ComboBoxPreset.UserType("Wobble");
    lfo->ButtonSave.Click();
    bend->ComboBoxPreset.UserType("Crush");
    bend->ButtonSave.Click();
    main.ComboBoxBank.UserSelect(2);
    lfo->Presets()->ApplyDefault();
    PerformanceRecord record;
    record.preset = "Lead";
    record.bank = 0;
    record.tempo = 150;
    record.lfo = "Wobble";
    record.lfoEnable = true;
    record.bend = "Crush";
    record.bendEnable = true;
    ASSERT_TRUE(WritePerformanceFile(dir.path / "vpx/Show.vpx", record));

    EXPECT_EQ(ApplyPerformance(MakePerformanceTargets(instrument), "Show"), "");
    EXPECT_EQ(main.ComboBoxBank.ItemIndex(), 0);
    EXPECT_EQ(main.ComboBoxPreset.Text(), "Lead");
    EXPECT_EQ(main.Caption(), "FM Synth - Vorpline 4.30 - Lead");
    EXPECT_EQ(clock->EditBPM.Text(), "150");
    EXPECT_EQ(lfo->ComboBoxPreset.Text(), "Wobble");
    EXPECT_TRUE(lfo->CheckBoxEnable.Checked());
    EXPECT_TRUE(bend->CheckBoxEnable.Checked());
    EXPECT_THAT(dialogs.errors, ::testing::IsEmpty());
    EXPECT_EQ(ApplyPerformance(MakePerformanceTargets(instrument), "Gone"),
              "performance \"Gone\" not found or not 1560 bytes");
}

} // namespace
} // namespace vorpline::test
