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
#include "platform/text.h"

namespace tarvo::cms {
namespace {

std::string LfText(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
    return text;
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Our file in RCS's own format: the same structure under RCS's keywords, LF line ends, dates
// with two-digit fields, no format-version or binary clauses. Works on the bytes, not on our
// parser's model, so that the parser is checked too.
std::string ToRcs(const std::string& bytes) {
    static const std::map<std::string, std::string> kKeywords = {
        {"Head", "head"},     {"Branch", "branch"}, {"Access", "access"},   {"RevNames", "symbols"},
        {"Locks", "locks"},   {"Date", "date"},     {"Author", "author"},   {"State", "state"},
        {"Branches", "branches"}, {"Next", "next"}, {"Description", "desc"}, {"Log", "log"},
        {"Text", "text"}};
    std::string text = LfText(bytes), out;
    std::size_t i = std::string(kSignature).size();
    bool date = false;
    while (i < text.size()) {
        char c = text[i];
        if (c == '@') {
            std::size_t j = i + 1;
            for (;; ++j) {
                j = text.find('@', j);
                if (j + 1 < text.size() && text[j + 1] == '@') ++j;
                else break;
            }
            out += text.substr(i, j + 1 - i);
            i = j + 1;
        } else if (IsLetter(c)) {
            std::size_t j = i;
            while (j < text.size() && !std::strchr(" \t\n;:@", text[j])) ++j;
            std::string word = text.substr(i, j - i);
            if (word == "CmsVersion" || word == "Binary") {
                j = text.find(';', j) + 1;
            } else {
                auto found = kKeywords.find(word);
                out += found == kKeywords.end() ? word : found->second;
                date = word == "Date";
            }
            i = j;
        } else if (date && c >= '0' && c <= '9') {
            std::size_t j = text.find(';', i);
            std::vector<int> f;
            std::istringstream fields(text.substr(i, j - i));
            for (std::string part; std::getline(fields, part, '.');) f.push_back(std::stoi(part));
            out += Printf("%04d.%02d.%02d.%02d.%02d.%02d", f[0], f[1], f[2], f[3], f[4], f[5]);
            date = false;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string CheckOut(const std::string& rcsFile, const std::string& number) {
    std::string command = "co -q -kb -p -r" + number + " '" + rcsFile + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

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
        std::ofstream(rcsFile, std::ios::binary) << ToRcs(bytes);
        int branchRevisions = 0;
        for (const std::string& number : h.numbers) {
            std::string text, message;
            ASSERT_TRUE(Rebuild(read, number, text, message)) << number << ": " << message;
            EXPECT_EQ(text, h.texts[number]) << number;
            EXPECT_EQ(CheckOut(rcsFile, number), text) << number;
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
