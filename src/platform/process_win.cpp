#include "platform/process_win.h"

#include <windows.h>

#include "platform/process.h"

namespace tarvo::platform {
namespace {

// Set by a Stop while a wait runs; the wait ends its program and returns.
volatile LONG stopRequested = 0;

bool create(const ProcessRequest& r, PROCESS_INFORMATION& process, unsigned long& error) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = r.shown ? SW_SHOWNORMAL : SW_HIDE;
    std::string command = r.commandLine;  // CreateProcess may write into it
    DWORD flags = CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS;
    if (!r.shown) flags |= CREATE_NO_WINDOW;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        r.directory.empty() ? nullptr : r.directory.c_str(), &startup, &process)) {
        error = GetLastError();
        return false;
    }
    CloseHandle(process.hThread);
    return true;
}

// Keeps the window thread's messages flowing while the program runs, so the interface
// repaints and a Stop can be pressed.
void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {  // leave it for the main loop
            PostQuitMessage(static_cast<int>(msg.wParam));
            InterlockedExchange(&stopRequested, 1);
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void endProcess(HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
}

RunResult win32RunAndWait(const ProcessRequest& r) {
    RunResult result;
    PROCESS_INFORMATION process{};
    if (!create(r, process, result.systemError)) return result;
    InterlockedExchange(&stopRequested, 0);
    DWORD started = GetTickCount();
    for (;;) {
        DWORD waitMs = INFINITE;
        if (r.timeoutMs) {
            DWORD spent = GetTickCount() - started;
            if (spent >= r.timeoutMs) {
                endProcess(process.hProcess);
                result.status = RunStatus::TimedOut;
                break;
            }
            waitMs = r.timeoutMs - spent;
        }
        DWORD woke = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, waitMs, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            DWORD code = 0;
            if (GetExitCodeProcess(process.hProcess, &code)) {
                result.status = RunStatus::Finished;
                result.exitCode = static_cast<long>(code);
            } else {
                result.status = RunStatus::NoExitCode;
                result.systemError = GetLastError();
            }
            break;
        }
        if (woke == WAIT_OBJECT_0 + 1) pumpMessages();
        if (InterlockedCompareExchange(&stopRequested, 0, 0)) {
            endProcess(process.hProcess);
            result.status = RunStatus::Stopped;
            break;
        }
    }
    CloseHandle(process.hProcess);
    return result;
}

bool win32Start(const ProcessRequest& r, unsigned long& error) {
    PROCESS_INFORMATION process{};
    if (!create(r, process, error)) return false;
    CloseHandle(process.hProcess);
    return true;
}

void win32RequestStop() { InterlockedExchange(&stopRequested, 1); }

}  // namespace

void InstallWin32Process() { setProcessBackend({win32RunAndWait, win32Start, win32RequestStop}); }

}  // namespace tarvo::platform
