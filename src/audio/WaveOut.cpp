#include "audio/WaveOut.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace vorpline {

namespace {

std::string WithCode(const std::string& text, int code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(code) & 0xFFFF);
    return text + " [" + hex + "]";
}

} // namespace

WaveOut::WaveOut(AudioBackend& backend, bool windowMode)
    : backend(backend), windowMode(windowMode) {}

WaveOut::~WaveOut() {
    if (open) {
        try {
            Close();
        } catch (...) {
            // Shutting down anyway.
        }
    }
}

std::vector<std::string> WaveOut::ListDevices(bool sort) {
    std::vector<std::string> names = backend.OutputDevices();
    listedRates.clear();
    for (size_t i = 0; i < names.size(); ++i) {
        listedRates.emplace_back(names[i], backend.PreferredRate(i));
    }
    if (sort) {
        std::sort(names.begin(), names.end());
    }
    names.insert(names.begin(), kNoDevice);
    return names;
}

uint32_t WaveOut::PreferredRate(const std::string& deviceName) const {
    for (const auto& [name, preferred] : listedRates) {
        if (name == deviceName) {
            return preferred;
        }
    }
    return 0;
}

void WaveOut::Open(const std::string& deviceName, YMF262& chipEmulator, AudioProcessor* effect,
                   uint32_t sampleRate, uint16_t bufferFrames, uint16_t ringCount,
                   const std::string& fileName) {
    if (open) {
        throw std::runtime_error("Wave output already open");
    }
    std::vector<std::string> devices = ListDevices(false);
    auto it = std::find(devices.begin(), devices.end(), deviceName);
    if (it == devices.begin()) {
        throw std::runtime_error("Wave output invalid");
    }
    if (it == devices.end()) {
        throw std::runtime_error("Wave output not found");
    }
    size_t device = static_cast<size_t>(it - devices.begin()) - 1;
    if (sampleRate == 0 || bufferFrames == 0 || bufferFrames > BlockThread::kBlockFrames ||
        ringCount < 2 || ringCount > kMaxRing) {
        throw std::runtime_error("Failed to open wave output [0009]");
    }
    rate = sampleRate;
    frames = bufferFrames;
    count = windowMode ? ringCount : 1;
    dsp = effect;
    emulator = &chipEmulator;

    if (!fileName.empty()) {
        try {
            file.Open(fileName, rate);
        } catch (const std::exception& e) {
            throw std::runtime_error(e.what());
        }
        fileWriter = std::make_unique<BlockThread>(
            [this](const int16_t* f, size_t n) { file.Append(f, n); });
        recordBlock.assign(2 * BlockThread::kBlockFrames, 0);
        recordFrames = 0;
    }
    buffers.assign(count, std::vector<int16_t>(2 * frames));
    if (emulator->Init(1, YMF262::kClock, YMF262::kNativeRate) != YMF262::kInitOk) {
        throw std::runtime_error("Failed to init YMF262.DLL");
    }
    emulator->ResetChip(0);
    chip = std::make_unique<ChipStream>(*emulator, registers, rate, frames);
    // In window mode the main thread renders, so a full register queue can drain right there.
    if (windowMode) {
        registers.SetInlineDrain([this] { registers.DrainInto(*emulator); });
    }

    // Device side: a generous fifo, sized for any period the device may choose.
    deviceFifo.assign(2 * (16384 + 4 * frames), 0);
    deviceFifoFrames = 0;
    convertIn.assign(2 * kConvertChunk, 0);
    playing = -1;
    playPosition = 0;
    if (windowMode) {
        for (size_t i = 0; i < count; ++i) {
            RenderBuffer(static_cast<int>(i));
        }
    }
    try {
        streaming.store(false);
        deviceRate =
            backend.Start(device, rate, frames, [this](int16_t* out, size_t n, bool underflow) {
                Callback(out, n, underflow);
            });
    } catch (const AudioError& e) {
        throw std::runtime_error(WithCode("Failed to open wave output", e.Code()));
    }
    if (deviceRate != rate) {
        toDevice = std::make_unique<Resampler>(rate, deviceRate, Resampler::Pace::kLive);
        // Run the converter in before the callback uses it (it sizes its buffers early on).
        std::vector<int16_t> scratch(2 * toDevice->MaxOutputFrames(kConvertChunk));
        for (int i = 0; i < kRunIn; ++i) {
            toDevice->Process(convertIn.data(), kConvertChunk, scratch.data(), scratch.size() / 2);
        }
    }
    open = true;
    streaming.store(true, std::memory_order_release);
}

void WaveOut::Close() {
    if (!open) {
        throw std::runtime_error("Wave output already closed");
    }
    streaming.store(false, std::memory_order_release);
    open = false;
    std::string failure;
    try {
        backend.Stop();
    } catch (const AudioError& e) {
        failure = WithCode("Failed to close wave output", e.Code());
    }
    emulator->Shutdown();
    toDevice.reset();
    chip.reset();
    if (fileWriter) {
        try {
            // The device is stopped: the last partial block can wait for room.
            fileWriter->Push(recordBlock.data(), recordFrames);
            recordFrames = 0;
            fileWriter->Close();
            file.Close();
        } catch (const std::exception& e) {
            if (failure.empty()) {
                failure = e.what();
            }
        }
        fileWriter.reset();
    }
    // Whatever the device did not play is forgotten with the ring.
    int unused;
    while (ready.TryPop(unused)) {
    }
    while (done.TryPop(unused)) {
    }
    buffers.clear();
    if (!failure.empty()) {
        throw std::runtime_error(failure);
    }
}

