#include "presets/TFormKBD.h"

#include "midi/HubPoster.h"

#include <memory>

#include "midi/MessageHub.h"
#include "platform/TimerService.h"

namespace vorpline {

namespace {

constexpr uint8_t kNoteOffStatus = 0x80;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr uint8_t kStepStatus = 0xC0;
// The keyboard has no touch: every note sounds at full velocity.
constexpr uint8_t kVelocity = 127;
// Data 2 of the step message, read by the hub as a signed byte.
constexpr uint8_t kStepNext = 1;
constexpr uint8_t kStepPrevious = 0xFF;
constexpr int kMaxNote = 127;

} // namespace

TFormKBD::TFormKBD(Poster post)
    : Form("FormKBD", "Keyboard"), SpeedButtonC4("SpeedButtonC4", ""),
      SpeedButtonDb("SpeedButtonDb", ""), SpeedButtonD4("SpeedButtonD4", ""),
      SpeedButtonEb("SpeedButtonEb", ""), SpeedButtonE4("SpeedButtonE4", ""),
      SpeedButtonF4("SpeedButtonF4", ""), SpeedButtonGb("SpeedButtonGb", ""),
      SpeedButtonG4("SpeedButtonG4", ""), SpeedButtonAb("SpeedButtonAb", ""),
      SpeedButtonA4("SpeedButtonA4", ""), SpeedButtonBb("SpeedButtonBb", ""),
      SpeedButtonB4("SpeedButtonB4", ""), SpeedButtonC5("SpeedButtonC5", ""),
      SpeedButtonDown("SpeedButtonDown", "", "Next"),
      SpeedButtonUp("SpeedButtonUp", "", "Previous"), LabelPreset("LabelPreset", "Preset"),
      post(std::move(post)) {
    int note = kLowNote;
    for (Button* key : Keys()) {
        key->SetTag(note++);
    }
    SpeedButtonDown.onClick = [this] { SpeedButtonDownClick(); };
    SpeedButtonUp.onClick = [this] { SpeedButtonUpClick(); };
}

TFormKBD::Poster TFormKBD::PostToHub(TimerService& timers, MessageHub& hub) {
    return [post = vorpline::PostToHub(timers, hub)](uint32_t packed) { post(packed, 0); };
}

void TFormKBD::LoadSettings(const IniFile& /*ini*/, const std::string& /*section*/,
                            const std::string& applicationTitle) {
    SetCaption("Keyboard - " + applicationTitle);
}

void TFormKBD::SaveSettings(IniFile& /*ini*/, const std::string& /*section*/) const {}

std::array<Button*, TFormKBD::kKeyCount> TFormKBD::Keys() {
    return {&SpeedButtonC4, &SpeedButtonDb, &SpeedButtonD4, &SpeedButtonEb, &SpeedButtonE4,
            &SpeedButtonF4, &SpeedButtonGb, &SpeedButtonG4, &SpeedButtonAb, &SpeedButtonA4,
            &SpeedButtonBb, &SpeedButtonB4, &SpeedButtonC5};
}

int TFormKBD::MappedNote(int key) {
    if (key >= 'a' && key <= 'z') {
        key -= 'a' - 'A';
    }
    for (int i = 0; i < kKeyCount; ++i) {
        if (kKeyMap[i] == key) {
            return kLowNote + i;
        }
    }
    return -1;
}

void TFormKBD::NoteOn(int note) {
    // A data byte with its top bit set would be no note at all.
    if (note < 0 || note > kMaxNote) {
        return;
    }
    if (note >= kLowNote && note < kLowNote + kKeyCount) {
        held |= 1u << (note - kLowNote);
    }
    post(PackEvent(kNoteOnStatus, static_cast<uint8_t>(note), kVelocity, MessageHub::kFromProgram));
}

void TFormKBD::NoteOff(int note) {
    if (note < 0 || note > kMaxNote) {
        return;
    }
    if (note >= kLowNote && note < kLowNote + kKeyCount) {
        held &= ~(1u << (note - kLowNote));
    }
    post(PackEvent(kNoteOffStatus, static_cast<uint8_t>(note), 0, MessageHub::kFromProgram));
}

void TFormKBD::Step(uint8_t delta) {
    post(PackEvent(kStepStatus, 0, delta, MessageHub::kFromProgram));
}

void TFormKBD::SpeedButtonC4MouseDown(int note) {
    NoteOn(note);
}

void TFormKBD::SpeedButtonC4MouseUp(int note) {
    NoteOff(note);
}

void TFormKBD::FormKeyDown(int key) {
    if (key == kKeyUp) {
        Step(kStepPrevious);
    } else if (key == kKeyDown) {
        Step(kStepNext);
    } else if (const int note = MappedNote(key); note >= 0) {
        NoteOn(note);
    }
}

void TFormKBD::FormKeyUp(int key) {
    if (const int note = MappedNote(key); note >= 0) {
        NoteOff(note);
    }
}

void TFormKBD::SpeedButtonDownClick() {
    Step(kStepNext);
}

void TFormKBD::SpeedButtonUpClick() {
    Step(kStepPrevious);
}

void TFormKBD::ReleaseHeldKeys() {
    for (int i = 0; i < kKeyCount; ++i) {
        if (held & (1u << i)) {
            NoteOff(kLowNote + i);
        }
    }
}

} // namespace vorpline
