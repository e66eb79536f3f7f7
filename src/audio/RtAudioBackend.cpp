#include "audio/RtAudioBackend.h"

#include <rtaudio/RtAudio.h>

#include "platform/AlsaErrors.h"

namespace vorpline {

namespace {

constexpr RtAudio::Api kApis[] = {RtAudio::UNIX_JACK, RtAudio::LINUX_PULSE, RtAudio::LINUX_ALSA};

bool Compiled(RtAudio::Api api) {
    std::vector<RtAudio::Api> apis;
    RtAudio::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

// RtAudio reports problems on stderr unless told otherwise; we report them ourselves.
void Quiet(RtAudio& audio) {
    audio.showWarnings(false);
}

} // namespace

RtAudioBackend::RtAudioBackend() {
    // The scan opens ALSA, which would otherwise print a line per missing card.
    SilenceAlsaErrors();
}

RtAudioBackend::~RtAudioBackend() {
    try {
        Stop();
    } catch (...) {
        // The stream is going away with the program; nothing left to tell.
    }
}

std::vector<RtAudioBackend::Device> RtAudioBackend::Scan() {
    std::vector<Device> found;
    for (RtAudio::Api api : kApis) {
        if (!Compiled(api)) {
            continue;
        }
        try {
            RtAudio audio(api);
            Quiet(audio);
            unsigned count = audio.getDeviceCount();
            for (unsigned id = 0; id < count; ++id) {
                RtAudio::DeviceInfo info = audio.getDeviceInfo(id);
                if (info.probed && info.outputChannels >= 2) {
                    // A JACK server offers its one rate only.
                    uint32_t preferred = info.preferredSampleRate;
                    if (preferred == 0 && info.sampleRates.size() == 1) {
                        preferred = info.sampleRates.front();
                    }
                    found.push_back({static_cast<int>(api), id, info.name, preferred});
                }
            }
        } catch (const RtAudioError&) {
            // An audio system that is not there has no devices.
        }
    }
    return found;
}

std::vector<std::string> RtAudioBackend::OutputDevices() {
    devices = Scan();
    std::vector<std::string> names;
    for (const auto& d : devices) {
        names.push_back(d.name);
    }
    return names;
}

uint32_t RtAudioBackend::PreferredRate(size_t index) const {
    return index < devices.size() ? devices[index].preferredRate : 0;
}

uint32_t RtAudioBackend::Start(size_t index, uint32_t rate, size_t periodFrames, Callback cb) {
    if (index >= devices.size()) {
        throw AudioError("no such audio device", RtAudioError::INVALID_DEVICE);
    }
    Stop();
    const Device& device = devices[index];
    callback = std::move(cb);
    try {
        stream = std::make_unique<RtAudio>(static_cast<RtAudio::Api>(device.api));
        Quiet(*stream);
        RtAudio::DeviceInfo info = stream->getDeviceInfo(device.id);
        uint32_t deviceRate = rate;
        if (!info.sampleRates.empty() && std::find(info.sampleRates.begin(), info.sampleRates.end(),
                                                   rate) == info.sampleRates.end()) {
            deviceRate =
                info.preferredSampleRate != 0 ? info.preferredSampleRate : info.sampleRates.back();
        }
        RtAudio::StreamParameters out;
        out.deviceId = device.id;
        out.nChannels = 2;
        RtAudio::StreamOptions options;
        options.flags = RTAUDIO_SCHEDULE_REALTIME | RTAUDIO_MINIMIZE_LATENCY;
        options.streamName = "Vorpline";
        unsigned frames = static_cast<unsigned>(periodFrames);
        stream->openStream(
            &out, nullptr, RTAUDIO_SINT16, deviceRate, &frames,
            [](void* output, void*, unsigned n, double, RtAudioStreamStatus status,
               void* self) -> int {
                auto* backend = static_cast<RtAudioBackend*>(self);
                backend->callback(static_cast<int16_t*>(output), n,
                                  (status & RTAUDIO_OUTPUT_UNDERFLOW) != 0);
                return 0;
            },
            this, &options);
        deviceRate = stream->getStreamSampleRate();
        stream->startStream();
        return deviceRate;
    } catch (const RtAudioError& e) {
        stream.reset();
        throw AudioError(e.what(), static_cast<int>(e.getType()));
    }
}

void RtAudioBackend::Stop() {
    if (!stream) {
        return;
    }
    try {
        if (stream->isStreamRunning()) {
            stream->stopStream();
        }
        if (stream->isStreamOpen()) {
            stream->closeStream();
        }
    } catch (const RtAudioError& e) {
        stream.reset();
        throw AudioError(e.what(), static_cast<int>(e.getType()));
    }
    stream.reset();
}

} // namespace vorpline
