// The help topics and project files, read back by the help compiler stand-in's strict checks,
// by unrtf, and beside ctags' list of functions, variables and structures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

#include "hcrtf_core.h"
#include "command_output.h"
#include "scan_test_util.h"
#include "tools/help_file.h"

namespace tarvo::tools {
namespace {

using analysis::test::Text;
using testbed::HelpTopicDump;

struct Compiled {
    std::vector<HelpTopicDump> topics;
    std::vector<std::string> errors;
    const HelpTopicDump* Titled(const std::string& title) const {
        for (const HelpTopicDump& t : topics)
            if (t.title == title) return &t;
        return nullptr;
    }
};

Compiled Compile(const std::string& rtf, const std::string& project) {
    Compiled c;
    testbed::HelpProjectFile p;
    testbed::ParseHelpProject(project, p, c.errors);
    testbed::CheckHelpTopics(rtf, "t.RTF", c.topics, c.errors);
    testbed::CheckHelpLinks(p, c.topics, c.errors);
    return c;
}

std::string Topics(const analysis::CrossReference& x) {
    bool cancelled = false;
    return HelpTopics(x, "t", nullptr, cancelled);
}

std::string Lines(const std::vector<std::string>& text) {
    std::string all;
    for (const std::string& l : text) all += l + "\n";
    return all;
}

TEST(HelpFile, TopicsPassTheStrictCheckAndCrossReference) {
    Text a(
        "/* The first file.\n"
        "   Two lines of comment. */\n"
        "int shared_count;\n"
        "struct pair { int a, b; };\n"
        "static int helper(struct pair *p) { return p->a + shared_count; }\n"
        "int main(void) { return helper(0) + puts(\"x\"); }\n");
    Text b(
        "int shared_count;\n"
        "struct pair { int a, b; };\n"
        "void alone(void) { }\n"
        "int operator_user(void) { return shared_count; }\n");
    analysis::CrossReference x = analysis::ScanCrossReference({{"C:\\src\\one.c", a.lines}, {"C:\\src\\two.c", b.lines}});
    std::string rtf = Topics(x);
    Compiled c = Compile(rtf, HelpProject("t", "Title"));
    EXPECT_TRUE(c.errors.empty()) << c.errors.front();
    // One topic per function, per global and structure name (not per file), per file; four
    // index topics and the main index.
    EXPECT_EQ(c.topics.size(), 4u + 1 + 1 + 2 + 4 + 1);
    const HelpTopicDump* main = c.Titled("main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->keywords, "Functions;main");
    EXPECT_EQ(main->contexts, std::vector<std::string>{"one1001main"});
    EXPECT_EQ(main->browse, "Functions:031001");
    std::string text = Lines(main->text);
    EXPECT_NE(text.find("int main(void)\nLine 6 - 6 C:\\src\\one.c\nCalled functions: \nhelper\nputs\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("Called by:"), std::string::npos);  // nobody calls main
    ASSERT_EQ(main->jumps.size(), 1u);                      // helper has a topic, puts none
    EXPECT_EQ(main->jumps[0].second, "one1000helper");
    const HelpTopicDump* helper = c.Titled("helper");
    ASSERT_NE(helper, nullptr);
    EXPECT_NE(Lines(helper->text).find("Called by: \nmain\nGlobal symbols used: \nshared_count\n"), std::string::npos);
    const HelpTopicDump* alone = c.Titled("alone");
    ASSERT_NE(alone, nullptr);
    EXPECT_EQ(Lines(alone->text).find("Called"), std::string::npos);
    const HelpTopicDump* global = c.Titled("shared_count");
    ASSERT_NE(global, nullptr);
    EXPECT_NE(Lines(global->text).find("shared_count: Line 3 File C:\\src\\one.c\nint shared_count;\nUsage: \n"
                                      "Function helper, file C:\\src\\one.c\nFunction operator_user, file C:\\src\\two.c\n"),
              std::string::npos)
        << Lines(global->text);
    const HelpTopicDump* file = c.Titled("one.c");
    ASSERT_NE(file, nullptr);
    EXPECT_NE(Lines(file->text).find("Location: C:\\src\\one.c, 6 lines\n/* The first file.\n   Two lines of comment. */\n"),
              std::string::npos)
        << Lines(file->text);
    const HelpTopicDump* index = c.Titled("Functions");
    ASSERT_NE(index, nullptr);
    ASSERT_EQ(index->jumps.size(), 4u);
    EXPECT_EQ(index->jumps[0].first, "alone");  // sorted by name
    EXPECT_EQ(c.Titled("INDEX")->contexts, std::vector<std::string>{"main_index"});
}

TEST(HelpFile, EveryInsertedTextIsEscaped) {
    EXPECT_EQ(RtfText("a\\b{c}\td\n\xe9"), "a\\\\b\\{c\\}  d\\par\r\n\\'e9");  // the tab counts shown columns
    std::size_t column = 1;
    std::string out;
    AppendRtfText(out, "\tx\ty", column);
    EXPECT_EQ(out, "   x   y");  // tabs to the next multiple of 4
    Text t("int weird{0};\nvoid f(void) { char *s = \"{\\\\}\"; /* \xe9t\xe9 */ }\n");
    analysis::CrossReference x =
        analysis::ScanCrossReference({{"C:\\dir {odd}\\caf\xe9.c", t.lines}});
    std::string rtf = Topics(x);
    Compiled c = Compile(rtf, HelpProject("t", "T"));
    EXPECT_TRUE(c.errors.empty()) << c.errors.front();
    const HelpTopicDump* f = c.Titled("f");
    ASSERT_NE(f, nullptr);
    EXPECT_NE(Lines(f->text).find("Line 2 - 2 C:\\dir {odd}\\caf\xe9.c"), std::string::npos) << Lines(f->text);
    // A long line needs no fixed buffer.
    std::string longLine = "int g(void) { return 0" + std::string(40000, ' ') + "; }";
    Text big(longLine);
    Compiled d = Compile(Topics(analysis::ScanCrossReference({{"big.c", big.lines}})), HelpProject("t", "T"));
    EXPECT_TRUE(d.errors.empty());
}

TEST(HelpFile, ContextStringsAreValidAndUnique) {
    std::unordered_set<std::string> used;
    EXPECT_EQ(ContextString("file 1000operator+", used), "file.201000operator.2b");
    EXPECT_EQ(ContextString("a.b", used), "a.2eb");
    EXPECT_EQ(ContextString("a:b", used), "a.3ab");  // distinct from "a.b"
    EXPECT_EQ(ContextString("a:b", used), "a.3ab_.2");
    std::string huge = ContextString(std::string(400, 'x'), used);
    EXPECT_LE(huge.size(), 255u);
    EXPECT_NE(ContextString(std::string(400, 'x'), used), huge);
}

TEST(HelpFile, ProjectFileAndNames) {
    EXPECT_EQ(HelpProject("noname", "My help"),
              "[CONFIG]\r\nBrowseButtons()\r\nCreateButton(\"BGroup\",\"&Up\",\"\")\r\n"
              "[OPTIONS]\r\nCONTENTS=main_index\r\nTITLE=My help\r\n"
              "ERRORLOG=noname.msg\r\n[FILES]\r\nnoname.RTF\r\n");
    HelpNames n;
    ASSERT_TRUE(HelpNamesOf("C:\\out dir\\my.help.hlp", n));
    EXPECT_EQ(n.Rtf(), "C:\\out dir\\my.help.RTF");
    EXPECT_EQ(n.Project(), "C:\\out dir\\my.help.HPJ");
    EXPECT_EQ(n.Help(), "C:\\out dir\\my.help.hlp");
    ASSERT_TRUE(HelpNamesOf("noname.hlp", n));
    EXPECT_EQ(n.Project(), "noname.HPJ");
    EXPECT_FALSE(HelpNamesOf("C:\\dir\\.hlp", n));
    EXPECT_FALSE(HelpNamesOf("C:\\dir\\a?.hlp", n));
    EXPECT_FALSE(ValidHelpTitle("two\nlines"));
    EXPECT_TRUE(ValidHelpTitle("One line"));
    EXPECT_TRUE(WrittenByHelpGeneration(HelpProject("x", "y")));
    bool cancelled = false;
    Text t("int f(void) { return 0; }\n");
    analysis::CrossReference x = analysis::ScanCrossReference({{"a.c", t.lines}});
    EXPECT_TRUE(WrittenByHelpGeneration(HelpTopics(x, "t", nullptr, cancelled)));
    EXPECT_FALSE(WrittenByHelpGeneration("{\\rtf1\\ansi my own notes}"));
    int calls = 0;
    EXPECT_EQ(HelpTopics(x, "t", [&](const std::string&, const char*, const std::string&) { return ++calls < 1; }, cancelled),
              "");
    EXPECT_TRUE(cancelled);
}

TEST(HelpCompilerStandIn, StrictChecksFindTheFaults) {
    std::string project = HelpProject("t", "T");
    auto errors = [&](const std::string& rtf) { return Compile(rtf, project).errors; };
    std::string ok = "{\\rtf1 #{\\footnote main_index}${\\footnote I} text {\\uldb go}{\\v main_index}\\par}";
    EXPECT_TRUE(errors(ok).empty()) << errors(ok).front();
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}${\\footnote I} {x}").empty());     // unbalanced
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}${\\footnote I}} more").empty());  // after the end
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}${\\footnote I}{\\uldb x}{\\v nowhere}}").empty());
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}${\\footnote I}\\page #{\\footnote a b}${\\footnote J}}").empty());
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}${\\footnote I}\\page #{\\footnote main_index}${\\footnote J}}").empty());
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote other}${\\footnote I}}").empty());  // no contents topic
    EXPECT_FALSE(errors("{\\rtf1 #{\\footnote main_index}}").empty());            // no title
    testbed::HelpProjectFile p;
    std::vector<std::string> e;
    EXPECT_FALSE(testbed::ParseHelpProject("[OPTIONS]\r\nTITLE=x\r\n", p, e));  // no files
}

