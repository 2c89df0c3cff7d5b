#include "shell/message_list_win.h"

#include <windows.h>

#include <optional>

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
#include "shell/row_list_win.h"

namespace tarvo::shell {
namespace {

constexpr int kListId = 0x7E01;
constexpr int kVisibleRows = 8;

// The messages of the list, for the marks in the editor.
std::vector<project::BuildMessage>& listed() {
    static std::vector<project::BuildMessage> messages;
    return messages;
}

// The rows of a tools' list, which know their places; none while the list holds build messages.
std::shared_ptr<const tools::ListedRows>& targeted() {
    static std::shared_ptr<const tools::ListedRows> rows;
    return rows;
}

std::optional<tools::ListTarget> TargetOf(int row) {
    const auto& t = targeted();
    if (!t || row < 0 || static_cast<std::size_t>(row) >= t->Count()) return std::nullopt;
    tools::ListTarget target = t->Target(static_cast<std::size_t>(row));
    if (target.file.empty()) return std::nullopt;
    return target;
}

void GoTo(const std::string& file, long line) {
    HWND window = OpenAndRemember(file);
    if (!window) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (!editor::GoToLine(line)) editor::GoToLine(1);  // the file has changed since
    editor::CentreCursor();
}

const std::vector<std::string>& rows() { return Rows(base::app().messageList); }

}  // namespace

void CreateMessageList() {
    base::App& a = base::app();
    a.messageList = CreateRowList(a.frame, kListId, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT, WS_EX_CLIENTEDGE);
    if (!a.messageList) return;
    SendMessageA(a.messageList, WM_SETFONT, reinterpret_cast<WPARAM>(a.proportionalFont), FALSE);
    int row = static_cast<int>(SendMessageA(a.messageList, LB_GETITEMHEIGHT, 0, 0));
    a.messageListHeight = kVisibleRows * (row > 0 ? row : 16) + 2 * GetSystemMetrics(SM_CYEDGE);
}

void ShowMessages(const std::vector<std::string>& lines) {
    HWND list = base::app().messageList;
    if (!list) return;
    targeted().reset();
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
    std::vector<std::string> shown;
    for (const std::string& line : lines)
        for (std::string& row : project::SplitForList(line, fits)) shown.push_back(std::move(row));
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    const int count = static_cast<int>(shown.size());
    SetRows(list, std::move(shown));
    if (count > 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
    ShowWindow(list, count > 0 ? SW_SHOW : SW_HIDE);
    LayoutFrame();
    listed().clear();
    const base::ProjectSettings& current = base::settings().project;
    for (const std::string& line : lines)
        if (std::optional<project::BuildMessage> m = project::ParseProjectMessage(line, current)) listed().push_back(*m);
    if (!MarkMessageLines(listed()).empty()) editor::RefreshEditorWindows();
}

void ShowTargetedRows(std::shared_ptr<const tools::ListedRows> rows) {
    HWND list = base::app().messageList;
    if (!list || !rows) return;
    const std::size_t count = rows->Count();
    SetRowMaker(list, count, [rows](std::size_t i) { return rows->Row(i); });
    listed().clear();
    if (!MarkMessageLines(listed()).empty()) editor::RefreshEditorWindows();  // the build's marks go
    targeted() = std::move(rows);
    if (count > 0) SendMessageA(list, LB_SETCURSEL, 0, 0);
    ShowWindow(list, count > 0 ? SW_SHOW : SW_HIDE);
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
    if (targeted()) {
        if (std::optional<tools::ListTarget> target = TargetOf(chosen)) GoTo(target->file, target->line);
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
    const int count = list ? static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) : 0;
    if (count <= 0) {
        platform::ui().statusText(base::GetString(project::kMsgNoMoreMessages));
        return;
    }
    const std::vector<std::string>& all = rows();  // the build's messages; a tools' list has its targets
    int at = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    // From the start of the selected message, so its continuation rows are not taken as the next.
    if (at >= 0 && !targeted()) at = static_cast<int>(project::JoinRows(all, static_cast<size_t>(at)).first);
    else at = direction > 0 ? -1 : count;
    const base::ProjectSettings& current = base::settings().project;
    for (int row = at + direction; row >= 0 && row < count; row += direction) {
        if (targeted()) {
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
