// The string table generator judged by the programs themselves: C sources with awkward
// literals go through the Strings command, are compiled before and after with the cross
// compiler and run here; they must print the same bytes. The resource form is compiled with
// windres, and every string LoadStringA and LoadStringW give back is compared with the value
// the C compiler gives the literal. The literals that must stay where they are are listed.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "bridge_win.h"
#include "editor/document.h"
#include "editor/line.h"
#include "program_win.h"
#include "tools/string_table.h"
#include "tools/string_table_command.h"

namespace tarvo::test {
namespace {

#ifdef _WIN64
constexpr char kTriplet[] = "/usr/bin/x86_64-w64-mingw32-";
#else
constexpr char kTriplet[] = "/usr/bin/i686-w64-mingw32-";
#endif

class StringTableOracle : public ProgramTest {
protected:
    // The Strings command on a new document holding `text`; its lines afterwards, written to
    // `after` in the test's folder.
    std::string Move(const std::string& name, const std::string& text, const tools::StringOptions& options,
                     const std::string& after) {
        Open(name, text);
        EXPECT_TRUE(tools::MoveStrings(options)) << ::testing::PrintToString(BoxTexts());
        std::string rewritten;
        editor::Document* d = editor::CurrentDocument();
        for (editor::Line* l = d ? d->lines->next : nullptr; l && l != d->lines; l = l->next)
            rewritten.append(editor::LineText(*l)) += "\n";
        WriteTextFile(dir + "\\" + after, rewritten);
        return rewritten;
    }
    // The shell commands, in the test's folder, in one go; "" or what went wrong.
    std::string Shell(const std::string& commands) {
        testbed::LinuxRun r = testbed::RunLinux({"/bin/sh", "-ec", commands}, testbed::UnixPath(dir));
        if (!r.problem.empty()) return r.problem;
        return r.exitCode == 0 ? "" : "exit " + std::to_string(r.exitCode) + ": " + r.errors + r.output;
    }
    static std::string Gcc(const std::string& arguments) {
        return std::string(kTriplet) + "gcc -w -o " + arguments + "\n";
    }
    // What a program of the test's folder writes to its standard output.
    std::string Output(const std::string& program) {
        const std::string out = dir + "\\" + program + ".out";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = CreateFileA(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        PROCESS_INFORMATION process{};
        std::string line = "\"" + dir + "\\" + program + ".exe\"";
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(), &startup, &process)) {
            if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        } else {
            ADD_FAILURE() << "cannot start " << line;
        }
        CloseHandle(startup.hStdOutput);
        return ReadTextFile(out);
    }
};

// Literals of every kind a program prints, on one line and several, in calls, returns,
// conditions and assignments, in a static function too.
const char kEscapes[] =
    "#include <stdio.h>\n#include <string.h>\n\n"
    "static const char *greet(int polite)\n{\n"
    "\tif (polite) return \"Good day, \\\"sir\\\"\\n\";\n"
    "\treturn polite ? \"unused\" : \"hi\\tthere\\\\\\n\";\n}\n\n"
    "int main(void)\n{\n\tconst char *s;\n"
    "\tprintf(\"%s|%s|%d\\n\", \"several\", \"on one line\", 3);\n"
    "\tfputs(greet(1), stdout); fputs(greet(0), stdout);\n"
    "\tprintf(\"%d %d\\n\", (int)strlen(\"a\\0b\"), (int)strlen(\"\\x41\\102\\x43\"));\n"
    "\ts = \"octal \\101\\060\\61 hex \\x7e and bell \\a?\";\n"
    "\tprintf(\"%s|%d\\n\", s, (int)strlen(s));\n"
    "\tputs(\"not /* a comment */ // nor this\"); // the user's own comment\n"
    "\tputs(\"spliced\"); \\\n\tputs(\"joined\");\n"
    "\tputs(\"closing */ inside\"); /* a comment\n\t   left open */\n"
    "\tputs(strchr(\"find:the:colon\", ':'));\n"
    "\tprintf(\"%c%c%s\\n\", '\"', '\\'', \"after char constants '\\\"'\");\n"
    "\tprintf(\"%s\\n\", 1 ? \"then\" : \"else\");\n"
    "\tputs(\"caf\\xc3\\xa9 \\xe9 \\x80 bytes \xc3\xa9 \xff\");\n"
    "\treturn puts(\"returned\") < 0;\n}\n";

// Every literal here must stay: its type, size, text or constancy matters where it stands.
const char kKept[] =
    "#include <stdio.h>\n#include <string.h>\n#include <wchar.h>\n"
    "#define SHOUT(x) puts(#x)\n#define twice(s) s s\n#  define\tlen(s) (sizeof(s) - 1)\n"
    "#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
    "typedef char name_t[8];\n"
    "static const char *names[] = { \"zero\", \"one\" };\n"
    "const char *global = \"global\";\n"
    "struct pair { const char *key; int value; };\n\n"
    "int main(void)\n{\n"
    "\tchar buf[] = \"array\";\n\tname_t name = \"typedef\";\n"
    "\tstatic const char *kept = \"static\";\n"
    "\tconst char *list[] = { \"in\", \"a\",\n\t\t\"list\" };\n"
    "\tstruct pair p = { \"key\", 7 };\n"
    "\tconst char *lit = (const char *[]){ \"compound\", \"literal\" }[1];\n"
    "\t__typeof__(\"typed\") typed;\n"
    "\tprintf(\"%d %d %d\\n\", (int)sizeof(\"abc\"), (int)sizeof \"wxyz\", (int)sizeof typed);\n"
    "\tprintf(\"%d %d\\n\", (int)len(\"own macro\"), __builtin_constant_p(\"k\"));\n"
    "\tputs(twice(\"pasted\"));\n"
    "\tputs(\"one\" \"two\");\n"
    "\tprintf(\"%d %d\\n\", (int)wcslen(L\"wide\"), (int)strlen(u8\"utf\"));\n"
    "\tprintf(\"%c\\n\", \"index\"[2]);\n"
    "\tputs(\"continued \\\n line\");\n"
    "\tSHOUT(\"shouted\");\n"
    "\tprintf(\"%s %s %s %s %s %s %s %s\\n\", names[1], global, buf, name, kept, list[2], p.key, lit);\n"
    "\tputs(\"moved\");\n\treturn 0;\n}\n"
    "#ifdef __cplusplus\n}\n#endif\n";

// Two files into one array: the second file's strings are numbered after the first's.
const char kFirst[] =
    "#include <stdio.h>\nconst char *helper(int n);\n\nint main(void)\n{\n"
    "\tprintf(\"%s %s\\n\", \"first file\", helper(1));\n\tputs(helper(0));\n\treturn 0;\n}\n";
const char kSecond[] =
    "const char *helper(int n)\n{\n\tif (n) return \"second file\";\n\treturn n ? \"never\" : \"other\";\n}\n";

std::vector<std::string> TableTexts(const std::string& table) {
    std::vector<std::string> texts;
    std::istringstream in(table);
    for (std::string line; std::getline(in, line);)
        if (line.starts_with("\t\"")) texts.push_back(line.substr(2, line.rfind('"') - 2));
    return texts;
}

TEST_F(StringTableOracle, ArrayFormProgramsPrintWhatTheyPrintedBefore) {
    tools::StringOptions options;
    options.arrayName = "S";
    const std::string escapes = Move("escapes.c", kEscapes, options, "escapes_after.c");
    const std::string kept = Move("kept.c", kKept, options, "kept_after.c");
    options.arrayFile = dir + "\\shared_str.c";
    Move("first.c", kFirst, options, "first_after.c");
    shown->answers.push_back(platform::kAnswerYes);  // add to the table of the first file
    Move("second.c", kSecond, options, "second_after.c");

    EXPECT_EQ(TableTexts(ReadTextFile(dir + "\\escapes_str.c")).size(), 21u);
    EXPECT_NE(escapes.find("\tputs(\"spliced\"); \\\n\tputs(S[12]); // <joined>\n"), std::string::npos) << escapes;
    EXPECT_NE(escapes.find("\tputs(\"closing */ inside\"); /* a comment\n"), std::string::npos);
    EXPECT_EQ(TableTexts(ReadTextFile(dir + "\\kept_str.c")),
              (std::vector<std::string>{"%d %d %d\\n", "%d %d\\n", "%d %d\\n", "%c\\n", "%s %s %s %s %s %s %s %s\\n", "moved"}));
    for (const char* stays : {"= \"array\"", "= \"typedef\"", "= \"static\"", "{ \"in\", \"a\",", "\"list\" }", "{ \"key\", 7 }",
                              "{ \"compound\", \"literal\" }", "__typeof__(\"typed\")", "sizeof(\"abc\")",
                              "sizeof \"wxyz\"", "len(\"own macro\")", "__builtin_constant_p(\"k\")",
                              "twice(\"pasted\")", "\"one\" \"two\"", "L\"wide\"", "u8\"utf\"", "\"index\"[2]",
                              "puts(\"continued \\\n line\");", "SHOUT(\"shouted\")", "{ \"zero\", \"one\" }",
                              "= \"global\""})
        EXPECT_NE(kept.find(stays), std::string::npos) << stays;
    EXPECT_EQ(TableTexts(ReadTextFile(dir + "\\shared_str.c")),
              (std::vector<std::string>{"%s %s\\n", "first file", "second file", "never", "other"}));

    ASSERT_EQ(Shell(Gcc("escapes escapes.c") + Gcc("escapes_moved escapes_after.c escapes_str.c") +
                    Gcc("kept kept.c") + Gcc("kept_moved kept_after.c kept_str.c") +
                    Gcc("two first.c second.c") + Gcc("two_moved first_after.c second_after.c shared_str.c")),
              "");
    for (const char* program : {"escapes", "kept", "two"}) {
        std::string before = Output(program);
        EXPECT_GT(before.size(), 20u) << program;
        EXPECT_EQ(Output(std::string(program) + "_moved"), before) << program;
    }
}

// The literals a resource script must carry, as a program prints them (up to a NUL).
std::string ResourceProgram(const std::vector<std::string>& literals) {
    std::string text = "#include <stdio.h>\n\nint main(void)\n{\n";
    for (const std::string& literal : literals) text += "\tputs(\"" + literal + "\");\n";
    return text + "\treturn 0;\n}\n";
}

TEST_F(StringTableOracle, ResourceStringsLoadAsTheLiteralsValues) {
    const std::vector<std::string> carried = {
        "plain", "say \\\"hi\\\" to a\\\\b\\tc\\n", "\\' \\? 100% /* no comment */ // END BEGIN ?\?=",
        "\\a\\b\\f\\v\\r\\0001\\x7f\\x1B", "\\101\\1014\\x41G\\x00041",
        "caf\\xc3\\xa9 \\xe9 \\x80 \\xff and \xc3\xa9 \xe9 \x80", "\\\\", std::string(4097, 'l'),
        std::string(65534, 'm') + "\\n"};
    const std::vector<std::string> skipped = {"bad \\x81 byte", "bad \x9d byte", "\\u00e9", "\\e",
                                              std::string(65536, 'n')};
    std::vector<std::string> all = carried;
    all.insert(all.end(), skipped.begin(), skipped.end());
    const std::string source = ResourceProgram(all);
    tools::StringOptions options;
    options.flags = tools::kStringsIdentifiers | tools::kStringsCall;
    options.functionName = "Str";
    const std::string rewritten = Move("res.c", source, options, "res_after.c");
    for (const std::string& literal : skipped)
        EXPECT_NE(rewritten.find("\tputs(\"" + literal + "\");\n"), std::string::npos) << literal.substr(0, 20);
    const std::string header = ReadTextFile(dir + "\\res.h");
    EXPECT_EQ(std::count(header.begin(), header.end(), '\n'), static_cast<long>(carried.size()) + 2) << header;

    // Each string as both forms of LoadString give it, beside the C compiler's value of the
    // literal (in the ANSI code page, widened as the system widens it).
    std::string check =
        "#include <windows.h>\n#include <stdio.h>\n#include <string.h>\n#include \"res.h\"\n"
        "static const struct { unsigned id; const char *value; int size; } cases[] = {\n";
    for (std::size_t i = 0; i < carried.size(); ++i)
        check += "\t{IDS_" + std::string(5 - std::to_string(i).size(), '0') + std::to_string(i) + ", \"" + carried[i] +
                 "\", sizeof \"" + carried[i] + "\" - 1},\n";
    check +=
        "};\n"
        "static char a[70000];\nstatic WCHAR w[70000];\n"
        "int main(void)\n{\n\tunsigned i;\n\tfor (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {\n"
        "\t\tconst WCHAR *p;\n"
        "\t\tint n = LoadStringW(GetModuleHandleA(0), cases[i].id, (LPWSTR)&p, 0);\n"
        "\t\tint m = MultiByteToWideChar(CP_ACP, 0, cases[i].value, cases[i].size, w, 70000);\n"
        "\t\tint k = LoadStringA(GetModuleHandleA(0), cases[i].id, a, sizeof a);\n"
        "\t\tprintf(\"%u W %d %d %s A %d %d %s\\n\", cases[i].id, n, m, n == m && !memcmp(p, w, 2 * m) ? \"same\" : \"differ\",\n"
        "\t\t       k, cases[i].size, k == cases[i].size && !memcmp(a, cases[i].value, k) ? \"same\" : \"differ\");\n"
        "\t}\n\tprintf(\"code page %u\\n\", GetACP());\n\treturn 0;\n}\n";
    WriteTextFile(dir + "\\check.c", check);
    // The rewritten program reaches its strings through a function of the user's: this one.
    WriteTextFile(dir + "\\str.h", "#include \"res.h\"\nconst char *Str(unsigned id);\n");
    WriteTextFile(dir + "\\str.c",
                  "#include <windows.h>\n"
                  "const char *Str(unsigned id)\n{\n\tstatic char ring[4][70000];\n\tstatic int next;\n"
                  "\tchar *s = ring[next++ % 4];\n\tLoadStringA(GetModuleHandleA(0), id, s, sizeof ring[0]);\n"
                  "\treturn s;\n}\n");
    ASSERT_EQ(Shell(std::string(kTriplet) + "windres res.rc -O coff -o res.o\n" + Gcc("check check.c res.o") +
                    Gcc("res res.c") + Gcc("res_moved -include str.h res_after.c str.c res.o")),
              "");
    std::istringstream lines(Output("check"));
    std::string line;
    for (std::size_t i = 0; i < carried.size(); ++i) {
        ASSERT_TRUE(std::getline(lines, line)) << i;
        EXPECT_TRUE(line.starts_with(std::to_string(i) + " W ")) << line;
        EXPECT_EQ(line.find("differ"), std::string::npos) << carried[i].substr(0, 60) << ": " << line;
    }
    std::getline(lines, line);
    EXPECT_EQ(line, "code page 1252\r");
    const std::string before = Output("res");
    EXPECT_GT(before.size(), 70000u);
    EXPECT_EQ(Output("res_moved"), before);
}

}  // namespace
}  // namespace tarvo::test
