// Drives tarvo.exe for the GUI tests: starts it with a command tail and a prepared registry,
// finds its windows, sends commands and keys, answers its message boxes, reads texts and the
// registry afterwards, and saves screenshots. Tests run inside the build's Wine prefix; each
// test starts from an emptied Software\vex key instead of a new prefix.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "test_util_win.h"

namespace tarvo::gui {

using test::BuildRoot, test::ClassOf, test::ReadTextFile, test::ScratchDir, test::Screenshot, test::Text,
    test::WriteTextFile;

// The tarvo.exe of this build (root\bin\tarvo.exe).
std::string TarvoExe();

// Registry below HKEY_CURRENT_USER.
void DeleteKey(const std::string& key);
void SetValue(const std::string& key, const std::string& name, const std::string& text);
bool GetValue(const std::string& key, const std::string& name, std::string& text);
// Removes all settings and sets up the compiler keys so the program does not ask for its root.
void ResetSettings();

struct Running {
    PROCESS_INFORMATION process{};
    HWND frame = nullptr;
};

// Starts tarvo.exe with the tail in the folder, in this process's environment; waits until its
// frame is visible.
bool Start(Running& tarvo, const std::string& tail, const std::string& folder = "");
// Starts tarvo.exe without waiting; then WaitForFrame (which needs the frame visible).
// A minimised start is the one a shortcut set to "Minimized" makes.
bool Launch(Running& tarvo, const std::string& tail, const std::string& folder = "", bool minimised = false);
bool WaitForFrame(Running& tarvo, DWORD milliseconds = 30000);
// Asks the frame to close and waits for the process to end; false on time-out.
bool Close(Running& tarvo, DWORD* exitCode = nullptr);
// Ends the process if it still runs (always call, so a failed test leaves nothing behind).
void Kill(Running& tarvo);

// A top-level window of the process that the test accepts, or null.
HWND FindTopLevel(DWORD pid, const std::function<bool(HWND)>& wanted);
// A clock in milliseconds, for the benchmarks.
double Milliseconds();

HWND MdiClient(HWND frame);
std::vector<HWND> MdiChildren(HWND frame);
HWND ChildOfClass(HWND parent, const char* className);
// Whether the window shows a menu bar. (Wine keeps menus inside their process, so another
// process can see that a menu exists and where it is drawn, but not read its items.)
bool HasMenuBar(HWND frame);

LRESULT Command(HWND frame, unsigned id, LPARAM param = 0);
// Polls until the condition holds; false after the time-out.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = 5000);
// Waits until the program has handled everything posted to it so far and painted what was
// pending; false when that did not happen within the time-out.
bool Settle(const Running& tarvo, DWORD milliseconds = 10000);

// A message box of the process, waited for up to the time-out; null when none came.
HWND WaitForBox(const Running& tarvo, DWORD milliseconds = 15000);
std::string BoxText(HWND box);
// Presses a button of a box (IDOK, IDYES, IDNO, IDCANCEL).
void Answer(HWND box, int button);
// Whether the start-up banner is up.
bool Banner(const Running& tarvo);
// Puts a text into the program's shared command area "tarvo".
bool WriteSharedArea(const std::string& text);

}  // namespace tarvo::gui
