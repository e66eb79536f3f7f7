#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/MidiOut.h"
#include "midi/MidiPortSystem.h"

namespace vorpline {
namespace {

struct FakeOutputs : MidiOutPortSystem {
    std::vector<std::string> ListOutputs() override { return names; }
    int Open(std::size_t port) override {
        opened = static_cast<int>(port);
        return openResult;
    }
    int Send(uint32_t packed) override {
        sent.push_back(packed);
        return kMidiOk;
    }
    int Reset() override { return resetResult; }
    int Close() override { return closeResult; }

    std::vector<std::string> names{"zeta", "Synth", "alpha", "Synth"};
    int openResult = kMidiOk;
    int resetResult = kMidiOk;
    int closeResult = kMidiOk;
    int opened = -1;
    std::vector<uint32_t> sent;
};

TEST(MidiOut, ListsOpensSendsAndReportsEveryFailure) {
    FakeOutputs ports;
    std::vector<std::string> errors;
    MidiOut out(ports, [&](const std::string& message) { errors.push_back(message); });
    EXPECT_EQ(out.ListDevices(true),
              (std::vector<std::string>{"No midi output", "alpha", "Synth", "Synth", "zeta"}));
    EXPECT_FALSE(out.SendControl(1, 2, 0)) << "closed: nothing sent, nothing said";

    EXPECT_FALSE(out.Open("No midi output"));
    EXPECT_FALSE(out.Open("gone"));
    ports.openResult = kMidiNoDriver;
    EXPECT_FALSE(out.Open("zeta"));
    ports.openResult = kMidiOk;
    EXPECT_TRUE(out.Open("Synth"));
    EXPECT_EQ(ports.opened, 1) << "the first of two ports of that name";
    EXPECT_TRUE(out.Open("alpha"));
    EXPECT_TRUE(out.SendControl(100, 71, 0));
    EXPECT_EQ(ports.sent, (std::vector<uint32_t>{0x6447B0}));

    ports.resetResult = 2;
    EXPECT_TRUE(out.Close());
    ports.resetResult = kMidiOk;
    ports.closeResult = 30;
    EXPECT_TRUE(out.Close());
    ports.closeResult = kMidiOk;
    EXPECT_FALSE(out.Close());
    EXPECT_FALSE(out.Close());
    EXPECT_EQ(errors, (std::vector<std::string>{
                          "Midi output invalid", "Midi output not found",
                          "Failed to open midi output [NODRIVER]", "Midi output already open",
                          "Failed to reset midi output [BADDEVICEID]",
                          "Failed to close midi output [30]", "Midi output already closed"}));
}

} // namespace
} // namespace vorpline
