#pragma once
#include <filesystem>
#include <functional>
#include <string>

#include "controls/Button.h"
#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/FileDialog.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/ListBox.h"
#include "presets/ExportBundle.h"
#include "presets/PerformanceRecord.h"

namespace vorpline {

class ConfirmService;
class PresetWindow;
class TFormRT;

// A window whose preset a performance picks: its preset panel and, for the LFOs, the sequencer
// and Circuit Bend, its master enable. Null where the run has no such window.
struct PerformanceWindow {
    PresetWindow* presets = nullptr;
    CheckBox* enable = nullptr;
};

// Everything a performance sets. The main window's panel and bank selector always exist; the
// LFO and sequencer windows count only together with the clock.
struct PerformanceTargets {
    // The preset tree ("vpx" beside the program); performances are its "*.vpx" files.
    std::filesystem::path presetRoot;
    PresetWindow* main = nullptr;
    // The synth panel's bank selector ("2op 5/6", "4op 1-4", "6op 1-6"); its change handler
    // moves `main` to the bank's folder.
    ComboBox* bank = nullptr;
    TFormRT* clock = nullptr;
    PerformanceWindow lfo;
    PerformanceWindow seq;
    PerformanceWindow cc;
    PerformanceWindow drum;
    PerformanceWindow bend;
};

// The performance dialog: lists the performances of the preset tree, shows one (or the state of
// the instrument) in its controls, and loads, saves, deletes, exports and imports them. Made for
// each opening, filled from the instrument at once; modal.
//
// An import is a file from elsewhere: it is checked whole before anything is written, its files
// go only into their kinds' folders under the names PresetFolder accepts, no existing file is
// replaced without the user's "OK", and the files are written together or not at all.
// Main thread only; the targets must outlive the dialog.
class TFormPerf : public Form {
public:
    static inline const std::string kExportFilter = "Export files|*.exp|All files|*.*";

    struct Services {
        std::string applicationTitle;
        // The information window titled "Error".
        std::function<void(const std::string& message)> showError;
        // Null: every question is answered "Cancel".
        ConfirmService* confirm = nullptr;
        // Where the export and import dialogs start ("export" beside the program).
        std::filesystem::path exportFolder;
    };

    // Lists the performances and fills the controls from the instrument.
    TFormPerf(PerformanceTargets targets, Services services);

    // The platform's file dialogs, supplied by the view; without them export and import stop at
    // the question for a file, as if cancelled.
    SaveFileService saveFileDialog;
    OpenFileService openFileDialog;

    // --- for the handlers, the view and the renderer ---
    // Refills ListBoxPerformance from the preset tree.
    void ListPerformances();
    // The controls from the instrument as it is: its presets, bank, clock and enables; no title,
    // no entry selected.
    void FillFromCurrent();
    // The performance `title` from its file into the controls. False (caption without a title,
    // controls unchanged) when the file is missing or not one record.
    bool Preview(const std::string& title);
    // `record` into the controls, for the windows that exist; a name missing from its list
    // selects the list's first entry.
    void ShowRecord(const PerformanceRecord& record, const std::string& title);
    // The record the controls describe.
    PerformanceRecord Record() const;
    // Sets the instrument from the controls: the three enables off, the main preset with its
    // bank, the clock's tempo and source, the LFO, sequence, map, kit and Circuit Bend presets,
    // then the enables as the dialog has them.
    void Apply();
    // Whether Apply ran since the dialog opened.
    bool Applied() const { return applied; }

    // --- handlers ---
    void ListBoxPerformanceClick();
    void ListBoxPerformanceEnter();
    void ListBoxPerformanceDblClick();
    void ListBoxPerformanceKeyUp(int key);
    void EditTitleKeyUp(int key);
    void ButtonLoadClick();
    void ButtonSaveClick();
    void ButtonResetClick();
    void ButtonDeleteClick();
    void ButtonCloseClick();
    void ComboBoxBankChange();
    void ComboBoxClockChange();
    void SpeedButtonExportClick();
    void SpeedButtonImportClick();

    ListBox ListBoxPerformance{"ListBoxPerformance"};
    Label LabelTitle{"LabelTitle", "Title"};
    Edit EditTitle{"EditTitle"};
    Label LabelPreset{"LabelPreset", "Preset"};
    ComboBox ComboBoxPreset{"ComboBoxPreset"};
    Label LabelBank{"LabelBank", "Bank"};
    ComboBox ComboBoxBank{"ComboBoxBank"};
    Label LabelClock{"LabelClock", "Clock"};
    ComboBox ComboBoxClock{"ComboBoxClock"};
    Label LabelBPM{"LabelBPM", "BPM"};
    Edit EditBPM{"EditBPM", "100"};
    Label LabelCc{"LabelCc", "Control change"};
    ComboBox ComboBoxCc{"ComboBoxCc"};
    Label LabelLfo{"LabelLfo", "LFO"};
    ComboBox ComboBoxLfo{"ComboBoxLfo"};
    CheckBox CheckBoxLfo{"CheckBoxLfo", "Enable"};
    Label LabelSeq{"LabelSeq", "Sequence"};
    ComboBox ComboBoxSeq{"ComboBoxSeq"};
    CheckBox CheckBoxSeq{"CheckBoxSeq", "Enable"};
    Label LabelBend{"LabelBend", "Circuit bend"};
    ComboBox ComboBoxBend{"ComboBoxBend"};
    CheckBox CheckBoxBend{"CheckBoxBend", "Enable"};
    Label LabelDrum{"LabelDrum", "Drum kit"};
    ComboBox ComboBoxDrum{"ComboBoxDrum"};
    Button ButtonLoad{"ButtonLoad", "Load"};
    Button ButtonSave{"ButtonSave", "Save"};
    Button ButtonReset{"ButtonReset", "Reset"};
    Button ButtonDelete{"ButtonDelete", "Delete"};
    Button ButtonClose{"ButtonClose", "Close"};
    Button SpeedButtonExport{"SpeedButtonExport", "Export", "Export performance"};
    Button SpeedButtonImport{"SpeedButtonImport", "Import", "Import performance"};

private:
    // One preset box and the window it stands for.
    struct Row {
        ComboBox& box;
        PerformanceWindow window;
        std::string PerformanceRecord::*name;
        Label& label;
        CheckBox* enable;                  // the dialog's enable box, or null
        bool PerformanceRecord::*enableOn; // its field, or null
        bool needsClock;                   // the LFOs and the sequencer run on the clock
        BundleEntry entry;
    };

    void Wire();
    std::vector<Row> Rows();
    bool HasClock() const { return targets.clock != nullptr; }
    // The window a row stands for exists in this run (LFO and sequencer: with the clock).
    bool Present(const Row& row) const;
    // Writes the record under the title; false after telling why.
    bool SaveRecord();
    void ApplyAndClose();
    void ShowCaption(const std::string& title = {});
    void Error(const std::string& message) const;
    bool Confirm(const std::string& message, const std::string& caption) const;

    PerformanceTargets targets;
    Services services;
    bool applied = false;
};

// Loads a performance without the dialog, as "Load" in the dialog would: `nameOrFile` is a title
// in the preset tree, or a file path when it ends in ".vpx". Returns an empty text on success,
// else why nothing was applied.
std::string ApplyPerformance(const PerformanceTargets& targets, const std::string& nameOrFile);
// The same for a record at hand.
void ApplyPerformance(const PerformanceTargets& targets, const PerformanceRecord& record);

} // namespace vorpline
