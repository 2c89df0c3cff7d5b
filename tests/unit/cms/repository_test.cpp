// Repository files: generated histories written, read back and rebuilt, checked against GNU
// RCS (`co`) through a translation of our file into RCS's format; long histories; structural
// errors and their messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cms/repository.h"
#include "cms_history.h"
#include "rcs_file.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

TEST(Repository, GeneratedHistoriesMatchRcsForEveryRevision) {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / Printf("tarvo-rcs-%d", getpid());
    std::filesystem::create_directories(dir);
    for (unsigned seed : {1u, 2u}) {
        test::History h = test::MakeHistory({150, 35, true, seed});
        std::string bytes = FormatRepository(h.repo);
        Repository read;
        Problems problems;
        ASSERT_TRUE(ParseRepository(bytes, "generated", read, problems));
        EXPECT_TRUE(problems.Clean());
        Repository expected = h.repo;
        NormaliseForWriting(expected);
        EXPECT_TRUE(read.SameContent(expected));
        EXPECT_EQ(FormatRepository(read), bytes);

        std::string rcsFile = (dir / "history,v").string();
        std::ofstream(rcsFile, std::ios::binary) << test::ToRcs(bytes);
        int branchRevisions = 0;
        for (const std::string& number : h.numbers) {
            std::string text, message;
            ASSERT_TRUE(Rebuild(read, number, text, message)) << number << ": " << message;
            EXPECT_EQ(text, h.texts[number]) << number;
            std::string checkedOut;
            EXPECT_TRUE(test::CheckOut(rcsFile, number, checkedOut)) << number;
            EXPECT_EQ(checkedOut, text) << number;
            branchRevisions += FieldCount(number) > 2;
        }
        EXPECT_GT(branchRevisions, 20);
    }
    std::filesystem::remove_all(dir);
}

TEST(Repository, WrittenLayoutAndOptionalClauses) {
    test::History h = test::MakeHistory({3, 0, false, 5});
    h.repo.symbols = {{"release1", "1.1"}};
    h.repo.locks = {{"alice", "1.3"}};
    std::string bytes = FormatRepository(h.repo);
    const std::string header =
        "This is a CMS file. Do NOT edit!\r\nHead     1.3;\r\nBranch   ;\r\nAccess   ;\r\n"
        "RevNames  release1:1.1;\r\nLocks    alice:1.3;\r\nCmsVersion 2;\r\nBinary 0;\r\n\r\n";
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    EXPECT_NE(bytes.find("\r\n1.3\r\nDate     2001.1.1.2.2.14;\r\n  Author alice;\r\n  State Exp;\r\n"
                         "Branches     \r\n ;\r\nNext     1.2;\r\n"),
              std::string::npos);
    // A comment clause is read and dropped; Binary counts only from format version 2 on.
    std::string old = bytes;
    old.replace(old.find("CmsVersion 2;\r\nBinary 0;"), 24, "Comment @# @;\r\nBinary 1;");
    Repository read;
    Problems problems;
    ASSERT_TRUE(ParseRepository(old, "old", read, problems));
    EXPECT_EQ(read.comment, "# ");
    EXPECT_EQ(read.binary, 0);
    EXPECT_EQ(read.Find("1.3")->lockedBy, "alice");
    EXPECT_EQ(FormatRepository(read).find("Comment"), std::string::npos);
}

TEST(Repository, ThousandRevisionsOpenAndRebuildTheFirst) {
    test::History h = test::MakeHistory({1000, 0, false, 7});
    std::string bytes = FormatRepository(h.repo);
    Repository read;
    Problems problems;
    ASSERT_TRUE(ParseRepository(bytes, "long", read, problems));
    EXPECT_EQ(read.deltas.size(), 1000u);
    std::string text, message;
    ASSERT_TRUE(Rebuild(read, "1.1", text, message)) << message;
    EXPECT_EQ(text, h.texts["1.1"]);
}

struct Damage {
    const char* from;
    const char* to;
    const char* message;
    bool fails = true;
};

