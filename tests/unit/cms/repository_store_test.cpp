// Storing working files in repository files on the disk: every interruption leaves the old file
// or the new one, names the format cannot hold are refused, binary files come back byte for
// byte, and the semaphore file keeps a second operation out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cms/repository_store.h"
#include "file_faults.h"
#include "platform/files.h"
#include "platform/text.h"
#include "scripted_ui.h"

namespace tarvo::cms {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

struct StoreTest : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / Printf("tarvo-cms-%d", getpid());
    test::ScopedScriptedUi ui;
    void SetUp() override {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir / "CMS");
    }
    void TearDown() override {
        std::filesystem::permissions(dir / "CMS", std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(dir);
    }
    std::string Path(const std::string& name) const { return (dir / name).string(); }

    StoreRequest Request(const std::string& name, const std::string& number, const std::string& parent,
                         const std::string& author = "alice") const {
        StoreRequest r;
        r.cmsPath = Path("CMS/" + name);
        r.workingFile = Path(name);
        r.revision.number = number;
        r.revision.parent = parent;
        r.revision.date = "2026.12.6.21.0.0";
        r.revision.author = author;
        r.revision.log = "saved";
        r.user = author;
        return r;
    }
};

TEST_F(StoreTest, EveryInterruptionLeavesTheOldFileOrTheNewOne) {
    WriteBytes(Path("main.c"), "int main() {\r\n  return 0;\r\n}\r\n");
    ASSERT_TRUE(StoreWorkingFile(Request("main.c", "1.1", "")));
    const std::string before = ReadBytes(Path("CMS/main.c"));
    WriteBytes(Path("main.c"), "int main() {\r\n  puts(\"@\");\r\n  return 1;\r\n}\r\n");
    StoreRequest second = Request("main.c", "1.2", "1.1");
    ASSERT_TRUE(StoreWorkingFile(second));
    const std::string after = ReadBytes(Path("CMS/main.c"));
    ASSERT_NE(before, after);

    test::FaultPlan plan;
    long k = 1;
    for (;; ++k) {
        WriteBytes(Path("CMS/main.c"), before);
        std::filesystem::remove(Path("CMS/_main.c_"));
        bool stored = test::WithFailingCall(k, plan, [&] { return StoreWorkingFile(second); });
        std::string now = ReadBytes(Path("CMS/main.c"));
        EXPECT_TRUE(now == before || now == after) << "call " << k << " (" << plan.failed << ")";
        if (stored) {
            EXPECT_EQ(now, after) << "call " << k;
        } else {
            EXPECT_FALSE(ui.ui.boxes.empty()) << "call " << k << " (" << plan.failed << ") failed silently";
        }
        if (!plan.Met()) break;
        ui.ui.boxes.clear();
    }
    EXPECT_GT(k, 8);
}

TEST_F(StoreTest, NamesTheFileCannotHoldAreRefused) {
    WriteBytes(Path("a.c"), "x\n");
    for (const char* user : {"John Smith", "j.smith", "2nd", "J\xc3\xb6rg"}) {
        ui.ui.boxes.clear();
        EXPECT_FALSE(StoreWorkingFile(Request("a.c", "1.1", "", user))) << user;
        EXPECT_FALSE(std::filesystem::exists(Path("CMS/a.c"))) << user;
        EXPECT_EQ(test::BoxTexts(ui.ui).find(Printf("\"%s\" cannot be stored in a CMS file", user)), 0u) << user;
        EXPECT_EQ(ui.ui.boxes.size(), 1u);
        EXPECT_FALSE(std::filesystem::exists(Path("CMS/_a.c_")));
    }
}

