#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <tuple>

#include "modulation/TFormRT.h"
#include "platform/VirtualTimerService.h"
#include "presets/ExportBundle.h"
#include "presets/PresetWindow.h"
#include "presets/TFormPerf.h"
#include "presets/TSbi.h"
#include "support/TempDir.h"
#include "ui/ConfirmService.h"

namespace vorpline::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Answers : public ConfirmService {
public:
    bool Confirm(const std::string& message, const std::string& caption) override {
        asked.push_back(caption + ": " + message);
        const bool answer = script.empty() || script.front();
        if (!script.empty()) {
            script.erase(script.begin());
        }
        return answer;
    }
    std::vector<bool> script; // then "OK" for every further question
    std::vector<std::string> asked;
};

// A preset window of one kind in the tree; the log hears what it loads and switches.
struct Window {
    Window(const fs::path& folder, const std::string& extension, std::string name,
           std::vector<std::string>& log)
        : tag(std::move(name)), log(log),
          presets({form, box, label, save, reset, byDefault, remove},
                  {folder,
                   extension,
                   "",
                   "",
                   "",
                   [this](const std::string& preset) { return Log(preset); },
                   {},
                   [this] { Log("Default"); }},
                  {}) {
        enable.onClick = [this] { Log(enable.Checked() ? "on" : "off"); };
    }
    bool Log(const std::string& what) {
        log.push_back(tag + " " + what);
        return true;
    }
    std::string tag;
    std::vector<std::string>& log;
    Form form{"Form", ""};
    ComboBox box{"ComboBoxPreset", {}, ComboBox::kNone, true};
    Label label{"LabelPreset", "Preset"};
    Button save{"ButtonSave", ""}, reset{"ButtonReset", ""}, byDefault{"ButtonDefault", ""},
        remove{"ButtonDelete", ""};
    CheckBox enable{"CheckBoxEnable", "Enable"};
    PresetWindow presets;
};

void Put(const fs::path& file, const std::vector<uint8_t>& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> Sbi() {
    return TSbi::Encode('2', "Lead", PatchRecord{}, PatchExt{});
}

// Every file and folder below `top`, a file by a hash of its bytes (so a difference prints short).
std::map<std::string, std::size_t> Snapshot(const fs::path& top) {
    std::map<std::string, std::size_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(top)) {
        files[fs::relative(entry.path(), top).string()] =
            entry.is_directory() ? 0 : std::hash<std::string>{}(TempDir::Read(entry.path()));
    }
    return files;
}

// Preset, bank, kit, clock source, tempo, map, then the LFO, sequence and bend with enables.
const PerformanceRecord kShow{"Lead",   1,    "Kit",   1,     140,     "Knobs",
                              "Wobble", true, "Steps", false, "Crush", true};

class TFormPerfTest : public ::testing::Test {
protected:
    TFormPerfTest() {
        bank.onChange = [this] {
            main.presets.SetFolder(root / PerformanceBankFolder(bank.ItemIndex()));
            log.push_back("bank " + std::to_string(bank.ItemIndex()));
        };
        clock.EditBPM.Observe([this] { log.push_back("tempo " + clock.EditBPM.Text()); });
        clock.RadioGroupSRC.Observe(
            [this] { log.push_back("source " + std::to_string(clock.RadioGroupSRC.ItemIndex())); });
        // The files kShow names, each of its kind's size.
        Put(root / "4op/Lead.sbi", Sbi());
        Put(root / "drum kit/Kit.kit", std::vector<uint8_t>(90, 1));
        Put(root / "control change/Knobs.txt", {'1', '\n'});
        Put(root / "lfo/Wobble.lfo", std::vector<uint8_t>(416, 2));
        Put(root / "sequence/Steps.seq", std::vector<uint8_t>(144, 3));
        Put(root / "circuit bend/Crush.bnd", std::vector<uint8_t>(50, 4));
    }

