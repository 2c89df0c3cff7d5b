#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "base/commands.h"
#include "source_tree.h"

namespace tarvo::tree {
namespace {

// The files that define the ids: the table itself, and the message table, whose ids are
// messages that share numbers with commands.
const std::set<std::string> kTableFiles = {
    "src/base/command_ids.h", "src/base/commands.cpp", "src/base/message_table.cpp",
};

constexpr long kFourDigits = 1000;

// A number that is a command id of ours: a named one, or one that lies in a command range.
// Below 1000 only the named ones count (sizes and counts share those numbers).
bool IsCommandId(long n) {
    if (base::FindCommand(static_cast<int>(n))) return true;
    if (n >= CMD_FIRST_FUNCTION_KEY && n <= CMD_LAST_FUNCTION_KEY) return true;
    return n >= kFourDigits && base::OwnerOf(static_cast<int>(n)) != base::Owner::None;
}

// A named command of four digits or more, or a utility: such numbers mean a command wherever
// they stand, but for the definitions of message ids, which share numbers with commands.
bool IsNamedCommandId(long n) {
    return n >= kFourDigits && (base::FindCommand(static_cast<int>(n)) ||
                         (n >= CMD_FIRST_UTILITY && n <= CMD_LAST_UTILITY));
}

// A line of code (comments and strings blanked) in which a command id is spelled as a number:
// a named command anywhere, any other command id in a place where a command is meant (passed
// to or compared with a command, a row of a command table, a case label, a list of such
// numbers). Returns the number, or 0.
long BareCommandId(const std::string& code) {
    static const std::regex messageId(R"(\bk(Msg|Text)\w*\s*=\s*\d+)");
    if (std::regex_search(code, messageId)) return 0;
    static const std::regex number(R"((^|[^\w.])(\d+)(?![\w.]))");
    static const std::regex context(
        R"((ommand|Dispatch|WM_COMMAND|OpenDialog|\bid\b|\bcmd\b|\brow\(|\bnamed\(|\bcase\b))");
    static const std::regex tableRow(R"(^\s*\{\s*\d+\s*,)");
    static const std::regex numberList(R"(^\s*(\d+\s*,\s*)+\d*\s*[,}]?\s*;?\s*$)");
    bool commandContext = std::regex_search(code, context) || std::regex_search(code, tableRow) ||
                          std::regex_search(code, numberList);
    for (auto it = std::sregex_iterator(code.begin(), code.end(), number); it != std::sregex_iterator(); ++it) {
        long n = std::stol((*it)[2]);
        if (IsNamedCommandId(n) || (commandContext && IsCommandId(n))) return n;
    }
    return 0;
}

TEST(CommandIds, NoSourceOrTestSpellsOneAsANumber) {
    std::vector<SourceFile> files = SourceFiles({"src", "tests", "bench", "testbed"});
    ASSERT_GT(files.size(), 100u);
    for (const SourceFile& f : files) {
        if (kTableFiles.count(f.path)) continue;
        std::vector<std::string> code = CodeOnly(f.lines);
        for (std::size_t n = 0; n < code.size(); ++n)
            if (long id = BareCommandId(code[n]))
                ADD_FAILURE() << f.path << ":" << n + 1 << ": command " << id
                              << " is spelled as a number: " << f.lines[n];
    }
}

TEST(CommandIds, TheCheckSeesTheUsualPlaces) {
    for (const char* line : {"    Command(tarvo.frame, 1103);", "PostMessageA(f, WM_COMMAND, 1123, 0);",
                             "    if (id == 1142) {", "    {1110, [](int) { return UndoOnce(); }},",
                             "    case 1201:", "    row(vk::F9, 0, 1156),",
                             "                 1154, 1155, 1158, 1163,", "    Dispatch(1102, 0);",
                             "    EXPECT_EQ(MenuStatusHelp(1101, utilities), x);", "    rows = {{0, 1301, 0}};"})
        EXPECT_NE(BareCommandId(line), 0) << line;
    for (const char* line : {"    Settle(tarvo, 300);", "constexpr unsigned kNoUtilities = 1205;",
                             "    Command(tarvo.frame, CMD_SAVE);", "    char title[512];",
                             "    if (id == 9999) {", "    x = 1103.5;",
                             "inline constexpr unsigned kMsgCannotOpenForWriting = 1154;",
                             "    EXPECT_EQ(Lookup(1195), x);"})
        EXPECT_EQ(BareCommandId(line), 0) << line;
}

}  // namespace
}  // namespace tarvo::tree
