#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/Label.h"

namespace vorpline {

// One step of the sequencer, a rule read left to right: "If" a note of this pitch class is
// struck, "wait" so many clock ticks (24 per quarter note), "play" that note transposed by so
// many semitones, "for" so many ticks (0: until the struck key is released). The step takes
// one note at a time: while it waits or plays it ignores every new note-on.
//
// The notes it plays leave through the poster only, so they reach the engine later, from the
// main loop, and come back to the steps as the engine's own note events (a chain of steps).
// Its settings are its controls, read afresh at every event and tick. Main thread only.
class TFrameNote {
public:
    // The ".seq" record of one step:
    //   0     "If" index (0 Any, 1..12 C..B; 0xFF nothing selected)
    //   1     transpose in semitones, two's complement
    //   2     enable (1/0; any nonzero byte reads as on)
    //   3     unused (left as the caller filled it, 0xFF)
    //   4..7  wait in ticks, int32 little-endian
    //   8..11 length ("for") in ticks, int32 little-endian
    static constexpr std::size_t kRecordSize = 12;
    // StepCountdown while nothing is being counted.
    static constexpr int32_t kNotCounting = 0x7FFFFFFF;
    static constexpr uint8_t kNoteOnStatus = 0x90;
    static constexpr uint8_t kNoteOffStatus = 0x80;

    enum StepStates : int { kIdle = 0, kWaiting = 1, kPlaying = 2 };

    struct RunState {
        int StepIndex = 0;       // 0..11
        int StepDefaultWait = 3; // 3 x (index + 1) ticks
        int StepState = kIdle;
        int32_t StepCountdown = kNotCounting; // ticks left in the current state
        uint8_t StepSourceNote = 0;           // the note that started the step
        uint8_t StepNote = 0;                 // the note it plays, 0..127
        uint8_t StepVelocity = 0;
    };

    // Receives each note the step plays or ends, as a packed event: status 0x90 or 0x80
    // (channel 1) in byte 0, the note in byte 1, the velocity (0 for a note-off) in byte 2, the
    // program's marker 0xFE in byte 3.
    using Poster = std::function<void(uint32_t packed)>;

    TFrameNote();
    TFrameNote(const TFrameNote&) = delete;
    TFrameNote& operator=(const TFrameNote&) = delete;

    void SetPoster(Poster poster) { post = std::move(poster); }
    // The number shown (index + 1) and the default wait 3 x (index + 1), then Reset.
    void Init(int index);
    // Idle, "Any", the default wait, play "0", for "0", disabled. A step that is sounding ends
    // its note first, so no note is left hanging.
    void Reset();

    // Every note-on (velocity, true) and note-off (false) the engine plays.
    void NoteEvent(uint8_t note, uint8_t velocity, bool on);
    // One clock tick: a wait of N plays on the N-th tick after the note-on, a length of N ends
    // on the N-th tick after the play.
    void Tick();
    // A note-off for StepNote, whatever the state, and idle.
    void StepNoteOff();

    // LoadRecord takes any bytes: an "If" index beyond 12 selects nothing (the step then never
    // starts), the numbers are shown as stored, and the enable is set last.
    void StoreRecord(std::span<uint8_t, kRecordSize> record) const;
    void LoadRecord(std::span<const uint8_t, kRecordSize> record);

    const RunState& State() const { return state; }

    Label PanelNoteId; // the step number while idle, "W" waiting, "P" playing
    Label LabelIf;
    ComboBox ComboBoxIf; // "Any", "C" .. "B": index = pitch class + 1
    Label LabelWait;
    ComboBox ComboBoxWait; // ticks, free text
    Label LabelPlay;
    ComboBox ComboBoxPlay; // semitones, free text
    Label LabelFor;
    ComboBox ComboBoxFor; // ticks, free text; 0 = as long as the source key is held
    CheckBox CheckBoxEnable;

private:
    bool Matches(uint8_t note) const;
    // The boxes as the step uses them: non-numbers count as 0, negative counts as 0, counts
    // stop below kNotCounting so they always run out, the transpose within +/-127.
    int32_t WaitTicks() const;
    int32_t ForTicks() const;
    int Transpose() const;
    void Play();
    void ToIdle();
    void Post(uint8_t status, uint8_t note, uint8_t velocity) const;

    RunState state;
    // The source key has not been released since the step took it.
    bool sourceHeld = false;
    Poster post;
};

} // namespace vorpline
