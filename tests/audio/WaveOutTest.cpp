#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "audio/WaveOut.h"
#include "cards/Wave.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "files/WaveFileReader.h"
#include "platform/VirtualTimerService.h"
#include "support/AllocationCounter.h"
#include "support/AudioAnalysis.h"
#include "support/FakeAudioBackend.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t s : samples) {
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    }
    return peak;
}

// The wave output on a fake device with the engine writing through it.
class WaveOutput : public ::testing::Test {
protected:
    void Open(bool windowMode, uint32_t rate, uint32_t deviceRate, const std::string& file = {}) {
        audio.deviceRate = deviceRate;
        wave = std::make_unique<WaveOut>(audio, windowMode);
        wave->Open("Fake Out", chip, nullptr, rate, 256, 4, file);
        backend = std::make_unique<EmulatorBackend>(wave->Registers());
        engine = std::make_unique<OPL3>(*backend, timers, OPL3::Settings{});
        auto [patch, ext] = SustainedSine();
        engine->ApplyPatch(patch, ext);
    }
    // One device period, with the main loop's share done in between in window mode.
    std::vector<int16_t> Period(size_t frames = 64) {
        auto out = audio.Pull(frames);
        wave->ServiceDoneBuffers(false);
        return out;
    }

    FakeAudioBackend audio;
    YMF262 chip;
    VirtualTimerService timers;
    std::unique_ptr<WaveOut> wave;
    std::unique_ptr<EmulatorBackend> backend;
    std::unique_ptr<OPL3> engine;
};