    PerformanceTargets Targets(bool withClock = true, bool withDrum = true) {
        return {root,
                &main.presets,
                &bank,
                withClock ? &clock : nullptr,
                {&lfo.presets, &lfo.enable},
                {&seq.presets, &seq.enable},
                {&cc.presets, nullptr},
                {withDrum ? &drum.presets : nullptr, nullptr},
                {&bend.presets, &bend.enable}};
    }

    std::unique_ptr<TFormPerf> Dialog(PerformanceTargets targets) {
        auto dialog = std::make_unique<TFormPerf>(
            std::move(targets),
            TFormPerf::Services{"Vorpline",
                                [this](const std::string& message) { errors.push_back(message); },
                                &answers, dir.path / "export"});
        dialog->saveFileDialog = [this](const FileRequest& request) {
            requests.push_back(request.title + " " + request.proposedName + " " + request.filter);
            return std::optional<std::string>(chosen);
        };
        dialog->openFileDialog = [this](const FileRequest& request) {
            requests.push_back(request.title);
            return std::optional<std::string>(chosen);
        };
        dialog->Show();
        return dialog;
    }

    // Imports the bundle `bytes` from a file called `file`.
    void Import(const std::vector<uint8_t>& bytes, const std::string& file = "Show.exp") {
        chosen = (dir.path / "in" / file).string();
        Put(chosen, bytes);
        errors.clear();
        answers.asked.clear();
        Dialog(Targets())->SpeedButtonImport.Click();
    }

    TempDir dir;
    fs::path root = dir.path / "vpx";
    std::vector<std::string> log;
    Window main{root / "6op", ".sbi", "main", log};
    ComboBox bank{"ComboBoxBank", {"2op 5/6", "4op 1-4", "6op 1-6"}, 2};
    Window lfo{root / "lfo", ".lfo", "lfo", log};
    Window seq{root / "sequence", ".seq", "seq", log};
    Window cc{root / "control change", ".txt", "cc", log};
    Window drum{root / "drum kit", ".kit", "drum", log};
    Window bend{root / "circuit bend", ".bnd", "bend", log};
    VirtualTimerService timers;
    TFormRT clock{timers, nullptr, {}, nullptr};
    Answers answers;
    std::vector<std::string> errors;
    std::vector<std::string> requests;
    std::string chosen;
};

TEST_F(TFormPerfTest, PreviewShowsTheRecordAndLoadAppliesInOrder) {
    ASSERT_TRUE(WritePerformanceFile(root / "Show.vpx", kShow));
    for (Window* w : {&lfo, &seq, &bend}) {
        w->enable.SetChecked(true);
    }
    lfo.presets.RebuildList();
    lfo.presets.LoadByName("Wobble");
    log.clear();
    auto dialog = Dialog(Targets());
    // Opening shows the instrument as it is: the LFO window's preset, the clock's tempo.
    EXPECT_THAT(dialog->ComboBoxLfo.Items(), ElementsAre("Default", "Wobble"));
    EXPECT_EQ(dialog->Record(),
              (PerformanceRecord{
                  .lfo = "Wobble", .lfoEnable = true, .seqEnable = true, .bendEnable = true}));
    EXPECT_EQ(dialog->EditBPM.Text(), "120"); // a record reads no number as 120 as well
    EXPECT_EQ(dialog->Caption(), "Performance - Vorpline");

    EXPECT_THAT(dialog->ListBoxPerformance.Items(), ElementsAre("Show"));
    dialog->ListBoxPerformanceEnter();
    EXPECT_EQ(dialog->EditTitle.Text(), "Show");
    EXPECT_THAT(dialog->ComboBoxPreset.Items(), ElementsAre("Default", "Lead"));
    EXPECT_FALSE(dialog->EditBPM.Enabled()); // the tempo is the outside clock's
    EXPECT_EQ(dialog->Record(), kShow);
    EXPECT_EQ(dialog->Caption(), "Performance - Vorpline - Show");
    EXPECT_THAT(log, IsEmpty());

    dialog->ListBoxPerformanceKeyUp('\r');
    EXPECT_THAT(log, ElementsAre("lfo off", "seq off", "bend off", "bank 1", "main Lead",
                                 "tempo 140", "source 1", "lfo Wobble", "seq Steps", "cc Knobs",
                                 "drum Kit", "bend Crush", "lfo on", "bend on"));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_THAT(errors, IsEmpty());
}

