#pragma once
#include <vector>

namespace vorpline {

class TFrameOp;

// The register nibbles that shape one operator's envelope, and the note it is drawn for.
struct EnvelopeSettings {
    int attack = 15;          // AR 0..15
    int decay = 15;           // DR 0..15
    int sustain = 15;         // SL 0..15: 3 dB steps, 15 = -93 dB
    int release = 15;         // RR 0..15
    bool rateScaling = false; // KSR
    bool hold = false;        // EGT: the sustain level is held while the key is down
    int note = 60;            // MIDI note 0..127, for the key-scaling offset
};

// The settings of an operator frame's sliders and ticks.
EnvelopeSettings SettingsOf(const TFrameOp& frame, int note);

struct EnvelopePoint {
    double ms; // since the key-on
    double db; // 0 (full level) down to -96 (silence)
};

// The envelope as a polyline of the level against time, for a picture: the attack's curve,
// the decay to the sustain level, the sustain held while the key is down, and the release to
// silence. The key is held for as long as the envelope took to get to its sustain level, at
// least kMinHoldMs and at most kMaxHoldMs: on a logarithmic time axis that is a sustain of
// much the same width for fast and slow envelopes. Without hold the decay goes on at the
// release rate once it reaches the sustain level, as on the chip, and there is no sustain
// unless the decay never gets there.
//
// A stage with rate 0 never ends: the curve then stops at the start of that stage, with
// `endless` set, the level meant to go on for ever (an attack of rate 0 never sounds at all).
// Times of stages not reached are kNever.
struct EnvelopeCurve {
    static constexpr double kMinHoldMs = 250;
    static constexpr double kMaxHoldMs = 10000;

    std::vector<EnvelopePoint> points;
    double attackMs = 0;  // the top reached
    double sustainMs = 0; // the decay's end: the sustain level reached
    double releaseMs = 0; // the release's start (the key-off with hold)
    double silentMs = 0;  // -96 dB reached
    bool endless = false;
};

EnvelopeCurve MakeEnvelopeCurve(const EnvelopeSettings& settings);

} // namespace vorpline
