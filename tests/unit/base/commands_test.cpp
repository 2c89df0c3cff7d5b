#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "base/commands.h"

namespace tarvo::base {
namespace {

TEST(CommandTable, EveryIdHasOneRecord) {
    std::set<int> seen;
    for (const Command& c : kCommands) {
        EXPECT_TRUE(seen.insert(c.id).second) << "twice: " << c.id;
        EXPECT_NE(c.owner, Owner::None) << c.id;
    }
}

// A named record wins over the range it lies in.
TEST(CommandTable, OverlappingRangesResolveToTheNamedOwner) {
    EXPECT_EQ(OwnerOf(CMD_SAVE), Owner::Editor);
    EXPECT_EQ(OwnerOf(1195), Owner::SourceTools);  // kept for a source tool
    EXPECT_EQ(OwnerOf(CMD_PROJECT_OPEN), Owner::Project);  // inside the version store's range
    EXPECT_EQ(OwnerOf(1241), Owner::Version);  // kept for the administration
    EXPECT_EQ(OwnerOf(CMD_DISPOSITION), Owner::Shell);  // inside the resource editor's range
    EXPECT_EQ(OwnerOf(1262), Owner::Project);
    EXPECT_EQ(OwnerOf(1255), Owner::ResourceEditor);
    EXPECT_EQ(OwnerOf(CMD_LAST_UTILITY), Owner::Shell);
    EXPECT_EQ(OwnerOf(CMD_FIRST_CALL_STACK_ENTRY + 50), Owner::Debugger);
    EXPECT_EQ(OwnerOf(CMD_SEARCH_DEFINITION), Owner::Browse);
    EXPECT_EQ(OwnerOf(CMD_MAKE), Owner::Build);
    EXPECT_EQ(OwnerOf(CMD_FUNCTIONS_LIST), Owner::Analysis);
    EXPECT_EQ(OwnerOf(9999), Owner::None);
}

// The resource script's menus and accelerators name commands through the same header: every
// id they use is a command of the table.
TEST(CommandTable, ResourceScriptUsesOnlyNamedCommands) {
    std::ifstream in(TARVO_SOURCE_DIR "/resources/tarvo.rc");
    ASSERT_TRUE(in) << "resources/tarvo.rc";
    std::string line;
    std::regex menuItem(R"(^\s*MENUITEM\s+"[^"]*",\s*(\w+))");
    std::regex accelerator(R"(^\s*(?:VK_\w+|"\w"),\s*(\w+),\s*VIRTKEY)");
    int items = 0;
    for (int number = 1; std::getline(in, line); ++number) {
        std::smatch m;
        if (!std::regex_search(line, m, menuItem) && !std::regex_search(line, m, accelerator)) continue;
        ++items;
        EXPECT_EQ(m[1].str().rfind("CMD_", 0), 0u) << "tarvo.rc:" << number << ": " << line;
    }
    EXPECT_GT(items, 30);
}

}  // namespace
}  // namespace tarvo::base
