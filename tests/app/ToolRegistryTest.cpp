#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ToolRegistry.h"
#include "audio/AudioProcessor.h"
#include "controls/Form.h"
#include "midi/HubPeers.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "support/TempDir.h"
#include "ui/MainPresets.h"
#include "ui/TFormMain.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> calls;

// A tool window that writes down what is asked of it; windows named "*" offer an audio stage.
class FakeTool : public Form, public ToolWindow, public AudioProcessor {
public:
    explicit FakeTool(std::string name) : Form(name, name) {}
    Form& Window() override { return *this; }
    void LoadSettings(const IniFile&, const std::string& section,
                      const std::string& title) override {
        calls.push_back("load " + Name() + " " + section + " " + title);
    }
    void SaveSettings(IniFile&, const std::string&) const override {
        calls.push_back("save " + Name());
    }
    void AfterStartUp() override { calls.push_back("start " + Name()); }
    void BeforeShutdown() override { calls.push_back("stop " + Name()); }
    AudioProcessor* AudioStage() override { return Name().ends_with("*") ? this : nullptr; }
    void Process(int16_t*, size_t) override {}
};

template <const char* kName> std::unique_ptr<ToolWindow> Make(const ToolContext& context) {
    // A later window sees the ones made before it.
    calls.push_back("make " + std::string(kName) + " after " +
                    std::to_string(context.tools.Entries().size()));
    return std::make_unique<FakeTool>(kName);
}
bool Always(const PortConfig&) {
    return true;
}
bool WithBend(const PortConfig& config) {
    return (config.options & kOptionBend) != 0;
}

constexpr char kA[] = "A", kB[] = "B*", kC[] = "C", kD[] = "D*";
constexpr ToolKind kTestCatalog[] = {
    {ToolId::Dsp, ToolStage::BeforeOutput, &MainPanels::ButtonDSP, 3, Always, Make<kA>},
    {ToolId::Dsp, ToolStage::WithEngine, &MainPanels::ButtonLFO, 1, Always, Make<kB>},
    {ToolId::Dsp, ToolStage::WithEngine, &MainPanels::ButtonBend, 0, WithBend, Make<kC>},
    {ToolId::Dsp, ToolStage::WithInput, &MainPanels::ButtonKbd, 2, Always, Make<kD>},
};

TEST(ToolRegistry, WindowsFollowTheirStageOptionButtonAndOrder) {
    calls.clear();
    TempDir dir;
    TFormMain main(dir.path);
    MainPresets presets(main, dir.path);
    VirtualTimerService timers;
    PortConfig config;
    ToolRegistry tools(kTestCatalog);
    ToolContext context{config, dir.path, timers, main, presets, tools};
    IniFile ini(dir.File("x.ini"));

    for (Button* button : main.ModuleButtons()) {
        EXPECT_FALSE(button->Enabled()) << "no window, no button";
    }
    tools.Create(ToolStage::BeforeOutput, context);
    tools.LoadPending(ini, "S", "T");
    tools.Create(ToolStage::WithEngine, context);
    tools.LoadPending(ini, "S", "T");
    tools.Create(ToolStage::WithInput, context);
    tools.LoadPending(ini, "S", "T");
    EXPECT_TRUE(main.ButtonDSP.Enabled());
    EXPECT_TRUE(main.ButtonLFO.Enabled());
    EXPECT_FALSE(main.ButtonBend.Enabled()) << "its option is off";
    EXPECT_EQ(tools.AudioStage(),
              dynamic_cast<AudioProcessor*>(&tools.Entries()[1].window->Window()))
        << "the first window offering one";

    // The button shows the window.
    main.ButtonLFO.Click();
    EXPECT_TRUE(tools.Entries()[1].window->Window().Visible());

    tools.AfterStartUp();
    tools.BeforeShutdown();
    tools.SaveSettings(ini, "S");
    EXPECT_THAT(calls,
                ElementsAre("make A after 0", "load A S T", "make B* after 1", "load B* S T",
                            "make D* after 2", "load D* S T", "start A", "start B*", "start D*",
                            "stop D*", "stop B*", "stop A", "save B*", "save D*", "save A"));
}

} // namespace
} // namespace vorpline::test
