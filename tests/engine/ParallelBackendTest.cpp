#include "engine/ParallelBackend.h"
#include "support/RecordingParallelLines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace vorpline {
namespace {

using test::ControlIn;
using test::ControlOut;
using test::DataIn;
using test::DataOut;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The register values the cycles use, with the levels the connector shows for them.
static_assert(ControlRawToLogic(0x0D) == 0x06);
static_assert(ControlRawToLogic(0x09) == 0x02);
static_assert(ControlRawToLogic(0x0C) == 0x07);
static_assert(ControlRawToLogic(0x08) == 0x03);
static_assert(ControlRawToLogic(0x05) == 0x0E);
static_assert(ControlRawToLogic(0x01) == 0x0A);
static_assert(ControlRawToLogic(0x04) == 0x0F);
static_assert(ControlRawToLogic(0x00) == 0x0B);

TEST(ParallelBackendTest, ControlTranslationFlipsOnlyTheHardwareInvertedBits) {
    for (int raw = 0; raw < 0x100; ++raw) {
        const uint8_t logic = ControlRawToLogic(static_cast<uint8_t>(raw));
        EXPECT_EQ(logic & 0xF4, raw & 0xF4) << "raw 0x" << std::hex << raw;
        EXPECT_EQ(logic & 0x0B, ~raw & 0x0B) << "raw 0x" << std::hex << raw;
    }
}

TEST(ParallelBackendTest, BankZeroStrobesAddressThenData) {
    test::RecordingParallelLines lines;
    ParallelBackend backend(lines, 0, 0);

    backend.Write(0, 0xBD, 0x20, 0);

    EXPECT_THAT(lines.events, ElementsAre(DataOut(0xBD), ControlOut(ControlRawToLogic(0x0D)),
                                          ControlOut(ControlRawToLogic(0x09)),
                                          ControlOut(ControlRawToLogic(0x0D)), DataOut(0x20),
                                          ControlOut(ControlRawToLogic(0x0C)),
                                          ControlOut(ControlRawToLogic(0x08)),
                                          ControlOut(ControlRawToLogic(0x0C))));
}

TEST(ParallelBackendTest, BankOneClearsTheBankBit) {
    test::RecordingParallelLines lines;
    ParallelBackend backend(lines, 0, 0);

    backend.Write(1, 0x04, 0x80, 0);

    EXPECT_THAT(lines.Writes(), ElementsAre(DataOut(0x04), ControlOut(ControlRawToLogic(0x05)),
                                            ControlOut(ControlRawToLogic(0x01)),
                                            ControlOut(ControlRawToLogic(0x05)), DataOut(0x80),
                                            ControlOut(ControlRawToLogic(0x04)),
                                            ControlOut(ControlRawToLogic(0x00)),
                                            ControlOut(ControlRawToLogic(0x04))));
}

TEST(ParallelBackendTest, DelaysReadTheLinesJustWrittenAndExtraDelayEndsTheDataCycle) {
    test::RecordingParallelLines lines;
    ParallelBackend backend(lines, 1, 2);

    backend.Write(0, 0xA0, 0x55, 1);

    const uint8_t addressIdle = ControlRawToLogic(0x0D);
    const uint8_t addressStrobe = ControlRawToLogic(0x09);
    const uint8_t dataIdle = ControlRawToLogic(0x0C);
    const uint8_t dataStrobe = ControlRawToLogic(0x08);
    EXPECT_THAT(lines.events,
                ElementsAre(DataOut(0xA0), DataIn(0xA0), ControlOut(addressIdle),
                            ControlIn(addressIdle), ControlOut(addressStrobe),
                            ControlIn(addressStrobe), ControlOut(addressIdle),
                            ControlIn(addressIdle), ControlIn(addressIdle), DataOut(0x55),
                            DataIn(0x55), ControlOut(dataIdle), ControlIn(dataIdle),
                            ControlOut(dataStrobe), ControlIn(dataStrobe), ControlOut(dataIdle),
                            ControlIn(dataIdle), ControlIn(dataIdle), ControlIn(dataIdle)));
}

TEST(ParallelBackendTest, RejectsABadBankWithoutTouchingTheLines) {
    test::RecordingParallelLines lines;
    ParallelBackend backend(lines, 1, 1);

    EXPECT_THROW(backend.Write(2, 0x01, 0x00, 0), std::out_of_range);
    EXPECT_THROW(backend.Write(-1, 0x01, 0x00, 0), std::out_of_range);
    EXPECT_THAT(lines.events, IsEmpty());
}

} // namespace
} // namespace vorpline
