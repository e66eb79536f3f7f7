#include "audio/ConversionThread.h"

namespace vorpline {

ConversionThread::ConversionThread(uint32_t inRate, uint32_t outRate, Sink sink)
    : resampler(inRate, outRate), sink(std::move(sink)),
      out(2 * resampler.MaxOutputFrames(kBlockFrames)),
      worker(
          [this](const int16_t* frames, size_t count) {
              if (size_t n = resampler.Process(frames, count, out.data(), out.size() / 2)) {
                  this->sink(out.data(), n);
              }
          },
          [this] {
              while (size_t n = resampler.Flush(out.data(), out.size() / 2)) {
                  this->sink(out.data(), n);
              }
          }) {}

} // namespace vorpline
