#include "engine/PortPrimitives.h"
#include "support/RecordingPortIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vorpline {
namespace {

using test::In16;
using test::In8;
using test::Out16;
using test::Out8;
using ::testing::ElementsAre;

TEST(PortPrimitivesTest, ByteWriteReadsBackAndReturnsTheLastByteRead) {
    test::RecordingPortIo io;
    io.replies[0x224] = {0x11, 0x22, 0x33};

    EXPECT_EQ(WriteThenReadByte(io, 0x224, 0x80, 3), 0x33);
    EXPECT_THAT(io.events, ElementsAre(Out8(0x224, 0x80), In8(0x224, 0x11), In8(0x224, 0x22),
                                       In8(0x224, 0x33)));
}

TEST(PortPrimitivesTest, ByteWriteWithoutReadsReturnsTheWrittenByte) {
    test::RecordingPortIo io;

    EXPECT_EQ(WriteThenReadByte(io, 0x224, 0x5A, 0), 0x5A);
    EXPECT_THAT(io.events, ElementsAre(Out8(0x224, 0x5A)));
}

TEST(PortPrimitivesTest, WordWriteKeepsAllSixteenBits) {
    test::RecordingPortIo io;
    io.replies[0x534] = {0x1234, 0xBEEF};

    EXPECT_EQ(WriteThenReadWord(io, 0x534, 0xA55A, 2), 0xBEEF);
    EXPECT_EQ(WriteThenReadWord(io, 0x534, 0xC3C3, 0), 0xC3C3);
    EXPECT_THAT(io.events, ElementsAre(Out16(0x534, 0xA55A), In16(0x534, 0x1234),
                                       In16(0x534, 0xBEEF), Out16(0x534, 0xC3C3)));
}

} // namespace
} // namespace vorpline
