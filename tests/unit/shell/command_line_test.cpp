#include <gtest/gtest.h>

#include <map>

#include "scripted_ui.h"
#include "platform/files.h"
#include "shell/command_line.h"

namespace tarvo::shell {
namespace {

using Strings = std::vector<std::string>;

StartupOptions AfterFirstPass(std::string_view tail, bool another = false) {
    StartupOptions o = InitialOptions(tail, another);
    FirstPass(o);
    return o;
}

// The flags that are set and the values given, as words.
std::string Options(const StartupOptions& o) {
    std::string words;
    auto add = [&](bool on, const std::string& word) {
        if (on) words += (words.empty() ? "" : " ") + word;
    };
    add(o.banner, "banner");
    add(o.reopen, "reopen");
    add(o.saveAtExit, "save");
    add(o.anotherInstance, "another");
    add(!o.projectName.empty(), "prj=" + o.projectName);
    add(o.attach, "attach=" + std::to_string(o.attachPid));
    add(o.hasAttachEvent, "event=" + std::to_string(o.attachEvent));
    return words;
}

TEST(CommandTail, CutsTheProgramNameQuotedOrNot) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"C:\\Program Files\\tarvo.exe\"   a.c b.c", "a.c b.c"}, {"tarvo.exe \t /w x.c", "/w x.c"},
        {"\"C:\\bin\\tarvo.exe\"x.c", "x.c"}, {"\"no closing quote a.c", ""}, {"tarvo.exe", ""}, {"", ""}};
    for (auto [line, tail] : cases) EXPECT_EQ(CommandTail(line), tail) << line;
}

TEST(FirstPass, OptionsAndTheirNumbers) {
    test::ScopedScriptedUi boxes;
    EXPECT_EQ(Options(InitialOptions("c:/work/a.c", false)), "");  // "/w" anywhere, case matters
    EXPECT_EQ(Options(InitialOptions("/W a.c", false)), "banner reopen save");
    const std::pair<const char*, const char*> cases[] = {
        {"-P 1234 /e56", "banner another attach=1234 event=56"},  // with or without blanks
        {"/d77", "banner another attach=77"},
        {"-F", "banner"},
        {"my-p2.c \"-d3.c\"", "banner reopen save"},  // option letters inside names
        // Bad numbers are reported and do not attach.
        {"/p", "banner reopen save"}, {"/pabc", "banner reopen save"}, {"-p 0", "banner reopen save"},
        {"/p 99999999999", "banner reopen save"}, {"/e x.c", "banner reopen save"},
    };
    for (auto [tail, options] : cases) EXPECT_EQ(Options(AfterFirstPass(tail)), options) << tail;
    ASSERT_EQ(boxes.ui.boxes.size(), 5u);
    EXPECT_EQ(boxes.ui.boxes[1].text, "Option /p needs a number: /pabc");
    EXPECT_EQ(boxes.ui.boxes[4].text, "Option /e needs a number: /e");
    StartupOptions attach = AfterFirstPass("-P 1234");
    EXPECT_TRUE(SecondPass(attach).patterns.empty());
}

TEST(FirstPass, ProjectTakesTheRestKeepsItsSpellingAndEmptiesTheTail) {
    StartupOptions o = AfterFirstPass("a.c /PRJ:  My Proj  ", true);
    EXPECT_EQ(Options(o), "banner reopen save prj=My Proj");
    EXPECT_TRUE(o.tail.empty());
    // Only "/prj:" on the line: the last session is reopened and saved at exit.
    EXPECT_FALSE(CommandLineTakesOver(o, 0));
    EXPECT_TRUE(o.reopen && o.saveAtExit);
    EXPECT_EQ(AfterFirstPass("/prj:\"Other\"").projectName, "Other");
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

TEST(Wildcards, MatchWithoutCaseAndExpandThroughTheListing) {
    for (auto [pattern, name] : {std::pair{"*.C", "main.c"}, {"m?in*", "MAIN.C"}, {"*a*b", "aXXaYb"}, {"*.*", "Makefile"}, {"*", ""}})
        EXPECT_TRUE(WildcardMatch(pattern, name)) << pattern << " " << name;
    for (auto [pattern, name] : {std::pair{"*.c", "main.cpp"}, {"?", ""}, {"a*b", "ab.x"}})
        EXPECT_FALSE(WildcardMatch(pattern, name)) << pattern << " " << name;
    test::ScopedScriptedUi boxes;
    std::map<std::string, Strings> dirs = {{"", {"b.c", "A.C", "x.h"}}, {"src", {"z.c", "y.C", ".", ".."}}};
    DirectoryLister list = [&](const std::string& d) { return dirs[d]; };
    EXPECT_EQ(ExpandPattern("*.c", list), (Strings{"A.C", "b.c"}));
    EXPECT_EQ(ExpandPattern("src\\*.c", list), (Strings{"src\\y.C", "src\\z.c"}));
    EXPECT_EQ(ExpandPattern("X.H", list), Strings{"X.H"});
    EXPECT_TRUE(boxes.ui.boxes.empty());
    EXPECT_TRUE(ExpandPattern("nope*.c", list).empty());
    EXPECT_TRUE(ExpandPattern("src\\", list).empty());
    EXPECT_EQ(BoxTexts(boxes.ui), "[nope*.c]: incorrect file name|[src\\]: incorrect file name|");
    EXPECT_EQ(platform::DirectoryOf("C:\\src\\a.c"), "C:\\src");
    EXPECT_EQ(platform::DirectoryOf("C:\\a.c"), "C:\\");
    EXPECT_EQ(platform::DirectoryOf("a.c"), "");
}

}  // namespace
}  // namespace tarvo::shell
