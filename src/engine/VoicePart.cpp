#include "engine/VoicePart.h"

#include <algorithm>

#include "engine/OPL3.h"
#include "engine/RegisterMap.h"

namespace vorpline {

namespace {
// Legato glide direction flags, shifted by 4 for part 5/6.
constexpr uint8_t kLegatoUp = 0x01;
constexpr uint8_t kLegatoDown = 0x02;
constexpr int kLegatoFlagsShift56 = 4;
} // namespace

VoicePart::VoicePart(OPL3& chip, int index, uint8_t channels, Glide::TickHandler onGlideTick)
    : chip(chip), index(index), limit(std::min<uint8_t>(kMaxVoices, channels)), channels(channels),
      glide(chip.Timers(), std::move(onGlideTick)) {}

uint16_t VoicePart::ChannelOffset(int voice) const {
    return VoiceChannelOffset(index, voice);
}

void VoicePart::ResetState() {
    notes.fill(NoteEntry{});
    voices.fill(VoiceSlot{});
    count = 0;
    priority = kLast;
    glide.Reset();
}

uint8_t VoicePart::NoteOn(uint8_t note, uint8_t velocity, int32_t pitch) {
    // Note numbers come from 7-bit data bytes; anything above cannot be assigned and must not
    // count as a sounding voice.
    if (note >= 128) {
        return count;
    }
    if (count < limit) {
        if (glide.Offset() != 0) {
            pitch -= glide.Offset();
            glide.SetOffset(0);
        }
        for (int v = 0; v < limit; ++v) {
            if (!voices[static_cast<size_t>(v)].busy) {
                Start(note, velocity, pitch, v);
                ++count;
                break;
            }
        }
        return count;
    }
    switch (priority) {
    case kFirst:
        Park(note, velocity, pitch);
        break;
    case kHigh:
    case kLow: {
        bool high = priority == kHigh;
        int chosen = -1;
        for (int v = 0; v < limit; ++v) {
            const VoiceSlot& slot = voices[static_cast<size_t>(v)];
            if (!slot.busy) {
                continue;
            }
            // A held note that wins over the new one keeps its voice.
            if (high ? slot.note > note : slot.note < note) {
                Park(note, velocity, pitch);
                return count;
            }
            if (chosen < 0 || (high ? slot.note < voices[static_cast<size_t>(chosen)].note
                                    : slot.note > voices[static_cast<size_t>(chosen)].note)) {
                chosen = v;
            }
        }
        if (chosen >= 0) {
            Steal(note, velocity, pitch, chosen, kWaiting);
        }
        break;
    }
    default: {
        int oldest = OldestBusyVoice();
        if (oldest >= 0) {
            Steal(note, velocity, pitch, oldest, kWaiting);
        }
        break;
    }
    }
    return count;
}

int VoicePart::OldestBusyVoice() const {
    int chosen = -1;
    for (int v = 0; v < limit; ++v) {
        const VoiceSlot& slot = voices[static_cast<size_t>(v)];
        if (slot.busy && (chosen < 0 || notes[slot.note].time <
                                            notes[voices[static_cast<size_t>(chosen)].note].time)) {
            chosen = v;
        }
    }
    return chosen;
}

uint8_t VoicePart::NoteOff(uint8_t note) {
    if (note >= 128) {
        return count;
    }
    notes[note].state = kIdle;
    for (int v = 0; v < limit; ++v) {
        const VoiceSlot& slot = voices[static_cast<size_t>(v)];
        if (slot.busy && slot.note == note) {
            HandBack(v);
            break;
        }
    }
    if (count == 0) {
        glide.StopSteps();
    }
    return count;
}

int VoicePart::WaitingNoteToResume() const {
    if (priority == kHigh) {
        for (int n = 127; n >= 0; --n) {
            if (notes[static_cast<size_t>(n)].state == kWaiting) {
                return n;
            }
        }
        return -1;
    }
    if (priority == kLow) {
        for (int n = 0; n < 128; ++n) {
            if (notes[static_cast<size_t>(n)].state == kWaiting) {
                return n;
            }
        }
        return -1;
    }
    int chosen = -1;
    for (int n = 0; n < 128; ++n) {
        const NoteEntry& e = notes[static_cast<size_t>(n)];
        if (e.state == kWaiting &&
            (chosen < 0 || e.time < notes[static_cast<size_t>(chosen)].time)) {
            chosen = n;
        }
    }
    return chosen;
}

void VoicePart::HandBack(int voice) {
    int waiting = WaitingNoteToResume();
    if (waiting >= 0) {
        const NoteEntry& e = notes[static_cast<size_t>(waiting)];
        Steal(static_cast<uint8_t>(waiting), e.velocity, e.pitch, voice, kIdle);
        return;
    }
    KeyOff(voice, kIdle);
    --count;
}

void VoicePart::AllNotesOff() {
    for (auto& e : notes) {
        e.state = kIdle;
    }
    int n = index == OPL3::kPart1234 ? kMaxVoices : channels;
    for (int v = 0; v < n; ++v) {
        KeyOff(v, kIdle);
    }
    glide.SetOffset(0);
    glide.StopSteps();
    count = 0;
}

void VoicePart::SetMode(uint8_t newMode) {
    AllNotesOff();
    mode = newMode;
    limit = newMode == kLegato ? 1 : std::min(newMode, channels);
    // A mode byte of 0 from a damaged preset must still leave one voice.
    limit = std::max<uint8_t>(limit, 1);
}

void VoicePart::RetuneAll(int32_t pitch) {
    for (int v = 0; v < limit; ++v) {
        if (voices[static_cast<size_t>(v)].note != kNoNote) {
            SetFrequency(pitch, v, false);
        }
    }
}

void VoicePart::GlideTick(int32_t pitch, int remaining) {
    // Only voice 0 glides: portamento means one voice (Legato or Mono).
    const VoiceSlot& slot = voices[0];
    if (slot.note == kNoNote) {
        return;
    }
    // A Mono glide restarts the envelope on arrival, but only of a key still held: a tick that
    // comes after the note-off (a stray glide event) would otherwise leave the note stuck on.
    SetFrequency(pitch, 0, mode == kMono && remaining == 0 && slot.busy);
}

void VoicePart::Park(uint8_t note, uint8_t velocity, int32_t pitch) {
    NoteEntry& e = notes[note];
    e.state = kWaiting;
    e.pitch = pitch;
    e.time = chip.Now();
    e.velocity = velocity;
}

bool VoicePart::Assign(uint8_t note, uint8_t velocity, int32_t pitch, int voice) {
    if (note >= 128) {
        return false;
    }
    voices[static_cast<size_t>(voice)] = {true, note};
    notes[note] = {kSounding, pitch, chip.Now(), velocity, static_cast<uint8_t>(voice)};
    return true;
}

void VoicePart::Release(int voice, uint8_t newState) {
    VoiceSlot& slot = voices[static_cast<size_t>(voice)];
    slot.busy = false;
    if (slot.note < 128) {
        notes[slot.note].state = newState;
    }
}

void VoicePart::KeyOff(int voice, uint8_t newState) {
    Release(voice, newState);
    uint16_t reg = kRegKeyBlock + ChannelOffset(voice);
    chip.WriteRegister(reg, static_cast<uint8_t>(chip.ReadRegister(reg) & ~kKeyOn));
    chip.NotifyNote(voices[static_cast<size_t>(voice)].note, 0, false);
}

void VoicePart::SetFrequency(int32_t pitch, int voice, bool retrigger) {
    uint8_t note = voices[static_cast<size_t>(voice)].note;
    FNumber f = chip.FNumbers().Compute(note, pitch);
    uint16_t channel = ChannelOffset(voice);
    chip.WriteRegister(kRegFNumberLow + channel, f.low);
    uint16_t keyReg = kRegKeyBlock + channel;
    uint8_t blockHigh = static_cast<uint8_t>(f.blockBits | f.high);
    if (!retrigger) {
        chip.WriteRegister(keyReg,
                           static_cast<uint8_t>((chip.ReadRegister(keyReg) & kKeyOn) | blockHigh));
        return;
    }
    chip.WriteRegister(keyReg, blockHigh, chip.KeyDelay());
    chip.WriteRegister(keyReg, static_cast<uint8_t>(blockHigh | kKeyOn));
    chip.NotifyNote(note, note < 128 ? notes[note].velocity : 0, true);
}

void VoicePart::Start(uint8_t note, uint8_t velocity, int32_t pitch, int voice) {
    if (!Assign(note, velocity, pitch, voice)) {
        return;
    }
    FNumber f = chip.FNumbers().Compute(note, pitch);
    chip.RestoreRelease(index, voice);
    for (int op = PartFirstOperator(index); op < PartOperatorEnd(index); ++op) {
        chip.ApplyVelocity(op, voice, velocity);
    }
    uint16_t channel = ChannelOffset(voice);
    chip.WriteRegister(kRegFNumberLow + channel, f.low);
    chip.WriteRegister(kRegKeyBlock + channel, static_cast<uint8_t>(f.blockBits | f.high | kKeyOn));
    chip.NotifyNote(note, velocity, true);
}

void VoicePart::Steal(uint8_t note, uint8_t velocity, int32_t pitch, int voice, uint8_t oldState) {
    uint8_t old = voices[static_cast<size_t>(voice)].note;
    if (mode == kLegato) {
        if (!glide.Active()) {
            Release(voice, oldState);
            Assign(note, velocity, pitch, voice);
            SetFrequency(pitch, voice, false);
            return;
        }
        uint8_t flags =
            static_cast<uint8_t>(chip.LegatoFlags() >> (index == 0 ? 0 : kLegatoFlagsShift56));
        bool up = flags & kLegatoUp;
        bool down = flags & kLegatoDown;
        if (oldState == kWaiting) { // a newly pressed note takes the voice
            if (down) {
                glide.Reverse(old, note);
            } else if (up) {
                glide.FromPrevious(old, note);
            } else {
                glide.FromCurrent(old, note);
            }
        } else { // a released key hands the voice back
            if (up) {
                glide.FromPrevious(old, note);
            } else if (down) {
                glide.Reverse(old, note);
            } else {
                glide.FromCurrent(old, note);
            }
        }
        Release(voice, oldState);
        Assign(note, velocity, pitch, voice);
        return;
    }
    if (mode == kMono && glide.Active()) {
        glide.FromCurrent(old, note);
        Release(voice, oldState);
        Assign(note, velocity, pitch, voice);
        return;
    }
    KeyOff(voice, oldState);
    Start(note, velocity, pitch, voice);
}

} // namespace vorpline