TEST_F(TFormPerfTest, AbsentWindowsAreNeitherShownNorAppliedAndMissingNamesPickTheFirst) {
    PerformanceRecord record = kShow;
    record.cc = "Gone";
    ASSERT_TRUE(WritePerformanceFile(root / "Show.vpx", record));
    // A record cut short is no performance: not listed, not previewed.
    Put(root / "Cut.vpx", std::vector<uint8_t>(1559));
    auto dialog = Dialog(Targets(false, false));
    for (const Control* control : std::initializer_list<const Control*>{
             &dialog->LabelClock, &dialog->ComboBoxClock, &dialog->LabelBPM, &dialog->EditBPM,
             &dialog->ComboBoxLfo, &dialog->CheckBoxLfo, &dialog->LabelSeq,
             &dialog->ComboBoxDrum}) {
        EXPECT_FALSE(control->Enabled()) << control->Name();
    }
    EXPECT_TRUE(dialog->ComboBoxBend.Enabled());
    EXPECT_FALSE(dialog->Preview("Cut"));
    EXPECT_EQ(dialog->Caption(), "Performance - Vorpline");
    ASSERT_TRUE(dialog->Preview("Show"));
    // The disabled controls keep what they held, and so does a saved record.
    const PerformanceRecord shown = dialog->Record();
    EXPECT_EQ(std::tuple(shown.cc, shown.tempo, shown.lfo, shown.drum),
              std::tuple("Default", 100u, "Default", "Default"));
    log.clear();
    dialog->ButtonLoad.Click();
    EXPECT_THAT(log, ElementsAre("bank 1", "main Lead", "cc Default", "bend Crush", "bend on"));
}

TEST_F(TFormPerfTest, SaveAndDelete) {
    auto dialog = Dialog(Targets());
    for (const auto& [title, message] :
         {std::pair{"", "Performance title missing."},
          {"a/b", "Performance save failed. A preset name cannot contain \"/\" or \"\\\"."}}) {
        errors.clear();
        dialog->EditTitle.SetText(title);
        dialog->EditTitle.UserKeyUp('\r');
        EXPECT_THAT(errors, ElementsAre(message));
        EXPECT_TRUE(dialog->Visible());
    }
    dialog->EditTitle.SetText("Gig");
    dialog->ComboBoxLfo.UserSelect(1);
    dialog->EditBPM.SetText("fast");
    dialog->ButtonSave.Click();
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(dialog->Applied());
    const auto saved = ReadPerformanceFile(root / "Gig.vpx");
    ASSERT_TRUE(saved);
    EXPECT_EQ(std::tuple(saved->lfo, saved->tempo), std::tuple("Wobble", 120u));

    for (bool ok : {false, true}) {
        answers.script = {ok};
        dialog = Dialog(Targets());
        dialog->ButtonDelete.Click(); // nothing selected: nothing asked
        dialog->ListBoxPerformance.UserClick(0);
        dialog->ButtonDelete.Click();
        EXPECT_EQ(fs::exists(root / "Gig.vpx"), !ok);
        EXPECT_EQ(dialog->ListBoxPerformance.Items().empty(), ok);
        EXPECT_EQ(dialog->EditTitle.Text(), ok ? "" : "Gig");
    }
    EXPECT_THAT(answers.asked, ElementsAre("Performance: Delete performance?",
                                           "Performance: Delete performance?"));
}

