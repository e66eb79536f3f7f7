#include "app/MidiRenderer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "app/Instrument.h"
#include "app/PerformanceTargets.h"
#include "app/RenderPreset.h"
#include "app/RenderToolPresets.h"
#include "audio/OfflineChip.h"
#include "config/OutputConfig.h"
#include "dsp/TFormDSP.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "files/RegisterLog.h"
#include "files/VgmWriter.h"
#include "files/WaveFileWriter.h"
#include "midi/MessageHub.h"
#include "midi/StandardMidiFile.h"
#include "modulation/TFormRT.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "presets/PerformanceRecord.h"
#include "presets/PresetFolder.h"

namespace vorpline {

namespace {

// Long renders tell the user how far they are, every few seconds of song.
class Progress {
public:
    Progress(bool enabled, double total) : enabled(enabled && total > kMinSeconds), total(total) {}
    void At(double seconds) {
        if (enabled && seconds >= next) {
            std::fprintf(stderr, "\rRendering: %.0f s of %.0f s", seconds, total);
            std::fflush(stderr);
            next += kEverySeconds;
        }
    }
    void Done() {
        if (enabled) {
            std::fprintf(stderr, "\rRendering: done%-24s\n", "");
        }
    }

private:
    static constexpr double kMinSeconds = 5.0;
    static constexpr double kEverySeconds = 5.0;
    bool enabled;
    double total;
    double next = kEverySeconds;
};

// The configuration of a render: the file's, if one is named, played on the software chip at
// the render's rate. The render is a wave output, so the DSP stage exists when the file asks for
// it or the options give its settings.
PortConfig RenderConfig(const RenderOptions& options, const IniFile& ini) {
    PortConfig config = ReadOutputConfig(ini);
    // A performance sets every window, so every window is made; the drum kit (which turns part
    // 5/6 into three voices beside the drums) only when the performance names a kit.
    if (!options.performance.empty()) {
        config.options |= kOptionLfo | kOptionSeq | kOptionCc | kOptionBend;
        const auto file = RenderPerformanceFile(options);
        const auto record = file ? ReadPerformanceFile(*file) : std::nullopt;
        if (record && record->drum != PresetFolder::kDefaultName) {
            config.options |= kOptionDrum;
        }
    }
    config.ioType = kTypeWAVE;
    config.ioSRate = options.rate;
    config.emulator = options.core.value_or(config.emulator);
    if (!options.dsp.empty()) {
        config.options |= kOptionDsp;
    }
    for (const auto& [kind, preset] : options.toolPresets) {
        config.options |= kind->option;
    }
    return config;
}

} // namespace

MidiRenderer::MidiRenderer(RenderOptions options) : options(std::move(options)) {}

void MidiRenderer::SetPatch(const PatchRecord& record, const PatchExt& ext) {
    patch = std::make_pair(record, ext);
}

RenderResult MidiRenderer::Run() {
    StandardMidiFile song = StandardMidiFile::Load(options.midiPath);
    if (!options.iniPath.empty()) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(options.iniPath, error)) {
            throw std::runtime_error(options.iniPath + ": no such configuration file");
        }
    }
    // Read only: a render never writes the configuration back.
    const IniFile ini(options.iniPath);
    const PortConfig config = RenderConfig(options, ini);
    // The section of the output the file was written for keeps the windows' settings.
    const std::string section = DeviceSection(config.ioPort);

    VirtualTimerService timers;
    Instrument instrument({options.assetFolder, options.presetRoot, &timers, {}, 400});
    instrument.PrepareOutput(config);

    WaveFileWriter wave;
    if (!options.wavePath.empty()) {
        wave.Open(options.wavePath, options.rate);
    }
    std::unique_ptr<RegisterLog> log;
    if (!options.regLogPath.empty()) {
        log = std::make_unique<RegisterLog>(options.regLogPath);
    }
    std::unique_ptr<VgmWriter> vgm;
    if (!options.vgmPath.empty()) {
        vgm = std::make_unique<VgmWriter>(options.vgmPath, YMF262::kNativeRate);
    }
    // The DSP stage works on the converted audio, as on the live output, just before the file.
    AudioProcessor* dsp = instrument.AudioStage();
    std::vector<int16_t> processed;
    OfflineChip chip(
        options.rate,
        [&wave, dsp, &processed](const int16_t* frames, size_t count) {
            if (!wave.IsOpen()) {
                return;
            }
            if (dsp == nullptr) {
                wave.Append(frames, count);
                return;
            }
            processed.assign(frames, frames + 2 * count);
            dsp->Process(processed.data(), count);
            wave.Append(processed.data(), count);
        },
        log.get(), vgm.get(), config.emulator);
    EmulatorBackend backend(chip);
    OPL3::Settings settings;
    settings.drumMode = (config.options & kOptionDrum) != 0;
    instrument.BuildEngine(backend, settings);
    MessageHub& hub = instrument.Hub();
    // The song is an input that is open from its first event to its last.
    hub.inputOpen = [] { return true; };
    instrument.Start(ini, section, {});

    // The options name what the configuration file does not (or differently).
    if (!options.dsp.empty()) {
        auto* window = dynamic_cast<TFormDSP*>(instrument.Tools().Find(ToolId::Dsp));
        if (window == nullptr || !window->ApplySettings(options.dsp)) {
            throw std::runtime_error("DSP settings \"" + options.dsp + "\" are not nine numbers");
        }
    }
    if (!options.performance.empty()) {
        const std::string error =
            ApplyPerformance(MakePerformanceTargets(instrument), options.performance);
        if (!error.empty()) {
            throw std::runtime_error(error);
        }
    }
    for (const auto& [kind, preset] : options.toolPresets) {
        LoadToolPreset(instrument.Tools(), *kind, preset);
    }
    // The options name what the performance does not, or differently.
    if (auto* clock = dynamic_cast<TFormRT*>(instrument.Tools().Find(ToolId::Clock));
        clock != nullptr && options.tempo > 0) {
        clock->EditBPM.SetText(std::to_string(options.tempo));
        clock->ApplyTempo();
        clock->SetSource(TFormRT::kSourceTimer);
    }
    TFormMain& form = instrument.Main();
    if (patch) {
        instrument.Engine().ApplyPatch(patch->first, patch->second);
        for (int op = 0; op < static_cast<int>(patch->first.op.size()); ++op) {
            form.PutOperator(op, patch->first.op[static_cast<size_t>(op)]);
        }
    }
    if (!options.preset.empty() &&
        !instrument.Presets().SelectPreset(options.bank, options.preset)) {
        throw std::runtime_error(RenderPresetError(options));
    }

    // Moves the song to `ms`, rendering audio and firing timers (portamento) in time order.
    auto advanceTo = [&](double ms) {
        while (auto deadline = timers.NextDeadline()) {
            if (*deadline > ms) {
                break;
            }
            chip.RenderUntil(OfflineChip::ChipFrameAt(*deadline / 1000.0));
            timers.AdvanceTo(*deadline);
        }
        chip.RenderUntil(OfflineChip::ChipFrameAt(ms / 1000.0));
        timers.AdvanceTo(std::max(ms, timers.Now()));
    };

    double end = song.DurationSeconds();
    for (const MidiEvent& e : song.Events()) {
        end = std::max(end, e.seconds);
    }
    Progress progress(options.progress, end);
    for (const MidiEvent& e : song.Events()) {
        advanceTo(e.seconds * 1000.0);
        hub.ShortEvent(PackEvent(e.status, e.data1, e.data2),
                       static_cast<uint32_t>(e.seconds * 1000.0));
        progress.At(e.seconds);
    }
    advanceTo(end * 1000.0);

    // Let the last notes ring out, in 10 ms steps, until the chip falls silent.
    const uint64_t silence = OfflineChip::ChipFrameAt(kSilenceSeconds);
    for (double ms = end * 1000.0; ms < (end + kMaxTailSeconds) * 1000.0;) {
        if (chip.TrailingSilentFrames() >= silence) {
            break;
        }
        ms += 10.0;
        advanceTo(ms);
    }
    chip.Finish();
    wave.Close();
    if (log) {
        log->Close();
    }
    if (vgm) {
        vgm->Close(chip.ChipPosition());
    }
    progress.Done();
    return {chip.OutputFrame(), static_cast<double>(chip.ChipPosition()) / YMF262::kNativeRate};
}

} // namespace vorpline
