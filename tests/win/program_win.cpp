#include "program_win.h"

#include <commctrl.h>
#include <dlgs.h>

#include <deque>

#include "base/app_win.h"
#include "base/messages.h"
#include "project/build_win.h"
#include "base/settings_store.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "editor/search_state.h"
#include "platform/memory_settings.h"
#include "shell/commands_win.h"
#include "shell/editor_seam_win.h"
#include "shell/session_settings.h"
#include "shell/shell_state.h"
#include "shell/startup_win.h"
#include "tools/tools_messages.h"

namespace tarvo::test {
namespace {

// The steps still to run, and the titles of dialogs that found no step left.
std::deque<DialogStep> steps;
std::vector<std::string> unexpected;

// A progress window that disables the frame while work runs: no question for the user, and
// its Cancel would stop the work a test waits for.
bool ShowsProgress(HWND window) { return Text(window) == base::GetString(tools::kMsgHelpProgressTitle); }

// The dialog waiting for the user: visible and enabled (a dialog under a nested one is disabled),
// and modal, so its owner is disabled (most progress windows leave the frame enabled).
BOOL CALLBACK FindWaitingDialog(HWND window, LPARAM found) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
    if (ShowsProgress(window)) return TRUE;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner && IsWindowEnabled(owner)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// A step runs to its end before the next tick finds a dialog, except inside a dialog its own
// click opened: that one is the next step's.
void CALLBACK AnswerWaitingDialog(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindWaitingDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    if (steps.empty()) {
        // Named by its title, else by the texts of its first controls.
        std::string name = Text(dialog);
        for (HWND child = GetWindow(dialog, GW_CHILD); name.size() < 80 && child; child = GetWindow(child, GW_HWNDNEXT))
            name += "[" + Text(child) + "]";
        unexpected.push_back(name);
        Press(dialog, IDCANCEL);
        return;
    }
    DialogStep step = std::move(steps.front());
    steps.pop_front();
    step(dialog);
}

// The characters of line or row `index`, through a length query and a character query.
std::string QueryChars(HWND editor, WPARAM length, WPARAM character, long index) {
    std::string text;
    for (long i = 0, n = static_cast<long>(Query(editor, length, index)); i < n; ++i)
        text += static_cast<char>(Query(editor, character, MAKELPARAM(i, index)));
    return text;
}

// Creates the key as the registry would, and stores the value.
void Store(const char* key, const std::string& name, const std::string& value) {
    platform::settingsBackend().createKey(key);
    platform::settingsBackend().writeValue(key, name, value);
}

// What is queued for this thread, handled as the program's message loop does.
void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) shell::HandleMessage(msg);
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void Sync() {
    static UINT_PTR ticket = 0;
    HWND frame = base::app().frame;
    HANDLE wanted = reinterpret_cast<HANDLE>(++ticket);
    PostMessageA(frame, base::kMsgSync, ticket, 0);
    EXPECT_TRUE(WaitUntil([&] { return GetPropA(frame, base::kSyncProperty) == wanted; }));
}

void Chord(std::vector<WORD> keys) {
    EXPECT_EQ(GetForegroundWindow(), base::app().frame) << "the keys would go to another window";
    std::vector<INPUT> inputs(2 * keys.size());
    for (std::size_t down = 0, up = inputs.size() - 1; down < keys.size(); ++down, --up) {
        inputs[down].type = inputs[up].type = INPUT_KEYBOARD;
        inputs[down].ki.wVk = inputs[up].ki.wVk = keys[down];
        inputs[up].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    // The keys are queued for this thread when SendInput returns; what they post comes first.
    EXPECT_TRUE(WaitUntil([] { return !(HIWORD(GetQueueStatus(QS_KEY)) & QS_KEY); }));
}

void AnswerDialogs(std::vector<DialogStep> script) { steps.assign(script.begin(), script.end()); }

void Press(HWND dialog, int button) {
    LPARAM control = reinterpret_cast<LPARAM>(GetDlgItem(dialog, button));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), control);
}

void ChooseInFileDialog(HWND dialog, const std::string& names) {
    // The file name box of the common dialog: an edit field in a combo box in an extended one.
    HWND name = GetDlgItem(dialog, cmb13);
    for (const char* inner : {"ComboBox", "Edit"})
        if (HWND child = name ? FindWindowExA(name, nullptr, inner, nullptr) : nullptr) name = child;
    ASSERT_NE(name, nullptr);
    SetWindowTextA(name, names.c_str());
    Press(dialog, IDOK);
}

