#include "cards/CardPorts.h"
#include "config/OutputConfig.h"
#include "platform/CheckPortAccess.h"
#include "platform/LinuxPortIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace vorpline {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Stands in for the kernel: records each request and grants or refuses it.
struct FakeKernel {
    struct IopermCall {
        unsigned long from;
        unsigned long count;
        int turnOn;
        bool operator==(const IopermCall&) const = default;
    };

    std::vector<IopermCall> iopermCalls;
    std::vector<int> ioplCalls;
    int refusal = 0; // errno to fail with, 0 to grant

    PortAccessCalls Calls() {
        return {[this](unsigned long from, unsigned long count, int turnOn) {
                    iopermCalls.push_back({from, count, turnOn});
                    return Answer();
                },
                [this](int level) {
                    ioplCalls.push_back(level);
                    return Answer();
                }};
    }

    int Answer() const {
        if (refusal == 0) {
            return 0;
        }
        errno = refusal;
        return -1;
    }
};

std::string ErrorMessage(PortDevice device, uint16_t base, const PortAccessCalls& calls) {
    try {
        CheckPortAccess(device, base, calls);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(no error)";
}

TEST(PortAccessTest, CardAndParallelPortAskForTheirOwnSpans) {
    FakeKernel kernel;

    CheckPortAccess(PortDevice::Card, 0x388, kernel.Calls());
    CheckPortAccess(PortDevice::Parallel, 0x378, kernel.Calls());
    CheckPortAccess(PortDevice::Card, 0x3FC, kernel.Calls());

    EXPECT_THAT(kernel.iopermCalls, ElementsAre(FakeKernel::IopermCall{0x388, 4, 1},
                                                FakeKernel::IopermCall{0x378, 3, 1},
                                                FakeKernel::IopermCall{0x3FC, 4, 1}));
    EXPECT_THAT(kernel.ioplCalls, IsEmpty());
}

TEST(PortAccessTest, PortsBeyondTheIopermRangeOpenTheWholeIoSpace) {
    FakeKernel kernel;

    CheckPortAccess(PortDevice::Card, 0x3FD, kernel.Calls());
    CheckPortAccess(PortDevice::Parallel, 0xE800, kernel.Calls());

    EXPECT_THAT(kernel.iopermCalls, IsEmpty());
    EXPECT_THAT(kernel.ioplCalls, ElementsAre(3, 3));
}

TEST(PortAccessTest, RefusalNamesThePortsTheRemedyAndTheReason) {
    FakeKernel kernel;
    kernel.refusal = EPERM;

    EXPECT_EQ(ErrorMessage(PortDevice::Card, 0x388, kernel.Calls()),
              std::string("No permission for I/O ports 0x0388-0x038B: run as root or grant "
                          "CAP_SYS_RAWIO (") +
                  std::strerror(EPERM) + ")");
    EXPECT_EQ(ErrorMessage(PortDevice::Parallel, 0xE800, kernel.Calls()),
              std::string("No permission for I/O ports 0xE800-0xE802: run as root or grant "
                          "CAP_SYS_RAWIO (") +
                  std::strerror(EPERM) + ")");
}

// A card's chip and mixer are granted together: an SB16 at 0220 drives its mixer at 0224/0225,
// which a grant of the chip's four ports alone would let the kernel kill the program for.
TEST(PortAccessTest, CardAccessGrantsTheMixerPortsToo) {
    FakeKernel kernel;

    CheckCardAccess(kTypeSB16, 0x220, kernel.Calls());
    CheckCardAccess(kTypeSOLO1, 0x240, kernel.Calls());
    CheckCardAccess(kTypeFM801, 0xE800, kernel.Calls());

    EXPECT_THAT(kernel.iopermCalls, ElementsAre(FakeKernel::IopermCall{0x220, 6, 1},
                                                FakeKernel::IopermCall{0x240, 6, 1},
                                                FakeKernel::IopermCall{0x247, 1, 1}));
    EXPECT_THAT(kernel.ioplCalls, ElementsAre(3));

    kernel.refusal = EACCES;
    try {
        CheckCardAccess(kTypeESS, 0x220, kernel.Calls());
        ADD_FAILURE() << "refused access was let through";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(),
                  std::string("No permission for I/O ports 0x0220-0x0225, 0x0227: run "
                              "as root or grant CAP_SYS_RAWIO (") +
                      std::strerror(EACCES) + ")");
    }
}

TEST(PortAccessTest, ImpossibleRangesAreRejectedBeforeAskingTheKernel) {
    FakeKernel kernel;

    EXPECT_THROW(CheckPortAccess(PortDevice::Card, 0xFFFD, kernel.Calls()), std::invalid_argument);
    EXPECT_THROW(CheckPortAccess(PortDevice::Parallel, 0xFFFE, kernel.Calls()),
                 std::invalid_argument);
    EXPECT_THROW(LinuxPortIo::RequestAccess(0x389, 0x388, kernel.Calls()), std::invalid_argument);
    EXPECT_THROW(CheckPortAccess(std::vector<PortRange>{}, kernel.Calls()), std::invalid_argument);
    EXPECT_THROW(CheckPortAccess({{0x220, 0x223}, {0x230, 0x22F}}, kernel.Calls()),
                 std::invalid_argument);
    EXPECT_THAT(kernel.iopermCalls, IsEmpty());
    EXPECT_THAT(kernel.ioplCalls, IsEmpty());
}

} // namespace
} // namespace vorpline
