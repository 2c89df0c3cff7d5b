// The file commands' rules: Save as of a document and of the internal buffer, Rename, Read
// only, and the question before the last window of a modified document closes.
#include "editor/edit.h"
#include "editor/file_commands.h"
#include "editor_test_util.h"

namespace tarvo::editor::test {
namespace {

// Names ending in ".c" are C; others have no language.
const Language* CByName(const std::string& name, bool& isC) {
    isC = name.ends_with(".c");
    return isC ? reinterpret_cast<const Language*>(&isC) : nullptr;
}

class FileCommands : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor().seam.chooseLanguage = CByName;
    }
};

TEST_F(FileCommands, SaveAsTakesTheNameAndWritesEvenUnchanged) {
    Document& doc = Open("int x;\n", "a.c");
    Open("other\n", "taken.c", 2);
    SetCurrentView(FindView(1));
    EXPECT_EQ(SaveAsOffer(doc), doc.name);
    // Another document's name, in any case: refused, nothing written, nothing renamed.
    EXPECT_FALSE(SaveCurrentDocumentAs(dir / "TAKEN.C", nullptr));
    EXPECT_EQ(Boxes(), "Name already used|");
    EXPECT_EQ(ReadBytes(dir / "taken.c"), "other\n");
    EXPECT_EQ(doc.name, dir / "a.c");
    EXPECT_FALSE(SaveCurrentDocumentAs("  ", nullptr));
    EXPECT_EQ(doc.name, dir / "a.c");

    ASSERT_TRUE(SaveCurrentDocumentAs(dir / "b.txt", nullptr));
    EXPECT_EQ(doc.name, dir / "b.txt");
    EXPECT_EQ(ReadBytes(dir / "b.txt"), "int x;\r\n");
    EXPECT_EQ(ReadBytes(dir / "a.c"), "int x;\n");  // the old file stays as it was
    EXPECT_FALSE(doc.flags & (kModified | kCLanguage));
    EXPECT_EQ(doc.language, nullptr);
    // Its own name in another case: written again, no rename refused.
    ASSERT_TRUE(SaveCurrentDocumentAs(dir / "B.TXT", nullptr));
    EXPECT_EQ(doc.name, dir / "b.txt");
    ASSERT_TRUE(SaveCurrentDocumentAs(dir / "c.c", nullptr));
    EXPECT_TRUE(doc.flags & kCLanguage);
}

TEST_F(FileCommands, SaveAsOfTheInternalBufferShowsTheFileInItsPlace) {
    Document& buffer = *FindDocument(kUntitled, false);
    SetCurrentView(editor().views.front().get());
    ASSERT_TRUE(InsertString("typed\nhere"));
    EXPECT_EQ(SaveAsOffer(buffer), "");
    static bool opens;
    static std::string shown;
    ReplaceBufferWindow replace = [](const std::string& path) {
        shown = path;
        Document* doc = opens ? OpenDocument(path) : nullptr;
        if (doc) SetCurrentView(AddView(doc, 7));
        return doc != nullptr;
    };
    // The window cannot show the file: it is written, but the buffer keeps its text.
    opens = false;
    EXPECT_FALSE(SaveCurrentDocumentAs(dir / "u.c", replace));
    EXPECT_EQ(ReadBytes(dir / "u.c"), "typed\r\nhere\r\n");
    EXPECT_EQ(TextOf(buffer), "typed\nhere");
    std::remove((dir / "u.c").c_str());

    opens = true;
    ASSERT_TRUE(SaveCurrentDocumentAs(dir / "u.c", replace));
    EXPECT_EQ(shown, dir / "u.c");
    EXPECT_EQ(buffer.name, kUntitled);
    EXPECT_EQ(buffer.lineCount, 0);
    EXPECT_FALSE(buffer.flags & kModified);
    Document* saved = FindDocument(dir / "u.c", false);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(TextOf(*saved), "typed\nhere");

    // A name in use is refused before anything is written.
    SetCurrentView(editor().views.front().get());
    ASSERT_TRUE(InsertString("more"));
    WriteBytes(dir / "u.c", "on disk");
    EXPECT_FALSE(SaveCurrentDocumentAs(dir / "u.c", replace));
    EXPECT_EQ(Boxes(), "Name already used|");
    EXPECT_EQ(ReadBytes(dir / "u.c"), "on disk");
    EXPECT_EQ(TextOf(buffer), "more");
}

