#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vorpline {

// Records 16-bit stereo PCM into a RIFF WAVE file with the classic 44-byte header.
//
// While recording, both size fields (RIFF size at offset 4, data size at offset 40) hold
// 0xFFFFFFFF; Close() patches them to dataBytes + 36 and dataBytes. A file that is never
// closed (crash, or the writer destroyed without Close) keeps the 0xFFFFFFFF markers, which
// tells readers the recording was cut short.
//
// Samples go straight to the file without user-space buffering, so everything appended so far
// survives if the program dies. Every failure throws std::runtime_error with a fixed
// text naming the step, e.g. "Wave file output write failed [9]"; after a failure in Open or
// Close the writer is closed.
// No shared state: one instance belongs to one thread at a time (typically a writer thread),
// and separate instances may be used from different threads at once.
class WaveFileWriter {
public:
    // Largest data chunk the 32-bit size fields can describe.
    static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

    WaveFileWriter() = default;
    ~WaveFileWriter(); // closes the file without patching the size fields
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // Creates or replaces `path` and writes the header for `sampleRate` frames per second.
    // Throws std::logic_error if a file is already open.
    void Open(const std::string& path, uint32_t sampleRate);
    // Appends interleaved frames (left, right) in host order; written little-endian.
    // Throws std::logic_error if no file is open and std::runtime_error if the data would
    // outgrow kMaxDataBytes.
    void Append(const int16_t* frames, size_t frameCount);
    // Writes the final sizes and closes the file. Does nothing if no file is open.
    void Close();

    bool IsOpen() const { return fd >= 0; }
    // Sample bytes appended since Open (4 per frame).
    uint64_t dataBytes() const { return dataByteCount; }

private:
    void WriteOrThrow(const void* bytes, size_t size, int step);
    void WriteU32OrThrow(uint32_t value, int step);
    [[noreturn]] void Abandon(const char* message);

    int fd = -1;
    uint64_t dataByteCount = 0;
};

} // namespace vorpline