// Each damage replaces the first occurrence of `from` in a small good file.
TEST(Repository, StructuralErrorsGiveTheirMessages) {
    const Damage kDamages[] = {
        {"This is a CMS", "This is no CMS", "Incorrect signature in file f"},
        {"Head     1.3;", "", "Missing head"},
        {"Access   ;", ";", "Missing access list"},
        {"RevNames ", "Symbols ", "Missing symbols"},
        {"Locks   ", "Lock ", "Missing locks"},
        {"Date     2001.1.1.2.2.14", "Date     ", "Missing Date"},
        {"Date     2001.1.1.2.2.14", "Date     2001.13.1.2.2.14", "Incorrect date 2001.13.1.2.2.14 in CMS file"},
        {"Author alice", "Author ", "Missing Author"},
        {"Branches", "Branchez", "Missing branches"},
        {"Next     1.2;", "Nxt 1.2;", "Missing next"},
        {"Description", "Descr", "Missing descriptive text"},
        {"\r\nText\r\n@", "\r\nTxt\r\n@", "Missing delta text"},
        {"Head     1.3;", "Head     1.9;", "Can't find delta for revision 1.9"},
        {"Next     1.2;", "Next     1.3;", "Revision 1.3 is reached twice from the head"},
        {"Next     1.2;", "Next     99999999999.2;", "Revision number 99999999999.2 is incorrect"},
        {"\r\n\r\n\r\n1.1\r\nLog", "\r\n\r\n\r\n1.2\r\nLog", "Revision 1.2 has more than one delta text"},
        {"Next     1.2;\r\n", "Next     1.2;\r\n1.2 Date 2001.1.1.1.1.1; Author a; State; Branches; Next;",
         "Revision 1.2 is listed twice"},
        {"Head     1.3;", "Head     1.3", "Missing ';' after head", false},
        {"Locks    alice:1.3;", "Locks    alice 1.3;", "Missing ':' in lock"},
        {"Locks    alice:1.3;", "Locks    alice:;", "Missing number in lock", false},
        {"Locks    alice:1.3;", "Locks    alice:1.3.1;", "Delta number required for lock", false},
        {"Locks    alice:1.3;", "Locks    alice:1.7;", "Can't find delta for revision 1.7"},
        {"  State Exp;", "  State Exp", "Missing ';' after State", false},
        {"Head     1.3;", "Head     1.3;$", "unknown Character: $", false},
    };
    test::History h = test::MakeHistory({3, 0, false, 5});
    h.repo.locks = {{"alice", "1.3"}};
    const std::string good = FormatRepository(h.repo);
    for (const Damage& d : kDamages) {
        std::string bytes = good;
        std::size_t at = bytes.find(d.from);
        ASSERT_NE(at, std::string::npos) << d.from;
        bytes.replace(at, std::strlen(d.from), d.to);
        Repository read;
        Problems problems;
        EXPECT_EQ(ParseRepository(bytes, "f", read, problems), !d.fails) << d.message;
        ASSERT_FALSE(problems.list.empty()) << d.message;
        EXPECT_EQ(problems.list.front().text, d.message);
    }
    // Cut anywhere inside the last text: the string has no end, and nothing is read.
    for (std::size_t cut : {good.size() - 3, good.rfind("Text") + 8}) {
        Repository read;
        Problems problems;
        EXPECT_FALSE(ParseRepository(good.substr(0, cut), "f", read, problems));
        ASSERT_EQ(problems.list.size(), 1u);
        EXPECT_EQ(problems.list[0].text, "Missing end of string '@'");
    }
}

TEST(Repository, RevisionNumbersAndNames) {
    EXPECT_LT(CompareNumbers("1.2", "1.2.1"), 0);
    EXPECT_LT(CompareNumbers("1.9", "1.10"), 0);
    EXPECT_GT(CompareNumbers("2.1", "1.10.1.1"), 0);
    EXPECT_EQ(CompareNumbers("1.2.1", "1.2.1"), 0);
    for (const char* bad : {"", "1..2", "1.", ".1", "1.2a", "1234567890.1"}) EXPECT_FALSE(ValidNumber(bad)) << bad;
    for (const char* good : {"alice", "J_Smith", "a1-b+c", "x\\y"}) EXPECT_TRUE(ValidIdentifier(good)) << good;
    for (const char* bad : {"John Smith", "j.smith", "1user", "J\xc3\xb6rg", "", "a:b", "a;b", "a@b"})
        EXPECT_FALSE(ValidIdentifier(bad)) << bad;
}

}  // namespace
}  // namespace tarvo::cms
