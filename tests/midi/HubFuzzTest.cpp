#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <random>

#include "midi/HubFixture.h"

namespace vorpline::test {
namespace {

// Whatever arrives, in whatever order, each part's count is the number of its busy voices, the
// panel shows it, and every sounding note has its voice. (A voice need not be its note's only
// one: a note pressed twice without a release sounds on two voices until released twice.)
// A register number of 0x200 or above would throw out of the engine; the writes that reach the
// chip are checked for their bank as well.
//
// 80,000 events over the seeds in the normal suite; the sanitizer run asks for a million with
// VORPLINE_HUB_EVENTS.
constexpr std::array<uint32_t, 4> kSeeds = {1u, 2u, 3u, 0xC0FFEEu};

int StepsPerSeed() {
    const char* text = std::getenv("VORPLINE_HUB_EVENTS");
    const long events = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return static_cast<int>((events > 0 ? events : 80'000) / static_cast<long>(kSeeds.size()));
}

class HubFuzz : public HubFixture, public ::testing::WithParamInterface<uint32_t> {
protected:
    HubFuzz() : rng(GetParam()) {
        chip.ApplyPatch(SustainedPatch(), Ext());
        hub.peers.Connect(map);
        hub.peers.Connect(clock);
        form.ComboBoxPreset.SetItems({"Default", "One", "Two"});
        for (int op : {0, 3, 5}) {
            form.FrameOps[static_cast<size_t>(op)]->CheckBoxCC.SetChecked(true);
        }
    }

    uint8_t Byte() { return static_cast<uint8_t>(rng()); }
    int Below(int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); }

    // Mostly messages the parts listen to, with every other byte value mixed in.
    void RandomMidi() {
        uint8_t status =
            Below(3) == 0 ? Byte() : static_cast<uint8_t>(0x80 + Below(7) * 16 + Below(2));
        hub.ShortEvent(PackEvent(status, Byte(), Byte()), rng());
    }
    void RandomInternal() {
        static constexpr uint8_t kMarkers[] = {MessageHub::kFromProgram, MessageHub::kGlide56, 0x01,
                                               0x80};
        uint8_t marker = kMarkers[Below(4)];
        uint32_t param = Below(2) == 0 ? static_cast<uint32_t>(Below(10) << 8 | Below(8)) : rng();
        hub.ShortEvent(PackEvent(Byte(), Byte(), Byte(), marker), param);
    }
    // The user changes what the hub reads from the panel.
    void RandomPanel() {
        int part = Below(2);
        PartPanel p = form.Panel(part);
        switch (Below(5)) {
        case 0:
            p.mode.UserSelect(Below(p.mode.Count()));
            break;
        case 1:
            p.priority.UserSelect(Below(p.priority.Count()));
            break;
        case 2:
            p.midiChannel.UserSelect(Below(3));
            break;
        case 3:
            (Below(2) == 0 ? p.low : p.high).UserSelect(Below(11));
            break;
        default:
            form.ComboBoxTranspose.UserType(std::to_string(Below(20001) - 10000));
            break;
        }
    }

    // Only registers the chip has, then forgotten: a million events would fill memory.
    void ExpectLegalWrites(int step) {
        for (const auto& write : backend.writes) {
            ASSERT_TRUE(write.bank == 0 || write.bank == 1) << "step " << step;
        }
        backend.writes.clear();
    }

    void ExpectConsistent(int step) {
        for (int part : {0, 1}) {
            const VoicePart& p = chip.Part(part);
            int busy = 0;
            for (int v = 0; v < 6; ++v) {
                const VoicePart::VoiceSlot& voice = p.Voice(v);
                if (!voice.busy) {
                    continue;
                }
                ++busy;
                ASSERT_LT(v, p.Limit()) << "step " << step;
                ASSERT_LT(voice.note, 128) << "step " << step;
            }
            ASSERT_EQ(p.Count(), busy) << "part " << part << " step " << step;
            ASSERT_EQ(Notes(part), std::to_string(busy)) << "part " << part << " step " << step;
            for (int n = 0; n < 128; ++n) {
                if (p.Note(n).state == VoicePart::kSounding) {
                    const VoicePart::VoiceSlot& voice = p.Voice(p.Note(n).voice);
                    ASSERT_TRUE(voice.busy && voice.note == n) << "note " << n << " step " << step;
                }
            }
        }
    }

    std::mt19937 rng;
    FixedCcMap map;
    ::testing::NiceMock<MockClock> clock;
};

TEST_P(HubFuzz, RandomEventsKeepThePartsConsistent) {
    const int steps = StepsPerSeed();
    for (int step = 0; step < steps; ++step) {
        int kind = Below(100);
        if (kind < 55) {
            RandomMidi();
        } else if (kind < 85) {
            RandomInternal();
        } else if (kind < 90) {
            RandomPanel();
        } else if (kind < 97) {
            timers.AdvanceBy(Below(30)); // portamento ticks come back through the hub
        } else {
            hub.Dispatch(0x3B0 + static_cast<uint32_t>(Below(0x20)), rng(), rng());
        }
        ExpectConsistent(step);
        if (step % 1024 == 0 || step == steps - 1) {
            ExpectLegalWrites(step);
        }
        if (HasFatalFailure()) {
            return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, HubFuzz, ::testing::ValuesIn(kSeeds));

} // namespace
} // namespace vorpline::test
