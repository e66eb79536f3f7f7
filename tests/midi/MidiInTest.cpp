#include "midi/MidiIn.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <utility>

#include "platform/VirtualTimerService.h"
#include "support/AllocationCounter.h"
#include "support/FakeMidiPortSystem.h"

namespace vorpline::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

class MidiInput : public ::testing::Test {
protected:
    explicit MidiInput(bool useWindow = false)
        : midiIn(
              ports, timers, useWindow,
              [this](const std::string& message) { errors.push_back(message); },
              [this](std::chrono::milliseconds pause) { pauses.push_back(pause.count()); }) {
        midiIn.onEvent = [this](uint32_t packed, uint32_t stamp) {
            events.emplace_back(packed, stamp);
        };
        ports.ports = {"Keys:out", "Pads:out"};
    }

    // The port system's own thread delivers the messages. Returns the heap calls it made: it may
    // be JACK's real-time thread, which must stay off the heap.
    int64_t SendFromInputThread(std::vector<uint32_t> messages) {
        int64_t allocations = -1;
        std::thread input([&] {
            AllocationScope heap;
            for (uint32_t packed : messages) {
                ports.Send(packed);
            }
            allocations = heap.Count();
        });
        input.join();
        return allocations;
    }

    FakeMidiPortSystem ports;
    VirtualTimerService timers;
    std::vector<std::string> errors;
    std::vector<long> pauses;
    std::vector<std::pair<uint32_t, uint32_t>> events;
    MidiIn midiIn;
};

class MidiInputWindowMode : public MidiInput {
protected:
    MidiInputWindowMode() : MidiInput(true) {}
};

TEST(MidiInErrors, SuffixNamesEveryMultimediaErrorAndNumbersTheRest) {
    std::string suffixes;
    for (int code : {0, 1, 2, 5, 8, 11, 13, 20, 21, 22, -3}) {
        suffixes += MidiIn::ErrorSuffix(code);
    }
    EXPECT_EQ(suffixes, " [ERROR] [BADDEVICEID] [INVALHANDLE] [NOTSUPPORTED] [INVALPARAM]"
                        " [INVALIDALIAS] [NODRIVERCB] [MOREDATA] [22] [-3]");
}

TEST(MidiInPacking, ShortMessagesPackLowByteFirstAndLongOnesAreRefused) {
    const unsigned char bytes[] = {0x91, 0x3C, 0x64, 0xF0};
    uint32_t packed = 0xDEADBEEF;
    for (auto [length, expected] : {std::pair{3u, 0x00643C91u}, {2u, 0x00003C91u}, {1u, 0x91u}}) {
        ASSERT_TRUE(PackShortMessage(bytes, length, packed)) << length;
        EXPECT_EQ(packed, expected);
    }
    EXPECT_FALSE(PackShortMessage(bytes, 4, packed));
    EXPECT_FALSE(PackShortMessage(bytes, 0, packed));
    EXPECT_EQ(packed, 0x91u) << "a refused message leaves the last one";
}

TEST_F(MidiInput, DeviceListStartsWithNoInputAndSortsIgnoringCase) {
    ports.ports = {"zeta:out", "", "Alpha:out", "beta:out"};
    std::vector<std::string> list{"stale"};
    EXPECT_EQ(midiIn.BuildDeviceList(list, false), 4);
    EXPECT_THAT(list, ElementsAre("No midi input", "zeta:out", "Alpha:out", "beta:out"));
    EXPECT_EQ(midiIn.BuildDeviceList(list, true), 4);
    EXPECT_THAT(list, ElementsAre("No midi input", "Alpha:out", "beta:out", "zeta:out"));

    ports.ports.clear();
    EXPECT_EQ(midiIn.BuildDeviceList(list, true), 1);
    EXPECT_THAT(list, ElementsAre("No midi input"));
}

TEST_F(MidiInput, OpensThePortOfTheNameEvenPastAnUnreadableOne) {
    ports.ports = {"Keys:out", "", "Pads:out"};
    EXPECT_TRUE(midiIn.Open("Pads:out"));
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_EQ(ports.openPort, 2u);
    EXPECT_THAT(ports.calls, ElementsAre("Open 2", "Start"));
    EXPECT_THAT(errors, IsEmpty());
}

TEST_F(MidiInput, OpenRefusesWhatIsNoDevice) {
    EXPECT_FALSE(midiIn.Open("No midi input"));
    EXPECT_FALSE(midiIn.Open("Gone:out"));
    EXPECT_THAT(errors, ElementsAre("Midi input invalid", "Midi input not found"));
    EXPECT_THAT(ports.calls, IsEmpty());

    ASSERT_TRUE(midiIn.Open("Keys:out"));
    EXPECT_TRUE(midiIn.Open("Pads:out"));
    EXPECT_EQ(errors.back(), "Midi input already open");
    EXPECT_EQ(ports.Count("Open 1"), 0u);
}

