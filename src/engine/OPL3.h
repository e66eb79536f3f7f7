#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>

#include "engine/ChipBackend.h"
#include "engine/FNumberTable.h"
#include "engine/NoteListener.h"
#include "engine/PatchRecord.h"
#include "engine/RegisterBender.h"
#include "engine/VoicePart.h"
#include "platform/TimerService.h"

namespace vorpline {

// A register number of 0x200 or above; the text is what the user sees.
class RegisterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The synthesis engine: the one road to the chip (register shadow and backend), the patch
// parameters and what they do to the registers of every voice, and the two parts that play
// notes. The chip is treated as write-only: reads come from the shadow.
//
// Main thread only, except where a method says otherwise.
class OPL3 {
public:
    static constexpr int kRegisterCount = 0x200;
    static constexpr int kPart1234 = 0;
    static constexpr int kPart56 = 1;

    struct Settings {
        bool drumMode = false; // rhythm mode on: bank-0 channels 6-8 belong to the drum kit
        uint16_t keyDelay = 0; // extra port reads after the key-off of a retrigger
    };

    // Resets the chip completely (every register from 0x04 up cleared).
    OPL3(ChipBackend& backend, TimerService& timers, Settings settings,
         RegisterBender* bend = nullptr);
    OPL3(const OPL3&) = delete;
    OPL3& operator=(const OPL3&) = delete;

    // --- chip access ---
    // Throws RegisterError "Write illegal OPL3 register [n]" for reg >= 0x200 and writes nothing.
    void WriteRegister(uint16_t reg, uint8_t value, uint16_t extraDelay = 0);
    // Throws RegisterError "Read illegal OPL3 register [n]" for reg >= 0x200.
    uint8_t ReadRegister(uint16_t reg) const;
    // clearAll = false is the all-notes-off action: the chip's set-up and key-offs are
    // rewritten and the voice state emptied, but the patch stays, registers and copies alike,
    // and plays on as before. clearAll = true also clears every register and the copies.
    // The all-notes-off writes bypass the bender, so they silence the chip even while bending
    // is on; the clearing reset is bent like every other write.
    void ResetChip(bool clearAll);
    const std::array<uint8_t, kRegisterCount>& RegisterShadow() const { return shadow; }
    // Writes `reg` has received (wrapping), so a rewrite of the same value can be seen too.
    uint32_t WriteCount(uint16_t reg) const { return writeCounts[reg & (kRegisterCount - 1)]; }

    bool DrumMode() const { return settings.drumMode; }
    uint16_t KeyDelay() const { return settings.keyDelay; }
    const FNumberTable& FNumbers() const { return fnumbers; }
    uint32_t Now() const { return timers.NowMs(); }
    TimerService& Timers() { return timers; }

    // --- the parts ---
    VoicePart& Part(int part) { return parts[static_cast<std::size_t>(part)]; }
    const VoicePart& Part(int part) const { return parts[static_cast<std::size_t>(part)]; }
    // Told of every key-on and key-off; null = nobody listens.
    void SetNoteListener(NoteListener* listener) { noteListener = listener; }
    void NotifyNote(uint8_t note, uint8_t velocity, bool on);
    // Where portamento ticks go once they reach the main thread (part, steps remaining).
    void SetGlideTickHandler(std::function<void(int part, int remaining)> handler) {
        glideTickHandler = std::move(handler);
    }
    // Portamento time 0..127 of a part (tick period in ms, 0 = off).
    void SetPortamentoTime(int part, uint16_t time) { Part(part).GetGlide().SetTime(time); }
    int32_t GlideOffset(int part) const { return Part(part).GetGlide().Offset(); }
    // Legato glide direction flags: 0x02 "Down" 1-4, 0x01 "Up" 1-4, 0x20 "Down" 5/6, 0x10 "Up" 5/6.
    void SetLegatoFlags(uint8_t flags) { legatoFlags = flags; }
    uint8_t LegatoFlags() const { return legatoFlags; }

