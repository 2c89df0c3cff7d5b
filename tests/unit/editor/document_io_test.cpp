// Saving documents (line ends, trailing blanks, backups, the CMS date stamp, failures that
// must leave the old file whole) and reloading files changed on disk.
#include "editor/edit.h"
#include "editor/file_commands.h"
#include "editor/autosave.h"
#include "editor_test_util.h"
#include "file_faults.h"

#include <map>

namespace tarvo::editor::test {
namespace {

class Saving : public EditorTest {
protected:
    std::vector<std::string> Files() const {
        std::vector<std::string> names = platform::ListDirectory(dir.path);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Saving, CrLfAfterEveryLineAndNoTrailingBlanks) {
    Document& doc = Open("int a;  \nb\t \n\nend");
    SetCursor({1, 8});
    CurrentView()->goalColumn = 8;
    ASSERT_TRUE(InsertCharacters(1, ' '));  // a change, and a cursor beyond the stripped end
    ASSERT_TRUE(SaveCurrentDocument());
    EXPECT_EQ(ReadBytes(doc.name), "int a;\r\nb\r\n\r\nend\r\n");
    EXPECT_EQ(TextOf(doc), "int a;\nb\n\nend");
    EXPECT_EQ(CursorPosition(), (Position{1, 6}));
    EXPECT_EQ(CurrentView()->goalColumn, 6);
    EXPECT_FALSE(doc.flags & kModified);
    EXPECT_EQ(doc.fileTime, platform::FileTime(doc.name));
    EXPECT_EQ(Files(), std::vector<std::string>{"a.c"});  // no scratch file left behind

    WriteBytes(doc.name, "changed behind our back");
    EXPECT_TRUE(SaveCurrentDocument());  // nothing to save: nothing written
    EXPECT_EQ(ReadBytes(doc.name), "changed behind our back");
}

TEST_F(Saving, CmsDateStampIsPaddedWithBlanks) {
    editor().seam.localTime = [](std::tm& now) {
        now = {};
        now.tm_year = 126, now.tm_mon = 2, now.tm_mday = 4, now.tm_hour = 5, now.tm_min = 6, now.tm_sec = 7;
        return true;
    };
    const std::string line = "static char *_CMSID = \"$Date: 1999.12.31.23.59.59 xxxxx $\";";
    Document& doc = Open("int x;\n" + line + "\n");
    doc.flags |= kModified;
    ASSERT_TRUE(SaveCurrentDocument());
    std::string stamped = TextOfLine(2);
    // 27 characters between the colon and the dollar: the time, then 13 blanks.
    EXPECT_EQ(stamped, "static char *_CMSID = \"$Date:2026.3.4.5.6.7" + std::string(13, ' ') + "$\";");
    EXPECT_EQ(stamped.size(), line.size());
    EXPECT_TRUE(doc.flags & kHasCmsIdLine);

    // Too little room: the time is cut at the dollar; no dollar: nothing is written.
    Document& tight = Open("static char *_CMSID = \"$Date:12$\";\nstatic char *_CMSID = \"$Date: none\n", "b.c");
    tight.flags |= kModified;
    ASSERT_TRUE(SaveCurrentDocument());
    EXPECT_EQ(TextOfLine(1), "static char *_CMSID = \"$Date:20$\";");
    EXPECT_EQ(TextOfLine(2), "static char *_CMSID = \"$Date: none");
}

TEST_F(Saving, QuestionsBeforeSaving) {
    Document& doc = Open("x\n");
    doc.flags |= kModified | kLoadIncomplete;
    scripted.ui.answers = {platform::kAnswerNo};
    EXPECT_FALSE(SaveCurrentDocument());
    EXPECT_EQ(Boxes(), "File contains truncated lines\nSave anyway?|");
    EXPECT_EQ(ReadBytes(doc.name), "x\n");

    static Language* const kSomeLanguage = reinterpret_cast<Language*>(&doc);
    doc.language = kSomeLanguage;
    base::settings().editorFlags |= base::kEditorCheckSyntax;
    editor().seam.checkBeforeSave = [](Document&, std::string& problem) {
        problem = "Missing }";
        return false;
    };
    scripted.ui.answers = {platform::kAnswerYes, platform::kAnswerNo};
    EXPECT_FALSE(SaveCurrentDocument());
    EXPECT_EQ(scripted.ui.boxes.back().text, "Missing }\nSave?");
    EXPECT_FALSE(doc.flags & kLoadIncomplete);  // the yes was remembered
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_TRUE(SaveCurrentDocument());
    EXPECT_EQ(ReadBytes(doc.name), "x\r\n");

    EXPECT_FALSE(WriteFile(dir / "nobody.c"));
    EXPECT_EQ(scripted.ui.boxes.back().text, "Internal error: File " + (dir / "nobody.c") + " does not exist!");
    EXPECT_FALSE(platform::FileExists(dir / "nobody.c"));
}

// Every file operation of a save fails in turn, n = 1, 2, ... until a save meets no failure.
// Each time the file is the old text or the new one, whole; the document keeps its text; a
// failed save says why, and a later save works; with backups a save that worked left the old
// text in the backup; and a normal exit leaves no autosave file that a later start would offer.
class SaveFaults : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        base::settings().compilerRoot = dir.path;
    }
    // The names in a folder that are scratch files of unfinished replacements.
    std::vector<std::string> Scratch(const std::string& folder) const {
        std::vector<std::string> found;
        for (const std::string& name : platform::ListDirectory(folder))
            if (name.ends_with(".~tmp")) found.push_back(name);
        return found;
    }
};

TEST_F(SaveFaults, EveryFailureLeavesAWholeFileAndTheText) {
    const std::string old = "int old;\r\nint kept;\r\n";
    const std::string wanted = "int added;\r\nint old;\r\nint kept;\r\n";
    for (bool backups : {false, true}) {
        long n = 0;
        for (bool met = true; met;) {
            ++n;
            SCOPED_TRACE((backups ? "with backups, failing call " : "failing call ") + std::to_string(n));
            ResetEditor();
            std::filesystem::remove_all(dir / "tarvoautosave");
            base::settings().editorFlags = base::kEditorAutoSave | (backups ? base::kEditorBackups : 0);
            Document& doc = Open(old, "f.c");
            const std::string backup = platform::BackupName(doc.name);
            WriteBytes(backup, "older backup");
            ASSERT_TRUE(InsertString("int added;\n"));
            ASSERT_EQ(AutosaveTick(), 1);  // a file the save has to forget
            const std::string text = TextOf(doc);
            scripted.ui.boxes.clear();

            tarvo::test::FaultPlan plan;
            const bool saved = tarvo::test::WithFailingCall(n, plan, SaveCurrentDocument);
            met = plan.Met();
            SCOPED_TRACE("the failed call: " + plan.failed);

            const std::string disk = ReadBytes(doc.name);
            EXPECT_EQ(disk, saved ? wanted : old);
            EXPECT_EQ(TextOf(doc), text);
            if (saved) {
                EXPECT_FALSE(doc.flags & kModified);
                if (backups) {
                    EXPECT_EQ(ReadBytes(backup), old);
                }
            } else {
                EXPECT_TRUE(doc.flags & kModified);
                const std::map<std::string, std::string> told = {
                    {"open", "Impossible to open " + doc.name + " for writing!|"},
                    {"write", "Write error. Is the disk full?|"},
                    {"close", "Write error. Is the disk full?|"},
                    {"flush", "Write error. Is the disk full?|"},
                    {"rename", "Impossible to replace " + doc.name + ". The file is unchanged.|"}};
                EXPECT_EQ(Boxes(), told.count(plan.failed) ? told.at(plan.failed) : "?");
                ASSERT_TRUE(SaveCurrentDocument()) << Boxes();
                EXPECT_EQ(ReadBytes(doc.name), wanted);
            }
            if (plan.failed != "remove") {
                EXPECT_EQ(Scratch(dir.path), std::vector<std::string>{});
            }
            StopAutosave();
            EXPECT_EQ(platform::ListDirectory(dir / "tarvoautosave"), std::vector<std::string>{});
        }
        EXPECT_GT(n, 6);  // the loop went through the whole save
    }
}

using Loading = EditorTest;

// A file holding NUL bytes is no text: saving it after an edit would change it (line ends,
// trailing blanks). It opens read only with the reason; the user may allow changes.
TEST_F(Loading, ABinaryFileOpensReadOnlyAndSaysWhy) {
    const std::string bytes("MZ\x90\0\x03\0\0\0  \r\nPE\0\0L\x01 \n\xff\xfe", 22);
    Document& doc = Open(bytes, "tool.exe");
    EXPECT_TRUE(doc.flags & kReadOnly);
    EXPECT_EQ(Boxes(), doc.name + " holds NUL bytes: it is not a text file, and saving it would change it. It is open "
                                  "read only (the Read only command allows changes).|");
    EXPECT_TRUE(SaveCurrentDocument());  // nothing changed: nothing written
    EXPECT_EQ(ReadBytes(doc.name), bytes);
    ASSERT_TRUE(ReloadDocument(doc));
    EXPECT_TRUE(doc.flags & kReadOnly);
    // Deliberately switched off: the text can be changed and saved like any other.
    ASSERT_TRUE(ToggleReadOnly());
    EXPECT_EQ(scripted.ui.status.back(), doc.name + " can be changed again");
    ASSERT_TRUE(TypeCharacter('x', 1));
    ASSERT_TRUE(SaveCurrentDocument());
    EXPECT_EQ(ReadBytes(doc.name).substr(0, 3), "xMZ");
    // Text files, even with bytes above 127, open as they are.
    scripted.ui.boxes.clear();
    Document& text = Open("caf\xe9\n\x7f\n", "b.c", 2);
    EXPECT_FALSE(text.flags & kReadOnly);
    EXPECT_EQ(Boxes(), "");
}

using Reloading = EditorTest;

TEST_F(Reloading, AChangedFileIsOfferedOncePerChange) {
    Document& doc = Open("one\n\tfirst\nthree\n");
    SetCursor({2, 1});  // display column 4
    LogAction(1, kActionLeftClick, 0, 0);
    const std::int64_t loaded = doc.fileTime;
    WriteBytes(doc.name, "ONE\n  \tSECOND\n");
    platform::SetFileTime(doc.name, loaded + 1000000000);

    EXPECT_EQ(CheckFilesOnDisk(), 1);  // answered no
    EXPECT_EQ(Boxes(), "File " + doc.name + " has been changed. Reload from disk?|");
    EXPECT_EQ(CheckFilesOnDisk(), 0);
    EXPECT_EQ(scripted.ui.boxes.size(), 1u);
    EXPECT_EQ(TextOf(doc), "one\n\tfirst\nthree");

    platform::SetFileTime(doc.name, loaded + 2000000000);  // changed again
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_EQ(CheckFilesOnDisk(), 1);
    EXPECT_EQ(scripted.ui.boxes.size(), 2u);
    EXPECT_EQ(TextOf(doc), "ONE\n  \tSECOND");
    EXPECT_EQ(CursorPosition(), (Position{2, 3}));  // same line, same display column
    EXPECT_TRUE(actionLog().records.empty());
    EXPECT_EQ(doc.flags & kModified, 0);
}

TEST_F(Reloading, ReloadAsksFirstAndNeedsTheFile) {
    Document& doc = Open("disk\n");
    ASSERT_TRUE(InsertCharacters(1, '!'));
    EXPECT_FALSE(ReloadCurrentDocument());
    EXPECT_EQ(Boxes(), "Discard changes and reload?|");
    EXPECT_EQ(TextOf(doc), "!disk");
    std::remove(doc.name.c_str());
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_FALSE(ReloadCurrentDocument());
    EXPECT_EQ(scripted.ui.boxes.back().text, "File read or write error.");
    EXPECT_EQ(TextOf(doc), "!disk");
    EXPECT_TRUE(doc.flags & kModified);  // the unsaved text is still known to be unsaved
}

}  // namespace
}  // namespace tarvo::editor::test
