// The string table generator: which literals move and which stay (every case where a change
// could alter the program or break its compilation), the rebuilt lines, the outputs written new
// and extended, and real programs compiled and run before and after the rewrite.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/text.h"
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
        "\tputs(\"moved\"); s = \"assigned\"; /* \"comment\" */ // \"line comment\"\n"
        "\tn = c ? 'x' : '\\'';\n"
        "\tf(\"first\", 1); return n ? \"then\" : \"else\", 0;\n"
        "}\n";
    Collected c = CollectStrings(Lines(source), false);
    ASSERT_EQ(c.end, CollectEnd::Ok);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"moved", "assigned", "first", "then", "else"}));
    ASSERT_EQ(c.bodies.size(), 1u);
    EXPECT_EQ(c.bodies[0].line, 3u);
    EXPECT_EQ(c.entries[0].line, 19u);
    EXPECT_EQ(c.entries[0].column, 6u);
    EXPECT_EQ(c.entries[0].length, 7u);
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
    // Escapes a resource script cannot carry keep their literal in the source.
    c = CollectStrings(Lines("f() { g(\"a\\x41\"); g(\"say \\\"hi\\\"\\n\"); }\n"), true);
    EXPECT_EQ(Texts(c), (std::vector<std::string>{"say \\\"hi\\\"\\n"}));
    std::string text;
    ASSERT_TRUE(ResourceText("say \\\"hi\\\" a\\\\b\\t", text));
    EXPECT_EQ(text, "say \"\"hi\"\" a\\\\b\\t");
    EXPECT_FALSE(ResourceText("\\101", text));

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

TEST(StringTable, OutputsAreWrittenNewAndExtendedWithNumbersThatGoOn) {
    std::vector<StringEntry> entries(2);
    entries[0].text = "a \\\"q\\\"";
    entries[1].text = "b";
    NumberEntries(entries, 0, "IDS_");
    std::string rc;
    ASSERT_TRUE(BuildResourceScript("", "one.c", entries, false, rc));
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
    ASSERT_TRUE(BuildResourceScript(dos, "two.c", entries, true, more));
    EXPECT_TRUE(more.ends_with("\t1, \"b\"\r\n/* two.c */\n\tIDS_00002, \"a \"\"q\"\"\"\n\tIDS_00003, \"b\"\nEND\n")) << more;
    EXPECT_EQ(more.find("END"), more.rfind("END"));
    EXPECT_FALSE(BuildResourceScript("/* Tarvo String Table */\nSTRINGTABLE\nBEGIN\n", "x.c", entries, false, more));
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

// The program is the oracle: compiled and run before and after the rewrite, it prints the same.
std::string Shell(const std::string& command) {
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    int status = pclose(pipe);
    return out + (status == 0 ? "" : Printf("<exit %d>", status));
}

TEST(StringTable, RewrittenProgramsPrintWhatTheyPrintedBefore) {
    namespace fs = std::filesystem;
    std::string dir = (fs::temp_directory_path() / Printf("tarvo-strings-%d", getpid())).string();
    fs::create_directories(dir);
    const std::string program =
        "#include <stdio.h>\n#include <string.h>\n"
        "static const char *names[] = { \"zero\", \"one\" };\n"
        "static int width(const char *s) { return (int)strlen(s); }\n"
        "int main(void)\n{\n"
        "\tchar buf[] = \"buffer\";\n"
        "\tconst char *t[] = { \"x\",\n\t\t\"y\" };\n"
        "\tprintf(\"%s %d %d\\n\", \"hello \\\"world\\\"\", (int)sizeof(\"abc\"), width(\"four\"));\n"
        "\tprintf(\"%s\" \"%s\\n\", names[1], t[1]);\n"
        "\tputs(buf); puts(1 ? \"then\" : \"else\");\n"
        "\tputs(\"tab\\there\"); return 0;\n}\n";
    std::ofstream(dir + "/before.c") << program;
    StringOptions options;
    options.arrayName = "S";
    std::vector<std::string_view> lines = Lines(program);
    Collected c = CollectStrings(lines, false);
    ASSERT_EQ(c.end, CollectEnd::Ok);
    EXPECT_EQ(c.entries.size(), 6u);
    NumberEntries(c.entries, 0, "");
    std::string table;
    ASSERT_TRUE(BuildArrayFile("", "S", "after.c", c.entries, table));
    std::ofstream(dir + "/after.c") << Rewritten(program, options);
    std::ofstream(dir + "/table.c") << table;
    std::string before = Shell("cd " + dir + " && cc -w -o before before.c && ./before");
    std::string after = Shell("cd " + dir + " && cc -w -o after after.c table.c && ./after");
    EXPECT_EQ(before, "hello \"world\" 4 4\noney\nbuffer\nthen\ntab\there\n");
    EXPECT_EQ(after, before);
    fs::remove_all(dir);
}

// The resource compiler is the oracle of the script: each string it stores is the literal's value.
TEST(StringTable, TheResourceCompilerStoresTheLiteralsValues) {
    namespace fs = std::filesystem;
    std::string dir = (fs::temp_directory_path() / Printf("tarvo-rc-%d", getpid())).string();
    fs::create_directories(dir);
    std::vector<StringEntry> entries(2);
    entries[0].text = "say \\\"hi\\\" a\\\\b\\tc\\n";
    entries[1].text = "100% 'sure'?";
    NumberEntries(entries, 0, "");
    std::string script;
    ASSERT_TRUE(BuildResourceScript("", "x.c", entries, false, script));
    std::ofstream(dir + "/x.rc") << script;
    ASSERT_EQ(Shell("x86_64-w64-mingw32-windres " + dir + "/x.rc -O coff -o " + dir + "/x.o"), "");
    std::ifstream in(dir + "/x.o", std::ios::binary);
    std::string object((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (std::string value : {std::string("say \"hi\" a\\b\tc\n"), std::string("100% 'sure'?")}) {
        std::string wide;  // counted UTF-16, as a string table holds it
        wide += static_cast<char>(value.size());
        wide += '\0';
        for (char c : value) wide += std::string{c, '\0'};
        EXPECT_NE(object.find(wide), std::string::npos) << value;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tarvo::tools
