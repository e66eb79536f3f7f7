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
    if (reg >= kRegisterCount) {
        throw RegisterError("Write illegal OPL3 register [" + std::to_string(reg) + "]");
    }
    uint8_t address = static_cast<uint8_t>(reg & 0xFF);
    if (bend != nullptr) {
        address = bend->BendRegister(address);
        value = bend->BendData(value);
    }
    backend.Write(reg < 0x100 ? 0 : 1, address, value, extraDelay);
    shadow[reg] = value;
}

uint8_t OPL3::ReadRegister(uint16_t reg) const {
    if (reg >= kRegisterCount) {
        throw RegisterError("Read illegal OPL3 register [" + std::to_string(reg) + "]");
    }
    return shadow[reg];
}

void OPL3::ResetChip(bool clearAll) {
    if (clearAll) {
        for (uint16_t r = 0x04; r <= 0xF5; ++r) {
            WriteRegister(r, 0);
            WriteRegister(static_cast<uint16_t>(0x100 + r), 0);
        }
    }
    WriteRegister(0x105, 0x01); // OPL3 mode
    WriteRegister(0x104, 0x3F); // all six 4-operator pairs
    WriteRegister(kRegRhythm, settings.drumMode ? 0x20 : 0x00);
    for (uint16_t slot : kSlotOffsetTable) {
        // The rhythm channels' release rates are the drum kit's.
        if (settings.drumMode && slot >= 0x10 && slot <= 0x15) {
            continue;
        }
        uint16_t reg = kRegSustainRelease + slot;
        WriteRegister(reg, static_cast<uint8_t>(shadow[reg] | 0x0F));
    }
    for (uint16_t c = 0; c < 9; ++c) {
        WriteRegister(kRegKeyBlock + c, 0);
        WriteRegister(kRegFNumberLow + c, 0);
        WriteRegister(0x100 + kRegKeyBlock + c, 0);
        WriteRegister(0x100 + kRegFNumberLow + c, 0);
    }
    for (auto& part : parts) {
        part.ResetState();
    }
    level.fill(0);
    velocityOffset.fill(0);
    release.fill(0);
    damperFlag.fill(false);
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
}

void OPL3::SetWaveform(int op, uint8_t waveform) {
    WriteOperatorField(op, kRegWaveform, 0x07, waveform);
}
void OPL3::SetTremolo(int op, bool on) {
    WriteOperatorField(op, kRegFlags, 0x80, on ? 0x80 : 0);
}
void OPL3::SetVibrato(int op, bool on) {
    WriteOperatorField(op, kRegFlags, 0x40, on ? 0x40 : 0);
}
void OPL3::SetHold(int op, bool on) {
    WriteOperatorField(op, kRegFlags, 0x20, on ? 0x20 : 0);
}
void OPL3::SetRateScaling(int op, bool on) {
    WriteOperatorField(op, kRegFlags, 0x10, on ? 0x10 : 0);
}
void OPL3::SetMultiplier(int op, uint8_t mult) {
    WriteOperatorField(op, kRegFlags, 0x0F, mult);
}
void OPL3::SetMultiplierCents(int op, int cents) {
    SetMultiplier(op, MultiplierIndexOfCents(cents));
}

void OPL3::SetLevelScaling(int op, uint8_t ksl) {
    WriteOperatorField(op, kRegLevel, 0xC0, static_cast<uint8_t>(ksl << 6));
}

void OPL3::SetVolume(int op, uint8_t position) {
    level[static_cast<size_t>(op)] = position & 0x3F;
    WriteOperatorField(op, kRegLevel, 0x3F, static_cast<uint8_t>(63 - (position & 0x3F)));
}

void OPL3::SetAttack(int op, uint8_t rate) {
    attack[static_cast<size_t>(op)] = rate & 15;
    WriteOperatorField(op, kRegAttackDecay, 0xF0, static_cast<uint8_t>(rate << 4));
}

void OPL3::SetDecay(int op, uint8_t rate) {
    decay[static_cast<size_t>(op)] = rate & 15;
    WriteOperatorField(op, kRegAttackDecay, 0x0F, rate);
}

void OPL3::SetSustain(int op, uint8_t level) {
    sustain[static_cast<size_t>(op)] = level & 15;
    WriteOperatorField(op, kRegSustainRelease, 0xF0, static_cast<uint8_t>(level << 4));
}

