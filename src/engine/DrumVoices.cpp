#include "engine/DrumVoices.h"

#include <algorithm>

#include "engine/MultiplierCents.h"
#include "engine/OPL3.h"
#include "engine/RegisterMap.h"

namespace vorpline {

namespace {

// The rhythm channels are bank-0 channels 6..8: channel number c (7..9) is offset c - 1.
constexpr uint16_t kRhythmChannelBase = 6;
// Highest note a channel's octave and note lists can name: "C9 G9" x 12 + "B".
constexpr int kHighestNote = 131;

} // namespace

void DrumVoices::WriteField(uint16_t reg, uint8_t mask, uint8_t value) {
    const uint8_t byte = chip.ReadRegister(reg);
    chip.WriteRegister(reg, static_cast<uint8_t>((byte & ~mask) | (value & mask)));
}

void DrumVoices::WriteOperatorField(int op, uint16_t base, uint8_t mask, uint8_t value) {
    if (op < kFirstOperator || op > kLastOperator) {
        return;
    }
    WriteField(static_cast<uint16_t>(base + kSlotOffsetTable[static_cast<std::size_t>(op - 1)]),
               mask, value);
}

void DrumVoices::SetDrumAttack(int op, uint8_t rate) {
    WriteOperatorField(op, kRegAttackDecay, kAttackMask,
                       static_cast<uint8_t>(rate << kHighNibbleShift));
}

void DrumVoices::SetDrumDecay(int op, uint8_t rate) {
    WriteOperatorField(op, kRegAttackDecay, kDecayMask, rate);
}

void DrumVoices::SetDrumSustain(int op, uint8_t level) {
    WriteOperatorField(op, kRegSustainRelease, kSustainMask,
                       static_cast<uint8_t>(level << kHighNibbleShift));
}

void DrumVoices::SetDrumRelease(int op, uint8_t rate) {
    WriteOperatorField(op, kRegSustainRelease, kReleaseMask, rate);
}

void DrumVoices::SetDrumLevel(int op, uint8_t tl) {
    WriteOperatorField(op, kRegLevel, kTotalLevelMask, tl);
}

void DrumVoices::SetDrumWaveform(int op, uint8_t ws) {
    WriteOperatorField(op, kRegWaveform, kWaveformMask, ws);
}

void DrumVoices::SetDrumMultiplier(int op, int cents) {
    WriteOperatorField(op, kRegFlags, kMultiplierMask, MultiplierIndexOfCents(cents));
}

void DrumVoices::SetDrumOutputLeft(int channel, bool on) {
    if (channel >= kFirstChannel && channel <= kLastChannel) {
        WriteField(static_cast<uint16_t>(kRegFeedbackConnection + channel - 1), kOutputLeftBit,
                   on ? kOutputLeftBit : 0);
    }
}

void DrumVoices::SetDrumOutputRight(int channel, bool on) {
    if (channel >= kFirstChannel && channel <= kLastChannel) {
        WriteField(static_cast<uint16_t>(kRegFeedbackConnection + channel - 1), kOutputRightBit,
                   on ? kOutputRightBit : 0);
    }
}

uint8_t DrumVoices::DrumBit(Drum drum) {
    switch (drum) {
    case Drum::BassDrum:
        return kBassDrumBit;
    case Drum::Snare:
        return kSnareDrumBit;
    case Drum::TomTom:
        return kTomTomBit;
    case Drum::Cymbal:
        return kCymbalBit;
    case Drum::HiHat:
        return kHiHatBit;
    }
    return 0;
}

uint16_t DrumVoices::DrumChannel(Drum drum) {
    switch (drum) {
    case Drum::BassDrum:
        return kRhythmChannelBase;
    case Drum::Snare:
    case Drum::HiHat:
        return kRhythmChannelBase + 1;
    case Drum::TomTom:
    case Drum::Cymbal:
        return kRhythmChannelBase + 2;
    }
    return kRhythmChannelBase;
}

void DrumVoices::DrumOff(Drum drum) {
    WriteField(kRegRhythm, DrumBit(drum), 0);
}

void DrumVoices::DrumOn(Drum drum, int note) {
    const FNumber f = chip.FNumbers().Compute(std::clamp(note, 0, kHighestNote), 0);
    const uint16_t channel = DrumChannel(drum);
    chip.WriteRegister(kRegFNumberLow + channel, f.low);
    // The key-on bit stays clear: in rhythm mode it would key the channel's operators as a
    // melodic voice on top of the drum.
    WriteField(kRegKeyBlock + channel, kKeyOn | kBlockMask | kFNumberHighMask,
               static_cast<uint8_t>(f.blockBits | f.high));
    const uint8_t bit = DrumBit(drum);
    WriteField(kRegRhythm, bit, bit);
}

} // namespace vorpline
