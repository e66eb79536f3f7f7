#include "files/WaveFileWriter.h"
#include "files/WaveFileReader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorpline {
namespace {

using Bytes = std::vector<uint8_t>;
using ::testing::HasSubstr;

class WaveFileWriterTest : public ::testing::Test {
protected:
    void TearDown() override { std::remove(path.c_str()); }

    Bytes FileBytes() const {
        Bytes bytes;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (!f) {
            ADD_FAILURE() << "cannot read " << path;
            return bytes;
        }
        int c;
        while ((c = std::fgetc(f)) != EOF) {
            bytes.push_back(uint8_t(c));
        }
        std::fclose(f);
        return bytes;
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

    std::string path = ::testing::TempDir() + "/wave-" + std::to_string(::getpid()) + ".wav";
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
    try {
        writer.Open("/nonexistent-directory/out.wav", 44100);
        FAIL() << "opened a file in a missing directory";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Failed to create wave output file");
    }
    EXPECT_FALSE(writer.IsOpen());

    if (::access("/dev/full", W_OK) == 0) { // every write there fails with "disk full"
        try {
            writer.Open("/dev/full", 44100);
            FAIL() << "header write to /dev/full succeeded";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Wave file output write failed [1]");
        }
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
    try {
        WaveFileReader::Load(path);
        FAIL() << "unfinished recording accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("unfinished recording"));
    }

    Bytes valid = ExpectedHeader(44100, 36 + 4, 4);
    valid.insert(valid.end(), {1, 0, 2, 0});
    EXPECT_EQ(WaveFileReader::Parse(valid, "v.wav").Samples(), (std::vector<int16_t>{1, 2}));

    auto errorOf = [](Bytes bytes) -> std::string {
        try {
            WaveFileReader::Parse(bytes, "w.wav");
        } catch (const std::runtime_error& e) {
            return e.what();
        }
        return "(no error)";
    };
    Bytes mono = valid;
    mono[22] = 1;
    Bytes eightBit = valid;
    eightBit[34] = 8;
    Bytes badRate = valid;
    badRate[28] ^= 1;
    Bytes oddData = ExpectedHeader(44100, 36 + 2, 2);
    oddData.insert(oddData.end(), {1, 0});
    Bytes longData = valid;
    longData[40] = 8;
    EXPECT_THAT(errorOf({}), HasSubstr("w.wav: not a RIFF WAVE file"));
    EXPECT_THAT(errorOf(Bytes(valid.begin(), valid.end() - 1)), HasSubstr("does not match"));
    EXPECT_THAT(errorOf(mono), HasSubstr("not 16-bit stereo PCM"));
    EXPECT_THAT(errorOf(eightBit), HasSubstr("not 16-bit stereo PCM"));
    EXPECT_THAT(errorOf(badRate), HasSubstr("inconsistent rate"));
    EXPECT_THAT(errorOf(oddData), HasSubstr("not whole frames"));
    EXPECT_THAT(errorOf(longData), HasSubstr("'data' chunk runs past the end"));
}

} // namespace
} // namespace vorpline