// ---- beside the oracles ------------------------------------------------------------------


TEST(HelpFileOracle, UnrtfShowsPathsAndBracesIntact) {
    if (!tarvo::test::HaveCommand("unrtf")) GTEST_SKIP() << "unrtf is installed by scripts/setup.sh";
    Text t("void f(void) { if (1) { g(\"\\\\\"); } }\n");
    analysis::CrossReference x = analysis::ScanCrossReference({{"C:\\a {b}\\c.c", t.lines}});
    std::string path = (std::filesystem::temp_directory_path() / ("tarvo_help_" + std::to_string(getpid()) + ".rtf")).string();
    std::ofstream(path, std::ios::binary) << Topics(x);
    std::string text = tarvo::test::CommandOutput("unrtf --text '" + path + "' 2>/dev/null");
    std::filesystem::remove(path);
    EXPECT_NE(text.find("Line 1 - 1 C:\\a {b}\\c.c"), std::string::npos) << text;
    EXPECT_NE(text.find("void f(void)"), std::string::npos);
    EXPECT_NE(text.find("Location: C:\\a {b}\\c.c, 1 lines"), std::string::npos);
}

// The function, variable and structure topics beside `ctags --c-kinds=fvs` on the zlib
// examples, all files in one help file, compared as sets of names: globals and structures of
// one name get one topic, and ctags' cross-reference listing names a function defined in
// several files (main) once.
TEST(HelpFileOracle, TopicListsMatchCtags) {
    if (!tarvo::test::HaveCommand("ctags-universal")) GTEST_SKIP() << "ctags is installed by scripts/setup.sh";
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/usr/share/doc/zlib1g-dev/examples", ec))
        if (e.path().extension() == ".c") paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    std::vector<std::unique_ptr<Text>> texts;
    std::vector<analysis::SourceFile> files;
    std::string list;
    for (const std::string& p : paths) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        texts.push_back(std::make_unique<Text>(s.str()));
        files.push_back({p, texts.back()->lines});
        list += " '" + p + "'";
    }
    Compiled c = Compile(Topics(analysis::ScanCrossReference(files)), HelpProject("t", "T"));
    EXPECT_TRUE(c.errors.empty()) << c.errors.front();
    std::set<std::string> ours, theirs;
    for (const HelpTopicDump& t : c.topics) {
        if (t.keywords.rfind("Functions;", 0) == 0) ours.insert("f " + t.title);
        if (t.keywords.rfind("Globals;", 0) == 0) ours.insert("v " + t.title);
        if (t.keywords.rfind("Structures;", 0) == 0) ours.insert("s " + t.title);
    }
    std::istringstream in(tarvo::test::CommandOutput("ctags-universal --language-force=C --c-kinds=fvs -x '--_xformat=%K %N'" + list));
    for (std::string kind, name; in >> kind >> name;) {
        if (name.rfind("__anon", 0) == 0) continue;
        theirs.insert(kind.substr(0, 1) + " " + name);
    }
    std::vector<std::string> onlyOurs, onlyTheirs;
    std::set_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(), std::back_inserter(onlyOurs));
    std::set_difference(theirs.begin(), theirs.end(), ours.begin(), ours.end(), std::back_inserter(onlyTheirs));
    EXPECT_EQ(onlyOurs, std::vector<std::string>{});
    EXPECT_EQ(onlyTheirs, std::vector<std::string>{});
    EXPECT_GT(ours.size(), 100u);
}

}  // namespace
}  // namespace tarvo::tools
