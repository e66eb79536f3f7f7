#include "audio/ChipStream.h"

#include <algorithm>
#include <stdexcept>

namespace vorpline {

ChipStream::ChipStream(YMF262& chip, RegisterQueue& registers, uint32_t rate, size_t maxFrames)
    : chip(chip), registers(registers), rate(rate),
      resampler(YMF262::kNativeRate, rate, Resampler::Pace::kLive), chunk(2 * kChipChunk),
      fifo(2 * (maxFrames + 2 * resampler.MaxOutputFrames(kChipChunk))) {
    // Run the converter in: it sizes its internal buffers during the first calls.
    std::vector<int16_t> scratch(2 * resampler.MaxOutputFrames(kChipChunk));
    for (int i = 0; i < kRunIn; ++i) {
        resampler.Process(chunk.data(), kChipChunk, scratch.data(), scratch.size() / 2);
    }
}

void ChipStream::Render(int16_t* out, size_t frames) {
    while (fifoFrames < frames) {
        registers.DrainInto(chip);
        chip.UpdateOne(0, chunk.data(), kChipChunk);
        size_t capacity = fifo.size() / 2 - fifoFrames;
        fifoFrames += resampler.Process(chunk.data(), kChipChunk, &fifo[2 * fifoFrames], capacity);
    }
    std::copy(fifo.begin(), fifo.begin() + static_cast<std::ptrdiff_t>(2 * frames), out);
    std::copy(fifo.begin() + static_cast<std::ptrdiff_t>(2 * frames),
              fifo.begin() + static_cast<std::ptrdiff_t>(2 * fifoFrames), fifo.begin());
    fifoFrames -= frames;
}

} // namespace vorpline
