#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/Button.h"
#include "controls/ComboBox.h"
#include "controls/Edit.h"
#include "controls/Form.h"
#include "controls/Label.h"
#include "controls/RadioGroup.h"
#include "engine/NoteListener.h"
#include "midi/HubPeers.h"
#include "modulation/MidiTempoMeter.h"
#include "platform/TimerService.h"
#include "ui/ToolWindow.h"

namespace vorpline {

class ClockFollower;
class LfoInputs;
class OPL3;

// The clock window: the program's one musical time base, 24 ticks per quarter note, from the
// internal timer ("Multimedia timer"), an outside MIDI clock (0xF8) or any other MIDI system
// message (time code quarter frames). Every tick goes to the LFO window, then to the sequencer
// window; so do Start, Stop and Continue (its buttons or MIDI 0xFA, 0xFC, 0xFB) and every note
// the engine plays. The three LFO controller functions pass through it to the LFO window.
//
// The internal timer ticks on the timer service's grid (tick n due at start + n x delay, so it
// does not drift) and only posts; each tick runs on the main thread, so the LFOs and the
// sequencer read their settings and reach the engine without locks. In tests and renders the
// service runs in virtual time. Main thread only.
class TFormRT : public Form, public ClockReceiver, public NoteListener, public ToolWindow {
public:
    static constexpr int kTicksPerQuarter = 24;
    static constexpr int kSourceTimer = 0;
    static constexpr int kDefaultDelay = 25;
    static constexpr int kDefaultResolution = 5;
    static constexpr int kDefaultBpm = 100;

    // `followers` are ticked in order (the LFO window, then the sequencer window; either may be
    // missing); `lfo` gets the switch and modulation functions (null: none). `engine`, when
    // given, tells the clock of every note it plays until the clock is destroyed.
    TFormRT(TimerService& timers, OPL3* engine, std::vector<ClockFollower*> followers,
            LfoInputs* lfo);
    ~TFormRT() override;

    // --- the tool window ---
    Form& Window() override { return *this; }
    // Caption, then "Clock Source", "Clock Delay" (the tempo follows) and "Clock Resolution";
    // then the source takes effect: with the internal timer the clock runs from here on.
    void LoadSettings(const IniFile& ini, const std::string& section,
                      const std::string& applicationTitle) override;
    void SaveSettings(IniFile& ini, const std::string& section) const override;
    void ConnectPeers(HubPeers& peers) override;
    // The stored LFO and sequencer enables take effect.
    void AfterStartUp() override;
    // The clock stops before anything is saved or silenced.
    void BeforeShutdown() override { Stop(); }

    // --- from the hub and the engine ---
    // source 0: the internal timer; ClockReceiver::kTimingClock, kOtherSystem: MIDI. Ticks
    // from another source than the selected one are ignored.
    void Tick(int source) override;
    void Start() override;
    void Continue() override;
    void Stop() override;
    void Switch1(uint8_t value, uint8_t slot, uint8_t op) override;
    void Switch2(uint8_t value, uint8_t slot, uint8_t op) override;
    void LfoModulation(uint8_t value, uint8_t slot, uint8_t op) override;
    void NoteEvent(uint8_t note, uint8_t velocity, bool on) override;

    // --- for performances and the renderer ---
    // The tempo typed into EditBPM taken (as Enter does), without touching the source.
    void ApplyTempo();
    void SetSource(int index);
    // Whether the internal timer runs.
    bool TimerRunning() const { return timer != 0; }

    // --- handlers ---
    void RadioGroupSRCClick();
    void ComboBoxDELSelect();
    void ComboBoxDELKeyUp(int key);
    void ComboBoxRESSelect();
    void ComboBoxRESKeyUp(int key);
    void EditBPMKeyUp(int key);
    void SpeedButtonBPMMouseDown();
    void ButtonStartClick() { Start(); }
    void ButtonStopClick() { Stop(); }
    void ButtonContClick() { Continue(); }

    RadioGroup RadioGroupSRC;
    Label GroupBoxINT;
    Label LabelDEL;
    ComboBox ComboBoxDEL;
    Label LabelRES;
    ComboBox ComboBoxRES;
    Label LabelBPM;
    Edit EditBPM;
    Button SpeedButtonBPM;
    // The tempo of an outside MIDI clock, as measured, while one drives the clock.
    Label LabelSync;
    Button ButtonStop;
    Button ButtonStart;
    Button ButtonCont;

private:
    void Wire();
    void StartTimer(int delayMs);
    void StopTimer();
    // Delay to tempo, without applying the source.
    void ShowTempoOfDelay();
    void ShowMidiTempo();

    TimerService& timers;
    OPL3* engine;
    std::vector<ClockFollower*> followers;
    LfoInputs* lfo;
    TimerService::TimerId timer = 0;
    // Posted ticks still queued when the window goes find this expired and do nothing.
    std::shared_ptr<int> lifetime = std::make_shared<int>(0);
    // Tap tempo.
    uint32_t previousTap = 0;
    uint32_t firstTap = 0;
    int tapIntervals = 0;
    MidiTempoMeter midiTempo;
};

} // namespace vorpline