void FinishSteps(HWND steps) { PropSheet_PressButton(steps, PSBTN_FINISH); }

LRESULT Query(HWND editor, WPARAM what, LPARAM argument) {
    return SendMessageA(editor, editor::kMsgEditorQuery, what, argument);
}

std::string DocumentText(HWND editor) {
    std::string text;
    for (long n = 1, count = static_cast<long>(Query(editor, kQueryLineCount)); n <= count; ++n)
        text += (n > 1 ? "\n" : "") + QueryChars(editor, kQueryLineLength, kQueryLineChar, n);
    return text;
}

std::string ScreenRow(HWND editor, int row) {
    return QueryChars(editor, kQueryScreenRowLength, kQueryScreenRowChar, row);
}

std::vector<std::string> ListedMessages() {
    HWND list = base::app().messageList;
    std::vector<std::string> rows;
    for (int i = 0, n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); i < n; ++i) {
        std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(text.c_str());
    }
    return rows;
}

bool Modified(HWND editor) { return Query(editor, kQueryFlags) & editor::kModified; }

void Type(HWND editor, const std::string& text, int repeat) {
    for (char c : text)
        SendMessageA(editor, WM_CHAR, c == '\n' ? '\r' : static_cast<unsigned char>(c), MAKELPARAM(repeat, 0));
}

void Key(HWND editor, WORD key, int repeat) { SendMessageA(editor, WM_KEYDOWN, key, MAKELPARAM(repeat, 0)); }

void ProgramTest::SetUp() {
    dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    platform::setSettingsBackend(platform::memorySettingsBackend());
    platform::ResetMemorySettings();
    // With the compiler's keys the settings give the root, and no first run is needed.
    Store(base::kCompilerKey, "includepath", BuildRoot() + "\\include");
    Store(base::kLinkerKey, "libpath", BuildRoot() + "\\lib");
    if (base::app().frame) {  // an earlier test of this process made it
        UseSettings({});
    } else {
        shell::shell().options.banner = false;
        shell::shell().startDirectory = dir;
        ASSERT_TRUE(shell::StartWindowLayer(GetModuleHandleA(nullptr)));
        shell::StartEditor(false);
        ShowWindow(base::app().frame, SW_SHOW);
    }
    frame = base::app().frame;
    // Dialogs are looked for all along, so an unexpected one cannot hang the test.
    static UINT_PTR dialogTimer = SetTimer(nullptr, 0, 20, AnswerWaitingDialog);
    ASSERT_NE(dialogTimer, 0u);
    SetForegroundWindow(frame);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == frame; }));
    shown = &InstallScriptedUi();
}

void ProgramTest::TearDown() {
    project::EndBuild();  // a build a test started ends with it
    for (HWND window : editor::DocumentWindows())
        SendMessageA(base::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    Pump();
    editor::ResetEditor();
    shell::shell().recentFiles.clear();
    if (shown) RestoreUi();
    EXPECT_TRUE(steps.empty()) << steps.size() << " dialogs never came";
    for (const std::string& title : unexpected) ADD_FAILURE() << "an unexpected dialog: " << title;
    steps.clear();
    unexpected.clear();
}

void ProgramTest::UseSettings(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, value] : values) Store(base::kMainKey, name, value);
    shell::ReadStartupSettings();
    editor::LoadFindFlags();
}

HWND ProgramTest::Open(const std::string& name, const std::string& text) {
    file = dir + "\\" + name;
    WriteTextFile(file, text);
    HWND window = shell::OpenAndRemember(file);
    EXPECT_NE(window, nullptr) << "could not open " << file;
    if (window) SendMessageA(base::app().client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(window), 0);
    Sync();
    return window;
}

void ProgramTest::UseDemoProjectWithStore() {
    base::Settings& s = base::settings();
    s.currentProject = "demo";
    s.projects = {"demo"};
    s.project.projectPath = dir;
    s.project.cmsDirectory = dir + "\\CMS";
    s.project.projectFlags |= base::kProjectUsesCms;
    s.project.userName = "carol";
    s.project.putOptions = 0;
    s.project.getOptions = 0;
}

LRESULT ProgramTest::Command(unsigned id) { return SendMessageA(frame, WM_COMMAND, id, 0); }

std::string ProgramTest::Status() { return shown->status.empty() ? "" : shown->status.back(); }

std::vector<std::string> ProgramTest::BoxTexts() {
    std::vector<std::string> texts;
    for (const ShownBox& box : shown->boxes) texts.push_back(box.text);
    return texts;
}

}  // namespace tarvo::test