    // --- operator parameters (operator 0..5; written to the same slot of every voice) ---
    void SetWaveform(int op, uint8_t waveform); // 0xE0 bits 0-2
    void SetTremolo(int op, bool on);           // 0x20 bit 7
    void SetVibrato(int op, bool on);           // 0x20 bit 6
    void SetHold(int op, bool on);              // 0x20 bit 5 (sustained envelope)
    void SetRateScaling(int op, bool on);       // 0x20 bit 4
    void SetMultiplier(int op, uint8_t mult);   // 0x20 bits 0-3
    // MULT from a cents value of the multiplier table; a value not in the table gives the
    // not-found marker 0xFF, of which the register keeps the low four bits (MULT 15).
    void SetMultiplierCents(int op, int cents);
    void SetLevelScaling(int op, uint8_t ksl); // 0x40 bits 6-7, item index as is
    void SetVolume(int op, uint8_t position);  // 0..63; TL = 63 - position
    void SetAttack(int op, uint8_t rate);      // 0..15
    void SetDecay(int op, uint8_t rate);
    void SetSustain(int op, uint8_t level);
    void SetRelease(int op, uint8_t rate);
    void SetDamper(int op, bool on);                // release slowed by the pedal
    void SetVelocityOffset(int op, uint8_t offset); // 0..127
    // 0 Off, 1 Volume, 2 Attack, 3 Decay, 4 Sustain, 5 Release. Rewrites TL and the four rates
    // from the stored values so an earlier scaling does not linger.
    void SetVelocityTarget(int op, uint8_t target);

    uint8_t OperatorLevel(int op) const { return level[static_cast<std::size_t>(op)]; }
    uint8_t VelocityOffset(int op) const { return velocityOffset[static_cast<std::size_t>(op)]; }
    uint8_t VelocityTarget(int op) const { return velocityTarget[static_cast<std::size_t>(op)]; }
    bool DamperFlag(int op) const { return damperFlag[static_cast<std::size_t>(op)]; }

    // --- channel and global parameters (voices up to each part's current limit) ---
    void SetFeedback1234(uint8_t feedback); // 0..7
    void SetFeedback56(uint8_t feedback);
    void SetOutput1234(bool left, bool right);
    void SetOutput56(bool left, bool right);
    void SetOutput1234Left(bool on);
    void SetOutput1234Right(bool on);
    void SetOutput56Left(bool on);
    void SetOutput56Right(bool on);
    // 0..7: bits 0-1 the 4-operator connection of 1-4, bit 2 whether 5 and 6 are both heard.
    void SetAlgorithm(uint8_t algorithm);
    void SetTremoloDepth(uint8_t index); // 0 "1 dB", 1 "4.8 dB"
    void SetVibratoDepth(uint8_t index); // 0 "7 cents", 1 "14 cents"

    // Before a voice of a part is keyed on: gives it back the patch's release rates where an
    // all-notes-off left them at the fastest to silence the notes it cut.
    void RestoreRelease(int part, int voice);
    // Scales the velocity-targeted field of one operator on the one voice being started.
    void ApplyVelocity(int op, int voice, uint8_t velocity);
    // Sustain pedal on a part: above 71 the damper-marked operators release four times slower,
    // below 56 normally, in between as before.
    void DamperUpdate(int part, uint8_t value);
    // Writes a whole preset: modes and priorities (which silence both parts), every operator of
    // every voice, the channel bytes, depths, outputs, dampers and velocity settings.
    void ApplyPatch(const PatchRecord& patch, const PatchExt& ext);

private:
    // One register write, its address and data passed through `through` when not null.
    void Send(uint16_t reg, uint8_t value, uint16_t extraDelay, RegisterBender* through);
    int OperatorVoices(int op) const;
    bool IsRhythmSlot(uint16_t slot) const;
    void WriteOperatorField(int op, uint16_t base, uint8_t mask, uint8_t value);
    void WriteChannelField(int part, uint16_t reg, uint8_t mask, uint8_t value);
    void RewriteFromCopies(int op);
    uint8_t ReleaseWithDamper(int op) const;

    ChipBackend& backend;
    TimerService& timers;
    Settings settings;
    RegisterBender* bend;
    NoteListener* noteListener = nullptr;
    std::function<void(int, int)> glideTickHandler;
    std::array<uint8_t, kRegisterCount> shadow{};
    std::array<uint32_t, kRegisterCount> writeCounts{};
    FNumberTable fnumbers;

    std::array<uint8_t, 6> level{};
    std::array<uint8_t, 6> velocityOffset{};
    std::array<uint8_t, 6> velocityTarget{};
    std::array<uint8_t, 6> attack{};
    std::array<uint8_t, 6> decay{};
    std::array<uint8_t, 6> sustain{};
    std::array<uint8_t, 6> release{};
    std::array<bool, 6> damperFlag{};
    std::array<uint8_t, 2> damperShift{};
    // Per operator, bit v: voice v's release rate is still the fastest an all-notes-off set.
    std::array<uint8_t, 6> fastRelease{};
    uint8_t legatoFlags = 0;

    std::array<VoicePart, 2> parts;
};

} // namespace vorpline
