#include "modulation/TFrameNote.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "midi/MessageHub.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr std::size_t kRecIf = 0;
constexpr std::size_t kRecPlay = 1;
constexpr std::size_t kRecEnable = 2;
constexpr std::size_t kRecWait = 4;
constexpr std::size_t kRecFor = 8;
constexpr int kMaxNote = 127;
// A transpose beyond +/-127 moves every note 0..127 to the same limit as +/-127 does.
constexpr int kMaxTranspose = 127;
constexpr int kPitchClasses = 12;

const std::vector<std::string> kTickItems{"0",  "3",  "6",  "9",  "12", "15", "18",  "21",  "24",
                                          "36", "48", "60", "72", "84", "96", "108", "120", "132"};

// The text of a box as an integer; 0 when it is not a whole number in the 32-bit range.
int32_t TextAsInt(const std::string& text) {
    const std::optional<int64_t> value = IniFile::ParseInteger(text);
    if (!value || *value < INT32_MIN || *value > INT32_MAX) {
        return 0;
    }
    return static_cast<int32_t>(*value);
}

// A count of ticks as the step runs it: 0 or more, and short of the "not counting" mark.
int32_t CountOf(const ComboBox& box) {
    return std::clamp<int32_t>(TextAsInt(box.Text()), 0, TFrameNote::kNotCounting - 1);
}

void Put32(std::span<uint8_t, TFrameNote::kRecordSize> record, std::size_t offset, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i) {
        record[offset + i] = static_cast<uint8_t>(bits >> (8 * i));
    }
}

int32_t Get32(std::span<const uint8_t, TFrameNote::kRecordSize> record, std::size_t offset) {
    uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        bits |= static_cast<uint32_t>(record[offset + i]) << (8 * i);
    }
    return static_cast<int32_t>(bits);
}

} // namespace

