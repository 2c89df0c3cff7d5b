// Helpers of the editor's GUI tests: the active editor window, its view's numbers and text
// through the editor's query message, typing, keys and key chords.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness_win.h"

namespace tarvo::gui::edit {

// The editor's query message and its questions (editor/editor_window_win.h).
inline constexpr UINT kQuery = WM_APP + 0x140;
enum : WPARAM {
    kCursorLine = 0, kCursorColumn = 1, kTopLine = 2, kLineCount = 3, kAnchorLine = 4, kAnchorColumn = 5,
    kFlags = 6, kLeftColumn = 7, kLineMarks = 8, kRows = 9, kOvertype = 10, kLineLength = 11, kLineChar = 12,
    kScreenRowLength = 13, kScreenRowChar = 14,
};
inline constexpr LRESULT kModified = 0x0002;

inline HWND ActiveEditor(HWND frame) {
    HWND client = MdiClient(frame);
    return client ? reinterpret_cast<HWND>(SendMessageA(client, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

inline LRESULT Query(HWND editor, WPARAM what, LPARAM argument = 0) {
    DWORD_PTR result = static_cast<DWORD_PTR>(-1);
    SendMessageTimeoutA(editor, kQuery, what, argument, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

inline std::string LineText(HWND editor, long n) {
    long length = static_cast<long>(Query(editor, kLineLength, n));
    std::string text;
    for (long i = 0; i < length; ++i) text += static_cast<char>(Query(editor, kLineChar, MAKELPARAM(i, n)));
    return text;
}

// What a row of the window shows (tabs expanded).
inline std::string ScreenRow(HWND editor, int row) {
    long length = static_cast<long>(Query(editor, kScreenRowLength, row));
    std::string text;
    for (long i = 0; i < length; ++i) text += static_cast<char>(Query(editor, kScreenRowChar, MAKELPARAM(i, row)));
    return text;
}

// The document as the window's view holds it, lines joined by LF.
inline std::string DocumentText(HWND editor) {
    long count = static_cast<long>(Query(editor, kLineCount));
    std::string text;
    for (long n = 1; n <= count; ++n) text += (n > 1 ? "\n" : "") + LineText(editor, n);
    return text;
}

// Characters and keys go straight to the window procedure, one after the other: each is
// handled (and painted) before the call returns.
inline void Type(HWND editor, const std::string& text, int repeat = 1) {
    for (char c : text) {
        WPARAM code = c == '\n' ? '\r' : static_cast<unsigned char>(c);
        DWORD_PTR ignored;
        SendMessageTimeoutA(editor, WM_CHAR, code, MAKELPARAM(repeat, 0), SMTO_NORMAL, 10000, &ignored);
    }
}

inline void Key(HWND editor, WORD key, int repeat = 1) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(editor, WM_KEYDOWN, key, MAKELPARAM(repeat, 0), SMTO_NORMAL, 10000, &ignored);
}

// Real key presses through the input queue, for chords with Ctrl, Shift or Alt: the program
// then sees the modifiers held. Its frame must be the foreground window.
inline void Chord(HWND frame, std::vector<WORD> keys) {
    SetForegroundWindow(frame);
    WaitUntil([&] { return GetForegroundWindow() == frame; }, 2000);
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        inputs.push_back(in);
    }
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The system clipboard's text, as the test process sees it; empty when it holds none.
inline std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* chars = static_cast<const char*>(GlobalLock(data))) text = chars;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

inline bool SetClipboardText(const std::string& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    bool ok = false;
    if (char* chars = block ? static_cast<char*>(GlobalLock(block)) : nullptr) {
        memcpy(chars, text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!ok && block) GlobalFree(block);
    CloseClipboard();
    return ok;
}

inline void Click(HWND editor, int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    DWORD_PTR ignored;
    SendMessageTimeoutA(editor, down, MK_LBUTTON, MAKELPARAM(x, y), SMTO_NORMAL, 10000, &ignored);
    if (up) SendMessageTimeoutA(editor, up, 0, MAKELPARAM(x, y), SMTO_NORMAL, 10000, &ignored);
}

// The fixture of the editor's GUI tests: settings reset, a scratch folder per test, and the
// program started on one file.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override { Kill(tarvo); }
    // Starts the program on one file holding `text` (or with another tail); its editor window.
    HWND Open(const std::string& name, const std::string& text, const std::string& tail = "") {
        file = dir + "\\" + name;
        WriteTextFile(file, text);
        if (!Start(tarvo, tail.empty() ? name : tail, dir)) return nullptr;
        Settle(tarvo);
        return ActiveEditor(tarvo.frame);
    }
    Running tarvo;
    std::string dir, file;
};

}  // namespace tarvo::gui::edit