TEST_F(TFormPerfTest, ExportThenImportIntoAFreshTreeAsksBeforeReplacing) {
    PerformanceRecord record = kShow;
    record.drum = "Default"; // no file: an empty entry
    ASSERT_TRUE(WritePerformanceFile(root / "Gig.vpx", record));
    fs::create_directories(dir.path / "out");
    chosen = (dir.path / "out/Show.exp").string();
    auto dialog = Dialog(Targets());
    ASSERT_TRUE(dialog->Preview("Gig"));
    dialog->SpeedButtonExport.Click();
    EXPECT_THAT(errors, IsEmpty());
    EXPECT_TRUE(dialog->Visible());
    EXPECT_TRUE(dialog->Applied());
    EXPECT_THAT(requests,
                ElementsAre("Export performance Gig.exp Export files|*.exp|All files|*.*"));

    TempDir other;
    PerformanceTargets fresh = Targets();
    fresh.presetRoot = other.path / "vpx";
    dialog = Dialog(fresh);
    // The same bundle twice: the second time replaces nothing, so nothing is asked.
    for (int pass = 0; pass < 2; ++pass) {
        dialog->SpeedButtonImport.Click();
        EXPECT_THAT(errors, IsEmpty());
        EXPECT_THAT(answers.asked, IsEmpty());
    }
    EXPECT_THAT(dialog->ListBoxPerformance.Items(), ElementsAre("Show"));
    // The new tree is the old one under the bundle's name, without the kit it does not name.
    fs::remove_all(root / "drum kit");
    fs::rename(root / "Gig.vpx", root / "Show.vpx");
    EXPECT_EQ(Snapshot(fresh.presetRoot), Snapshot(root));

    // Changed files are replaced only after "OK" to each question.
    const std::vector<std::string> questions = {
        "Import performance: Overwrite performance?",
        "Import performance: Overwrite presets?\nlfo/Wobble.lfo"};
    const struct {
        std::vector<bool> script;
        std::size_t questions;
        bool replaced;
    } cases[] = {{{false}, 1, false}, {{true, false}, 2, false}, {{true, true}, 2, true}};
    for (const auto& c : cases) {
        Put(fresh.presetRoot / "Show.vpx", std::vector<uint8_t>(1560));
        Put(fresh.presetRoot / "lfo/Wobble.lfo", std::vector<uint8_t>(416));
        answers.asked.clear();
        answers.script = c.script;
        dialog->SpeedButtonImport.Click();
        EXPECT_THAT(errors, IsEmpty());
        EXPECT_EQ(answers.asked, std::vector(questions.begin(), questions.begin() + c.questions));
        EXPECT_EQ(TempDir::Read(fresh.presetRoot / "lfo/Wobble.lfo") ==
                      TempDir::Read(root / "lfo/Wobble.lfo"),
                  c.replaced);
        EXPECT_EQ(ReadPerformanceFile(fresh.presetRoot / "Show.vpx") == record, c.replaced);
    }
}

// A bundle of the record naming `name` in `field`, with `files` beside it.
std::vector<uint8_t> Bundle(std::string PerformanceRecord::*field, const std::string& name,
                            const std::map<BundleEntry, std::vector<uint8_t>>& files = {}) {
    PerformanceRecord record;
    record.*field = name;
    BundleEntries entries;
    const auto image = EncodePerformance(record);
    entries[0].assign(image.begin(), image.end());
    for (const auto& [entry, bytes] : files) {
        entries[static_cast<std::size_t>(entry)] = bytes;
    }
    return EncodeBundle(entries);
}

