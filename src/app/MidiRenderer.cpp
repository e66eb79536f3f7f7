#include "app/MidiRenderer.h"

#include <cstdio>
#include <memory>

#include "engine/DefaultPatch.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "engine/PitchControl.h"
#include "midi/DirectRouter.h"
#include "midi/StandardMidiFile.h"
#include "output/OfflineChip.h"
#include "output/RegisterLog.h"
#include "output/WaveFileWriter.h"
#include "platform/VirtualTimerService.h"

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

} // namespace

MidiRenderer::MidiRenderer(RenderOptions options) : options(std::move(options)) {}

void MidiRenderer::SetPatch(const PatchRecord& record, const PatchExt& ext) {
    patch = std::make_pair(record, ext);
}

RenderResult MidiRenderer::Run() {
    StandardMidiFile song = StandardMidiFile::Load(options.midiPath);

    WaveFileWriter wave;
    wave.Open(options.wavePath, options.rate);
    std::unique_ptr<RegisterLog> log;
    if (!options.regLogPath.empty()) {
        log = std::make_unique<RegisterLog>(options.regLogPath);
    }
    OfflineChip chip(
        options.rate, [&wave](const int16_t* frames, size_t count) { wave.Append(frames, count); },
        log.get());
    EmulatorBackend backend(chip);
    VirtualTimerService timers;
    OPL3 engine(backend, timers, {});
    PitchControl pitch(engine);
    engine.SetGlideTickHandler(
        [&pitch](int part, int remaining) { pitch.GlideTick(part, remaining); });
    if (patch) {
        engine.ApplyPatch(patch->first, patch->second);
    } else {
        engine.ApplyPatch(DefaultPatchRecord(), DefaultPatchExt());
    }
    DirectRouter router(engine, pitch);

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
        router.Route(e.status, e.data1, e.data2);
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
