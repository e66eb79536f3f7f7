#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include <gtest/gtest.h>

#include "audio/RtAudioBackend.h"
#include "midi/RtMidiPortSystem.h"
#include "support/TempDir.h"

namespace vorpline {
namespace {

// Everything written to standard error (the descriptor, as alsa-lib writes it) while `work`
// runs.
template <typename Work> std::string StandardErrorOf(Work work) {
    test::TempDir dir;
    const std::string file = dir.File("stderr.txt");
    std::fflush(stderr);
    std::cerr.flush();
    const int saved = dup(STDERR_FILENO);
    const int capture = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(capture, STDERR_FILENO);
    close(capture);
    work();
    std::fflush(stderr);
    std::cerr.flush();
    dup2(saved, STDERR_FILENO);
    close(saved);
    return test::TempDir::Read(file);
}

// On a machine without a sound card every probe of ALSA made alsa-lib print its complaints
// ("ALSA lib confmisc.c:855:(parse_card) cannot find card '0'", eight lines a start) among the
// program's own messages.
TEST(DeviceProbeTest, ListingAudioAndMidiDevicesLeavesAlsaQuiet) {
    const std::string printed = StandardErrorOf([] {
        RtAudioBackend audio;
        audio.OutputDevices();
        RtMidiPortSystem midi;
        midi.ListInputs();
    });
    EXPECT_EQ(printed.find("ALSA lib"), std::string::npos) << printed;
}

} // namespace
} // namespace vorpline
