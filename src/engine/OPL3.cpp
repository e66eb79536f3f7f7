#include "engine/OPL3.h"

#include <cmath>
#include <string>

#include "engine/MultiplierCents.h"
#include "engine/RegisterMap.h"

namespace vorpline {

OPL3::OPL3(ChipBackend& backend, TimerService& timers, Settings settings, RegisterBender* bend)
    : backend(backend), timers(timers), settings(settings),
      bend(bend), parts{VoicePart(*this, kPart1234, 6,
                                  [this](int remaining) {
                                      if (glideTickHandler) {
                                          glideTickHandler(kPart1234, remaining);
                                      }
                                  }),
                        VoicePart(*this, kPart56, settings.drumMode ? 3 : 6, [this](int remaining) {
                            if (glideTickHandler) {
                                glideTickHandler(kPart56, remaining);
                            }
                        })} {
    ResetChip(true);
}

void OPL3::WriteRegister(uint16_t reg, uint8_t value, uint16_t extraDelay) {
    Send(reg, value, extraDelay, bend);
}

void OPL3::Send(uint16_t reg, uint8_t value, uint16_t extraDelay, RegisterBender* through) {
    if (reg >= kRegisterCount) {
        throw RegisterError("Write illegal OPL3 register [" + std::to_string(reg) + "]");
    }
    // The bank is decided here, from the number the engine meant, and only the 8-bit address
    // within it is bent: whatever the bender returns, the write stays on one of the two banks
    // and below 0x200.
    const int bank = reg < kBank1 ? 0 : 1;
    auto address = static_cast<uint8_t>(reg & 0xFF);
    if (through != nullptr) {
        address = through->BendRegister(address);
        value = through->BendData(value);
    }
    backend.Write(bank, address, value, extraDelay);
    shadow[reg] = value;
    ++writeCounts[reg];
}

uint8_t OPL3::ReadRegister(uint16_t reg) const {
    if (reg >= kRegisterCount) {
        throw RegisterError("Read illegal OPL3 register [" + std::to_string(reg) + "]");
    }
    return shadow[reg];
}

void OPL3::ResetChip(bool clearAll) {
    // The initialisation is bent like any other write. All-notes-off (and with it the
    // silencing at shutdown) is not: bent, its key-offs and fastest releases would land on
    // other registers, and its F-number and set-up writes could key notes on, so the chip
    // would go on sounding after the one command meant to stop it.
    RegisterBender* through = clearAll ? bend : nullptr;
    auto write = [this, through](uint16_t reg, uint8_t value) { Send(reg, value, 0, through); };
    if (clearAll) {
        // Everything from the first register a patch or the drums use up to the last
        // waveform register, both banks interleaved.
        for (uint16_t r = 0x04; r <= 0xF5; ++r) {
            write(r, 0);
            write(static_cast<uint16_t>(kBank1 + r), 0);
        }
    }
    write(kRegOpl3Mode, kOpl3ModeBit);
    write(kRegFourOperator, kFourOperatorAllPairs);
    write(kRegRhythm, settings.drumMode ? kRhythmModeBit : 0x00);
    for (uint16_t slot : kSlotOffsetTable) {
        if (!IsRhythmSlot(slot)) {
            uint16_t reg = kRegSustainRelease + slot;
            write(reg, static_cast<uint8_t>(shadow[reg] | kReleaseMask));
        }
    }
    for (uint16_t c = 0; c < kChannelCount; ++c) {
        write(kRegKeyBlock + c, 0);
        write(kRegFNumberLow + c, 0);
        write(kBank1 + kRegKeyBlock + c, 0);
        write(kBank1 + kRegFNumberLow + c, 0);
    }
    for (auto& part : parts) {
        part.ResetState();
    }
    fastRelease.fill(0);
    if (clearAll) {
        // A cleared chip has no patch yet; the copies start empty with it.
        level.fill(0);
        velocityOffset.fill(0);
        release.fill(0);
        damperFlag.fill(false);
        return;
    }
    // All-notes-off keeps the patch: the copies still describe it, so the next note's velocity
    // scaling and the next damper message act as before the reset. Only the release rates in
    // the registers are the reset's own, left fastest so the released notes die away at once;
    // each voice gets the patch's back at its next key-on.
    for (int op = 0; op < kOperatorCount; ++op) {
        for (int v = 0; v < kMaxVoices; ++v) {
            if (!IsRhythmSlot(OperatorSlotOffset(op, v))) {
                fastRelease[static_cast<size_t>(op)] |= static_cast<uint8_t>(1u << v);
            }
        }
    }
}

bool OPL3::IsRhythmSlot(uint16_t slot) const {
    // The rhythm channels' envelopes are the drum kit's.
    return settings.drumMode && slot >= kRhythmSlotFirst && slot <= kRhythmSlotLast;
}

void OPL3::RestoreRelease(int part, int voice) {
    auto bit = static_cast<uint8_t>(1u << voice);
    for (int op = PartFirstOperator(part); op < PartOperatorEnd(part); ++op) {
        uint8_t& fast = fastRelease[static_cast<size_t>(op)];
        if (fast & bit) {
            uint16_t reg = kRegSustainRelease + OperatorSlotOffset(op, voice);
            WriteRegister(
                reg, static_cast<uint8_t>((shadow[reg] & ~kReleaseMask) | ReleaseWithDamper(op)));
            fast = static_cast<uint8_t>(fast & ~bit);
        }
    }
}

void OPL3::NotifyNote(uint8_t note, uint8_t velocity, bool on) {
    if (noteListener != nullptr) {
        noteListener->NoteEvent(note, velocity, on);
    }
}

// ---------------------------------------------------------------- operator parameters

int OPL3::OperatorVoices(int op) const {
    return op < 4 ? 6 : Part(kPart56).Channels();
}

void OPL3::WriteOperatorField(int op, uint16_t base, uint8_t mask, uint8_t value) {
    // One byte, computed from voice 0, goes to every voice: a setter makes the voices of a part
    // identical in that register again after velocity scaling made them differ.
    uint16_t reg0 = base + OperatorSlotOffset(op, 0);
    uint8_t byte = static_cast<uint8_t>((shadow[reg0] & ~mask) | (value & mask));
    int n = OperatorVoices(op);
    for (int v = 0; v < n; ++v) {
        WriteRegister(base + OperatorSlotOffset(op, v), byte);
    }
    if (base == kRegSustainRelease) {
        // Voice 0's release rate went to every voice with the byte, unless the field was new.
        uint8_t& fast = fastRelease[static_cast<size_t>(op)];
        auto written = static_cast<uint8_t>((1u << n) - 1);
        bool copiedFast = (mask & kReleaseMask) == 0 && (fast & 1) != 0;
        fast = static_cast<uint8_t>(copiedFast ? fast | written : fast & ~written);
    }
}

void OPL3::SetWaveform(int op, uint8_t waveform) {
    WriteOperatorField(op, kRegWaveform, kWaveformMask, waveform);
}
void OPL3::SetTremolo(int op, bool on) {
    WriteOperatorField(op, kRegFlags, kTremoloBit, on ? kTremoloBit : 0);
}
void OPL3::SetVibrato(int op, bool on) {
    WriteOperatorField(op, kRegFlags, kVibratoBit, on ? kVibratoBit : 0);
}
void OPL3::SetHold(int op, bool on) {
    WriteOperatorField(op, kRegFlags, kSustainHoldBit, on ? kSustainHoldBit : 0);
}
void OPL3::SetRateScaling(int op, bool on) {
    WriteOperatorField(op, kRegFlags, kRateScalingBit, on ? kRateScalingBit : 0);
}
void OPL3::SetMultiplier(int op, uint8_t mult) {
    WriteOperatorField(op, kRegFlags, kMultiplierMask, mult);
}
void OPL3::SetMultiplierCents(int op, int cents) {
    SetMultiplier(op, MultiplierIndexOfCents(cents));
}

void OPL3::SetLevelScaling(int op, uint8_t ksl) {
    WriteOperatorField(op, kRegLevel, kLevelScalingMask,
                       static_cast<uint8_t>(ksl << kLevelScalingShift));
}

void OPL3::SetVolume(int op, uint8_t position) {
    level[static_cast<size_t>(op)] = position & kTotalLevelMask;
    WriteOperatorField(op, kRegLevel, kTotalLevelMask,
                       static_cast<uint8_t>(kTotalLevelMask - (position & kTotalLevelMask)));
}

void OPL3::SetAttack(int op, uint8_t rate) {
    attack[static_cast<size_t>(op)] = rate & kRateMask;
    WriteOperatorField(op, kRegAttackDecay, kAttackMask,
                       static_cast<uint8_t>(rate << kHighNibbleShift));
}

void OPL3::SetDecay(int op, uint8_t rate) {
    decay[static_cast<size_t>(op)] = rate & kRateMask;
    WriteOperatorField(op, kRegAttackDecay, kDecayMask, rate);
}

void OPL3::SetSustain(int op, uint8_t level) {
    sustain[static_cast<size_t>(op)] = level & kRateMask;
    WriteOperatorField(op, kRegSustainRelease, kSustainMask,
                       static_cast<uint8_t>(level << kHighNibbleShift));
}

void OPL3::SetRelease(int op, uint8_t rate) {
    release[static_cast<size_t>(op)] = rate & kRateMask;
    WriteOperatorField(op, kRegSustainRelease, kReleaseMask, rate);
}

void OPL3::SetDamper(int op, bool on) {
    damperFlag[static_cast<size_t>(op)] = on;
}

void OPL3::SetVelocityOffset(int op, uint8_t offset) {
    velocityOffset[static_cast<size_t>(op)] = offset;
}

void OPL3::SetVelocityTarget(int op, uint8_t target) {
    velocityTarget[static_cast<size_t>(op)] = target;
    RewriteFromCopies(op);
}

void OPL3::RewriteFromCopies(int op) {
    auto o = static_cast<size_t>(op);
    WriteOperatorField(op, kRegLevel, kTotalLevelMask,
                       static_cast<uint8_t>(kTotalLevelMask - level[o]));
    WriteOperatorField(op, kRegAttackDecay, kAttackMask,
                       static_cast<uint8_t>(attack[o] << kHighNibbleShift));
    WriteOperatorField(op, kRegAttackDecay, kDecayMask, decay[o]);
    WriteOperatorField(op, kRegSustainRelease, kSustainMask,
                       static_cast<uint8_t>(sustain[o] << kHighNibbleShift));
    WriteOperatorField(op, kRegSustainRelease, kReleaseMask, release[o]);
}

void OPL3::ApplyVelocity(int op, int voice, uint8_t velocity) {
    auto o = static_cast<size_t>(op);
    uint8_t target = velocityTarget[o];
    if (target == 0) {
        return;
    }
    int s = velocity + velocityOffset[o];
    double f = s >= 127 ? 1.0 : s / 127.0;
    uint16_t slot = OperatorSlotOffset(op, voice);
    auto rmw = [&](uint16_t base, uint8_t mask, int value) {
        uint16_t reg = base + slot;
        WriteRegister(reg, static_cast<uint8_t>((shadow[reg] & ~mask) | (value & mask)));
    };
    switch (target) {
    case 1:
        rmw(kRegLevel, kTotalLevelMask, kTotalLevelMask - static_cast<int>(level[o] * f));
        break;
    case 2:
        rmw(kRegAttackDecay, kAttackMask,
            static_cast<int>(attack[o] * (1 - f)) << kHighNibbleShift);
        break;
    case 3:
        rmw(kRegAttackDecay, kDecayMask, static_cast<int>(decay[o] * (1 - f)));
        break;
    case 4:
        rmw(kRegSustainRelease, kSustainMask,
            static_cast<int>(sustain[o] * (1 - f)) << kHighNibbleShift);
        break;
    case 5:
        rmw(kRegSustainRelease, kReleaseMask, static_cast<int>(release[o] * (1 - f)));
        fastRelease[o] = static_cast<uint8_t>(fastRelease[o] & ~(1u << voice));
        break;
    default:
        break;
    }
}

uint8_t OPL3::ReleaseWithDamper(int op) const {
    auto o = static_cast<size_t>(op);
    int part = op < 4 ? kPart1234 : kPart56;
    return damperFlag[o]
               ? static_cast<uint8_t>(release[o] >> damperShift[static_cast<size_t>(part)])
               : release[o];
}

void OPL3::DamperUpdate(int part, uint8_t value) {
    auto p = static_cast<size_t>(part);
    if (value < 56) {
        damperShift[p] = 0;
    } else if (value > 71) {
        damperShift[p] = 2;
    }
    for (int op = PartFirstOperator(part); op < PartOperatorEnd(part); ++op) {
        WriteOperatorField(op, kRegSustainRelease, kReleaseMask, ReleaseWithDamper(op));
    }
}

// ---------------------------------------------------------------- channel parameters

void OPL3::WriteChannelField(int part, uint16_t reg, uint8_t mask, uint8_t value) {
    // reg is the register of voice 0; the other voices sit at their own channel offsets.
    const VoicePart& p = Part(part);
    uint16_t channelReg = reg - p.ChannelOffset(0);
    uint8_t byte = static_cast<uint8_t>((shadow[reg] & ~mask) | (value & mask));
    for (int v = 0; v < p.Limit(); ++v) {
        WriteRegister(static_cast<uint16_t>(channelReg + p.ChannelOffset(v)), byte);
    }
}

void OPL3::SetFeedback1234(uint8_t feedback) {
    WriteChannelField(kPart1234, kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0),
                      kFeedbackMask, static_cast<uint8_t>(feedback << kFeedbackShift));
}

