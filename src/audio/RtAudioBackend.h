#pragma once
#include <memory>
#include <utility>

#include "audio/AudioBackend.h"

class RtAudio;

namespace vorpline {

// Audio outputs through RtAudio: the JACK server's, PulseAudio's and ALSA's devices, in that
// order. Without a JACK server the JACK side lists nothing; without /dev/snd ALSA neither.
class RtAudioBackend : public AudioBackend {
public:
    RtAudioBackend();
    ~RtAudioBackend() override;

    std::vector<std::string> OutputDevices() override;
    uint32_t PreferredRate(size_t index) const override;
    uint32_t Start(size_t index, uint32_t rate, size_t periodFrames, Callback callback) override;
    void Stop() override;

private:
    struct Device {
        int api;
        unsigned id;
        std::string name;
        uint32_t preferredRate;
    };
    std::vector<Device> Scan();

    std::vector<Device> devices;
    std::unique_ptr<RtAudio> stream;
    Callback callback;
};

} // namespace vorpline
