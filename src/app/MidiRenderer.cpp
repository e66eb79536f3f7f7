#include "app/MidiRenderer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

#include "config/OutputConfig.h"
#include "app/RenderPreset.h"
#include "engine/DefaultPatch.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "midi/MessageHub.h"
#include "midi/StandardMidiFile.h"
#include "audio/OfflineChip.h"
#include "files/RegisterLog.h"
#include "dsp/TFormDSP.h"
#include "files/WaveFileWriter.h"
#include "platform/IniFile.h"
#include "platform/VirtualTimerService.h"
#include "ui/MainPresets.h"
#include "ui/TFormMain.h"

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

// What a render takes from the configuration file: the options that change the synthesizer
// itself, and the per-output section's choices of bank and preset, which the panel shows.
struct RenderConfig {
    uint32_t options = 0;
    int bank = 2;
    std::string preset = "Default";
};

RenderConfig ReadRenderConfig(const std::string& iniPath) {
    RenderConfig config;
    if (iniPath.empty()) {
        return config;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(iniPath, error)) {
        throw std::runtime_error(iniPath + ": no such configuration file");
    }
    IniFile ini(iniPath);
    PortConfig output = ReadOutputConfig(ini);
    config.options = output.options;
    std::string section = DeviceSection(output.ioPort);
    config.bank =
        static_cast<int>(IniFile::ParseInteger(ini.ReadString(section, "Bank", "2")).value_or(0));
    config.preset = ini.ReadString(section, "Main Preset", "Default");
    return config;
}

} // namespace

MidiRenderer::MidiRenderer(RenderOptions options) : options(std::move(options)) {}

void MidiRenderer::SetPatch(const PatchRecord& record, const PatchExt& ext) {
    patch = std::make_pair(record, ext);
}

RenderResult MidiRenderer::Run() {
    StandardMidiFile song = StandardMidiFile::Load(options.midiPath);
    RenderConfig config = ReadRenderConfig(options.iniPath);
    bool drumKit = (config.options & kOptionDrum) != 0;

    WaveFileWriter wave;
    wave.Open(options.wavePath, options.rate);
    std::unique_ptr<RegisterLog> log;
    if (!options.regLogPath.empty()) {
        log = std::make_unique<RegisterLog>(options.regLogPath);
    }
    // The DSP stage works on the converted audio, as on the live output, just before the file.
    std::unique_ptr<TFormDSP> dsp;
    if (!options.dsp.empty()) {
        dsp = std::make_unique<TFormDSP>(options.rate);
        if (!dsp->ApplySettings(options.dsp)) {
            throw std::runtime_error("DSP settings \"" + options.dsp + "\" are not nine numbers");
        }
    }
    std::vector<int16_t> processed;
    OfflineChip chip(
        options.rate,
        [&wave, &dsp, &processed](const int16_t* frames, size_t count) {
            if (!dsp) {
                wave.Append(frames, count);
                return;
            }
            processed.assign(frames, frames + 2 * count);
            dsp->Process(processed.data(), count);
            wave.Append(processed.data(), count);
        },
        log.get());
    EmulatorBackend backend(chip);
    VirtualTimerService timers;
    OPL3::Settings settings;
    settings.drumMode = drumKit;
    OPL3 engine(backend, timers, settings);
    PitchControl pitch(engine);

    // The synth panel without a window: its controls hold the settings the hub reads and the
    // controllers change.
    TFormMain form(options.assetFolder);
    form.AttachEngine(engine, pitch);
    form.EnableOperatorCc((config.options & kOptionCc) != 0);
    if (drumKit) {
        form.RemoveDrumModes();
    }
    form.ComboBoxBank.SetItemIndex(config.bank);
    form.ComboBoxPreset.SetText(config.preset);
    if (patch) {
        engine.ApplyPatch(patch->first, patch->second);
        for (int op = 0; op < static_cast<int>(patch->first.op.size()); ++op) {
            form.PutOperator(op, patch->first.op[static_cast<size_t>(op)]);
        }
    } else {
        engine.ApplyPatch(DefaultPatchRecord(), DefaultPatchExt(drumKit));
        form.ApplyDefaultOperators();
    }
    MessageHub hub(form, engine, pitch);
    // The song is an input that is open from its first event to its last.
    hub.inputOpen = [] { return true; };
    MainPresets presets(form, options.presetRoot);
    presets.AttachEngine(engine, pitch);
    presets.AttachControllers(hub.Controllers());
    if (!options.preset.empty() && !presets.SelectPreset(options.bank, options.preset)) {
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
    progress.Done();
    return {chip.OutputFrame(), static_cast<double>(chip.ChipPosition()) / YMF262::kNativeRate};
}

} // namespace vorpline
