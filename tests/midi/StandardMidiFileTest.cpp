#include "midi/StandardMidiFile.h"
#include "support/MidiBytes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace vorpline {
namespace {

using namespace midibytes;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

StandardMidiFile ParseBytes(const Bytes& bytes) {
    return StandardMidiFile::Parse(bytes, "t.mid");
}

std::string ErrorOf(const Bytes& bytes) {
    try {
        ParseBytes(bytes);
    } catch (const MidiFileError& e) {
        return e.what();
    }
    return "(no error)";
}

// Each event as "track:status data1 data2 @seconds tick".
std::vector<std::string> Lines(const StandardMidiFile& midi) {
    std::vector<std::string> lines;
    for (const MidiEvent& e : midi.Events()) {
        char line[80];
        std::snprintf(line, sizeof line, "%u:%02X %u %u @%.15g %llu", e.track, e.status, e.data1,
                      e.data2, e.seconds, static_cast<unsigned long long>(e.tick));
        lines.emplace_back(line);
    }
    return lines;
}

TEST(StandardMidiFileTest, Format0ReadsEveryChannelMessageKindAtDefaultTempo) {
    const Bytes file = File(0, 480,
                            {Track({{0, {0x90, 60, 100}},
                                    {480, {0x80, 60, 64}},
                                    {0, {0xA1, 61, 30}},
                                    {240, {0xB2, 7, 90}},
                                    {0, {0xC3, 5}},
                                    {0, {0xD4, 77}},
                                    {960, {0xE5, 0x00, 0x40}}})});
    const StandardMidiFile midi = ParseBytes(file);
    EXPECT_EQ(std::tuple(midi.Format(), midi.TrackCount(), midi.TicksPerQuarter()),
              std::tuple(0, 1, 480));
    EXPECT_THAT(Lines(midi),
                ElementsAre("0:90 60 100 @0 0", "0:80 60 64 @0.5 480", "0:A1 61 30 @0.5 480",
                            "0:B2 7 90 @0.75 720", "0:C3 5 0 @0.75 720", "0:D4 77 0 @0.75 720",
                            "0:E5 0 64 @1.75 1680"));
    EXPECT_DOUBLE_EQ(midi.DurationSeconds(), 1.75);
}

TEST(StandardMidiFileTest, RunningStatusRepeatsStatusAndKeepsVelocityZeroNoteOn) {
    // Running status also survives the meta and sysex events in between; a note-on with
    // velocity 0 stays a note-on; a program change takes one data byte under running status.
    const Bytes file = File(0, 96,
                            {Track({{0, {0x91, 60, 90}},
                                    {0, {62, 91}},
                                    {0, {0xFF, 0x01, 0x02, 'h', 'i'}},
                                    {0, {0xF0, 0x03, 0x7E, 0x01, 0xF7}},
                                    {96, {60, 0}},
                                    {0, {0xC1, 9}},
                                    {0, {10}}})});
    EXPECT_THAT(Lines(ParseBytes(file)),
                ElementsAre("0:91 60 90 @0 0", "0:91 62 91 @0 0", "0:91 60 0 @0.5 96",
                            "0:C1 9 0 @0.5 96", "0:C1 10 0 @0.5 96"));
}

TEST(StandardMidiFileTest, Format1MergesTracksStablyAndAppliesTempoFromAnyTrack) {
    // 480 ticks per quarter; track 2 halves the quarter note at tick 960. At the same tick
    // (960) track order decides.
    const Bytes file =
        File(1, 480,
             {Track({{0, Tempo(500000)}}),
              Track({{480, {0x90, 60, 100}}, {480, {0x80, 60, 0}}, {480, {0x90, 62, 100}}}),
              Track({{960, Tempo(250000)}, {0, {0x91, 70, 80}}, {960, {0x81, 70, 0}}})});
    const StandardMidiFile midi = ParseBytes(file);
    EXPECT_EQ(midi.Format(), 1);
    EXPECT_EQ(midi.TrackCount(), 3);
    EXPECT_THAT(Lines(midi),
                ElementsAre("1:90 60 100 @0.5 480", "1:80 60 0 @1 960", "2:91 70 80 @1 960",
                            "1:90 62 100 @1.25 1440", "2:81 70 0 @1.5 1920"));
    EXPECT_DOUBLE_EQ(midi.DurationSeconds(), 1.5);
}

TEST(StandardMidiFileTest, SmpteDivisionUsesFixedTickLengthAndSkipsForeignChunks) {
    // -25 frames per second, 40 ticks per frame: 1000 ticks per second whatever the tempo.
    Bytes file = Header(0, 1, 0xE728);
    Append(file, Chunk("XFIH", {1, 2, 3}));
    Append(file, Track({{0, Tempo(100000)}, {1500, {0x90, 60, 1}}}));
    const StandardMidiFile midi = ParseBytes(file);
    EXPECT_EQ(midi.TicksPerQuarter(), 0);
    ASSERT_EQ(midi.Events().size(), 1u);
    EXPECT_DOUBLE_EQ(midi.Events()[0].seconds, 1.5);

    const Bytes dropFrame = File(0, 0xE350, {Track({{2997, {0x90, 1, 1}}})}); // -29, 80
    EXPECT_NEAR(ParseBytes(dropFrame).Events()[0].seconds, 2997.0 / (80 * 30000.0 / 1001.0), 1e-12);
}

TEST(StandardMidiFileTest, LoadReadsFilesAndNamesThemInErrors) {
    const std::string path = ::testing::TempDir() + "/smf-" + std::to_string(::getpid()) + ".mid";
    const Bytes bytes = File(0, 96, {Track({{96, {0x90, 60, 100}}})});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    const StandardMidiFile midi = StandardMidiFile::Load(path);
    std::remove(path.c_str());
    ASSERT_EQ(midi.Events().size(), 1u);
    EXPECT_DOUBLE_EQ(midi.Events()[0].seconds, 0.5);

    EXPECT_THAT([&] { StandardMidiFile::Load(path); },
                ::testing::ThrowsMessage<MidiFileError>(HasSubstr(path + ": cannot open")));
}

TEST(StandardMidiFileTest, MalformedFilesGiveClearErrors) {
    const Bytes good = File(1, 96, {Track({{0, {0x90, 60, 100}}}), Track({{0, {0x80, 60, 0}}})});
    // One track chunk holding exactly these bytes, or these bytes where the chunk should be.
    auto chunk = [](const Bytes& body) {
        Bytes file = Header(0, 1, 96);
        Append(file, Chunk("MTrk", body));
        return file;
    };
    auto raw = [](const Bytes& tail) {
        Bytes file = Header(0, 1, 96);
        Append(file, tail);
        return file;
    };
    const std::vector<std::pair<Bytes, std::string>> cases = {
        {{}, "t.mid: empty file"},
        {{'M', 'T', 'h', 'd', 0, 0}, "no MThd header"},
        {{'R', 'I', 'F', 'F', 0, 0, 0, 4, 'W', 'A', 'V', 'E'}, "no MThd header"},
        {{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0}, "truncated header chunk"},
        {File(2, 96, {Track({})}), "format 2"},
        {File(0, 0, {Track({})}), "division of 0"},
        {Header(0, 1, 96), "file ends before track chunk 1 of 1"},
        {Bytes(good.begin(), good.end() - 3), "truncated track chunk 2"},
        {raw({'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xF0, 0x00}), "truncated track chunk 1"},
        {raw({0x00, 0x01, 0x02, 0x03, 0, 0, 0, 0}), "garbage where a chunk should start"},
        {File(0, 96, {Track({{0, {60, 100}}})}), "data byte 0x3C without a preceding status"},
        {chunk({0x81, 0x82, 0x83, 0x84, 0x05, 0x90, 60, 1}), "longer than 4 bytes"},
        {chunk({0x00, 0x90, 60}), "runs past the end of the track chunk"},
        {File(0, 96, {Track({{0, {0x90, 0x91, 1}}})}), "status byte 0x91 where a data byte"},
        {File(0, 96, {Track({{0, {0xF4}}})}), "unexpected status byte 0xF4"},
        {chunk({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1}), "tempo event of 2 bytes"},
        {chunk({0x00, 0xFF, 0x01, 0x7F, 'x'}), "meta event of 127 bytes runs past"},
        {File(0, 0xE528, {Track({})}), "unsupported SMPTE frame rate 27"},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        const std::string error = ErrorOf(bytes);
        EXPECT_THAT(error, HasSubstr(message));
        EXPECT_EQ(error.rfind("t.mid: ", 0), 0u) << error;
    }
}

// Hostile input must end in a MidiFileError or a sane result, never a crash or another
// exception; run under the sanitizers this also proves nothing is read out of bounds.
void ParseHostile(const Bytes& bytes) {
    try {
        const StandardMidiFile midi = ParseBytes(bytes);
        const auto& e = midi.Events();
        for (size_t i = 1; i < e.size(); ++i) {
            ASSERT_LE(e[i - 1].seconds, e[i].seconds);
            ASSERT_LE(e[i - 1].tick, e[i].tick);
        }
        for (const MidiEvent& event : e) {
            ASSERT_GE(event.status, 0x80);
            ASSERT_LT(event.status, 0xF0);
            ASSERT_LT(event.data1, 0x80);
            ASSERT_LT(event.data2, 0x80);
        }
    } catch (const MidiFileError&) {
    }
}

TEST(StandardMidiFileTest, RandomAndMutatedInputNeverCrashes) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 300; ++i) {
        Bytes bytes(std::uniform_int_distribution<size_t>(0, 200)(random));
        for (uint8_t& b : bytes) {
            b = uint8_t(byte(random));
        }
        if (i % 2 == 0 && bytes.size() >= 14) { // half of them get past the header check
            const Bytes header = Header(uint16_t(i % 4 == 0 ? 0 : 1), 1, 96);
            std::copy(header.begin(), header.end(), bytes.begin());
        }
        ParseHostile(bytes);
    }

    const Bytes valid = File(1, 96,
                             {Track({{0, Tempo(400000)}, {0, {0xFF, 0x03, 0x01, 'a'}}}),
                              Track({{0, {0x90, 60, 100}},
                                     {10, {62, 100}},
                                     {0, {0xF0, 0x02, 0x01, 0xF7}},
                                     {200, {0xB0, 7, 100}},
                                     {0, {0xE0, 0, 64}},
                                     {0x12345, {0x80, 60, 0}}})});
    ASSERT_EQ(ParseBytes(valid).Events().size(), 5u);
    for (int i = 0; i < 600; ++i) {
        Bytes bytes = valid;
        const int edits = 1 + i % 4;
        for (int k = 0; k < edits; ++k) {
            const size_t at = std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random);
            switch (random() % 3) {
            case 0:
                bytes[at] = uint8_t(byte(random));
                break;
            case 1:
                bytes.erase(bytes.begin() + long(at));
                break;
            default:
                bytes.insert(bytes.begin() + long(at), uint8_t(byte(random)));
                break;
            }
        }
        if (i % 5 == 0) {
            bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size())(random));
        }
        ParseHostile(bytes);
    }
}

} // namespace
} // namespace vorpline