void OPL3::SetFeedback56(uint8_t feedback) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0),
                      kFeedbackMask, static_cast<uint8_t>(feedback << kFeedbackShift));
}

void OPL3::SetOutput1234Left(bool on) {
    uint16_t first = kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0);
    uint8_t bit = on ? kOutputLeftBit : 0;
    WriteChannelField(kPart1234, first, kOutputLeftBit, bit);
    WriteChannelField(kPart1234, first + kPairSecondChannel, kOutputLeftBit, bit);
}

void OPL3::SetOutput1234Right(bool on) {
    uint16_t first = kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0);
    uint8_t bit = on ? kOutputRightBit : 0;
    WriteChannelField(kPart1234, first, kOutputRightBit, bit);
    WriteChannelField(kPart1234, first + kPairSecondChannel, kOutputRightBit, bit);
}

void OPL3::SetOutput56Left(bool on) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0),
                      kOutputLeftBit, on ? kOutputLeftBit : 0);
}

void OPL3::SetOutput56Right(bool on) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0),
                      kOutputRightBit, on ? kOutputRightBit : 0);
}

void OPL3::SetOutput1234(bool left, bool right) {
    SetOutput1234Left(left);
    SetOutput1234Right(right);
}

void OPL3::SetOutput56(bool left, bool right) {
    SetOutput56Left(left);
    SetOutput56Right(right);
}

