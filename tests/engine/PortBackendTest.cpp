#include "engine/PortBackend.h"
#include "support/RecordingPortIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace vorpline {
namespace {

using test::In8;
using test::Out8;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PortBackendTest, WithoutDelaysAWriteIsExactlyTwoPortWrites) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x388, 0, 0);

    backend.Write(0, 0xB0, 0x2A, 0);

    EXPECT_THAT(io.events, ElementsAre(Out8(0x388, 0xB0), Out8(0x389, 0x2A)));
}

TEST(PortBackendTest, BankOneUsesTheUpperPortPair) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x220, 0, 0);

    backend.Write(1, 0x05, 0x01, 0);

    EXPECT_THAT(io.events, ElementsAre(Out8(0x222, 0x05), Out8(0x223, 0x01)));
}

TEST(PortBackendTest, DelaysReadBackThePortJustWritten) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x388, 2, 3);

    backend.Write(1, 0x40, 0x3F, 0);

    EXPECT_THAT(io.events, ElementsAre(Out8(0x38A, 0x40), In8(0x38A, 0xFF), In8(0x38A, 0xFF),
                                       Out8(0x38B, 0x3F), In8(0x38B, 0xFF), In8(0x38B, 0xFF),
                                       In8(0x38B, 0xFF)));
}

TEST(PortBackendTest, ExtraDelayFollowsOnlyTheDataWrite) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x388, 1, 1);

    backend.Write(0, 0xA0, 0x44, 2);

    EXPECT_THAT(io.events, ElementsAre(Out8(0x388, 0xA0), In8(0x388, 0xFF), Out8(0x389, 0x44),
                                       In8(0x389, 0xFF), In8(0x389, 0xFF), In8(0x389, 0xFF)));
}

TEST(PortBackendTest, LongestDelaysAddUpWithoutWrappingAround) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x388, 0, 0xFFFF);

    backend.Write(0, 0x01, 0x20, 0xFFFF);

    const auto dataReads = std::count(io.events.begin(), io.events.end(), In8(0x389, 0xFF));
    EXPECT_EQ(dataReads, 0x1FFFE);
}

TEST(PortBackendTest, RejectsBadInputWithoutTouchingThePorts) {
    test::RecordingPortIo io;
    PortBackend backend(io, 0x388, 1, 1);

    EXPECT_THROW(backend.Write(2, 0x01, 0x00, 0), std::out_of_range);
    EXPECT_THROW(backend.Write(-1, 0x01, 0x00, 0), std::out_of_range);
    EXPECT_THAT(io.events, IsEmpty());

    EXPECT_THROW(PortBackend(io, 0xFFFD, 0, 0), std::invalid_argument);
    EXPECT_NO_THROW(PortBackend(io, 0xFFFC, 0, 0));
}

} // namespace
} // namespace vorpline
