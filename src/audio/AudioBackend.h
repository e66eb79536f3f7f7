#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorpline {

// A failure of the audio system, with its numeric code for the user's message.
class AudioError : public std::runtime_error {
public:
    AudioError(const std::string& what, int code) : std::runtime_error(what), code(code) {}
    int Code() const { return code; }

private:
    int code;
};

// The operating system's audio outputs, as the wave output needs them: a list of named stereo
// output devices, and one stream at a time that calls back for interleaved 16-bit frames.
class AudioBackend {
public:
    // Audio thread. Fill `frames` frames; `underflow` reports that the device ran dry since
    // the last call (an xrun).
    using Callback = std::function<void(int16_t* out, size_t frames, bool underflow)>;

    virtual ~AudioBackend() = default;
    // Names of the output devices in the system's order (duplicates possible).
    virtual std::vector<std::string> OutputDevices() = 0;
    // The rate device `index` of the last OutputDevices() runs at by itself (a sound server's
    // rate, a card's preferred one), or 0 when it names none. Playing at that rate spares a
    // conversion and its delay.
    virtual uint32_t PreferredRate(size_t /*index*/) const { return 0; }
    // Opens and starts device `index` of OutputDevices() for 2 channels at `rate` if it can,
    // else at the rate the device runs at (as with a sound server), which it returns.
    // `periodFrames` is a wish; throws AudioError.
    virtual uint32_t Start(size_t index, uint32_t rate, size_t periodFrames, Callback callback) = 0;
    // Stops and closes the stream; the callback is not running afterwards. Throws AudioError.
    virtual void Stop() = 0;
};

} // namespace vorpline
