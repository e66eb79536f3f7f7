#pragma once
#include "engine/ParallelLines.h"

#include <cstdint>
#include <memory>

struct parport;
struct parport_list;

namespace vorpline {

// ParallelLines on a real port through libieee1284, which picks ppdev, /dev/port or direct
// I/O as the system allows. The port is claimed for the object's whole life, so other
// programs (printer daemons) stay off it meanwhile. Main thread only.
class Ieee1284ParallelLines final : public ParallelLines {
public:
    // Finds the port whose base I/O address is `base` (e.g. 0x378), opens and claims it.
    // Throws std::runtime_error naming the address if it is absent or cannot be opened or
    // claimed.
    explicit Ieee1284ParallelLines(uint16_t base);
    ~Ieee1284ParallelLines() override;

    Ieee1284ParallelLines(const Ieee1284ParallelLines&) = delete;
    Ieee1284ParallelLines& operator=(const Ieee1284ParallelLines&) = delete;

    void WriteData(uint8_t value) override;
    // The reads throw std::runtime_error if the library cannot read the register back.
    uint8_t ReadData() override;
    void WriteControl(uint8_t logicValue) override;
    uint8_t ReadControl() override;

private:
    struct PortListDeleter {
        void operator()(parport_list* list) const;
    };

    uint16_t base;
    std::unique_ptr<parport_list, PortListDeleter> ports;
    parport* port = nullptr;
};

} // namespace vorpline
