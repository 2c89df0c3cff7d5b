#include <gtest/gtest.h>

#include <map>

#include "scripted_ui.h"
#include "shell/command_line.h"

namespace tarvo::shell {
namespace {

using Strings = std::vector<std::string>;

StartupOptions AfterFirstPass(std::string_view tail, bool another = false) {
    StartupOptions o = InitialOptions(tail, another);
    FirstPass(o);
    return o;
}

TEST(CommandTail, CutsTheProgramNameQuotedOrNot) {
    EXPECT_EQ(CommandTail("\"C:\\Program Files\\tarvo.exe\"   a.c b.c"), "a.c b.c");
    EXPECT_EQ(CommandTail("tarvo.exe \t /w x.c"), "/w x.c");
    EXPECT_EQ(CommandTail("\"C:\\bin\\tarvo.exe\"x.c"), "x.c");
    EXPECT_EQ(CommandTail("\"no closing quote a.c"), "");
    EXPECT_EQ(CommandTail("tarvo.exe"), "");
    EXPECT_EQ(CommandTail(""), "");
}

TEST(FirstPass, BannerTestIsCaseSensitiveAndFindsSlashWAnywhere) {
    StartupOptions o = InitialOptions("c:/work/a.c", false);
    EXPECT_FALSE(o.banner);
    EXPECT_FALSE(o.reopen);
    EXPECT_FALSE(o.saveAtExit);
    o = InitialOptions("/W a.c", false);
    EXPECT_TRUE(o.banner && o.reopen && o.saveAtExit);
}

TEST(FirstPass, ProjectTakesTheRestKeepsItsSpellingAndEmptiesTheTail) {
    StartupOptions o = AfterFirstPass("a.c /PRJ:  My Proj  ", true);
    EXPECT_EQ(o.projectName, "My Proj");
    EXPECT_TRUE(o.tail.empty());
    EXPECT_FALSE(o.anotherInstance);
    // Only "/prj:" on the line: the last session is reopened and saved at exit.
    EXPECT_FALSE(CommandLineTakesOver(o, 0));
    EXPECT_TRUE(o.reopen && o.saveAtExit);
    EXPECT_EQ(AfterFirstPass("/prj:\"Other\"").projectName, "Other");
}

TEST(FirstPass, AttachOptionsTakeANumberWithOrWithoutBlanks) {
    test::ScopedScriptedUi boxes;
    StartupOptions o = AfterFirstPass("-P 1234 /e56");
    EXPECT_TRUE(o.attach);
    EXPECT_EQ(o.attachPid, 1234u);
    EXPECT_TRUE(o.hasAttachEvent);
    EXPECT_EQ(o.attachEvent, 56u);
    EXPECT_FALSE(o.reopen || o.saveAtExit);
    EXPECT_TRUE(o.anotherInstance);
    EXPECT_TRUE(SecondPass(o).patterns.empty());
    EXPECT_EQ(AfterFirstPass("/d77").attachPid, 77u);
    o = AfterFirstPass("-F");
    EXPECT_FALSE(o.attach || o.reopen || o.saveAtExit);
    EXPECT_TRUE(boxes.ui.boxes.empty());
}

TEST(FirstPass, OptionLettersInsideNamesAndBadNumbersDoNotAttach) {
    test::ScopedScriptedUi boxes;
    StartupOptions o = AfterFirstPass("my-p2.c \"-d3.c\"");
    EXPECT_FALSE(o.attach);
    EXPECT_TRUE(boxes.ui.boxes.empty());
    for (const char* bad : {"/p", "/pabc", "-p 0", "/p 99999999999", "/e x.c"}) {
        o = AfterFirstPass(bad);
        EXPECT_FALSE(o.attach || o.hasAttachEvent) << bad;
    }
    ASSERT_EQ(boxes.ui.boxes.size(), 5u);
    EXPECT_EQ(boxes.ui.boxes[1].text, "Option /p needs a number: /pabc");
    EXPECT_EQ(boxes.ui.boxes[4].text, "Option /e needs a number: /e");
}

TEST(SecondPass, QuotesOptionsAndLoneOptions) {
    StartupOptions o = AfterFirstPass("\"My File.C\"  b.c -W \"-odd.c\" \"\"");
    OpenPlan plan = SecondPass(o);
    EXPECT_EQ(plan.patterns, (Strings{"My File.C", "b.c", "-odd.c"}));
    EXPECT_FALSE(o.banner);
    EXPECT_FALSE(plan.debug);

    o = AfterFirstPass("/");
    EXPECT_TRUE(SecondPass(o).patterns.empty());
    EXPECT_TRUE(o.banner);
    // A lone option is still a command line: no reopening, no saving at exit.
    EXPECT_TRUE(CommandLineTakesOver(o, 0));
    EXPECT_FALSE(o.reopen || o.saveAtExit);
}

TEST(SecondPass, ExecutableTakesTheRestAsItsArguments) {
    StartupOptions o = AfterFirstPass("a.c Prog.EXE  one   two");
    OpenPlan plan = SecondPass(o);
    EXPECT_EQ(plan.patterns, Strings{"a.c"});  // the executable is not opened as a file
    EXPECT_TRUE(plan.debug);
    EXPECT_EQ(plan.executable, "Prog.EXE");
    EXPECT_EQ(plan.arguments, "one two");

    o = AfterFirstPass("c:\\bin\\t.exe \"two words\" -w \"\" x.c");
    plan = SecondPass(o);
    EXPECT_TRUE(plan.patterns.empty());
    EXPECT_EQ(plan.arguments, "\"two words\" -w \"\" x.c");
    EXPECT_TRUE(o.banner);  // "-w" belongs to the debuggee

    o = AfterFirstPass("*.exe my.exercise.c dir.exe\\x.c");
    plan = SecondPass(o);
    EXPECT_FALSE(plan.debug);
    EXPECT_EQ(plan.patterns.size(), 3u);
}

TEST(SecondPass, FiftyNamesAtMostButEveryArgument) {
    test::ScopedScriptedUi boxes;
    std::string tail;
    for (int i = 1; i <= 55; ++i) tail += "f" + std::to_string(i) + ".c ";
    StartupOptions o = AfterFirstPass(tail);
    OpenPlan plan = SecondPass(o);
    ASSERT_EQ(plan.patterns.size(), kMaxCommandLineNames);
    EXPECT_EQ(plan.patterns.back(), "f50.c");
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_NE(boxes.ui.boxes[0].text.find("f51.c"), std::string::npos);

    o = AfterFirstPass("p.exe " + tail);
    plan = SecondPass(o);
    EXPECT_EQ(plan.arguments.substr(plan.arguments.size() - 5), "f55.c");
    EXPECT_EQ(boxes.ui.boxes.size(), 1u);
}

TEST(Wildcards, MatchWithoutCase) {
    EXPECT_TRUE(WildcardMatch("*.C", "main.c"));
    EXPECT_TRUE(WildcardMatch("m?in*", "MAIN.C"));
    EXPECT_TRUE(WildcardMatch("*a*b", "aXXaYb"));
    EXPECT_TRUE(WildcardMatch("*.*", "Makefile"));
    EXPECT_TRUE(WildcardMatch("*", ""));
    EXPECT_FALSE(WildcardMatch("*.c", "main.cpp"));
    EXPECT_FALSE(WildcardMatch("?", ""));
    EXPECT_FALSE(WildcardMatch("a*b", "ab.x"));
}

TEST(Wildcards, ExpandThroughTheListingAndReportNoMatch) {
    test::ScopedScriptedUi boxes;
    std::map<std::string, Strings> dirs = {{"", {"b.c", "A.C", "x.h"}},
                                           {"src", {"z.c", "y.C", ".", ".."}}};
    DirectoryLister list = [&](const std::string& d) { return dirs[d]; };
    EXPECT_EQ(ExpandPattern("*.c", list), (Strings{"A.C", "b.c"}));
    EXPECT_EQ(ExpandPattern("src\\*.c", list), (Strings{"src\\y.C", "src\\z.c"}));
    EXPECT_EQ(ExpandPattern("X.H", list), Strings{"X.H"});
    EXPECT_TRUE(boxes.ui.boxes.empty());
    EXPECT_TRUE(ExpandPattern("nope*.c", list).empty());
    EXPECT_TRUE(ExpandPattern("src\\", list).empty());
    ASSERT_EQ(boxes.ui.boxes.size(), 2u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "[nope*.c]: incorrect file name");
}

TEST(Wildcards, DirectoryOfAFile) {
    EXPECT_EQ(DirectoryOf("C:\\src\\a.c"), "C:\\src");
    EXPECT_EQ(DirectoryOf("C:\\a.c"), "C:\\");
    EXPECT_EQ(DirectoryOf("a.c"), "");
}

}  // namespace
}  // namespace tarvo::shell
