#pragma once
#include <cstdint>

namespace vorpline {

// The data and control lines of a PC parallel port. Control values are at *logic level*
// (nStrobe, nAutoFd and nSelectIn as the signal names say, the hardware inversion of
// control-register bits 0, 1 and 3 already undone), which is how libieee1284 presents them.
// ParallelBackend translates its raw register values to this form in one place.
class ParallelLines {
public:
    virtual ~ParallelLines() = default;
    virtual void WriteData(uint8_t value) = 0;
    virtual uint8_t ReadData() = 0;
    virtual void WriteControl(uint8_t logicValue) = 0;
    virtual uint8_t ReadControl() = 0;
};

} // namespace vorpline
