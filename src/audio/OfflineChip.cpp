#include "audio/OfflineChip.h"

#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "files/RegisterLog.h"
#include "files/VgmWriter.h"

namespace vorpline {

OfflineChip::OfflineChip(uint32_t outputRate, Sink sink, RegisterLog* log, VgmWriter* vgm,
                         EmulatorCore core)
    : outputRate(outputRate), log(log), vgm(vgm), emulator(core),
      conversion(YMF262::kNativeRate, outputRate, std::move(sink)), chipBlock(2 * kBlockFrames) {
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
    } else {
        if (log != nullptr) {
            log->Log(OutputFrame(), latchedRegister, value);
        }
        if (vgm != nullptr) {
            vgm->Write(position, latchedRegister, value);
        }
    }
    emulator.Write(0, port, value);
}

void OfflineChip::RenderUntil(uint64_t target) {
    while (position < target) {
        size_t frames = static_cast<size_t>(std::min<uint64_t>(kBlockFrames, target - position));
        emulator.UpdateOne(0, chipBlock.data(), frames);
        CountTrailingSilence(frames);
        conversion.Push(chipBlock.data(), frames);
        position += frames;
    }
}

void OfflineChip::CountTrailingSilence(size_t frames) {
    // Scanned from the end: while the chip sounds, the first sample looked at ends the scan.
    size_t quiet = 0;
    while (quiet < frames) {
        size_t i = 2 * (frames - 1 - quiet);
        if (std::abs(chipBlock[i]) > kSilenceLevel || std::abs(chipBlock[i + 1]) > kSilenceLevel) {
            break;
        }
        ++quiet;
    }
    silentFrames = quiet == frames ? silentFrames + quiet : quiet;
}

void OfflineChip::Finish() {
    conversion.Finish();
}

} // namespace vorpline
