#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "controls/ComboBox.h"
#include "controls/TrackBar.h"

namespace vorpline {

class DrumVoices;

// One percussion operator of the drum kit. Every control writes its value to the chip at once
// for the frame's own operator; the velocity target and offset change the operator only while
// a drum is struck (ApplyVelocity), and a change of target puts the static values back.
//
// Record of 12 bytes as it stands in a kit file: +0 attack, +1 decay, +2 sustain, +3 release
// (0..15 each), +4 waveform index (0..7), +5 target index (0..5), +6 offset (0..127), +7 tuning
// index (into the 13 tuning texts), +8 volume (0..63), +9..+11 zero. Values beyond a control's
// range load as its nearest end, so what the frame shows is what the chip plays and what a
// save writes back.
// Main thread only.
class TFrameOpD {
public:
    static constexpr std::size_t kRecordSize = 12;
    using Record = std::span<uint8_t, kRecordSize>;
    using ConstRecord = std::span<const uint8_t, kRecordSize>;

    enum Target { kOff, kVolume, kAttack, kDecay, kSustain, kRelease };

    // The 13 tuning texts: cents of the OPL multipliers x0.5 .. x15, each once.
    static const std::vector<std::string>& TuningTexts();

    // `op` is the chip's operator number 13..18; `title` what the frame is called on screen;
    // `voices` null = no engine (the controls work, nothing is written).
    TFrameOpD(int op, std::string title, DrumVoices* voices);
    TFrameOpD(const TFrameOpD&) = delete;
    TFrameOpD& operator=(const TFrameOpD&) = delete;

    int Operator() const { return op; }
    const std::string& Title() const { return title; }

    ComboBox ComboBoxWaveform;
    TrackBar TrackBarAttack;
    TrackBar TrackBarDecay;
    TrackBar TrackBarSustain;
    TrackBar TrackBarRelease;
    ComboBox ComboBoxTuning;
    // 0..63; the chip gets TL = 63 - volume.
    TrackBar TrackBarVolume;
    ComboBox ComboBoxTarget;
    TrackBar TrackBarOffset;

    // The static values: the four rates, TL, waveform and MULT.
    void ApplyToChip() const;
    // The frame's velocity scaling for a strike of `velocity` 1..127 (nothing for "Off").
    void ApplyVelocity(uint8_t velocity) const;
    // The values of the default kit (waveform "Sine", tuning "0 cents", target "Off", offset 0).
    void SetDefault(int attack, int decay, int sustain, int release, int volume);

    void StoreRecord(Record record) const;
    void LoadRecord(ConstRecord record);

private:
    // TL and the four rates again: undoes what a velocity scaling left on the chip.
    void RewriteEnvelope() const;
    int TuningCents() const;

    int op;
    std::string title;
    DrumVoices* voices;
};

} // namespace vorpline
