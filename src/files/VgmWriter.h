#pragma once
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorpline {

// Records register writes for one YMF262 as a VGM file (version 1.51), the chip's music
// exchange format: commands 0x5E (bank 0) / 0x5F (bank 1) "aa dd", waits in samples of
// 44100 Hz, end marker 0x66, no loop and no tag block.
//
// The caller counts time in ticks of its own clock (`timeRate` per second: 49716 for the
// software chip's frames, 44100 for VGM samples). A tick count t is sample ceil(t * 44100 /
// timeRate), always computed from the absolute count, so no rounding error builds up.
//
// Commands are buffered and written in blocks; Close() writes the end marker and patches the
// end-of-file offset and total samples into the header. Failures throw std::runtime_error
// naming the file. A file that is never closed has both fields zero. Single thread.
class VgmWriter {
public:
    static constexpr uint32_t kSampleRate = 44100;
    static constexpr uint32_t kYmf262Clock = 14318180;
    // The 32-bit sample count and file offsets of the format.
    static constexpr uint64_t kMaxSamples = 0xFFFFFFFFull;
    static constexpr uint64_t kMaxBytes = 0xFFFFFFFFull;

    // The recording reached the format's size or length limit. The file was finished with
    // everything before that point; later writes are ignored.
    class LimitReached : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    // Creates or replaces `path` (throws if it cannot). `maxBytes` is the largest file made.
    VgmWriter(const std::string& path, uint32_t timeRate, uint64_t maxBytes = kMaxBytes);
    ~VgmWriter();
    VgmWriter(const VgmWriter&) = delete;
    VgmWriter& operator=(const VgmWriter&) = delete;

    // Register `reg` (bit 8 = bank 1, bits 0..7 = address) takes `value` at tick `time`.
    // A time before the previous write's counts as the previous write's.
    void Write(uint64_t time, uint16_t reg, uint8_t value);
    // Ends the recording at tick `time` (the song's length). Does nothing when closed already.
    void Close(uint64_t time);

    static uint64_t SampleAt(uint64_t time, uint32_t timeRate);
    // Appends the shortest wait commands for `samples` samples of 44100 Hz to `out`.
    static void AppendWait(std::vector<uint8_t>& out, uint64_t samples);

    uint64_t Samples() const { return samples; }
    bool IsOpen() const { return file != nullptr; }

private:
    void WaitUntil(uint64_t time);
    void Append(const uint8_t* bytes, size_t count);
    void Flush();
    void Finish();
    [[noreturn]] void Stop(const std::string& why);
    [[noreturn]] void Fail(const std::string& step);

    std::string path;
    uint32_t timeRate;
    uint64_t maxBytes;
    std::FILE* file = nullptr;
    std::vector<uint8_t> buffer;
    std::vector<uint8_t> wait;
    uint64_t bytes = 0;   // file size so far, buffered bytes included
    uint64_t samples = 0; // samples of wait so far
};

} // namespace vorpline
