#include "ui/TFormMonitor.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "engine/FNumberTable.h"
#include "engine/OPL3.h"
#include "files/VgmRecordingBackend.h"
#include "platform/VirtualTimerService.h"
#include "support/RecordingBackend.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

struct Shadow {
    std::array<uint8_t, 512> regs{};
    std::array<uint32_t, 512> writes{};
    TFormMonitor::RegisterReader Reader() {
        return [this](uint16_t reg) { return regs[reg]; };
    }
    TFormMonitor::WriteCounter Counter() {
        return [this](uint16_t reg) { return writes[reg]; };
    }
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(TFormMonitor, DecodesChannelsAndOperators) {
    const FNumber a4 = FNumberTable().Compute(69, 0);
    struct Case {
        std::vector<std::pair<uint16_t, uint8_t>> writes;
        bool channel; // else operator
        int index;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {{{0xA0, a4.low}, {0xB0, static_cast<uint8_t>(0x20 | a4.blockBits | a4.high)}},
         true,
         0,
         {"Ch  1 ", "key on", "block 4", "A4"}},
        {{{0x1A8, a4.low}, {0x1B8, static_cast<uint8_t>(a4.blockBits | a4.high)}},
         true,
         17,
         {"Ch 18", "key off", "A4"}},
        {{}, true, 0, {"F 0", "  -  "}},
        {{{0x104, 0x09}}, true, 0, {"4-op with 4"}},
        {{{0x104, 0x09}}, true, 12, {"4-op, 2nd half of 10"}},
        {{{0xBD, 0x30}}, true, 6, {"rhythm BD struck"}},
        {{{0xBD, 0x20}}, true, 8, {"rhythm TT CY"}},
        {{{0x6B, 0xF4}, {0x8B, 0x27}, {0x4B, 0x91}, {0xEB, 0x05}},
         false,
         7, // offset 0x0B: the carrier of channel 4
         {"Ch  4 op 2", "AR 15", "DR 4", "SL 2", "RR 7", "TL 17", "KSL 2", "wave 5"}},
    };
    for (const Case& c : cases) {
        Shadow shadow;
        for (const auto& [reg, value] : c.writes) {
            shadow.regs[reg] = value;
        }
        TFormMonitor form(shadow.Reader(), nullptr);
        const std::string& text =
            c.channel ? form.ChannelText(c.index) : form.OperatorText(c.index);
        for (const std::string& part : c.shown) {
            EXPECT_TRUE(Has(text, part)) << text << " lacks " << part;
        }
    }
}

TEST(TFormMonitor, AChangeIsHighlightedAndFadesOverASecond) {
    Shadow shadow;
    TFormMonitor form(shadow.Reader(), nullptr);
    form.Refresh();
    EXPECT_EQ(form.Age(0x1A0), TFormMonitor::kNeverChanged);
    shadow.regs[0x1A0] = 0x44;
    form.Refresh();
    EXPECT_EQ(form.Value(0x1A0), 0x44);
    EXPECT_EQ(form.Highlight(0x1A0), 1.0);
    double last = 1.0;
    for (int i = 1; i <= TFormMonitor::kFadeRefreshes; ++i) {
        form.Refresh();
        EXPECT_EQ(form.Age(0x1A0), i);
        EXPECT_LT(form.Highlight(0x1A0), last);
        last = form.Highlight(0x1A0);
    }
    EXPECT_EQ(last, 0.0);
    EXPECT_EQ(form.Highlight(0x0A0), 0.0);
}

TEST(TFormMonitor, ARewriteOfTheSameValueIsHighlightedToo) {
    Shadow shadow;
    TFormMonitor form(shadow.Reader(), nullptr, shadow.Counter());
    form.Refresh();
    ++shadow.writes[0xB0];
    form.Refresh();
    EXPECT_EQ(form.Highlight(0xB0), 1.0);
    EXPECT_EQ(form.Highlight(0xB1), 0.0);
}

// The registers a VGM file writes, in order (OPL3 commands only: 0x5E bank 0, 0x5F bank 1).
std::vector<std::pair<uint16_t, uint8_t>> VgmWrites(const std::string& file) {
    std::vector<std::pair<uint16_t, uint8_t>> writes;
    auto at = [&](std::size_t i) { return static_cast<uint8_t>(file[i]); };
    for (std::size_t i = 0x80; i + 2 < file.size() && at(i) != 0x66;) {
        if (at(i) == 0x5E || at(i) == 0x5F) {
            writes.emplace_back((at(i) == 0x5F ? 0x100 : 0) | at(i + 1), at(i + 2));
        }
        i += at(i) == 0x5E || at(i) == 0x5F || at(i) == 0x61 ? 3 : 1;
    }
    return writes;
}

TEST(TFormMonitor, RecordsWhatReachesTheChipFromTheRegistersAsTheyAre) {
    test::TempDir dir;
    test::RecordingBackend hardware;
    VirtualTimerService timers;
    VgmRecordingBackend tap(hardware, [&timers] { return timers.NowMs(); });
    OPL3 engine(tap, timers, {});
    engine.WriteRegister(0x1A3, 0x55);
    TFormMonitor form([&engine](uint16_t reg) { return engine.ReadRegister(reg); },
                      &tap.Recorder());

    form.EditFile.SetText("");
    form.ButtonRecord.Click();
    EXPECT_EQ(form.ButtonRecord.Caption(), "Record");
    form.EditFile.SetText(dir.File("live.vgm"));
    form.ButtonRecord.Click();
    EXPECT_EQ(form.ButtonRecord.Caption(), "Stop");
    EXPECT_FALSE(form.EditFile.Enabled());
    timers.AdvanceBy(100);
    engine.WriteRegister(0xB2, 0x31);
    form.ButtonRecord.Click();
    EXPECT_EQ(form.ButtonRecord.Caption(), "Record");
    EXPECT_TRUE(Has(form.LabelStatus.Caption(), "Saved"));
    EXPECT_EQ(hardware.ValuesOf(0xB2).back(), 0x31) << "the chip still hears it";

    const auto writes = VgmWrites(test::TempDir::Read(dir.File("live.vgm")));
    ASSERT_FALSE(writes.empty());
    const auto find = [&](uint16_t reg, uint8_t value) {
        for (std::size_t i = 0; i < writes.size(); ++i) {
            if (writes[i] == std::pair<uint16_t, uint8_t>(reg, value)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    EXPECT_GE(find(0x1A3, 0x55), 0) << "opens on the registers as they were";
    EXPECT_EQ(find(0xB2, 0x31), static_cast<int>(writes.size()) - 1);

    form.EditFile.SetText(dir.File("no/such/folder/x.vgm"));
    form.ButtonRecord.Click();
    EXPECT_EQ(form.ButtonRecord.Caption(), "Record");
    EXPECT_FALSE(form.LabelStatus.Caption().empty());
}

} // namespace
} // namespace vorpline