TEST_F(StoreTest, BinaryFilesComeBackByteForByte) {
    std::string data;
    for (int i = 0; i < 1000; ++i) data += static_cast<char>((i * 37) % 256);
    struct Case {
        const char* name;
        std::string content;
    };
    const Case kCases[] = {
        {"lib.dll", data.substr(0, 301)},                    // a NUL inside, length not a multiple of 3
        {"picture.png", std::string("PNG\x1a\n") + "rest"},  // end-of-text character
        {"old.obj", "plain text\n"},                         // by extension
        {"mac.txt", "one\rtwo\r"},                           // lone carriage returns
    };
    WriteBytes(Path("lib.UUE"), "a user's own file");
    for (const Case& c : kCases) {
        WriteBytes(Path(c.name), c.content);
        ASSERT_TRUE(StoreWorkingFile(Request(c.name, "1.1", ""))) << c.name << test::BoxTexts(ui.ui);
        WriteBytes(Path(c.name), c.content + "more");
        ASSERT_TRUE(StoreWorkingFile(Request(c.name, "1.2", "1.1"))) << c.name;
        Repository repo;
        ASSERT_EQ(ReadRepositoryFile(Path(std::string("CMS/") + c.name), repo), OpenResult::Ok);
        EXPECT_EQ(repo.binary, 1) << c.name;
        for (const char* number : {"1.1", "1.2"}) {
            std::string content, message;
            ASSERT_TRUE(RetrieveRevision(repo, number, content, message)) << message;
            EXPECT_EQ(content, std::string(number) == "1.1" ? c.content : c.content + "more") << c.name;
        }
    }
    EXPECT_EQ(ReadBytes(Path("lib.UUE")), "a user's own file");
}

TEST_F(StoreTest, SemaphoreKeepsASecondOperationOut) {
    WriteBytes(Path("b.c"), "one\n");
    ASSERT_TRUE(StoreWorkingFile(Request("b.c", "1.1", "")));
    const std::string before = ReadBytes(Path("CMS/b.c"));
    ASSERT_TRUE(AcquireSemaphore(Path("CMS/b.c"), "bob", "2026.1.1.0.0.0"));
    EXPECT_EQ(ReadBytes(Path("CMS/_b.c_")), Printf("bob|%s|2026.1.1.0.0.0\r\n", Path("CMS/b.c").c_str()));
    WriteBytes(Path("b.c"), "two\n");
    ui.ui.boxes.clear();
    EXPECT_FALSE(StoreWorkingFile(Request("b.c", "1.2", "1.1")));
    EXPECT_FALSE(SemaphoreFree(Path("CMS/b.c")));
    EXPECT_EQ(test::BoxTexts(ui.ui), Printf("CMS file %s is in use|CMS file %s is in use|", Path("CMS/b.c").c_str(),
                                            Path("CMS/b.c").c_str()));
    EXPECT_EQ(ReadBytes(Path("CMS/b.c")), before);
    EXPECT_TRUE(ReleaseSemaphore(Path("CMS/b.c")));
    EXPECT_FALSE(ReleaseSemaphore(Path("CMS/b.c")));
    EXPECT_TRUE(StoreWorkingFile(Request("b.c", "1.2", "1.1")));
}

TEST_F(StoreTest, ReadOnlyRepositoryIsReplacedAndStaysReadOnly) {
    WriteBytes(Path("c.c"), "one\n");
    StoreRequest first = Request("c.c", "1.1", "");
    first.readOnly = true;
    ASSERT_TRUE(StoreWorkingFile(first));
    EXPECT_TRUE(platform::IsReadOnly(Path("CMS/c.c")));
    WriteBytes(Path("c.c"), "two\n");
    StoreRequest second = Request("c.c", "1.2", "1.1");
    second.readOnly = true;
    ASSERT_TRUE(StoreWorkingFile(second)) << test::BoxTexts(ui.ui);
    EXPECT_TRUE(platform::IsReadOnly(Path("CMS/c.c")));
    // A damaged repository is refused and left as it is.
    std::filesystem::permissions(Path("CMS/c.c"), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
    const std::string before = ReadBytes(Path("CMS/c.c"));
    std::string damaged = before;
    damaged.resize(damaged.size() - 4);
    WriteBytes(Path("CMS/c.c"), damaged);
    WriteBytes(Path("c.c"), "three\n");
    ui.ui.boxes.clear();
    EXPECT_FALSE(StoreWorkingFile(Request("c.c", "1.3", "1.2")));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Missing end of string '@'|");
    EXPECT_EQ(ReadBytes(Path("CMS/c.c")), damaged);
    // So is one that reads only with a warning: rewriting it would drop what the damage hides.
    std::string warned = before;
    warned.replace(warned.find("Locks    "), 9, "Locks    bob:");
    WriteBytes(Path("CMS/c.c"), warned);
    ui.ui.boxes.clear();
    EXPECT_FALSE(StoreWorkingFile(Request("c.c", "1.3", "1.2")));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Missing number in lock|");
    EXPECT_EQ(ReadBytes(Path("CMS/c.c")), warned);
}

}  // namespace
}  // namespace tarvo::cms
