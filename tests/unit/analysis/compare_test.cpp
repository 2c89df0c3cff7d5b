// The line-comparison engine and edit scripts: checked against GNU diff -n on random pairs,
// options, boundary shifting, long lines, script errors, patches and request checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "analysis/analysis_messages.h"
#include "analysis/compare.h"
#include "analysis/compare_files.h"
#include "analysis/edit_script.h"
#include "platform/text.h"
#include "scripted_ui.h"

namespace tarvo::analysis {
namespace {

std::string Apply(const std::string& a, const std::string& script) {
    TextLines lines = SplitLines(a);
    std::string message;
    EXPECT_TRUE(ApplyEditScript(lines, script, message)) << message;
    return JoinLines(lines);
}

std::string RandomText(std::mt19937& rng, int lines, int vocabulary) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += Printf("w%u\n", static_cast<unsigned>(rng() % vocabulary));
    return text;
}

std::string Edited(std::mt19937& rng, const std::string& text, int edits, int vocabulary) {
    TextLines lines = SplitLines(text);
    std::vector<std::string> out(lines.begin(), lines.end());
    for (int e = 0; e < edits; ++e) {
        std::size_t at = out.empty() ? 0 : rng() % out.size();
        switch (rng() % 3) {
            case 0: if (!out.empty()) out.erase(out.begin() + static_cast<long>(at)); break;
            case 1: out.insert(out.begin() + static_cast<long>(at), Printf("n%u\n", static_cast<unsigned>(rng() % vocabulary))); break;
            default: if (!out.empty()) out[at] = Printf("c%u\n", static_cast<unsigned>(rng() % vocabulary));
        }
    }
    std::string joined;
    for (const std::string& line : out) joined += line;
    return joined;
}

std::string GnuDiff(const std::string& dir, const std::string& a, const std::string& b) {
    std::ofstream(dir + "/a", std::ios::binary) << a;
    std::ofstream(dir + "/b", std::ios::binary) << b;
    std::string command = "diff -n '" + dir + "/a' '" + dir + "/b'";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    pclose(pipe);
    return out;
}

TEST(Compare, ScriptsAreNoLongerThanGnuDiffAndRebuildTheSecondText) {
    std::string dir = (std::filesystem::temp_directory_path() / Printf("tarvo-diff-%d", getpid())).string();
    std::filesystem::create_directories(dir);
    std::mt19937 rng(11);
    int equalScripts = 0, cases = 0;
    for (int round = 0; round < 60; ++round, ++cases) {
        int vocabulary = round % 3 == 0 ? 5 : 300;  // few distinct lines: many equal candidates
        std::string a = RandomText(rng, static_cast<int>(rng() % 300), vocabulary);
        std::string b = Edited(rng, a, 1 + static_cast<int>(rng() % 40), vocabulary);
        std::string ours = EditScript(SplitLines(a), SplitLines(b)), theirs = GnuDiff(dir, a, b);
        EXPECT_LE(ours.size(), theirs.size()) << "round " << round;
        EXPECT_EQ(Apply(a, ours), b) << "round " << round;
        equalScripts += ours == theirs;
    }
    EXPECT_GT(equalScripts, cases / 2);
    std::filesystem::remove_all(dir);
}

TEST(Compare, OptionsAndEdges) {
    struct Case {
        const char* a;
        const char* b;
        CompareOptions options;
        const char* script;
    };
    const Case kCases[] = {
        {"x\ny\n", "x\ny\n", {}, ""},
        {"", "one\ntwo\n", {}, "a0 2\none\ntwo\n"},
        {"one\ntwo\n", "", {}, "d1 2\n"},
        {"a  b\t c \n", "a b c\n", {true, false}, ""},
        {"a  b\n", "ab\n", {true, false}, "d1 1\na1 1\nab\n"},
        {"Hello\n", "hELLO\n", {false, true}, ""},
        {"x\nx\nx\ny\n", "x\nx\nx\nx\ny\n", {}, "a3 1\nx\n"},
        {"p\nx\nx\nq\n", "p\nx\nx\nx\nq\n", {}, "a3 1\nx\n"},
        {"last\n", "last", {}, "d1 1\na1 1\nlast"},
        {"a\nb\nc\n", "a\nB\nc\n", {}, "d2 1\na2 1\nB\n"},
    };
    for (const Case& c : kCases) {
        TextLines a = SplitLines(c.a), b = SplitLines(c.b);
        EXPECT_EQ(EditScript(CompareLines(a, b, c.options), b), c.script) << c.a << " / " << c.b;
    }
    // Lines of 64 KB and more: lengths and hashes must not wrap into equality.
    std::string big(70000, 'q'), other = big;
    other[35000] = 'r';
    EXPECT_EQ(CompareLines(SplitLines(big + "\n"), SplitLines(other + "\n")).size(), 1u);
    EXPECT_EQ(CompareLines(SplitLines(std::string(65536, 'a') + "\nz\n"), SplitLines("\nz\n")).size(), 1u);
    EXPECT_NE(LineHash(big), LineHash(other));
}

TEST(Compare, ShuffledLinesStayBoundedAndCorrect) {
    std::mt19937 rng(3);
    // Different enough that the cost cap cuts the search short.
    std::string a = RandomText(rng, 6000, 1003), b = RandomText(rng, 6000, 1003);
    std::string script = EditScript(SplitLines(a), SplitLines(b));
    EXPECT_EQ(Apply(a, script), b);
}

TEST(EditScript, MalformedScriptsFailAndChangeNothing) {
    struct Case {
        const char* script;
        const char* message;
    };
    const Case kCases[] = {
        {"x1 1\n", "unknown command in edit script: x"},
        {"d\n", "missing line number in edit script"},
        {"d1\n", "incorrect range in edit script"},
        {"d1 1 junk\n", "incorrect range in edit script"},
        {"d0 1\n", "incorrect range in edit script"},
        {"d99999999999 1\n", "incorrect range in edit script"},
        {"d1 99999999999\n", "incorrect range in edit script"},
        {"d3 2\n", "EOF during edit"},
        {"a9 1\nz\n", "Edit script command beyond the end of the text"},
        {"a1 3\nz\n", "Incorrect CMS file: Unexpected EOF"},
        {"a1 1\nz", "Edit script command beyond the end of the text"},
    };
    const std::string text = "1\n2\n3\n";
    for (const Case& c : kCases) {
        TextLines lines = SplitLines(text);
        std::string message;
        EXPECT_FALSE(ApplyEditScript(lines, c.script, message)) << c.script;
        EXPECT_EQ(message, c.message) << c.script;
        EXPECT_EQ(JoinLines(lines), text);
    }
    // Commands that go back start a new pass over the text made so far; zero counts do nothing.
    EXPECT_EQ(Apply(text, "d3 1\nd1 1\n"), "2\n");
    EXPECT_EQ(Apply(text, "  \n\td 3  1\na 1 1\nx\nd0 0\na0 0\n"), "1\nx\n2\n");
    EXPECT_EQ(Apply("1\n2\n3", "d3 1\n"), "1\n2\n");
}

TEST(Patch, AtSignsSurviveAndChecksumsAreChecked) {
    std::string dir = (std::filesystem::temp_directory_path() / Printf("tarvo-patch-%d", getpid())).string();
    std::filesystem::create_directories(dir);
    test::ScopedScriptedUi ui;
    auto write = [&](const char* name, const std::string& text) { std::ofstream(dir + "/" + name, std::ios::binary) << text; };
    auto read = [&](const char* name) {
        std::string text;
        ReadTextFile(dir + "/" + name, text);
        return text;
    };
    write("a", "keep\n@\nold @@ mail@home\n");
    write("b", "keep\n@\nnew @@ mail@home\n@\nlast@");
    ASSERT_EQ(WritePatchFile(dir + "/a", dir + "/b", dir + "/p"), kCompareChanged);
    ASSERT_TRUE(ApplyPatchFile(dir + "/p", dir + "/a", dir + "/r"));
    EXPECT_EQ(read("r"), read("b"));
    EXPECT_EQ(test::BoxTexts(ui.ui), "");

    // A source that differs: asked, and "no" stops before anything is written.
    write("c", "keep\n@\nother\n");
    ui.ui.answers = {0};
    EXPECT_FALSE(ApplyPatchFile(dir + "/p", dir + "/c", dir + "/r2"));
    EXPECT_EQ(test::BoxTexts(ui.ui), "Source file CRC differs! Continue?|");
    EXPECT_FALSE(std::filesystem::exists(dir + "/r2"));

    // A lone `@` inside a script is an error, not its end.
    Patch patch;
    std::string message;
    EXPECT_FALSE(ParsePatch("a0 1\n@\nd1 1\n@\n0 0\n", patch, message));
    EXPECT_EQ(message, "Missing string delimiter in edit script");
    // A merge that takes some changes: `@` lines arrive whole.
    TextLines a = SplitLines("1\n@\n3\n4\n"), b = SplitLines("1\n@@\n3\n@\n");
    std::vector<Change> changes = CompareLines(a, b);
    ASSERT_EQ(changes.size(), 2u);
    ASSERT_TRUE(ParsePatch(MergePatch(changes, {true, false}, b), patch, message)) << message;
    EXPECT_EQ(Apply("1\n@\n3\n4\n", patch.script), "1\n@@\n3\n4\n");
    EXPECT_EQ(patch.sourceSum, 0u);
    EXPECT_TRUE(ParsePatch("a0 1\n@@\n", patch, message));
    EXPECT_EQ(patch.script, "a0 1\n@\n");
    EXPECT_EQ(TextChecksum(""), (0x9090u << 12) ^ 1u);
    std::filesystem::remove_all(dir);
}

TEST(Compare, RequestsAndCSyntax) {
    struct Case {
        DiffRequestNames names;
        unsigned message;
    };
    const Case kCases[] = {
        {{"a.c", "A.C", "", false, false, false, false, false, "/p"}, kMsgSameName},
        {{"a.c", "b.c", "out.c", true, false, true, false, false, "/p"}, kMsgMergeTwoFiles},
        {{"a.c", "b.c", "out.c", false, false, true, false, true, "/p"}, kMsgNoCSyntaxForPatch},
        {{"a.c", "b.c", "out.c", false, false, false, true, true, "/p"}, kMsgNoCSyntaxForPatch},
        {{"a.c", "b.c", "", false, false, false, true, false, "/p"}, kMsgPatchNameRequired},
        {{"a.c", "b.c", "/p/x/../A.c", false, false, true, false, false, "/p"}, kMsgOutputDiffers},
        {{"a.c", "b.c", "c.c", false, false, true, false, false, "/p"}, 0},
    };
    for (const Case& c : kCases) EXPECT_EQ(CheckDiffRequest(c.names), c.message) << c.names.output;

    std::string dir = (std::filesystem::temp_directory_path() / Printf("tarvo-csyntax-%d", getpid())).string();
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/a.c") << "int f(int x)\n{\n  return x;\n}\nint g;\n";
    std::ofstream(dir + "/b.c") << "int f(int x) { return x; }\n\nint   g ;\nint h;\n";
    CompareRequest request{dir + "/a.c", dir + "/b.c", "", kKeepChanges | kAssumeCSyntax, {}};
    EXPECT_EQ(CompareFiles(request), kCompareChanged);
    ASSERT_EQ(request.changes.size(), 1u);
    EXPECT_EQ(request.changes[0].FirstInsertedLine(), 4);
    request.flags = kKeepChanges;
    EXPECT_EQ(CompareFiles(request), kCompareChanged);
    ASSERT_EQ(request.changes.size(), 1u);
    EXPECT_EQ(request.changes[0].deleted, 5);
    request.secondFile = dir + "/none.c";
    EXPECT_EQ(CompareFiles(request), kCompareCannotOpen);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tarvo::analysis
