#include "presets/TFrameOpD.h"

#include <algorithm>

#include "engine/DrumVoices.h"
#include "engine/MultiplierCents.h"

namespace vorpline {

namespace {

const std::vector<std::string> kWaveformNames = {
    "Sine",        "Sine (half)",          "Sine (absolute)", "Sine (quarter pulse)",
    "Sine (fast)", "Sine (fast absolute)", "Square",          "Pulse"};
const std::vector<std::string> kTargetNames = {"Off",   "Volume",  "Attack",
                                               "Decay", "Sustain", "Release"};

constexpr int kMaxRate = 15;
constexpr int kMaxVolume = 63;
constexpr int kMaxOffset = 127;
constexpr int kFullVelocity = 127;
constexpr int kZeroCentsTuning = 1; // "0 cents": MULT 1, the operator at the note's pitch

enum RecordByte {
    kAttackByte,
    kDecayByte,
    kSustainByte,
    kReleaseByte,
    kWaveformByte,
    kTargetByte,
    kOffsetByte,
    kTuningByte,
    kVolumeByte
};

// A stored list index as the box shows it: beyond the list, its last entry.
void SelectClamped(ComboBox& box, uint8_t index) {
    box.SetItemIndex(std::min<int>(index, box.Count() - 1));
}

uint8_t IndexByte(const ComboBox& box) {
    return static_cast<uint8_t>(std::max(box.ItemIndex(), 0));
}

} // namespace

const std::vector<std::string>& TFrameOpD::TuningTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> all;
        for (int16_t cents : kMultiplierCentsTable) {
            std::string text = CentsText(cents);
            if (std::find(all.begin(), all.end(), text) == all.end()) {
                all.push_back(std::move(text));
            }
        }
        return all;
    }();
    return texts;
}

TFrameOpD::TFrameOpD(int op, std::string title, DrumVoices* voices)
    : ComboBoxWaveform("ComboBoxWaveform", kWaveformNames, 0),
      TrackBarAttack("TrackBarAttack", 0, kMaxRate, 0),
      TrackBarDecay("TrackBarDecay", 0, kMaxRate, 0),
      TrackBarSustain("TrackBarSustain", 0, kMaxRate, 0),
      TrackBarRelease("TrackBarRelease", 0, kMaxRate, 0),
      ComboBoxTuning("ComboBoxTuning", TuningTexts(), kZeroCentsTuning),
      TrackBarVolume("TrackBarVolume", 0, kMaxVolume, 0),
      ComboBoxTarget("ComboBoxTarget", kTargetNames, kOff),
      TrackBarOffset("TrackBarOffset", 0, kMaxOffset, 0), op(op), title(std::move(title)),
      voices(voices) {
    if (voices == nullptr) {
        return;
    }
    TrackBarAttack.onChange = [this] {
        this->voices->SetDrumAttack(this->op, static_cast<uint8_t>(TrackBarAttack.Position()));
    };
    TrackBarDecay.onChange = [this] {
        this->voices->SetDrumDecay(this->op, static_cast<uint8_t>(TrackBarDecay.Position()));
    };
    TrackBarSustain.onChange = [this] {
        this->voices->SetDrumSustain(this->op, static_cast<uint8_t>(TrackBarSustain.Position()));
    };
    TrackBarRelease.onChange = [this] {
        this->voices->SetDrumRelease(this->op, static_cast<uint8_t>(TrackBarRelease.Position()));
    };
    TrackBarVolume.onChange = [this] {
        this->voices->SetDrumLevel(this->op,
                                   static_cast<uint8_t>(kMaxVolume - TrackBarVolume.Position()));
    };
    ComboBoxWaveform.onChange = [this] {
        this->voices->SetDrumWaveform(this->op, IndexByte(ComboBoxWaveform));
    };
    ComboBoxTuning.onChange = [this] { this->voices->SetDrumMultiplier(this->op, TuningCents()); };
    ComboBoxTarget.onChange = [this] { RewriteEnvelope(); };
}

int TFrameOpD::TuningCents() const {
    return CentsFromText(ComboBoxTuning.Text());
}

void TFrameOpD::RewriteEnvelope() const {
    if (voices == nullptr) {
        return;
    }
    voices->SetDrumLevel(op, static_cast<uint8_t>(kMaxVolume - TrackBarVolume.Position()));
    voices->SetDrumAttack(op, static_cast<uint8_t>(TrackBarAttack.Position()));
    voices->SetDrumDecay(op, static_cast<uint8_t>(TrackBarDecay.Position()));
    voices->SetDrumSustain(op, static_cast<uint8_t>(TrackBarSustain.Position()));
    voices->SetDrumRelease(op, static_cast<uint8_t>(TrackBarRelease.Position()));
}

