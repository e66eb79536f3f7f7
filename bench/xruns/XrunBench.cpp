// Xruns of the live output against the machine's own floor. For each JACK period (512, 256,
// 128, 64 frames at 48000 Hz) the bench starts a JACK server on its dummy backend and runs,
// side by side for the given time, a trivial client (a sine generator) and the synthesizer
// playing all 18 channels with the DSP stage on, and counts the underflows each saw through
// RtAudio's status flags. Running them together means a hiccup of the server itself counts
// for both; what the synthesizer has beyond the sine client is its own.
//
//   ./build-test/vorpline-xrun-bench [SECONDS]      (default 60)
#include <rtaudio/RtAudio.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>

#include "bench/BenchPatches.h"
#include "engine/EmulatorBackend.h"
#include "engine/OPL3.h"
#include "audio/RtAudioBackend.h"
#include "dsp/TFormDSP.h"
#include "audio/WaveOut.h"
#include "platform/VirtualTimerService.h"
#include "support/ChildProcess.h"
#include "support/RunProgram.h"

namespace {

using namespace vorpline;
using namespace std::chrono_literals;

bool WaitForServer() {
    for (int i = 0; i < 100; ++i) {
        if (test::RunProgram("jack_lsp", {}).output.find("system:playback_1") !=
            std::string::npos) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

// The floor: a client that only writes a sine.
class SineClient {
public:
    explicit SineClient(unsigned period) : audio(RtAudio::UNIX_JACK) {
        audio.showWarnings(false);
        RtAudio::StreamParameters out;
        out.deviceId = 0;
        out.nChannels = 2;
        unsigned frames = period;
        RtAudio::StreamOptions options;
        options.streamName = "SineFloor";
        audio.openStream(&out, nullptr, RTAUDIO_SINT16, 48000, &frames, &SineClient::Fill, this,
                         &options);
        audio.startStream();
    }
    ~SineClient() {
        audio.stopStream();
        audio.closeStream();
    }
    uint64_t Xruns() const { return xruns.load(); }

private:
    static int Fill(void* buffer, void*, unsigned n, double, RtAudioStreamStatus status,
                    void* data) {
        auto* self = static_cast<SineClient*>(data);
        if (status & RTAUDIO_OUTPUT_UNDERFLOW) {
            self->xruns.fetch_add(1);
        }
        auto* samples = static_cast<int16_t*>(buffer);
        for (unsigned i = 0; i < n; ++i) {
            auto v = static_cast<int16_t>(8000 * std::sin(self->phase));
            samples[2 * i] = samples[2 * i + 1] = v;
            self->phase += 2 * M_PI * 440 / 48000;
        }
        return 0;
    }

    RtAudio audio;
    double phase = 0;
    std::atomic<uint64_t> xruns{0};
};

// Both clients for `seconds`; returns {sine client's xruns, synthesizer's xruns}.
std::pair<uint64_t, uint64_t> XrunsSideBySide(unsigned period, int seconds) {
    RtAudioBackend device;
    YMF262 chip;
    TFormDSP dsp(48000);
    dsp.ApplySettings("0,1,70,60,4,2,3,90,40");
    WaveOut wave(device, false);
    wave.Open("system", chip, &dsp, 48000, static_cast<uint16_t>(period), 2, "");
    EmulatorBackend backend(wave.Registers());
    VirtualTimerService timers;
    OPL3 engine(backend, timers, {});
    bench::StrikeAllVoices(engine);
    SineClient sine(period);
    // Let both streams settle before counting.
    std::this_thread::sleep_for(500ms);
    uint64_t synthBefore = wave.Underruns();
    uint64_t sineBefore = sine.Xruns();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    std::pair<uint64_t, uint64_t> result{sine.Xruns() - sineBefore, wave.Underruns() - synthBefore};
    wave.Close();
    return result;
}

} // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    std::printf("period  sine-client-xruns  synthesizer-xruns  (%d s side by side, 48000 Hz, "
                "dummy JACK)\n",
                seconds);
    for (unsigned period : {512u, 256u, 128u, 64u}) {
        std::string server = "vorpline-xruns-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", server.c_str(), 1);
        setenv("JACK_NO_START_SERVER", "1", 1);
        test::Child jackd({*test::FindProgram("jackd"), "-n", server, "--no-realtime", "-d",
                           "dummy", "-r", "48000", "-p", std::to_string(period)});
        if (!WaitForServer()) {
            std::fprintf(stderr, "the JACK server did not start\n");
            return 1;
        }
        auto [sine, synth] = XrunsSideBySide(period, seconds);
        std::printf("%6u  %17llu  %17llu\n", period, static_cast<unsigned long long>(sine),
                    static_cast<unsigned long long>(synth));
        std::fflush(stdout);
    }
    return 0;
}
