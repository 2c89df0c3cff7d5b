// The Strings command on a document: outputs written before the source changes, a foreign
// file asked about and left alone on No, the second file numbered on, outputs open in a window
// and non-C documents refused, and one Undo giving back the source exactly.
#include "editor_test_util.h"
#include "editor/language.h"
#include "tools/string_table_command.h"

namespace tarvo::editor::test {
namespace {

class StringsCommand : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        InstallBuiltInLanguages();
        editor().seam.chooseLanguage = ChooseLanguageForDocument;
    }
};

const char kSource[] = "#include <stdio.h>\r\nint main(void)\r\n{\r\n\tputs(\"hello\"); puts(\"world\");\r\n\treturn 0;\r\n}\r\n";

TEST_F(StringsCommand, ArrayFormWritesTheTableThenRewritesAndOneUndoRestores) {
    Document& doc = Open(kSource, "prog.c");
    const std::string before = TextOf(doc);
    tools::StringOptions o;
    o.arrayName = "S";
    ASSERT_TRUE(tools::MoveStrings(o)) << Boxes();
    EXPECT_EQ(ReadBytes(dir / "prog_str.c"), "/* Tarvo String Table */\nunsigned char *S[]={\n/* strings from prog.c */\n"
                                             "\t\"hello\",\t/* 0 */\n\t\"world\" \t/* 1 */\n};\n");
    EXPECT_EQ(TextOf(doc), "#include <stdio.h>\nint main(void)\n{ extern unsigned char *S[];\n"
                           "\tputs(S[0]); puts(S[1]); // <hello> // <world>\n\treturn 0;\n}");
    EXPECT_TRUE(UndoGives(doc, before));

    // A second file is numbered after the first, once the user agrees to extend the table.
    Document& other = Open("void f(void) { puts(\"third\"); }\n", "other.c", 2);
    o.arrayFile = dir / "prog_str.c";
    scripted.ui.answers = {platform::kAnswerYes};
    ASSERT_TRUE(tools::MoveStrings(o));
    EXPECT_EQ(TextOf(other), "void f(void) { extern unsigned char *S[]; puts(S[2]); } // <third>");
    EXPECT_NE(ReadBytes(dir / "prog_str.c").find("\t,\n/* strings from other.c */\n\t\"third\" \t/* 2 */\n};\n"), std::string::npos);
}

TEST_F(StringsCommand, AForeignResourceScriptIsAskedAboutAndNoLeavesEverything) {
    Document& doc = Open(kSource, "prog.c");
    const std::string before = TextOf(doc);
    WriteBytes(dir / "prog.rc", "#include \"prog.h\"\r\nICON1 ICON \"prog.ico\"\r\n");
    WriteBytes(dir / "prog.h", "#define ICON1 1\r\n");
    tools::StringOptions o;
    o.flags = tools::kStringsIdentifiers | tools::kStringsCall;
    o.functionName = "Load";
    scripted.ui.answers = {platform::kAnswerNo};
    EXPECT_FALSE(tools::MoveStrings(o));
    EXPECT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_NE(Boxes().find("prog.rc?"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir / "prog.rc"), "#include \"prog.h\"\r\nICON1 ICON \"prog.ico\"\r\n");
    EXPECT_EQ(ReadBytes(dir / "prog.h"), "#define ICON1 1\r\n");
    EXPECT_EQ(TextOf(doc), before);
    EXPECT_FALSE(doc.flags & kModified);
    EXPECT_FALSE(Undo());

    // Yes to both: the script and the header are ours from now on, and the source uses them.
    scripted.ui.answers = {platform::kAnswerYes, platform::kAnswerYes};
    ASSERT_TRUE(tools::MoveStrings(o));
    EXPECT_EQ(ReadBytes(dir / "prog.rc"), "/* Tarvo String Table */\n#include \"prog.h\"\nSTRINGTABLE\nBEGIN\n/* prog.c */\n"
                                          "\tIDS_00000, \"hello\"\n\tIDS_00001, \"world\"\nEND\n");
    EXPECT_EQ(ReadBytes(dir / "prog.h"), "/* Tarvo String Table */\n/* prog.c */\n#define\tIDS_00000\t0\n#define\tIDS_00001\t1\n");
    EXPECT_NE(TextOf(doc).find("\tputs(Load(IDS_00000)); puts(Load(IDS_00001)); // <hello> // <world>"), std::string::npos);
}

TEST_F(StringsCommand, RefusalsChangeNothing) {
    Open("int x;\n", "notes.txt");
    tools::StringOptions o;
    EXPECT_FALSE(tools::MoveStrings(o));
    EXPECT_NE(Boxes().find("notes.txt is not a C source"), std::string::npos);

    Document& doc = Open(kSource, "prog.c", 2);
    Open("/* Tarvo String Table */\n", "prog_str.c", 3);
    for (auto& view : editor().views)
        if (view->document == &doc) SetCurrentView(view.get());
    EXPECT_FALSE(tools::MoveStrings(o));
    EXPECT_NE(Boxes().find("is open in a window"), std::string::npos);
    o.arrayName = "not a name";
    EXPECT_FALSE(tools::MoveStrings(o));
    EXPECT_NE(Boxes().find("'not a name' is not a C identifier"), std::string::npos);
    EXPECT_FALSE(doc.flags & kModified);

    Document& bad = Open("f() { g('); }\n", "bad.c", 4);
    o.arrayName = "S";
    EXPECT_FALSE(tools::MoveStrings(o));
    EXPECT_NE(Boxes().find("bad.c: incorrect char constant line 1"), std::string::npos);
    EXPECT_FALSE(bad.flags & kModified);
    EXPECT_FALSE(platform::FileExists(dir / "bad_str.c"));
}

}  // namespace
}  // namespace tarvo::editor::test
