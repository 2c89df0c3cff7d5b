// The string table generator: which literals move and which stay (every case where a change
// could alter the program or break its compilation), the rebuilt lines, the resource script's
// notation, and the outputs written new and extended. Programs compiled and run before and
// after the rewrite, and the strings loaded back from a compiled script, are the Win32 tests'.
#include <gtest/gtest.h>

#include "tools/string_table.h"
#include "tools/string_table_messages.h"

namespace tarvo::tools {
namespace {

std::vector<std::string_view> Lines(const std::string& text) {
    std::vector<std::string_view> lines;
    std::string_view rest = text;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return lines;
}

std::vector<std::string> Texts(const Collected& c) {
    std::vector<std::string> out;
    for (const StringEntry& e : c.entries) out.push_back(e.text);
    return out;
}

std::string Rewritten(const std::string& source, const StringOptions& options, bool forResource = false) {
    std::vector<std::string_view> lines = Lines(source);
    Collected c = CollectStrings(lines, forResource);
    NumberEntries(c.entries, 0, options.prefix);
    std::vector<std::string> out(lines.begin(), lines.end());
    for (const RewrittenLine& r : RewriteLines(lines, c, options)) out[r.line] = r.text;
    std::string joined;
    for (const std::string& l : out) joined += l + "\n";
    return joined;
}

TEST(StringTable, OnlyPlainExpressionLiteralsOfFunctionBodiesMove) {
    const std::string source =
        "static const char *top = \"file level\";\n"
        "char *list[] = { \"a\", \"b\" };\n"
        "#define GREETING \"macro\"\n"
        "#  define\tlen(s) (sizeof(s) - 1)\n#define defined_later(x) x\n#ifdef defined_later\n#endif\n"
        "int f(const char *s, int n) {\n"
        "\tchar buf[] = \"array\";\n"
        "\tstatic char *kept = \"static\";\n"
        "\tconst char *t[] = /* a list */\n"
        "\t\t{ \"in\", { \"nested\" } };\n"
        "\tstruct { const char *a; } v = {\n"
        "\t\t\"across lines\" };\n"
        "\tn += sizeof(\"abc\") + sizeof \"xyz\";\n"
        "\tputs(\"one\" \"two\");\n"
        "\tputs(L\"wide\" ? \"\" : u8\"utf\");\n"
        "\tputs(\"continued \\\n"
        "line\");\n"
        "\t__asm__ volatile (\"nop\");\n"
        "\t_Static_assert(1, \"assert\");\n"
        "\tputs(FORMAT(\"pasted\"));\n"
        "\tputs(\"idx\"[1] ? s : s);\n"
        "\tn += sizeof(__typeof__(\"abcd\")) + __builtin_constant_p(\"k\") + len(\"own macro\");\n"
        "\tassert(\"said when it fails\");\n"
        "\tputs(\"moved\"); s = \"assigned\"; /* \"comment\" */ // \"line comment\"\n"
        "\tn = c ? 'x' : '\\'';\n"
        "\tf(\"first\", 1); return n ? \"then\" : \"else\", 0;\n"
        "}\n";
    Collected c = CollectStrings(Lines(source), false);
    ASSERT_EQ(c.end, CollectEnd::Ok);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"moved", "assigned", "first", "then", "else"}));
    ASSERT_EQ(c.bodies.size(), 1u);
    EXPECT_EQ(c.bodies[0].line, 7u);
    EXPECT_EQ(c.entries[0].line, 25u);
    EXPECT_EQ(c.entries[0].column, 6u);
    EXPECT_EQ(c.entries[0].length, 7u);
}

TEST(StringTable, LinkageBlocksHoldFileLevelCodeAndArrayTypesAreFilled) {
    const std::string source =
        "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
        "typedef char name_t[8], (*row_p)[4];\n"
        "const char *top = \"file level\";\n"
        "int f(void)\n{\n"
        "\tname_t n = \"filled\";\n\trow_p r = 0;\n\tconst char *p = \"moved\";\n"
        "\tconstexpr char *c = \"constant\";\n\treturn g(n, \"too\");\n}\n"
        "#ifdef __cplusplus\n}\n#endif\n"
        "int h(void) { return g(0, \"after\"); }\n";
    Collected c = CollectStrings(Lines(source), false);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"moved", "too", "after"}));
    ASSERT_EQ(c.bodies.size(), 2u);
    EXPECT_EQ(c.bodies[0].line, 6u);
    EXPECT_EQ(c.bodies[1].line, 16u);
}

