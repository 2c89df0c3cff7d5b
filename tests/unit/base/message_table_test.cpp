// Checks the message table against an independent reference list of the (id, text) pairs that
// other programs, users' habits and the stored formats hold us to, as they were given to us
// (data/quoted_messages.txt: "id<TAB>text", with \n, \t and \\ escaped). Texts of our own
// choosing are not in it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/command_ids.h"

namespace tarvo::base {
namespace {

struct QuotedMessage {
    unsigned id;
    std::string text;
    int fileLine;
};

constexpr unsigned kDuplicateId = 8142;  // the one id the table holds twice; the first wins
constexpr size_t kTableBound = 5000;     // a table without its end record fails, not hangs

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        if (c == 'n') out += '\n';
        else if (c == 't') out += '\t';
        else if (c == '\\') out += '\\';
        else { out += '\\'; out += c; }  // not one of ours: keep it as written
    }
    return out;
}

std::vector<QuotedMessage> ReadQuoted() {
    std::vector<QuotedMessage> pairs;
    std::ifstream in(std::string(TARVO_TEST_DATA) + "/quoted_messages.txt");
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        if (line.empty()) continue;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            ADD_FAILURE() << "quoted_messages.txt line " << n << " has no tab: " << line;
            continue;
        }
        pairs.push_back({static_cast<unsigned>(std::stoul(line.substr(0, tab))),
                         Unescape(line.substr(tab + 1)), n});
    }
    return pairs;
}

// The records before the end record; fails the test when no end record comes.
std::vector<MessageRecord> TableRecords() {
    std::vector<MessageRecord> records;
    for (size_t i = 0; i < kTableBound; ++i) {
        if (kMessageTable[i].id == 0) return records;
        records.push_back(kMessageTable[i]);
    }
    ADD_FAILURE() << "no record with id 0 within " << kTableBound << " records";
    return records;
}

TEST(MessageTableContents, EveryQuotedTextIsInTheTable) {
    std::vector<QuotedMessage> pairs = ReadQuoted();
    // An empty or lost reference file must not pass.
    ASSERT_GT(pairs.size(), 80u);
    for (const QuotedMessage& q : pairs)
        EXPECT_EQ(std::string(GetString(q.id)), q.text)
            << "message " << q.id << " (quoted_messages.txt line " << q.fileLine << ")";
}

TEST(MessageTableContents, ReferenceListHasNoConflictingPairs) {
    std::map<unsigned, std::string> seen;
    for (const QuotedMessage& q : ReadQuoted()) {
        auto [it, fresh] = seen.emplace(q.id, q.text);
        EXPECT_TRUE(fresh || it->second == q.text) << "message " << q.id << " quoted twice";
    }
}

TEST(MessageTableContents, EndsWithIdZeroAndHasNoNullText) {
    std::vector<MessageRecord> records = TableRecords();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(kMessageTable[records.size()].id, 0u);
    for (const MessageRecord& r : records)
        EXPECT_NE(r.text, nullptr) << "message " << r.id;
}

TEST(MessageTableContents, OnlyTheBookmarkHelpRepeatsAnId) {
    std::map<unsigned, int> count;
    for (const MessageRecord& r : TableRecords()) ++count[r.id];
    for (const auto& [id, n] : count) {
        if (id == kDuplicateId)
            EXPECT_EQ(n, 2) << "message " << id;
        else
            EXPECT_EQ(n, 1) << "message " << id << " would shadow a later record";
    }
}

TEST(MessageTableContents, IdsAscend) {
    std::vector<MessageRecord> records = TableRecords();
    for (size_t i = 1; i < records.size(); ++i)
        EXPECT_LE(records[i - 1].id, records[i].id) << "record " << i << ", message "
                                                    << records[i].id;
}

TEST(MessageTableContents, SpotChecks) {
    EXPECT_STREQ(GetString(8142), "Establish a book mark at the current position");
    EXPECT_STREQ(GetString(406), "Error");
    EXPECT_STREQ(GetString(3981), "Information");
    EXPECT_STREQ(GetString(10), "# Tarvo Makefile for project %s\n");
    EXPECT_STREQ(GetString(21000), "Show the on-line documentation");
    EXPECT_STREQ(GetString(3969), "clMDIFrame");
}

TEST(MessageTableContents, KeywordListEndsAtAnEmptyPresentRecord) {
    EXPECT_STREQ(GetString(1032), "");
    bool present = false;
    for (const MessageRecord& r : TableRecords()) present = present || r.id == 1032;
    EXPECT_TRUE(present);
    // Read as the scanners read it: from 996 until the empty entry.
    std::vector<std::string> words;
    for (unsigned id = 996; *GetString(id) != '\0'; ++id) words.push_back(GetString(id));
    ASSERT_EQ(words.size(), 36u);
    EXPECT_EQ(words.front(), "new");
    EXPECT_EQ(words[4], "if");
    EXPECT_EQ(words.back(), "const");
}

TEST(MessageTableContents, StatusHelpAppendsAPeriod) {
    EXPECT_EQ(StatusHelp(CMD_NEW), "Create a new file.");
    EXPECT_EQ(StatusHelp(CMD_SET_BOOKMARK), "Establish a book mark at the current position.");
}

}  // namespace
}  // namespace tarvo::base