void OPL3::SetRelease(int op, uint8_t rate) {
    release[static_cast<size_t>(op)] = rate & 15;
    WriteOperatorField(op, kRegSustainRelease, 0x0F, rate);
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
    WriteOperatorField(op, kRegLevel, 0x3F, static_cast<uint8_t>(63 - level[o]));
    WriteOperatorField(op, kRegAttackDecay, 0xF0, static_cast<uint8_t>(attack[o] << 4));
    WriteOperatorField(op, kRegAttackDecay, 0x0F, decay[o]);
    WriteOperatorField(op, kRegSustainRelease, 0xF0, static_cast<uint8_t>(sustain[o] << 4));
    WriteOperatorField(op, kRegSustainRelease, 0x0F, release[o]);
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
        rmw(kRegLevel, 0x3F, 63 - static_cast<int>(level[o] * f));
        break;
    case 2:
        rmw(kRegAttackDecay, 0xF0, static_cast<int>(attack[o] * (1 - f)) << 4);
        break;
    case 3:
        rmw(kRegAttackDecay, 0x0F, static_cast<int>(decay[o] * (1 - f)));
        break;
    case 4:
        rmw(kRegSustainRelease, 0xF0, static_cast<int>(sustain[o] * (1 - f)) << 4);
        break;
    case 5:
        rmw(kRegSustainRelease, 0x0F, static_cast<int>(release[o] * (1 - f)));
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
    int first = part == kPart1234 ? 0 : 4;
    int last = part == kPart1234 ? 3 : 5;
    for (int op = first; op <= last; ++op) {
        WriteOperatorField(op, kRegSustainRelease, 0x0F, ReleaseWithDamper(op));
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
    WriteChannelField(kPart1234, kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0), 0x0E,
                      static_cast<uint8_t>(feedback << 1));
}

void OPL3::SetFeedback56(uint8_t feedback) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0), 0x0E,
                      static_cast<uint8_t>(feedback << 1));
}

void OPL3::SetOutput1234Left(bool on) {
    uint16_t first = kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0);
    WriteChannelField(kPart1234, first, 0x10, on ? 0x10 : 0);
    WriteChannelField(kPart1234, first + 3, 0x10, on ? 0x10 : 0);
}

void OPL3::SetOutput1234Right(bool on) {
    uint16_t first = kRegFeedbackConnection + Part(kPart1234).ChannelOffset(0);
    WriteChannelField(kPart1234, first, 0x20, on ? 0x20 : 0);
    WriteChannelField(kPart1234, first + 3, 0x20, on ? 0x20 : 0);
}

void OPL3::SetOutput56Left(bool on) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0), 0x10,
                      on ? 0x10 : 0);
}

void OPL3::SetOutput56Right(bool on) {
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0), 0x20,
                      on ? 0x20 : 0);
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
    WriteChannelField(kPart1234, first, 0x01, algorithm & 1);
    WriteChannelField(kPart1234, first + 3, 0x01, (algorithm >> 1) & 1);
    WriteChannelField(kPart56, kRegFeedbackConnection + Part(kPart56).ChannelOffset(0), 0x01,
                      (algorithm >> 2) & 1);
}

void OPL3::SetTremoloDepth(uint8_t index) {
    WriteRegister(kRegRhythm,
                  static_cast<uint8_t>((shadow[kRegRhythm] & ~0x80) | ((index & 1) << 7)));
}

void OPL3::SetVibratoDepth(uint8_t index) {
    WriteRegister(kRegRhythm,
                  static_cast<uint8_t>((shadow[kRegRhythm] & ~0x40) | ((index & 1) << 6)));
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
        SetLevelScaling(op, static_cast<uint8_t>(r[1] >> 6));
        SetVolume(op, static_cast<uint8_t>(63 - (r[1] & 0x3F)));
        SetAttack(op, static_cast<uint8_t>(r[2] >> 4));
        SetDecay(op, r[2] & 15);
        SetSustain(op, static_cast<uint8_t>(r[3] >> 4));
        SetRelease(op, r[3] & 15);
    };
    for (int v = 0; v < kMaxVoices; ++v) {
        for (int op = 0; op < 4; ++op) {
            writeOperator(op, v);
        }
        WriteRegister(kRegFeedbackConnection + VoiceChannelOffset(kPart1234, v), patch.channel12);
        WriteRegister(kRegFeedbackConnection + VoiceChannelOffset(kPart1234, v) + 3,
                      patch.channel34);
    }
    for (int v = 0; v < Part(kPart56).Channels(); ++v) {
        for (int op = 4; op < 6; ++op) {
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
