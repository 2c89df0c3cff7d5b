#include "analysis/function_list.h"
#include "editor/edit.h"
#include "editor/language.h"
#include "editor_test_util.h"
#include "shell/document_rules.h"

namespace tarvo::shell {
namespace {

class DocumentRules : public editor::test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor::InstallBuiltInLanguages();
        editor::editor().seam.chooseLanguage = editor::ChooseLanguageForDocument;
    }
};

TEST_F(DocumentRules, ExitAsksAboutModifiedFilesAndTypedBufferText) {
    editor::Document& a = Open("int a;\n", "a.c");
    Open("int b;\n", "b.c");
    EXPECT_TRUE(DocumentsToSave().names.empty());
    a.flags |= editor::kModified;
    SaveQuestion q = DocumentsToSave();
    EXPECT_EQ(q.names, (std::vector<std::string>{a.name}));
    EXPECT_EQ(q.buffer, nullptr);
    // The buffer counts only with text in it, modified or not by itself.
    editor::Document& buffer = *editor::FindDocument(editor::kUntitled, false);
    buffer.flags |= editor::kModified;
    EXPECT_EQ(DocumentsToSave().buffer, nullptr);
    editor::SetCurrentView(editor::AddView(&buffer, 9));
    ASSERT_TRUE(editor::InsertString("notes"));
    q = DocumentsToSave();
    EXPECT_EQ(q.buffer, &buffer);
    EXPECT_EQ(q.names.size(), 2u);
}

TEST_F(DocumentRules, StatisticsCountBytesAsSavedAndATotal) {
    Open("ab\ncde\n", "s.c");
    std::vector<std::string> rows = StatisticsRows();
    ASSERT_EQ(rows.size(), 3u);  // s.c and the buffer in name order, the total
    EXPECT_EQ(rows[0], (dir / "s.c") + "\t2\t9");
    EXPECT_EQ(rows[1], "untitled\t0\t0");
    EXPECT_EQ(rows.back(), "Total\t2\t9");
}

TEST_F(DocumentRules, AFunctionStubIsInsertedOnceUndoneAtOnceAndNotIntoAReadOnlyText) {
    using editor::test::Gives;
    editor::Document& doc = Open("int g(void)\n{\n}\n", "f.c");
    const std::string stubbed = "int f(int x)\n{\n}\nint g(void)\n{\n}";
    editor::SetCursor({1, 0});
    EXPECT_TRUE(Gives(PlaceFunctionStub(1, "int f(int x);\nrest"), doc, stubbed));
    EXPECT_TRUE(doc.flags & editor::kModified);
    // Defined now: the cursor goes to it and nothing more is inserted.
    editor::SetCursor({5, 0});
    EXPECT_TRUE(Gives(PlaceFunctionStub(1, "int f(int x);"), doc, stubbed));
    EXPECT_EQ(editor::CursorPosition().line, 1);
    EXPECT_TRUE(editor::test::UndoGives(doc, "int g(void)\n{\n}"));  // the whole stub
    EXPECT_FALSE(PlaceFunctionStub(1, "no function here;"));
    doc.flags = static_cast<std::uint16_t>((doc.flags | editor::kReadOnly) & ~editor::kModified);
    editor::SetCursor({4, 0});
    EXPECT_FALSE(PlaceFunctionStub(1, "int f(int x);"));
    EXPECT_EQ(editor::test::TextOf(doc), "int g(void)\n{\n}");
    EXPECT_FALSE(doc.flags & editor::kModified);
}

}  // namespace
}  // namespace tarvo::shell
