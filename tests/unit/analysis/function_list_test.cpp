// The function list of a document: built by its language's finder, kept in step with edits,
// and the brace check wired into saving.
#include <random>

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
    // "name start-end" of each function, separated by "|".
    static std::string Names(const FunctionRecords& records) {
        std::string all;
        for (const Function& f : records)
            all += (all.empty() ? "" : "|") + f.name + " " + std::to_string(f.startNumber) + "-" + std::to_string(f.endNumber);
        return all;
    }
    static std::string Names(editor::Document& doc) { return Names(FunctionsOf(doc).functions); }
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

// Any edits keep the list as a fresh build of the text would make it: moved along without a
// rebuild, or marked stale where an edit touched a function's first or last line.
TEST_F(FunctionList, KeptInStepWithEdits) {
    editor::Document& doc = Open("int a(void)\n{\n}\n\nint b(void)\n{\n  x();\n}\n");
    ASSERT_EQ(Names(doc), "a 1-3|b 5-8");
    EXPECT_EQ(FunctionAtLine(doc, 6)->name, "b");
    EXPECT_EQ(FunctionAtLine(doc, 4), nullptr);
    std::mt19937 random(5);
    for (int step = 0; step < 600; ++step) {
        editor::SetCursor({1 + static_cast<long>(random() % (doc.lineCount + 1)), static_cast<long>(random() % 8)});
        switch (random() % 4) {
            case 0: editor::SplitLine(); break;
            case 1: editor::JoinLines(); break;
            case 2: editor::InsertCharacters(1, "{}x;"[random() % 4]); break;
            default: editor::InsertRun("int c(void) {"); break;
        }
        Lines fresh;
        for (editor::Line* l = doc.lines->next; l != doc.lines; l = l->next) fresh.push_back(editor::LineText(*l));
        ASSERT_EQ(Names(doc), Names(FindCFunctions(fresh))) << "after step " << step << ":\n" << editor::test::TextOf(doc);
    }
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
