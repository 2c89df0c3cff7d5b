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

TEST(BackupName, TheExtensionsFirstTwoCharactersAfterATilde) {
    EXPECT_EQ(BackupName("c:\\src\\prog.cpp"), "c:\\src\\prog.~cp");
    EXPECT_EQ(BackupName("a.c"), "a.~c");
    EXPECT_EQ(BackupName("c:\\v1.2\\Makefile"), "c:\\v1.2\\Makefile.~");  // a period in a folder
}

// Reads at an offset stay inside the size seen at opening; a failed seek or a read that
// comes up short is an error, never fewer bytes; the stamp tells a changed file.
TEST(ReadAt, BoundedReadsAndFailuresAreTold) {
    std::string path = UnusedFileName(TempDirectory(), "ra");
    std::ofstream(HostPath(path), std::ios::binary) << "0123456789";
    FileStamp before = StampOf(path);
    EXPECT_TRUE(before.exists);
    EXPECT_EQ(before.size, 10u);
    ReadHandle h;
    ASSERT_TRUE(OpenForReading(path, h));
    EXPECT_EQ(h.size, 10u);
    char buf[16] = {};
    EXPECT_EQ(ReadAt(h, 7, buf, sizeof buf), 3);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(ReadAt(h, 10, buf, 4), 0);
    EXPECT_EQ(ReadAt(h, ~std::uint64_t{0}, buf, 4), 0);
    EXPECT_EQ(ReadAt(h, 2, buf, 2), 2);
    EXPECT_EQ(std::string(buf, 2), "23");

    FileOps ops = fileOps();
    ops.seek = [](std::FILE*, std::uint64_t) { return false; };
    setFileOps(ops);
    EXPECT_EQ(ReadAt(h, 0, buf, 4), -1);
    ops = fileOps();
    ops.seek = [](std::FILE* f, std::uint64_t o) { return std::fseek(f, static_cast<long>(o), SEEK_SET) == 0; };
    ops.read = [](void*, std::size_t size, std::FILE*) { return size / 2; };
    setFileOps(ops);
    EXPECT_EQ(ReadAt(h, 0, buf, 4), -1);
    resetFileOps();
    EXPECT_EQ(ReadAt(h, 0, buf, 4), 4);  // the handle still works afterwards

    CloseReading(h);
    EXPECT_EQ(ReadAt(h, 0, buf, 4), -1);
    std::ofstream(HostPath(path), std::ios::binary) << "01234567890";
    EXPECT_FALSE(StampOf(path) == before);
    RemoveFile(path);
    EXPECT_FALSE(StampOf(path).exists);
    EXPECT_FALSE(OpenForReading(path, h));
}

}  // namespace
}  // namespace tarvo::platform
