#pragma once
#include <cstddef>
#include <cstdint>

namespace vorpline {

// An effect on rendered audio, in place: interleaved signed 16-bit stereo frames. Runs on the
// thread that renders (the audio thread in thread mode): no locks, no allocation.
class AudioProcessor {
public:
    virtual ~AudioProcessor() = default;
    virtual void Process(int16_t* frames, size_t count) = 0;
};

} // namespace vorpline
