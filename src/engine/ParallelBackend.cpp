#include "engine/ParallelBackend.h"

#include <stdexcept>
#include <string>

namespace vorpline {

namespace {

constexpr uint8_t kSelectAddress = 0x01;
constexpr uint8_t kStrobeHigh = 0x04;
constexpr uint8_t kSelectBank0 = 0x08;

} // namespace

ParallelBackend::ParallelBackend(ParallelLines& lines, uint16_t preDelay, uint16_t postDelay)
    : lines(lines), preDelay(preDelay), postDelay(postDelay) {}

void ParallelBackend::Write(int bank, uint8_t address, uint8_t value, uint16_t extraDelay) {
    if (bank != 0 && bank != 1) {
        throw std::out_of_range("Chip bank must be 0 or 1, got " + std::to_string(bank));
    }
    const uint8_t bankBits = bank == 0 ? kSelectBank0 : 0;
    Cycle(bankBits | kSelectAddress, address, preDelay, postDelay);
    Cycle(bankBits, value, preDelay, uint32_t{postDelay} + extraDelay);
}

void ParallelBackend::Cycle(uint8_t control, uint8_t data, uint32_t setupReads,
                            uint32_t holdReads) {
    const uint8_t idle = control | kStrobeHigh;
    lines.WriteData(data);
    ReadDataTimes(setupReads);
    lines.WriteControl(ControlRawToLogic(idle));
    ReadControlTimes(setupReads);
    lines.WriteControl(ControlRawToLogic(control));
    ReadControlTimes(setupReads);
    lines.WriteControl(ControlRawToLogic(idle));
    ReadControlTimes(holdReads);
}

void ParallelBackend::ReadDataTimes(uint32_t reads) {
    for (uint32_t i = 0; i < reads; ++i) {
        lines.ReadData();
    }
}

void ParallelBackend::ReadControlTimes(uint32_t reads) {
    for (uint32_t i = 0; i < reads; ++i) {
        lines.ReadControl();
    }
}

} // namespace vorpline
