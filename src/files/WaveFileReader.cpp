#include "files/WaveFileReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "platform/FileBytes.h"

namespace vorpline {

namespace {

constexpr uint32_t kUnknownSize = 0xFFFFFFFF;

[[noreturn]] void Fail(std::string_view name, const std::string& what) {
    throw std::runtime_error(std::string(name) + ": " + what);
}

uint16_t GetU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t GetU32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

} // namespace

WaveFileReader WaveFileReader::Load(const std::string& path) {
    // 16-bit stereo at 192 kHz for over an hour; anything larger is not one of ours.
    constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;
    FileBytes file = ReadFileBytes(path, kMaxFileBytes + 1);
    if (!file) {
        Fail(path, file.error);
    }
    if (file.bytes.size() > kMaxFileBytes) {
        Fail(path, "larger than 1 GiB");
    }
    return Parse(file.bytes, path);
}

WaveFileReader WaveFileReader::Parse(std::span<const uint8_t> bytes, std::string_view name) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        Fail(name, "not a RIFF WAVE file");
    }
    const uint32_t riffSize = GetU32(bytes.data() + 4);
    if (riffSize == kUnknownSize) {
        Fail(name, "unfinished recording (size fields never written)");
    }
    if (riffSize != bytes.size() - 8) {
        Fail(name, "RIFF size " + std::to_string(riffSize) + " does not match file size " +
                       std::to_string(bytes.size()));
    }

    WaveFileReader reader;
    bool haveFormat = false;
    size_t pos = 12;
    while (pos < bytes.size()) {
        if (bytes.size() - pos < 8) {
            Fail(name, "truncated chunk header at byte " + std::to_string(pos));
        }
        const uint8_t* chunk = bytes.data() + pos;
        const std::string type(chunk, chunk + 4);
        const uint32_t length = GetU32(chunk + 4);
        if (length > bytes.size() - pos - 8) {
            Fail(name, "'" + type + "' chunk runs past the end of the file");
        }
        const uint8_t* body = chunk + 8;
        if (type == "fmt ") {
            if (length < 16) {
                Fail(name, "format chunk of " + std::to_string(length) + " bytes");
            }
            const uint16_t tag = GetU16(body);
            const uint16_t channels = GetU16(body + 2);
            const uint32_t rate = GetU32(body + 4);
            const uint32_t byteRate = GetU32(body + 8);
            const uint16_t blockAlign = GetU16(body + 12);
            const uint16_t bits = GetU16(body + 14);
            if (tag != 1 || channels != 2 || bits != 16 || blockAlign != 4) {
                Fail(name, "not 16-bit stereo PCM (tag " + std::to_string(tag) + ", " +
                               std::to_string(channels) + " channels, " + std::to_string(bits) +
                               " bits)");
            }
            if (rate == 0 || byteRate != uint64_t{rate} * 4) {
                Fail(name, "inconsistent rate " + std::to_string(rate) + " / " +
                               std::to_string(byteRate) + " bytes per second");
            }
            reader.sampleRate = rate;
            haveFormat = true;
        } else if (type == "data") {
            if (!haveFormat) {
                Fail(name, "data chunk before the format chunk");
            }
            if (length % 4 != 0) {
                Fail(name, "data size " + std::to_string(length) + " is not whole frames");
            }
            reader.samples.resize(length / 2);
            for (size_t i = 0; i < reader.samples.size(); ++i) {
                reader.samples[i] = static_cast<int16_t>(GetU16(body + 2 * i));
            }
            return reader;
        }
        // Chunks are padded to an even length.
        pos += 8 + size_t{length} + (length & 1);
    }
    Fail(name, haveFormat ? "no data chunk" : "no format chunk");
}

} // namespace vorpline
