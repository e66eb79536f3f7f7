#include "ui/OperatorEditor.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/MultiplierCents.h"
#include "engine/OPL3.h"

namespace vorpline {

namespace {

constexpr int kLevelScalingCount = 4;
constexpr int kTargetCount = 6;

bool IsTableCents(int cents) {
    return MultiplierIndexOfCents(cents) != kMultiplierNotFound;
}

uint8_t Bit(bool on, uint8_t mask) {
    return on ? mask : 0;
}

} // namespace

OperatorEditor::OperatorEditor(const Frames& frames) : frames(frames) {
    for (TFrameOp* frame : frames) {
        Wire(*frame);
    }
}

void OperatorEditor::Wire(TFrameOp& f) {
    // Each handler reads the operator from the control it belongs to, as the frames share it.
    auto by = [this](Control& control, void (OperatorEditor::*handler)(int)) {
        return [this, &control, handler] { (this->*handler)(control.Tag()); };
    };
    f.ComboBoxWS.onChange = by(f.ComboBoxWS, &OperatorEditor::ComboBoxWSChange);
    f.CheckBoxTremolo.onClick = by(f.CheckBoxTremolo, &OperatorEditor::CheckBoxTremoloClick);
    f.CheckBoxVibrato.onClick = by(f.CheckBoxVibrato, &OperatorEditor::CheckBoxVibratoClick);
    f.CheckBoxHold.onClick = by(f.CheckBoxHold, &OperatorEditor::CheckBoxHoldClick);
    f.CheckBoxRateScaling.onClick =
        by(f.CheckBoxRateScaling, &OperatorEditor::CheckBoxRateScalingClick);
    f.ComboBoxFreqMultiplier.onChange =
        by(f.ComboBoxFreqMultiplier, &OperatorEditor::ComboBoxFreqMultiplierChange);
    f.ComboBoxLevelScaling.onChange =
        by(f.ComboBoxLevelScaling, &OperatorEditor::ComboBoxLevelScalingChange);
    f.TrackBarVolume.onChange = by(f.TrackBarVolume, &OperatorEditor::TrackBarVolumeChange);
    f.TrackBarAttack.onChange = by(f.TrackBarAttack, &OperatorEditor::TrackBarAttackChange);
    f.TrackBarDecay.onChange = by(f.TrackBarDecay, &OperatorEditor::TrackBarDecayChange);
    f.TrackBarSustain.onChange = by(f.TrackBarSustain, &OperatorEditor::TrackBarSustainChange);
    f.TrackBarRelease.onChange = by(f.TrackBarRelease, &OperatorEditor::TrackBarReleaseChange);
    f.CheckBoxDamper.onClick = by(f.CheckBoxDamper, &OperatorEditor::CheckBoxDamperClick);
    f.TrackBarOffset.onChange = by(f.TrackBarOffset, &OperatorEditor::TrackBarOffsetChange);
    f.ComboBoxTarget.onChange = by(f.ComboBoxTarget, &OperatorEditor::ComboBoxTargetChange);
    f.MenuItemCut.onClick = by(f.MenuItemCut, &OperatorEditor::MenuItemCutClick);
    f.MenuItemCopy.onClick = by(f.MenuItemCopy, &OperatorEditor::MenuItemCopyClick);
    f.MenuItemPaste.onClick = by(f.MenuItemPaste, &OperatorEditor::MenuItemPasteClick);
    f.MenuItemClearAll.onClick = by(f.MenuItemClearAll, &OperatorEditor::MenuItemClearAllClick);
    for (int waveform = 0; waveform < TFrameOp::kWaveformCount; ++waveform) {
        MenuItem& item = f.PopupMenuWave[static_cast<size_t>(waveform)];
        item.onClick = [this, &item, waveform] { PopupMenuWaveClick(item.Tag(), waveform); };
    }
}

template <typename Set> void OperatorEditor::Quietly(Set&& set) {
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{quiet};
    quiet = true;
    set();
}

// --- frame <-> record ---

void OperatorEditor::GetOperator(int op, OperatorRecord& record) const {
    const TFrameOp& f = Frame(op);
    record = OperatorRecord{};
    uint8_t mult = MultiplierIndexOfCents(f.SelectedCents()) & 0x0F;
    record.reg[0] = Bit(f.CheckBoxTremolo.Checked(), 0x80) |
                    Bit(f.CheckBoxVibrato.Checked(), 0x40) | Bit(f.CheckBoxHold.Checked(), 0x20) |
                    Bit(f.CheckBoxRateScaling.Checked(), 0x10) | mult;

    std::vector<std::string> texts = f.TuningTexts();
    for (size_t i = 0; i < record.tuning.size(); ++i) {
        record.tuning[i] = i < texts.size() ? static_cast<int16_t>(CentsFromText(texts[i]))
                                            : OperatorRecord::kNoTuningEntry;
    }

    int ksl = f.ComboBoxLevelScaling.ItemIndex();
    if (ksl >= 0 && ksl < kLevelScalingCount) {
        record.reg[1] = static_cast<uint8_t>(ksl << 6);
    }
    record.reg[1] |= static_cast<uint8_t>(63 - f.TrackBarVolume.Position());
    record.reg[2] =
        static_cast<uint8_t>(f.TrackBarAttack.Position() << 4 | f.TrackBarDecay.Position());
    record.reg[3] =
        static_cast<uint8_t>(f.TrackBarSustain.Position() << 4 | f.TrackBarRelease.Position());
    int waveform = f.ComboBoxWS.ItemIndex();
    if (waveform >= 0 && waveform < TFrameOp::kWaveformCount) {
        record.reg[4] = static_cast<uint8_t>(waveform);
    }
    record.cc = f.CheckBoxCC.Checked();
    record.damper = f.CheckBoxDamper.Checked();
    record.offset = static_cast<uint8_t>(f.TrackBarOffset.Position());
    record.target = static_cast<uint8_t>(std::max(f.ComboBoxTarget.ItemIndex(), 0));
}

void OperatorEditor::PutOperator(int op, const OperatorRecord& record) {
    TFrameOp& f = Frame(op);
    Quietly([&] {
        uint8_t flags = record.reg[0];
        f.CheckBoxTremolo.SetChecked(flags & 0x80);
        f.CheckBoxVibrato.SetChecked(flags & 0x40);
        f.CheckBoxHold.SetChecked(flags & 0x20);
        f.CheckBoxRateScaling.SetChecked(flags & 0x10);
        f.ComboBoxLevelScaling.SetItemIndex(record.reg[1] >> 6);
        f.TrackBarVolume.SetPosition(63 - (record.reg[1] & 0x3F));
        f.TrackBarAttack.SetPosition(record.reg[2] >> 4);
        f.TrackBarDecay.SetPosition(record.reg[2] & 0x0F);
        f.TrackBarSustain.SetPosition(record.reg[3] >> 4);
        f.TrackBarRelease.SetPosition(record.reg[3] & 0x0F);
        f.ComboBoxWS.SetItemIndex(record.reg[4] & 0x07);

        // Entries that are no multiplier (the unused 0xFFFF among them) are dropped, and so
        // are repeats: the list offers each tuning once.
        std::vector<std::string> texts;
        for (int16_t cents : record.tuning) {
            if (!IsTableCents(cents)) {
                continue;
            }
            std::string text = CentsText(cents);
            if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
                texts.push_back(std::move(text));
            }
        }
        if (texts.empty()) {
            texts.push_back(CentsText(0));
        }
        f.SetTuningTexts(std::move(texts));
        int selected =
            f.ComboBoxFreqMultiplier.IndexOf(CentsText(kMultiplierCentsTable[flags & 0x0F]));
        f.ComboBoxFreqMultiplier.SetItemIndex(selected == ComboBox::kNone ? 0 : selected);

        f.CheckBoxCC.SetChecked(record.cc);
        f.CheckBoxDamper.SetChecked(record.damper);
        f.TrackBarOffset.SetPosition(record.offset);
        // A target from a damaged file means nothing; "Off" is the harmless reading.
        f.ComboBoxTarget.SetItemIndex(record.target < kTargetCount ? record.target : 0);
    });
    PushOperator(op);
}

