// Half an hour of live playing, measured from outside. The bench starts a JACK server on its
// dummy backend (256-frame periods at 48000 Hz by default), an X server (Xvfb) and the whole
// program on it with its window open and every tool window's option on (control-change map,
// LFOs running on the internal clock, the sequencer echoing, Circuit Bend, the keyboard, the
// drum kit, the DSP stage). One JACK client of the bench plays a MIDI file into the program's
// MIDI input, looping, frame-exact on the server's clock; the same client is the trivial
// client whose xruns are the floor (it only plays a sine and listens to the program).
//
// Every minute: the program's resident memory (VmRSS), the xruns so far and whether it was
// heard. At the end the program is asked to quit (SIGTERM, as a logout would) and reports its
// own underruns. The run fails if memory grew 1 MiB or more after the first minute, if the
// program showed an error box (each one is also written to its stderr), if it fell silent or
// if it did not end cleanly.
//
//   ./build-bench/vorpline-soak-bench [MINUTES] [MIDI-FILE] [PERIOD]
//       (default 30 minutes, the two-part invention of Debian's chuck-data, 256 frames)
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "midi/StandardMidiFile.h"
#include "support/ChildProcess.h"
#include "support/JackServer.h"
#include "support/LfoPreset.h"
#include "ui/TFormMain.h"

