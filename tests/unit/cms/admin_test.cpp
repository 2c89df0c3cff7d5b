// Administration of repository files: deleting revisions with every revision left rebuilding
// exactly (by our reads and by GNU RCS), the refusals that leave the file byte for byte as it
// was, the all-revisions question, locks, symbolic names, the default branch and access list.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include <unistd.h>

#include "cms/admin.h"
#include "cms/repository_store.h"
#include "cms_history.h"
#include "cms_fixture.h"
#include "editor_test_util.h"
#include "platform/files.h"
#include "rcs_file.h"
#include "settings_test_util.h"

namespace tarvo::cms {
namespace {

using editor::test::ReadBytes;
using editor::test::WriteBytes;

struct Admin : test::CmsFixture {
    std::string Cms() { return c.cmsDirectory + "\\main.c"; }
    std::string Bytes() { return ReadBytes(platform::HostPath(Cms())); }
    std::string LogText() { return ReadBytes(platform::HostPath(LogPath(c.cmsDirectory))); }
    Repository Read() {
        Repository repo;
        EXPECT_EQ(ReadRepositoryFile(Cms(), repo), OpenResult::Ok);
        return repo;
    }
    // Revisions 1.1 to 1.n checked in, one a day; their texts.
    std::vector<std::string> Revisions(int n) {
        std::vector<std::string> texts;
        for (int i = 1; i <= n; ++i) {
            std::string text = "int f(void)\n{\n    return " + std::to_string(i) + ";\n}\n/* shared tail */\n";
            WriteBytes(platform::HostPath(c.workingDirectory + "\\main.c"), text);
            EXPECT_TRUE(Put(c, {"main.c", "", "", "", "", kPutKeep}));
            texts.push_back(text);
            ++day;
        }
        shown.clear();
        return texts;
    }
    bool Run(AdminRequest r) {
        r.file = "main.c";
        shown.clear();
        boxes.ui.boxes.clear();
        return Administer(c, r);
    }
    bool Has(const std::string& line) { return std::find(shown.begin(), shown.end(), line) != shown.end(); }
};

TEST_F(Admin, DeletingTheMiddleRevisionLeavesTheOthersRebuildingExactly) {
    std::vector<std::string> texts = Revisions(3);
    ASSERT_TRUE(Run({.remove = {"1.2"}, .flags = kAdminDelete}));
    EXPECT_EQ(shown.front().rfind("Command: 'admin main.c':---", 0), 0u);
    EXPECT_TRUE(Has("CMS file: " + Cms()));
    EXPECT_TRUE(Has("deleting revision 1.2 "));
    Repository repo = Read();
    EXPECT_EQ(repo.head, "1.3");
    EXPECT_EQ(repo.deltas.size(), 2u);
    EXPECT_EQ(repo.Find("1.3")->next, "1.1");
    EXPECT_EQ(repo.Find("1.2"), nullptr);
    std::string text, message;
    ASSERT_TRUE(Rebuild(repo, "1.1", text, message)) << message;
    EXPECT_EQ(text, texts[0]);
    ASSERT_TRUE(Rebuild(repo, "1.3", text, message));
    EXPECT_EQ(text, texts[2]);
    EXPECT_NE(LogText().find("del        1.2r"), std::string::npos) << LogText();
}

// Several separate runs on the trunk and on branches in one request: every revision left
// rebuilds as before, by our reads and by RCS `co` of the same file.
TEST_F(Admin, SeparateRunsOnTrunkAndBranchesAllRebuild) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tarvo-admin-rcs-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (unsigned seed : {3u, 4u}) {
        test::History h = test::MakeHistory({70, 35, true, seed, false});
        Repository repo = h.repo;
        std::vector<std::string> going;
        std::mt19937 rng(seed);
        // Candidates: neither branch points nor the only revision of anything named.
        for (const std::string& n : h.numbers)
            if (repo.Find(n)->branches.empty() && rng() % 3 == 0) going.push_back(n);
        std::vector<std::string> deleted;
        std::string message;
        ASSERT_TRUE(DeleteRevisions(repo, going, deleted, message, [] { return false; })) << message;
        EXPECT_EQ(std::set<std::string>(deleted.begin(), deleted.end()), std::set<std::string>(going.begin(), going.end()));
        EXPECT_GT(going.size(), 10u);
        std::string bytes = FormatRepository(repo);
        Repository read;
        Problems problems;
        ASSERT_TRUE(ParseRepository(bytes, "deleted", read, problems));
        EXPECT_TRUE(problems.Clean());
        std::string rcsFile = (dir / "history,v").string();
        std::ofstream(rcsFile, std::ios::binary) << test::ToRcs(bytes);
        std::set<std::string> gone(going.begin(), going.end());
        for (const std::string& n : h.numbers) {
            if (gone.count(n)) {
                EXPECT_EQ(read.Find(n), nullptr) << n;
                continue;
            }
            std::string text, checkedOut;
            ASSERT_TRUE(Rebuild(read, n, text, message)) << n << ": " << message;
            EXPECT_EQ(text, h.texts[n]) << n;
            EXPECT_TRUE(test::CheckOut(rcsFile, n, checkedOut)) << n;
            EXPECT_EQ(checkedOut, h.texts[n]) << n;
        }
    }
    std::filesystem::remove_all(dir);
}

TEST_F(Admin, RefusedDeletionsChangeNothing) {
    Revisions(3);
    // A branch from 1.2, a lock on 1.3, a symbol on 1.1.
    WriteBytes(platform::HostPath(c.workingDirectory + "\\main.c"), "branch\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "1.2.1", "", "", kPutKeep}));
    ++day;
    ASSERT_TRUE(Run({.revision = "1.3", .flags = kAdminLock}));
    ASSERT_TRUE(Run({.symbols = {{"rel1", "1.1", false}}, .flags = kAdminSymbols}));
    const std::string before = Bytes();
    struct Case {
        std::vector<std::string> remove;
        std::string box;
    };
    for (const Case& k : std::vector<Case>{
             {{"1.2"}, "Can't remove branch point 1.2|"},
             {{"1.3"}, "Revision 1.3 is locked. Removal impossible, unlock it first|"},
             {{"1.1", "1.7"}, "Revision 1.7 does not exist|"},
             {{"1.1"}, "Symbolic name rel1 names 1.1, which would be deleted. Move or remove the name first|"},
             {{"nosuch"}, "Symbolic number nosuch is undefined.|"},
         }) {
        EXPECT_FALSE(Run({.remove = k.remove, .flags = kAdminDelete})) << k.box;
        EXPECT_EQ(Boxes(), k.box);
        EXPECT_TRUE(Has("admin aborted; " + Cms() + " unchanged.")) << k.box;
        EXPECT_EQ(Bytes(), before) << k.box;
    }
    // A default branch whose every revision would go.
    ASSERT_TRUE(Run({.branch = "1.2.1", .flags = kAdminDefaultBranch}));
    const std::string withBranch = Bytes();
    EXPECT_FALSE(Run({.remove = {"1.2.1"}, .flags = kAdminDelete}));
    EXPECT_EQ(Boxes(), "The default branch 1.2.1 would be left without revisions. Change it first|");
    EXPECT_EQ(Bytes(), withBranch);
    // With the default branch elsewhere, the whole branch and its entry go.
    ASSERT_TRUE(Run({.branch = "", .flags = kAdminDefaultBranch}));
    ASSERT_TRUE(Run({.remove = {"1.2.1"}, .flags = kAdminDelete}));
    EXPECT_TRUE(Has("deleting revision 1.2.1.1 "));
    Repository repo = Read();
    EXPECT_TRUE(repo.Find("1.2")->branches.empty());
    EXPECT_EQ(repo.Find("1.2.1.1"), nullptr);
}

TEST_F(Admin, DeletingEveryRevisionIsAskedFirst) {
    Revisions(1);
    const std::string before = Bytes();
    answers = {false};
    EXPECT_FALSE(Run({.remove = {"1.1"}, .flags = kAdminDelete}));
    EXPECT_EQ(asked, std::vector<std::string>{"Do you really want to delete all revisions ?"});
    EXPECT_TRUE(Has("No revision deleted"));
    EXPECT_FALSE(Has("admin aborted; " + Cms() + " unchanged."));
    EXPECT_EQ(Bytes(), before);
    answers = {true};
    ASSERT_TRUE(Run({.remove = {"1"}, .flags = kAdminDelete}));
    Repository repo = Read();
    EXPECT_TRUE(repo.head.empty());
    EXPECT_TRUE(repo.deltas.empty());
}

TEST_F(Admin, LocksAreSetAndReleasedWithTheirMessagesAndRecords) {
    Revisions(2);
    EXPECT_FALSE(Run({.flags = kAdminUnlock}));  // no lock: a warning, nothing to write
    EXPECT_TRUE(Has("There are no locks set."));
    EXPECT_NE(LogText().find("warn There are no locks set. carol"), std::string::npos);
    ASSERT_TRUE(Run({.flags = kAdminLock}));
    EXPECT_TRUE(Has("1.2 locked"));
    EXPECT_EQ(Read().locks, (std::vector<std::pair<std::string, std::string>>{{"carol", "1.2"}}));
    EXPECT_NE(LogText().find("lock        1.2r"), std::string::npos) << LogText();

    // Only another user holds a lock: reported, nothing changed.
    c.user = "dave";
    const std::string before = Bytes();
    EXPECT_FALSE(Run({.flags = kAdminUnlock}));
    EXPECT_EQ(Boxes(), "1.2 still locked by carol|");
    EXPECT_EQ(Bytes(), before);
    EXPECT_FALSE(Run({.revision = "1.2", .flags = kAdminLock}));
    EXPECT_EQ(Boxes(), "Version 1.2 locked by carol|");
    EXPECT_FALSE(Run({.revision = "1.1", .flags = kAdminUnlock}));
    EXPECT_EQ(Boxes(), "no lock set on revision 1.1|");
    EXPECT_FALSE(Run({.revision = "1.9", .flags = kAdminLock}));
    EXPECT_EQ(Boxes(), "Can't lock nonexisting revision 1.9|");
    EXPECT_EQ(Bytes(), before);

    c.user = "carol";
    ASSERT_TRUE(Run({.revision = "1.2", .flags = kAdminUnlock}));
    EXPECT_TRUE(Has("1.2 unlocked"));
    EXPECT_TRUE(Read().locks.empty());
    EXPECT_NE(LogText().find("unlock        1.2r"), std::string::npos) << LogText();
}

TEST_F(Admin, SymbolsBranchAccessAndDescription) {
    Revisions(3);
    ASSERT_TRUE(Run({.symbols = {{"rel1", "1.2", false}, {"rel2", "1.3", false}}, .flags = kAdminSymbols}));
    const std::string before = Bytes();
    EXPECT_FALSE(Run({.symbols = {{"rel1", "1.3", false}}, .flags = kAdminSymbols}));
    EXPECT_EQ(Boxes(), "symbolic name rel1 already bound to 1.2|");
    EXPECT_FALSE(Run({.symbols = {{"gone", "", false}}, .flags = kAdminSymbols}));
    EXPECT_EQ(Boxes(), "Can't delete nonexisting symbol gone|");
    EXPECT_FALSE(Run({.symbols = {{"rel3", "1.8", false}}, .flags = kAdminSymbols}));
    EXPECT_EQ(Bytes(), before);
    ASSERT_TRUE(Run({.symbols = {{"rel1", "rel2", true}, {"rel2", "", false}}, .flags = kAdminSymbols}));
    EXPECT_EQ(Read().symbols, (std::vector<std::pair<std::string, std::string>>{{"rel1", "1.3"}}));

    ASSERT_TRUE(Run({.branch = "1.1", .flags = kAdminDefaultBranch}));
    EXPECT_EQ(Read().defaultBranch, "1.1");
    ASSERT_TRUE(Run({.branch = "1.3", .flags = kAdminDefaultBranch}));  // the head's number clears it
    EXPECT_EQ(Read().defaultBranch, "");
    EXPECT_FALSE(Run({.branch = "1.2.1", .flags = kAdminDefaultBranch}));  // leads nowhere

    ASSERT_TRUE(Run({.description = "new text\n",
                     .access = {"carol", "dave", "carol"},
                     .flags = kAdminAccess | kAdminDescription}));
    Repository repo = Read();
    EXPECT_EQ(repo.access, (std::vector<std::string>{"carol", "dave"}));
    EXPECT_EQ(repo.description, "new text\n");
    c.user = "erin";
    EXPECT_FALSE(Run({.flags = kAdminLock}));
    EXPECT_EQ(Boxes(), "User erin not on the access list|");
}

}  // namespace
}  // namespace tarvo::cms