void OperatorEditor::ClearOperator(int op) {
    TFrameOp& f = Frame(op);
    Quietly([&] {
        for (CheckBox* box : {&f.CheckBoxTremolo, &f.CheckBoxVibrato, &f.CheckBoxHold,
                              &f.CheckBoxDamper, &f.CheckBoxRateScaling, &f.CheckBoxCC}) {
            box->SetChecked(false);
        }
        f.SetTuningTexts(TFrameOp::DefaultTuningTexts());
        f.ComboBoxFreqMultiplier.SetItemIndex(f.ComboBoxFreqMultiplier.IndexOf(CentsText(0)));
        f.ComboBoxLevelScaling.SetItemIndex(0);
        f.TrackBarVolume.SetPosition(63);
        for (TrackBar* rate :
             {&f.TrackBarAttack, &f.TrackBarDecay, &f.TrackBarSustain, &f.TrackBarRelease}) {
            rate->SetPosition(15);
        }
        f.ComboBoxWS.SetItemIndex(0);
        f.TrackBarOffset.SetPosition(0);
        f.ComboBoxTarget.SetItemIndex(0);
    });
    PushOperator(op);
}

void OperatorEditor::PushOperator(int op) {
    if (chip == nullptr) {
        return;
    }
    const TFrameOp& f = Frame(op);
    auto index = [](const ComboBox& box, int count) {
        int i = box.ItemIndex();
        return i >= 0 && i < count ? std::optional<uint8_t>(static_cast<uint8_t>(i)) : std::nullopt;
    };
    if (auto waveform = index(f.ComboBoxWS, TFrameOp::kWaveformCount)) {
        chip->SetWaveform(op, *waveform);
    }
    chip->SetTremolo(op, f.CheckBoxTremolo.Checked());
    chip->SetVibrato(op, f.CheckBoxVibrato.Checked());
    chip->SetHold(op, f.CheckBoxHold.Checked());
    chip->SetRateScaling(op, f.CheckBoxRateScaling.Checked());
    chip->SetMultiplierCents(op, f.SelectedCents());
    if (auto ksl = index(f.ComboBoxLevelScaling, kLevelScalingCount)) {
        chip->SetLevelScaling(op, *ksl);
    }
    chip->SetVolume(op, static_cast<uint8_t>(f.TrackBarVolume.Position()));
    chip->SetAttack(op, static_cast<uint8_t>(f.TrackBarAttack.Position()));
    chip->SetDecay(op, static_cast<uint8_t>(f.TrackBarDecay.Position()));
    chip->SetSustain(op, static_cast<uint8_t>(f.TrackBarSustain.Position()));
    chip->SetRelease(op, static_cast<uint8_t>(f.TrackBarRelease.Position()));
    chip->SetDamper(op, f.CheckBoxDamper.Checked());
    chip->SetVelocityOffset(op, static_cast<uint8_t>(f.TrackBarOffset.Position()));
    // Last: the target rewrites level and rates from the values just stored.
    if (auto target = index(f.ComboBoxTarget, kTargetCount)) {
        chip->SetVelocityTarget(op, *target);
    }
}

