// The program's window layer inside the test process, made by the program's own start-up
// (shell/startup_win.h): window classes, menus, the frame with its MDI client and output bar,
// the dispatcher's hooks and the editor seam. The settings live in memory and the core's boxes
// are scripted. Modal dialogs are answered by steps that a thread timer runs inside their
// modal loops, so a command that opens one simply returns when it is answered.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "editor/editor_window_win.h"
#include "scripted_ui.h"
#include "test_util_win.h"

namespace tarvo::test {

using enum editor::EditorQuery;

// Handles messages until the condition holds; false after the time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000);
// Handles messages until the frame has had everything posted to it so far, and has painted.
void Sync();
// Key presses through the input queue, held together and released in reverse order: the
// program sees Ctrl, Shift and Alt as a user holds them. Handled before it returns.
void Chord(std::vector<WORD> keys);

// A step answers one modal dialog of this thread. Steps run in order, each on the next dialog
// that waits for the user; a dialog finding no step left is cancelled and counted as unexpected.
using DialogStep = std::function<void(HWND dialog)>;
void AnswerDialogs(std::vector<DialogStep> steps);
// Clicks a button of a dialog; returns once the dialog has handled the click.
void Press(HWND dialog, int button);
// Types the names into a common file dialog's name box and presses OK.
void ChooseInFileDialog(HWND dialog, const std::string& names);
// Ends the compiler-system steps of a new project with Finish, as they stand.
void FinishSteps(HWND steps);

// The rows of the output bar's message list.
std::vector<std::string> ListedMessages();

// An editor window's view, through the editor's query message.
LRESULT Query(HWND editor, WPARAM what, LPARAM argument = 0);
std::string DocumentText(HWND editor);         // the lines joined by LF
std::string ScreenRow(HWND editor, int row);   // what a row of the window shows
bool Modified(HWND editor);
// Characters and keys straight to the window procedure: each is handled and painted on return.
void Type(HWND editor, const std::string& text, int repeat = 1);
void Key(HWND editor, WORD key, int repeat = 1);

class ProgramTest : public ::testing::Test {
protected:
    // A frame with no documents, settings read from an emptied store, a scratch folder.
    void SetUp() override;
    // Closes every window (without questions) and checks every dialog step was used.
    void TearDown() override;
    // Stores values under the program's main key and reads the settings again, as a start does.
    void UseSettings(const std::vector<std::pair<std::string, std::string>>& values);
    // Opens a file of the test's folder holding `text` as the command line does (maximised).
    HWND Open(const std::string& name, const std::string& text);
    LRESULT Command(unsigned id);
    std::string Status();  // the last status line
    std::vector<std::string> BoxTexts();  // the texts of the core's boxes so far
    // Makes the test's folder the current project "demo", with its version store in CMS and
    // the user carol, no put or get options.
    void UseDemoProjectWithStore();
    ScriptedUi* shown = nullptr;
    std::string dir, file;
    HWND frame = nullptr;
};

}  // namespace tarvo::test
