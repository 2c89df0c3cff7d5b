// The C function detector: what it lists, with which lines, and what it must not list.
#include <gtest/gtest.h>

#include <string>

#include "analysis/function_list.h"
#include "scan_test_util.h"

namespace tarvo::analysis {
namespace {

using test::Text;

// "name start-end" for each function found, separated by "|".
std::string Found(const std::string& source) {
    Text t(source);
    std::string all;
    for (const Function& f : FindCFunctions(t.lines))
        all += (all.empty() ? "" : "|") + f.name + " " + std::to_string(f.startNumber) + "-" + std::to_string(f.endNumber);
    return all;
}

TEST(CFunctions, DefinitionsAndPrototypes) {
    EXPECT_EQ(Found("int f(int x);\n"
                    "int g(int x)\n"
                    "{\n"
                    "    return f(x) + (x ? 1 : 2);\n"
                    "}\n"),
              "g 2-5");
    // Calls and conditions inside a body never look like definitions.
    EXPECT_EQ(Found("void a(void) { if (x) { b(); } while (y) {} }\n"
                    "static char *b (char *s) {\n"
                    "  return s;\n"
                    "}\n"),
              "a 1-1|b 2-4");
    Text t("static unsigned long\ncount_words(const char *s, int n) {\n}\n");
    FunctionRecords records = FindCFunctions(t.lines);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].startLine, 2);
    EXPECT_EQ(records[0].startColumn, 0);
    EXPECT_EQ(records[0].bodyLine, 2);
    Text u("  static int *  name (void) {}\n");
    EXPECT_EQ(FindCFunctions(u.lines)[0].startColumn, 2);
}

TEST(CFunctions, OldStyleParametersAndAnUnfinishedLastFunction) {
    EXPECT_EQ(Found("int sum(a, b)\n"
                    "int a;\n"
                    "char *b[];\n"
                    "{\n"
                    "  return a;\n"
                    "}\n"),
              "sum 1-6");
    EXPECT_EQ(Found("main(argc, argv) int argc; char **argv; { }\n"), "main 1-1");
    // The last function without its closing brace ends with the text.
    EXPECT_EQ(Found("int a(void) {\n}\nint b(void) {\n  if (x) {\n  }\n\n"), "a 1-2|b 3-6");
}

// Shapes met in real headers and sources, each once lost or invented.
TEST(CFunctions, ShapesFromRealHeaders) {
    const std::pair<const char*, const char*> cases[] = {
        // A macro use without ';' before a type's body is no definition.
        {"DECLARE_THING(x)\nstruct s {\n  int a;\n};\nint f(void) {\n}\n", "f 5-6"},
        {"DECLARE_THING(x)\ntypedef struct {\n  int a;\n} t;\n", ""},
        {"DECLARE_THING(x) union u { int a; };\n", ""},
        // ...but old-style parameters of a struct type are.
        {"int f(p) struct s *p; {\n}\n", "f 1-2"},
        // A comment over several lines inside a continued #define stays in the directive.
        {"#define M(x) \\\n  do { /* a comment\n  over lines */ if (x) { \\\n  y(); } while (0)\nint g(void) {\n}\n",
         "g 5-6"},
        // A preprocessor line between the parameters and the body.
        {"int main(int argc, char **argv)\n#if X\n#endif\n{\n  return 0;\n}\n", "main 1-6"},
        {"int h(a)\n#ifdef K\nint a;\n#endif\n{\n}\n", "h 1-6"},
        // An old-style declaration of a function pointer.
        {"int apply(f, x) int (*f)(); int x; {\n  return f(x);\n}\n", "apply 1-3"},
        {"int apply(f, x)\n  int (*f)(int, char *);\n  int x;\n{\n}\n", "apply 1-5"},
        // A comment between extern "C" and its brace.
        {"extern \"C\" /* linkage */\n{\nint k(void) {\n}\n}\n", "k 3-4"},
        {"extern \"C\" // linkage\n{ int k(void) { } }\n", "k 2-2"},
        // A macro wrapped round the declarator names the function inside.
        {"__extern_inline int\n__NTH (tolower (int __c))\n{\n  return __c;\n}\n", "tolower 2-5"},
        {"int WRAP (f (int a, int (*g)(int))) {\n}\n", "f 1-2"},
        // Not a wrapper: a parameter list that happens to begin with a word and a group.
        {"int q(void (*cb)(int), int n) {\n}\n", "q 1-2"},
    };
    for (const auto& [source, expected] : cases) EXPECT_EQ(Found(source), expected) << source;
}