namespace {

using namespace vorpline;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr double kRate = 48000;
constexpr const char* kDefaultSong = "/usr/share/doc/chuck-data/examples/midi/bwv772.mid";
constexpr long kGrowthLimitKiB = 1024;
// Any output sample above this (about -60 dBFS) counts as heard.
constexpr float kHeard = 0.001F;

struct Timed {
    int64_t frame;
    jack_midi_data_t bytes[3];
    size_t size;
};

// The song as frames on the server's clock, and the loop length (the song plus a second).
std::vector<Timed> Schedule(const std::string& file, int64_t& loopFrames) {
    StandardMidiFile song = StandardMidiFile::Load(file);
    std::vector<Timed> events;
    for (const MidiEvent& e : song.Events()) {
        const bool twoBytes = (e.status & 0xE0) == 0xC0; // program change, channel pressure
        events.push_back({static_cast<int64_t>(e.seconds * kRate),
                          {e.status, e.data1, e.data2},
                          twoBytes ? size_t{2} : size_t{3}});
    }
    loopFrames = static_cast<int64_t>((song.DurationSeconds() + 1.0) * kRate);
    return events;
}

// The player, the trivial client and the listener in one JACK client.
class SoakClient {
public:
    explicit SoakClient(std::vector<Timed> song, int64_t loopFrames)
        : song(std::move(song)), loopFrames(loopFrames) {
        client = jack_client_open("SoakPlayer", JackNoStartServer, nullptr);
        if (client == nullptr) {
            throw std::runtime_error("cannot connect to the JACK server");
        }
        midiOut = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        sineOut = jack_port_register(client, "sine", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        audioIn = jack_port_register(client, "in", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (midiOut == nullptr || sineOut == nullptr || audioIn == nullptr) {
            throw std::runtime_error("cannot register the bench's ports");
        }
        jack_set_process_callback(client, &SoakClient::Process, this);
        jack_set_xrun_callback(client, &SoakClient::Xrun, this);
        if (jack_activate(client) != 0) {
            throw std::runtime_error("cannot activate the bench's client");
        }
        jack_connect(client, "SoakPlayer:sine", "system:playback_1");
    }
    ~SoakClient() {
        jack_deactivate(client);
        jack_client_close(client);
    }
    SoakClient(const SoakClient&) = delete;
    SoakClient& operator=(const SoakClient&) = delete;

    bool Listen(const std::string& port) {
        return jack_connect(client, port.c_str(), "SoakPlayer:in") == 0;
    }
    void Play() { playing.store(true); }
    long Xruns() const { return xruns.load(); }
    long EventsSent() const { return sent.load(); }
    // Whether the program was heard since the last call.
    bool TakeHeard() { return heard.exchange(false); }

private:
    static int Process(jack_nframes_t frames, void* data) {
        auto* self = static_cast<SoakClient*>(data);
        void* midi = jack_port_get_buffer(self->midiOut, frames);
        jack_midi_clear_buffer(midi);
        if (self->playing.load(std::memory_order_relaxed)) {
            self->PlayFrames(midi, frames);
        }
        auto* sine = static_cast<float*>(jack_port_get_buffer(self->sineOut, frames));
        const auto* in = static_cast<const float*>(jack_port_get_buffer(self->audioIn, frames));
        bool loud = false;
        for (jack_nframes_t i = 0; i < frames; ++i) {
            sine[i] = 0.1F * static_cast<float>(std::sin(self->phase));
            self->phase = std::fmod(self->phase + 2 * M_PI * 440 / kRate, 2 * M_PI);
            loud = loud || std::fabs(in[i]) > kHeard;
        }
        if (loud) {
            self->heard.store(true, std::memory_order_relaxed);
        }
        return 0;
    }
    // Sends the events that fall in this period at their frames; where the loop restarts inside
    // the period, the song's first events follow in the same period.
    void PlayFrames(void* midi, jack_nframes_t frames) {
        int64_t end = position + frames;
        SendUntil(midi, std::min(end, loopFrames), frames);
        if (end >= loopFrames) {
            next = 0;
            position -= loopFrames;
            end -= loopFrames;
            SendUntil(midi, end, frames);
        }
        position = end;
    }
    void SendUntil(void* midi, int64_t limit, jack_nframes_t frames) {
        while (next < song.size() && song[next].frame < limit) {
            const Timed& e = song[next++];
            const int64_t offset = std::clamp<int64_t>(e.frame - position, 0, frames - 1);
            if (jack_midi_event_write(midi, static_cast<jack_nframes_t>(offset), e.bytes, e.size) ==
                0) {
                sent.fetch_add(1, std::memory_order_relaxed);
            }
        }
    }
    static int Xrun(void* data) {
        static_cast<SoakClient*>(data)->xruns.fetch_add(1);
        return 0;
    }

    std::vector<Timed> song;
    int64_t loopFrames;
    int64_t position = 0; // frame of the loop at the start of the next period (process thread)
    size_t next = 0;
    double phase = 0;
    jack_client_t* client = nullptr;
    jack_port_t* midiOut = nullptr;
    jack_port_t* sineOut = nullptr;
    jack_port_t* audioIn = nullptr;
    std::atomic<bool> playing{false};
    std::atomic<bool> heard{false};
    std::atomic<long> xruns{0};
    std::atomic<long> sent{0};
};

// An X server of the bench's own on the first free display from :90.
class XServer {
public:
    XServer() {
        for (display = 90; display < 200; ++display) {
            if (!fs::exists("/tmp/.X" + std::to_string(display) + "-lock")) {
                break;
            }
        }
        server.emplace(std::vector<std::string>{*test::FindProgram("Xvfb"),
                                                ":" + std::to_string(display), "-screen", "0",
                                                "1280x1024x24", "-nolisten", "tcp"});
        for (int i = 0; i < 100 && !Up(); ++i) {
            std::this_thread::sleep_for(100ms);
        }
    }
    bool Up() const { return fs::exists("/tmp/.X11-unix/X" + std::to_string(display)); }
    std::string Name() const { return ":" + std::to_string(display); }

private:
    int display = 90;
    std::optional<test::Child> server;
};

// The configuration and tool presets beside the program, removed again when the run ends: an
// LFO on "Operator Volume" (one sine cycle a beat), a sequencer step echoing every key an
// octave up one beat later, Circuit Bend on with its neutral masks, the drum kit and the DSP
// stage as stored.
class ProgramSetup {
public:
    ProgramSetup(const fs::path& program, unsigned period) : folder(program.parent_path()) {
        name = "soak-" + std::to_string(getpid());
        fs::create_directories(folder / "vpx" / "lfo");
        fs::create_directories(folder / "vpx" / "seq");
        files.push_back(folder / "vpx" / "lfo" / (name + ".lfo"));
        if (!test::WriteLfoPreset(files.back().string(),
                                  test::LfoRecord(true, 22, /*Sine*/ 4, 2, 24))) {
            throw std::runtime_error("cannot write the LFO preset");
        }
        std::vector<uint8_t> sequence(144, 0xFF);
        const std::vector<uint8_t> echo = {0, 12, 1, 0xFF, 24, 0, 0, 0, 12, 0, 0, 0};
        std::copy(echo.begin(), echo.end(), sequence.begin());
        files.push_back(folder / "vpx" / "seq" / (name + ".seq"));
        std::ofstream(files.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(sequence.data()),
                   static_cast<std::streamsize>(sequence.size()));
        files.push_back(folder / (name + ".INI"));
        std::ofstream(files.back())
            << "[VORPLINE]\nIOType=8\nIOPort=system\nIOSRate=48000\nIOBSize=" << period
            << "\nIORSize=4\nOptions=415\n[SYSTEM]\nMidi Device=SoakPlayer:out\n"
               "Clock Source=0\nClock Delay=21\nLFO Enable=1\nLFO Preset="
            << name << "\nSEQ Enable=1\nSEQ Preset=" << name << "\nBEND Enable=1\n";
    }
    ~ProgramSetup() {
        std::error_code ignored;
        for (const auto& file : files) {
            fs::remove(file, ignored);
        }
    }
    ProgramSetup(const ProgramSetup&) = delete;
    ProgramSetup& operator=(const ProgramSetup&) = delete;
    const std::string& Name() const { return name; }

private:
    fs::path folder;
    std::string name;
    std::vector<fs::path> files;
};

long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

std::string ReadAll(const fs::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

// Per client, how often an xrun found it unfinished, and of those how often it had been woken
// but not yet scheduled ("Triggered"): those are the machine's wake-up latency, the others the
// client's own cost.
void PrintUnfinishedClients(const std::string& serverLog) {
    const std::string marker = "JackEngine::XRun: client = ";
    std::map<std::string, std::pair<long, long>> clients;
    std::istringstream lines(serverLog);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t at = line.find(marker);
        const size_t end = line.find(" was not finished", at);
        if (at == std::string::npos || end == std::string::npos) {
            continue;
        }
        auto& [unfinished, triggered] =
            clients[line.substr(at + marker.size(), end - at - marker.size())];
        ++unfinished;
        triggered += line.find("state = Triggered") != std::string::npos ? 1 : 0;
    }
    for (const auto& [client, counts] : clients) {
        std::printf("xruns that caught %s unfinished: %ld (not yet scheduled %ld)\n",
                    client.c_str(), counts.first, counts.second);
    }
}

int Run(int minutes, const std::string& songFile, unsigned period) {
    const fs::path program = fs::canonical("/proc/self/exe").parent_path() / "vorpline";
    if (auto missing = test::JackServer::Missing({"Xvfb"}); missing || !fs::exists(program)) {
        std::fprintf(stderr, "needs %s, jackd and Xvfb (Debian packages jackd2, xvfb)\n",
                     program.c_str());
        return 1;
    }
    int64_t loopFrames = 0;
    std::vector<Timed> song = Schedule(songFile, loopFrames);

    XServer x;
    if (!x.Up()) {
        std::fprintf(stderr, "the X server did not start\n");
        return 1;
    }
    // The server's own log names the client each xrun caught unfinished.
    const fs::path serverLog =
        fs::temp_directory_path() / ("soak-jackd-" + std::to_string(getpid()));
    test::JackServer server("soak", static_cast<int>(period), serverLog.string());
    if (!server.Up()) {
        std::fprintf(stderr, "the JACK server did not start\n");
        return 1;
    }
    SoakClient bench(std::move(song), loopFrames);
    ProgramSetup setup(program, period);
    const fs::path errors = fs::temp_directory_path() / (setup.Name() + ".stderr");
    std::optional<test::Child> synth;
    {
        test::ScopedEnv display("DISPLAY", x.Name());
        test::ScopedEnv platform("QT_QPA_PLATFORM", "xcb");
        synth.emplace(std::vector<std::string>{program.string(), setup.Name()}, "/dev/null",
                      errors.string());
    }
    if (!server.WaitForPort("Vorpline:outport 0") || !bench.Listen("Vorpline:outport 0")) {
        std::fprintf(stderr, "the program's audio output did not appear: %s\n",
                     ReadAll(errors).c_str());
        return 1;
    }
    std::this_thread::sleep_for(2s); // the MIDI input opens some time after start-up
    bench.Play();
    std::printf("soak: %d min, %s looping (%.1f s), %u frames at 48000 Hz, dummy JACK, Xvfb\n",
                minutes, songFile.c_str(), static_cast<double>(loopFrames) / kRate, period);
    std::printf("minute   RSS KiB   events sent   xruns (trivial client)   heard\n");
    long firstMinuteKiB = -1, peakAfterKiB = -1, lastKiB = -1;
    bool silent = false;
    for (int minute = 1; minute <= minutes; ++minute) {
        std::this_thread::sleep_for(60s);
        if (!synth->Running()) {
            std::printf("the program ended by itself after %d min: %s\n", minute - 1,
                        ReadAll(errors).c_str());
            return 1;
        }
        lastKiB = ResidentKiB(synth->Pid());
        const bool heard = bench.TakeHeard();
        silent = silent || !heard;
        if (minute == 1) {
            firstMinuteKiB = lastKiB;
        }
        peakAfterKiB = std::max(peakAfterKiB, lastKiB);
        std::printf("%6d   %7ld   %11ld   %22ld   %s\n", minute, lastKiB, bench.EventsSent(),
                    bench.Xruns(), heard ? "yes" : "NO");
        std::fflush(stdout);
    }
    synth->Stop(SIGTERM);
    const bool endedCleanly = !synth->Running();
    const std::string stderrText = ReadAll(errors);
    fs::remove(errors);

    // Error boxes are mirrored to stderr as "<application>: <text>".
    const std::string boxPrefix = std::string(TFormMain::kApplicationTitle) + ": ";
    long boxes = 0, underruns = 0;
    std::istringstream lines(stderrText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(boxPrefix, 0) == 0) {
            ++boxes;
            std::printf("error box: %s\n", line.c_str());
        }
        std::sscanf(line.c_str(), "Wave output: %ld underruns", &underruns);
    }
    const long growth = peakAfterKiB - firstMinuteKiB;
    std::printf("RSS after the first minute %ld KiB, peak later %ld KiB (growth %ld KiB, limit "
                "%ld), at the end %ld KiB\n",
                firstMinuteKiB, peakAfterKiB, growth, kGrowthLimitKiB, lastKiB);
    std::printf("xruns: trivial client %ld, the program's own underruns %ld\n", bench.Xruns(),
                underruns);
    PrintUnfinishedClients(ReadAll(serverLog));
    fs::remove(serverLog);
    std::printf("error boxes %ld, heard every minute %s, ended cleanly on SIGTERM %s\n", boxes,
                silent ? "NO" : "yes", endedCleanly ? "yes" : "NO");
    const bool passed = growth < kGrowthLimitKiB && boxes == 0 && !silent && endedCleanly;
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string song = argc > 2 ? argv[2] : kDefaultSong;
    const unsigned period = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 256;
    try {
        return Run(minutes, song, period);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
