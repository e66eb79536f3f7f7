#include "files/VgmRecorder.h"

#include <exception>

#include "files/VgmWriter.h"

namespace vorpline {

namespace {

// Registers replayed at the start of a recording, in this order: 0x105 (OPL3 mode) first, as
// it decides how the chip reads the rest, then 0x104 (four-operator pairs), then the others
// bank by bank in address order, so frequencies are in place before the key-on bits of
// 0xB0..0xB8. The timer and interrupt registers (0x02..0x04 of bank 0) are left out.
bool Replayed(uint16_t reg) {
    return reg != 0x105 && reg != 0x104 && !(reg >= 0x02 && reg <= 0x04);
}

} // namespace

VgmRecorder::VgmRecorder(EmulatorPort& chip, std::function<uint64_t()> now, uint32_t rate)
    : chip(chip), now(std::move(now)), rate(rate) {}

VgmRecorder::~VgmRecorder() {
    Stop();
}

void VgmRecorder::Write(uint8_t port, uint8_t value) {
    chip.Write(port, value);
    if ((port & 1) == 0) {
        latched = static_cast<uint16_t>((port & 2 ? 0x100 : 0) | value);
        return;
    }
    registers[latched] = value;
    if (writer) {
        Record(Elapsed(), latched, value);
    }
}

uint64_t VgmRecorder::Elapsed() const {
    const uint64_t t = now();
    return t > startTime ? t - startTime : 0;
}

void VgmRecorder::Record(uint64_t time, uint16_t reg, uint8_t value) {
    try {
        writer->Write(time, reg, value);
    } catch (const std::exception& e) {
        error = e.what();
        writer.reset();
    }
}

std::string VgmRecorder::Start(const std::string& path) {
    Stop();
    error.clear();
    try {
        writer = std::make_unique<VgmWriter>(path, rate);
    } catch (const std::exception& e) {
        return e.what();
    }
    startTime = now();
    Record(0, 0x105, registers[0x105]);
    Record(0, 0x104, registers[0x104]);
    for (uint16_t reg = 0; reg < registers.size() && writer; ++reg) {
        if (Replayed(reg)) {
            Record(0, reg, registers[reg]);
        }
    }
    return writer ? std::string() : error;
}

std::string VgmRecorder::Stop() {
    if (!writer) {
        return {};
    }
    try {
        writer->Close(Elapsed());
    } catch (const std::exception& e) {
        error = e.what();
    }
    writer.reset();
    return error;
}

bool VgmRecorder::Recording() const {
    return writer != nullptr;
}

} // namespace vorpline