void WaveOut::RenderInto(int16_t* buffer) {
    chip->Render(buffer, frames);
    if (dsp != nullptr) {
        dsp->Process(buffer, frames);
    }
    Record(buffer, frames);
}

void WaveOut::Record(const int16_t* samples, size_t n) {
    if (!fileWriter) {
        return;
    }
    while (n > 0) {
        size_t take = std::min(n, BlockThread::kBlockFrames - recordFrames);
        std::copy(samples, samples + 2 * take,
                  recordBlock.begin() + static_cast<std::ptrdiff_t>(2 * recordFrames));
        recordFrames += take;
        samples += 2 * take;
        n -= take;
        if (recordFrames == BlockThread::kBlockFrames) {
            if (!fileWriter->TryPush(recordBlock.data(), recordFrames)) {
                // The disk fell more than the whole ring behind: this block is lost.
                fileFailed.store(true, std::memory_order_release);
            }
            recordFrames = 0;
        }
    }
}

void WaveOut::RenderBuffer(int index) {
    if (index < 0 || static_cast<size_t>(index) >= buffers.size() || !chip) {
        return;
    }
    RenderInto(buffers[static_cast<size_t>(index)].data());
    ready.TryPush(index);
}

int WaveOut::ServiceDoneBuffers(bool closing) {
    int handled = 0;
    int index = 0;
    while (done.TryPop(index)) {
        ++handled;
        if (!closing && open) {
            RenderBuffer(index);
        }
    }
    return handled;
}

void WaveOut::PullRendered(int16_t* out, size_t n) {
    while (n > 0) {
        if (!windowMode) {
            // Thread mode: render the next buffer right now, on this thread.
            if (playing < 0 || playPosition == frames) {
                RenderInto(buffers[0].data());
                playing = 0;
                playPosition = 0;
            }
        } else if (playing < 0 || playPosition == frames) {
            if (playing >= 0) {
                done.TryPush(playing);
            }
            playing = -1;
            int next = 0;
            if (!ready.TryPop(next)) {
                // The main thread fell behind: the gap is silence.
                underruns.fetch_add(1, std::memory_order_relaxed);
                std::fill(out, out + 2 * n, int16_t{0});
                return;
            }
            playing = next;
            playPosition = 0;
        }
        size_t take = std::min(n, frames - playPosition);
        const int16_t* src = buffers[static_cast<size_t>(playing)].data() + 2 * playPosition;
        std::copy(src, src + 2 * take, out);
        playPosition += take;
        out += 2 * take;
        n -= take;
    }
}

void WaveOut::Callback(int16_t* out, size_t n, bool underflow) {
    if (underflow) {
        underruns.fetch_add(1, std::memory_order_relaxed);
    }
    if (!streaming.load(std::memory_order_acquire)) {
        std::fill(out, out + 2 * n, int16_t{0});
        return;
    }
    if (!toDevice) {
        PullRendered(out, n);
    } else {
        while (deviceFifoFrames < n) {
            PullRendered(convertIn.data(), kConvertChunk);
            size_t room = deviceFifo.size() / 2 - deviceFifoFrames;
            deviceFifoFrames += toDevice->Process(convertIn.data(), kConvertChunk,
                                                  &deviceFifo[2 * deviceFifoFrames], room);
        }
        std::copy(deviceFifo.begin(), deviceFifo.begin() + static_cast<std::ptrdiff_t>(2 * n), out);
        std::copy(deviceFifo.begin() + static_cast<std::ptrdiff_t>(2 * n),
                  deviceFifo.begin() + static_cast<std::ptrdiff_t>(2 * deviceFifoFrames),
                  deviceFifo.begin());
        deviceFifoFrames -= n;
    }
    uint32_t v = volume.load(std::memory_order_relaxed);
    if (v != 0xFFFFFFFFu) {
        int32_t left = static_cast<int32_t>(v & 0xFFFF);
        int32_t right = static_cast<int32_t>(v >> 16);
        for (size_t i = 0; i < n; ++i) {
            out[2 * i] = static_cast<int16_t>(out[2 * i] * left / 0xFFFF);
            out[2 * i + 1] = static_cast<int16_t>(out[2 * i + 1] * right / 0xFFFF);
        }
    }
}

void WaveOut::SetVolume(uint16_t left, uint16_t right) {
    volume.store(static_cast<uint32_t>(right) << 16 | left, std::memory_order_relaxed);
}

std::exception_ptr WaveOut::TakeFileError() {
    if (fileFailureReported) {
        return nullptr;
    }
    if (fileWriter && fileWriter->Failed()) {
        fileFailureReported = true;
        return fileWriter->Failure();
    }
    if (fileFailed.load(std::memory_order_acquire)) {
        fileFailureReported = true;
        return std::make_exception_ptr(std::runtime_error("Wave file output write failed [9]"));
    }
    return nullptr;
}

std::exception_ptr WaveOut::TakeStreamError() {
    if (!registers.TakeOverflow()) {
        return nullptr;
    }
    return std::make_exception_ptr(
        std::runtime_error("Wave output stopped: the audio device no longer takes sound"));
}

} // namespace vorpline