// The comment keeping a literal would join the next line after a backslash, or close a
// comment left open.
TEST(StringTable, LiteralsStayWhereTheLineEndCannotTakeTheirComment) {
    const std::string source =
        "f() {\n\tputs(\"spliced\"); \\ \r\n\tputs(\"joined\");\n"
        "\tputs(\"a */ b\"); puts(\"c\"); /* open\n\tputs(\"in comment\"); */ puts(\"after */\");\n}\n";
    EXPECT_EQ(Texts(CollectStrings(Lines(source), false)), (std::vector<std::string>{"joined", "c", "after */"}));
}

TEST(StringTable, LinesAreRebuiltRightToLeftWithTheLiteralsInComments) {
    StringOptions array;
    array.arrayName = "S";
    EXPECT_EQ(Rewritten("void g(void)\n{\n\tputs(\"hello\");\n}\n", array),
              "void g(void)\n{ extern unsigned char *S[];\n\tputs(S[0]); // <hello>\n}\n");
    EXPECT_EQ(Rewritten("int main() { printf(\"%s=%d\\n\", \"x\", 1); }\r\n", array),
              "int main() { extern unsigned char *S[]; printf(S[0], S[1], 1); } // <%s=%d\\n> // <x>\r\n");
    StringOptions call;
    call.flags = kStringsCall | kStringsIdentifiers;
    call.prefix = "ID_";
    call.functionName = "Str";
    EXPECT_EQ(Rewritten("f() {\n\tg(\"a\", h(\"b\"));\n}\n", call), "f() {\n\tg(Str(ID_00000), h(Str(ID_00001))); // <a> // <b>\n}\n");
    call.flags = kStringsCall;
    EXPECT_EQ(Rewritten("f() { g(\"a\"); }\n", call), "f() { g(Str(0)); } // <a>\n");
    // Nothing to move leaves every line as it was.
    EXPECT_EQ(Rewritten("int x = 1;\nf() { g('a'); }\n", array), "int x = 1;\nf() { g('a'); }\n");
}

TEST(StringTable, BadSourcesAndBadOptions) {
    Collected c = CollectStrings(Lines("f() {\n\tg('');\n}\n"), false);
    EXPECT_EQ(c.end, CollectEnd::BadCharConstant);
    EXPECT_EQ(c.badLine, 2);
    c = CollectStrings(Lines("f() {\n\n\tg(\"open);\n}\n"), false);
    EXPECT_EQ(c.end, CollectEnd::UnfinishedString);
    EXPECT_EQ(c.badLine, 3);
    // Literals a resource script cannot carry keep their place in the source.
    c = CollectStrings(Lines("f() { g(\"a\\x141\"); g(\"say \\\"hi\\\"\\n\"); g(\"\x81\"); g(\"\\u00e9\"); }\n"), true);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"say \\\"hi\\\"\\n"}));
    std::string bad;
    StringOptions o;
    o.arrayName = "9lives";
    EXPECT_EQ(CheckStringOptions(o, bad), kMsgStringsNotIdentifier);
    EXPECT_EQ(bad, "9lives");
    o.arrayName = "S_1";
    EXPECT_EQ(CheckStringOptions(o, bad), 0u);
    o.flags = kStringsCall | kStringsIdentifiers;
    o.prefix = "ID-";
    EXPECT_EQ(CheckStringOptions(o, bad), kMsgStringsNotIdentifier);
    EXPECT_EQ(OutputBase("C:\\my.dir\\prog.c"), "C:\\my.dir\\prog");
    EXPECT_EQ(OutputBase("C:\\my.dir\\prog.x.c"), "C:\\my.dir\\prog.x");
    EXPECT_EQ(OutputBase("C:\\my.dir\\Makefile"), "C:\\my.dir\\Makefile");
}

// What the resource compiler does with each notation was measured by loading the strings back
// (the Wine test does so for every case here).
TEST(StringTable, AResourceScriptHoldsTheLiteralsValueInItsOwnNotation) {
    const std::pair<std::string, std::string> carried[] = {
        {"say \\\"hi\\\" a\\\\b\\t\\n", "say \"\"hi\"\" a\\\\b\\t\\n"},
        {"\\' \\? 100% /* no comment */", "' ? 100% /* no comment */"},
        // Letter escapes whose meaning differs, and octal or hexadecimal ones, go as three octal
        // digits: a digit after one stays a digit.
        {"\\a\\b\\f\\v\\r\\0001\\x7f\\x1B", "\\007\\010\\014\\013\\015\\000" "1\\177\\033"},
        {"\\101\\1014\\x41G\\x00041", "AA4AGA"},
        {"caf\xc3\xa9 \xe9 \x80", "caf\xc3\xa9 \xe9 \x80"},  // as the bytes stand: the same code page reads both
    };
    std::string text;
    for (const auto& [literal, script] : carried) {
        EXPECT_TRUE(ResourceText(literal, text)) << literal;
        EXPECT_EQ(text, script);
    }
    const std::string refused[] = {"\\x100", "\\400", "\\x", "\\e", "\\u00e9", "a\\", "bad \x81", "\x9d",
                                   std::string(65536, 'x'), std::string(65535, 'x') + "\\n"};
    for (const std::string& literal : refused) EXPECT_FALSE(ResourceText(literal, text)) << literal.substr(0, 20);
    EXPECT_TRUE(ResourceText(std::string(65535, 'x'), text));
}

