// The walk's native Win32 listing and reading against the C library's on the same tree: the
// same files in the same order with the same bytes, a name outside ASCII, an empty file, a file
// larger than the buffer after a small one and the reverse, a file another handle is writing,
// and what cannot be listed or opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/files_win.h"
#include "test_util_win.h"
#include "tools/grep.h"

namespace tarvo::platform {
namespace {

struct Seen {
    std::vector<std::string> paths;
    std::vector<std::string> contents;
};

Seen WalkAndRead(const std::string& root) {
    Seen seen;
    std::string buffer;
    EXPECT_TRUE(WalkFiles(root, true, [&](const std::string& path) {
        std::size_t size = 0;
        seen.paths.push_back(path);
        seen.contents.push_back(ReadFileInto(path, buffer, size) ? std::string(buffer.data(), size) : "(unread)");
        return true;
    }));
    return seen;
}

class NativeWalk : public ::testing::Test {
protected:
    void TearDown() override { resetWalkOps(); }
    std::string dir = test::ScratchDir("native-walk");
};

TEST_F(NativeWalk, SameFilesOrderAndBytesAsTheCLibrary) {
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    CreateDirectoryA((dir + "\\sub\\Deeper").c_str(), nullptr);
    CreateDirectoryA((dir + "\\empty dir").c_str(), nullptr);
    test::WriteTextFile(dir + "\\b.c", "int b;\r\n");
    test::WriteTextFile(dir + "\\A.h", "");
    test::WriteTextFile(dir + "\\caf\xe9.c", "caf\xe9\n");
    std::string large(3 << 20, 'x');
    for (std::size_t i = 0; i < large.size(); i += 1000) large[i] = '\n';
    test::WriteTextFile(dir + "\\sub\\large.c", large);
    test::WriteTextFile(dir + "\\sub\\small.h", "small\n");
    test::WriteTextFile(dir + "\\sub\\Deeper\\z.c", "z");

    resetWalkOps();
    const Seen portable = WalkAndRead(dir);
    InstallWin32Files();
    const Seen native = WalkAndRead(dir);
    ASSERT_EQ(native.paths.size(), 6u);
    EXPECT_EQ(native.paths, portable.paths);
    EXPECT_EQ(native.paths[0], dir + "\\A.h");
    EXPECT_EQ(native.paths[2], dir + "\\caf\xe9.c");
    EXPECT_EQ(native.contents, portable.contents);
    EXPECT_EQ(native.contents[0], "");
    EXPECT_EQ(native.contents[2], "caf\xe9\n");
    EXPECT_EQ(native.contents[3], large);  // after smaller files: the buffer grew
    EXPECT_EQ(native.contents[4], "small\n");  // after a larger one: only its own bytes

    // Grep over the tree finds the same hits either way.
    tools::GrepRequest request{"f\xe9|int", "*.c *.h", dir, tools::kGrepSubdirectories | tools::kGrepRegex};
    tools::GrepMatcher matcher;
    ASSERT_EQ(tools::CompileGrep(request, matcher), 0u);
    const std::size_t hits = tools::RunGrep(request, matcher).hits.size();
    resetWalkOps();
    EXPECT_EQ(tools::RunGrep(request, matcher).hits.size(), hits);
    EXPECT_EQ(hits, 2u);  // "int b;", and "caf\xe9" without case
}

TEST_F(NativeWalk, FilesInUseMissingFilesAndDirectories) {
    InstallWin32Files();
    const std::string busy = dir + "\\busy.c";
    test::WriteTextFile(busy, "written meanwhile\n");
    HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    std::string buffer;
    std::size_t size = 99;
    EXPECT_TRUE(ReadFileInto(busy, buffer, size));
    EXPECT_EQ(std::string(buffer.data(), size), "written meanwhile\n");
    CloseHandle(writer);

    EXPECT_FALSE(ReadFileInto(dir + "\\none.c", buffer, size));
    EXPECT_EQ(size, 0u);
    EXPECT_FALSE(ReadFileInto(dir, buffer, size));  // a directory is no file
    EXPECT_FALSE(WalkFiles(dir + "\\none", true, [](const std::string&) { return true; }));
    int visited = 0;
    EXPECT_TRUE(WalkFiles(dir, false, [&](const std::string&) { return ++visited, true; }));
    EXPECT_EQ(visited, 1);
}

}  // namespace
}  // namespace tarvo::platform
