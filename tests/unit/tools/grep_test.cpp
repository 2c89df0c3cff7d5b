// Grep over a tree of real files, checked against GNU grep -rn on the same tree: plain text,
// whole words, without case and regular expressions, with CR LF files, a line longer than
// 150 KB, a link back up the tree and overlapping masks; the rows of the list; the walk.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>

#include "editor_test_util.h"
#include "platform/files.h"
#include "platform/text.h"
#include "scripted_ui.h"
#include "tools/grep.h"
#include "tools/grep_messages.h"
#include "tools/grep_session.h"

namespace tarvo::tools {
namespace {

namespace fs = std::filesystem;
using HitSet = std::set<std::pair<std::string, long>>;

struct Tree {
    std::string root;
    Tree() {
        std::string pattern = (fs::temp_directory_path() / "tarvo-grep-XXXXXX").string();
        root = mkdtemp(pattern.data()) ? pattern : std::string();
        Write("a.c", "int main(void)\n{\n\tprint(x); int y;\n\tinteger i;\n  int z;\n\tPrint(\"INT\");\n}\n");
        Write("b.h", "/* header */\r\nextern int counter;\r\nint\r\n\tprinter(int);\r\n");
        Write("notes.txt", "int is not searched here\n");
        Write("Upper.H", "#define INT_MAX 1\nint_type x;\n");
        Write("sub/c.c", "static int printed = 0;\nvoid f(void) { printf(\"%d\", printed); }\nno match\n");
        Write("sub/deeper/d.h", "int\nint\nprint int print\n");
        // A line far longer than any line buffer, with hits before, inside, at its end and after.
        std::string longLine(160'000, 'x');
        longLine.replace(80'000, 5, " int ");
        Write("long.c", "int first;\n" + longLine + " print\nint after;\n" + std::string(200'000, 'y') + "\nint last");
        std::error_code ec;
        fs::create_directory_symlink(root, root + "/sub/loop", ec);  // back up the tree
        fs::create_symlink(root + "/a.c", root + "/sub/alias.c", ec);  // a.c is searched where it lies
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Write(const std::string& name, const std::string& bytes) {
        fs::create_directories(fs::path(root + "/" + name).parent_path());
        std::ofstream(root + "/" + name, std::ios::binary) << bytes;
    }
    // A hit's file relative to the root, with slashes.
    std::string Relative(std::string path) const {
        std::replace(path.begin(), path.end(), '\\', '/');
        return path.substr(root.size() + 1);
    }
};

// GNU grep's (file, line) pairs for the *.c and *.h files of the tree.
HitSet GnuGrep(const Tree& tree, const std::string& options, const std::string& expression) {
    std::string command = "cd '" + tree.root + "' && LC_ALL=C grep -rn " + options +
                          " --include='*.c' --include='*.h' --include='*.H' -e '" + expression + "' .";
    std::FILE* pipe = popen(command.c_str(), "r");
    HitSet hits;
    std::string out;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    pclose(pipe);
    for (std::size_t at = 0; at < out.size();) {
        std::size_t end = out.find('\n', at);
        if (end == std::string::npos) end = out.size();
        std::string row = out.substr(at, end - at);
        std::size_t colon = row.find(':'), second = row.find(':', colon + 1);
        if (colon != std::string::npos && second != std::string::npos)
            hits.insert({row.substr(2, colon - 2), std::stol(row.substr(colon + 1, second - colon - 1))});
        at = end + 1;
    }
    return hits;
}

GrepOutcome Search(const Tree& tree, const std::string& expression, std::uint16_t flags,
                const std::string& masks = "*.c *.h") {
    GrepRequest request{expression, masks, tree.root, flags};
    GrepMatcher matcher;
    EXPECT_EQ(CompileGrep(request, matcher), 0u) << expression;
    return RunGrep(request, matcher);
}

HitSet Ours(const Tree& tree, const GrepOutcome& outcome) {
    HitSet hits;
    for (const GrepHit& hit : outcome.hits) hits.insert({tree.Relative(hit.path), hit.line});
    return hits;
}

TEST(Grep, HitsEqualGnuGrepOnTheSameTree) {
    Tree tree;
    const std::uint16_t sub = kGrepSubdirectories, exact = kGrepCaseSensitive;
    struct Case {
        std::string expression;
        std::uint16_t flags;
        std::string gnu;
    } cases[] = {
        {"int", sub | exact, "-F"},
        {"int", sub | exact | kGrepWholeWords, "-F -w"},
        {"int", sub, "-F -i"},
        {"int", sub | kGrepWholeWords, "-F -w -i"},
        {"print", sub | exact | kGrepWholeWords, "-F -w"},
        {"x", sub | exact, "-F"},
        {"pr[a-z]*t", sub | exact | kGrepRegex, "-E"},
        {"^int", sub | kGrepRegex, "-E -i"},
        {"int|print", sub | exact | kGrepRegex | kGrepWholeWords, "-E -w"},
        {"(pr|co)[a-z]+", sub | kGrepRegex, "-E -i"},
        {"y+\\.?", sub | exact | kGrepRegex, "-E"},
        {"[0-9]+", sub | exact | kGrepRegex, "-E"},          // no literal: looked for as a row
        {"[a-z]+_[a-z]+", sub | kGrepRegex, "-E -i"},
    };
    for (const Case& c : cases) {
        GrepOutcome outcome = Search(tree, c.expression, c.flags);
        HitSet gnu = GnuGrep(tree, c.gnu, c.expression);
        EXPECT_EQ(outcome.end, GrepEnd::Done);
        EXPECT_FALSE(gnu.empty()) << c.expression;
        EXPECT_EQ(outcome.hits.size(), gnu.size()) << c.expression << " " << c.gnu;
        EXPECT_EQ(Ours(tree, outcome), gnu) << c.expression << " " << c.gnu;
    }
    // Without subdirectories only the top files are searched.
    GrepOutcome top = Search(tree, "int", exact);
    HitSet gnuTop;
    for (const auto& hit : GnuGrep(tree, "-F", "int"))
        if (hit.first.find('/') == std::string::npos) gnuTop.insert(hit);
    EXPECT_EQ(Ours(tree, top), gnuTop);
}

// Rows without any literal are looked for across the lines of a file, skipping places that
// cannot begin a match: the lines found must be exactly those each line alone matches, for
// random rows of sets and random contents with short and empty lines, CR LF ends and a last
// line without its end.
TEST(Grep, RowsWithoutALiteralAgreeWithEachLineAlone) {
    static const char* const atoms[] = {"[ab]", "[^a]", "[a-c]", "[0-9]", "[^ ]", "[ 1]", "."};
    std::mt19937 random(7);
    int rows = 0, skipping = 0, hits = 0;
    for (int round = 0; round < 600; ++round) {
        std::string pattern;
        for (int n = 1 + static_cast<int>(random() % 6); n > 0; --n) {
            pattern += atoms[random() % std::size(atoms)];
            if (n > 0 && pattern.size() > 4 && random() % 4 == 0) pattern += random() % 2 ? "*" : "+";
        }
        if (random() % 6 == 0) pattern += "$";
        GrepMatcher matcher;
        ASSERT_EQ(CompileGrep({pattern, "*.c", "", kGrepCaseSensitive | kGrepRegex}, matcher), 0u) << pattern;
        if (!matcher.program.rowWithoutLiteral) continue;
        ++rows;
        skipping += matcher.program.rowFixed > 1;
        std::string content;
        for (int line = static_cast<int>(random() % 30); line > 0; --line) {
            for (int n = static_cast<int>(random() % 12); n > 0; --n) content += "ab c01a"[random() % 7];
            content += random() % 3 ? "\n" : "\r\n";
        }
        if (random() % 2) content += "a1b0";
        // Each line alone, by the node program only.
        GrepMatcher plain = matcher;
        plain.program.pieceTable.clear();
        plain.program.pieceLoop.clear();
        std::vector<GrepHit> found;
        FileSearch search;
        search.hits = &found;
        SearchContent(matcher, content, "f.c", search);
        std::vector<long> expected, ours;
        long number = 1;
        for (std::size_t at = 0; at <= content.size(); ++number) {
            std::size_t end = std::min(content.find('\n', at), content.size());
            std::string_view line(content.data() + at, end - at);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            unsigned error = 0;
            if ((end < content.size() || !line.empty()) && LineMatches(plain, line, error)) expected.push_back(number);
            at = end + 1;
        }
        for (const GrepHit& hit : found) ours.push_back(hit.line);
        hits += static_cast<int>(ours.size());
        ASSERT_EQ(ours, expected) << pattern << " in \"" << content << "\"";
    }
    EXPECT_GT(rows, 300);
    EXPECT_GT(skipping, 150);
    EXPECT_GT(hits, 1000);
}

TEST(Grep, LinesAreWholeAndTheirTextIsAsRead) {
    Tree tree;
    GrepOutcome outcome = Search(tree, "int", kGrepCaseSensitive, "long.c");
    ASSERT_EQ(outcome.hits.size(), 4u);
    EXPECT_EQ(outcome.hits[1].line, 2);
    EXPECT_EQ(outcome.hits[1].text.size(), 160'000u + 6);
    EXPECT_EQ(outcome.hits[2].line, 3);
    EXPECT_EQ(outcome.hits[3].line, 5);
    EXPECT_EQ(outcome.hits[3].text, "int last");  // no line end after it
    GrepOutcome crlf = Search(tree, "printer(int);", kGrepCaseSensitive, "b.h");
    ASSERT_EQ(crlf.hits.size(), 1u);
    EXPECT_EQ(crlf.hits[0].text, "\tprinter(int);");  // the CR is not part of the text
    EXPECT_EQ(crlf.hits[0].line, 4);
    // Without case, the text shown is the line as read.
    GrepOutcome upper = Search(tree, "print(\"int", 0, "a.c");
    ASSERT_EQ(upper.hits.size(), 1u);
    EXPECT_EQ(upper.hits[0].text, "\tPrint(\"INT\");");
}

TEST(Grep, SeveralWordsMustAllOccurInAnyOrder) {
    Tree tree;
    GrepOutcome outcome = Search(tree, "  print   INT ", kGrepSubdirectories | kGrepMultipleWords);
    HitSet expected{{"a.c", 3}, {"a.c", 6}, {"b.h", 4}, {"sub/c.c", 1}, {"sub/c.c", 2}, {"sub/deeper/d.h", 3}, {"long.c", 2}};
    EXPECT_EQ(Ours(tree, outcome), expected);
}

TEST(Grep, OverlappingMasksSearchEachFileOnce) {
    Tree tree;
    GrepOutcome one = Search(tree, "int", kGrepCaseSensitive, "*.c");
    GrepOutcome overlapping = Search(tree, "int", kGrepCaseSensitive, "*.c *.* a.c *.C");
    EXPECT_EQ(one.filesSearched, 2u);
    EXPECT_EQ(overlapping.filesSearched, 5u);  // every file of the top, each once
    HitSet all = GnuGrep(tree, "-F", "int");
    std::size_t topHits = 0;
    for (const auto& hit : all) topHits += hit.first.find('/') == std::string::npos;
    // notes.txt holds one more.
    EXPECT_EQ(overlapping.hits.size(), topHits + 1);
    EXPECT_EQ(SplitMasks(" *.c  *.C\t*.h "), (std::vector<std::string>{"*.c", "*.h"}));
}

TEST(Grep, BadRequestsAndStops) {
    Tree tree;
    GrepMatcher matcher;
    EXPECT_EQ(CompileGrep({"", "*.c", tree.root, 0}, matcher), kMsgGrepEmptyExpression);
    EXPECT_EQ(CompileGrep({"   ", "*.c", tree.root, kGrepMultipleWords}, matcher), kMsgGrepEmptyExpression);
    EXPECT_NE(CompileGrep({"a(b", "*.c", tree.root, kGrepRegex}, matcher), 0u);
    // A long expression is searched whole, never cut.
    std::string longText(300, 'q');
    tree.Write("q.c", "x" + longText + "\n" + longText.substr(0, 127) + "\n");
    GrepOutcome q = Search(tree, longText, kGrepCaseSensitive, "q.c");
    ASSERT_EQ(q.hits.size(), 1u);
    EXPECT_EQ(q.hits[0].line, 1);

    GrepRequest request{"int", "*.c", tree.root + "/missing", 0};
    ASSERT_EQ(CompileGrep(request, matcher), 0u);
    EXPECT_EQ(RunGrep(request, matcher).end, GrepEnd::NoDirectory);
    request.directory = tree.root;
    std::atomic<bool> stop{true};
    GrepOutcome stopped = RunGrep(request, matcher, &stop);
    EXPECT_EQ(stopped.end, GrepEnd::Stopped);
    EXPECT_TRUE(stopped.hits.empty());
}

TEST(Grep, RowsOfTheList) {
    test::ScopedScriptedUi boxes;
    GrepRequest request{"Int", "*.c *.h", "C:\\work", 0};
    EXPECT_EQ(GrepHeader(request, 3), "Searching for 'Int' in '*.c *.h': 3 hits.");
    EXPECT_EQ(GrepHeader(request, 0), "'Int': not found");
    GrepHit inProject{"C:\\Work\\Main.C", 12, " \t int x; \t"};
    EXPECT_EQ(HitRow(inProject, "C:\\work"), "[main.c:12] int x; \t");
    GrepHit below{"C:\\Work\\Sub\\A.c", 1, "%s%d"};
    EXPECT_EQ(HitRow(below, "C:\\work"), "[c:\\work\\sub\\a.c:1] %s%d");
    EXPECT_EQ(HitRow(inProject, ""), "[c:\\work\\main.c:12] int x; \t");
}

TEST(Grep, TheFormItsChecksHistoriesAndList) {
    test::ScopedScriptedUi boxes;
    GrepSession session;
    GrepRequest shown = FormToShow(session, kGrepRegex, "", "C:\\proj");
    EXPECT_EQ(shown.masks, "*.c *.h");
    EXPECT_EQ(shown.directory, "C:\\proj");
    EXPECT_EQ(shown.flags, kGrepRegex);
    EXPECT_EQ(CheckForm({"x", "  ", "C:\\", 0}), kMsgGrepNoMasks);
    EXPECT_EQ(CheckForm({"", "*.c", "C:\\", 0}), kMsgGrepEmptyExpression);
    EXPECT_EQ(CheckForm({"x", "*.c", "C:\\", 0}), 0u);
    EXPECT_EQ(FlagsForMultiple(kGrepMultipleWords | kGrepCaseSensitive | kGrepWholeWords | kGrepRegex),
              kGrepMultipleWords | kGrepRegex);
    EXPECT_EQ(FlagsForMultiple(kGrepCaseSensitive | kGrepWholeWords), kGrepCaseSensitive | kGrepWholeWords);

    KeepForm(session, {"alpha", "*.c", "D:\\src", kGrepSubdirectories});
    KeepForm(session, {"beta", "*.h", "D:\\src", 0});
    KeepForm(session, {"alpha", "*.h", "E:\\x", 0});
    EXPECT_EQ(session.expressions, (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_EQ(session.directories, (std::vector<std::string>{"E:\\x", "D:\\src"}));
    shown = FormToShow(session, 0, "", "C:\\proj");
    EXPECT_EQ(shown.expression + " " + shown.masks + " " + shown.directory, "alpha *.h E:\\x");
    EXPECT_EQ(FormToShow(session, 0, "word", "C:\\proj").expression, "word");  // the word at the cursor wins
    for (int i = 0; i < 40; ++i) Remember(session.expressions, "e" + std::to_string(i));
    EXPECT_EQ(session.expressions.size(), kGrepHistoryLength);
    EXPECT_EQ(session.expressions.front(), "e39");

    GrepOutcome outcome;
    outcome.hits = {{"C:\\p\\a.c", 3, "\tx"}, {"C:\\q\\b.c", 9, "y"}};
    std::shared_ptr<const ListedRows> listed = GrepRows({"x", "*.c", "C:\\p", 0}, std::move(outcome), "C:\\p");
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < listed->Count(); ++i) rows.push_back(listed->Row(i));
    EXPECT_EQ(rows, (std::vector<std::string>{"Searching for 'x' in '*.c': 2 hits.", "[a.c:3] x", "[c:\\q\\b.c:9] y"}));
    EXPECT_TRUE(listed->Target(0).file.empty());
    const ListTarget last = listed->Target(2);
    EXPECT_EQ(last.file + ":" + std::to_string(last.line), "C:\\q\\b.c:9");  // the full path
    EXPECT_TRUE(listed->Target(3).file.empty());
}

TEST(FileWalk, OrderedWithoutFollowingLinks) {
    Tree tree;
    std::vector<std::string> seen;
    EXPECT_TRUE(platform::WalkFiles(tree.root, true, [&](const std::string& path) {
        seen.push_back(tree.Relative(path));
        return true;
    }));
    EXPECT_EQ(seen, (std::vector<std::string>{"a.c", "b.h", "long.c", "notes.txt", "Upper.H", "sub/c.c", "sub/deeper/d.h"}));
    seen.clear();
    EXPECT_TRUE(platform::WalkFiles(tree.root, false, [&](const std::string& path) {
        seen.push_back(tree.Relative(path));
        return seen.size() < 2;  // stops the walk
    }));
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(platform::WalkFiles(tree.root + "/none", true, [](const std::string&) { return true; }));

    std::string buffer;
    std::size_t size = 0;
    ASSERT_TRUE(platform::ReadFileInto(tree.root + "/long.c", buffer, size));
    EXPECT_EQ(size, fs::file_size(tree.root + "/long.c"));
    ASSERT_TRUE(platform::ReadFileInto(tree.root + "/notes.txt", buffer, size));
    EXPECT_EQ(std::string(buffer.data(), size), "int is not searched here\n");
    EXPECT_FALSE(platform::ReadFileInto(tree.root + "/none.c", buffer, size));
    EXPECT_EQ(size, 0u);
}

using SymbolUsage = editor::test::EditorTest;

// The usages of a name in the open documents: whole words in the name's case, every document
// but the internal buffer, each row leading to its line; the list of named usages shows each
// file's name as grep does; no usage gives the not-found report.
TEST_F(SymbolUsage, LinesOfTheOpenDocumentsAndTheirRows) {
    Open("int count;\nvoid f(void) { count++; }\nint counter = count_all();\n", "a.c");
    Open("/* count */\nCount = 1;\n", "b.h");
    std::vector<Usage> usages = UsagesInDocuments("count");
    ASSERT_EQ(usages.size(), 3u);
    EXPECT_EQ(usages[0].line, 1);
    EXPECT_EQ(usages[1].text, "void f(void) { count++; }");
    EXPECT_EQ(platform::BaseName(usages[2].file) + ":" + std::to_string(usages[2].line), "b.h:1");

    const std::string project = platform::DirectoryOf(usages[0].file);
    std::shared_ptr<const ListedRows> lines = UsageRows("count", usages, UsageForm::DocumentLines, project);
    ASSERT_EQ(lines->Count(), 4u);
    EXPECT_EQ(lines->Row(0), "Usage of count: 3 hits.");
    EXPECT_EQ(lines->Row(3), "/* count */");
    EXPECT_EQ(lines->Target(2).file, usages[1].file);
    EXPECT_EQ(lines->Target(2).line, 2);
    EXPECT_TRUE(lines->Target(0).file.empty());

    std::shared_ptr<const ListedRows> named = UsageRows("count", usages, UsageForm::Named, project);
    EXPECT_EQ(named->Row(1), "a.c: int count;");
    EXPECT_EQ(UsageRows("count", usages, UsageForm::Named, "")->Row(3), Lower(usages[2].file) + ": /* count */");

    EXPECT_TRUE(UsagesInDocuments("cou").empty());
    std::shared_ptr<const ListedRows> none = UsageRows("cou", {}, UsageForm::Named, project);
    ASSERT_EQ(none->Count(), 1u);
    EXPECT_EQ(none->Row(0), "'cou': not found");
}

}  // namespace
}  // namespace tarvo::tools
