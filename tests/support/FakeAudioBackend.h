#pragma once
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioBackend.h"

namespace vorpline::test {

// An audio system with made-up devices whose stream the test drives by calling Pull, as a
// device would from its own thread.
class FakeAudioBackend : public AudioBackend {
public:
    explicit FakeAudioBackend(std::vector<std::string> devices = {"Fake Out"},
                              uint32_t deviceRate = 0)
        : devices(std::move(devices)), deviceRate(deviceRate) {}

    std::vector<std::string> OutputDevices() override { return devices; }
    // A device that runs at a rate of its own reports it, like a sound server.
    uint32_t PreferredRate(size_t) const override { return deviceRate; }
    uint32_t Start(size_t index, uint32_t rate, size_t, Callback cb) override {
        if (failStart != 0) {
            throw AudioError("refused", failStart);
        }
        startedIndex = static_cast<int>(index);
        callback = std::move(cb);
        if (threaded) {
            running = true;
            device = std::thread([this] {
                std::vector<int16_t> period(2 * 256);
                while (running) {
                    callback(period.data(), 256, false);
                    ++periods;
                    std::this_thread::yield();
                }
            });
        }
        return deviceRate != 0 ? deviceRate : rate;
    }
    void Stop() override {
        // Like a real device: Stop returns once no callback runs any more.
        if (device.joinable()) {
            running = false;
            device.join();
        }
        callback = nullptr;
    }
    ~FakeAudioBackend() override { Stop(); }

    // Asks the output for `frames` frames, as the device's period would.
    std::vector<int16_t> Pull(size_t frames) {
        std::vector<int16_t> out(2 * frames);
        PullInto(out.data(), frames);
        return out;
    }
    // The same into the caller's buffer, so that the call itself allocates nothing.
    void PullInto(int16_t* out, size_t frames) {
        if (callback) {
            callback(out, frames, false);
        }
    }

    std::vector<std::string> devices;
    uint32_t deviceRate;
    int failStart = 0;
    int startedIndex = -1;
    // A device thread of its own that asks for period after period until stopped.
    bool threaded = false;
    std::atomic<int> periods{0};
    Callback callback;

private:
    std::atomic<bool> running{false};
    std::thread device;
};

} // namespace vorpline::test
