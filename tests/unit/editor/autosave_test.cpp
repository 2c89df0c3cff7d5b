// Autosave: files written once per change, forgotten on save, found again after a crash.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "editor/autosave.h"
#include "editor/edit.h"
#include "editor/file_commands.h"
#include "editor_test_util.h"
#include "file_faults.h"

namespace tarvo::editor::test {
namespace {

bool accept = true;
std::string offeredFolders;  // the folders the last restore offer named
std::string userFolder;      // the user's own folder, for a root that cannot be written

class Autosave : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        base::settings().compilerRoot = dir.path;
        base::settings().editorFlags = base::kEditorAutoSave;
        accept = true;
        offeredFolders.clear();
        userFolder.clear();
        editor().seam.chooseRestore = [](const std::vector<std::string>&, const std::string& folders) {
            offeredFolders = folders;
            return accept;
        };
        editor().seam.userDataFolder = [] { return userFolder; };
    }
    // What a start brings back from the autosave files, as "name: text|" each.
    std::string Restored() {
        std::vector<Document*> docs;
        if (!StartAutosave(&docs)) return "not started";
        std::string all;
        for (Document* d : docs) all += d->name + ": " + TextOf(*d) + "|";
        return all;
    }
    std::vector<std::string> Saved() const {
        std::vector<std::string> names = platform::ListDirectory(dir / "tarvoautosave");
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Autosave, WrittenOncePerChangeAndForgottenOnSave) {
    Document& doc = Open("one\ntwo\n", "Main.C");
    EXPECT_EQ(AutosaveTick(), 0);  // nothing changed yet
    ASSERT_TRUE(InsertCharacters(1, '+'));
    EXPECT_EQ(AutosaveTick(), 1) << Boxes();
    EXPECT_EQ(scripted.ui.status.back(), "1 files autosaved");
    EXPECT_TRUE(doc.flags & kAutoSaved);
    EXPECT_EQ(AutosaveTick(), 0);  // once per change (what it holds: the crash tests below)
    ASSERT_TRUE(InsertCharacters(1, '+'));
    EXPECT_EQ(AutosaveTick(), 1);

    // Another file of the same name elsewhere has an autosave file of its own.
    std::filesystem::create_directory(dir / "sub");
    Open("other\n", "sub/main.c", 2);
    ASSERT_TRUE(InsertCharacters(1, '-'));
    EXPECT_EQ(AutosaveTick(), 1);
    ASSERT_EQ(Saved().size(), 2u);
    EXPECT_EQ(Saved()[0].substr(0, 7), "main.c.");

    ASSERT_TRUE(SaveCurrentDocument());
    EXPECT_EQ(Saved().size(), 1u);
    EXPECT_FALSE(CurrentDocument()->flags & kAutoSaved);
}

TEST_F(Autosave, ACrashedRunIsRestoredAtTheNextStart) {
    const std::string name = dir / "my file.c";  // a blank in the path, and so in the file's header
    WriteBytes(name, "on disk\n");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Document* doc = OpenDocument(name);
        SetCurrentView(AddView(doc, 1));
        InsertString("unsaved ");
        AutosaveTick();
        kill(getpid(), SIGKILL);  // no exit sequence: the files stay
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(Saved().size(), 1u);

    EXPECT_EQ(Restored(), name + ": unsaved on disk|");
    Document& doc = *FindDocument(name, false);
    EXPECT_TRUE(doc.flags & kModified);
    EXPECT_EQ(doc.fileTime, platform::FileTime(name));  // no reload offer over the restored text
    EXPECT_EQ(Boxes(), "Autosaved files restored in the editor|");
    EXPECT_EQ(Saved().size(), 1u);  // kept until saved or a normal exit
    StopAutosave();
    EXPECT_TRUE(Saved().empty());
    EXPECT_EQ(ReadBytes(name), "on disk\n");
}

TEST_F(Autosave, RestoreIntoAnOpenDocumentAndCancelling) {
    Open("text\n");
    ASSERT_TRUE(InsertCharacters(1, '>'));
    ASSERT_EQ(AutosaveTick(), 1);
    WriteBytes(dir / "tarvoautosave/stray.txt", "not ours\n");
    ResetEditor();  // the crash
    Document& again = Open("text\n");
    std::int64_t time = again.fileTime;

    accept = false;  // cancelled; and no to erasing
    EXPECT_EQ(RestoreAutosaved(), 0);
    EXPECT_EQ(Boxes(), "Erase the autosaved files?|");
    EXPECT_EQ(Saved().size(), 2u);

    accept = true;
    EXPECT_EQ(RestoreAutosaved(), 1);
    EXPECT_EQ(TextOf(again), ">text");
    EXPECT_EQ(again.fileTime, time);
    EXPECT_TRUE(again.flags & (kModified | kAutoSaved));

    accept = false;
    scripted.ui.answers = {platform::kAnswerYes};
    EXPECT_EQ(RestoreAutosaved(), 0);
    EXPECT_EQ(Saved(), std::vector<std::string>{"stray.txt"});  // only autosave files go
}

TEST_F(Autosave, FailuresSwitchAutosaveOffOrStopTheTick) {
    platform::FileOps ops = platform::fileOps();
    // Writing fails; reading the documents still works.
    ops.open = [](const char* path, const char* mode) -> std::FILE* {
        return mode[0] == 'r' ? std::fopen(path, mode) : nullptr;
    };
    platform::setFileOps(ops);
    std::filesystem::create_directory(dir / "tarvoautosave");
    EXPECT_FALSE(StartAutosave());
    EXPECT_EQ(Boxes(), "Impossible to write to autosave dir\n" + dir.path + "\\tarvoautosave\nAutosave will be disabled|");
    EXPECT_FALSE(base::settings().editorFlags & base::kEditorAutoSave);

    base::settings().editorFlags = base::kEditorAutoSave;
    Document& first = Open("a\n", "a.c");
    InsertCharacters(1, 'x');
    Open("b\n", "b.c", 2);
    InsertCharacters(1, 'x');
    scripted.ui.boxes.clear();
    EXPECT_EQ(AutosaveTick(), 0);
    EXPECT_EQ(Boxes(), "Impossible to autosave " + AutosavePath(first) + ". Disk Full?|");  // once
    EXPECT_FALSE(first.flags & kAutoSaved);
}

// An installed root that the user cannot write: autosave goes to the user's own folder, a
// killed run's text is offered from there, and found there again once the root is writable.
TEST_F(Autosave, AnUnwritableRootUsesTheUsersFolder) {
    const std::string root = dir / "root";
    std::filesystem::create_directories(platform::HostPath(root + "\\tarvoautosave"));
    base::settings().compilerRoot = root;
    std::filesystem::create_directory(dir / "appdata");
    userFolder = dir / "appdata\\Tarvo\\";  // not there yet, with a trailing backslash
    static std::string closed;
    closed = platform::HostPath(root);
    auto refuseRoot = [] {
        platform::FileOps ops = platform::fileOps();
        ops.open = [](const char* path, const char* mode) -> std::FILE* {
            if (mode[0] != 'r' && std::string(path).rfind(closed, 0) == 0) return nullptr;
            return std::fopen(path, mode);
        };
        ops.create = [](const char* path) -> std::FILE* {
            return std::string(path).rfind(closed, 0) == 0 ? nullptr : std::fopen(path, "wbx");
        };
        platform::setFileOps(ops);
    };
    refuseRoot();
    const std::string name = dir / "kept.c";
    WriteBytes(name, "disk\n");
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<Document*> none;
        if (!StartAutosave(&none)) _exit(2);
        SetCurrentView(AddView(OpenDocument(name), 1));
        InsertString("typed ");
        if (AutosaveTick() != 1) _exit(3);
        kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << WEXITSTATUS(status);
    const std::string userDir = dir / "appdata\\Tarvo\\tarvoautosave";
    EXPECT_EQ(platform::ListDirectory(userDir).size(), 1u);
    EXPECT_TRUE(platform::ListDirectory(root + "\\tarvoautosave").empty());

    EXPECT_EQ(Restored(), name + ": typed disk|");
    EXPECT_EQ(offeredFolders, userDir);
    EXPECT_EQ(AutosaveDirectory(), userDir);
    EXPECT_EQ(Boxes(), "Autosaved files restored in the editor|");  // no "autosave disabled"

    // The root is writable again: the root's folder is used, the user's files still offered.
    ResetEditor();
    platform::resetFileOps();
    EXPECT_EQ(Restored(), name + ": typed disk|");
    EXPECT_EQ(offeredFolders, userDir);
    EXPECT_EQ(AutosaveDirectory(), root + "\\tarvoautosave");
    StopAutosave();
    EXPECT_TRUE(platform::ListDirectory(userDir).empty());  // a normal exit leaves none

    // Neither folder can be written: both are named, and autosave is off.
    ResetEditor();
    closed = platform::HostPath(dir.path);
    refuseRoot();
    scripted.ui.boxes.clear();
    EXPECT_EQ(Restored(), "not started");
    EXPECT_EQ(Boxes(), "Impossible to write to autosave dir\n" + root + "\\tarvoautosave\n" + userDir +
                           "\nAutosave will be disabled|");
    EXPECT_FALSE(base::settings().editorFlags & base::kEditorAutoSave);
}

// A renamed document's autosave file goes with its old name: after a crash it would offer
// the old text under a name the document no longer has.
TEST_F(Autosave, RenamingForgetsTheOldNamesFile) {
    Document& doc = Open("text\n", "old.c");
    ASSERT_TRUE(InsertCharacters(1, '+'));
    ASSERT_EQ(AutosaveTick(), 1);
    const std::string old = AutosavePath(doc);
    ASSERT_TRUE(platform::FileExists(old));
    ASSERT_TRUE(RenameCurrentDocument(dir / "new.c"));
    EXPECT_FALSE(platform::FileExists(old));
    EXPECT_FALSE(doc.flags & kAutoSaved);
    ASSERT_EQ(AutosaveTick(), 1);
    EXPECT_EQ(Saved().size(), 1u);
    EXPECT_EQ(Saved()[0].substr(0, 6), "new.c.");
    // Save as renames too; the saved text needs no autosave file at all.
    ASSERT_TRUE(InsertCharacters(1, '*'));
    ASSERT_EQ(AutosaveTick(), 1);
    ASSERT_TRUE(SaveCurrentDocumentAs(dir / "third.c", nullptr));
    EXPECT_TRUE(Saved().empty());
    ASSERT_TRUE(DeleteBackward(1));
    ASSERT_TRUE(RenameCurrentDocument(dir / "new.c"));
    ASSERT_EQ(AutosaveTick(), 1);
    // Nothing of the old names is offered after a crash.
    ResetEditor();
    EXPECT_EQ(Restored(), dir / "new.c" + ": +text|");
}

// Every file operation of an autosave fails in turn, n = 1, 2, ... until a tick meets no
// failure. Each time the autosave file holds the earlier text or the new one, whole; the
// document keeps its text; a later tick writes it; and a crash then brings the new text back.
TEST_F(Autosave, EveryFailureLeavesAWholeAutosaveFile) {
    const std::string earlier = "first line one\r\nline two\r\n";
    const std::string later = "first second line one\r\nline two\r\n";
    long n = 0;
    for (bool met = true; met;) {
        ++n;
        SCOPED_TRACE("failing call " + std::to_string(n));
        ResetEditor();
        std::filesystem::remove_all(dir / "tarvoautosave");
        Document* doc = &Open("line one\nline two\n");
        const std::string name = doc->name;
        ASSERT_TRUE(InsertString("first "));
        ASSERT_EQ(AutosaveTick(), 1);
        ASSERT_TRUE(InsertString("second "));
        const std::string text = TextOf(*doc);
        const std::string path = AutosavePath(*doc);
        auto body = [&] {
            std::string bytes = ReadBytes(platform::HostPath(path));
            return bytes.substr(bytes.find("\r\n") + 2);
        };
        scripted.ui.boxes.clear();

        tarvo::test::FaultPlan plan;
        const int written = tarvo::test::WithFailingCall(n, plan, AutosaveTick);
        met = plan.Met();
        SCOPED_TRACE("the failed call: " + plan.failed);

        EXPECT_EQ(TextOf(*doc), text);
        if (written == 1) {
            EXPECT_EQ(body(), later);
            EXPECT_TRUE(doc->flags & kAutoSaved);
        } else {
            EXPECT_EQ(body(), earlier);
            EXPECT_FALSE(doc->flags & kAutoSaved);
            EXPECT_EQ(Boxes(), "Impossible to autosave " + path + ". Disk Full?|");
            ASSERT_EQ(AutosaveTick(), 1);
            EXPECT_EQ(body(), later);
        }
        // The crash: the next start brings the latest text back.
        ResetEditor();
        EXPECT_EQ(Restored(), name + ": " + text + "|");
        StopAutosave();
        EXPECT_EQ(Saved(), std::vector<std::string>{});
    }
    EXPECT_GT(n, 4);
}

}  // namespace
}  // namespace tarvo::editor::test
