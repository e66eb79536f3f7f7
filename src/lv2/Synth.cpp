#include "lv2/Synth.h"

#include <algorithm>
#include <cmath>

#include "app/Instrument.h"
#include "audio/ChipStream.h"
#include "config/OutputConfig.h"
#include "engine/EmulatorBackend.h"
#include "lv2/PluginParameters.h"
#include "midi/MessageHub.h"
#include "platform/FileBytes.h"
#include "platform/IniFile.h"
#include "presets/TSbi.h"
#include "ui/PatchControls.h"

namespace vorpline::lv2 {

namespace {

constexpr float kSampleScale = 1.0f / 32768.0f;

// Data bytes a channel or system message carries after its status byte.
int DataBytes(uint8_t status) {
    switch (status >> 4) {
    case 0xC:
    case 0xD:
        return 1;
    case 0xF:
        return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    default:
        return 2;
    }
}

} // namespace

Synth::Synth(uint32_t rate, const std::filesystem::path& presetRoot)
    : rate(rate), timers(rate), chip(EmulatorCore::kAccurate), piece(2 * kMaxPiece) {
    if (chip.Init(1, YMF262::kClock, YMF262::kNativeRate) != YMF262::kInitOk) {
        throw std::runtime_error("Failed to init YMF262.DLL");
    }
    chip.ResetChip(0);
    stream = std::make_unique<ChipStream>(chip, registers, rate, kMaxPiece);
    backend = std::make_unique<EmulatorBackend>(registers);
    instrument = std::make_unique<Instrument>(
        Instrument::Setup{{}, presetRoot, &timers, [this] { return timers.NowMs(); }, 400, {}});
    // The software chip at the host's rate, no tool windows: the host has its own.
    PortConfig config;
    config.ioType = kTypeWAVE;
    config.ioSRate = rate;
    config.options = 0;
    instrument->PrepareOutput(config);
    instrument->BuildEngine(*backend, OPL3::Settings{});
    MessageHub& hub = instrument->Hub();
    // The host's MIDI port is open for as long as the plugin runs.
    hub.inputOpen = [] { return true; };
    const IniFile none{std::string()};
    instrument->Start(none, DeviceSection(config.ioPort), {});
    hub.peers.Connect(ccMap);
    // Controllers 96/97 would step through the preset folder, reading files on the audio
    // thread; in a host, presets are the host's to choose.
    hub.onStepPreset = nullptr;
    instrument->Main().EnableOperatorCc(true);
    WarmLists();
    const auto& table = PluginParameters();
    applied.resize(table.size());
    for (size_t i = 0; i < table.size(); ++i) {
        applied[i] = table[i].get(*instrument);
    }
}

Synth::~Synth() {
    instrument->Stop();
}

void Synth::WarmLists() {
    auto warm = [](ComboBox& box) {
        const int index = box.ItemIndex();
        const std::string text = box.Text();
        for (int i = 0; i < box.Count(); ++i) {
            box.SetItemIndex(i);
        }
        box.SetItemIndex(index);
        box.SetText(text);
    };
    TFormMain& form = instrument->Main();
    for (ComboBox* box :
         {&form.ComboBoxTranspose, &form.ComboBoxCNT, &form.ComboBoxTD, &form.ComboBoxVD}) {
        warm(*box);
    }
    for (int part = 0; part < 2; ++part) {
        PartPanel panel = form.Panel(part);
        for (ComboBox* box : {&panel.feedback, &panel.tuning, &panel.midiChannel, &panel.low,
                              &panel.high, &panel.mode, &panel.priority}) {
            warm(*box);
        }
    }
    for (TFrameOp* frame : form.FrameOps) {
        for (ComboBox* box : {&frame->ComboBoxWS, &frame->ComboBoxFreqMultiplier,
                              &frame->ComboBoxLevelScaling, &frame->ComboBoxTarget}) {
            warm(*box);
        }
    }
}

void Synth::Midi(const uint8_t* bytes, size_t size) {
    if (size == 0 || (bytes[0] & 0x80) == 0 || bytes[0] == 0xF0 || bytes[0] == 0xF7) {
        return;
    }
    const int needed = DataBytes(bytes[0]);
    if (size < static_cast<size_t>(1 + needed)) {
        return;
    }
    const uint8_t data1 = needed >= 1 ? bytes[1] : 0;
    const uint8_t data2 = needed >= 2 ? bytes[2] : 0;
    instrument->Hub().ShortEvent(PackEvent(bytes[0], data1, data2), timers.NowMs());
}

void Synth::Render(float* left, float* right, size_t frames) {
    timers.FireDue();
    while (frames > 0) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(
            {frames, kMaxPiece, std::max<uint64_t>(1, timers.FramesToNextDeadline())}));
        stream->Render(piece.data(), count);
        for (size_t f = 0; f < count; ++f) {
            left[f] = piece[2 * f] * kSampleScale;
            right[f] = piece[2 * f + 1] * kSampleScale;
        }
        left += count;
        right += count;
        frames -= count;
        timers.Advance(count);
    }
}

void Synth::ApplyPorts(std::span<const float* const> ports) {
    const auto& table = PluginParameters();
    const size_t count = std::min(ports.size(), table.size());
    for (size_t i = 0; i < count; ++i) {
        if (ports[i] == nullptr || !std::isfinite(*ports[i])) {
            continue;
        }
        const PluginParameter& p = table[i];
        const int value = std::clamp(static_cast<int>(std::lround(*ports[i])), p.min, p.max);
        if (resync) {
            applied[i] = value;
        } else if (value != applied[i]) {
            applied[i] = value;
            p.set(*instrument, value);
        }
    }
    resync = false;
}

std::vector<uint8_t> Synth::SavePatch() {
    PatchRecord patch;
    PatchExt ext;
    instrument->Presets().BuildPatch(patch, ext);
    return TSbi::Encode('6', std::string(), patch, ext);
}

bool Synth::LoadPatch(std::span<const uint8_t> image) {
    // The image overlays what the panel holds, as a preset file does: a 2-op one keeps
    // operators 1-4 and every setting.
    PatchRecord patch;
    PatchExt ext;
    instrument->Presets().BuildPatch(patch, ext);
    if (!TSbi::Decode(image, patch, ext)) {
        return false;
    }
    instrument->Hub().AllNotesOff();
    ShowPatch(instrument->Main(), patch, ext);
    instrument->Presets().ApplyParameters(ParametersOf(ext));
    instrument->Engine().ApplyPatch(patch, ext);
    WarmLists();
    resync = true;
    return true;
}

bool Synth::LoadPresetFile(const std::filesystem::path& file) {
    // One byte more than the largest preset tells an over-long file from a full one.
    const FileBytes read = ReadFileBytes(file, TSbi::kSize6op + 1);
    return read && read.bytes.size() <= TSbi::kSize6op && LoadPatch(read.bytes);
}

} // namespace vorpline::lv2
