#include "ui/TFormMonitor.h"

#include <cmath>

#include "engine/RegisterMap.h"
#include "files/VgmRecorder.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr double kChipRate = 49716.0;
// 0x104 bits 0-5 pair channels 1+4, 2+5, 3+6, 10+13, 11+14, 12+15 into four operators.
constexpr uint8_t kRhythmBit = 0x20;

// The register offset of operator `slot` (0-17) within its bank: three groups of six with a
// gap of two between them.
int SlotOffset(int slot) {
    return slot / 6 * 8 + slot % 6;
}

// The two operators of channel 0-8 within a bank, modulator first.
int ChannelSlot(int channel, int which) {
    const int offset = channel % 3 + channel / 3 * 8 + which * 3;
    return offset / 8 * 6 + offset % 8;
}

std::string Hex(int value, int digits) {
    static const char* kDigits = "0123456789ABCDEF";
    std::string text(static_cast<std::size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    }
    return text;
}

} // namespace

TFormMonitor::TFormMonitor(RegisterReader readIn, VgmRecorder* recorderIn, WriteCounter writesIn)
    : Form("FormMonitor", "Register Monitor"), EditFile("EditFile", "record.vgm"),
      ButtonRecord("ButtonRecord", "Record", "Record everything the chip receives as VGM"),
      LabelStatus("LabelStatus", ""), read(std::move(readIn)), writes(std::move(writesIn)),
      recorder(recorderIn) {
    for (int reg = 0; reg < kRegisterCount; ++reg) {
        values[reg] = read(static_cast<uint16_t>(reg));
        writeCounts[reg] = writes ? writes(static_cast<uint16_t>(reg)) : 0;
    }
    ages.fill(kNeverChanged);
    Decode();
    ButtonRecord.onClick = [this] { ButtonRecordClick(); };
}

void TFormMonitor::LoadSettings(const IniFile& ini, const std::string& section,
                                const std::string& applicationTitle) {
    SetCaption("Register Monitor - " + applicationTitle);
    EditFile.SetText(ini.ReadString(section, kConfigKey, EditFile.Text()));
}

void TFormMonitor::SaveSettings(IniFile& ini, const std::string& section) const {
    ini.WriteString(section, kConfigKey, EditFile.Text());
}

void TFormMonitor::BeforeShutdown() {
    if (recorder != nullptr && recorder->Recording()) {
        recorder->Stop();
    }
}

void TFormMonitor::Refresh() {
    for (int reg = 0; reg < kRegisterCount; ++reg) {
        const uint8_t value = read(static_cast<uint16_t>(reg));
        const uint32_t count = writes ? writes(static_cast<uint16_t>(reg)) : 0;
        if (value != values[reg] || count != writeCounts[reg]) {
            values[reg] = value;
            writeCounts[reg] = count;
            ages[reg] = 0;
        } else if (ages[reg] != kNeverChanged && ages[reg] < kFadeRefreshes) {
            ++ages[reg];
        }
    }
    Decode();
    // A recording the recorder ended by itself (a full disk, the format's limit).
    if (recorder != nullptr && wasRecording && !recorder->Recording()) {
        LabelStatus.SetCaption(recorder->Error().empty() ? "Stopped" : recorder->Error());
        ShowRecording();
    }
}

double TFormMonitor::Highlight(int reg) const {
    const int age = ages[reg];
    if (age == kNeverChanged || age >= kFadeRefreshes) {
        return 0.0;
    }
    return 1.0 - static_cast<double>(age) / kFadeRefreshes;
}

std::string TFormMonitor::NoteText(int block, int fNumber) {
    if (fNumber <= 0) {
        return "-";
    }
    // F-number = f * 2^(20 - block) / 49716.
    const double hertz = fNumber * kChipRate / std::ldexp(1.0, 20 - block);
    const long note = std::lround(69.0 + 12.0 * std::log2(hertz / 440.0));
    if (note < 0 || note > 127) {
        return "-";
    }
    static const char* kNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    return std::string(kNames[note % 12]) + std::to_string(note / 12 - 1);
}

