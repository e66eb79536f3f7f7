#include "output/OfflineChip.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "output/RegisterLog.h"

namespace vorpline {

OfflineChip::OfflineChip(uint32_t outputRate, Sink sink, RegisterLog* log)
    : outputRate(outputRate), sink(std::move(sink)), log(log),
      resampler(YMF262::kNativeRate, outputRate), chipBlock(2 * kBlockFrames),
      outBlock(2 * resampler.MaxOutputFrames(kBlockFrames)) {
    if (emulator.Init(1, YMF262::kClock, YMF262::kNativeRate) != YMF262::kInitOk) {
        throw std::runtime_error("Failed to init YMF262.DLL");
    }
    emulator.ResetChip(0);
}

uint64_t OfflineChip::ChipFrameAt(double seconds) {
    return static_cast<uint64_t>(std::llround(std::max(0.0, seconds) * YMF262::kNativeRate));
}

uint64_t OfflineChip::OutputFrame() const {
    return (position * outputRate + YMF262::kNativeRate - 1) / YMF262::kNativeRate;
}

void OfflineChip::Write(uint8_t port, uint8_t value) {
    if ((port & 1) == 0) {
        latchedRegister = static_cast<uint16_t>((port & 2 ? 0x100 : 0) | value);
    } else if (log != nullptr) {
        log->Log(OutputFrame(), latchedRegister, value);
    }
    emulator.Write(0, port, value);
}

void OfflineChip::RenderUntil(uint64_t target) {
    while (position < target) {
        size_t frames = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, target - position));
        emulator.UpdateOne(0, chipBlock.data(), frames);
        for (size_t i = 0; i < frames; ++i) {
            bool silent = std::abs(chipBlock[2 * i]) <= kSilenceLevel &&
                          std::abs(chipBlock[2 * i + 1]) <= kSilenceLevel;
            silentFrames = silent ? silentFrames + 1 : 0;
        }
        size_t out = resampler.Process(chipBlock.data(), frames, outBlock.data(),
                                       outBlock.size() / 2);
        if (out > 0) {
            sink(outBlock.data(), out);
        }
        position += frames;
    }
}

void OfflineChip::Finish() {
    while (size_t out = resampler.Flush(outBlock.data(), outBlock.size() / 2)) {
        sink(outBlock.data(), out);
    }
}

} // namespace vorpline