TEST_F(WaveOutput, OpenAndCloseReportTheirFailures) {
    audio.devices = {"Zeta", "Alpha", "Alpha"};
    WaveOut out(audio, false);
    EXPECT_EQ(out.ListDevices(true),
              (std::vector<std::string>{"No wave output", "Alpha", "Alpha", "Zeta"}));
    auto error = [&](const std::string& device) {
        try {
            out.Open(device, chip, nullptr, 44100, 128, 8, "");
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("(opened)");
    };
    EXPECT_EQ(error("No wave output"), "Wave output invalid");
    EXPECT_EQ(error("Gone"), "Wave output not found");
    audio.failStart = 0x11;
    EXPECT_EQ(error("Zeta"), "Failed to open wave output [0011]");
    audio.failStart = 0;
    EXPECT_EQ(error("Alpha"), "(opened)");
    EXPECT_EQ(audio.startedIndex, 1) << "the first of two devices with the same name";
    EXPECT_EQ(error("Alpha"), "Wave output already open");
    out.Close();
    EXPECT_THROW(out.Close(), std::runtime_error);
}

TEST_F(WaveOutput, ThreadModeHearsAWriteWithinOneBuffer) {
    Open(false, 44100, 48000);
    for (int i = 0; i < 20; ++i) {
        EXPECT_LE(Peak(Period()), 8);
    }
    engine->Part(0).NoteOn(69, 127, 0);
    size_t silentFrames = 0;
    while (Peak(Period()) <= 8) {
        silentFrames += 64;
        ASSERT_LT(silentFrames, 48000u) << "never sounded";
    }
    // One buffer at the chosen rate, plus the two converters' delay (a few ms each).
    EXPECT_LE(silentFrames, 256u * 48000 / 44100 + 64 + 2 * 48000 / 100) << silentFrames;
    RecordProperty("latency_frames", static_cast<int>(silentFrames));
}

TEST_F(WaveOutput, CallbackNeverTouchesTheHeap) {
    if (!AllocationScope::Available()) {
        GTEST_SKIP() << "heap calls are not counted in sanitizer builds";
    }
    for (bool windowMode : {false, true}) {
        Open(windowMode, 22050, 48000);
        engine->Part(0).NoteOn(60, 100, 0);
        engine->Part(1).NoteOn(67, 100, 0);
        for (int i = 0; i < 10; ++i) {
            Period(512);
        }
        int64_t heapCalls = 0;
        std::vector<int16_t> device(2 * 300);
        for (int i = 0; i < 200; ++i) {
            engine->Part(0).NoteOn(static_cast<uint8_t>(40 + i % 40), 100, 0);
            {
                AllocationScope scope;
                audio.PullInto(device.data(), i % 2 ? 64 : 300);
                heapCalls += scope.Count();
            }
            wave->ServiceDoneBuffers(false);
        }
        EXPECT_EQ(heapCalls, 0) << (windowMode ? "window mode" : "thread mode");
        wave->Close();
    }
}

// A stream that stops pulling (the audio server went away) must not hang the main thread in
// thread mode: writes beyond the queue are dropped and counted, and the user is told once.
TEST_F(WaveOutput, AStreamThatNeverDrainsDropsWritesAndSaysSoOnce) {
    wave = std::make_unique<WaveOut>(audio, false);
    wave->Open("Fake Out", chip, nullptr, 48000, 256, 4, "");
    RegisterQueue& queue = wave->Registers();
    for (size_t i = 0; i < RegisterQueue::kCapacity / 2 + 100; ++i) {
        queue.Write(0, 0xA0);
        queue.Write(1, static_cast<uint8_t>(i));
    }
    EXPECT_EQ(wave->DroppedWrites(), 200u);
    EXPECT_NE(wave->TakeStreamError(), nullptr);
    EXPECT_EQ(wave->TakeStreamError(), nullptr) << "told once";

    // A value whose register number was dropped is dropped too, even once there is room again:
    // it would land in whatever register came before.
    queue.Write(0, 0xB0);
    audio.Pull(256);
    queue.Write(1, 0x20);
    EXPECT_EQ(wave->DroppedWrites(), 202u);
    queue.Write(0, 0xB0);
    queue.Write(1, 0x20);
    EXPECT_EQ(wave->DroppedWrites(), 202u);
    EXPECT_EQ(wave->TakeStreamError(), nullptr);
}

TEST_F(WaveOutput, WindowModeRendersTheRingOnTheMainThread) {
    Open(true, 48000, 48000);
    engine->Part(0).NoteOn(69, 127, 0);
    // The four primed buffers (silent) play first; the note comes with a re-rendered one.
    size_t silentFrames = 0;
    for (auto p = Period(256); Peak(p) <= 8; p = Period(256)) {
        silentFrames += 256;
        ASSERT_LT(silentFrames, 48000u);
    }
    // The four primed buffers, then the converter's own delay.
    EXPECT_GE(silentFrames, 4u * 256);
    EXPECT_LE(silentFrames, 4u * 256 + 1024);
    // A main thread that stops answering leaves gaps of silence, counted as underruns.
    uint64_t before = wave->Underruns();
    for (int i = 0; i < 6; ++i) {
        audio.Pull(256);
    }
    EXPECT_GT(wave->Underruns(), before);
}

TEST_F(WaveOutput, RecordsWhatItPlaysAndClosesTheFile) {
    TempDir dir;
    Open(false, 32000, 32000, dir.File("take.wav"));
    engine->Part(0).NoteOn(69, 127, 0);
    std::vector<int16_t> played;
    for (int i = 0; i < 100; ++i) {
        auto p = Period(320);
        played.insert(played.end(), p.begin(), p.end());
        // A disk that keeps up: the writer is never more than a few blocks behind.
        while (wave->RecordingBacklog() > 2) {
            std::this_thread::yield();
        }
    }
    EXPECT_EQ(wave->TakeFileError(), nullptr);
    wave->Close();
    auto file = WaveFileReader::Load(dir.File("take.wav"));
    EXPECT_EQ(file.SampleRate(), 32000u);
    ASSERT_GE(file.Samples().size(), played.size());
    EXPECT_TRUE(std::equal(played.begin(), played.end(), file.Samples().begin()));
    StereoSignal s{file.Samples(), 32000};
    EXPECT_NEAR(s.Frequency(0.2, 0.9), 440.0, 1.0);
}

TEST_F(WaveOutput, MixerVolumeAndMuteReachTheDevice) {
    Open(false, 48000, 48000);
    engine->Part(0).NoteOn(69, 127, 0);
    Wave mixer(*wave);
    mixer.SetVolumePan(31, 0);
    for (int i = 0; i < 20; ++i) {
        Period();
    }
    int loud = Peak(Period(4800));
    mixer.SetMute(true);
    EXPECT_EQ(Peak(Period(4800)), 0);
    mixer.SetVolumePan(15, 0);
    EXPECT_EQ(Peak(Period(4800)), 0) << "still muted";
    mixer.SetMute(false);
    int quieter = Peak(Period(4800));
    EXPECT_NEAR(quieter, loud * 15.0 / 31.0, loud * 0.05);
    int volume = 0;
    int pan = 0;
    EXPECT_FALSE(mixer.GetVolumePan(volume, pan));
    EXPECT_EQ(volume, 15);
}

} // namespace
} // namespace vorpline::test
