#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "files/WaveFileReader.h"
#include "presets/ExtLayout.h"
#include "presets/TSbi.h"
#include "support/AudioAnalysis.h"
#include "support/LfoPreset.h"
#include "support/MidiBytes.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"
#include "support/TestPatches.h"

namespace vorpline::test {
namespace {

using namespace midibytes;

constexpr double kWindow = 0.005;

// The loudness of [from, to): the peak of each 5 ms window.
std::vector<double> Envelope(const StereoSignal& sound, double from, double to) {
    std::vector<double> envelope;
    for (double t = from; t + kWindow <= to; t += kWindow) {
        envelope.push_back(sound.Peak(t, t + kWindow));
    }
    return envelope;
}

// The lag, between `shortest` and `longest` seconds, at which the envelope best matches itself.
double Period(const std::vector<double>& envelope, double shortest, double longest) {
    double mean = 0;
    for (double e : envelope) {
        mean += e / static_cast<double>(envelope.size());
    }
    double best = -1e300;
    size_t bestLag = 0;
    for (auto lag = static_cast<size_t>(shortest / kWindow); lag <= longest / kWindow; ++lag) {
        double sum = 0;
        for (size_t i = 0; i + lag < envelope.size(); ++i) {
            sum += (envelope[i] - mean) * (envelope[i + lag] - mean);
        }
        sum /= static_cast<double>(envelope.size() - lag);
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    return static_cast<double>(bestLag) * kWindow;
}

// An LFO on "Operator Volume", one sine cycle per quarter note, is heard as a tremolo at the
// tempo's rate: a period of one beat.
TEST(LfoRender, AnLfoOnOperatorVolumeIsATremoloInTempo) {
    TempDir dir;
    auto [patch, ext] = SustainedSine();
    ext[ext::kCcBits] = 0x28; // the two carriers follow the map
    ASSERT_TRUE(TSbi(dir.path).Write("6op", "Tremolo", patch, ext));
    ASSERT_TRUE(
        WriteLfoPreset(dir.File("tremolo.lfo"), LfoRecord(true, 22, /*Sine(t) (n.PI)*/ 4, 2, 24)));
    Save(dir.File("song.mid"),
         File(0, 480, {Track({{0, {0x90, 69, 127}}, {3840, {0x80, 69, 0}}})}));

    for (auto [tempo, beat] : {std::pair{"120", 24 * 21 / 1000.0}, {"90", 24 * 28 / 1000.0}}) {
        SCOPED_TRACE(std::string(tempo) + " BPM");
        const std::vector<std::string> args = {dir.File("song.mid"),
                                               dir.File("out.wav"),
                                               "--quiet",
                                               "--preset",
                                               (dir.path / "6op" / "Tremolo.sbi").string(),
                                               "--lfo",
                                               dir.File("tremolo.lfo"),
                                               "--tempo",
                                               tempo};
        auto run = RunProgram(VORPLINE_RENDER_EXE, args);
        ASSERT_EQ(run.exitCode, 0) << run.output;
        const WaveFileReader wave = WaveFileReader::Load(dir.File("out.wav"));
        const StereoSignal sound{wave.Samples(), wave.SampleRate()};
        // The integer-millisecond tick (21 ms at 120 BPM, 28 at 90) sets the true beat.
        const std::vector<double> envelope = Envelope(sound, 0.5, 3.5);
        EXPECT_NEAR(Period(envelope, 0.3, 0.9), beat, 0.011);
        EXPECT_GT(*std::max_element(envelope.begin(), envelope.end()),
                  8 * *std::min_element(envelope.begin(), envelope.end()))
            << "the tremolo goes deep";

        // Two renders of the same song and presets are the same bytes.
        auto again = RunProgram(VORPLINE_RENDER_EXE, [&] {
            auto copy = args;
            copy[1] = dir.File("again.wav");
            return copy;
        }());
        ASSERT_EQ(again.exitCode, 0);
        EXPECT_EQ(TempDir::Read(dir.File("out.wav")), TempDir::Read(dir.File("again.wav")));
    }
}

} // namespace
} // namespace vorpline::test