TFrameNote::TFrameNote()
    : PanelNoteId("PanelNoteId", "1"), LabelIf("LabelIf", "If"),
      ComboBoxIf("ComboBoxIf",
                 {"Any", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"}),
      LabelWait("LabelWait", "wait"), ComboBoxWait("ComboBoxWait", kTickItems, 0, true),
      LabelPlay("LabelPlay", "play"), ComboBoxPlay("ComboBoxPlay",
                                                   {"-24", "-20", "-17", "-12", "-8", "-5", "0",
                                                    "+4", "+7", "+12", "+16", "+19", "+24"},
                                                   0, true),
      LabelFor("LabelFor", "for"), ComboBoxFor("ComboBoxFor", kTickItems, 0, true),
      CheckBoxEnable("CheckBoxEnable", "Enable") {
    Init(0);
}

void TFrameNote::Init(int index) {
    state.StepIndex = index;
    state.StepDefaultWait = 3 * (index + 1);
    Reset();
}

void TFrameNote::Reset() {
    if (state.StepState == kPlaying) {
        StepNoteOff();
    }
    state.StepState = kIdle;
    state.StepNote = 0;
    state.StepSourceNote = 0;
    state.StepCountdown = kNotCounting;
    sourceHeld = false;
    CheckBoxEnable.SetChecked(false);
    ComboBoxIf.SetItemIndex(0);
    ComboBoxWait.SetText(std::to_string(state.StepDefaultWait));
    ComboBoxPlay.SetText("0");
    ComboBoxFor.SetText("0");
    PanelNoteId.SetCaption(std::to_string(state.StepIndex + 1));
}

int32_t TFrameNote::WaitTicks() const {
    return CountOf(ComboBoxWait);
}

int32_t TFrameNote::ForTicks() const {
    return CountOf(ComboBoxFor);
}

int TFrameNote::Transpose() const {
    return std::clamp<int32_t>(TextAsInt(ComboBoxPlay.Text()), -kMaxTranspose, kMaxTranspose);
}

bool TFrameNote::Matches(uint8_t note) const {
    const int wanted = ComboBoxIf.ItemIndex();
    return wanted == 0 || wanted == note % kPitchClasses + 1;
}

void TFrameNote::NoteEvent(uint8_t note, uint8_t velocity, bool on) {
    if (on) {
        if (!CheckBoxEnable.Checked() || state.StepState != kIdle || !Matches(note)) {
            return;
        }
        state.StepSourceNote = note;
        state.StepNote = static_cast<uint8_t>(std::clamp(note + Transpose(), 0, kMaxNote));
        state.StepVelocity = velocity;
        state.StepCountdown = kNotCounting;
        sourceHeld = true;
        if (const int32_t wait = WaitTicks(); wait >= 1) {
            state.StepCountdown = wait;
            state.StepState = kWaiting;
            PanelNoteId.SetCaption("W");
        } else {
            Play();
        }
        return;
    }
    // An idle step has nothing to end: a second report of the same release (the key sounded
    // in both parts) must not post another note-off.
    if (state.StepState == kIdle || note != state.StepSourceNote) {
        return;
    }
    sourceHeld = false;
    // A step that plays with nothing to count was started to last until this release, even if
    // its length has been edited since; otherwise the length box decides.
    const bool untilRelease = state.StepState == kPlaying && state.StepCountdown == kNotCounting;
    if (ForTicks() != 0 && !untilRelease) {
        return;
    }
    state.StepCountdown = kNotCounting;
    if (state.StepState == kWaiting) {
        ToIdle();
    } else {
        StepNoteOff();
    }
}

void TFrameNote::Tick() {
    if (state.StepState == kIdle || state.StepCountdown == kNotCounting) {
        return;
    }
    if (state.StepCountdown > 1) {
        --state.StepCountdown;
        return;
    }
    state.StepCountdown = kNotCounting;
    if (state.StepState == kWaiting) {
        Play();
    } else {
        StepNoteOff();
    }
}

void TFrameNote::Play() {
    const int32_t length = ForTicks();
    // "Until release" for a key already released (the length was set to 0 during the wait)
    // would never end: the step gives up silently, as a release during the wait does.
    if (length == 0 && !sourceHeld) {
        ToIdle();
        return;
    }
    state.StepState = kPlaying;
    Post(kNoteOnStatus, state.StepNote, state.StepVelocity);
    if (length > 0) {
        state.StepCountdown = length;
    }
    PanelNoteId.SetCaption("P");
}

void TFrameNote::StepNoteOff() {
    Post(kNoteOffStatus, state.StepNote, 0);
    ToIdle();
}

void TFrameNote::ToIdle() {
    state.StepState = kIdle;
    state.StepCountdown = kNotCounting;
    PanelNoteId.SetCaption(std::to_string(state.StepIndex + 1));
}

void TFrameNote::Post(uint8_t status, uint8_t note, uint8_t velocity) const {
    if (post) {
        post(PackEvent(status, note, velocity, MessageHub::kFromProgram));
    }
}

// --- the record ---

void TFrameNote::StoreRecord(std::span<uint8_t, kRecordSize> record) const {
    // Nothing selected stores 0xFF, which loads back as nothing selected.
    record[kRecIf] = static_cast<uint8_t>(ComboBoxIf.ItemIndex());
    // Held to the byte's range rather than cut: every transpose beyond it sounds as its limit
    // does, whereas cutting would turn +200 into -56.
    const int transpose = std::clamp<int32_t>(TextAsInt(ComboBoxPlay.Text()), INT8_MIN, INT8_MAX);
    record[kRecPlay] = static_cast<uint8_t>(static_cast<int8_t>(transpose));
    record[kRecEnable] = CheckBoxEnable.Checked() ? 1 : 0;
    Put32(record, kRecWait, TextAsInt(ComboBoxWait.Text()));
    Put32(record, kRecFor, TextAsInt(ComboBoxFor.Text()));
}

void TFrameNote::LoadRecord(std::span<const uint8_t, kRecordSize> record) {
    CheckBoxEnable.SetChecked(false);
    // SetItemIndex selects nothing for an index beyond the list.
    ComboBoxIf.SetItemIndex(record[kRecIf]);
    ComboBoxWait.SetText(std::to_string(Get32(record, kRecWait)));
    ComboBoxPlay.SetText(std::to_string(static_cast<int8_t>(record[kRecPlay])));
    ComboBoxFor.SetText(std::to_string(Get32(record, kRecFor)));
    CheckBoxEnable.SetChecked(record[kRecEnable] != 0);
}

} // namespace vorpline