// --- shared handlers ---

void OperatorEditor::ComboBoxWSChange(int op) {
    int waveform = Frame(op).ComboBoxWS.ItemIndex();
    if (Live() && waveform >= 0 && waveform < TFrameOp::kWaveformCount) {
        chip->SetWaveform(op, static_cast<uint8_t>(waveform));
    }
}

void OperatorEditor::PopupMenuWaveClick(int op, int waveform) {
    Frame(op).ComboBoxWS.SetItemIndex(waveform);
    ComboBoxWSChange(op);
}

void OperatorEditor::CheckBoxTremoloClick(int op) {
    if (Live()) {
        chip->SetTremolo(op, Frame(op).CheckBoxTremolo.Checked());
    }
}

void OperatorEditor::CheckBoxVibratoClick(int op) {
    if (Live()) {
        chip->SetVibrato(op, Frame(op).CheckBoxVibrato.Checked());
    }
}

void OperatorEditor::CheckBoxHoldClick(int op) {
    if (Live()) {
        chip->SetHold(op, Frame(op).CheckBoxHold.Checked());
    }
}

void OperatorEditor::CheckBoxRateScalingClick(int op) {
    if (Live()) {
        chip->SetRateScaling(op, Frame(op).CheckBoxRateScaling.Checked());
    }
}

