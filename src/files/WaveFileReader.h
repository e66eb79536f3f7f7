#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorpline {

// Reads back a finished 16-bit stereo PCM WAVE file, as WaveFileWriter makes them: for tests
// and for checking rendered output. Chunks other than "fmt " and "data" are skipped; anything
// else (other sample formats, inconsistent sizes, a recording whose size fields were never
// written) throws std::runtime_error with a one-line message starting with the file name.
// Immutable after construction, so any thread may read it.
class WaveFileReader {
public:
    static WaveFileReader Load(const std::string& path);
    // Parses an in-memory file; error messages start with `name`.
    static WaveFileReader Parse(std::span<const uint8_t> bytes, std::string_view name);

    uint32_t SampleRate() const { return sampleRate; }
    size_t FrameCount() const { return samples.size() / 2; }
    // Interleaved left, right.
    const std::vector<int16_t>& Samples() const { return samples; }

private:
    WaveFileReader() = default;

    uint32_t sampleRate = 0;
    std::vector<int16_t> samples;
};

} // namespace vorpline
