#include "platform/Ieee1284ParallelLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace vorpline {
namespace {

using ::testing::StartsWith;

// No parallel port ever lives at 0x0004 (the DMA controller's registers), so whatever ports
// this machine has, the lookup must fail with the address in the text.
TEST(Ieee1284ParallelLinesTest, AbsentPortIsReportedAsNotFound) {
    EXPECT_THAT(
        [] { Ieee1284ParallelLines lines(0x0004); },
        ::testing::ThrowsMessage<std::runtime_error>(StartsWith("Parallel port 0x0004 not found")));
}

} // namespace
} // namespace vorpline
