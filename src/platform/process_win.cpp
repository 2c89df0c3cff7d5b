#include "platform/process_win.h"

#include <windows.h>

#include "platform/process.h"

namespace tarvo::platform {
namespace {

constexpr DWORD kStopPollMs = 50;

// Set by a Stop while a wait runs, from any thread; the wait ends its program and returns.
HANDLE stopEvent() {
    static HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return event;
}

// The program's standard error, when asked for: a file of default security that the child
// inherits.
struct ErrorFile {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ~ErrorFile() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
};

bool create(const ProcessRequest& r, PROCESS_INFORMATION& process, unsigned long& error, HANDLE job) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = r.shown ? SW_SHOWNORMAL : SW_HIDE;
    ErrorFile errors;
    if (!r.errorFile.empty()) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        errors.handle = CreateFileA(r.errorFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (errors.handle == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            return false;
        }
        startup.dwFlags |= STARTF_USESTDHANDLES;
        startup.hStdInput = nullptr;
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = errors.handle;
    }
    std::string command = r.commandLine;  // CreateProcess may write into it
    DWORD flags = CREATE_NEW_PROCESS_GROUP | NORMAL_PRIORITY_CLASS | CREATE_SUSPENDED;
    if (!r.shown) flags |= CREATE_NO_WINDOW;
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, errors.handle != INVALID_HANDLE_VALUE, flags,
                        nullptr, r.directory.empty() ? nullptr : r.directory.c_str(), &startup, &process)) {
        error = GetLastError();
        return false;
    }
    // In a job, so that ending it ends every program it started too.
    if (job) AssignProcessToJobObject(job, process.hProcess);
    ResumeThread(process.hThread);
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
            SetEvent(stopEvent());
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void endProcess(HANDLE process, HANDLE job) {
    if (job) TerminateJobObject(job, 1);
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
}

struct Job {
    HANDLE handle = CreateJobObjectA(nullptr, nullptr);
    ~Job() {
        if (handle) CloseHandle(handle);
    }
};

RunResult win32RunAndWait(const ProcessRequest& r) {
    RunResult result;
    PROCESS_INFORMATION process{};
    Job job;
    ResetEvent(stopEvent());
    if (r.stop && r.stop->requested) {
        result.status = RunStatus::Stopped;
        return result;
    }
    if (!create(r, process, result.systemError, job.handle)) return result;
    HANDLE waitFor[2] = {process.hProcess, stopEvent()};
    DWORD started = GetTickCount();
    for (;;) {
        DWORD waitMs = INFINITE;
        if (r.timeoutMs) {
            DWORD spent = GetTickCount() - started;
            if (spent >= r.timeoutMs) {
                endProcess(process.hProcess, job.handle);
                result.status = RunStatus::TimedOut;
                break;
            }
            waitMs = r.timeoutMs - spent;
        }
        // A run with a stop flag of its own looks at it between short waits.
        if (r.stop && waitMs > kStopPollMs) waitMs = kStopPollMs;
        DWORD woke = MsgWaitForMultipleObjects(2, waitFor, FALSE, waitMs, QS_ALLINPUT);
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
        if (woke == WAIT_OBJECT_0 + 2) pumpMessages();
        if (WaitForSingleObject(stopEvent(), 0) == WAIT_OBJECT_0 || (r.stop && r.stop->requested)) {
            endProcess(process.hProcess, job.handle);
            result.status = RunStatus::Stopped;
            break;
        }
    }
    CloseHandle(process.hProcess);
    return result;
}

bool win32Start(const ProcessRequest& r, unsigned long& error) {
    PROCESS_INFORMATION process{};
    if (!create(r, process, error, nullptr)) return false;
    CloseHandle(process.hProcess);
    return true;
}

void win32RequestStop() { SetEvent(stopEvent()); }

}  // namespace

void InstallWin32Process() { setProcessBackend({win32RunAndWait, win32Start, win32RequestStop}); }

}  // namespace tarvo::platform
