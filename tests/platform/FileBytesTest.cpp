#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <string>

#include "platform/FileBytes.h"
#include "support/TempDir.h"

namespace vorpline::test {
namespace {

TEST(FileBytes, ReadsUpToTheLimitAndNamesWhatWentWrong) {
    TempDir dir;
    std::ofstream(dir.File("ten"), std::ios::binary) << "0123456789";
    std::filesystem::create_directory(dir.path / "folder");
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0); // opening one would wait for a writer
    struct Case {
        std::string name;
        size_t limit;
        std::string bytes;
        std::string error;
    } cases[] = {
        {"ten", 100, "0123456789", ""},
        {"ten", 10, "0123456789", ""},
        {"ten", 4, "0123", ""}, // an over-long file shows as one byte more than accepted
        {"ten", 0, "", ""},
        {"missing", 10, "", "cannot open: No such file or directory"},
        {"folder", 10, "", "not a regular file"},
        {"fifo", 10, "", "not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " limit " + std::to_string(c.limit));
        FileBytes read = ReadFileBytes(dir.path / c.name, c.limit);
        EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), c.bytes);
        EXPECT_EQ(read.error, c.error);
        EXPECT_EQ(static_cast<bool>(read), c.error.empty());
    }
}

} // namespace
} // namespace vorpline::test
