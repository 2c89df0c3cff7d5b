#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace tarvo::platform {
namespace {

namespace fs = std::filesystem;

TEST(FullPath, RelativeNamesAreTakenFromTheGivenDirectory) {
    EXPECT_EQ(FullPath("a.c", "/work/src"), "/work/src/a.c");
    EXPECT_EQ(FullPath("..\\inc\\b.h", "/work/src"), "/work/inc/b.h");
    EXPECT_EQ(FullPath(".\\x\\..\\c.c", "/work/src"), "/work/src/c.c");
    EXPECT_EQ(FullPath("/other/d.c", "/work/src"), "/other/d.c");  // a full name stays
    EXPECT_EQ(FullPath("sub\\..", "/work/src"), "/work/src");       // no trailing separator
    // Without a directory, from the current one.
    EXPECT_EQ(FullPath("e.c"), (fs::current_path() / "e.c").string());
}

TEST(UnusedFileName, NamesNoExistingFile) {
    std::string dir = TempDirectory();
    std::string first = UnusedFileName(dir, "trv");
    EXPECT_EQ(first.rfind(dir, 0), 0u);
    EXPECT_FALSE(FileExists(first));
    std::ofstream(HostPath(first)) << "x";
    std::string second = UnusedFileName(dir, "trv");
    EXPECT_NE(first, second);
    EXPECT_FALSE(FileExists(second));
    RemoveFile(first);
}

// Reads go through the same table as writes, so a test can fail them; a read that fails short
// of the end is an error, not a shorter file.
TEST(FileOps, ReadsGoThroughTheTable) {
    std::string path = UnusedFileName(TempDirectory(), "rd");
    std::ofstream(HostPath(path)) << "first line\r\nsecond";
    static int reads;
    reads = 0;
    FileOps ops = fileOps();
    ops.read = [](void*, std::size_t, std::FILE*) -> std::size_t { return ++reads, 0; };
    setFileOps(ops);
    FileContent content;
    EXPECT_EQ(ReadWholeFile(path, content), ReadStatus::ReadError);  // not an empty file
    std::string line;
    EXPECT_TRUE(ReadFirstLine(path, 100, line));
    EXPECT_EQ(line, "");
    EXPECT_GE(reads, 2);
    resetFileOps();
    EXPECT_EQ(ReadWholeFile(path, content), ReadStatus::Ok);
    EXPECT_EQ(std::string(content.data.get(), content.size), "first line\r\nsecond");
    EXPECT_TRUE(ReadFirstLine(path, 100, line));
    EXPECT_EQ(line, "first line");
    EXPECT_TRUE(ReadFirstLine(path, 5, line));
    EXPECT_EQ(line, "first");
    RemoveFile(path);
}

}  // namespace
}  // namespace tarvo::platform
