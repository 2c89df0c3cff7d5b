#include "shell/message_list_win.h"

#include <windows.h>

#include "base/app_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/cursor.h"
#include "editor/editor_window_win.h"
#include "platform/ui.h"
#include "project/project_messages.h"
#include "editor/document_windows_win.h"
#include "project/build_messages.h"
#include "shell/commands_win.h"
#include "shell/frame_win.h"
#include "shell/message_marks.h"

namespace tarvo::shell {
namespace {

constexpr int kListId = 0x7E01;
constexpr int kVisibleRows = 8;

// The messages of the list, for the marks in the editor.
std::vector<project::BuildMessage>& listed() {
    static std::vector<project::BuildMessage> messages;
    return messages;
}

// The places of the rows of a tools' list; empty while the list holds build messages.
std::vector<tools::ListTarget>& targeted() {
    static std::vector<tools::ListTarget> targets;
    return targets;
}

const tools::ListTarget* TargetOf(int row) {
    const auto& t = targeted();
    if (row < 0 || static_cast<std::size_t>(row) >= t.size() || t[static_cast<std::size_t>(row)].file.empty()) return nullptr;
    return &t[static_cast<std::size_t>(row)];
}

void GoTo(const std::string& file, long line) {
    HWND window = OpenAndRemember(file);
    if (!window) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (!editor::GoToLine(line)) editor::GoToLine(1);  // the file has changed since
    editor::CentreCursor();
}

std::vector<std::string> rows() {
    HWND list = base::app().messageList;
    std::vector<std::string> out;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0));
        std::string text(static_cast<size_t>(length < 0 ? 0 : length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length < 0 ? 0 : length));
        out.push_back(text);
    }
    return out;
}

}  // namespace

void CreateMessageList() {
    base::App& a = base::app();
    a.messageList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                                    WS_CHILD | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
                                    0, 0, 0, 0, a.frame, reinterpret_cast<HMENU>(kListId), a.instance, nullptr);
    if (!a.messageList) return;
    SendMessageA(a.messageList, WM_SETFONT, reinterpret_cast<WPARAM>(a.proportionalFont), FALSE);
    int row = static_cast<int>(SendMessageA(a.messageList, LB_GETITEMHEIGHT, 0, 0));
    a.messageListHeight = kVisibleRows * (row > 0 ? row : 16) + 2 * GetSystemMetrics(SM_CYEDGE);
}

void ShowMessages(const std::vector<std::string>& lines) {
    HWND list = base::app().messageList;
    if (!list) return;
    targeted().clear();
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    RECT area;
    GetClientRect(base::app().frame, &area);
    int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL) - 8;
    auto fits = [&](std::string_view text) {
        SIZE size{};
        GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
        return size.cx <= width;
    };
    for (const std::string& line : lines)
        for (const std::string& row : project::SplitForList(line, fits))
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (count > 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
    ShowWindow(list, count > 0 ? SW_SHOW : SW_HIDE);
    LayoutFrame();
    listed().clear();
    const base::ProjectSettings& current = base::settings().project;
    for (const std::string& line : lines)
        if (std::optional<project::BuildMessage> m = project::ParseProjectMessage(line, current)) listed().push_back(*m);
    if (!MarkMessageLines(listed()).empty()) editor::RefreshEditorWindows();
}

void ShowTargetedRows(const std::vector<std::string>& lines, std::vector<tools::ListTarget> targets) {
    HWND list = base::app().messageList;
    if (!list) return;
    // A long list is filled without drawing in between, into storage reserved at once.
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    std::size_t bytes = 0;
    for (const std::string& line : lines) bytes += line.size() + 1;
    SendMessageW(list, LB_INITSTORAGE, lines.size(), static_cast<LPARAM>(bytes * sizeof(wchar_t)));
    // The list keeps its rows in UTF-16: handed over in that form, each row is converted once,
    // here, into one reused buffer, rather than by the list into a new one per row.
    std::wstring wide;
    for (const std::string& line : lines) {
        wide.resize(line.size() + 1);
        int n = MultiByteToWideChar(CP_ACP, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                                    static_cast<int>(line.size()));
        wide[static_cast<std::size_t>(n > 0 ? n : 0)] = L'\0';
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    listed().clear();
    if (!MarkMessageLines(listed()).empty()) editor::RefreshEditorWindows();  // the build's marks go
    targeted() = std::move(targets);
    if (!lines.empty()) SendMessageA(list, LB_SETCURSEL, 0, 0);
    ShowWindow(list, lines.empty() ? SW_HIDE : SW_SHOW);
    InvalidateRect(list, nullptr, TRUE);
    LayoutFrame();
}

void MarkListedMessagesIn(const std::string& file) {
    editor::Document* doc = editor::FindDocument(file, false);
    if (doc && MarkMessageLinesIn(*doc, listed())) editor::RefreshEditorWindows();
}

void ChooseListedMessage() {
    HWND list = base::app().messageList;
    int chosen = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (chosen < 0) return;
    if (!targeted().empty()) {
        if (const tools::ListTarget* target = TargetOf(chosen)) GoTo(target->file, target->line);
        return;
    }
    project::JoinedMessage joined = project::JoinRows(rows(), static_cast<size_t>(chosen));
    SendMessageA(list, LB_SETCURSEL, joined.first, 0);
    const base::Settings& s = base::settings();
    std::optional<project::BuildMessage> m = project::ParseProjectMessage(joined.text, s.project);
    if (!m) return;
    GoTo(m->file, m->line);
}

void StepMessage(int direction) {
    HWND list = base::app().messageList;
    std::vector<std::string> all = rows();
    if (!list || all.empty()) {
        platform::ui().statusText(base::GetString(project::kMsgNoMoreMessages));
        return;
    }
    int count = static_cast<int>(all.size());
    int at = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    // From the start of the selected message, so its continuation rows are not taken as the next.
    if (at >= 0) at = static_cast<int>(project::JoinRows(all, static_cast<size_t>(at)).first);
    else at = direction > 0 ? -1 : count;
    const base::ProjectSettings& current = base::settings().project;
    for (int row = at + direction; row >= 0 && row < count; row += direction) {
        if (!targeted().empty()) {
            if (!TargetOf(row)) continue;
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            ChooseListedMessage();
            return;
        }
        if (all[static_cast<size_t>(row)].starts_with(project::kContinuation)) continue;
        if (!project::ParseProjectMessage(project::JoinRows(all, static_cast<size_t>(row)).text, current)) continue;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        ChooseListedMessage();
        return;
    }
    platform::ui().statusText(base::GetString(project::kMsgNoMoreMessages));
}

}  // namespace tarvo::shell
