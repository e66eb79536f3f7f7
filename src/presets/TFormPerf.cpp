#include "presets/TFormPerf.h"

#include <algorithm>
#include <set>

#include "modulation/TFormRT.h"
#include "platform/AsciiCase.h"
#include "platform/FileBytes.h"
#include "presets/ExportBundle.h"
#include "presets/PresetWindow.h"
#include "ui/ConfirmService.h"

namespace vorpline {

namespace {

namespace fs = std::filesystem;

constexpr int kEnter = '\r';
const std::string kCaptionPrefix = "Performance - ";
const std::vector<std::string> kBanks = {"2op 5/6", "4op 1-4", "6op 1-6"};
const std::vector<std::string> kClockSources = {"Multimedia timer", "Midi sync clock",
                                                "Midi time code"};
const std::string& kDefault = PresetFolder::kDefaultName;

// A window's names with "Default" on top, where its built-in contents are picked.
std::vector<std::string> WithDefault(std::vector<std::string> names) {
    if (std::find(names.begin(), names.end(), kDefault) == names.end()) {
        names.insert(names.begin(), kDefault);
    }
    return names;
}

// The entry equal to `name` ignoring ASCII case, else the first.
void SelectName(ComboBox& box, const std::string& name) {
    int index = 0;
    for (int i = 0; i < box.Count(); ++i) {
        if (EqualsIgnoringAsciiCase(box.Item(i), name)) {
            index = i;
            break;
        }
    }
    box.SetItemIndex(index);
}

// A stored index within `count` entries, else the first entry.
int IndexWithin(uint32_t index, std::size_t count) {
    return index < count ? static_cast<int>(index) : 0;
}

uint32_t Stored(int index) {
    return index < 0 ? 0 : static_cast<uint32_t>(index);
}

// Whether `path` already holds exactly `bytes` (then importing it changes nothing).
bool Holds(const fs::path& path, const std::vector<uint8_t>& bytes) {
    FileBytes read = ReadFileBytes(path, bytes.size() + 1);
    return read && read.bytes == bytes;
}

// The folders a plan writes into, made where missing; returns those it made, deepest first, so
// a failed import can take them away again.
std::vector<fs::path> MakeFolders(const std::vector<FileContents>& files, bool& ok) {
    std::vector<fs::path> made;
    std::set<fs::path> folders;
    for (const FileContents& file : files) {
        folders.insert(file.path.parent_path());
    }
    ok = true;
    for (const fs::path& folder : folders) {
        std::vector<fs::path> missing;
        std::error_code ec;
        for (fs::path at = folder; !at.empty() && !fs::exists(at, ec); at = at.parent_path()) {
            missing.push_back(at);
            if (at == at.parent_path()) {
                break;
            }
        }
        fs::create_directories(folder, ec);
        ok = ok && !ec;
        made.insert(made.end(), missing.begin(), missing.end());
    }
    // Deepest first, so each is empty when its turn to go comes.
    std::sort(made.begin(), made.end(), [](const fs::path& a, const fs::path& b) {
        return std::distance(a.begin(), a.end()) > std::distance(b.begin(), b.end());
    });
    return made;
}

} // namespace

TFormPerf::TFormPerf(PerformanceTargets targetsIn, Services servicesIn)
    : Form("FormPerf", ""), targets(std::move(targetsIn)), services(std::move(servicesIn)) {
    ComboBoxBank.SetItems(targets.bank != nullptr ? targets.bank->Items() : kBanks);
    ComboBoxClock.SetItems(kClockSources);
    Wire();
    ListPerformances();
    FillFromCurrent();
}

void TFormPerf::Wire() {
    ListBoxPerformance.onClick = [this] { ListBoxPerformanceClick(); };
    ListBoxPerformance.onEnter = [this] { ListBoxPerformanceEnter(); };
    ListBoxPerformance.onDblClick = [this] { ListBoxPerformanceDblClick(); };
    ListBoxPerformance.onKeyUp = [this](int key) { ListBoxPerformanceKeyUp(key); };
    EditTitle.onKeyUp = [this](int key) { EditTitleKeyUp(key); };
    ComboBoxBank.onChange = [this] { ComboBoxBankChange(); };
    ComboBoxClock.onChange = [this] { ComboBoxClockChange(); };
    ButtonLoad.onClick = [this] { ButtonLoadClick(); };
    ButtonSave.onClick = [this] { ButtonSaveClick(); };
    ButtonReset.onClick = [this] { ButtonResetClick(); };
    ButtonDelete.onClick = [this] { ButtonDeleteClick(); };
    ButtonClose.onClick = [this] { ButtonCloseClick(); };
    SpeedButtonExport.onClick = [this] { SpeedButtonExportClick(); };
    SpeedButtonImport.onClick = [this] { SpeedButtonImportClick(); };
}

std::vector<TFormPerf::Row> TFormPerf::Rows() {
    // In the order Apply loads them.
    return {
        {ComboBoxLfo, targets.lfo, &PerformanceRecord::lfo, LabelLfo, &CheckBoxLfo,
         &PerformanceRecord::lfoEnable, true, BundleEntry::Lfo},
        {ComboBoxSeq, targets.seq, &PerformanceRecord::seq, LabelSeq, &CheckBoxSeq,
         &PerformanceRecord::seqEnable, true, BundleEntry::Seq},
        {ComboBoxCc, targets.cc, &PerformanceRecord::cc, LabelCc, nullptr, nullptr, false,
         BundleEntry::Cc},
        {ComboBoxDrum, targets.drum, &PerformanceRecord::drum, LabelDrum, nullptr, nullptr, false,
         BundleEntry::Drum},
        {ComboBoxBend, targets.bend, &PerformanceRecord::bend, LabelBend, &CheckBoxBend,
         &PerformanceRecord::bendEnable, false, BundleEntry::Bend},
    };
}

bool TFormPerf::Present(const Row& row) const {
    return row.window.presets != nullptr && (!row.needsClock || HasClock());
}

void TFormPerf::ListPerformances() {
    ListBoxPerformance.SetItems(vorpline::ListPerformances(targets.presetRoot));
    ListBoxPerformance.SetItemIndex(-1);
}

void TFormPerf::FillFromCurrent() {
    EditTitle.SetText("");
    ListBoxPerformance.SetItemIndex(-1);

    // The main presets: the panel's bank and its current preset.
    // A panel without a selected bank works in the 6-op bank, and so does the dialog.
    const int bank = targets.bank != nullptr ? targets.bank->ItemIndex() : ComboBox::kNone;
    ComboBoxBank.SetItemIndex(
        bank != ComboBox::kNone ? bank : static_cast<int>(PerformanceRecord::kDefaultBank));
    ComboBoxBankChange();
    if (targets.main != nullptr) {
        const ComboBox& current = targets.main->PresetBox();
        if (current.ItemIndex() != ComboBox::kNone) {
            SelectName(ComboBoxPreset, current.Text());
        }
    }

    // The clock, and with it the tempo.
    const bool clock = HasClock();
    LabelClock.SetEnabled(clock);
    ComboBoxClock.SetEnabled(clock);
    if (clock) {
        const int source = targets.clock->RadioGroupSRC.ItemIndex();
        ComboBoxClock.SetItemIndex(source < 0 ? 0 : source);
        EditBPM.SetText(targets.clock->EditBPM.Text());
    }
    ComboBoxClockChange();

    for (Row& row : Rows()) {
        const bool present = Present(row);
        row.label.SetEnabled(present);
        row.box.SetEnabled(present);
        if (row.enable != nullptr) {
            row.enable->SetEnabled(present && row.window.enable != nullptr);
        }
        if (!present) {
            row.box.SetItems({kDefault});
            row.box.SetItemIndex(0);
            continue;
        }
        // The folder as it is now (an import may have added presets the window has not
        // listed yet), and the window's current preset when one is.
        row.box.SetItems(WithDefault(row.window.presets->Folder().List()));
        row.box.SetItemIndex(0);
        const ComboBox& current = row.window.presets->PresetBox();
        if (current.ItemIndex() != ComboBox::kNone) {
            SelectName(row.box, current.Text());
        }
        if (row.enable != nullptr && row.window.enable != nullptr) {
            row.enable->SetChecked(row.window.enable->Checked());
        }
    }
    ShowCaption();
}

bool TFormPerf::Preview(const std::string& title) {
    const auto path = PresetFolder(targets.presetRoot, PerformanceRecord::kExtension).PathOf(title);
    const auto record = path ? ReadPerformanceFile(*path) : std::nullopt;
    if (!record) {
        ShowCaption();
        return false;
    }
    ShowRecord(*record, title);
    return true;
}

void TFormPerf::ShowRecord(const PerformanceRecord& record, const std::string& title) {
    EditTitle.SetText(title);
    // An index that is no bank is read as the first, as an export reads it.
    ComboBoxBank.SetItemIndex(
        IndexWithin(record.bank, static_cast<std::size_t>(ComboBoxBank.Count())));
    ComboBoxBankChange();
    SelectName(ComboBoxPreset, record.preset);
    if (HasClock()) {
        ComboBoxClock.SetItemIndex(IndexWithin(record.clockSource, kClockSources.size()));
        ComboBoxClockChange();
        EditBPM.SetText(std::to_string(record.tempo));
    }
    for (Row& row : Rows()) {
        if (!Present(row)) {
            continue;
        }
        if (row.enable != nullptr && row.window.enable != nullptr) {
            row.enable->SetChecked(record.*row.enableOn);
        }
        SelectName(row.box, record.*row.name);
    }
    ShowCaption(title);
}

PerformanceRecord TFormPerf::Record() const {
    PerformanceRecord record;
    record.preset = ComboBoxPreset.Text();
    record.bank = Stored(ComboBoxBank.ItemIndex());
    record.drum = ComboBoxDrum.Text();
    record.clockSource = Stored(ComboBoxClock.ItemIndex());
    record.tempo = PerformanceTempo(EditBPM.Text());
    record.cc = ComboBoxCc.Text();
    record.lfo = ComboBoxLfo.Text();
    record.lfoEnable = CheckBoxLfo.Checked();
    record.seq = ComboBoxSeq.Text();
    record.seqEnable = CheckBoxSeq.Checked();
    record.bend = ComboBoxBend.Text();
    record.bendEnable = CheckBoxBend.Checked();
    return record;
}

void TFormPerf::Apply() {
    applied = true;
    std::vector<Row> rows = Rows();
    // Nothing runs while the presets change under it.
    for (const Row& row : rows) {
        if (Present(row) && row.window.enable != nullptr) {
            row.window.enable->SetChecked(false);
        }
    }
    if (targets.main != nullptr) {
        if (targets.bank != nullptr) {
            targets.bank->SetItemIndex(ComboBoxBank.ItemIndex());
            targets.bank->Change(); // the panel's handler moves the presets to the bank
        }
        targets.main->RebuildList();
        targets.main->LoadByName(ComboBoxPreset.Text());
    }
    if (HasClock()) {
        targets.clock->EditBPM.SetText(EditBPM.Text());
        targets.clock->ApplyTempo();
        targets.clock->SetSource(ComboBoxClock.ItemIndex());
    }
    for (const Row& row : rows) {
        if (Present(row)) {
            row.window.presets->RebuildList();
            row.window.presets->LoadByName(row.box.Text());
        }
    }
    for (const Row& row : rows) {
        if (Present(row) && row.window.enable != nullptr) {
            row.window.enable->SetChecked(row.enable->Checked());
        }
    }
}

// --- handlers ---

void TFormPerf::ListBoxPerformanceClick() {
    const int index = ListBoxPerformance.ItemIndex();
    if (index >= 0) {
        Preview(ListBoxPerformance.Items()[static_cast<std::size_t>(index)]);
    }
}

void TFormPerf::ListBoxPerformanceEnter() {
    if (ListBoxPerformance.ItemIndex() < 0 && !ListBoxPerformance.Items().empty()) {
        ListBoxPerformance.SetItemIndex(0);
        ListBoxPerformanceClick();
    }
}

void TFormPerf::ListBoxPerformanceDblClick() {
    ApplyAndClose();
}

void TFormPerf::ListBoxPerformanceKeyUp(int key) {
    if (key == kEnter) {
        ApplyAndClose();
    }
}

void TFormPerf::EditTitleKeyUp(int key) {
    if (key == kEnter) {
        ButtonSaveClick();
    }
}

void TFormPerf::ButtonLoadClick() {
    ApplyAndClose();
}

void TFormPerf::ButtonSaveClick() {
    if (SaveRecord()) {
        ApplyAndClose();
    }
}

void TFormPerf::ButtonResetClick() {
    FillFromCurrent();
}

void TFormPerf::ButtonDeleteClick() {
    const int index = ListBoxPerformance.ItemIndex();
    if (index < 0 || !Confirm("Delete performance?", "Performance")) {
        return;
    }
    std::vector<std::string> titles = ListBoxPerformance.Items();
    const std::string title = titles[static_cast<std::size_t>(index)];
    if (!PresetFolder(targets.presetRoot, PerformanceRecord::kExtension).Remove(title)) {
        Error("Performance delete failed.");
    }
    titles.erase(titles.begin() + index);
    ListBoxPerformance.SetItems(std::move(titles));
    FillFromCurrent();
}

void TFormPerf::ButtonCloseClick() {
    Hide();
}

void TFormPerf::ComboBoxBankChange() {
    const uint32_t bank = Stored(ComboBoxBank.ItemIndex());
    ComboBoxPreset.SetItems(
        WithDefault(ListPresetNames(targets.presetRoot / PerformanceBankFolder(bank), ".sbi")));
    ComboBoxPreset.SetItemIndex(0);
}

void TFormPerf::ComboBoxClockChange() {
    const bool tempo = HasClock() && ComboBoxClock.ItemIndex() == 0;
    LabelBPM.SetEnabled(tempo);
    EditBPM.SetEnabled(tempo);
}

void TFormPerf::SpeedButtonExportClick() {
    if (!SaveRecord()) {
        return;
    }
    const std::string title = EditTitle.Text();
    Apply();
    ListPerformances();
    ShowCaption(title);
    if (!saveFileDialog) {
        return;
    }
    FileRequest request;
    request.title = "Export performance";
    request.defaultExtension = "exp";
    request.filter = kExportFilter;
    request.folder = services.exportFolder;
    request.proposedName = title + ".exp";
    request.confirmOverwrite = true;
    std::error_code ignored;
    fs::create_directories(request.folder, ignored);
    const auto chosen = saveFileDialog(request);
    if (!chosen) {
        return;
    }
    // The windows that do not exist contribute nothing, whatever their boxes hold.
    std::vector<BundleEntry> absent;
    for (const Row& row : Rows()) {
        if (!Present(row)) {
            absent.push_back(row.entry);
        }
    }
    if (targets.main == nullptr) {
        absent.push_back(BundleEntry::Preset);
    }
    const BundleResult bundle = GatherBundle(targets.presetRoot, Record(), absent);
    if (!bundle.bundle) {
        Error("Performance export failed: " + bundle.problem);
        return;
    }
    // Written whole or not at all: a failed export leaves no half file.
    if (!ReplaceFileContents(*chosen, EncodeBundle(bundle.bundle->entries))) {
        Error("Performance export failed.");
    }
}

void TFormPerf::SpeedButtonImportClick() {
    if (!openFileDialog) {
        return;
    }
    FileRequest request;
    request.title = "Import performance";
    request.defaultExtension = "exp";
    request.filter = kExportFilter;
    request.folder = services.exportFolder;
    const auto chosen = openFileDialog(request);
    if (!chosen) {
        return;
    }
    const std::string failed = "Performance import failed: ";
    // One byte past the largest export tells a file that cannot be one, without reading it all.
    FileBytes read = ReadFileBytes(*chosen, LargestBundle() + 1);
    if (!read) {
        Error(failed + "the file cannot be read (" + read.error + ").");
        return;
    }
    const BundleResult parsed = ParseBundle(read.bytes);
    if (!parsed.bundle) {
        Error(failed + parsed.problem);
        return;
    }
    // The performance is called after the file chosen, whatever the exporter called it.
    const std::string title = fs::path(*chosen).stem().string();
    BundlePlan plan = PlanBundleFiles(targets.presetRoot, title, *parsed.bundle);
    if (!plan.problem.empty()) {
        Error(failed + plan.problem);
        return;
    }
    // Files that already hold these bytes stay untouched; every other existing one is replaced
    // only when the user says so.
    std::vector<FileContents> files;
    std::string replaced;
    bool replacesPerformance = false;
    for (std::size_t i = 0; i < plan.files.size(); ++i) {
        FileContents& file = plan.files[i];
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(file.path, ec))) {
            files.push_back(std::move(file));
            continue;
        }
        if (Holds(file.path, file.bytes)) {
            continue;
        }
        if (plan.kinds[i] == BundleEntry::Performance) {
            replacesPerformance = true;
        } else {
            replaced += "\n" + fs::relative(file.path, targets.presetRoot, ec).string();
        }
        files.push_back(std::move(file));
    }
    if (replacesPerformance && !Confirm("Overwrite performance?", "Import performance")) {
        return;
    }
    if (!replaced.empty() && !Confirm("Overwrite presets?" + replaced, "Import performance")) {
        return;
    }
    bool ok = true;
    const std::vector<fs::path> made = MakeFolders(files, ok);
    if (!ok || !ReplaceFilesTogether(files)) {
        for (const fs::path& folder : made) {
            std::error_code ignored;
            fs::remove(folder, ignored); // only if still empty
        }
        Error(failed + "its files could not be written; nothing was changed.");
        return;
    }
    ListPerformances();
    FillFromCurrent();
}