void TFormMonitor::Decode() {
    const uint8_t fourOp = values[kRegFourOperator];
    const uint8_t rhythm = values[kRegRhythm];
    const bool rhythmMode = (rhythm & kRhythmBit) != 0;
    // Rhythm mode's drums on channels 7, 8 and 9 of bank 0, with their key bits in 0xBD.
    static const char* kDrums[3] = {"BD", "HH SD", "TT CY"};
    static const uint8_t kDrumBits[3] = {0x10, 0x09, 0x06};
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const int bank = channel / 9;
        const int index = channel % 9;
        const int base = bank * 0x100 + index;
        const uint8_t keyBlock = values[base + kRegKeyBlock];
        const int fNumber = values[base + kRegFNumberLow] | (keyBlock & kFNumberHighMask) << 8;
        const int block = (keyBlock & kBlockMask) >> 2;
        const uint8_t feedback = values[base + kRegFeedbackConnection];
        std::string text = (channel < 9 ? "Ch  " : "Ch ") + std::to_string(channel + 1) +
                           ((keyBlock & kKeyOn) != 0 ? "  key on " : "  key off") + "  block " +
                           std::to_string(block) + "  F " + std::to_string(fNumber) + "  " +
                           NoteText(block, fNumber) + "  fb " +
                           std::to_string((feedback >> 1) & 7) + " cnt " +
                           std::to_string(feedback & 1) + " out " + Hex(feedback >> 4, 1);
        if (index < 6) {
            const int pair = index % 3;
            if ((fourOp >> (bank * 3 + pair) & 1) != 0) {
                const int first = bank * 9 + pair;
                text += index < 3 ? "  4-op with " + std::to_string(first + 4)
                                  : "  4-op, 2nd half of " + std::to_string(first + 1);
            }
        }
        if (rhythmMode && bank == 0 && index >= 6) {
            const int drum = index - 6;
            text += std::string("  rhythm ") + kDrums[drum] +
                    ((rhythm & kDrumBits[drum]) != 0 ? " struck" : "");
        }
        channels[channel] = std::move(text);
        for (int which = 0; which < 2; ++which) {
            const int reg = bank * 0x100 + SlotOffset(ChannelSlot(index, which));
            const uint8_t ad = values[reg + kRegAttackDecay];
            const uint8_t sr = values[reg + kRegSustainRelease];
            const uint8_t level = values[reg + kRegLevel];
            operators[channel * 2 + which] =
                (channel < 9 ? "Ch  " : "Ch ") + std::to_string(channel + 1) + " op " +
                std::to_string(which + 1) + " (" + Hex(reg, 3) + ")  AR " +
                std::to_string(ad >> 4) + "  DR " + std::to_string(ad & kDecayMask) + "  SL " +
                std::to_string(sr >> 4) + "  RR " + std::to_string(sr & kReleaseMask) + "  TL " +
                std::to_string(level & kTotalLevelMask) + "  KSL " +
                std::to_string(level >> kLevelScalingShift) + "  mult " +
                std::to_string(values[reg + kRegFlags] & kMultiplierMask) + "  wave " +
                std::to_string(values[reg + kRegWaveform] & kWaveformMask);
        }
    }
}

void TFormMonitor::ButtonRecordClick() {
    if (recorder == nullptr) {
        LabelStatus.SetCaption("Nothing to record on this output");
        return;
    }
    if (recorder->Recording()) {
        const std::string error = recorder->Stop();
        LabelStatus.SetCaption(error.empty() ? "Saved " + EditFile.Text() : error);
    } else if (EditFile.Text().empty()) {
        LabelStatus.SetCaption("Type the name of the file to record to");
    } else {
        const std::string error = recorder->Start(EditFile.Text());
        LabelStatus.SetCaption(error.empty() ? "Recording to " + EditFile.Text() : error);
    }
    ShowRecording();
}

void TFormMonitor::ShowRecording() {
    wasRecording = recorder != nullptr && recorder->Recording();
    ButtonRecord.SetCaption(wasRecording ? "Stop" : "Record");
    EditFile.SetEnabled(!wasRecording);
}

} // namespace vorpline
