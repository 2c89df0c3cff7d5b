// Check braces and Check brackets with their messages, Normalise, and the inactive-code marks.
#include "analysis/checks.h"
#include "analysis/inactive_lines.h"
#include "analysis/normalise.h"
#include "editor_test_util.h"
#include "scan_test_util.h"

namespace tarvo::analysis {
namespace {

using test::Text;

// The message of the first problem, or "ok".
std::string Braces(const std::string& source) {
    Text t(source);
    std::string message;
    return CheckBraces(t.lines, "a.c", message) ? "ok" : message;
}

std::string Brackets(const std::string& source) {
    Text t(source);
    std::string message;
    return CheckBrackets(t.lines, "a.e", message) ? "ok" : message;
}

TEST(CheckBraces, BalancedText) {
    EXPECT_EQ(Braces("#if X\nint f(void) {\n  for (i = 0; i < n; i++) { a[i] = '}'; }\n"
                     "  /* ( */ s = \"[\";\n}\n#endif\n"),
              "ok");
    EXPECT_EQ(Braces("#ifdef A\n#if B\n#else\n#endif /* } */\n#elif C\n#endif\n"), "ok");
}

TEST(CheckBraces, EachProblemWithItsLine) {
    EXPECT_EQ(Braces("int f(void) {\n  g(a;\n}\n"), "a.c: Syntax error line 2");
    EXPECT_EQ(Braces("void f(void) {\n  buffor (a; b; c);\n}\n"), "a.c: Syntax error line 2");  // not a for
    EXPECT_EQ(Braces("f() {\n  s = \"abc;\n}\n"), "a.c: unfinished string line 2");
    EXPECT_EQ(Braces("f() {\n  c = 'ab';\n}\n"), "a.c: incorrect char constant line 2");
    EXPECT_EQ(Braces("f() {\n  x = (a));\n}\n"), "a.c: too many ')' at line 2");
    EXPECT_EQ(Braces("f() {\n  x = a[1]];\n}\n"), "a.c: too many ']' at line 2");
    EXPECT_EQ(Braces("f() {\n  if (x {\n}\n"), "a.c: Mismatched () after line 2");
    EXPECT_EQ(Braces("f() {\n}\n}\n"), "a.c: too many } at line 3");
    EXPECT_EQ(Braces("int x;\n#endif\n"), "#endif without matching #if line 2");
    EXPECT_EQ(Braces("f() {\n  {\n}\n"), "a.c: mismatched { } after line 1");
    EXPECT_EQ(Braces("int x = (1 +\n 2;\n"), "a.c: Syntax error line 2");
    EXPECT_EQ(Braces("int x = (1 +\n 2\n"), "a.c: Mismatched () after line 1");
    EXPECT_EQ(Braces("int x[3 = {1};\n"), "a.c: mismatched [ ] after line 1");
    // An "if" directive without its "endif": the directive's own line.
    EXPECT_EQ(Braces("int a;\n#if DEBUG\nint b;\n#ifdef X\n#endif\n"), "a.c: #if without matching #endif line 2");
}

TEST(CheckBrackets, EiffelStringsCommentsAndCharacters) {
    EXPECT_EQ(Brackets("f (a: ARRAY [INTEGER]) is -- a comment with )\n"
                       "  do io.put (\"(%\"\") c := ')' end\n"),
              "ok");
    EXPECT_EQ(Brackets("s := \"one %\n   %two\"\n"), "ok");  // a string continued with '%'
    EXPECT_EQ(Brackets("x := a)\n"), "a.e: too many ')' at line 1");
    EXPECT_EQ(Brackets("x := a]\n"), "a.e: too many ']' at line 1");
    EXPECT_EQ(Brackets("x := (a\n\n"), "a.e: Mismatched () after line 1");
    EXPECT_EQ(Brackets("s := \"open\nt := 1\n"), "a.e: unfinished string line 1");
}

TEST(Normalise, LayoutGoesCommentsAndStringsStay) {
    Text t("/* head */\n"
           "int  main ( int argc ,\n"
           "            char * argv [ ] )   // entry\n"
           "{\n"
           "\n"
           "    label: x = a ? b : \"s  t\" ;\n"
           "#define Y  1  \\\n"
           "    + 2\n"
           "    std :: cout << 'c';  return x/ 2;\n"
           "}\n");
    Normalised n = NormaliseLines(t.lines);
    EXPECT_EQ(n.lines, (std::vector<std::string>{"int main(int argc,char*argv[]){", "label:", "x=a?b:", "\"s  t\";",
                                                 "#define Y  1  \\", "    + 2", "std::cout<<'c';", "return x/2;",
                                                 "}"}));
    // One entry per source line: where its first output went; silent lines take the one before.
    EXPECT_EQ(n.table, (std::vector<long>{10, 1, 1, 1, 1, 1, 2, 5, 6, 7, 9}));
}

class NormaliseFile : public editor::test::EditorTest {};

TEST_F(NormaliseFile, WritesTheScratchFileOrSaysWhyNot) {
    editor::test::WriteBytes(dir / "a.c", "int  x ;\r\n/* c */ int y;\r\n");
    auto table = Normalise(dir / "a.c", dir / "a.tmp");
    ASSERT_TRUE(table.has_value());
    EXPECT_EQ(*table, (std::vector<long>{2, 1, 2}));
    EXPECT_EQ(editor::test::ReadBytes(dir / "a.tmp"), "int x;\r\nint y;\r\n");
    // An open document is taken as it is in the editor, not as on disk.
    Open("long x;\n", "b.c");
    ASSERT_TRUE(Normalise(dir / "b.c", dir / "b.tmp").has_value());
    EXPECT_EQ(editor::test::ReadBytes(dir / "b.tmp"), "long x;\r\n");

    EXPECT_FALSE(Normalise(dir / "a.c", dir / "missing-dir/x.tmp").has_value());
    ASSERT_FALSE(scripted.ui.boxes.empty());
    EXPECT_EQ(scripted.ui.boxes.back().text, "Impossible to open temporary file for writing!");
    EXPECT_FALSE(Normalise(dir / "none.c", dir / "c.tmp").has_value());
}

class InactiveLines : public editor::test::EditorTest {};

TEST_F(InactiveLines, ReportedLinesAndTheirContinuations) {
    editor::Document& doc = Open("a\nb \\\nc \\\nd\ne\nf\ng\n");
    doc.lines->next->marks = editor::kMarkInactive;
    ClearInactiveMarks(doc);
    EXPECT_EQ(MarkInactiveLines(doc, "2 cont\r\n6\r\n7x\r\n99\r\nnonsense\r\n"), 5);
    std::string marks;
    for (editor::Line* l = doc.lines->next; l != doc.lines; l = l->next)
        marks += (l->marks & editor::kMarkInactive) ? 'x' : '.';
    EXPECT_EQ(marks, ".xxx.xx");
}

}  // namespace
}  // namespace tarvo::analysis
