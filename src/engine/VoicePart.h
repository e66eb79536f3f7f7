#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/Glide.h"

namespace vorpline {

class OPL3;

// Which notes of one part sound on which voices. Part 0 plays operators 1-4 on 4-operator
// channel pairs, part 1 operators 5-6 on 2-operator channels; both share this code.
// Pitches arrive as the part's total pitch offset in cents at the time of the call.
// Main thread only.
class VoicePart {
public:
    enum NoteState : uint8_t { kIdle = 0xFF, kSounding = 0xFE, kWaiting = 0xFD };
    enum Priority : uint8_t { kFirst = 0, kHigh = 1, kLast = 2, kLow = 3 };
    enum Mode : uint8_t { kLegato = 0, kMono = 1 }; // 2..6 = Poly 2..6
    static constexpr uint8_t kNoNote = 0xFF;

    struct NoteEntry {
        uint8_t state = kIdle;
        int32_t pitch = 0; // pitch offset (cents) when pressed
        uint32_t time = 0; // ms clock when assigned or parked
        uint8_t velocity = 0;
        uint8_t voice = 0;
    };
    struct VoiceSlot {
        bool busy = false;
        uint8_t note = kNoNote; // kept when freed, so a releasing voice still knows its note
    };

    VoicePart(OPL3& chip, int index, uint8_t channels, Glide::TickHandler onGlideTick);

    int Index() const { return index; }
    uint8_t Count() const { return count; }
    uint8_t GetMode() const { return mode; }
    uint8_t Limit() const { return limit; }
    uint8_t Channels() const { return channels; }
    uint8_t GetPriority() const { return priority; }
    const NoteEntry& Note(int n) const { return notes[static_cast<std::size_t>(n)]; }
    const VoiceSlot& Voice(int v) const { return voices[static_cast<std::size_t>(v)]; }
    Glide& GetGlide() { return glide; }
    const Glide& GetGlide() const { return glide; }
    // First channel register offset of voice v (0x000-0x1FF based).
    uint16_t ChannelOffset(int voice) const;

    // Both return the number of sounding voices afterwards.
    uint8_t NoteOn(uint8_t note, uint8_t velocity, int32_t pitch);
    uint8_t NoteOff(uint8_t note);
    void AllNotesOff();
    void SetMode(uint8_t mode);
    void SetPriority(uint8_t priority) { this->priority = priority; }
    // Retunes every voice that has a note (released voices still ringing too).
    void RetuneAll(int32_t pitch);
    // A portamento tick reached the main thread; `pitch` includes the new glide offset. Mono
    // restarts the envelope on the last step, of a held key only: a released voice is retuned
    // but never keyed on again.
    void GlideTick(int32_t pitch, int remaining);
    // Engine reset: every note idle, every voice free and never used, priority Last.
    void ResetState();

private:
    void Park(uint8_t note, uint8_t velocity, int32_t pitch);
    bool Assign(uint8_t note, uint8_t velocity, int32_t pitch, int voice);
    void Release(int voice, uint8_t newState);
    void KeyOff(int voice, uint8_t newState);
    void SetFrequency(int32_t pitch, int voice, bool retrigger);
    void Start(uint8_t note, uint8_t velocity, int32_t pitch, int voice);
    void Steal(uint8_t note, uint8_t velocity, int32_t pitch, int voice, uint8_t oldState);
    void HandBack(int voice);
    int OldestBusyVoice() const;
    int WaitingNoteToResume() const;

    OPL3& chip;
    int index;
    std::array<NoteEntry, 128> notes{};
    std::array<VoiceSlot, 6> voices{};
    uint8_t count = 0;
    uint8_t mode = 6;
    uint8_t limit;
    uint8_t channels;
    uint8_t priority = kLast;
    Glide glide;
};

} // namespace vorpline
