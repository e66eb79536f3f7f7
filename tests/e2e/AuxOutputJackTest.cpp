// The whole program sends an LFO out of its auxiliary MIDI port: started from a configuration
// file with the LFO and control-change options, the internal clock at 21 ms a tick, the
// auxiliary device set to a JACK MIDI monitor (jack_midi_dump) and an LFO preset whose LFO 1
// sends a saw on "Auxiliary 1". The monitor stamps what arrives on the server's frame clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "midi/CcMap.h"
#include "modulation/LfoShape.h"
#include "support/JackServer.h"
#include "support/LfoPreset.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

constexpr double kRate = 48000;
constexpr int kTickMs = 21;
constexpr int kCycleTicks = 24;

struct Received {
    long frame;
    unsigned status, controller, value;
};

double Median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// jack_midi_dump -a prints "<frame>: <status> <data> <data>" in hexadecimal, one event a line.
std::vector<Received> ReadDump(const std::string& file) {
    std::vector<Received> events;
    std::istringstream lines(TempDir::Read(file));
    std::string line;
    while (std::getline(lines, line)) {
        Received e{};
        if (std::sscanf(line.c_str(), " %ld: %x %x %x", &e.frame, &e.status, &e.controller,
                        &e.value) == 4) {
            events.push_back(e);
        }
    }
    return events;
}

TEST(AuxOutputJack, AnLfoOnAnAuxiliaryFunctionLeavesThroughTheAuxPortInTime) {
    if (auto missing = JackServer::Missing({"jack_midi_dump"})) {
        GTEST_SKIP() << "needs " << *missing << " (Debian package jackd2)";
    }
    // A short period, so the monitor's stamps (one per period, 5.3 ms) resolve the ticks.
    JackServer server("aux", 256);
    ASSERT_TRUE(server.Up()) << "the JACK server did not come up";
    TempDir dir;
    Child monitor({JackServer::Tool("jack_midi_dump"), "-a", "AuxMonitor"}, dir.File("dump.txt"));
    ASSERT_TRUE(server.WaitForPort("AuxMonitor:input"));

    // The preset beside the program, and its configuration; both go again afterwards.
    const std::filesystem::path programFolder =
        std::filesystem::path(VORPLINE_GUI_EXE).parent_path();
    const std::string name = "aux-" + std::to_string(getpid());
    const std::filesystem::path lfoFolder = programFolder / "vpx" / "lfo";
    std::filesystem::create_directories(lfoFolder);
    const std::filesystem::path preset = lfoFolder / (name + ".lfo");
    const std::filesystem::path ini = programFolder / (name + ".INI");
    struct Cleanup {
        std::vector<std::filesystem::path> files;
        ~Cleanup() {
            std::error_code ignored;
            for (const auto& file : files) {
                std::filesystem::remove(file, ignored);
            }
        }
    } cleanup{{preset, ini}};
    ASSERT_TRUE(
        WriteLfoPreset(preset.string(), LfoRecord(true, kCcAuxiliary1, kLfoSaw, 1, kCycleTicks)));
    std::ofstream(ini) << "[VORPLINE]\nIOType=8\nIOPort=system\nIOSRate=48000\nIOBSize=512\n"
                          "IORSize=4\nOptions=10\n[SYSTEM]\nClock Source=0\nClock Delay="
                       << kTickMs
                       << "\nAux Device=AuxMonitor:input\nLFO Enable=1\nLFO Preset=" << name
                       << "\n";

    {
        ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
        Child program({VORPLINE_GUI_EXE, name});
        ASSERT_TRUE(server.WaitForPort(":Aux")) << "the program's auxiliary port";
        std::this_thread::sleep_for(3s);
        program.Stop(SIGTERM);
    }
    monitor.Stop(SIGINT);

    std::vector<Received> sent;
    for (const Received& e : ReadDump(dir.File("dump.txt"))) {
        // Controllers 120 and 123 on every channel are the port's reset as it closes.
        if (e.status == 0xB0 && e.controller == kDefaultCcNumbers[kCcAuxiliary1]) {
            sent.push_back(e);
        }
    }
    ASSERT_GE(sent.size(), 4u * kCycleTicks) << "too few values in three seconds";

    // Every tick moves the saw to another value, so every tick sends one, in order, from the
    // start of the cycle on. A server that misses its deadline (it may, on a busy machine)
    // drops the MIDI of that period, so a few may be missing, but never out of order.
    std::vector<unsigned> cycle;
    for (int t = 0; t < kCycleTicks; ++t) {
        cycle.push_back(
            static_cast<unsigned>(LfoValue(64, LfoShape(kLfoSaw, t, kCycleTicks, 1, 64, 50))));
    }
    std::vector<int> tick; // of each value since the first, counting the missing ones
    for (const Received& e : sent) {
        const auto at = std::find(cycle.begin(), cycle.end(), e.value);
        ASSERT_NE(at, cycle.end()) << "a value off the saw: " << e.value;
        const int position = static_cast<int>(at - cycle.begin());
        const int previous = tick.empty() ? -1 : tick.back();
        tick.push_back(previous + 1 +
                       ((position - previous - 1) % kCycleTicks + kCycleTicks) % kCycleTicks);
    }
    // The cycle starts at its first value; a server late while the program starts (a slow,
    // instrumented build) may drop the first few.
    EXPECT_LE(tick.front(), 3) << "the first value is " << sent.front().value;
    const auto missing = static_cast<std::size_t>(tick.back() + 1) - sent.size();
    EXPECT_LE(missing, sent.size() / 50) << "values lost or out of order";

    // The ticks lie on the timer's grid: over a cycle exactly its period on average, each one
    // near it. Medians, and the first two cycles left out, so that a busy machine that holds
    // some ticks back (while it starts the program, say) and then sends them together does not
    // count.
    std::vector<double> tickMs, cycleMs;
    auto msPerTick = [&](std::size_t i, std::size_t j) {
        return static_cast<double>(sent[i].frame - sent[j].frame) * 1000 / kRate /
               (tick[i] - tick[j]);
    };
    for (std::size_t i = 3 * kCycleTicks; i < sent.size(); ++i) {
        tickMs.push_back(msPerTick(i, i - 1));
        cycleMs.push_back(msPerTick(i, i - kCycleTicks));
    }
    EXPECT_NEAR(Median(cycleMs), kTickMs, 0.5);
    EXPECT_NEAR(Median(tickMs), kTickMs, 3.0);
    EXPECT_LT(*std::max_element(tickMs.begin(), tickMs.end()), 250.0);
}

} // namespace
} // namespace vorpline::test
