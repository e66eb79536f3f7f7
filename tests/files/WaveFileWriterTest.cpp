#include "files/WaveFileWriter.h"
#include "files/WaveFileReader.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vorpline {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;

// Throws a std::runtime_error whose text is `message` (a string or a string matcher).
template <typename Message> auto Fails(Message message) {
    return ::testing::ThrowsMessage<std::runtime_error>(message);
}

class WaveFileWriterTest : public ::testing::Test {
protected:
    Bytes FileBytes() const {
        const std::string text = test::TempDir::Read(path);
        return {text.begin(), text.end()};
    }

    static Bytes ExpectedHeader(uint32_t rate, uint32_t riffSize, uint32_t dataSize) {
        auto u32 = [](uint32_t v) {
            return Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
        };
        Bytes h{'R', 'I', 'F', 'F'};
        for (const Bytes& part : {u32(riffSize), Bytes{'W', 'A', 'V', 'E', 'f', 'm', 't', ' '},
                                  u32(16), Bytes{1, 0, 2, 0}, u32(rate), u32(rate * 4),
                                  Bytes{4, 0, 16, 0, 'd', 'a', 't', 'a'}, u32(dataSize)}) {
            h.insert(h.end(), part.begin(), part.end());
        }
        return h;
    }

    test::TempDir dir;
    std::string path = dir.File("wave.wav");
};

TEST_F(WaveFileWriterTest, HeaderHoldsUnknownSizesWhileRecordingAndRealSizesAfterClose) {
    WaveFileWriter writer;
    writer.Open(path, 49716);
    const int16_t frames[] = {1, -1, 0x1234, -0x1234, 32767, -32768};
    writer.Append(frames, 3);

    Bytes bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 44u + 12u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 44),
              ExpectedHeader(49716, 0xFFFFFFFF, 0xFFFFFFFF));
    const Bytes samples{0x01, 0x00, 0xFF, 0xFF, 0x34, 0x12, 0xCC, 0xED, 0xFF, 0x7F, 0x00, 0x80};
    EXPECT_EQ(Bytes(bytes.begin() + 44, bytes.end()), samples);

    writer.Append(frames, 1);
    EXPECT_EQ(writer.dataBytes(), 16u);
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 44u + 16u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 44), ExpectedHeader(49716, 16 + 36, 16));
}

TEST_F(WaveFileWriterTest, RoundTripsThroughTheReader) {
    std::vector<int16_t> samples(2 * 3000); // spans several internal write blocks
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = int16_t(i * 7919 % 65536 - 32768);
    }
    WaveFileWriter writer;
    writer.Open(path, 44100);
    writer.Append(samples.data(), 1000);
    writer.Append(samples.data() + 2000, 2000);
    writer.Close();

    const WaveFileReader reader = WaveFileReader::Load(path);
    EXPECT_EQ(reader.SampleRate(), 44100u);
    EXPECT_EQ(reader.FrameCount(), 3000u);
    EXPECT_EQ(reader.Samples(), samples);

    writer.Open(path, 22050); // replaces the file
    writer.Close();
    const WaveFileReader empty = WaveFileReader::Load(path);
    EXPECT_EQ(empty.SampleRate(), 22050u);
    EXPECT_EQ(empty.FrameCount(), 0u);
}

TEST_F(WaveFileWriterTest, FailuresCarryTheirStepText) {
    WaveFileWriter writer;
    EXPECT_THAT([&] { writer.Open("/nonexistent-directory/out.wav", 44100); },
                Fails("Failed to create wave output file"));
    EXPECT_FALSE(writer.IsOpen());
    if (::access("/dev/full", W_OK) == 0) { // every write there fails with "disk full"
        EXPECT_THAT([&] { writer.Open("/dev/full", 44100); },
                    Fails("Wave file output write failed [1]"));
        EXPECT_FALSE(writer.IsOpen());
    }

    const int16_t frame[2] = {0, 0};
    EXPECT_THROW(writer.Append(frame, 1), std::logic_error);
    writer.Open(path, 44100);
    EXPECT_THROW(writer.Open(path, 44100), std::logic_error);
}

TEST_F(WaveFileWriterTest, ReaderRejectsUnfinishedAndForeignFiles) {
    {
        WaveFileWriter writer;
        writer.Open(path, 44100);
        const int16_t frame[2] = {5, 6};
        writer.Append(frame, 1);
    } // destroyed without Close
    EXPECT_EQ(FileBytes().size(), 48u);
    EXPECT_THAT([&] { WaveFileReader::Load(path); }, Fails(HasSubstr("unfinished recording")));

    Bytes valid = ExpectedHeader(44100, 36 + 4, 4);
    valid.insert(valid.end(), {1, 0, 2, 0});
    EXPECT_EQ(WaveFileReader::Parse(valid, "v.wav").Samples(), (std::vector<int16_t>{1, 2}));

    auto changed = [&valid](size_t at, uint8_t value) {
        Bytes bytes = valid;
        bytes[at] = value;
        return bytes;
    };
    Bytes oddData = ExpectedHeader(44100, 36 + 2, 2);
    oddData.insert(oddData.end(), {1, 0});
    const std::pair<Bytes, const char*> damaged[] = {
        {{}, "w.wav: not a RIFF WAVE file"},
        {Bytes(valid.begin(), valid.end() - 1), "does not match"},
        {changed(22, 1), "not 16-bit stereo PCM"}, // mono
        {changed(34, 8), "not 16-bit stereo PCM"}, // 8 bits
        {changed(28, valid[28] ^ 1), "inconsistent rate"},
        {oddData, "not whole frames"},
        {changed(40, 8), "'data' chunk runs past the end"}};
    for (const auto& file : damaged) {
        EXPECT_THAT([&] { WaveFileReader::Parse(file.first, "w.wav"); },
                    Fails(HasSubstr(file.second)));
    }
}

} // namespace
} // namespace vorpline