TEST_F(MidiInput, FailedOpenIsReportedWithTheErrorName) {
    ports.openResult = kMidiBadDeviceId;
    EXPECT_FALSE(midiIn.Open("Keys:out"));
    EXPECT_FALSE(midiIn.IsOpen());
    EXPECT_THAT(errors, ElementsAre("Failed to open midi input [BADDEVICEID]"));
    EXPECT_THAT(ports.calls, ElementsAre("Open 0"));
}

TEST_F(MidiInput, FailedStartReleasesThePortStepByStep) {
    ports.startResult = kMidiNoDriver;
    ports.stopResult = kMidiInvalidHandle;
    EXPECT_FALSE(midiIn.Open("Keys:out"));
    EXPECT_THAT(ports.calls, ElementsAre("Open 0", "Start", "Stop", "Reset", "Close"));
    EXPECT_THAT(errors, ElementsAre("Failed to start midi input [NODRIVER]",
                                    "Failed to stop midi input [INVALHANDLE]"));
}

TEST_F(MidiInput, FailedStartWhoseCloseFailsLeavesThePortOpen) {
    ports.startResult = kMidiError;
    ports.closeResult = kMidiNoMemory;
    EXPECT_TRUE(midiIn.Open("Keys:out"));
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_THAT(errors, ElementsAre("Failed to start midi input [ERROR]",
                                    "Failed to close midi input [NOMEM]"));
    ports.closeResult = kMidiOk;
    errors.clear();
    EXPECT_FALSE(midiIn.Close());
    EXPECT_THAT(errors, IsEmpty());
}

TEST_F(MidiInput, StartIsRepeatedUntilItFitsOneMillisecondTick) {
    int slowStarts = 2;
    ports.onStart = [&] {
        if (slowStarts-- > 0) {
            timers.AdvanceBy(1);
        }
    };
    EXPECT_TRUE(midiIn.Open("Keys:out"));
    EXPECT_THAT(ports.calls, ElementsAre("Open 0", "Start", "Stop", "Start", "Stop", "Start"));
    EXPECT_THAT(pauses, ElementsAre(100, 100));
    EXPECT_EQ(midiIn.StartTime(), 2u);
    EXPECT_THAT(errors, IsEmpty());
}

TEST_F(MidiInput, StartLoopGivesUpAligningAndKeepsTheInput) {
    ports.onStart = [&] { timers.AdvanceBy(1); };
    ports.stopResult = kMidiInvalidHandle;
    EXPECT_TRUE(midiIn.Open("Keys:out"));
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_EQ(ports.Count("Start"), static_cast<std::size_t>(MidiIn::kMaxStartAttempts));
    EXPECT_EQ(pauses.size(), static_cast<std::size_t>(MidiIn::kMaxStartAttempts - 1));
    // A stop that fails between attempts is reported each time but does not end the loop.
    EXPECT_EQ(errors.size(), static_cast<std::size_t>(MidiIn::kMaxStartAttempts - 1));
    EXPECT_EQ(errors.front(), "Failed to stop midi input [INVALHANDLE]");
}

TEST_F(MidiInput, CloseStopsAtTheFirstFailingStep) {
    EXPECT_FALSE(midiIn.Close());
    EXPECT_THAT(errors, ElementsAre("Midi input already closed"));
    errors.clear();

    ASSERT_TRUE(midiIn.Open("Keys:out"));
    ports.calls.clear();
    ports.stopResult = kMidiInvalidHandle;
    EXPECT_TRUE(midiIn.Close());
    EXPECT_TRUE(midiIn.IsOpen());
    EXPECT_THAT(ports.calls, ElementsAre("Stop"));

    ports.stopResult = kMidiOk;
    ports.resetResult = 42;
    EXPECT_TRUE(midiIn.Close());
    ports.resetResult = kMidiOk;
    ports.closeResult = kMidiError;
    EXPECT_TRUE(midiIn.Close());
    EXPECT_THAT(errors, ElementsAre("Failed to stop midi input [INVALHANDLE]",
                                    "Failed to reset midi input [42]",
                                    "Failed to close midi input [ERROR]"));

    ports.closeResult = kMidiOk;
    EXPECT_FALSE(midiIn.Close());
    EXPECT_FALSE(midiIn.IsOpen());
    EXPECT_FALSE(ports.isOpen);
}

TEST_F(MidiInput, CallbackEventsReachTheMainLoopStampedSinceTheStart) {
    timers.AdvanceBy(10);
    ASSERT_TRUE(midiIn.Open("Keys:out"));
    timers.AdvanceBy(5.5);
    EXPECT_EQ(SendFromInputThread({0x00403C90, 0x000000F8}), 0);
    // Nothing runs on the input thread's behalf until the main loop drains.
    EXPECT_THAT(events, IsEmpty());
    timers.AdvanceBy(1);
    EXPECT_THAT(events, ElementsAre(Pair(0x00403C90u, 5u), Pair(0x000000F8u, 5u)));

    // Unstarted and closed ports deliver nothing, and what waited at the close is dropped.
    SendFromInputThread({0x00003C80});
    ASSERT_FALSE(midiIn.Close());
    timers.AdvanceBy(10);
    SendFromInputThread({0x00403E90});
    timers.AdvanceBy(10);
    EXPECT_EQ(events.size(), 2u);
}

