#include "files/VgmRecorder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace vorpline {
namespace {

struct FakeChip : EmulatorPort {
    void Write(uint8_t port, uint8_t value) override { sent.push_back({port, value}); }
    std::vector<std::pair<uint8_t, uint8_t>> sent;
};

using Event = std::tuple<uint64_t, uint16_t, uint8_t>; // sample, register, value

// The register writes of a VGM file with their samples; the total samples last.
std::vector<Event> Parse(const std::string& file, uint64_t& total) {
    std::vector<Event> events;
    uint64_t t = 0;
    auto at = [&](size_t i) { return static_cast<uint8_t>(file[i]); };
    for (size_t i = 0x80; i < file.size() && at(i) != 0x66;) {
        const uint8_t c = at(i);
        if (c == 0x5E || c == 0x5F) {
            events.emplace_back(t, (c == 0x5F ? 0x100 : 0) | at(i + 1), at(i + 2));
            i += 3;
        } else if (c == 0x61) {
            t += at(i + 1) | at(i + 2) << 8;
            i += 3;
        } else {
            t += c == 0x62 ? 735 : c == 0x63 ? 882 : c - 0x6F;
            i += 1;
        }
    }
    total = at(0x18) | at(0x19) << 8 | at(0x1A) << 16 | uint64_t{at(0x1B)} << 24;
    return events;
}

TEST(VgmRecorder, ARecordingOpensOnTheChipAsItIsAndFollowsTheClock) {
    test::TempDir dir;
    FakeChip chip;
    uint64_t ms = 0;
    VgmRecorder recorder(
        chip, [&] { return ms; }, 1000);
    auto write = [&](uint16_t reg, uint8_t value) {
        recorder.Write(reg & 0x100 ? 2 : 0, static_cast<uint8_t>(reg));
        recorder.Write(reg & 0x100 ? 3 : 1, value);
    };
    write(0x1B0, 0x32);
    write(0x105, 0x01);
    write(0x0A0, 0x41);
    ms = 500;
    ASSERT_EQ(recorder.Start(dir.File("live.vgm")), "");
    ms = 600;
    write(0x0B0, 0x20);
    ms = 1500;
    EXPECT_EQ(recorder.Stop(), "");
    write(0x0B0, 0x00); // after the recording
    EXPECT_EQ(chip.sent.size(), 10u) << "every byte reaches the chip";

    uint64_t total = 0;
    const auto events = Parse(test::TempDir::Read(dir.File("live.vgm")), total);
    EXPECT_EQ(total, 44100u);
    ASSERT_EQ(events.size(), 512u - 3 + 1) << "all registers but the timers', then the note";
    EXPECT_EQ(events[0], Event(0, 0x105, 0x01));
    EXPECT_EQ(events[1], Event(0, 0x104, 0x00));
    for (const Event& e :
         {Event(0, 0x0A0, 0x41), Event(0, 0x1B0, 0x32), Event(4410, 0x0B0, 0x20)}) {
        EXPECT_NE(std::find(events.begin(), events.end(), e), events.end()) << std::get<1>(e);
    }
    for (const auto& [sample, reg, value] : events) {
        EXPECT_FALSE(reg >= 0x02 && reg <= 0x04) << reg;
    }
}

TEST(VgmRecorder, FailuresEndTheRecordingWithAMessageAndTheChipPlaysOn) {
    test::TempDir dir;
    FakeChip chip;
    uint64_t ms = 0;
    VgmRecorder recorder(
        chip, [&] { return ms; }, 1000);
    EXPECT_NE(recorder.Start("/nonexistent/x.vgm").find("/nonexistent/x.vgm"), std::string::npos);
    EXPECT_FALSE(recorder.Recording());

    ASSERT_EQ(recorder.Start(dir.File("long.vgm")), "");
    ms = 28ull * 3600 * 1000; // past 2^32 samples
    recorder.Write(0, 0xB0);
    recorder.Write(1, 0x20);
    EXPECT_FALSE(recorder.Recording());
    EXPECT_NE(recorder.Error().find("2^32"), std::string::npos) << recorder.Error();
    EXPECT_EQ(chip.sent.size(), 2u);
    EXPECT_EQ(recorder.Stop(), "");
}

} // namespace
} // namespace vorpline
