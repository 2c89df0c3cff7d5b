#include "shell/project_seam_win.h"

#include <windows.h>

#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "editor/cursor.h"
#include "editor/document_io.h"
#include "editor/document_windows_win.h"
#include "project/projects.h"
#include "shell/commands_win.h"
#include "shell/exit_win.h"
#include "shell/message_list_win.h"
#include "shell/shell_messages.h"
#include "shell/shell_state.h"
#include "shell/startup_rules.h"

namespace tarvo::shell {
namespace {

void closeDocumentWindows() {
    for (HWND window : editor::DocumentWindows())
        SendMessageA(base::app().client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
}

}  // namespace

// The documents of the last exit, with their windows.
void ReopenLastFiles() {
    base::App& a = base::app();
    base::Settings& s = base::settings();
    if (s.projectActive() && s.project.frame.right > 0 && s.project.frame.bottom > 0 && !IsZoomed(a.frame))
        MoveWindow(a.frame, s.project.frame.left, s.project.frame.top, s.project.frame.right,
                   s.project.frame.bottom, TRUE);
    const std::vector<base::OpenFile>& saved = s.projectActive() ? s.project.openFiles : s.openFiles;
    std::vector<std::string> failed;
    HWND maximise = nullptr;
    bool iconic = false;
    for (const ReopenWindow& file : FilesToReopen(saved, shell().requiredDirectory)) {
        HWND window = OpenAndRemember(file.name);
        if (!window) {
            failed.push_back(file.name);
            continue;
        }
        editor::GoToLine(file.line > 0 ? file.line : 1);
        if (file.rect.right > file.rect.left && file.rect.bottom > file.rect.top)
            MoveWindow(window, file.rect.left, file.rect.top, file.rect.right - file.rect.left,
                       file.rect.bottom - file.rect.top, TRUE);
        if (file.iconic) {
            ShowWindow(window, SW_MINIMIZE);
            iconic = true;
        }
        if (file.maximised) maximise = window;
    }
    if (maximise) SendMessageA(a.client, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(maximise), 0);
    if (iconic) SendMessageA(a.client, WM_MDIICONARRANGE, 0, 0);
    if (failed.empty()) return;
    ForgetUnopened(failed, s.currentFile);
    base::ListDialog(base::GetString(kMsgNotReopenedTitle), base::GetString(kMsgNotReopenedLabel), failed,
                     base::ListMode::Show);
}


void InstallProjectSeam() {
    project::ProjectSeam& seam = project::projectSeam();
    seam.saveModified = [] { return MayEndSession(); };
    seam.saveAll = [] { return editor::SaveAll(); };
    seam.storeAndCloseDocuments = [] {
        StoreOpenFiles();
        closeDocumentWindows();
    };
    seam.reopenDocuments = [] {
        if (IsIconic(base::app().frame)) ShowWindow(base::app().frame, SW_RESTORE);
        ReopenLastFiles();
    };
    seam.openFile = [](const std::string& path) { return OpenAndRemember(path) != nullptr; };
    seam.projectChanged = [](const std::string& name) {
        SetWindowTextA(base::app().frame, FrameTitle(name).c_str());
    };
    seam.frameHandle = [] { return static_cast<long>(reinterpret_cast<std::intptr_t>(base::app().frame)); };
    seam.minimiseFrame = [](bool minimise) { ShowWindow(base::app().frame, minimise ? SW_MINIMIZE : SW_RESTORE); };
    seam.showMessages = ShowMessages;
}

}  // namespace tarvo::shell
