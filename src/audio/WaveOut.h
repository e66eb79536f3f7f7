#pragma once
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioBackend.h"
#include "audio/AudioProcessor.h"
#include "audio/BlockThread.h"
#include "audio/ChipStream.h"
#include "audio/RegisterQueue.h"
#include "audio/Resampler.h"
#include "audio/YMF262.h"
#include "files/WaveFileWriter.h"
#include "platform/SpscRing.h"

namespace vorpline {

// The WAVE output: the software chip played through an audio device, optionally recorded to a
// wave file and passed through the DSP stage.
//
// Rendering works in buffers of `frames` frames at the chosen rate (chip, DSP and wave file
// all run at that rate; a device at another rate, such as a JACK server's, gets a second
// conversion). Two ways to render:
//  - thread mode: the audio callback renders each buffer just before it plays it, so a
//    register write is heard one buffer later;
//  - window mode: a ring of `count` buffers is rendered ahead on the main thread; the callback
//    plays them in turn and hands each finished one back as a done notice, which the main
//    thread answers by rendering it again (latency: the whole ring).
// The callback never locks, allocates or touches a file: register writes arrive through a
// lock-free queue, the wave file is written by its own thread, volume crosses as an atomic.
//
// Everything but the callback is main-thread only.
class WaveOut {
public:
    static constexpr const char* kNoDevice = "No wave output";

    WaveOut(AudioBackend& backend, bool windowMode);
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // "No wave output" first, then the device names (sorted if asked).
    std::vector<std::string> ListDevices(bool sort);
    // The rate the first device of that name in the last listing runs at by itself, 0 when it
    // names none (or there is no such device).
    uint32_t PreferredRate(const std::string& deviceName) const;
    // Throws std::runtime_error with the user's message on every failure.
    void Open(const std::string& deviceName, YMF262& emulator, AudioProcessor* dsp, uint32_t rate,
              uint16_t frames, uint16_t count, const std::string& fileName);
    // Stops the device, shuts the emulator down and finishes the wave file.
    void Close();
    bool IsOpen() const { return open; }
    bool WindowMode() const { return windowMode; }

    // Where the engine's emulator backend writes.
    RegisterQueue& Registers() { return registers; }

    // Window mode, main thread: the next buffer the device has finished with (its done
    // notice), or false when there is none.
    bool TakeDoneBuffer(int& index) { return done.TryPop(index); }
    // Answers every pending done notice by rendering that buffer again; `closing` (the main
    // window's flag) makes it only take them. Returns how many.
    int ServiceDoneBuffers(bool closing);
    // Renders buffer `index` of the ring (window mode) and queues it for the device.
    void RenderBuffer(int index);

    // Device volume, 0..0xFFFF per channel (0xF800 for the mixer's 31).
    void SetVolume(uint16_t left, uint16_t right);
    // The rate the device runs at (may differ from the chosen rate).
    uint32_t DeviceRate() const { return deviceRate; }
    uint64_t Underruns() const { return underruns.load(std::memory_order_relaxed); }
    // Blocks of recorded audio the wave-file writer has not written yet.
    size_t RecordingBacklog() const { return fileWriter ? fileWriter->Pending() : 0; }
    // A wave-file failure since the last call ("Wave file output write failed [9]"), to show.
    std::exception_ptr TakeFileError();
    // Register writes the engine made that never reached the chip: nothing took them from the
    // queue (the audio server stopped or went away), and the main thread does not wait for it.
    uint64_t DroppedWrites() const { return registers.Dropped(); }
    // Once, after the first dropped write: "Wave output stopped: ...", to show. Main thread.
    std::exception_ptr TakeStreamError();

private:
    static constexpr size_t kMaxRing = 256;
    static constexpr size_t kConvertChunk = 64;
    // Chunks fed to a new converter before use: it sizes its internal buffers in its first
    // few hundred calls, which must not happen on the audio thread.
    static constexpr int kRunIn = 1024;

    void Callback(int16_t* out, size_t frames, bool underflow);
    // Fills `frames` frames at the chosen rate from the ring (window) or by rendering (thread).
    void PullRendered(int16_t* out, size_t frames);
    void RenderInto(int16_t* buffer);
    void Record(const int16_t* frames, size_t count);

    AudioBackend& backend;
    // Each device of the last listing, in the system's order, with its preferred rate.
    std::vector<std::pair<std::string, uint32_t>> listedRates;
    bool windowMode;
    bool open = false;
    uint32_t rate = 0;
    uint32_t deviceRate = 0;
    size_t frames = 0;
    size_t count = 0;
    AudioProcessor* dsp = nullptr;
    YMF262* emulator = nullptr;
    RegisterQueue registers;
    std::unique_ptr<ChipStream> chip;
    std::unique_ptr<Resampler> toDevice;

    // The ring (window mode) or the single just-in-time buffer (thread mode).
    std::vector<std::vector<int16_t>> buffers;
    SpscRing<int, kMaxRing> ready; // main -> callback: rendered buffers in play order
    SpscRing<int, kMaxRing> done;  // callback -> main: played buffers
    int playing = -1;
    size_t playPosition = 0;

    // Converted frames waiting for the device.
    std::vector<int16_t> deviceFifo;
    size_t deviceFifoFrames = 0;
    std::vector<int16_t> convertIn;

    std::atomic<bool> streaming{false};
    std::atomic<uint32_t> volume{0xFFFFFFFFu};
    std::atomic<uint64_t> underruns{0};
    std::atomic<bool> fileFailed{false};
    bool fileFailureReported = false;

    WaveFileWriter file;
    std::unique_ptr<BlockThread> fileWriter;
    // Recorded frames are gathered into whole blocks, so the writer's ring holds over a second
    // of audio whatever the buffer size.
    std::vector<int16_t> recordBlock;
    size_t recordFrames = 0;
};

} // namespace vorpline
