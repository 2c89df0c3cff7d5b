// Check-in and check-out from the working file to the repository and back: the first and later
// revisions, the identical-file question, refused dates, locks, the questions of a get, a busy
// repository, and no working file lost when a replacement fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "cms/checkin.h"
#include "cms/log_file.h"
#include "cms/releases.h"
#include "cms/repository_store.h"
#include "cms_fixture.h"
#include "editor_test_util.h"
#include "platform/files.h"
#include "settings_test_util.h"

namespace tarvo::cms {
namespace {

using editor::test::ReadBytes;
using editor::test::WriteBytes;

struct Checkin : test::CmsFixture {
    void TearDown() override {
        platform::resetFileOps();
        test::CmsFixture::TearDown();
    }
    std::string Working(const std::string& name = "main.c") { return c.workingDirectory + "\\" + name; }
    std::string Cms(const std::string& name = "main.c") { return c.cmsDirectory + "\\" + name; }
    void Write(const std::string& text, const std::string& name = "main.c") {
        WriteBytes(platform::HostPath(Working(name)), text);
    }
    Repository Read(const std::string& name = "main.c") {
        Repository repo;
        EXPECT_EQ(ReadRepositoryFile(Cms(name), repo), OpenResult::Ok);
        return repo;
    }
};

TEST_F(Checkin, FirstAndLaterRevisionsAndTheLog) {
    Write("int main(void)\r\n{\r\n\treturn 0;\r\n}\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "", "", "the program\n", 0}));
    EXPECT_FALSE(platform::FileExists(Working()));  // not kept
    EXPECT_FALSE(platform::FileExists(SemaphorePath(Cms())));
    Repository repo = Read();
    EXPECT_EQ(repo.head, "1.1");
    EXPECT_EQ(repo.Find("1.1")->log, "Initial revision\n");
    EXPECT_EQ(repo.Find("1.1")->author, "carol");
    EXPECT_EQ(repo.description, "the program\n");
    EXPECT_EQ(shown.front().substr(0, 20), "Command: 'put main.c");
    EXPECT_EQ(shown.front().size(), 70u);
    EXPECT_EQ(shown[1], Working() + " becomes " + Cms());
    EXPECT_EQ(shown[2], "Initial revision: 1.1");
    EXPECT_EQ(shown.back(), "Put command done. Termination code 1");
    std::string bytes = ReadBytes(platform::HostPath(Cms()));
    EXPECT_EQ(bytes.rfind("This is a CMS file. Do NOT edit!\r\n", 0), 0u) << bytes;

    ++day;
    Write("int main(void)\r\n{\r\n\treturn 1;\r\n}\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "rel1", "", "", "", kPutKeep}));
    EXPECT_TRUE(platform::FileExists(Working()));  // kept
    repo = Read();
    EXPECT_EQ(repo.head, "1.2");
    EXPECT_EQ(repo.Find("1.2")->log, "Saved by carol  2024.6.2.9.30.0.\n");
    EXPECT_EQ(repo.description, "\n");  // every put sets it from its message (stored with its line end)
    EXPECT_EQ(repo.symbols, (std::vector<std::pair<std::string, std::string>>{{"rel1", "1.2"}}));
    std::string log = ReadBytes(platform::HostPath(LogPath(c.cmsDirectory)));
    EXPECT_NE(log.find("put        1.2r   1b   0f   2t 2024.6.2.9.30.0c 2024.6.2.9.30.0o carol main.c\r\n"), std::string::npos)
        << log;

    // Get brings each revision back with Windows line ends.
    ASSERT_TRUE(Get(c, {"main.c", "1.1", "", {}, kGetRevision | kGetNoAsk}));
    EXPECT_EQ(ReadBytes(platform::HostPath(Working())), "int main(void)\r\n{\r\n\treturn 0;\r\n}\r\n");
    ASSERT_TRUE(Get(c, {"main.c", "rel1", Working("copy.c"), {}, kGetRevision}));
    EXPECT_EQ(ReadBytes(platform::HostPath(Working("copy.c"))), "int main(void)\r\n{\r\n\treturn 1;\r\n}\r\n");
}

TEST_F(Checkin, IdenticalFilesAndRefusedDates) {
    Write("a\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "", "", "", kPutKeep}));
    std::string before = ReadBytes(platform::HostPath(Cms()));
    ++day;
    answers = {false};
    EXPECT_FALSE(Put(c, {"main.c", "", "", "", "", kPutKeep}));
    EXPECT_EQ(asked, std::vector<std::string>{" Save anyway?"});
    EXPECT_EQ(ReadBytes(platform::HostPath(Cms())), before);
    EXPECT_TRUE(platform::FileExists(Working()));
    EXPECT_NE(std::find(shown.begin(), shown.end(), "put aborted " + Working() + " not  erased."), shown.end());

    answers = {true};
    EXPECT_TRUE(Put(c, {"main.c", "", "", "", "", kPutKeep}));
    EXPECT_EQ(Read().head, "1.2");

    Write("b\r\n");  // the same day as 1.2: not later
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Put(c, {"main.c", "", "", "", "", 0}));
    EXPECT_EQ(Boxes(), "Date 2024.6.2.9.30.0 is not later than 2024.6.2.9.30.0 in existing revision 1.2|");
    EXPECT_TRUE(platform::FileExists(Working()));
    EXPECT_EQ(Read().head, "1.2");
}

TEST_F(Checkin, LocksAndTheQuestionsOfAGet) {
    Write("one\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "", "", "", kPutLock}));
    EXPECT_EQ(Read().locks, (std::vector<std::pair<std::string, std::string>>{{"carol", "1.1"}}));
    EXPECT_TRUE(platform::FileExists(Working()));  // a locked revision keeps its file

    CmsContext other = c;
    other.user = "dave";
    ++day;
    WriteBytes(platform::HostPath(Working("dave.c")), "x\r\n");
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Get(other, {"main.c", "", Working("dave.c"), {}, kGetLock | kGetNoAsk}));
    EXPECT_EQ(Boxes(), "Version 1.1 locked by carol|");

    // The working file is asked about, and kept on No.
    Write("my edits\r\n");
    answers = {false};
    EXPECT_FALSE(Get(c, {"main.c", "", "", {}, 0}));
    EXPECT_EQ(asked.back(), Working() + " exists already. Erase it?");
    EXPECT_EQ(ReadBytes(platform::HostPath(Working())), "my edits\r\n");

    // A replacement that fails leaves the working file whole.
    platform::FileOps ops = platform::fileOps();
    ops.rename = [](const char*, const char*) { return false; };
    platform::setFileOps(ops);
    EXPECT_FALSE(Get(c, {"main.c", "", "", {}, kGetOverwrite}));
    platform::resetFileOps();
    EXPECT_EQ(ReadBytes(platform::HostPath(Working())), "my edits\r\n");

    ASSERT_TRUE(Get(c, {"main.c", "", "", {}, kGetUnlock | kGetOverwrite}));
    EXPECT_TRUE(Read().locks.empty());
    EXPECT_EQ(ReadBytes(platform::HostPath(Working())), "one\r\n");
}

TEST_F(Checkin, BusyRepositoriesFailedWritesAndBadNames) {
    Write("one\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "", "", "", kPutKeep}));
    std::string before = ReadBytes(platform::HostPath(Cms()));
    ++day;
    Write("two\r\n");
    ASSERT_TRUE(platform::CreateExclusive(SemaphorePath(Cms()), "dave\r\n"));
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Put(c, {"main.c", "", "", "", "", 0}));
    EXPECT_EQ(Boxes(), "CMS file " + Cms() + " is in use|");
    EXPECT_EQ(ReadBytes(platform::HostPath(Cms())), before);
    EXPECT_TRUE(platform::FileExists(SemaphorePath(Cms())));  // still the other's
    platform::RemoveFile(SemaphorePath(Cms()));

    // No semaphore can be made at all: said so, not "in use".
    platform::FileOps noCreate = platform::fileOps();
    noCreate.create = [](const char*) -> std::FILE* { return nullptr; };
    platform::setFileOps(noCreate);
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Put(c, {"main.c", "", "", "", "", 0}));
    platform::resetFileOps();
    EXPECT_EQ(Boxes(), "Impossible to create the temporary CMS file " + SemaphorePath(Cms()) + "|");

    // The repository cannot be replaced: the put stops, the working file stays, nothing logged.
    std::string log = ReadBytes(platform::HostPath(LogPath(c.cmsDirectory)));
    platform::FileOps ops = platform::fileOps();
    ops.rename = [](const char*, const char*) { return false; };
    platform::setFileOps(ops);
    EXPECT_FALSE(Put(c, {"main.c", "", "", "", "", 0}));
    platform::resetFileOps();
    EXPECT_EQ(ReadBytes(platform::HostPath(Working())), "two\r\n");
    EXPECT_EQ(ReadBytes(platform::HostPath(Cms())), before);
    EXPECT_EQ(ReadBytes(platform::HostPath(LogPath(c.cmsDirectory))), log);
    EXPECT_EQ(shown.back(), "Put command done. Termination code 0");

    for (auto [name, message] : std::vector<std::pair<std::string, std::string>>{
             {"a$b.c", "CMS file name may not contain $"}, {"sub\\a.c", "Incorrect CMS file name"}}) {
        boxes.ui.boxes.clear();
        EXPECT_FALSE(Put(c, {name, "", "", "", "", 0}));
        EXPECT_EQ(Boxes(), message + "|");
    }
    CmsContext same = c;
    same.cmsDirectory = c.workingDirectory;
    for (char& ch : same.cmsDirectory) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Put(same, {"main.c", "", "", "", "", 0}));
    EXPECT_EQ(Boxes(), "Cms directory should be different from current directory|");

    Repository repo = Read();
    repo.access = {"Alice"};
    ASSERT_TRUE(WriteRepositoryFile(Cms(), repo));
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Get(c, {"main.c", "", Working("x.c"), {}, 0}));
    EXPECT_EQ(Boxes(), "User carol not on the access list|");
}

// A check-in that takes its values from the file's keywords, the editor's own date stamp too.
TEST_F(Checkin, KeywordsNameTheRevision) {
    Write("/* $Revision: 1.5 $ $Date: 2024.5.1.14.5.9 $ $Author: ann $ $State: Rel $ */\r\n");
    ASSERT_TRUE(Put(c, {"main.c", "", "", "", "imported\n", kPutKeywords | kPutKeep}));
    Repository repo = Read();
    ASSERT_EQ(repo.head, "1.5");
    EXPECT_EQ(repo.Find("1.5")->author, "ann");
    EXPECT_EQ(repo.Find("1.5")->date, "2024.5.1.14.5.9");
    EXPECT_EQ(repo.Find("1.5")->state, "Rel");

    Write("no keywords here\r\n", "plain.c");
    boxes.ui.boxes.clear();
    EXPECT_FALSE(Put(c, {"plain.c", "", "", "", "", kPutKeywords}));
    EXPECT_EQ(Boxes(), "The indicated revision does not exist in " + Working("plain.c") + "|");
}

// Several files at once, a list got into a folder, and whether a file needs a check-in.
TEST_F(Checkin, SeveralFilesAndNeedsUpdate) {
    Write("a\r\n", "a.c");
    Write("b\r\n", "b.c");
    EXPECT_EQ(NeedsUpdate(c, "a.c"), 1);  // no repository file yet
    EXPECT_EQ(PutFiles(c, {"a.c", "b.c"}, ""), 2);
    EXPECT_EQ(Read("a.c").locks, (std::vector<std::pair<std::string, std::string>>{{"carol", "1.1"}}));
    EXPECT_TRUE(platform::FileExists(Working("b.c")));  // kept
    EXPECT_EQ(NeedsUpdate(c, "a.c"), 0);
    Write("a changed\r\n", "a.c");
    EXPECT_EQ(NeedsUpdate(c, "a.c"), 1);
    platform::RemoveFile(Working("b.c"));
    answers = {false};
    EXPECT_EQ(NeedsUpdate(c, "b.c"), -1);
    EXPECT_EQ(asked.back(), "File " + Working("b.c") + " doesn't exist. Continue?");

    std::string out = tmp.path + "\\out";
    platform::MakeDirectory(out);
    answers = {true};
    EXPECT_EQ(GetFiles(c, out, {"a.c", "missing.c", "b.c"}), 2);
    EXPECT_EQ(asked.back(), "Error getting missing.c. Continue?");
    EXPECT_EQ(ReadBytes(platform::HostPath(out + "\\b.c")), "b\r\n");
}

// A release keeps (file, revision) pairs, names with commas and blanks too, and gets every
// file back at its revision; a file whose repository is gone asks whether to go on.
TEST_F(Checkin, ReleasesSavedAndGotBack) {
    const std::string odd = "my file, 2.c";
    Write("a one\r\n", "a.c");
    ASSERT_TRUE(Put(c, {"a.c", "", "", "", "", kPutKeep}));
    ++day;
    Write("a two\r\n", "a.c");
    ASSERT_TRUE(Put(c, {"a.c", "", "", "", "", kPutKeep}));
    Write("odd\r\n", odd);
    ASSERT_TRUE(Put(c, {odd, "", "", "", "", kPutKeep}));
    std::vector<ReleaseLine> lines = ReleaseLines(c.cmsDirectory, {"a.c", odd, "never.c"});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(ReleaseLineText(lines[0]), "a.c                            1.2");
    lines[1].changed = true;
    EXPECT_EQ(ReleaseLineText(lines[1]), "my file, 2.c                   1.1 *");

    base::Release release;
    boxes.ui.boxes.clear();
    EXPECT_FALSE(MakeRelease(" ", "", lines, "carol", "2024.6.9.0.0.0", c.ask, release));
    EXPECT_EQ(Boxes(), "Release name required|");
    answers = {false};
    EXPECT_FALSE(MakeRelease("R1", "", lines, "carol", "2024.6.9.0.0.0", c.ask, release));
    EXPECT_EQ(asked.back(), "Release description empty. Use default?");
    answers = {true};
    ASSERT_TRUE(MakeRelease("R1", "", lines, "carol", "2024.6.9.0.0.0", c.ask, release));
    EXPECT_EQ(release.description, "Release R1");
    EXPECT_EQ(release.files, (std::vector<std::string>{"a.c,1.2", odd + ",1.1"}));
    std::string file, revision;
    ASSERT_TRUE(SplitEntry(release.files[1], file, revision));
    EXPECT_EQ(file, odd);
    EXPECT_EQ(revision, "1.1");

    ++day;
    Write("a three\r\n", "a.c");
    ASSERT_TRUE(Put(c, {"a.c", "", "", "", "", 0}));
    platform::RemoveFile(Working(odd));
    EXPECT_EQ(GetRelease(c, release), 2);
    EXPECT_EQ(ReadBytes(platform::HostPath(Working("a.c"))), "a two\r\n");
    EXPECT_EQ(ReadBytes(platform::HostPath(Working(odd))), "odd\r\n");

    release.files.insert(release.files.begin(), "gone.c,1.1");
    answers = {false};
    EXPECT_EQ(GetRelease(c, release), 0);
    EXPECT_EQ(asked.back(), "Error getting gone.c. Continue?");

    std::string head, message;
    WriteBytes(platform::HostPath(Cms("fake.c")), "This is a CMS file. Do NOT edit!\r\nhead 1.1;\r\n");
    EXPECT_FALSE(QuickHead(Cms("fake.c"), head, message));
    EXPECT_EQ(message, "Missing signature");
}

}  // namespace
}  // namespace tarvo::cms
