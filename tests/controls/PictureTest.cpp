#include <gtest/gtest.h>

#include <fstream>

#include "controls/Picture.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

TEST(Picture, KeepsThePreviousPictureWhenAFileCannotBeUsed) {
    TempDir dir;
    std::ofstream(dir.File("a.jpg"), std::ios::binary) << std::string("\xFF\xD8\x00\x01", 4);
    std::ofstream(dir.File("empty.jpg"), std::ios::binary);
    Picture picture("ImageCnt");
    int changes = 0;
    picture.Observe([&] { ++changes; });

    ASSERT_TRUE(picture.LoadFromFile(dir.File("a.jpg")));
    EXPECT_EQ(picture.Bytes(), (std::vector<unsigned char>{0xFF, 0xD8, 0x00, 0x01}));
    for (const std::string& bad :
         {dir.File("missing.jpg"), dir.File("empty.jpg"), dir.path.string()}) {
        EXPECT_FALSE(picture.LoadFromFile(bad)) << bad;
    }
    EXPECT_EQ(picture.Path(), dir.File("a.jpg"));
    EXPECT_EQ(picture.Bytes().size(), 4u);
    EXPECT_EQ(changes, 1);
    picture.Clear();
    EXPECT_TRUE(picture.Empty());
}

} // namespace
} // namespace vorpline::test