void OPL3::SetAlgorithm(uint8_t algorithm) {
    uint16_t first = kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0);
    WriteChannelField(kPart1234, first, kConnectionBit, algorithm & 1);
    WriteChannelField(kPart1234, first + kPairSecondChannel, kConnectionBit, (algorithm >> 1) & 1);
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0),
                      kConnectionBit, (algorithm >> 2) & 1);
}

void OPL3::SetTremoloDepth(uint8_t index) {
    WriteRegister(kRegRhythm, static_cast<uint8_t>((shadow[kRegRhythm] & ~kTremoloDepthBit) |
                                                   ((index & 1) != 0 ? kTremoloDepthBit : 0)));
}

void OPL3::SetVibratoDepth(uint8_t index) {
    WriteRegister(kRegRhythm, static_cast<uint8_t>((shadow[kRegRhythm] & ~kVibratoDepthBit) |
                                                   ((index & 1) != 0 ? kVibratoDepthBit : 0)));
}

// ---------------------------------------------------------------- whole patch

void OPL3::ApplyPatch(const PatchRecord& patch, const PatchExt& ext) {
    Part(kPart1234).SetMode(ext[PatchExt::kMode1234]);
    Part(kPart56).SetMode(ext[PatchExt::kMode56]);
    Part(kPart1234).SetPriority(ext[PatchExt::kPriority1234]);
    Part(kPart56).SetPriority(ext[PatchExt::kPriority56]);

    auto writeOperator = [&](int op, int voice) {
        const auto& r = patch.op[static_cast<size_t>(op)].reg;
        uint16_t slot = OperatorSlotOffset(op, voice);
        WriteRegister(kRegFlags + slot, r[0]);
        WriteRegister(kRegWaveform + slot, r[4]);
        SetLevelScaling(op, static_cast<uint8_t>(r[1] >> kLevelScalingShift));
        SetVolume(op, static_cast<uint8_t>(kTotalLevelMask - (r[1] & kTotalLevelMask)));
        SetAttack(op, static_cast<uint8_t>(r[2] >> kHighNibbleShift));
        SetDecay(op, r[2] & kDecayMask);
        SetSustain(op, static_cast<uint8_t>(r[3] >> kHighNibbleShift));
        SetRelease(op, r[3] & kReleaseMask);
    };
    for (int v = 0; v < kMaxVoices; ++v) {
        for (int op = PartFirstOperator(kPart1234); op < PartOperatorEnd(kPart1234); ++op) {
            writeOperator(op, v);
        }
        uint16_t pair = kRegFeedbackConnection + VoiceChannelOffset(kPart1234, v);
        WriteRegister(pair, patch.channel12);
        WriteRegister(pair + kPairSecondChannel, patch.channel34);
    }
    for (int v = 0; v < Part(kPart56).Channels(); ++v) {
        for (int op = PartFirstOperator(kPart56); op < PartOperatorEnd(kPart56); ++op) {
            writeOperator(op, v);
        }
        WriteRegister(kRegFeedbackConnection + VoiceChannelOffset(kPart56, v), patch.channel56);
    }
    SetTremoloDepth(ext[PatchExt::kDepths] & 1);
    SetVibratoDepth((ext[PatchExt::kDepths] >> 1) & 1);
    uint8_t outputs = ext[PatchExt::kOutputs];
    SetOutput1234Left(outputs & 1);
    SetOutput1234Right(outputs & 2);
    SetOutput56Left(outputs & 4);
    SetOutput56Right(outputs & 8);
    for (int op = 0; op < kOperatorCount; ++op) {
        damperFlag[static_cast<size_t>(op)] = (ext[PatchExt::kDamperBits] >> op) & 1;
        velocityOffset[static_cast<size_t>(op)] = ext[PatchExt::kVelocityOffset + op];
        SetVelocityTarget(op, ext[PatchExt::kVelocityTarget + op]);
    }
}

} // namespace vorpline
