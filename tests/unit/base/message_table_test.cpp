// Checks the message table against an independent reference list of the (id, text) pairs that
// other programs, users' habits and the stored formats hold us to, as they were given to us
// (data/quoted_messages.txt: "id<TAB>text", with \n, \t and \\ escaped). Texts of our own
// choosing are not in it.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/messages.h"

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

TEST(MessageTableContents, EveryQuotedTextIsInTheTableOnce) {
    std::vector<QuotedMessage> pairs = ReadQuoted();
    // An empty or lost reference file must not pass.
    ASSERT_GT(pairs.size(), 80u);
    std::map<unsigned, std::string> seen;
    for (const QuotedMessage& q : pairs) {
        EXPECT_EQ(std::string(GetString(q.id)), q.text)
            << "message " << q.id << " (quoted_messages.txt line " << q.fileLine << ")";
        auto [it, fresh] = seen.emplace(q.id, q.text);
        EXPECT_TRUE(fresh || it->second == q.text) << "message " << q.id << " quoted twice";
    }
}

// The search stops at the first record of an id: a second one would never be shown.
TEST(MessageTableContents, EndsWithIdZeroAndOnlyTheBookmarkHelpRepeatsAnId) {
    std::map<unsigned, int> count;
    for (const MessageRecord& r : TableRecords()) {
        EXPECT_NE(r.text, nullptr) << "message " << r.id;
        ++count[r.id];
    }
    ASSERT_FALSE(count.empty());
    for (const auto& [id, n] : count) EXPECT_EQ(n, id == kDuplicateId ? 2 : 1) << "message " << id;
}

}  // namespace
}  // namespace tarvo::base
