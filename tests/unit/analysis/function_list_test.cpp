// The function list of a document: built by its language's finder, kept in step with edits,
// and the brace check wired into saving.
#include "analysis/checks.h"
#include "analysis/function_list.h"
#include "editor/edit.h"
#include "editor/language.h"
#include "editor_test_util.h"

namespace tarvo::analysis {
namespace {

class FunctionList : public editor::test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor::InstallBuiltInLanguages();
        editor::editor().seam.chooseLanguage = editor::ChooseLanguageForDocument;
        editor::editor().seam.checkBeforeSave = CheckBeforeSave;
    }
    static std::string Names(editor::Document& doc) {
        std::string all;
        for (const Function& f : FunctionsOf(doc).functions)
            all += (all.empty() ? "" : "|") + f.name + " " + std::to_string(f.startNumber) + "-" +
                   std::to_string(f.endNumber);
        return all;
    }
};

TEST_F(FunctionList, BuiltByTheDocumentsLanguage) {
    editor::Document& c = Open("int f(void)\n{\n}\n", "a.c");
    EXPECT_EQ(Names(c), "f 1-3");
    EXPECT_TRUE(c.flags & editor::kFunctionsCurrent);
    EXPECT_EQ(Names(Open("      SUBROUTINE S\n      END\n", "b.f", 2)), "S 1-2");
    EXPECT_FALSE(FindFunctions(Open("int f(void) {}\n", "c.txt", 3)));  // no language
    FreeFunctionList(c);
    EXPECT_EQ(c.functions, nullptr);
    EXPECT_FALSE(c.flags & editor::kFunctionsCurrent);
}

TEST_F(FunctionList, KeptInStepWithEdits) {
    editor::Document& doc = Open("int a(void)\n{\n}\n\nint b(void)\n{\n  x();\n}\n");
    ASSERT_EQ(Names(doc), "a 1-3|b 5-8");
    const editor::FunctionList* list = doc.functions.get();
    // A line break in the empty line between them moves b down, without a rebuild.
    editor::SetCursor({4, 0});
    ASSERT_TRUE(editor::SplitLine());
    EXPECT_EQ(doc.functions.get(), list);
    EXPECT_FALSE(doc.functions->stale);
    EXPECT_EQ(doc.functions->functions[1].startNumber, 6);
    EXPECT_EQ(doc.functions->functions[1].endNumber, 9);
    // Joining them again moves it back.
    editor::SetCursor({4, 0});
    ASSERT_TRUE(editor::JoinLines());
    EXPECT_EQ(doc.functions->functions[1].startNumber, 5);
    EXPECT_EQ(doc.functions->functions[0].endNumber, 3);
    // Typing inside a body changes nothing; typing on a function's first line rebuilds the list.
    editor::SetCursor({7, 2});
    ASSERT_TRUE(editor::InsertCharacters(1, 'y'));
    EXPECT_FALSE(doc.functions->stale);
    editor::SetCursor({5, 5});
    ASSERT_TRUE(editor::InsertRun("_x"));
    EXPECT_TRUE(doc.functions->stale);
    EXPECT_EQ(Names(doc), "a 1-3|b_x 5-8");
    // A line break before a closing brace: the function ends one line later.
    editor::SetCursor({8, 0});
    ASSERT_TRUE(editor::SplitLine());
    EXPECT_EQ(doc.functions->functions[1].endNumber, 9);
    EXPECT_EQ(FunctionAtLine(doc, 9)->name, "b_x");
    EXPECT_EQ(FunctionAtLine(doc, 4), nullptr);
}

// The list a user asks for (F12) knows the function typed a moment ago, even where the edit
// touched no known function.
TEST_F(FunctionList, AFunctionTypedAfterTheLastOneIsListed) {
    editor::Document& doc = Open("int a(void)\n{\n}\n");
    ASSERT_EQ(Names(doc), "a 1-3");
    editor::SetCursor({4, 0});
    ASSERT_TRUE(editor::InsertString("int b(void)\n{\n}\n"));
    EXPECT_EQ(Names(doc), "a 1-3|b 4-6");
}

TEST_F(FunctionList, SavingAsksAboutUnbalancedText) {
    base::settings().editorFlags |= base::kEditorCheckSyntax;
    editor::Document& doc = Open("int f(void)\n{\n", "u.c");
    editor::SetCursor({2, 1});
    ASSERT_TRUE(editor::InsertCharacters(1, ' '));
    scripted.ui.answers = {platform::kAnswerNo};
    EXPECT_FALSE(editor::SaveCurrentDocument());
    EXPECT_EQ(scripted.ui.boxes.back().text, doc.name + ": mismatched { } after line 2\nSave?");
    EXPECT_TRUE(doc.flags & editor::kModified);
    // Balanced, it saves without a question.
    editor::SetCursor({3, 0});
    ASSERT_TRUE(editor::InsertCharacters(1, '}'));
    std::size_t shown = scripted.ui.boxes.size();
    EXPECT_TRUE(editor::SaveCurrentDocument());
    EXPECT_EQ(scripted.ui.boxes.size(), shown);
}

}  // namespace
}  // namespace tarvo::analysis
