// Utilities: the macros of their command lines (each name, unknown names, an unclosed '$',
// failures that start nothing), the ids that stay distinct through deletes, and the command.
#include <gtest/gtest.h>

#include "base/command_ids.h"
#include "project/utilities.h"
#include "scripted_ui.h"

namespace tarvo::project {
namespace {

struct Macros : ::testing::Test {
    test::ScopedScriptedUi boxes;
    MacroContext c;
    void SetUp() override {
        c.file = "c:\\src\\main.c";
        c.window = 0x1a2b;
        c.word = "counter";
        c.cursorInWord = 4;
        c.selection = "x + 1";
        c.exe = "demo.exe";
        c.makeDir = "c:\\src\\vex";
        c.currentDir = "c:\\work";
    }
    std::string Expand(const std::string& text) {
        std::string out = "<failed>";
        ExpandMacros(text, c, out);
        return out;
    }
};

TEST_F(Macros, EachNameAndItsBlank) {
    EXPECT_EQ(Expand("$FILE$ $CURSOR$"), "c:\\src\\main.c  coun ");
    EXPECT_EQ(Expand("-w $current_text$-n $HWND$"), "-w counter -n 0x1a2b ");
    EXPECT_EQ(Expand("$SELECTION$|$EXE$|$DIR$"), "x + 1 |c:\\src\\vex\\demo.exe |c:\\work ");
    EXPECT_EQ(Expand("$FILE$.obj"), "c:\\src\\main.c .obj");   // FILE and an extension
    EXPECT_EQ(Expand("$NOSUCH$x"), " x");                        // unknown: only the blank
    EXPECT_EQ(Expand("a $FILE"), "a c:\\src\\main.c ");          // unclosed: the rest is the name
    EXPECT_EQ(Expand("a $FILE tail"), "a  ");                    // ... and the expansion ends
    EXPECT_EQ(Expand("no macros"), "no macros");
    EXPECT_EQ(Expand("$$"), " ");
    c.word.clear();
    c.exe = "d:\\out\\demo.exe";
    EXPECT_EQ(Expand("$CURRENT_TEXT$$CURSOR$$EXE$"), "  d:\\out\\demo.exe ");
    // A name longer than a macro name may be is no macro, whatever it starts with.
    EXPECT_EQ(Expand("$FILE" + std::string(30, 'X') + "$"), " ");
    EXPECT_EQ(BoxTexts(boxes.ui), "");
}

TEST_F(Macros, FailuresStartNothing) {
    c.selectionLines = true;
    std::string out = "kept";
    EXPECT_FALSE(ExpandMacros("$SELECTION$", c, out));
    EXPECT_EQ(out, "kept");
    EXPECT_EQ(BoxTexts(boxes.ui), "Impossible to send multi-line selection|");
    EXPECT_FALSE(ExpandMacros("$ASK$", c, out));  // no question allowed (the program field)
    std::string title;
    c.askTitle = "ed.exe ";
    c.ask = [&](const std::string& t, std::string& answer) {
        title = t;
        answer = "typed";
        return true;
    };
    EXPECT_TRUE(ExpandMacros("-a $ASK$", c, out));
    EXPECT_EQ(out, "-a typed ");
    EXPECT_EQ(title, "ed.exe ");
    c.ask = [](const std::string&, std::string&) { return false; };
    EXPECT_FALSE(ExpandMacros("-a $ASK$", c, out));
    EXPECT_EQ(out, "-a typed ");
}

TEST(UtilityList, IdsStayDistinctThroughDeletes) {
    test::ScopedScriptedUi boxes;
    std::vector<base::Utility> list;
    long id = 0;
    EXPECT_EQ(ChangeOrAddUtility(list, {"A", "a.exe", "", "", 0}, id), UtilityEdit::Added);
    EXPECT_EQ(id, CMD_FIRST_UTILITY);
    EXPECT_EQ(ChangeOrAddUtility(list, {"B", "b.exe", "", "", 0}, id), UtilityEdit::Added);
    EXPECT_EQ(id, CMD_FIRST_UTILITY + 1);
    EXPECT_TRUE(DeleteUtility(list, "A", id));
    EXPECT_EQ(id, CMD_FIRST_UTILITY);
    EXPECT_EQ(ChangeOrAddUtility(list, {"C", "c.exe", "", "", 0}, id), UtilityEdit::Added);
    EXPECT_EQ(id, CMD_FIRST_UTILITY);  // the free one, not B's
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].nickname, "C");  // newest first
    EXPECT_EQ(FindUtility(list, CMD_FIRST_UTILITY + 1)->nickname, "B");
    // Same nickname: changed in place, id kept; another case is another utility.
    EXPECT_EQ(ChangeOrAddUtility(list, {"B", "b2.exe", "-x", "c:\\", 0}, id), UtilityEdit::Changed);
    EXPECT_EQ(id, CMD_FIRST_UTILITY + 1);
    EXPECT_EQ(FindUtility(list, id)->program, "b2.exe");
    EXPECT_EQ(FindUtility(list, id)->startDir, "c:\\");
    EXPECT_EQ(ChangeOrAddUtility(list, {"b", "b3.exe", "", "", 0}, id), UtilityEdit::Added);
    EXPECT_EQ(BoxTexts(boxes.ui), "Utility [A] erased|");
}

TEST(UtilityList, RefusalsChangeNothing) {
    test::ScopedScriptedUi boxes;
    std::vector<base::Utility> list;
    long id = 0;
    for (int i = 0; i < 13; ++i)
        ASSERT_EQ(ChangeOrAddUtility(list, {"u" + std::to_string(i), "p.exe", "", "", 0}, id), UtilityEdit::Added);
    EXPECT_EQ(id, CMD_LAST_UTILITY);
    std::vector<base::Utility> before = list;
    EXPECT_EQ(ChangeOrAddUtility(list, {"u13", "p.exe", "", "", 0}, id), UtilityEdit::Refused);
    EXPECT_EQ(ChangeOrAddUtility(list, {"", "p.exe", "", "", 0}, id), UtilityEdit::Refused);
    EXPECT_EQ(ChangeOrAddUtility(list, {"u1", "", "", "", 0}, id), UtilityEdit::Refused);
    EXPECT_FALSE(DeleteUtility(list, "nobody", id));
    EXPECT_EQ(list, before);
    EXPECT_EQ(BoxTexts(boxes.ui), "All 13 utilities are defined: delete one first|A utility needs a name and a "
                                  "program|A utility needs a name and a program|Can't find utility nobody|");
    EXPECT_EQ(FindUtility(list, CMD_LAST_UTILITY + 1), nullptr);
}

TEST(FileProcessors, NeedACommandAndAnOutput) {
    test::ScopedScriptedUi boxes;
    EXPECT_TRUE(ValidFileProcessor({"c:\\s\\a.y", "yacc -I inc a.y", "a.c"}));
    EXPECT_FALSE(ValidFileProcessor({"c:\\s\\a.y", "", "a.c"}));
    EXPECT_FALSE(ValidFileProcessor({"c:\\s\\a.y", "yacc a.y", ""}));
    EXPECT_EQ(BoxTexts(boxes.ui), "Both the command line and the output file must be given|"
                                  "Both the command line and the output file must be given|");
}

}  // namespace
}  // namespace tarvo::project