TEST(CFunctions, QualifiedNamesAndOperators) {
    EXPECT_EQ(Found("int Stack::pop(void) {\n}\n"), "Stack::pop 1-2");
    EXPECT_EQ(Found("Stack::~Stack() {}\n"), "Stack::~Stack 1-1");
    EXPECT_EQ(Found("Vec operator+(const Vec &a, const Vec &b) { return a; }\n"), "operator+ 1-1");
    EXPECT_EQ(Found("Vec& Vec::operator += (const Vec &b) { return *this; }\n"), "operator+= 1-1");
    EXPECT_EQ(Found("bool operator<(A a, A b) { return 0; }\n"), "operator< 1-1");
    EXPECT_EQ(Found("int F::operator()(int x) const { return x; }\n"), "operator() 1-1");
    EXPECT_EQ(Found("int myoperator+(int x) { return x; }\n"), "");
    EXPECT_EQ(Found("const char *F::get() const { return 0; }\n"), "F::get 1-1");
    // Initialisers after a constructor's ':' are not definitions of their own.
    EXPECT_EQ(Found("A::A(int x) : base(x), m_y(0)\n{\n}\n"), "A::A 1-3");
}

TEST(CFunctions, CommentsStringsAndCharactersDoNotCount) {
    EXPECT_EQ(Found("/* int fake(void) { */\n"
                    "// int fake2(void) {\n"
                    "int real(void) {\n"
                    "  char *s = \"}{(\";\n"
                    "  char c = '}', d = '\\'', e = '{';\n"
                    "  /* } */\n"
                    "}\n"
                    "int after(void) { return '\\x7b'; }\n"),
              "real 3-7|after 8-8");
    // A string continued with a backslash, and a preprocessor line with continuations.
    EXPECT_EQ(Found("char *s = \"abc\\\n}{\";\n"
                    "#define X(a) \\\n  { a(); }\n"
                    "int f(void) {}\n"),
              "f 5-5");
}

TEST(CFunctions, RealCode) {
    // __attribute__ between the parameters and the body, and before a prototype's ';'.
    EXPECT_EQ(Found("static void die(const char *m) __attribute__((noreturn));\n"
                    "static int hot(int x) __attribute__((hot, aligned(16)))\n{\n}\n"),
              "hot 2-4");
    // A comment between ')' and '{'.
    EXPECT_EQ(Found("int f(int x) /* the entry */\n// more\n{\n}\n"), "f 1-4");
    // Calling conventions and __declspec before the name.
    EXPECT_EQ(Found("LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l)\n{\n}\n"
                    "__declspec(dllexport) int __stdcall Api(int a) { return a; }\n"
                    "BOOL WINAPI DllMain(HINSTANCE i, DWORD r, LPVOID p) { return 1; }\n"),
              "WndProc 1-3|Api 4-4|DllMain 5-5");
    // A function-like macro used at file level without a ';' is no definition of its own.
    EXPECT_EQ(Found("DECLARE_HANDLE(HFOO)\n"
                    "int main(void)\n{\n}\n"),
              "main 2-4");
    EXPECT_EQ(Found("IMPLEMENT(x) int y; struct s { int a; };\n"), "");
    // Definitions inside extern "C" { } and namespaces.
    EXPECT_EQ(Found("#ifdef __cplusplus\nextern \"C\" {\n#endif\n"
                    "int c_api(void) { return 0; }\n"
                    "#ifdef __cplusplus\n}\n#endif\n"
                    "namespace tools {\nint helper(int x) { return x; }\n}\n"
                    "int last(void) {}\n"),
              "c_api 4-4|helper 9-9|last 11-11");
    // Initialised data and structure declarations at file level.
    EXPECT_EQ(Found("int table[] = { f(1), 2 };\nstruct s { int (*fp)(int); };\nint g(void) { return 0; }\n"),
              "g 3-3");
}

}  // namespace
}  // namespace tarvo::analysis
