#pragma once
#include "qt/ToolWindowView.h"

class QGroupBox;

namespace vorpline {

class TFormDrum;
class TFrameOpD;

// The drum-kit window: the preset panel and the MIDI group (channel, then one strike button
// over each drum's note) on top; below, one group per rhythm channel (7 bass drum, 8 hi-hat and
// snare, 9 tom-tom and cymbal) with the channel's octave, note and L/R outputs over the frames
// of its operators (waveform, tuning, the A D S R and volume sliders, velocity target and
// offset). The strike buttons sound on the press, not on the release. A fixed-size modeless
// tool window that follows the form; closing it only hides it. Main thread only; the form must
// outlive the window.
class DrumWindow : public ToolWindowView {
public:
    explicit DrumWindow(TFormDrum& form, QWidget* parent = nullptr);

private:
    QWidget* MakeMidi(TFormDrum& form);
    // Rhythm channel 0..2 with its operators' frames.
    QGroupBox* MakeChannel(TFormDrum& form, int channel);
    QGroupBox* MakeFrame(QWidget* parent, TFrameOpD& frame, const char* name);
};

} // namespace vorpline