void TFrameOpD::ApplyToChip() const {
    if (voices == nullptr) {
        return;
    }
    voices->SetDrumAttack(op, static_cast<uint8_t>(TrackBarAttack.Position()));
    voices->SetDrumDecay(op, static_cast<uint8_t>(TrackBarDecay.Position()));
    voices->SetDrumSustain(op, static_cast<uint8_t>(TrackBarSustain.Position()));
    voices->SetDrumRelease(op, static_cast<uint8_t>(TrackBarRelease.Position()));
    voices->SetDrumLevel(op, static_cast<uint8_t>(kMaxVolume - TrackBarVolume.Position()));
    voices->SetDrumWaveform(op, IndexByte(ComboBoxWaveform));
    voices->SetDrumMultiplier(op, TuningCents());
}

void TFrameOpD::ApplyVelocity(uint8_t velocity) const {
    const int target = ComboBoxTarget.ItemIndex();
    if (voices == nullptr || target <= kOff) {
        return;
    }
    // f: how hard the strike counts, 0..1; the offset makes soft strikes count harder.
    const int x = velocity + TrackBarOffset.Position();
    const double f = x >= kFullVelocity ? 1.0 : x / static_cast<double>(kFullVelocity);
    // Volume grows with f; the rates shrink with it (a harder strike attacks faster, decays
    // and releases slower, holds a higher sustain).
    auto less = [f](const TrackBar& bar) { return static_cast<uint8_t>(bar.Position() * (1 - f)); };
    switch (target) {
    case kVolume:
        voices->SetDrumLevel(
            op, static_cast<uint8_t>(kMaxVolume - static_cast<int>(TrackBarVolume.Position() * f)));
        break;
    case kAttack:
        voices->SetDrumAttack(op, less(TrackBarAttack));
        break;
    case kDecay:
        voices->SetDrumDecay(op, less(TrackBarDecay));
        break;
    case kSustain:
        voices->SetDrumSustain(op, less(TrackBarSustain));
        break;
    case kRelease:
        voices->SetDrumRelease(op, less(TrackBarRelease));
        break;
    default:
        break;
    }
}

void TFrameOpD::SetDefault(int attack, int decay, int sustain, int release, int volume) {
    TrackBarAttack.SetPosition(attack);
    TrackBarDecay.SetPosition(decay);
    TrackBarSustain.SetPosition(sustain);
    TrackBarRelease.SetPosition(release);
    TrackBarVolume.SetPosition(volume);
    ComboBoxWaveform.SetItemIndex(0);
    ComboBoxTarget.SetItemIndex(kOff);
    TrackBarOffset.SetPosition(0);
    ComboBoxTuning.SetItemIndex(kZeroCentsTuning);
}

void TFrameOpD::StoreRecord(Record record) const {
    std::fill(record.begin(), record.end(), uint8_t{0});
    record[kAttackByte] = static_cast<uint8_t>(TrackBarAttack.Position());
    record[kDecayByte] = static_cast<uint8_t>(TrackBarDecay.Position());
    record[kSustainByte] = static_cast<uint8_t>(TrackBarSustain.Position());
    record[kReleaseByte] = static_cast<uint8_t>(TrackBarRelease.Position());
    record[kWaveformByte] = IndexByte(ComboBoxWaveform);
    record[kTargetByte] = IndexByte(ComboBoxTarget);
    record[kOffsetByte] = static_cast<uint8_t>(TrackBarOffset.Position());
    record[kTuningByte] = IndexByte(ComboBoxTuning);
    record[kVolumeByte] = static_cast<uint8_t>(TrackBarVolume.Position());
}

void TFrameOpD::LoadRecord(ConstRecord record) {
    // The track bars clamp to their ranges themselves.
    TrackBarAttack.SetPosition(record[kAttackByte]);
    TrackBarDecay.SetPosition(record[kDecayByte]);
    TrackBarSustain.SetPosition(record[kSustainByte]);
    TrackBarRelease.SetPosition(record[kReleaseByte]);
    SelectClamped(ComboBoxWaveform, record[kWaveformByte]);
    SelectClamped(ComboBoxTarget, record[kTargetByte]);
    TrackBarOffset.SetPosition(record[kOffsetByte]);
    SelectClamped(ComboBoxTuning, record[kTuningByte]);
    TrackBarVolume.SetPosition(record[kVolumeByte]);
}

} // namespace vorpline
