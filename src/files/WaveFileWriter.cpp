#include "files/WaveFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace vorpline {

namespace {

constexpr uint32_t kUnknownSize = 0xFFFFFFFF;
constexpr uint32_t kFmtChunkBytes = 16;
constexpr uint16_t kChannels = 2;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint16_t kBlockAlign = kChannels * kBitsPerSample / 8;
constexpr off_t kRiffSizeOffset = 4;
constexpr off_t kDataSizeOffset = 40;
// RIFF size = everything after the RIFF size field: "WAVE", the fmt chunk, the data header.
constexpr uint32_t kRiffOverhead = 36;
// Frames converted to little-endian per write in Append; the staging block lives on the stack.
constexpr size_t kAppendBlockFrames = 1024;

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

std::string WriteFailure(int step) {
    return "Wave file output write failed [" + std::to_string(step) + "]";
}

// Writes all of `size` bytes, resuming after partial writes and signals. False when the
// system refuses more (disk full, I/O error).
bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, bytes, size);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return false;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

} // namespace

WaveFileWriter::~WaveFileWriter() {
    if (fd >= 0) {
        ::close(fd);
    }
}

void WaveFileWriter::Open(const std::string& path, uint32_t sampleRate) {
    if (fd >= 0) {
        throw std::logic_error("Wave file output already open");
    }
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw std::runtime_error("Failed to create wave output file");
    }
    dataByteCount = 0;

    uint8_t format[16];
    PutU16(format + 0, 1); // PCM
    PutU16(format + 2, kChannels);
    PutU32(format + 4, sampleRate);
    PutU32(format + 8, sampleRate * kBlockAlign);
    PutU16(format + 12, kBlockAlign);
    PutU16(format + 14, kBitsPerSample);

    WriteOrThrow("RIFF", 4, 1);
    WriteU32OrThrow(kUnknownSize, 2);
    WriteOrThrow("WAVE", 4, 3);
    WriteOrThrow("fmt ", 4, 4);
    WriteU32OrThrow(kFmtChunkBytes, 5);
    WriteOrThrow(format, sizeof format, 6);
    WriteOrThrow("data", 4, 7);
    WriteU32OrThrow(kUnknownSize, 8);
}

void WaveFileWriter::Append(const int16_t* frames, size_t frameCount) {
    if (fd < 0) {
        throw std::logic_error("Wave file output not open");
    }
    if (frameCount > (kMaxDataBytes - dataByteCount) / kBlockAlign) {
        throw std::runtime_error("Wave file output too large (4 GiB limit)");
    }
    uint8_t block[kAppendBlockFrames * kBlockAlign];
    size_t done = 0;
    while (done < frameCount) {
        const size_t count = std::min(kAppendBlockFrames, frameCount - done);
        for (size_t i = 0; i < count * kChannels; ++i) {
            PutU16(block + 2 * i, static_cast<uint16_t>(frames[done * kChannels + i]));
        }
        if (!WriteAll(fd, block, count * kBlockAlign)) {
            throw std::runtime_error(WriteFailure(9));
        }
        done += count;
        dataByteCount += count * kBlockAlign;
    }
}

void WaveFileWriter::Close() {
    if (fd < 0) {
        return;
    }
    const auto dataSize = static_cast<uint32_t>(dataByteCount);
    if (::lseek(fd, kRiffSizeOffset, SEEK_SET) != kRiffSizeOffset) {
        Abandon("Wave file output seek failed [1]");
    }
    WriteU32OrThrow(dataSize + kRiffOverhead, 10);
    if (::lseek(fd, kDataSizeOffset, SEEK_SET) != kDataSizeOffset) {
        Abandon("Wave file output seek failed [2]");
    }
    WriteU32OrThrow(dataSize, 11);
    const int closing = fd;
    fd = -1;
    if (::close(closing) != 0) {
        throw std::runtime_error("Wave file output close failed");
    }
}

void WaveFileWriter::WriteOrThrow(const void* bytes, size_t size, int step) {
    if (!WriteAll(fd, static_cast<const uint8_t*>(bytes), size)) {
        Abandon(WriteFailure(step).c_str());
    }
}

void WaveFileWriter::WriteU32OrThrow(uint32_t value, int step) {
    uint8_t bytes[4];
    PutU32(bytes, value);
    WriteOrThrow(bytes, sizeof bytes, step);
}

void WaveFileWriter::Abandon(const char* message) {
    ::close(fd);
    fd = -1;
    throw std::runtime_error(message);
}

} // namespace vorpline