// --- helpers ---

bool TFormPerf::SaveRecord() {
    const std::string title = EditTitle.Text();
    if (title.empty()) {
        Error("Performance title missing.");
        return false;
    }
    const auto path = PresetFolder(targets.presetRoot, PerformanceRecord::kExtension).PathOf(title);
    if (!path) {
        Error("Performance save failed. " + PresetFolder::NameProblem(title));
        return false;
    }
    std::error_code ignored;
    fs::create_directories(targets.presetRoot, ignored);
    if (!WritePerformanceFile(*path, Record())) {
        Error("Performance save failed.");
        return false;
    }
    return true;
}

void TFormPerf::ApplyAndClose() {
    Apply();
    Hide();
}

void TFormPerf::ShowCaption(const std::string& title) {
    SetCaption(kCaptionPrefix + services.applicationTitle + (title.empty() ? "" : " - " + title));
}

void TFormPerf::Error(const std::string& message) const {
    if (services.showError) {
        services.showError(message);
    }
}

bool TFormPerf::Confirm(const std::string& message, const std::string& caption) const {
    return services.confirm != nullptr && services.confirm->Confirm(message, caption);
}

// --- without the dialog ---

void ApplyPerformance(const PerformanceTargets& targets, const PerformanceRecord& record) {
    TFormPerf dialog(targets, {});
    dialog.ShowRecord(record, {});
    dialog.Apply();
}

std::string ApplyPerformance(const PerformanceTargets& targets, const std::string& nameOrFile) {
    const std::string& extension = PerformanceRecord::kExtension;
    std::optional<fs::path> path;
    if (nameOrFile.size() > extension.size() && nameOrFile.ends_with(extension)) {
        path = nameOrFile;
    } else {
        path = PresetFolder(targets.presetRoot, extension).PathOf(nameOrFile);
    }
    const auto record = path ? ReadPerformanceFile(*path) : std::nullopt;
    if (!record) {
        return "performance \"" + nameOrFile + "\" not found or not " +
               std::to_string(PerformanceRecord::kSize) + " bytes";
    }
    ApplyPerformance(targets, *record);
    return {};
}

} // namespace vorpline
