// The build's messages: every form the tools write, paths with blanks, long line numbers,
// the file limits, held-back undefined references, long messages over several list rows and
// back, and the closing lines.
#include <gtest/gtest.h>

#include "project/build_messages.h"

namespace tarvo::project {
namespace {

TEST(BuildMessages, ParsesEveryForm) {
    struct Case {
        const char* text;
        const char* file;  // null: no message
        long line;
        const char* display;
    } cases[] = {
        {"Error c:\\src\\a.c: 12 missing ';'", "c:\\src\\a.c", 12, "[12]:missing ';'"},
        {"Error c:\\my dir\\a.c: 7 undeclared 'x'", "c:\\my dir\\a.c", 7, "[7]:undeclared 'x'"},
        {"Warning b.c: 1234567 : unused", "c:\\mk\\b.c", 1234567, "[1234567]:unused"},
        {"Warning .\\b.c: 3 x", "c:\\mk\\b.c", 3, "[3]:x"},
        {"CPP C:\\Inc\\Defs.H: 3 cannot open include file 'z.h'", "c:\\inc\\defs.h", 3,
         "[3]:cannot open include file 'z.h'"},
        {"cpp a.c: 9 x", "c:\\mk\\a.c", 9, "[9]:x"},
        {"r.rc(12) : error RC2104 : undefined keyword", "c:\\mk\\r.rc", 12, "error : undefined keyword"},
        {"C:\\Src\\R.rc(4): Warning W7 odd", "c:\\src\\r.rc", 4, "Warning odd"},
        {"Error a.c: 0 line zero", nullptr, 0, nullptr},
        {"Error a.c: x no number", nullptr, 0, nullptr},
        {"Error nothing", nullptr, 0, nullptr},
        {"errors a.c: 3 case matters", nullptr, 0, nullptr},
        {"a.c(3) : note: not a message", nullptr, 0, nullptr},
        {"a.c(3) : Error in the wrong case", nullptr, 0, nullptr},
        {"make: *** [a.obj] Error 1", nullptr, 0, nullptr},
        {"", nullptr, 0, nullptr},
    };
    for (const Case& c : cases) {
        std::optional<BuildMessage> m = ParseMessage(c.text, "c:\\mk");
        ASSERT_EQ(m.has_value(), c.file != nullptr) << c.text;
        if (!m) continue;
        EXPECT_EQ(m->file, c.file) << c.text;
        EXPECT_EQ(m->line, c.line) << c.text;
        EXPECT_EQ(m->display, c.display) << c.text;
    }
    std::optional<BuildMessage> e = ParseEiffelMessage("line 17 (.\\hello.e) unknown feature", "c:\\src");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->file, "c:\\src\\HELLO.E");
    EXPECT_EQ(e->line, 17);
}

TEST(BuildMessages, FileLimitsAndUndefinedReferences) {
    MessageFile read = ReadMessages("Error a.c: 1 x\r\nmain.obj: undefined reference to timeGetTime\n"
                                    "b.obj: undefined reference to `PlaySoundA'\nlast");
    EXPECT_EQ(read.lines, (std::vector<std::string>{"Error a.c: 1 x", "last"}));
    EXPECT_EQ(read.undefinedSymbols, (std::vector<std::string>{"timeGetTime", "PlaySoundA"}));
    EXPECT_EQ(read.undefinedLines.size(), 2u);
    EXPECT_FALSE(read.tooBig);

    const std::string said = "Warning a.c: 1 something said over and over";
    std::string big;
    while (big.size() < 70000) big += said + "\n";
    read = ReadMessages(big);
    EXPECT_TRUE(read.tooBig);
    ASSERT_FALSE(read.lines.empty());
    EXPECT_EQ(read.lines.back(), said);  // no line cut short
    EXPECT_EQ(read.lines.size(), (kMessageFileLimit - 1) / (said.size() + 1));

    read = ReadMessages("first\n" + std::string(kMessageLineLimit, 'x') + "\nafter\n");
    EXPECT_TRUE(read.tooBig);
    EXPECT_EQ(read.lines, std::vector<std::string>{"first"});
}

TEST(BuildMessages, LongMessagesSplitIntoRowsAndJoinBack) {
    auto fits = [](std::string_view t) { return t.size() <= 40; };
    std::string text = "Error c:\\a very long directory name\\with blanks\\source.c: 1234 "
                       "an error text (with a remark) that goes on and on";
    std::vector<std::string> rows = SplitForList(text, fits);
    ASSERT_GT(rows.size(), 2u);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(fits(rows[i]) || rows[i].size() <= 30) << rows[i];
        EXPECT_EQ(rows[i].rfind(" + ", 0) == 0, i > 0) << rows[i];
    }
    std::vector<std::string> list{"before"};
    list.insert(list.end(), rows.begin(), rows.end());
    list.push_back("after");
    for (size_t row = 1; row <= rows.size(); ++row) {
        JoinedMessage m = JoinRows(list, row);
        EXPECT_EQ(m.first, 1u);
        EXPECT_EQ(m.text, text);
    }
    EXPECT_EQ(SplitForList("short", fits), std::vector<std::string>{"short"});
    // Nothing fits above 30 characters: the text stays whole.
    EXPECT_EQ(SplitForList(std::string(50, 'x'), [](std::string_view t) { return t.size() <= 20; }).size(), 1u);
}

TEST(BuildMessages, ClosingLinesAndTheLibrariesLine) {
    EXPECT_EQ(ClosingLines(true, "c:\\p\\vex\\demo.exe", 2.25, 0),
              (std::vector<std::string>{"demo.exe built successfully. (2.2 sec).",
                                        "Compilation + link time:2.2 sec, Return code: 0"}));
    // A silent failure (a stopped build, a crash) is no success.
    EXPECT_EQ(ClosingLines(true, "demo.exe", 1.0, 2),
              std::vector<std::string>{"Compilation + link time:1.0 sec, Return code: 2"});

    std::string out;
    EXPECT_TRUE(RewriteLibsLine("CC=x\r\nLIBS=\r\nall: y\n", "winmm.lib user32.lib", out));
    EXPECT_EQ(out, "CC=x\r\nLIBS=winmm.lib user32.lib\r\nall: y\n");
    EXPECT_FALSE(RewriteLibsLine("CC=x\n", "winmm.lib", out));
}

}  // namespace
}  // namespace tarvo::project