TEST_F(TFormPerfTest, HostileBundlesFailWholeAndChangeNothing) {
    using P = PerformanceRecord;
    Put(dir.path / "outside.txt", {'k', 'e', 'e', 'p'});
    Put(root / "Show.vpx", std::vector<uint8_t>(1560, 9));
    fs::create_directories(root / "lfo/Folder.lfo");
    fs::create_directories(dir.path / "in");
    const std::vector<uint8_t> lfoFile(416, 5), kit(90);
    const auto valid = Bundle(&P::lfo, "New", {{BundleEntry::Lfo, lfoFile}});
    // Without the last two length fields and the LFO preset's last byte.
    const std::vector<uint8_t> cut(valid.begin(), valid.end() - 5);
    auto trailing = valid;
    trailing.resize(valid.size() + 6000);
    auto magic = valid;
    magic[2] = 'Q';
    BundleEntries shortRecord;
    shortRecord[0].resize(1559);
    const std::string slash = "A preset name cannot contain \"/\" or \"\\\".";
    const std::string control = "A preset name cannot contain control characters.";

    const struct {
        const char* what;
        std::vector<uint8_t> bundle;
        std::string problem;
        std::string file = "Show.exp";
    } cases[] = {
        {"parent", Bundle(&P::lfo, "../x", {{BundleEntry::Lfo, lfoFile}}),
         "the LFO preset name cannot be a file name. " + slash},
        {"dots", Bundle(&P::seq, "..", {{BundleEntry::Seq, {}}}),
         "the sequence name cannot be a file name. A preset name cannot start with \".\"."},
        {"backslash", Bundle(&P::bend, "a\\b"),
         "the Circuit Bend preset name cannot be a file name. " + slash},
        {"absolute", Bundle(&P::preset, "/etc/passwd", {{BundleEntry::Preset, Sbi()}}),
         "the main preset name cannot be a file name. " + slash},
        {"control", Bundle(&P::cc, "a\nb", {{BundleEntry::Cc, {'x'}}}),
         "the control change map name cannot be a file name. " + control},
        {"long", Bundle(&P::lfo, std::string(129, 'n')),
         "the LFO preset name cannot be a file name. A preset name can be at most 128 "
         "characters long."},
        {"utf8", Bundle(&P::drum, "Kit\xFF", {{BundleEntry::Drum, kit}}),
         "the drum kit name is not valid UTF-8 text."},
        {"default", Bundle(&P::drum, "Default", {{BundleEntry::Drum, kit}}),
         "the drum kit entry holds a file, but its name is \"Default\"."},
        {"size", Bundle(&P::lfo, "New", {{BundleEntry::Lfo, std::vector<uint8_t>(400)}}),
         "the LFO preset entry is 400 bytes, not 416."},
        {"no preset", Bundle(&P::preset, "Lead", {{BundleEntry::Preset, std::vector<uint8_t>(52)}}),
         "the main preset entry (52 bytes) is no preset file."},
        {"short record", EncodeBundle(shortRecord),
         "the performance entry is 1559 bytes, not 1560."},
        {"past the end", cut, "the LFO preset entry (416 bytes) runs past the end of the file."},
        {"truncated",
         {valid.begin(), valid.begin() + 4 + 2 + 1560},
         "the file ends before the main preset entry."},
        {"huge length",
         {'E', 'X', 'P', 0, 0xFF, 0xFF, 1, 2, 3},
         "the performance entry (65535 bytes) runs past the end of the file."},
        {"thousands of entries", trailing, "6000 bytes follow the last entry."},
        {"magic", magic, "the file does not start with \"EXP\"."},
        {"empty", {}, "the file is empty."},
        {"huge file", std::vector<uint8_t>(LargestBundle() + 1),
         "the file is larger than any export (" + std::to_string(LargestBundle()) + " bytes)."},
        {"title", valid, "the file name cannot name a performance. " + control, "Sh\x01ow.exp"},
        {"unwritable", Bundle(&P::lfo, "Folder", {{BundleEntry::Lfo, lfoFile}}),
         "its files could not be written; nothing was changed."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto before = Snapshot(dir.path);
        Import(c.bundle, c.file);
        fs::remove(chosen);
        EXPECT_THAT(errors, ElementsAre("Performance import failed: " + c.problem));
        EXPECT_EQ(Snapshot(dir.path), before);
        // Only a bundle that passed every check gets as far as asking.
        EXPECT_EQ(answers.asked.empty(), std::string(c.what) != "unwritable");
    }
    // The well-formed bundle goes in.
    Import(valid);
    EXPECT_THAT(errors, IsEmpty());
    EXPECT_EQ(TempDir::Read(root / "lfo/New.lfo"), std::string(416, '\5'));
}

} // namespace
} // namespace vorpline::test
