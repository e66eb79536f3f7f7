#include "files/VgmWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <limits>

namespace vorpline {

namespace {

// The 1.51 header is 0x80 bytes; every field not listed stays zero (no other chip, no tag block
// at 0x14, no loop at 0x1C/0x20, rate 0 at 0x24, no volume or loop modifiers at 0x7C..0x7F).
// All fields little-endian:
//   0x00  "Vgm "
//   0x04  end-of-file offset, relative to 0x04 (file size - 4), patched by Close
//   0x08  version, BCD: 0x00000151
//   0x18  total samples, patched by Close
//   0x34  data offset, relative to 0x34: 0x80 - 0x34 = 0x4C
//   0x5C  YMF262 clock in Hz
constexpr size_t kHeaderSize = 0x80;
constexpr size_t kEofOffset = 0x04;
constexpr size_t kVersionOffset = 0x08;
constexpr size_t kTotalSamplesOffset = 0x18;
constexpr size_t kDataOffsetOffset = 0x34;
constexpr size_t kYmf262ClockOffset = 0x5C;
constexpr uint32_t kVersion = 0x151;

constexpr uint8_t kBank0 = 0x5E;
constexpr uint8_t kBank1 = 0x5F;
constexpr uint8_t kWait = 0x61;      // nn nn: 1..65535 samples
constexpr uint8_t kWait735 = 0x62;   // one frame at 60 Hz
constexpr uint8_t kWait882 = 0x63;   // one frame at 50 Hz
constexpr uint8_t kWaitShort = 0x70; // 0x7n: n + 1 samples
constexpr uint8_t kEnd = 0x66;
constexpr size_t kBlockBytes = 1 << 16;

void PutU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

VgmWriter::VgmWriter(const std::string& path, uint32_t timeRate, uint64_t maxBytes)
    : path(path), timeRate(std::max<uint32_t>(1, timeRate)), maxBytes(maxBytes),
      file(std::fopen(path.c_str(), "wb")) {
    if (file == nullptr) {
        throw std::runtime_error("Cannot create VGM file " + path + ": " + std::strerror(errno));
    }
    buffer.reserve(kBlockBytes);
    std::array<uint8_t, kHeaderSize> header{};
    std::memcpy(header.data(), "Vgm ", 4);
    PutU32(&header[kVersionOffset], kVersion);
    PutU32(&header[kDataOffsetOffset], kHeaderSize - kDataOffsetOffset);
    PutU32(&header[kYmf262ClockOffset], kYmf262Clock);
    Append(header.data(), header.size());
}

VgmWriter::~VgmWriter() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

uint64_t VgmWriter::SampleAt(uint64_t time, uint32_t timeRate) {
    if (time > std::numeric_limits<uint64_t>::max() / kSampleRate) {
        return std::numeric_limits<uint64_t>::max();
    }
    return (time * kSampleRate + timeRate - 1) / timeRate;
}

void VgmWriter::AppendWait(std::vector<uint8_t>& out, uint64_t count) {
    while (count > 0) {
        if (count <= 16) {
            out.push_back(static_cast<uint8_t>(kWaitShort + count - 1));
            return;
        }
        if (count == 735 || count == 882) {
            out.push_back(count == 735 ? kWait735 : kWait882);
            return;
        }
        const auto n = static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF));
        out.insert(out.end(), {kWait, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8)});
        count -= n;
    }
}

void VgmWriter::Write(uint64_t time, uint16_t reg, uint8_t value) {
    if (file == nullptr) {
        return;
    }
    WaitUntil(time);
    const std::array<uint8_t, 3> command{(reg & 0x100) ? kBank1 : kBank0, static_cast<uint8_t>(reg),
                                         value};
    Append(command.data(), command.size());
}

void VgmWriter::Close(uint64_t time) {
    if (file == nullptr) {
        return;
    }
    WaitUntil(time);
    Finish();
}

void VgmWriter::WaitUntil(uint64_t time) {
    const uint64_t target = SampleAt(time, timeRate);
    if (target <= samples) {
        return;
    }
    if (target > kMaxSamples) {
        Stop("it would last longer than 2^32 samples (about 27 hours)");
    }
    wait.clear();
    AppendWait(wait, target - samples);
    Append(wait.data(), wait.size());
    samples = target;
}

void VgmWriter::Append(const uint8_t* data, size_t count) {
    // One byte stays free for the end marker.
    if (bytes + count + 1 > maxBytes) {
        Stop("it would grow past 4 GiB");
    }
    buffer.insert(buffer.end(), data, data + count);
    bytes += count;
    if (buffer.size() >= kBlockBytes) {
        Flush();
    }
}

void VgmWriter::Flush() {
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), file) != buffer.size()) {
        Fail("write");
    }
    buffer.clear();
}

void VgmWriter::Finish() {
    buffer.push_back(kEnd);
    ++bytes;
    Flush();
    std::array<uint8_t, 4> field{};
    PutU32(field.data(), static_cast<uint32_t>(bytes - kEofOffset));
    bool failed =
        std::fseek(file, kEofOffset, SEEK_SET) != 0 || std::fwrite(field.data(), 1, 4, file) != 4;
    PutU32(field.data(), static_cast<uint32_t>(samples));
    failed = failed || std::fseek(file, kTotalSamplesOffset, SEEK_SET) != 0 ||
             std::fwrite(field.data(), 1, 4, file) != 4;
    if (failed) {
        Fail("finish");
    }
    std::FILE* done = file;
    file = nullptr;
    if (std::fclose(done) != 0) {
        throw std::runtime_error("Cannot write VGM file " + path + ": " + std::strerror(errno));
    }
}

void VgmWriter::Stop(const std::string& why) {
    Finish();
    throw LimitReached("VGM recording " + path + " stopped: " + why);
}

void VgmWriter::Fail(const std::string& step) {
    const int error = errno;
    std::fclose(file);
    file = nullptr;
    throw std::runtime_error("Cannot " + step + " VGM file " + path + ": " + std::strerror(error));
}

} // namespace vorpline