TEST_F(FileCommands, RenameRules) {
    SetCurrentView(editor().views.front().get());
    EXPECT_FALSE(MayRename(*CurrentDocument()));
    EXPECT_FALSE(RenameCurrentDocumentTo("x.c", dir.path));
    EXPECT_EQ(Boxes(), "Internal buffer|Internal buffer|");
    scripted.ui.boxes.clear();

    // Another document's name is refused as by Save as (the test above).
    Document& doc = Open("text\n", "r.c");
    EXPECT_TRUE(MayRename(doc));
    EXPECT_FALSE(RenameCurrentDocumentTo(" \t", dir.path));  // blank: nothing
    EXPECT_FALSE(RenameCurrentDocumentTo(doc.name));  // the same name: nothing
    EXPECT_EQ(Boxes(), "");
    EXPECT_FALSE(doc.flags & kModified);
    ASSERT_TRUE(RenameCurrentDocumentTo("new.h", dir.path));
    EXPECT_EQ(doc.name, dir / "new.h");
    EXPECT_TRUE(doc.flags & kModified);  // the new name has no file yet
    EXPECT_FALSE(doc.flags & kCLanguage);
    EXPECT_TRUE(FindDocument(dir / "NEW.H", false) == &doc);
}

TEST_F(FileCommands, TheLastWindowOfAChangedTextAsksBeforeClosing) {
    Document& doc = Open("text\n", "q.c");
    View* first = CurrentView();
    View* second = AddView(&doc, 2);
    // Unchanged: no question.
    EXPECT_TRUE(MayCloseView(*first));
    ASSERT_TRUE(InsertCharacters(1, '+'));
    // Another window still shows the text: no question either, and the text stays open.
    EXPECT_TRUE(MayCloseView(*first));
    ViewClosed(*first);
    EXPECT_EQ(FindDocument(dir / "q.c", false), &doc);
    EXPECT_TRUE(scripted.ui.boxes.empty());

    scripted.ui.answers = {platform::kAnswerCancel};
    EXPECT_FALSE(MayCloseView(*second));
    ASSERT_EQ(Boxes(), doc.name + " has been modified.\nSave the changes?|");
    EXPECT_EQ(scripted.ui.boxes[0].title, "Information");
    EXPECT_EQ(scripted.ui.boxes[0].style & 0xF, platform::kBoxYesNoCancel);
    scripted.ui.answers = {platform::kAnswerNo};
    EXPECT_TRUE(MayCloseView(*second));
    EXPECT_EQ(ReadBytes(doc.name), "text\n");
    // Yes saves; a save that fails keeps the window.
    platform::FileOps ops = platform::fileOps();
    ops.rename = [](const char*, const char*) { return false; };
    platform::setFileOps(ops);
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_FALSE(MayCloseView(*second));
    EXPECT_EQ(scripted.ui.boxes.back().text, "Impossible to replace " + doc.name + ". The file is unchanged.");
    platform::resetFileOps();
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_TRUE(MayCloseView(*second));
    EXPECT_EQ(ReadBytes(doc.name), "+text\r\n");
    ViewClosed(*second);
    EXPECT_EQ(FindDocument(dir / "q.c", false), nullptr);

    // The internal buffer is never asked about and never closed.
    View* buffer = editor().views.front().get();
    SetCurrentView(buffer);
    ASSERT_TRUE(InsertCharacters(1, 'b'));
    scripted.ui.boxes.clear();
    EXPECT_TRUE(MayCloseView(*buffer));
    ViewClosed(*buffer);
    EXPECT_TRUE(scripted.ui.boxes.empty());
    EXPECT_NE(FindDocument(kUntitled, false), nullptr);
}

}  // namespace
}  // namespace tarvo::editor::test
