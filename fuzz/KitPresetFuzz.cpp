// Drum kits come from other musicians: any 90 bytes must load into controls that each show a
// real choice (or none, for a note or channel beyond its list), put exactly what the controls
// show on the chip, store back to bytes that load to the same kit again, and play any notes
// without touching anything but the drums' own bits of 0xBD.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "FuzzCheck.h"
#include "engine/OPL3.h"
#include "engine/RegisterMap.h"
#include "platform/VirtualTimerService.h"
#include "presets/TFormDrum.h"

namespace {

using vorpline::ComboBox;
using vorpline::OPL3;
using vorpline::TFormDrum;
using vorpline::TFrameOpD;

class SilentChip : public vorpline::ChipBackend {
public:
    void Write(int, uint8_t, uint8_t, uint16_t) override {}
};

using vorpline::fuzz::Check;

void CheckChoice(const ComboBox& box, bool noneAllowed) {
    Check(box.ItemIndex() < box.Count());
    Check(box.ItemIndex() >= 0 || (noneAllowed && box.ItemIndex() == ComboBox::kNone));
}

// The controls are in range and the chip holds what they show.
void CheckKit(TFormDrum& form, const OPL3& chip) {
    for (const TFrameOpD* frame : form.Frames()) {
        CheckChoice(frame->ComboBoxWaveform, false);
        CheckChoice(frame->ComboBoxTuning, false);
        CheckChoice(frame->ComboBoxTarget, false);
        const uint16_t slot =
            vorpline::kSlotOffsetTable[static_cast<std::size_t>(frame->Operator() - 1)];
        Check(chip.ReadRegister(0x60 + slot) ==
              (frame->TrackBarAttack.Position() << 4 | frame->TrackBarDecay.Position()));
        Check(chip.ReadRegister(0x80 + slot) ==
              (frame->TrackBarSustain.Position() << 4 | frame->TrackBarRelease.Position()));
        Check((chip.ReadRegister(0x40 + slot) & 0x3F) == 63 - frame->TrackBarVolume.Position());
        Check(chip.ReadRegister(0xE0 + slot) == frame->ComboBoxWaveform.ItemIndex());
    }
    for (const ComboBox* box :
         {&form.ComboBoxOctaveBD, &form.ComboBoxNoteBD, &form.ComboBoxOctaveHHSD,
          &form.ComboBoxNoteHHSD, &form.ComboBoxOctaveTOMTC, &form.ComboBoxNoteTOMTC}) {
        CheckChoice(*box, false);
    }
    for (const ComboBox* box :
         {&form.ComboBoxAssignBD, &form.ComboBoxAssignSD, &form.ComboBoxAssignHH,
          &form.ComboBoxAssignTOM, &form.ComboBoxAssignTC, &form.ComboBoxMidiChannel}) {
        CheckChoice(*box, true);
    }
    Check(((chip.ReadRegister(0xC6) & 0x10) != 0) == form.CheckBoxBDA.Checked());
    Check(((chip.ReadRegister(0xC8) & 0x20) != 0) == form.CheckBoxTOMTCB.Checked());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SilentChip backend;
    vorpline::VirtualTimerService timers;
    OPL3 chip(backend, timers, {.drumMode = true});
    TFormDrum form("/nonexistent", {}, &chip);
    const auto before = form.PresetBytes();
    // Only exactly 90 bytes load; anything else changes nothing.
    Check(form.LoadPresetBytes({data, size}) == (size == TFormDrum::kPresetSize));
    if (size != TFormDrum::kPresetSize) {
        Check(form.PresetBytes() == before);
    }
    // Any input is cut or padded to 90 bytes, so every run exercises the kit.
    std::array<uint8_t, TFormDrum::kPresetSize> file{};
    std::memcpy(file.data(), data, std::min(size, file.size()));
    Check(form.LoadPresetBytes(file));
    CheckKit(form, chip);
    const auto first = form.PresetBytes();
    for (std::size_t block = 0; block < 6; ++block) {
        for (std::size_t i = 9; i < TFrameOpD::kRecordSize; ++i) {
            Check(first[block * TFrameOpD::kRecordSize + i] == 0);
        }
    }
    for (std::size_t i = 78; i < 84; ++i) {
        Check(first[i] <= 1);
    }
    TFormDrum again("/nonexistent", {}, nullptr);
    Check(again.LoadPresetBytes(first));
    Check(again.PresetBytes() == first);

    // Played from MIDI and the buttons: the depths and rhythm mode stay; the kit stays as shown
    // once every target is off again.
    chip.WriteRegister(0xBD, 0xE0);
    for (std::size_t i = 0; i + 1 < size && i < 256; i += 2) {
        form.PlayByNote(data[i] & 0x7F, data[i + 1] & 0x7F);
    }
    form.SpeedButtonBD.Click();
    form.SpeedButtonSD.Click();
    form.SpeedButtonHH.Click();
    form.SpeedButtonTOM.Click();
    form.SpeedButtonTC.Click();
    Check((chip.ReadRegister(0xBD) & 0xE0) == 0xE0);
    for (TFrameOpD* frame : form.Frames()) {
        frame->ComboBoxTarget.UserSelect(TFrameOpD::kOff);
    }
    CheckKit(form, chip);
    return 0;
}
