// Plays notes into a real JACK server and checks that they reach the program through both
// delivery modes. Runs its own server (dummy driver, no sound card needed) under a name of its
// own, so it neither needs nor disturbs a server the user runs.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiIn.h"
#include "midi/RtMidiPortSystem.h"
#include "platform/MainLoopQueue.h"
#include "platform/RealTimerService.h"
#include "support/ChildProcess.h"

extern char** environ;

namespace vorpline::test {
namespace {

using namespace std::chrono_literals;

// Generous: a loaded machine may take seconds to bring up a server.
constexpr auto kPatience = 30s;
const std::string kSequencerPort = "Seq:out";

TEST(RtMidiPorts, WithoutServersNothingIsListedAndEveryStepRefusesCleanly) {
    // A server name nobody runs; no server may be started for it.
    ScopedEnv serverName("JACK_DEFAULT_SERVER", "vorpline-absent-" + std::to_string(getpid()));
    ScopedEnv noAutostart("JACK_NO_START_SERVER", "1");
    RtMidiPortSystem ports;
    std::vector<std::string> names = ports.ListInputs();
    std::error_code ignored;
    if (!std::filesystem::exists("/dev/snd/seq", ignored)) {
        EXPECT_THAT(names, ::testing::IsEmpty());
    }
    EXPECT_EQ(ports.Open(names.size(), nullptr), kMidiBadDeviceId);
    EXPECT_EQ(ports.Start(), kMidiInvalidHandle);
    EXPECT_EQ(ports.Stop(), kMidiInvalidHandle);
    EXPECT_EQ(ports.Reset(), kMidiInvalidHandle);
    EXPECT_EQ(ports.Close(), kMidiInvalidHandle);
    uint32_t packed = 0;
    EXPECT_FALSE(ports.Poll(packed));
}

class MidiInJack : public ::testing::Test {
protected:
    void SetUp() override {
        jackd = FindProgram("jackd");
        midiseq = FindProgram("jack_midiseq");
        if (!jackd || !midiseq) {
            GTEST_SKIP() << "needs jackd and jack_midiseq (Debian package jackd2)";
        }
    }

    // Until `until` holds or the patience runs out, runs the main loop's work.
    bool Pump(const std::function<bool()>& until) {
        auto deadline = std::chrono::steady_clock::now() + kPatience;
        while (!until()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            loop.WaitAndRunFor(20ms);
        }
        return true;
    }

    std::optional<std::string> jackd;
    std::optional<std::string> midiseq;
    MainLoopQueue loop;
    RealTimerService timers{[this](TimerService::Callback work) { loop.Post(std::move(work)); }};
};

TEST_F(MidiInJack, NotesFromAJackClientArriveInBothDeliveryModes) {
    std::string server = "vorpline-test-" + std::to_string(getpid());
    ScopedEnv serverName("JACK_DEFAULT_SERVER", server);
    // Neither we nor the sequencer may start a server behind our back (it would have no pid
    // of ours to stop).
    ScopedEnv noAutostart("JACK_NO_START_SERVER", "1");
    Child jack({*jackd, "-n", server, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "512"});
    ASSERT_TRUE(jack.Running()) << "jackd did not start";

    RtMidiPortSystem ports;
    std::vector<std::string> errors;
    auto report = [&](const std::string& message) { errors.push_back(message); };
    MidiIn probe(ports, timers, false, report);
    std::vector<std::string> devices;

    // The sequencer gives up when the server is not up yet: start it again until its port
    // shows in our list.
    std::optional<Child> sequencer;
    bool listed = Pump([&] {
        if (!sequencer || !sequencer->Running()) {
            sequencer.reset();
            std::this_thread::sleep_for(200ms);
            // A half-second loop at 48 kHz with middle C held for a sixth of a second.
            sequencer.emplace(
                std::vector<std::string>{*midiseq, "Seq", "24000", "0", "60", "8000"});
        }
        probe.BuildDeviceList(devices, true);
        return std::find(devices.begin(), devices.end(), kSequencerPort) != devices.end();
    });
    ASSERT_TRUE(listed) << "the sequencer's port never appeared";
    EXPECT_EQ(devices.front(), "No midi input");

    for (bool useWindow : {false, true}) {
        SCOPED_TRACE(useWindow ? "window" : "function");
        MidiIn midiIn(ports, timers, useWindow, report);
        std::vector<uint32_t> received;
        midiIn.onEvent = [&](uint32_t packed, uint32_t) { received.push_back(packed); };
        ASSERT_TRUE(midiIn.Open(kSequencerPort));
        // One input at a time.
        EXPECT_EQ(ports.Open(0, nullptr), kMidiAllocated);
        bool noteOn = Pump([&] {
            return std::any_of(received.begin(), received.end(), [](uint32_t packed) {
                return (packed & 0xF0) == 0x90 && ((packed >> 16) & 0x7F) != 0;
            });
        });
        ASSERT_TRUE(noteOn) << "no note-on arrived";
        for (uint32_t packed : received) {
            if ((packed & 0xE0) == 0x80) {
                EXPECT_EQ((packed >> 8) & 0xFF, 60u); // middle C, on and off
            }
            EXPECT_EQ(packed >> 24, 0u); // real MIDI carries no marker
        }
        EXPECT_FALSE(midiIn.Close());
    }
    EXPECT_THAT(errors, ::testing::IsEmpty());

    sequencer->Stop(SIGINT);
    jack.Stop(SIGTERM);
}

} // namespace
} // namespace vorpline::test
