#include "ui/TFormMain.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "cards/FM801.h"
#include "cards/Mixer.h"
#include "engine/MultiplierCents.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "presets/TFormTuningEdit.h"
#include "ui/TFormInfo.h"
#include "ui/UiService.h"

namespace vorpline {

namespace {

constexpr int kPanelVolume = 25;
constexpr int kAttenuatorCount = 3; // "Off", "/ 2", "/ 4": divisor 1 << index
constexpr int kPoly3 = 3;
constexpr int kHighestOctave = 10; // "C9 G9"

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

} // namespace

TFormMain::TFormMain(std::filesystem::path assetFolder)
    : Form("FormMain", "FM Synth"), assetFolder(std::move(assetFolder)), editor(FrameOps) {
    ComboBoxTranspose.onChange = [this] { ComboBoxTransposeChange(); };
    WirePart(Panel(0));
    WirePart(Panel(1));
    WireOutput();
    WireModules();
    ComboBoxCNT.onChange = [this] { ComboBoxCNTChange(); };
    ComboBoxTD.onChange = [this] { ComboBoxTDChange(); };
    ComboBoxVD.onChange = [this] { ComboBoxVDChange(); };
    editor.editTuningList = [this](int op) { EditTuningList(op); };
    // The schematic follows the algorithm however it is set: by the user, by a preset or by a
    // controller.
    ComboBoxCNT.Observe([this] {
        if (ComboBoxCNT.ItemIndex() != schematicIndex) {
            LoadSchematic();
        }
    });
    LoadSchematic();
}

// --- wiring ---

void TFormMain::WirePart(const PartPanel& p) {
    int part = p.part;
    p.feedback.onChange = [this, part] { PartFeedbackChange(part); };
    p.left.onClick = [this, part] { PartOutputClick(part, true); };
    p.right.onClick = [this, part] { PartOutputClick(part, false); };
    p.mode.onChange = [this, part] { PartModeChange(part); };
    p.priority.onChange = [this, part] { PartPriorityChange(part); };
    // The part tuning has no change handler of its own: it is heard from the next note or
    // retune on. Whoever sets the text, the pitch control learns of it.
    ComboBox& tuning = p.tuning;
    tuning.Observe([this, part, &tuning] {
        if (pitch != nullptr) {
            pitch->SetPartTuning(part, CentsFromText(tuning.Text()));
        }
    });
    // Label shortcuts.
    CheckBox& left = p.left;
    CheckBox& right = p.right;
    p.outputLabel.onClick = [&left, &right] {
        left.Toggle();
        right.Toggle();
    };
    ComboBox& low = p.low;
    ComboBox& high = p.high;
    p.lowLabel.onClick = [&low] { low.SetItemIndex(0); };
    p.highLabel.onClick = [&high] { high.SetItemIndex(kHighestOctave); };
}

void TFormMain::WireOutput() {
    TrackBarVolume.onChange = [this] { TrackBarVolumeChange(); };
    TrackBarPan.onChange = [this] { TrackBarVolumeChange(); };
    CheckBoxMute.onClick = [this] { CheckBoxMuteClick(); };
    ComboBoxDiv.onChange = [this] { ApplyAttenuator(); };
    LabelVolume.onClick = [this] { TrackBarVolume.SetPosition(kPanelVolume); };
    LabelPan.onClick = [this] { TrackBarPan.SetPosition(0); };
    LabelDiv.onClick = [this] {
        ComboBoxDiv.SetItemIndex(0);
        ApplyAttenuator();
    };
    // Only an FM801 has an attenuator.
    ComboBoxDiv.SetEnabled(false);
}

void TFormMain::WireModules() {
    // A button stays disabled until a tool window of this run registers behind it.
    for (Button* button : ModuleButtons()) {
        button->SetEnabled(false);
        button->onClick = [this, button] { ModuleButtonClick(*button); };
    }
}

// --- start-up ---

void TFormMain::AttachEngine(OPL3& engine, PitchControl& pitchControl) {
    chip = &engine;
    pitch = &pitchControl;
    editor.AttachEngine(chip);
    pitch->SetPartTuning(OPL3::kPart1234, CentsFromText(ComboBoxTR1.Text()));
    pitch->SetPartTuning(OPL3::kPart56, CentsFromText(ComboBoxTR2.Text()));
    pitch->SetMasterTuning(CentsFromText(ComboBoxTranspose.Text()));
}

void TFormMain::AttachMixer(Mixer& output, FM801* attenuator) {
    mixer = &output;
    fm801 = attenuator;
    ComboBoxDiv.SetEnabled(fm801 != nullptr);
    if (fm801 != nullptr) {
        ComboBoxDiv.SetItemIndex(0);
        ApplyAttenuator();
    }
}

void TFormMain::EnableVolumeControls(bool on) {
    TrackBarVolume.SetEnabled(on);
    TrackBarPan.SetEnabled(on);
    CheckBoxMute.SetEnabled(on);
}

void TFormMain::ShowMixerLevels() {
    if (mixer == nullptr) {
        return;
    }
    int volume = kPanelVolume;
    int pan = 0;
    bool muted = mixer->GetVolumePan(volume, pan);
    fillingLevels = true;
    TrackBarVolume.SetPosition(volume);
    TrackBarPan.SetPosition(pan);
    CheckBoxMute.SetChecked(false);
    fillingLevels = false;
    // The box now says "not muted"; make the output agree.
    if (muted) {
        mixer->SetMute(false);
    }
}

void TFormMain::SetModuleWindow(Button& button, Form* window) {
    if (window != nullptr) {
        moduleWindows[&button] = window;
    } else {
        moduleWindows.erase(&button);
    }
    button.SetEnabled(window != nullptr);
}

void TFormMain::EnableOperatorCc(bool on) {
    for (TFrameOp* frame : FrameOps) {
        frame->CheckBoxCC.SetEnabled(on);
    }
}

void TFormMain::RemoveDrumModes() {
    for (int index : {6, 5, 4}) {
        ComboBoxLimit56.RemoveItem(index);
    }
    // The part's three channels make "Poly 6" sound as "Poly 3"; say so.
    if (ComboBoxLimit56.ItemIndex() == ComboBox::kNone) {
        ComboBoxLimit56.SetItemIndex(kPoly3);
    }
}

void TFormMain::ShowPresetCaption(const std::string& preset) {
    std::string caption = "FM Synth - " + applicationTitle;
    if (!preset.empty()) {
        caption += " - " + preset;
    }
    SetCaption(caption);
}

// --- services for the rest of the program ---

void TFormMain::SetMasterTuning(int cents) {
    // RPN tuning reaches +-6400 cents and more with the fine part: the box shows, and the chip
    // plays, the nearest value it can sound.
    cents = std::clamp(cents, kLowestTuningCents, kHighestTuningCents);
    ComboBoxTranspose.SetText(CentsText(cents));
    if (pitch != nullptr) {
        pitch->SetMasterTuning(cents);
    }
}

void TFormMain::ShowNotes(int part, int count) {
    Panel(part).notes.SetCaption(std::to_string(count));
}

bool TFormMain::LoadSchematic() {
    int index = ComboBoxCNT.ItemIndex();
    // Without a pictures folder (the plugin, renders) there is nothing to show, and an
    // algorithm set on an audio thread must not go looking for files.
    if (index == ComboBox::kNone || assetFolder.empty()) {
        return false;
    }
    auto file = assetFolder / ("cnt" + std::to_string(index) + ".jpg");
    if (!ImageCnt.LoadFromFile(file.string())) {
        return false;
    }
    schematicIndex = index;
    return true;
}

void TFormMain::ApplyAttenuator() {
    int index = ComboBoxDiv.ItemIndex();
    if (fm801 != nullptr && InRange(index, kAttenuatorCount)) {
        fm801->SetAttenuator(1 << index);
    }
}

void TFormMain::ShowInfo(const std::string& message, const std::string& title) {
    TFormInfo info(message, title, applicationTitle);
    if (ui != nullptr) {
        ui->ShowModal(info);
    } else {
        // No windows (the command-line renderer): the message must still reach someone.
        std::cerr << info.Caption() << ": " << message << '\n';
    }
}

void TFormMain::EditTuningList(int op) {
    if (ui == nullptr || op < 0 || op >= static_cast<int>(FrameOps.size())) {
        return;
    }
    TFrameOp& frame = *FrameOps[static_cast<size_t>(op)];
    std::vector<std::string> list = frame.TuningTexts();
    TFormTuningEdit dialog(op + 1, list, applicationTitle);
    ui->ShowTuningEdit(dialog);
    // A preset loaded while the editor was open may have replaced the list: only "OK" writes.
    if (dialog.Accepted()) {
        frame.SetTuningTexts(list);
    }
}

void TFormMain::ApplyDefaultOperators() {
    for (int op = 0; op < static_cast<int>(FrameOps.size()); ++op) {
        editor.ClearOperator(op);
    }
}

// --- handlers ---

void TFormMain::ComboBoxTransposeChange() {
    // The typed text stays as typed (rewriting it mid-typing would fight the user); the
    // pitch takes its number.
    int cents = CentsFromText(ComboBoxTranspose.Text());
    if (onTransposeTyped) {
        onTransposeTyped(cents);
    }
    if (pitch != nullptr) {
        pitch->SetMasterTuning(cents);
    }
}

void TFormMain::PartFeedbackChange(int part) {
    int feedback = Panel(part).feedback.ItemIndex();
    if (chip == nullptr || !InRange(feedback, 8)) {
        return;
    }
    if (part == OPL3::kPart1234) {
        chip->SetFeedback1234(static_cast<uint8_t>(feedback));
    } else {
        chip->SetFeedback56(static_cast<uint8_t>(feedback));
    }
}

void TFormMain::PartOutputClick(int part, bool leftBox) {
    if (chip == nullptr) {
        return;
    }
    PartPanel p = Panel(part);
    bool on = leftBox ? p.left.Checked() : p.right.Checked();
    if (part == OPL3::kPart1234) {
        leftBox ? chip->SetOutput1234Left(on) : chip->SetOutput1234Right(on);
    } else {
        leftBox ? chip->SetOutput56Left(on) : chip->SetOutput56Right(on);
    }
}

void TFormMain::PartModeChange(int part) {
    int mode = Panel(part).mode.ItemIndex();
    if (mode == ComboBox::kNone) {
        return;
    }
    if (chip != nullptr) {
        chip->Part(part).SetMode(static_cast<uint8_t>(mode));
    }
    // A mode change silences the part.
    ShowNotes(part, 0);
}

void TFormMain::PartPriorityChange(int part) {
    int priority = Panel(part).priority.ItemIndex();
    if (chip != nullptr && priority != ComboBox::kNone) {
        chip->Part(part).SetPriority(static_cast<uint8_t>(priority));
    }
}

void TFormMain::ComboBoxCNTChange() {
    int algorithm = ComboBoxCNT.ItemIndex();
    if (chip != nullptr && algorithm != ComboBox::kNone) {
        chip->SetAlgorithm(static_cast<uint8_t>(algorithm));
    }
}

void TFormMain::ComboBoxTDChange() {
    int depth = ComboBoxTD.ItemIndex();
    if (chip != nullptr && depth != ComboBox::kNone) {
        chip->SetTremoloDepth(static_cast<uint8_t>(depth));
    }
}

void TFormMain::ComboBoxVDChange() {
    int depth = ComboBoxVD.ItemIndex();
    if (chip != nullptr && depth != ComboBox::kNone) {
        chip->SetVibratoDepth(static_cast<uint8_t>(depth));
    }
}

void TFormMain::TrackBarVolumeChange() {
    if (mixer != nullptr && !fillingLevels) {
        mixer->SetVolumePan(TrackBarVolume.Position(), TrackBarPan.Position());
    }
}

void TFormMain::CheckBoxMuteClick() {
    if (mixer != nullptr && !fillingLevels) {
        mixer->SetMute(CheckBoxMute.Checked());
    }
}

void TFormMain::ModuleButtonClick(Button& button) {
    auto it = moduleWindows.find(&button);
    if (it == moduleWindows.end()) {
        return;
    }
    uint32_t now =
        nowMs ? nowMs()
              : static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
    it->second->ToggleShow(now, doubleClickMs);
}

} // namespace vorpline
