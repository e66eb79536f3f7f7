#pragma once
#include <cstdint>
#include <vector>

#include "audio/RegisterQueue.h"
#include "audio/Resampler.h"
#include "audio/YMF262.h"

namespace vorpline {

// The live software chip at an output rate: renders the chip at 49716 Hz in small fixed
// chunks, applying queued register writes before each, and converts to the output rate.
// Render gives exactly the frames asked for. After construction nothing allocates: the
// converter is run in with the fixed chunk size it will always get.
//
// A write queued before Render is heard about 1 ms into the frames that Render returns (at
// most 2 ms at 44100 Hz and above, 100 frames at lower rates): whatever the converter had
// already made from earlier chunks comes first, then its filter's delay. Both grow with the
// chunk, so chunks are short.
// Rendering thread only (after construction).
class ChipStream {
public:
    // Frames at 49716 Hz (0.3 ms). Four times as long adds about 25 output frames of latency
    // on average; the cost of the extra calls is small next to the emulation itself.
    static constexpr size_t kChipChunk = 16;
    // Chunks fed to a new converter before use: it sizes its internal buffers in its first
    // few hundred calls, which must not happen on the audio thread.
    static constexpr int kRunIn = 1024;

    ChipStream(YMF262& chip, RegisterQueue& registers, uint32_t rate, size_t maxFrames);

    void Render(int16_t* out, size_t frames);
    uint32_t Rate() const { return rate; }

private:
    YMF262& chip;
    RegisterQueue& registers;
    uint32_t rate;
    Resampler resampler;
    std::vector<int16_t> chunk;
    std::vector<int16_t> fifo; // converted frames not yet handed out
    size_t fifoFrames = 0;
};

} // namespace vorpline
