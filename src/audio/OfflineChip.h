#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/EmulatorPort.h"
#include "audio/ConversionThread.h"
#include "audio/YMF262.h"

namespace vorpline {

class RegisterLog;
class VgmWriter;

// The software chip played faster than real time: register writes go straight into the
// emulator between rendered blocks, and the audio is rendered on demand at the chip's own
// rate, converted to the output rate and handed to a sink (the wave file). Conversion and sink
// run on a thread of their own, one block behind the chip.
//
// Time is counted in chip frames (49716 per second). A write made when the chip has rendered
// c frames is heard from output frame ceil(c * outputRate / 49716), which is the frame the
// register log stamps it with. A VGM recording gets each write at chip frame c, converted to
// its own samples. Single thread.
class OfflineChip : public EmulatorPort {
public:
    using Sink = std::function<void(const int16_t* frames, size_t frameCount)>;

    OfflineChip(uint32_t outputRate, Sink sink, RegisterLog* log = nullptr,
                VgmWriter* vgm = nullptr, EmulatorCore core = EmulatorCore::kAccurate);

    static uint64_t ChipFrameAt(double seconds);

    void Write(uint8_t port, uint8_t value) override;

    // Renders the chip up to (not including) chip frame `target`.
    void RenderUntil(uint64_t target);
    // Ends the stream: the converter's tail goes to the sink. Rethrows a sink's failure, as
    // does RenderUntil.
    void Finish();

    uint64_t ChipPosition() const { return position; }
    uint64_t OutputFrame() const;
    // Chip frames at the end of what was rendered in which both channels stayed silent.
    uint64_t TrailingSilentFrames() const { return silentFrames; }

private:
    void CountTrailingSilence(size_t frames);

    static constexpr size_t kBlockFrames = ConversionThread::kBlockFrames;
    // A fully attenuated operator still outputs -1 or 0 on the real chip, and eighteen channels
    // of them sum to a few units: anything this small counts as silence (about -72 dBFS).
    static constexpr int kSilenceLevel = 8;

    uint32_t outputRate;
    RegisterLog* log;
    VgmWriter* vgm;
    YMF262 emulator;
    ConversionThread conversion;
    uint16_t latchedRegister = 0;
    uint64_t position = 0;
    uint64_t silentFrames = 0;
    std::vector<int16_t> chipBlock;
};

} // namespace vorpline