TEST_F(MidiInput, FullRingDropsTheNewestMessages) {
    ASSERT_TRUE(midiIn.Open("Keys:out"));
    std::vector<uint32_t> burst;
    for (uint32_t i = 0; i < MidiIn::kRingCapacity + 100; ++i) {
        burst.push_back(0x000000B0u | ((i & 0x7F) << 16));
    }
    SendFromInputThread(burst);
    timers.AdvanceBy(1);
    ASSERT_EQ(events.size(), MidiIn::kRingCapacity);
    for (std::size_t i = 0; i < events.size(); ++i) {
        ASSERT_EQ(events[i].first, burst[i]) << i;
    }
    // The ring is free again.
    SendFromInputThread({0x00403C90});
    timers.AdvanceBy(1);
    EXPECT_EQ(events.back().first, 0x00403C90u);
}

TEST_F(MidiInput, DrainStopsWhenTheHandlerClosesTheInput) {
    ASSERT_TRUE(midiIn.Open("Keys:out"));
    midiIn.onEvent = [this](uint32_t packed, uint32_t stamp) {
        events.emplace_back(packed, stamp);
        midiIn.Close();
    };
    SendFromInputThread({0x00403C90, 0x00403E90});
    timers.AdvanceBy(1);
    EXPECT_EQ(events.size(), 1u);
    EXPECT_FALSE(midiIn.IsOpen());
}

// Timers that tick and run posted work only when told, so a test can stand between the pump's
// tick and the drain it posts.
class ManualTimers final : public TimerService {
public:
    TimerId StartPeriodic(std::chrono::milliseconds, Callback onTick) override {
        ticks[++lastId] = std::move(onTick);
        return lastId;
    }
    void Stop(TimerId id) override { ticks.erase(id); }
    void Post(Callback work) override { posted.push_back(std::move(work)); }
    uint32_t NowMs() const override { return 0; }

    void TickAll() {
        for (auto& [id, tick] : ticks) {
            tick();
        }
    }
    void RunPosted() {
        std::vector<Callback> work = std::move(posted);
        posted.clear();
        for (Callback& w : work) {
            w();
        }
    }

    std::map<TimerId, Callback> ticks;
    std::vector<Callback> posted;
    TimerId lastId = 0;
};

TEST_F(MidiInput, PumpKeepsOneDrainOutstandingAndOnlyWhenThereIsInput) {
    ManualTimers manual;
    MidiIn input(ports, manual, false, {});
    input.onEvent = [this](uint32_t packed, uint32_t stamp) { events.emplace_back(packed, stamp); };
    EXPECT_TRUE(manual.ticks.empty());
    ASSERT_TRUE(input.Open("Keys:out"));
    ASSERT_EQ(manual.ticks.size(), 1u);

    manual.TickAll();
    EXPECT_TRUE(manual.posted.empty());
    SendFromInputThread({0x00403C90, 0x00403E90});
    manual.TickAll();
    manual.TickAll();
    EXPECT_EQ(manual.posted.size(), 1u);
    SendFromInputThread({0x00404090});
    manual.RunPosted();
    EXPECT_EQ(events.size(), 3u);

    ASSERT_FALSE(input.Close());
    EXPECT_TRUE(manual.ticks.empty());
}

TEST_F(MidiInput, DrainPostedBeforeDestructionFindsNobody) {
    ManualTimers manual;
    bool delivered = false;
    {
        MidiIn doomed(ports, manual, false, {});
        doomed.onEvent = [&](uint32_t, uint32_t) { delivered = true; };
        ASSERT_TRUE(doomed.Open("Keys:out"));
        ports.Send(0x00403C90);
        manual.TickAll();
        ASSERT_EQ(manual.posted.size(), 1u);
    }
    // The destructor closed the port and stopped the pump; the drain still queued is harmless.
    EXPECT_FALSE(ports.isOpen);
    EXPECT_TRUE(manual.ticks.empty());
    manual.RunPosted();
    EXPECT_FALSE(delivered);
}

TEST_F(MidiInputWindowMode, TheMainLoopPollsTheQueueWithTimestampZero) {
    ASSERT_TRUE(midiIn.Open("Pads:out"));
    timers.AdvanceBy(20);
    ports.Send(0x00403C91);
    ports.Send(0x000000FE);
    EXPECT_THAT(events, IsEmpty());
    timers.AdvanceBy(1);
    EXPECT_THAT(events, ElementsAre(Pair(0x00403C91u, 0u), Pair(0x000000FEu, 0u)));
    ASSERT_FALSE(midiIn.Close());
}

} // namespace
} // namespace vorpline::test