void OperatorEditor::ComboBoxFreqMultiplierChange(int op) {
    TFrameOp& f = Frame(op);
    if (f.EditListSelected()) {
        if (editTuningList) {
            editTuningList(op);
        }
        // "Edit list" is a command, not a tuning: fall back to the unchanged pitch.
        int unison = f.ComboBoxFreqMultiplier.IndexOf(CentsText(0));
        f.ComboBoxFreqMultiplier.SetItemIndex(unison == ComboBox::kNone ? 0 : unison);
    }
    if (Live()) {
        chip->SetMultiplierCents(op, f.SelectedCents());
    }
}

void OperatorEditor::ComboBoxLevelScalingChange(int op) {
    int ksl = Frame(op).ComboBoxLevelScaling.ItemIndex();
    if (Live() && ksl >= 0 && ksl < kLevelScalingCount) {
        chip->SetLevelScaling(op, static_cast<uint8_t>(ksl));
    }
}

void OperatorEditor::TrackBarVolumeChange(int op) {
    if (Live()) {
        chip->SetVolume(op, static_cast<uint8_t>(Frame(op).TrackBarVolume.Position()));
    }
}

void OperatorEditor::TrackBarAttackChange(int op) {
    if (Live()) {
        chip->SetAttack(op, static_cast<uint8_t>(Frame(op).TrackBarAttack.Position()));
    }
}

void OperatorEditor::TrackBarDecayChange(int op) {
    if (Live()) {
        chip->SetDecay(op, static_cast<uint8_t>(Frame(op).TrackBarDecay.Position()));
    }
}

void OperatorEditor::TrackBarSustainChange(int op) {
    if (Live()) {
        chip->SetSustain(op, static_cast<uint8_t>(Frame(op).TrackBarSustain.Position()));
    }
}

void OperatorEditor::TrackBarReleaseChange(int op) {
    if (Live()) {
        chip->SetRelease(op, static_cast<uint8_t>(Frame(op).TrackBarRelease.Position()));
    }
}

void OperatorEditor::CheckBoxDamperClick(int op) {
    if (Live()) {
        chip->SetDamper(op, Frame(op).CheckBoxDamper.Checked());
    }
}

void OperatorEditor::TrackBarOffsetChange(int op) {
    if (Live()) {
        chip->SetVelocityOffset(op, static_cast<uint8_t>(Frame(op).TrackBarOffset.Position()));
    }
}

void OperatorEditor::ComboBoxTargetChange(int op) {
    int target = Frame(op).ComboBoxTarget.ItemIndex();
    if (Live() && target >= 0 && target < kTargetCount) {
        chip->SetVelocityTarget(op, static_cast<uint8_t>(target));
    }
}

void OperatorEditor::MenuItemCopyClick(int op) {
    OperatorRecord record;
    GetOperator(op, record);
    clipboard = record;
    for (TFrameOp* frame : frames) {
        frame->MenuItemPaste.SetEnabled(true);
    }
}

void OperatorEditor::MenuItemCutClick(int op) {
    MenuItemCopyClick(op);
    ClearOperator(op);
}

void OperatorEditor::MenuItemPasteClick(int op) {
    if (clipboard) {
        PutOperator(op, *clipboard);
    }
}

void OperatorEditor::MenuItemClearAllClick(int /*op*/) {
    for (int op = 0; op < static_cast<int>(frames.size()); ++op) {
        ClearOperator(op);
    }
}

} // namespace vorpline
