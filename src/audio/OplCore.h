#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace vorpline {

// One emulation of the chip's register file and output, as YMF262 drives it: registers by
// their 9-bit number (bank in bit 8), output as interleaved stereo frames at 49716 Hz. The
// threading rules are YMF262's.
class OplCore {
public:
    virtual ~OplCore() = default;
    // All registers 0, OPL2 compatibility mode, silence.
    virtual void Reset() = 0;
    virtual void WriteRegister(uint16_t reg, uint8_t value) = 0;
    virtual void Generate(int16_t* frames, size_t count) = 0;
};

// Both return null when memory runs out.
std::unique_ptr<OplCore> MakeAccurateOplCore();
std::unique_ptr<OplCore> MakeFastOplCore();

} // namespace vorpline
