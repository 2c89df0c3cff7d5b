// Revision arguments, the revision search with its filters and messages, the lock rules, where
// a check-in goes, and the operations log.
#include <gtest/gtest.h>

#include "cms/log_file.h"
#include "cms/revisions.h"
#include "editor_test_util.h"
#include "platform/files.h"
#include "settings_test_util.h"

namespace tarvo::cms {
namespace {

// Trunk 1.1 ... 1.5 (one a day), branches 1.3.1 (two revisions) and 1.3.2 at 1.3.
Repository History() {
    Repository repo;
    std::string message;
    auto add = [&](const std::string& number, const std::string& parent, int day, const std::string& author) {
        NewRevision r{number, parent, "2024.5." + std::to_string(day) + ".12.0.0", author, "Exp", "log\n",
                      "text of " + number + "\n"};
        EXPECT_TRUE(AddRevision(repo, r, message)) << number << ": " << message;
    };
    add("1.1", "", 1, "alice");
    for (int i = 2; i <= 5; ++i) add("1." + std::to_string(i), "1." + std::to_string(i - 1), i, i == 4 ? "bob" : "alice");
    add("1.3.2.1", "1.3", 10, "bob");
    add("1.3.1.1", "1.3", 11, "alice");
    add("1.3.1.2", "1.3.1.1", 12, "alice");
    repo.symbols = {{"rel", "1.3"}, {"side", "1.3.1"}};
    return repo;
}

std::string Search(const Repository& repo, const std::string& number, const SearchFilters& f = {}) {
    std::vector<const Delta*> path;
    std::string message;
    if (!SearchRevision(repo, number, f, path, message)) return message;
    return path.back()->number;
}

std::string Place(Repository& repo, const std::string& asked, const std::string& user = "carol") {
    Placement p;
    std::string message;
    if (!PlaceRevision(repo, asked, user, p, message)) return message;
    return p.number + " after " + p.parent;
}

struct Revisions : test::MainKeyTest {};

TEST_F(Revisions, ArgumentsExpandSymbolsAndDigits) {
    Repository repo = History();
    std::string number, message;
    for (auto [argument, expected] : std::vector<std::pair<std::string, std::string>>{
             {"01.002", "1.2"}, {"1.0", "1.0"}, {"rel.1", "1.3.1"}, {"side", "1.3.1"}, {"1.2.", "1.2."}}) {
        ASSERT_TRUE(ExpandRevision(repo, argument, number, message)) << argument << ": " << message;
        EXPECT_EQ(number, expected) << argument;
    }
    EXPECT_FALSE(ExpandRevision(repo, "nosuch.2", number, message));
    EXPECT_EQ(message, "Symbolic number nosuch is undefined.");
    for (const char* bad : {"1..2", "1.-2", "", "1.2a", "2x"}) {
        EXPECT_FALSE(ExpandRevision(repo, bad, number, message)) << bad;
        EXPECT_EQ(message, std::string("Incorrect revision number: ") + bad);
    }
}

TEST_F(Revisions, TheSearchFindsAndSaysWhyNot) {
    Repository repo = History();
    EXPECT_EQ(Search(repo, ""), "1.5");
    EXPECT_EQ(Search(repo, "1"), "1.5");
    EXPECT_EQ(Search(repo, "1", {"2024.5.3.23.0.0", "", ""}), "1.3");
    EXPECT_EQ(Search(repo, "1", {"", "BOB", ""}), "1.4");  // authors ignore case
    EXPECT_EQ(Search(repo, "1", {"", "dave", ""}),
              "Cannot find revision on branch 1 with a date before <now>, author dave, and state <any>.");
    EXPECT_EQ(Search(repo, "0"), "Branch number 0 too low.");
    EXPECT_EQ(Search(repo, "3"), "Branch number 3 not present.");
    EXPECT_EQ(Search(repo, "1.2"), "1.2");
    EXPECT_EQ(Search(repo, "1.0"), "Revision number 1.0 too low.");
    EXPECT_EQ(Search(repo, "1.9"), "Revision 1.9 not present.");
    EXPECT_EQ(Search(repo, "1.2", {"", "bob", ""}), "Revision 1.2 has author alice.");
    EXPECT_EQ(Search(repo, "1.2", {"2024.5.1.0.0.0", "", ""}), "Revision 1.2 has date 2024.5.2.12.0.0.");
    EXPECT_EQ(Search(repo, "1.2", {"", "", "Rel"}), "Revision 1.2 has state Exp.");
    EXPECT_EQ(Search(repo, "1.3.1"), "1.3.1.2");
    EXPECT_EQ(Search(repo, "1.3.1", {"2024.5.11.13.0.0", "", ""}), "1.3.1.1");
    EXPECT_EQ(Search(repo, "1.3.1", {"2024.5.1.0.0.0", "", ""}),
              "Cannot find revision on branch 1.3.1 with a date before 2024.5.1.0.0.0, author <any>, and state <any>.");
    EXPECT_EQ(Search(repo, "1.3.2.1"), "1.3.2.1");
    EXPECT_EQ(Search(repo, "1.3.5"), "Branch number 1.3.5 too high.");
    EXPECT_EQ(Search(repo, "1.4.1"), "No side branches present for 1.4.");
    EXPECT_EQ(Search(repo, "1.3.1.7"), "Revision 1.3.1.7 not present.");
    EXPECT_EQ(Search(repo, "1.3.1.2.1"), "No side branches present for 1.3.1.2.");
    std::vector<const Delta*> path;
    std::string message;
    ASSERT_TRUE(SearchRevision(repo, "1.3.1.1", {}, path, message));
    std::vector<std::string> numbers;
    for (const Delta* d : path) numbers.push_back(d->number);
    EXPECT_EQ(numbers, (std::vector<std::string>{"1.5", "1.4", "1.3", "1.3.1.1"}));
    EXPECT_EQ(Search(Repository{}, "1.1"), "CMS file empty.");
}

TEST_F(Revisions, OneLockPerUserPerFile) {
    Repository repo = History();
    std::string message;
    EXPECT_TRUE(LockRevision(repo, "alice", "1.5", message));
    EXPECT_TRUE(LockRevision(repo, "alice", "1.5", message));
    EXPECT_EQ(repo.locks.size(), 1u);
    EXPECT_FALSE(LockRevision(repo, "bob", "1.5", message));
    EXPECT_EQ(message, "Version 1.5 locked by alice");
    EXPECT_FALSE(LockRevision(repo, "alice", "1.2", message));
    EXPECT_EQ(message, "you already locked revision 1.5; You can't lock several revisions.");
    EXPECT_TRUE(LockRevision(repo, "bob", "1.2", message));
    EXPECT_EQ(repo.locks.front().first, "bob");  // new locks go first
    EXPECT_FALSE(UnlockRevision(repo, "bob", "1.5", message));
    EXPECT_EQ(message, "Version 1.5 locked by alice");
    EXPECT_TRUE(UnlockRevision(repo, "alice", "1.5", message));
    EXPECT_EQ(LockedBy(repo, "alice"), "");
    EXPECT_EQ(LockedBy(repo, "bob"), "1.2");
}

TEST_F(Revisions, WhereACheckInGoes) {
    Repository empty;
    EXPECT_EQ(Place(empty, ""), "1.1 after ");
    EXPECT_EQ(Place(empty, "2"), "2.1 after ");
    EXPECT_EQ(Place(empty, "3.4"), "3.4 after ");
    EXPECT_EQ(Place(empty, "1.3.1"), "Branch does not exist for 1.3.1");
    empty.defaultBranch = "2";
    EXPECT_EQ(Place(empty, ""), "2.1 after ");

    Repository repo = History();
    EXPECT_EQ(Place(repo, ""), "1.6 after 1.5");
    EXPECT_EQ(Place(repo, "1"), "1.6 after 1.5");
    EXPECT_EQ(Place(repo, "2"), "2.1 after 1.5");
    EXPECT_EQ(Place(repo, "1.3"), "Number 1.3 too small. It should be greater than 1.5");
    EXPECT_EQ(Place(repo, "1.3.1"), "1.3.1.3 after 1.3.1.2");
    EXPECT_EQ(Place(repo, "1.3.1.2"), "Number 1.3.1.2 too small. It should be greater than 1.3.1.2");
    EXPECT_EQ(Place(repo, "1.3.3"), "1.3.3.1 after 1.3");
    EXPECT_EQ(Place(repo, "1.4.1"), "1.4.1.1 after 1.4");
    EXPECT_EQ(Place(repo, "1.2.1.5"), "1.2.1.5 after 1.2");
    EXPECT_EQ(Place(repo, "1.9.1"), "Branch 1.9 not found");

    // The user's lock leads: on the head, a branch tip, or elsewhere (a new branch there).
    std::string message;
    for (auto [locked, expected] : std::vector<std::pair<std::string, std::string>>{
             {"1.5", "1.6 after 1.5"}, {"1.3.1.2", "1.3.1.3 after 1.3.1.2"}, {"1.3", "1.3.3.1 after 1.3"},
             {"1.3.1.1", "1.3.1.1.1.1 after 1.3.1.1"}}) {
        Repository r = History();
        ASSERT_TRUE(LockRevision(r, "carol", locked, message));
        EXPECT_EQ(Place(r, ""), expected) << locked;
        EXPECT_EQ(LockedBy(r, "carol"), "");  // released by the check-in
    }
    Repository locked = History();
    ASSERT_TRUE(LockRevision(locked, "bob", "1.5", message));
    EXPECT_EQ(Place(locked, ""), "Version 1.5 locked by bob");

    // A default branch beside the trunk grows at its tip, where get looks.
    Repository side = History();
    side.defaultBranch = "1.3.1";
    EXPECT_EQ(Place(side, ""), "1.3.1.3 after 1.3.1.2");

    // Placed revisions are accepted by the history, branches kept in numeric order.
    Repository grown = History();
    for (const char* asked : {"1.3.3", "1.3.1", ""}) {
        Placement p;
        ASSERT_TRUE(PlaceRevision(grown, asked, "carol", p, message)) << message;
        NewRevision r{p.number, p.parent, "2024.6.1.0.0.0", "carol", "Exp", "log\n", "new " + p.number + "\n"};
        ASSERT_TRUE(AddRevision(grown, r, message)) << p.number << ": " << message;
        std::string text;
        ASSERT_TRUE(Rebuild(grown, p.number, text, message));
        EXPECT_EQ(text, "new " + p.number + "\n");
    }
    EXPECT_EQ(grown.Find("1.3")->branches, (std::vector<std::string>{"1.3.1.1", "1.3.2.1", "1.3.3.1"}));
    EXPECT_EQ(grown.head, "1.6");
}

TEST_F(Revisions, TheLogTakesWholeRecordsUnderItsSemaphore) {
    OperationRecord r{"put", "1.12", 12, 0, 14, "2024.5.1.14.5.9", "2024.5.2.8.0.0", "alice", "main.c"};
    EXPECT_EQ(FormatOperation(r), "put       1.12r  12b   0f  14t 2024.5.1.14.5.9c 2024.5.2.8.0.0o alice main.c\n");
    EXPECT_EQ(FormatLock("rel", "2024.5.2.8.0.0", "bob", "a.c"), "lock rel 2024.5.2.8.0.0 bob a.c");
    EXPECT_EQ(FormatProblem(true, "No date in a.c", "bob"), "error No date in a.c bob");
    EXPECT_EQ(FormatKeywordWarning("Bad date: x", "bob", "2024.5.2.8.0.0"), "warn Bad date: x Caller: bob 2024.5.2.8.0.0\n");

    editor::test::TempDir dir;
    std::string message;
    ASSERT_TRUE(AppendLog(dir.path, FormatOperation(r), message));
    ASSERT_TRUE(AppendLog(dir.path, FormatLock("1.2", "d", "bob", "a.c"), message));
    std::string log = editor::test::ReadBytes(platform::HostPath(LogPath(dir.path)));
    EXPECT_EQ(log, "put       1.12r  12b   0f  14t 2024.5.1.14.5.9c 2024.5.2.8.0.0o alice main.c\r\nlock 1.2 d bob a.c\r\n");
    EXPECT_FALSE(platform::FileExists(LogSemaphorePath(dir.path)));

    ASSERT_TRUE(platform::CreateExclusive(LogSemaphorePath(dir.path), ""));  // another program holds it
    EXPECT_FALSE(AppendLog(dir.path, "get", message, 3));
    EXPECT_EQ(message, "Log file locked. No log");
    EXPECT_EQ(editor::test::ReadBytes(platform::HostPath(LogPath(dir.path))), log);
    EXPECT_TRUE(platform::FileExists(LogSemaphorePath(dir.path)));  // not ours to remove
}

}  // namespace
}  // namespace tarvo::cms
