// Live latency as a player meets it: from the note-on a keyboard sends to the first audible
// frame of the program's output. For each JACK period (512, 256, 128, 64 frames at 48000 Hz)
// the bench starts a JACK server on its dummy backend, then the program itself from a prepared
// configuration file (WAVE output on JACK in thread mode at 48000 Hz, buffer = period, MIDI in
// from this bench's port), and plays notes into it. One JACK client both sends each note-on at
// the first frame of a period and watches the program's left output in the same process
// callback, so both ends are stamped on the server's own frame clock.
//
//   ./build-latency/vorpline-latency-bench [NOTES] [PERIOD...]   (default 12 notes, all four)
// LATENCY_EACH=1 in the environment also prints every note's latency, in playing order.
#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "presets/TSbi.h"
#include "support/ChildProcess.h"
#include "support/RunProgram.h"
#include "support/TestPatches.h"

namespace {

using namespace vorpline;
using namespace std::chrono_literals;

constexpr uint32_t kRate = 48000;
constexpr uint8_t kNote = 72;
// About -46 dBFS: far above the chip's idle output, far below the test tone's level.
constexpr float kAudible = 0.005F;

bool WaitForPort(const std::string& fragment) {
    for (int i = 0; i < 300; ++i) {
        if (test::RunProgram("jack_lsp", {}).output.find(fragment) != std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

// The keyboard and the listener in one JACK client. The main thread asks for a note-on or
// note-off through `request`; the process callback sends it at frame 0 of its period and
// stamps it, then stamps the first frame above kAudible that follows.
class Probe {
public:
    enum Request : int { kNone, kNoteOn, kNoteOff };

    Probe() {
        client = jack_client_open("LatencyProbe", JackNoStartServer, nullptr);
        if (client == nullptr) {
            throw std::runtime_error("cannot connect to the JACK server");
        }
        midiOut = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        audioIn = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (midiOut == nullptr || audioIn == nullptr) {
            throw std::runtime_error("cannot register the probe's ports");
        }
        jack_set_process_callback(client, &Probe::Process, this);
        if (jack_activate(client) != 0) {
            throw std::runtime_error("cannot activate the probe");
        }
    }
    ~Probe() {
        jack_deactivate(client);
        jack_client_close(client);
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Connect(const std::string& from, const std::string& to) {
        return jack_connect(client, from.c_str(), to.c_str()) == 0;
    }
    void Ask(Request r) {
        if (r == kNoteOn) {
            heard.store(false); // before the request, so no earlier note's latency is read
        }
        request.store(r);
    }
    // Frames from the last note-on to its first audible frame, once heard.
    std::optional<int64_t> Latency() const {
        if (!heard.load()) {
            return std::nullopt;
        }
        return heardFrame.load() - sentFrame.load();
    }
    // Frames since the input was last above kAudible.
    int64_t QuietFrames() const { return now.load() - lastLoud.load(); }

private:
    static int Process(jack_nframes_t frames, void* data) {
        auto* self = static_cast<Probe*>(data);
        const int64_t start = jack_last_frame_time(self->client);
        void* midi = jack_port_get_buffer(self->midiOut, frames);
        jack_midi_clear_buffer(midi);
        int r = self->request.exchange(kNone);
        if (r != kNone) {
            jack_midi_data_t message[3] = {
                static_cast<jack_midi_data_t>(r == kNoteOn ? 0x90 : 0x80), kNote, 100};
            jack_midi_event_write(midi, 0, message, 3);
            if (r == kNoteOn) {
                self->sentFrame.store(start);
                self->listening = true;
            }
        }
        const auto* in = static_cast<const float*>(jack_port_get_buffer(self->audioIn, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            if (std::fabs(in[i]) > kAudible) {
                self->lastLoud.store(start + i);
                if (self->listening) {
                    self->listening = false;
                    self->heardFrame.store(start + i);
                    self->heard.store(true);
                }
            }
        }
        self->now.store(start + frames);
        return 0;
    }

    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* audioIn = nullptr;
    std::atomic<int> request{kNone};
    bool listening = false; // process thread only
    std::atomic<bool> heard{false};
    std::atomic<int64_t> sentFrame{0};
    std::atomic<int64_t> heardFrame{0};
    std::atomic<int64_t> lastLoud{0};
    std::atomic<int64_t> now{0};
};

// The program's configuration and a sustained sine preset beside its executable, removed again
// when the run ends.
class ProgramSetup {
public:
    ProgramSetup(const std::filesystem::path& program, unsigned period)
        : folder(program.parent_path()) {
        name = "latency-" + std::to_string(getpid());
        std::string preset = "Latency Sine " + std::to_string(getpid());
        TSbi bank(folder / "vpx");
        auto [patch, ext] = test::SustainedSine();
        if (!bank.Write("6op", preset, patch, ext)) {
            throw std::runtime_error("cannot write the test preset");
        }
        files.push_back(folder / "vpx" / "6op" / (preset + ".sbi"));
        files.push_back(folder / (name + ".INI"));
        std::ofstream(files.back())
            << "[VORPLINE]\nIOType=8\nIOPort=system\nIOSRate=" << kRate << "\nIOBSize=" << period
            << "\nIORSize=4\nOptions=0\n[SYSTEM]\nMidi "
               "Device=LatencyProbe:out\nBank=2\nMain Preset="
            << preset << "\n";
    }
    ~ProgramSetup() {
        std::error_code ignored;
        for (const auto& file : files) {
            std::filesystem::remove(file, ignored);
        }
    }
    ProgramSetup(const ProgramSetup&) = delete;
    ProgramSetup& operator=(const ProgramSetup&) = delete;
    const std::string& Name() const { return name; }

private:
    std::filesystem::path folder;
    std::string name;
    std::vector<std::filesystem::path> files;
};

template <typename Done> bool WaitUntil(Done done, std::chrono::milliseconds patience) {
    auto deadline = std::chrono::steady_clock::now() + patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The latencies of `notes` notes, in frames; empty when the setup failed (said on stderr).
std::vector<int64_t> Measure(const std::filesystem::path& program, unsigned period, int notes) {
    std::string server = "vorpline-latency-" + std::to_string(getpid());
    test::ScopedEnv serverName("JACK_DEFAULT_SERVER", server);
    test::ScopedEnv noStart("JACK_NO_START_SERVER", "1");
    test::Child jackd({*test::FindProgram("jackd"), "-n", server, "--no-realtime", "-d", "dummy",
                       "-r", std::to_string(kRate), "-p", std::to_string(period)});
    if (!WaitForPort("system:playback_1")) {
        std::fprintf(stderr, "the JACK server did not start\n");
        return {};
    }
    Probe probe;
    ProgramSetup setup(program, period);
    std::optional<test::Child> synth;
    {
        test::ScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
        synth.emplace(std::vector<std::string>{program.string(), setup.Name()});
    }
    if (!WaitForPort("Vorpline:outport 1") ||
        !probe.Connect("Vorpline:outport 0", "LatencyProbe:in")) {
        std::fprintf(stderr, "the program's audio output did not appear\n");
        return {};
    }
    std::this_thread::sleep_for(1500ms); // the MIDI input opens some time after start-up

    std::vector<int64_t> latencies;
    for (int n = 0; n < notes; ++n) {
        if (!WaitUntil([&] { return probe.QuietFrames() > kRate / 5; }, 3s)) {
            std::fprintf(stderr, "the program does not fall silent between notes\n");
            return {};
        }
        // A varying pause, so the notes meet the program's threads at different phases.
        std::this_thread::sleep_for(std::chrono::milliseconds(37 * n % 50));
        probe.Ask(Probe::kNoteOn);
        if (!WaitUntil([&] { return probe.Latency().has_value(); }, 2s)) {
            std::fprintf(stderr, "note %d was not heard\n", n + 1);
            return {};
        }
        latencies.push_back(*probe.Latency());
        std::this_thread::sleep_for(100ms);
        probe.Ask(Probe::kNoteOff);
    }
    return latencies;
}

} // namespace

int main(int argc, char** argv) {
    int notes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
    std::vector<unsigned> periods;
    for (int i = 2; i < argc; ++i) {
        periods.push_back(static_cast<unsigned>(std::atoi(argv[i])));
    }
    if (periods.empty()) {
        periods = {512, 256, 128, 64};
    }
    std::filesystem::path program =
        std::filesystem::canonical("/proc/self/exe").parent_path() / "vorpline";
    if (!std::filesystem::exists(program) || !test::FindProgram("jackd")) {
        std::fprintf(stderr, "needs %s and jackd (Debian package jackd2)\n", program.c_str());
        return 1;
    }
    std::printf("note-on to first audible frame, %d notes, 48000 Hz, dummy JACK, thread mode\n",
                notes);
    std::printf("period   median (frames periods ms)    min..max frames   goal 2 periods + 1 ms\n");
    for (unsigned period : periods) {
        std::vector<int64_t> l = Measure(program, period, notes);
        if (l.empty()) {
            return 1;
        }
        if (std::getenv("LATENCY_EACH") != nullptr) {
            for (int64_t frames : l) {
                std::printf(" %lld", static_cast<long long>(frames));
            }
            std::printf("\n");
        }
        std::sort(l.begin(), l.end());
        double median = l.size() % 2 ? static_cast<double>(l[l.size() / 2])
                                     : (l[l.size() / 2 - 1] + l[l.size() / 2]) / 2.0;
        double goal = 2.0 * period + kRate / 1000.0;
        std::printf("%6u   %6.0f %5.2f %6.2f          %5lld..%-5lld        %s (%.0f)\n", period,
                    median, median / period, median * 1000 / kRate,
                    static_cast<long long>(l.front()), static_cast<long long>(l.back()),
                    median <= goal ? "met" : "missed", goal);
        std::fflush(stdout);
    }
    return 0;
}
