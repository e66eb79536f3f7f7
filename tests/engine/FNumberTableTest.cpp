#include <gtest/gtest.h>

#include "engine/FNumberTable.h"
#include "engine/MultiplierCents.h"

namespace vorpline {
namespace {

int FNum(FNumber f) {
    return f.high << 8 | f.low;
}
int Block(FNumber f) {
    return f.blockBits >> 2;
}

TEST(FNumberTable, CheckValues) {
    FNumberTable t;
    EXPECT_EQ(t.Entry(0), 326);
    EXPECT_EQ(t.Entry(100), 345);
    EXPECT_EQ(t.Entry(1000), 580);
    EXPECT_EQ(t.Entry(1299), 689);
    for (int i = 1; i < FNumberTable::kSize; ++i) {
        EXPECT_GE(t.Entry(i), t.Entry(i - 1));
    }
}

TEST(FNumberTable, NotesToRegisters) {
    FNumberTable t;
    EXPECT_EQ(Block(t.Compute(60, 0)), 4);
    EXPECT_EQ(FNum(t.Compute(60, 0)), 345);
    EXPECT_EQ(Block(t.Compute(69, 0)), 4);
    EXPECT_EQ(FNum(t.Compute(69, 0)), 580);
    // An octave is a block, not an F-number.
    EXPECT_EQ(Block(t.Compute(81, 0)), 5);
    EXPECT_EQ(FNum(t.Compute(81, 0)), 580);
    // Whole semitones of the offset move the note; +1200 is the next block.
    EXPECT_EQ(Block(t.Compute(57, 1200)), 4);
    EXPECT_EQ(FNum(t.Compute(57, 1200)), 580);
    // A negative remainder reads the row below: C minus 1 cent sits just under C.
    FNumber below = t.Compute(60, -1);
    EXPECT_EQ(Block(below), 4);
    EXPECT_EQ(FNum(below), t.Entry(99));
    // Top and bottom of the range.
    EXPECT_EQ(FNum(t.Compute(115, 0)), 0);
    EXPECT_EQ(Block(t.Compute(114, 100)), 0);
    EXPECT_EQ(Block(t.Compute(108, 0)), 7);
    EXPECT_EQ(FNum(t.Compute(108, 0)), 690);
    EXPECT_EQ(FNum(t.Compute(0, 0)), 345 >> 1);
    EXPECT_EQ(FNum(t.Compute(0, -100)), t.Entry(1200) >> 2);
    EXPECT_EQ(FNum(t.Compute(0, -1300)), t.Entry(1200) >> 3);
    EXPECT_EQ(FNum(t.Compute(0, -100000)), 0);
}

TEST(MultiplierCents, LookupAndText) {
    EXPECT_EQ(MultiplierIndexOfCents(0), 1);
    EXPECT_EQ(MultiplierIndexOfCents(-1200), 0);
    EXPECT_EQ(MultiplierIndexOfCents(3990), 10);
    EXPECT_EQ(MultiplierIndexOfCents(4690), 14);
    EXPECT_EQ(MultiplierIndexOfCents(17), kMultiplierNotFound);
    EXPECT_EQ(CentsText(0), "0 cents");
    EXPECT_EQ(CentsText(1200), "+1200");
    EXPECT_EQ(CentsText(-4690), "-4690");
    EXPECT_EQ(CentsFromText("+1200"), 1200);
    EXPECT_EQ(CentsFromText(" -4690 "), -4690);
    EXPECT_EQ(CentsFromText("0 cents"), 0);
    EXPECT_EQ(CentsFromText("12x"), 0);
    EXPECT_EQ(CentsFromText(""), 0);
    EXPECT_EQ(CentsFromText("99999999999999"), 0);
}

} // namespace
} // namespace vorpline
