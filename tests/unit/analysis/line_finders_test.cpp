// The character source and the finders of the languages other than C.
#include <gtest/gtest.h>

#include "analysis/function_list.h"
#include "editor/language.h"
#include "scan_test_util.h"
#include "scripted_ui.h"
#include "base/settings.h"

namespace tarvo::analysis {
namespace {

using test::Text;

std::string Names(const FunctionRecords& records) {
    std::string all;
    for (const Function& f : records)
        all += (all.empty() ? "" : "|") + f.name + " " + std::to_string(f.startNumber) + "-" + std::to_string(f.endNumber);
    return all;
}

TEST(CharSource, PreprocessorLinesAndDeclspec) {
    Text t("#define A(x) \\\n  (x) /* c\n */ + 1\n#include \"a/*b\" // /*\n_x __declspec ( dllimport ) y");
    CharSource s(t.lines);
    s.SetInteresting("#_y");
    EXPECT_EQ(s.NextInteresting(), '#');
    s.SkipPreprocessorLine();  // the comment ends on the third line: the directive ends there
    EXPECT_EQ(s.LineNumber(), 3);
    EXPECT_EQ(s.NextInteresting(), '#');
    s.SkipPreprocessorLine();
    EXPECT_EQ(s.NextInteresting(), '_');
    EXPECT_FALSE(s.SkipDeclspec());
    EXPECT_EQ(s.NextInteresting(), '_');
    EXPECT_TRUE(s.SkipDeclspec());
    EXPECT_EQ(s.NextInteresting(), 'y');
    EXPECT_EQ(s.Rest(), "");
}

TEST(FortranFinder, UnitsAndTheirEnds) {
    Text t("C     A COMMENT SUBROUTINE NOTME\n"
           "      PROGRAM MAIN\n"
           "      CALL PROGRAMX\n"
           "      IF (X .GT. 0) THEN\n"
           "      END IF\n"
           "      END\n"
           "      subroutine calc(a, b)\n"
           "  10  end\n"
           "      INTEGER*4 FUNCTION SQ (N)\n"
           "      X = FUNCTION(1)\n");
    EXPECT_EQ(Names(FindFortranFunctions(t.lines)), "MAIN 2-6|CALC 7-8|SQ 9-10");
}

TEST(PascalFinder, RoutinesNestedRoutinesAndDeclarations) {
    Text t("unit demo;\n"
           "interface\n"
           "  procedure Shown(x: integer);\n"
           "implementation\n"
           "type TRec = record a: integer; case b: boolean of true: (c: char); end;\n"
           "  TObj = class(TBase)\n"
           "    procedure Method;\n"
           "  end;\n"
           "  TProc = procedure(x: integer);\n"
           "procedure Later; forward;\n"
           "function Outer(a: integer): integer;\n"
           "var r: record x: integer end;\n"
           "  procedure Inner; { nested; end in a comment }\n"
           "  begin\n"
           "    case a of 1: ; end;\n"
           "  end;\n"
           "begin\n"
           "  Outer := 'end' ;\n"
           "end;\n"
           "procedure TObj.Method;\n"
           "begin try finally end end;\n"
           "PROCEDURE Later;\n"
           "BEGIN\n");
    EXPECT_EQ(Names(FindPascalFunctions(t.lines)), "Outer 11-19|Inner 13-16|TObj.Method 20-21|Later 22-23");
}

TEST(EiffelFinder, RoutinesConstantsAndNestedEnds) {
    Text t("class ACCOUNT\n"
           "feature {NONE} -- Initialisation\n"
           "   balance: INTEGER\n"
           "   limit: INTEGER is 100\n"
           "   make (amount: INTEGER;\n"
           "         owner: STRING) is\n"
           "      require\n"
           "         positive: amount > 0\n"
           "      do\n"
           "         if amount > limit then\n"
           "            from until done loop step end\n"
           "         end\n"
           "         io.put_string (\"end%\"\")\n"
           "      end\n"
           "   frozen deposit is deferred end\n"
           "   infix \"+\" (other: like Current): like Current is\n"
           "      do\n"
           "      end\n"
           "end\n");
    EXPECT_EQ(Names(FindEiffelFunctions(t.lines)), "make 5-14|deposit 15-15|infix \"+\" 16-18");
}

TEST(PatternFinder, StartAndEndPatterns) {
    tarvo::test::ScopedScriptedUi boxes;
    editor::ResetLanguages();
    editor::InstallBuiltInLanguages();
    const editor::Language& asmLanguage = *editor::LanguageForFile("x.asm");
    Text t("; main PROC NEAR\n"
           "main PROC NEAR\n"
           "  ret\n"
           "main ENDP\n"
           "do_it\tPROC\n"
           "do_it ENDP\n"
           "tail PROC\n");
    FunctionRecords out;
    ASSERT_TRUE(FindPatternFunctions(t.lines, asmLanguage, "x.asm", out));
    EXPECT_EQ(Names(out), "main 2-4|do_it 5-6|tail 7-7");
    ASSERT_EQ(boxes.ui.boxes.size(), 1u);
    EXPECT_EQ(boxes.ui.boxes[0].text, "x.asm: open function definition");
    editor::ResetLanguages();
    base::ResetSettings();

    // Without an end pattern a function ends before the next; the must-contain text is cut
    // out of the line to name it; case is ignored with flag 4.
    editor::Language basic;
    basic.startFunction = "x*SUB ";
    basic.flags = editor::kLanguageDefault | editor::kLanguageIgnoreCase;
    Text b("sub First(a)\n  print a\n\tSub Second\n");
    out.clear();
    ASSERT_TRUE(FindPatternFunctions(b.lines, basic, "b.bas", out));
    EXPECT_EQ(Names(out), "FIRST(A) 1-2|SECOND 3-3");

    // A bad pattern is reported once and finds nothing.
    basic.startFunction = "(unclosed";
    out.clear();
    EXPECT_FALSE(FindPatternFunctions(b.lines, basic, "b.bas", out));
    EXPECT_EQ(boxes.ui.boxes.back().text, "Mismatched () in regular expression");
}

}  // namespace
}  // namespace tarvo::analysis