TEST(StringTable, OutputsAreWrittenNewAndExtendedWithNumbersThatGoOn) {
    std::vector<StringEntry> entries(2);
    entries[0].text = "a \\\"q\\\"";
    entries[1].text = "b";
    NumberEntries(entries, 0, "IDS_");
    std::string rc;
    ASSERT_TRUE(BuildResourceScript("", "one.c", entries, "", rc));
    EXPECT_EQ(rc, "/* Tarvo String Table */\nSTRINGTABLE\nBEGIN\n/* one.c */\n\t0, \"a \"\"q\"\"\"\n\t1, \"b\"\nEND\n");
    EXPECT_TRUE(StartsWithMarker(rc));
    EXPECT_FALSE(StartsWithMarker("/* Tarvo String Table */ and more\n"));
    // A second file goes on after the highest number, also in a CR LF file.
    std::string dos;
    for (char ch : rc) dos += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(NextResourceNumber(dos, ""), 2);
    EXPECT_EQ(NextResourceNumber("", "/* x */\n#define\tIDS_00007\t7\n"), 8);
    NumberEntries(entries, NextResourceNumber(dos, ""), "IDS_");
    std::string more;
    ASSERT_TRUE(BuildResourceScript(dos, "two.c", entries, "two.h", more));
    EXPECT_TRUE(more.ends_with("\t1, \"b\"\r\n/* two.c */\n\tIDS_00002, \"a \"\"q\"\"\"\n\tIDS_00003, \"b\"\nEND\n")) << more;
    EXPECT_EQ(more.find("END"), more.rfind("END"));
    // The identifiers' header is included once, from the first file that uses identifiers.
    EXPECT_TRUE(more.starts_with("/* Tarvo String Table */\r\n#include \"two.h\"\r\nSTRINGTABLE\r\n")) << more;
    std::string again;
    ASSERT_TRUE(BuildResourceScript(more, "three.c", entries, "two.h", again));
    EXPECT_EQ(again.find("#include"), again.rfind("#include"));
    ASSERT_TRUE(BuildResourceScript("", "one.c", entries, "one.h", rc));
    EXPECT_TRUE(rc.starts_with("/* Tarvo String Table */\n#include \"one.h\"\nSTRINGTABLE\nBEGIN\n/* one.c */\n\tIDS_00002,")) << rc;
    EXPECT_FALSE(BuildResourceScript("/* Tarvo String Table */\nSTRINGTABLE\nBEGIN\n", "x.c", entries, "", more));
    EXPECT_EQ(BuildResourceHeader("", "two.c", entries),
              "/* Tarvo String Table */\n/* two.c */\n#define\tIDS_00002\t2\n#define\tIDS_00003\t3\n");

    NumberEntries(entries, 0, "");
    std::string array;
    ASSERT_TRUE(BuildArrayFile("", "S", "one.c", entries, array));
    EXPECT_EQ(array, "/* Tarvo String Table */\nunsigned char *S[]={\n/* strings from one.c */\n"
                     "\t\"a \\\"q\\\"\",\t/* 0 */\n\t\"b\" \t/* 1 */\n};\n");
    EXPECT_EQ(ArrayEntryCount(array), 2);
    NumberEntries(entries, ArrayEntryCount(array), "");
    std::string extended;
    ASSERT_TRUE(BuildArrayFile(array, "S", "two.c", entries, extended));
    EXPECT_EQ(ArrayEntryCount(extended), 4);
    EXPECT_NE(extended.find("\t\"b\" \t/* 1 */\n\t,\n/* strings from two.c */\n\t\"a \\\"q\\\"\",\t/* 2 */\n"), std::string::npos);
    EXPECT_FALSE(BuildArrayFile("/* Tarvo String Table */\nunsigned char *S[]={\n", "S", "x.c", entries, extended));
}

}  // namespace
}  // namespace tarvo::tools
