#include "modulation/TFormRT.h"

#include <climits>
#include <cmath>
#include <cstdio>

#include "engine/OPL3.h"
#include "modulation/ClockFollower.h"
#include "platform/IniFile.h"

namespace vorpline {

namespace {

constexpr int kEnter = '\r';
// 60000 ms per minute / 24 ticks per beat: tempo x delay = 2500.
constexpr double kBpmTimesDelay = 2500.0;
constexpr int kMaxBpm = 1000;
// Taps further apart than this (below 50 BPM) begin a new series.
constexpr uint32_t kMaxTapIntervalMs = 1200;

// The text as a whole number, or `fallback` when it is none (or beyond int).
int IntegerOr(const std::string& text, int fallback) {
    const auto value = IniFile::ParseInteger(text);
    if (!value || *value < INT_MIN || *value > INT_MAX) {
        return fallback;
    }
    return static_cast<int>(*value);
}

int RoundHalfUp(double value) {
    return static_cast<int>(std::floor(value + 0.5));
}

} // namespace

TFormRT::TFormRT(TimerService& timers, OPL3* engine, std::vector<ClockFollower*> followersIn,
                 LfoInputs* lfo)
    : Form("FormRT", "Clock"),
      RadioGroupSRC("RadioGroupSRC", "Source",
                    {"Multimedia timer", "Midi sync clock", "Midi time code"}, kSourceTimer),
      GroupBoxINT("GroupBoxINT", "Multimedia timer (ms)"), LabelDEL("LabelDEL", "Delay"),
      ComboBoxDEL("ComboBoxDEL", {"10", "20", "25", "50"}, 0, true),
      LabelRES("LabelRES", "Resolution"),
      ComboBoxRES("ComboBoxRES", {"1", "5", "10", "20", "25", "50", "100"}, 1, true),
      LabelBPM("LabelBPM", "BPM"), EditBPM("EditBPM", "120"),
      SpeedButtonBPM("SpeedButtonBPM", "?", "Tap the tempo, then press Enter in BPM"),
      LabelSync("LabelSync", ""), ButtonStop("ButtonStop", "Stop"),
      ButtonStart("ButtonStart", "Start"), ButtonCont("ButtonCont", "Cont."), timers(timers),
      engine(engine), lfo(lfo) {
    for (ClockFollower* follower : followersIn) {
        if (follower != nullptr) {
            followers.push_back(follower);
        }
    }
    Wire();
    if (engine != nullptr) {
        engine->SetNoteListener(this);
    }
}

TFormRT::~TFormRT() {
    StopTimer();
    if (engine != nullptr) {
        engine->SetNoteListener(nullptr);
    }
}

void TFormRT::Wire() {
    RadioGroupSRC.onClick = [this] { RadioGroupSRCClick(); };
    ComboBoxDEL.onSelect = [this] { ComboBoxDELSelect(); };
    ComboBoxDEL.onKeyUp = [this](int key) { ComboBoxDELKeyUp(key); };
    ComboBoxRES.onSelect = [this] { ComboBoxRESSelect(); };
    ComboBoxRES.onKeyUp = [this](int key) { ComboBoxRESKeyUp(key); };
    EditBPM.onKeyUp = [this](int key) { EditBPMKeyUp(key); };
    SpeedButtonBPM.onClick = [this] { SpeedButtonBPMMouseDown(); };
    ButtonStart.onClick = [this] { ButtonStartClick(); };
    ButtonStop.onClick = [this] { ButtonStopClick(); };
    ButtonCont.onClick = [this] { ButtonContClick(); };
}

// --- the tool window ---

void TFormRT::LoadSettings(const IniFile& ini, const std::string& section,
                           const std::string& applicationTitle) {
    SetCaption("Clock - " + applicationTitle);
    // The source takes effect once delay and resolution are read: no timer starts before.
    RadioGroupSRC.onClick = nullptr;
    const int source = IntegerOr(ini.ReadString(section, "Clock Source", "0"), kSourceTimer);
    // A stored source that is no entry would leave the clock deaf to everything.
    RadioGroupSRC.SetItemIndex(
        source >= 0 && source < static_cast<int>(RadioGroupSRC.Items().size()) ? source
                                                                               : kSourceTimer);
    RadioGroupSRC.onClick = [this] { RadioGroupSRCClick(); };
    ComboBoxDEL.SetText(std::to_string(IntegerOr(
        ini.ReadString(section, "Clock Delay", std::to_string(kDefaultDelay)), kDefaultDelay)));
    ShowTempoOfDelay();
    ComboBoxRES.SetText(std::to_string(
        IntegerOr(ini.ReadString(section, "Clock Resolution", std::to_string(kDefaultResolution)),
                  kDefaultResolution)));
    RadioGroupSRCClick();
}

void TFormRT::SaveSettings(IniFile& ini, const std::string& section) const {
    ini.WriteString(section, "Clock Source", std::to_string(RadioGroupSRC.ItemIndex()));
    ini.WriteString(section, "Clock Delay",
                    std::to_string(IntegerOr(ComboBoxDEL.Text(), kDefaultDelay)));
    ini.WriteString(section, "Clock Resolution",
                    std::to_string(IntegerOr(ComboBoxRES.Text(), kDefaultResolution)));
}

void TFormRT::ConnectPeers(HubPeers& peers) {
    peers.Connect(static_cast<ClockReceiver&>(*this));
}

void TFormRT::AfterStartUp() {
    for (ClockFollower* follower : followers) {
        follower->ApplyStoredEnable();
    }
}

// --- the time base ---

void TFormRT::StartTimer(int delayMs) {
    StopTimer();
    // The timer thread only posts; the tick runs on the main thread. A tick still queued when
    // the window is gone finds its lifetime expired.
    std::weak_ptr<int> alive = lifetime;
    timer = timers.StartPeriodic(std::chrono::milliseconds(delayMs), [this, alive] {
        timers.Post([this, alive] {
            if (alive.lock()) {
                Tick(kSourceTimer);
            }
        });
    });
}

void TFormRT::StopTimer() {
    if (timer != 0) {
        timers.Stop(timer);
        timer = 0;
    }
}

void TFormRT::Tick(int source) {
    if (source != RadioGroupSRC.ItemIndex()) {
        return;
    }
    if (source != kSourceTimer) {
        midiTempo.Tick(timers.NowMs());
        ShowMidiTempo();
    }
    for (ClockFollower* follower : followers) {
        follower->ClockTick();
    }
}

void TFormRT::Start() {
    RadioGroupSRCClick();
    for (ClockFollower* follower : followers) {
        follower->ClockStart();
    }
}

void TFormRT::Stop() {
    StopTimer();
    for (ClockFollower* follower : followers) {
        follower->ClockStop();
    }
}

void TFormRT::Continue() {
    RadioGroupSRCClick();
    for (ClockFollower* follower : followers) {
        follower->ClockContinue();
    }
}

void TFormRT::Switch1(uint8_t value, uint8_t slot, uint8_t op) {
    if (lfo != nullptr) {
        lfo->Switch1(value, slot, op);
    }
}

void TFormRT::Switch2(uint8_t value, uint8_t slot, uint8_t op) {
    if (lfo != nullptr) {
        lfo->Switch2(value, slot, op);
    }
}

void TFormRT::LfoModulation(uint8_t value, uint8_t slot, uint8_t op) {
    if (lfo != nullptr) {
        lfo->LfoModulation(value, slot, op);
    }
}

void TFormRT::NoteEvent(uint8_t note, uint8_t velocity, bool on) {
    for (ClockFollower* follower : followers) {
        follower->ClockNote(note, velocity, on);
    }
}

// --- tempo ---

void TFormRT::ShowTempoOfDelay() {
    const int delay = IntegerOr(ComboBoxDEL.Text(), kDefaultDelay);
    ComboBoxDEL.SetText(std::to_string(delay));
    // A delay below 1 ms gets no timer (the service refuses it) and has no tempo to show.
    EditBPM.SetText(std::to_string(delay > 0 ? RoundHalfUp(kBpmTimesDelay / delay) : 0));
}

void TFormRT::ApplyTempo() {
    int bpm = IntegerOr(EditBPM.Text(), kDefaultBpm);
    if (bpm < 1 || bpm >= kMaxBpm) {
        bpm = kDefaultBpm;
    }
    EditBPM.SetText(std::to_string(bpm));
    ComboBoxDEL.SetText(std::to_string(RoundHalfUp(kBpmTimesDelay / bpm)));
}

void TFormRT::SetSource(int index) {
    if (RadioGroupSRC.ItemIndex() == index) {
        RadioGroupSRCClick();
    } else {
        RadioGroupSRC.SetItemIndex(index); // its handler applies it
    }
}

void TFormRT::ShowMidiTempo() {
    std::optional<double> bpm = midiTempo.Bpm();
    char text[32] = "";
    if (bpm) {
        std::snprintf(text, sizeof text, "%.1f BPM", *bpm);
    }
    LabelSync.SetCaption(text);
}

// --- handlers ---

void TFormRT::RadioGroupSRCClick() {
    if (RadioGroupSRC.ItemIndex() == kSourceTimer) {
        // The resolution is read as the original did, but the timer service keeps its own
        // accuracy (well under a millisecond): only the delay decides when ticks come.
        ComboBoxRES.SetText(std::to_string(IntegerOr(ComboBoxRES.Text(), kDefaultResolution)));
        StartTimer(IntegerOr(ComboBoxDEL.Text(), kDefaultDelay));
        LabelSync.SetCaption("");
    } else {
        StopTimer();
        midiTempo.Reset();
        ShowMidiTempo();
    }
}

void TFormRT::ComboBoxDELSelect() {
    ShowTempoOfDelay();
    RadioGroupSRCClick();
}

void TFormRT::ComboBoxDELKeyUp(int key) {
    if (key == kEnter) {
        ComboBoxDELSelect();
    }
}

void TFormRT::ComboBoxRESSelect() {
    RadioGroupSRCClick();
}

void TFormRT::ComboBoxRESKeyUp(int key) {
    if (key == kEnter) {
        ComboBoxRES.SetText(std::to_string(IntegerOr(ComboBoxRES.Text(), kDefaultResolution)));
        RadioGroupSRCClick();
    }
}

void TFormRT::EditBPMKeyUp(int key) {
    if (key == kEnter) {
        ApplyTempo();
        RadioGroupSRCClick();
    }
}

void TFormRT::SpeedButtonBPMMouseDown() {
    const uint32_t now = timers.NowMs();
    const uint32_t interval = now - previousTap;
    previousTap = now;
    if (interval == 0) {
        return; // the same instant twice says nothing about a tempo
    }
    if (interval > kMaxTapIntervalMs || tapIntervals == 0) {
        tapIntervals = 1;
        firstTap = now;
        return;
    }
    EditBPM.SetText(
        std::to_string(RoundHalfUp(60000.0 * tapIntervals / static_cast<double>(now - firstTap))));
    ++tapIntervals;
}

} // namespace vorpline
