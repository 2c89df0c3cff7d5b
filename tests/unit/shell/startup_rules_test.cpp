#include <set>

#include "base/command_ids.h"
#include "base/messages.h"
#include "settings_test_util.h"
#include "shell/recent_files.h"
#include "shell/startup_rules.h"

namespace tarvo::shell {
namespace {

using Strings = std::vector<std::string>;

TEST(Frame, UnusableSizesAndASecondInstanceGetTheSystemDefaultPlacement) {
    EXPECT_FALSE(ChooseFramePlacement(10, 20, 800, 600, false).systemDefault);
    EXPECT_EQ(ChooseFramePlacement(-4, -4, 800, 600, false).x, -4);  // a position may be negative
    for (auto [cx, cy] : {std::pair{0, 600}, {800, 0}, {-800, 600}, {800, -600}})
        EXPECT_TRUE(ChooseFramePlacement(10, 20, cx, cy, false).systemDefault) << cx << "x" << cy;
    EXPECT_TRUE(ChooseFramePlacement(10, 20, 800, 600, true).systemDefault);
    // The title: the project's name without directory or extension, cut to 14.
    EXPECT_EQ(FrameTitle(""), "tarvo");
    EXPECT_EQ(FrameTitle("C:\\work\\calc.prj"), "tarvo-calc");
    EXPECT_EQ(FrameTitle("AVeryLongProjectName"), "tarvo-AVeryLongProje");
}

TEST(EnvironmentPath, RootBinGoesInFrontUnlessTheRootIsThere) {
    EXPECT_EQ(PreparedPath("C:\\Windows", "C:\\vex"), "C:\\vex\\bin;C:\\Windows");
    EXPECT_EQ(PreparedPath("", "C:\\vex"), "C:\\vex\\bin");
    EXPECT_FALSE(PreparedPath("D:\\x;C:\\vex2\\bin", "C:\\vex").has_value());
    EXPECT_FALSE(PreparedPath("C:\\Windows", "").has_value());
}

TEST(Documentation, PathsAndOnlyExistingItems) {
    EXPECT_EQ(DocumentationPath("C:\\vex", "D:\\books\\x.hlp"), "D:\\books\\x.hlp");
    EXPECT_EQ(DocumentationPath("C:\\vex", "examples.hlp"), "C:\\vex\\doc\\examples.hlp");
    EXPECT_EQ(DocumentationPath("C:\\vex", "c-faq"), "C:\\vex\\doc\\c-faq.doc");
    std::set<std::string> present = {"C:\\vex\\doc\\manual.doc", "C:\\vex\\bin\\win32.hlp",
                                     "C:\\vex\\doc\\c-tutorial.doc"};
    auto items = HelpMenuItems("C:\\vex", "C:\\vex\\bin\\win32.hlp",
                               [&](const std::string& p) { return present.count(p) > 0; });
    Strings labels;
    for (const auto& item : items) labels.push_back(item.label);
    EXPECT_EQ(labels, (Strings{"Win32 API", "Manual", "C-Tutorial"}));
    for (const DocumentationItem& d : kDocumentationItems)
        EXPECT_TRUE(d.command < CMD_FIRST_UTILITY || d.command > CMD_LAST_UTILITY) << d.command;
    EXPECT_EQ(DocumentationFileFor(CMD_DOC_MANUAL, "C:\\vex", ""), "C:\\vex\\doc\\manual.doc");
    EXPECT_EQ(DocumentationFileFor(CMD_DOC_WIN32_API, "C:\\vex", ""), "");
}

TEST(ContextHelp, IndexDecidesTheHelpFile) {
    std::string index = "printf\nfopen\nstrtok\n";
    ContextHelp h = ChooseContextHelp("fopen", index, "C:\\vex", "C:\\w32.hlp");
    EXPECT_EQ(h.kind, ContextHelp::TarvoHelp);
    EXPECT_EQ(h.file, "C:\\vex\\bin\\tarvo.hlp");
    h = ChooseContextHelp("CreateWindow", index, "C:\\vex", "C:\\w32.hlp");
    EXPECT_EQ(h.kind, ContextHelp::Win32Help);
    EXPECT_EQ(h.file, "C:\\w32.hlp");
    EXPECT_FALSE(h.askForFile);
    EXPECT_TRUE(ChooseContextHelp("CreateWindow", index, "C:\\vex", "").askForFile);
    EXPECT_EQ(ChooseContextHelp("", index, "C:\\vex", "").kind, ContextHelp::None);
}

TEST(SharedArea, TextStopsAtZeroOrTheEndOfTheView) {
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(SharedAreaText(unterminated, sizeof unterminated), "abcd");
    EXPECT_EQ(SharedAreaText("ab\0cd", 5), "ab");
    EXPECT_EQ(SharedAreaText(nullptr, 10), "");
}

TEST(SharedArea, FunctionStubFromADeclaration) {
    FunctionStub stub;
    ASSERT_TRUE(ParseFunctionStub("  static int  add_2 (int a,\r\n  int b) ; int x;", stub));
    EXPECT_EQ(stub.name, "add_2");
    EXPECT_EQ(stub.lines, (Strings{"static int  add_2 (int a,", "  int b)", "{", "}"}));
    ASSERT_TRUE(ParseFunctionStub("void f(void)", stub));
    EXPECT_EQ(stub.lines, (Strings{"void f(void)", "{", "}"}));
    FunctionStub untouched{"keep", {}};
    EXPECT_FALSE(ParseFunctionStub("int x; f(void)", untouched));
    EXPECT_FALSE(ParseFunctionStub("(void)", untouched));
    EXPECT_FALSE(ParseFunctionStub("int 2(void)", untouched));
    EXPECT_EQ(untouched.name, "keep");
}

TEST(StatusHelp, UtilitiesShowTheirCommandOthersTheirHelpText) {
    std::vector<base::Utility> utilities = {{"Grep", "grep.exe", "-n $ASK$", "", CMD_FIRST_UTILITY + 1}};
    EXPECT_EQ(MenuStatusHelp(CMD_FIRST_UTILITY + 1, utilities), "Execute grep.exe -n $ASK$.");
    EXPECT_EQ(MenuStatusHelp(CMD_NEW, utilities), "Create a new file.");
    EXPECT_EQ(MenuStatusHelp(CMD_FIRST_UTILITY + 2, utilities), base::StatusHelp(CMD_FIRST_UTILITY + 2));  // no such utility
}

TEST(Reopen, FiltersNamesAndDecodesWindowStates) {
    std::vector<base::OpenFile> saved = {
        {"untitled", 1, {0, 0, 10, 10}},   {"C:\\src\\a.c", 12, {-5, 6, 100, 80}},
        {"c:\\SRC\\b.c", 3, {5, 6, -100, 80}}, {"C:\\src2\\c.c", 1, {1, 2, 3, 4}},
        {"", 1, {1, 2, 3, 4}}};
    auto all = FilesToReopen(saved, "");
    ASSERT_EQ(all.size(), 3u);
    EXPECT_TRUE(all[0].iconic && !all[0].maximised);
    EXPECT_EQ(all[0].rect, (base::Rect{5, 6, 100, 80}));
    EXPECT_EQ(all[0].line, 12);
    EXPECT_TRUE(all[1].maximised);
    EXPECT_EQ(all[1].rect.right, 100);
    auto inSrc = FilesToReopen(saved, "C:\\src");
    ASSERT_EQ(inSrc.size(), 2u);
    EXPECT_EQ(inSrc[1].name, "c:\\SRC\\b.c");
}

TEST(Reopen, AnActiveFileNotReopenedIsForgotten) {
    std::string current = "C:\\src\\A.c";
    ForgetUnopened({"c:\\src\\b.c"}, current);
    EXPECT_EQ(current, "C:\\src\\A.c");
    ForgetUnopened({"c:\\src\\b.c", "c:\\SRC\\a.C"}, current);
    EXPECT_EQ(current, "");
}

TEST(Reopen, StoredWindowStatesReadBack) {
    for (bool iconic : {false, true})
        for (bool maximised : {false, true}) {
            base::Rect normal{10, 20, 300, 200};
            base::OpenFile f{"C:\\a.c", 1, StoredWindowRect(normal, iconic, maximised)};
            std::vector<ReopenWindow> back = FilesToReopen({f}, "");
            ASSERT_EQ(back.size(), 1u);
            EXPECT_EQ(std::pair(back[0].iconic, back[0].maximised), std::pair(iconic, maximised));
            EXPECT_EQ(back[0].rect, normal);
        }
    // A window at the client's left edge still carries its mark.
    base::Rect edge = StoredWindowRect({0, 0, 0, 40}, true, true);
    EXPECT_LT(edge.left, 0);
    EXPECT_LT(edge.right, 0);
}

TEST(RecentFiles, NewestFirstTenAtMostDuplicatesMove) {
    Strings list;
    for (int i = 1; i <= 12; ++i) AddRecentFile(list, "f" + std::to_string(i) + ".c");
    ASSERT_EQ(list.size(), kRecentFileCount);
    EXPECT_EQ(list.front() + " " + list.back(), "f12.c f3.c");
    AddRecentFile(list, "F5.C");
    EXPECT_EQ(list.size(), kRecentFileCount);
    EXPECT_EQ(list.front(), "F5.C");
    EXPECT_EQ(RecentFileForCommand(list, CMD_RECENT_FILE_1), "F5.C");
    EXPECT_EQ(RecentFileForCommand(list, CMD_RECENT_FILE_4), "f10.c");
    EXPECT_EQ(RecentFileForCommand(list, 1218), "");
    RemoveRecentFile(list, "f12.C");
    EXPECT_EQ(list[1], "f11.c");
}

using StoredRecentFiles = test::MainKeyTest;

TEST_F(StoredRecentFiles, ReadBack) {
    ASSERT_TRUE(WriteRecentFiles(key, {"C:\\a.c", "b.c"}));
    Strings read;
    ReadRecentFiles(key, read);
    EXPECT_EQ(read, (Strings{"C:\\a.c", "b.c"}));
    // Duplicates stored by hand collapse to the newer; a missing value ends the list.
    base::WriteNumber(key, "RecentFiles", 5);
    base::WriteText(key, "RecentFile2", "C:\\A.C");
    ReadRecentFiles(key, read);
    EXPECT_EQ(read, Strings{"C:\\a.c"});
}

}  // namespace
}  // namespace tarvo::shell
