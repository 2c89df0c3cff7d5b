#include "debugger/debugger_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

#include "base/app_win.h"
#include "base/command_ids.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "debugger/breakpoint_marks.h"
#include "debugger/debug_messages.h"
#include "debugger/debug_queries.h"
#include "debugger/debugger_windows_win.h"
#include "debugger/expressions.h"
#include "editor/cursor.h"
#include "editor/document.h"
#include "editor/document_windows_win.h"
#include "editor/editor_window_win.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"

namespace tarvo::debugger {
namespace {

using ull = unsigned long long;

constexpr UINT kMsgNotices = WM_APP + 40;
constexpr DWORD kEventWaitMs = 100;
constexpr DWORD kExitWaitMs = 1500;   // for the program's own exit code, then it is terminated
constexpr DWORD kBreakWaitMs = 3000;  // for a running program to stop at our request
constexpr std::size_t kDebugStringLimit = 2048;
constexpr std::size_t kDllNameLimit = 300;
constexpr DWORD kCreationFlags = DEBUG_PROCESS | DEBUG_ONLY_THIS_PROCESS;

#if defined(_WIN64)
constexpr std::uint16_t kOwnMachine = kMachineAmd64;
#else
constexpr std::uint16_t kOwnMachine = kMachineI386;
#endif
constexpr DWORD kAllContext = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS | CONTEXT_FLOATING_POINT | CONTEXT_DEBUG_REGISTERS;

enum Command : int { kNoCommand, kResume, kKill };

struct NoticeBatch {
    std::vector<Notice> notices;
    bool silent = false;  // from a stop the window side asked for without display
};

// One debugging run. The debug thread owns the debuggee's handles and the engine while the
// program runs; the window thread uses the engine only while the program is stopped.
struct Session {
    Engine engine;
    std::thread thread;
    HANDLE process = nullptr;
    std::map<DWORD, HANDLE> threads;  // by thread id; the system closes them
    HANDLE wake = nullptr;            // a command is waiting
    HWND window = nullptr;            // receives the notices
    std::atomic<bool> running{false}, stopped{false}, killWanted{false}, breakWanted{false}, silent{false};
    std::atomic<int> command{kNoCommand};
    std::string program, commandLine, directory, title;
    DWORD attachTo = 0;           // a running process to attach to, instead of starting one
    HANDLE attachDone = nullptr;  // signalled once the attach is complete (given by who asked)
    std::string currentFile;  // the document that has the current-position mark
    bool stopping = false;    // StopDebugging runs
    long currentLine = 0;
};

std::unique_ptr<Session>& session() {
    static std::unique_ptr<Session> s;
    return s;
}

const Target& OwnTarget() { return *TargetOf(kOwnMachine); }

// --- the debuggee through the debugging interface ---------------------------------------------

bool ReadMemory(Session& s, std::uint64_t address, void* data, std::size_t size) {
    SIZE_T done = 0;
    return ReadProcessMemory(s.process, reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)), data, size, &done) &&
           done == size;
}

bool WriteMemory(Session& s, std::uint64_t address, const void* data, std::size_t size) {
    SIZE_T done = 0;
    return WriteProcessMemory(s.process, reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(address)), data, size, &done) &&
           done == size;
}

bool WriteCode(Session& s, std::uint64_t address, std::uint8_t byte) {
    LPVOID at = reinterpret_cast<LPVOID>(static_cast<std::uintptr_t>(address));
    DWORD old = 0;
    if (!VirtualProtectEx(s.process, at, 1, PAGE_EXECUTE_READWRITE, &old)) return false;
    bool written = WriteMemory(s, address, &byte, 1);
    VirtualProtectEx(s.process, at, 1, old, &old);
    FlushInstructionCache(s.process, at, 1);
    return written;
}

HANDLE ThreadHandle(Session& s, std::uint32_t id) {
    auto it = s.threads.find(id);
    return it == s.threads.end() ? nullptr : it->second;
}

bool GetRegisters(Session& s, std::uint32_t id, Registers& regs) {
    HANDLE thread = ThreadHandle(s, id);
    alignas(16) CONTEXT context{};
    context.ContextFlags = kAllContext;
    if (!thread || !GetThreadContext(thread, &context)) return false;
    return DecodeContext(OwnTarget(), Bytes(reinterpret_cast<const std::uint8_t*>(&context), sizeof context), regs);
}

bool SetRegisters(Session& s, std::uint32_t id, const Registers& regs) {
    HANDLE thread = ThreadHandle(s, id);
    alignas(16) CONTEXT context{};
    context.ContextFlags = kAllContext;
    if (!thread || !GetThreadContext(thread, &context)) return false;
    std::span<std::uint8_t> blob(reinterpret_cast<std::uint8_t*>(&context), sizeof context);
    if (!EncodeContext(OwnTarget(), regs, blob)) return false;
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_DEBUG_REGISTERS;
    return SetThreadContext(thread, &context) != 0;
}

ProcessAccess AccessOf(Session& s) {
    Session* p = &s;
    return ProcessAccess{
        [p](std::uint64_t a, void* d, std::size_t n) { return ReadMemory(*p, a, d, n); },
        [p](std::uint64_t a, const void* d, std::size_t n) { return WriteMemory(*p, a, d, n); },
        [p](std::uint64_t a, std::uint8_t b) { return WriteCode(*p, a, b); },
        [p](std::uint32_t t, Registers& r) { return GetRegisters(*p, t, r); },
        [p](std::uint32_t t, const Registers& r) { return SetRegisters(*p, t, r); },
    };
}

std::string FilePathOf(HANDLE file) {
    char path[MAX_PATH * 2] = "";
    DWORD n = file ? GetFinalPathNameByHandleA(file, path, sizeof path, 0) : 0;
    if (n == 0 || n >= sizeof path) return {};
    std::string text(path, n);
    if (text.compare(0, 4, "\\\\?\\") == 0) text.erase(0, 4);
    return text;
}

std::string Narrow(const wchar_t* text, std::size_t length) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

// A text in the debuggee: 8-bit, or UTF-16 when `unicode`; cut at its zero.
std::string ReadText(Session& s, std::uint64_t address, std::size_t limit, bool unicode) {
    std::string bytes(limit * (unicode ? 2 : 1), '\0');
    std::size_t got = 0;
    // Read as much as can be read: the text may end near the end of its page.
    for (std::size_t chunk = bytes.size(); chunk > 0 && got == 0; chunk /= 2)
        if (ReadMemory(s, address, bytes.data(), chunk)) got = chunk;
    bytes.resize(got);
    if (!unicode) return bytes.substr(0, bytes.find('\0'));
    std::wstring wide(got / 2, L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
    return Narrow(wide.c_str(), wide.find(L'\0') == std::wstring::npos ? wide.size() : wide.find(L'\0'));
}

bool ReadImageOf(HANDLE file, const std::string& fallback, std::uint64_t base, ImageSource& out) {
    out.name = FilePathOf(file);
    if (out.name.empty()) out.name = fallback;
    out.loadBase = base;
    return !out.name.empty() && platform::ReadWholeFile(out.name, out.content) == platform::ReadStatus::Ok;
}

std::string DllName(Session& s, const LOAD_DLL_DEBUG_INFO& info) {
    std::uint64_t pointer = 0;
    if (info.lpImageName && ReadMemory(s, reinterpret_cast<std::uintptr_t>(info.lpImageName), &pointer, sizeof(void*)) && pointer) {
        std::string name = ReadText(s, pointer, kDllNameLimit, info.fUnicode != 0);
        if (!name.empty()) return name;
    }
    // Often missing (always for the first DLLs): the export directory names it.
    bool ok = false;
    std::string name = DllNameFromMemory(s.engine.process, reinterpret_cast<std::uintptr_t>(info.lpBaseOfDll), ok);
    return ok ? name : std::string();
}

// --- the debug thread ----------------------------------------------------------------------

void Post(Session& s, std::vector<Notice> notices) {
    if (notices.empty()) return;
    auto* batch = new NoticeBatch{std::move(notices), s.silent.load()};
    if (!PostMessageA(s.window, kMsgNotices, 0, reinterpret_cast<LPARAM>(batch))) delete batch;
}

DebugEvent Convert(Session& s, const DEBUG_EVENT& raw, ImageSource& image, bool& haveImage) {
    DebugEvent e;
    e.process = raw.dwProcessId, e.thread = raw.dwThreadId, e.rawKind = raw.dwDebugEventCode;
    auto address = [](const void* p) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(p)); };
    switch (raw.dwDebugEventCode) {
    case EXCEPTION_DEBUG_EVENT: {
        const EXCEPTION_RECORD& r = raw.u.Exception.ExceptionRecord;
        e.kind = EventKind::Exception;
        e.code = r.ExceptionCode, e.exceptionFlags = r.ExceptionFlags, e.address = address(r.ExceptionAddress);
        e.firstChance = raw.u.Exception.dwFirstChance != 0;
        for (DWORD i = 0; i < r.NumberParameters && i < EXCEPTION_MAXIMUM_PARAMETERS; ++i) e.parameters.push_back(r.ExceptionInformation[i]);
        break;
    }
    case CREATE_THREAD_DEBUG_EVENT:
        e.kind = EventKind::ThreadStart;
        s.threads[raw.dwThreadId] = raw.u.CreateThread.hThread;
        e.threadHandle = address(raw.u.CreateThread.hThread);
        e.localBase = address(raw.u.CreateThread.lpThreadLocalBase);
        e.start = address(reinterpret_cast<const void*>(raw.u.CreateThread.lpStartAddress));
        break;
    case CREATE_PROCESS_DEBUG_EVENT: {
        const CREATE_PROCESS_DEBUG_INFO& p = raw.u.CreateProcessInfo;
        e.kind = EventKind::ProcessStart;
        e.processHandle = address(p.hProcess), e.threadHandle = address(p.hThread);
        e.base = address(p.lpBaseOfImage), e.localBase = address(p.lpThreadLocalBase);
        e.start = address(reinterpret_cast<const void*>(p.lpStartAddress));
        e.debugInfoOffset = p.dwDebugInfoFileOffset, e.debugInfoSize = p.nDebugInfoSize;
        e.imageName = address(p.lpImageName), e.unicode = p.fUnicode != 0;
        if (!s.process) {
            s.process = p.hProcess;
            s.threads[raw.dwThreadId] = p.hThread;
            std::string path = s.program;
            char running[MAX_PATH * 2] = "";
            DWORD size = sizeof running;
            if (s.attachTo && QueryFullProcessImageNameA(p.hProcess, 0, running, &size)) path = running;
            haveImage = ReadImageOf(p.hFile, path, e.base, image);
            if (haveImage) e.image = &image;
        }
        if (p.hFile) CloseHandle(p.hFile);
        break;
    }
    case EXIT_THREAD_DEBUG_EVENT:
        e.kind = EventKind::ThreadEnd;
        e.exitCode = raw.u.ExitThread.dwExitCode;
        s.threads.erase(raw.dwThreadId);
        break;
    case EXIT_PROCESS_DEBUG_EVENT:
        e.kind = EventKind::ProcessEnd;
        e.exitCode = raw.u.ExitProcess.dwExitCode;
        break;
    case LOAD_DLL_DEBUG_EVENT: {
        const LOAD_DLL_DEBUG_INFO& d = raw.u.LoadDll;
        e.kind = EventKind::DllLoad;
        e.base = address(d.lpBaseOfDll);
        e.text = DllName(s, d);
        haveImage = ReadImageOf(d.hFile, "", e.base, image);
        if (haveImage) e.image = &image;
        if (d.hFile) CloseHandle(d.hFile);
        break;
    }
    case UNLOAD_DLL_DEBUG_EVENT:
        e.kind = EventKind::DllUnload;
        e.base = address(raw.u.UnloadDll.lpBaseOfDll);
        break;
    case OUTPUT_DEBUG_STRING_EVENT: {
        const OUTPUT_DEBUG_STRING_INFO& o = raw.u.DebugString;
        e.kind = EventKind::DebugString;
        std::size_t length = std::min<std::size_t>(o.nDebugStringLength, kDebugStringLimit);
        std::string bytes(length, '\0');
        std::uint64_t at = address(o.lpDebugStringData);
        if (!ReadMemory(s, at, bytes.data(), length)) bytes.clear();
        // UTF-16 when the event says so or the text looks like it.
        bool wide = o.fUnicode || (bytes.size() > 1 && bytes[0] != 0 && bytes[1] == 0);
        if (wide && bytes.size() > 1) {
            std::wstring w(bytes.size() / 2, L'\0');
            std::memcpy(w.data(), bytes.data(), w.size() * 2);
            bytes = Narrow(w.c_str(), w.size());
        }
        e.text = bytes;
        break;
    }
    case RIP_EVENT:
        e.kind = EventKind::Rip;
        e.ripError = raw.u.RipInfo.dwError, e.ripType = raw.u.RipInfo.dwType;
        break;
    default:
        e.kind = EventKind::Other;
        break;
    }
    return e;
}

// Waits for the window side's next command while the program is stopped.
int WaitForCommand(Session& s) {
    for (;;) {
        int c = s.command.exchange(kNoCommand);
        if (c != kNoCommand) return c;
        if (s.killWanted) return kKill;
        WaitForSingleObject(s.wake, INFINITE);
    }
}

// Starts the program under the debugger; false (reported) when it cannot be started.
bool StartProgram(Session& s) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION created{};
    std::string commandLine = s.commandLine;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, kCreationFlags, nullptr,
                        s.directory.empty() ? nullptr : s.directory.c_str(), &startup, &created)) {
        char reason[101] = "";
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, reason,
                       sizeof reason - 1, nullptr);
        Post(s, {Notice{Notice::Error, Printf(base::GetString(kMsgCannotStartProgram), s.commandLine.c_str(), reason), 0, 0},
                 Notice{Notice::StopDebugging, {}, 0, 0}});
        return false;
    }
    // The creation event brings the handles the run uses.
    CloseHandle(created.hThread);
    CloseHandle(created.hProcess);
    return true;
}

void DebugThread(Session* sp) {
    Session& s = *sp;
    if (s.attachTo) {
        if (!DebugActiveProcess(s.attachTo)) {
            Post(s, {Notice{Notice::Error, base::GetString(kMsgCannotAttach), 0, 0}, Notice{Notice::StopDebugging, {}, 0, 0}});
            s.running = false;
            return;
        }
    } else if (!StartProgram(s)) {
        s.running = false;
        return;
    }
    s.running = true;
    bool killing = false, breakSent = false;
    ULONGLONG killStarted = 0;
    bool terminated = false;
    for (;;) {
        if (s.killWanted && !killStarted) killStarted = GetTickCount64();
        if (s.killWanted && !killing && !breakSent && s.process) {
            // The program runs: a break gives us an event to end it from.
            breakSent = DebugBreakProcess(s.process) != 0;
            s.engine.breakRequested = true;
            s.silent = true;
            if (!breakSent) TerminateProcess(s.process, 0), killing = terminated = true;
        } else if (s.breakWanted.exchange(false) && !killing && s.process) {
            s.engine.breakRequested = DebugBreakProcess(s.process) != 0;
        }
        // Whatever the program does meanwhile (no break, its exit code hanging), it ends in time.
        if (killStarted && !terminated && s.process && GetTickCount64() - killStarted > kExitWaitMs) {
            TerminateProcess(s.process, 0);
            killing = terminated = true;
        }
        DEBUG_EVENT raw{};
        if (!WaitForDebugEvent(&raw, kEventWaitMs)) continue;
        ImageSource image;
        bool haveImage = false;
        DebugEvent event = Convert(s, raw, image, haveImage);
        int firstBreak = s.engine.firstBreak;
        Reply reply = s.engine.Handle(event);
        if (firstBreak == 0 && s.engine.firstBreak == 1 && s.attachTo) {
            // The attach is complete: whoever asked for it goes on.
            s.engine.stopOnFirstChanceFaults = true;
            if (s.attachDone) SetEvent(s.attachDone);
        }
        if (killing) reply.stop = false, reply.notices.erase(std::remove_if(reply.notices.begin(), reply.notices.end(), [](const Notice& n) {
                                                  return n.kind != Notice::Finished;
                                              }), reply.notices.end());
        bool ended = reply.ended;
        std::uint32_t status = reply.status;
        bool stop = reply.stop;
        Post(s, std::move(reply.notices));
        if (stop) {
            s.stopped = true;
            int command = s.killWanted ? kKill : WaitForCommand(s);
            s.stopped = false;
            if (command == kKill && !killing) {
                killing = true;
                if (!killStarted) killStarted = GetTickCount64();
                KillPlan plan = s.engine.PrepareKill();
                if (plan.terminate) TerminateProcess(s.process, 0), terminated = true;
                status = kContinueHandled;
            } else {
                status = s.engine.PrepareResume();
                s.silent = false;
                Post(s, {Notice{Notice::Running, {}, 0, 0}});
            }
        }
        ContinueDebugEvent(raw.dwProcessId, raw.dwThreadId, status);
        if (ended) break;
    }
    s.running = false;
    s.engine.breakpoints.Clear(nullptr);
}

// --- the window side -----------------------------------------------------------------------

std::string DebugTitle(const Session& s, const char* state) {
    return s.title + " - [" + platform::BaseName(s.program) + " " + state + "]";
}

void SetTitle(const char* state) {
    Session* s = session().get();
    if (s && base::app().frame) SetWindowTextA(base::app().frame, (state ? DebugTitle(*s, state) : s->title).c_str());
}

void EnableCommands() {
    HMENU menu = base::app().mainMenu;
    if (!menu) return;
    bool active = DebuggingActive();
    for (int id : {CMD_DEBUG_EXECUTE, CMD_DEBUG_BREAK, CMD_DEBUG_RESTART, CMD_STOP_DEBUGGING, CMD_EVALUATE, CMD_STEP_IN,
                   CMD_SAME_LEVEL, CMD_STEP_OUT, CMD_RUN_TO_CURSOR, CMD_SET_NEXT_STATEMENT, CMD_CPU_WINDOW, CMD_STACK_WINDOW, CMD_WATCHES,
                   CMD_SHOW_VALUE})
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (active ? MF_ENABLED : MF_GRAYED));
    if (base::app().frame) DrawMenuBar(base::app().frame);
}

// A source file as the debug information names it, as a file of this machine.
std::string LocalPath(const std::string& file) {
    if (platform::FileExists(file)) return file;
    std::string path = file;
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) c = c == '/' ? '\\' : c;
        if (platform::FileExists("Z:" + path)) return "Z:" + path;
    }
    const base::ProjectSettings& p = base::settings().project;
    for (const std::string& dir : {p.projectPath, p.sourcesDir, p.makeDir}) {
        std::string there = dir + "\\" + platform::BaseName(path);
        if (!dir.empty() && platform::FileExists(there)) return there;
    }
    return file;
}

void ClearCurrentMark(Session& s) {
    if (s.currentFile.empty()) return;
    if (editor::Document* doc = editor::FindDocument(s.currentFile, false))
        for (editor::Line* line = doc->lines->next; line != doc->lines; line = line->next)
            if (line->marks & editor::kMarkDebugB) {
                line->marks &= static_cast<std::uint8_t>(~editor::kMarkDebugB);
                editor::RequestRedraw(*doc, editor::kRedrawAll);
            }
    s.currentFile.clear();
    editor::RefreshEditorWindows();
}

void ShowCurrentLine(Session& s, const std::string& file, unsigned line) {
    ClearCurrentMark(s);
    std::string path = LocalPath(file);
    if (!editor::OpenFileWindow(path)) return;
    editor::Document* doc = editor::CurrentDocument();
    if (!doc) return;
    editor::GoToLine(static_cast<long>(line));
    if (editor::Line* l = editor::LineAtNumber(*doc, static_cast<long>(line))) {
        l->marks |= editor::kMarkDebugB;
        editor::RequestRedraw(*doc, editor::kRedrawAll);
    }
    s.currentFile = doc->name;
    s.currentLine = static_cast<long>(line);
    editor::RefreshEditorWindows();
}

void MarkBreakpointIn(const std::string& file, unsigned line, bool on) {
    for (const std::unique_ptr<editor::Document>& doc : editor::editor().documents)
        if (NamesDocument(LocalPath(file), *doc) && SetBreakpointMark(*doc, static_cast<long>(line), on))
            editor::RefreshEditorWindows();
}

HWND& exceptionWindow() {
    static HWND window = nullptr;
    return window;
}

LRESULT CALLBACK ExceptionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (HWND text = GetWindow(window, GW_CHILD)) MoveWindow(text, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    if (message == WM_DESTROY) exceptionWindow() = nullptr;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The exception window: the exception's name, the registers, its flags and address, its
// parameters and the module that holds the address.
void ShowException(const std::string& text) {
    base::RegisterWindowClass({.name = "TarvoException", .procedure = ExceptionProc});
    HWND& window = exceptionWindow();
    if (!window) {
        window = CreateWindowExA(WS_EX_TOOLWINDOW, "TarvoException", "Exception", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                 420, 260, base::app().frame, nullptr, base::app().instance, nullptr);
        if (!window) return;
        HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 0, 0,
                                    window, nullptr, base::app().instance, nullptr);
        SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
        RECT r;
        GetClientRect(window, &r);
        MoveWindow(edit, 0, 0, r.right, r.bottom, FALSE);
    }
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    SetWindowTextA(GetWindow(window, GW_CHILD), crlf.c_str());
    ShowWindow(window, SW_SHOWNOACTIVATE);
}

void Status(const std::string& text) {
    if (platform::ui().statusText) platform::ui().statusText(text.c_str());
}

void HandleNotices(Session& s, NoticeBatch& batch) {
    for (Notice& n : batch.notices) {
        switch (n.kind) {
        case Notice::Status: Status(n.text); break;
        case Notice::Error: base::ErrorBox(n.text); break;
        case Notice::ShowLine:
            if (!batch.silent) ShowCurrentLine(s, n.text, n.line);
            break;
        case Notice::NoSource:
            if (!batch.silent) ClearCurrentMark(s), Status(n.text);
            break;
        case Notice::MarkBreak: MarkBreakpointIn(n.text, n.line, true); break;
        case Notice::UnmarkBreak: MarkBreakpointIn(n.text, n.line, false); break;
        case Notice::Stopped:
            if (!batch.silent) SetTitle("stopped"), RefreshDebuggerWindows();
            break;
        case Notice::Running:
            DebuggerWindowsRunning();
            ClearCurrentMark(s);
            SetTitle("running");
            break;
        case Notice::Exception: ShowException(n.text); break;
        case Notice::Finished:
            StopDebugging();
            Status(n.text);
            return;  // the session is gone
        case Notice::StopDebugging: StopDebugging(); return;
        }
        if (!session()) return;
    }
}

LRESULT CALLBACK NoticeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMsgNotices) {
        std::unique_ptr<NoticeBatch> batch(reinterpret_cast<NoticeBatch*>(lParam));
        if (Session* s = session().get()) HandleNotices(*s, *batch);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateNoticeWindow() {
    base::RegisterWindowClass({.name = "TarvoDebugNotices", .procedure = NoticeProc, .background = nullptr});
    return CreateWindowExA(0, "TarvoDebugNotices", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, base::app().instance, nullptr);
}

// The notices already posted, handled now (a stop asked for and waited on).
void PumpNotices() {
    MSG msg;
    Session* s = session().get();
    while (s && PeekMessageA(&msg, s->window, kMsgNotices, kMsgNotices, PM_REMOVE)) DispatchMessageA(&msg);
}

std::string ProgramPath(const base::ProjectSettings& p, std::string& directory) {
    directory = !p.debuggerDir.empty() ? p.debuggerDir : p.makeDir;
    std::string exe = !p.debuggerExeName.empty() ? p.debuggerExeName : p.exe;
    bool absolute = exe.size() > 1 && (exe[1] == ':' || exe[0] == '\\');
    if (!absolute && !directory.empty()) exe = directory + "\\" + exe;
    return exe;
}

// A new run with its session; the thread either starts the program or attaches to one.
void Begin(std::unique_ptr<Session> s) {
    base::ProjectSettings& p = base::settings().project;
    SyncSavedBreakpoints(p.breakpoints);
    for (const base::Breakpoint& b : p.breakpoints)
        if (b.line > 0) s->engine.saved.push_back({b.file, static_cast<unsigned>(b.line)});
    s->engine.process = AccessOf(*s);
    s->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    s->window = CreateNoticeWindow();
    if (!s->wake || !s->window) {
        if (s->wake) CloseHandle(s->wake);
        if (s->window) DestroyWindow(s->window);
        base::ErrorBoxId(kMsgCannotStartDebugger);
        return;
    }
    char title[256] = "";
    if (base::app().frame) GetWindowTextA(base::app().frame, title, sizeof title);
    s->title = title;
    Session* raw = s.get();
    session() = std::move(s);
    raw->running = true;  // until the thread says otherwise
    raw->thread = std::thread(DebugThread, raw);
    SetTitle("running");
    EnableCommands();
}

void Start() {
    base::ProjectSettings& p = base::settings().project;
    std::string directory;
    std::string program = ProgramPath(p, directory);
    if (debuggerSeam().mayStart && !debuggerSeam().mayStart(program)) return;
    auto s = std::make_unique<Session>();
    s->program = program;
    s->directory = directory;
    s->commandLine = p.debuggerArguments.empty() ? "\"" + program + "\"" : Printf("\"%s\" %s", program.c_str(), p.debuggerArguments.c_str());
    Begin(std::move(s));
}

// Stops the running program without showing where (for a change made while it runs); false
// when it does not stop in time.
bool BreakQuietly(Session& s) {
    s.silent = true;
    s.breakWanted = true;
    ULONGLONG until = GetTickCount64() + kBreakWaitMs;
    while (!s.stopped && s.running && GetTickCount64() < until) Sleep(5);
    return s.stopped;
}

void Resume(Session& s) {
    s.stopped = false;  // from now on: a stop seen is a new one
    s.command = kResume;
    SetEvent(s.wake);
}

void ToggleWhileDebugging(Session& s) {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc || (doc->flags & editor::kInternalBuffer)) return;
    long line = editor::CursorPosition().line;
    bool held = false;
    if (!HoldProgram(held)) return;
    ToggleResult r = s.engine.ToggleFromEditor(doc->name, static_cast<unsigned>(line), false);
    switch (r.outcome) {
    case Toggle::Set:
        if (r.line) SetBreakpointMark(*doc, static_cast<long>(r.line), true);
        break;
    case Toggle::Removed:
        SetBreakpointMark(*doc, line, false);
        if (r.line) SetBreakpointMark(*doc, static_cast<long>(r.line), false);
        break;
    case Toggle::NoCode: base::ErrorBox(Printf(base::GetString(kMsgNoCodeAtLine), static_cast<int>(line))); break;
    case Toggle::NotModule: base::ErrorBox(Printf(base::GetString(kMsgNotAModule), platform::BaseName(doc->name).c_str())); break;
    case Toggle::Kept: break;
    case Toggle::Failed: base::ErrorBoxId(kMsgCannotEstablishThe); break;
    }
    SyncSavedBreakpoints(base::settings().project.breakpoints);
    editor::RefreshEditorWindows();
    ReleaseProgram(held);
}

// The steps and the moves to a line: prepared while the program is stopped, then it runs.
void StepCommand(Session& s, int id) {
    if (!s.stopped) {
        Status(base::GetString(kMsgProgramRunning));
        return;
    }
    Engine& e = s.engine;
    StepStart start;
    if (id == CMD_STEP_IN) start = e.StepInto();
    else if (id == CMD_SAME_LEVEL) start = e.StepOver();
    else if (id == CMD_STEP_OUT) start = e.StepOut();
    else {
        editor::Document* doc = editor::CurrentDocument();
        if (!doc || (doc->flags & editor::kInternalBuffer)) return;
        auto line = static_cast<unsigned>(editor::CursorPosition().line);
        start = id == CMD_RUN_TO_CURSOR ? e.RunToCursor(doc->name, line) : e.SetNextStatement(doc->name, line);
    }
    if (!start.ok) {
        base::ErrorBox(start.problem);
        return;
    }
    if (id == CMD_SET_NEXT_STATEMENT) ShowCurrentLine(s, start.file, start.line);
    if (!start.resume) return;
    if (HWND& w = exceptionWindow()) DestroyWindow(w);
    Resume(s);
}

void Go(Session& s) {
    if (!s.stopped) {
        Status(base::GetString(kMsgProgramRunning));
        return;
    }
    if (HWND& w = exceptionWindow()) DestroyWindow(w);
    Resume(s);
}

}  // namespace

DebuggerSeam& debuggerSeam() {
    static DebuggerSeam seam;
    return seam;
}

bool DebuggingActive() { return session() != nullptr; }

bool ProgramStopped() { return session() && session()->stopped; }

Engine& engineState() {
    static Engine idle;
    return session() ? session()->engine : idle;
}

void StopDebugging() {
    std::unique_ptr<Session>& held = session();
    if (!held || held->stopping) return;
    Session& s = *held;
    s.stopping = true;
    s.killWanted = true;
    SetEvent(s.wake);
    if (s.thread.joinable()) s.thread.join();
    PumpNotices();
    // The thread is gone: the handles, the tables and the marks are ours to free.
    ClearCurrentMark(s);
    if (HWND& w = exceptionWindow()) DestroyWindow(w);
    CloseDebuggerWindows();
    std::string title = s.title;
    CloseHandle(s.wake);
    HWND window = s.window;
    std::unique_ptr<Session> gone = std::move(held);
    DestroyWindow(window);
    ResetDebugInfo();
    if (base::app().frame && !title.empty()) SetWindowTextA(base::app().frame, title.c_str());
    EnableCommands();
}

bool HoldProgram(bool& held) {
    held = false;
    Session* s = session().get();
    if (!s || s->stopped) return s != nullptr;
    if (!BreakQuietly(*s)) return false;
    held = true;
    PumpNotices();
    return true;
}

void ReleaseProgram(bool held) {
    if (Session* s = session().get(); s && held) Resume(*s);
}

void RemarkBreakpoints() {
    for (const std::unique_ptr<editor::Document>& doc : editor::editor().documents) {
        for (editor::Line* line = doc->lines->next; line != doc->lines; line = line->next)
            line->marks &= static_cast<std::uint8_t>(~editor::kMarkBreakpoint);
        MarkSavedBreakpoints(*doc, base::settings().project.breakpoints);
        editor::RequestRedraw(*doc, editor::kRedrawAll);
    }
    editor::RefreshEditorWindows();
}

void Attach(unsigned long processId, unsigned long doneEvent) {
    if (session()) return;
    auto s = std::make_unique<Session>();
    s->attachTo = processId;
    s->attachDone = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(doneEvent));
    s->engine.attaching = true;
    s->program = Printf("%lu", processId);
    Begin(std::move(s));
}

void ToggleEditorBreakpoint() {
    editor::Document* doc = editor::CurrentDocument();
    if (!doc || (doc->flags & editor::kInternalBuffer)) return;
    long line = editor::CursorPosition().line;
    ToggleBreakpointMark(*doc, line);
    SyncSavedBreakpoints(base::settings().project.breakpoints);
    editor::RefreshEditorWindows();
}

bool RunDebuggerCommand(int id, std::intptr_t, std::intptr_t& result) {
    result = 0;
    HideValueTip();
    Session* s = session().get();
    switch (id) {
    case CMD_DEBUGGER:
    case CMD_DEBUG_EXECUTE:
        if (s) Go(*s);
        else Start();
        return true;
    case CMD_DEBUG_BREAK:
        if (s && !s->stopped) s->silent = false, s->breakWanted = true;
        return true;
    case CMD_STOP_DEBUGGING:
        StopDebugging();
        return true;
    case CMD_DEBUG_RESTART:
        if (!s) return true;
        if (base::Confirm(Printf(base::GetString(kMsgRestart), platform::BaseName(s->program).c_str()))) {
            StopDebugging();
            PostMessageA(base::app().frame, WM_COMMAND, CMD_DEBUGGER, 0);
        }
        return true;
    case CMD_BREAKPOINT:
        if (s) ToggleWhileDebugging(*s);
        else ToggleEditorBreakpoint();
        return true;
    case CMD_EDIT_BREAKPOINTS:
        EditBreakpointsDialog();
        return true;
    case CMD_DATA_BREAKPOINTS:
        DataBreakpointsDialog();
        return true;
    case CMD_STEP_IN:
    case CMD_SAME_LEVEL:
    case CMD_STEP_OUT:
    case CMD_RUN_TO_CURSOR:
    case CMD_SET_NEXT_STATEMENT:
        if (s) StepCommand(*s, id);
        return true;
    default:
        return RunDebuggerWindowCommand(id);
    }
}

std::string SourcePathOf(const std::string& file) { return LocalPath(file); }

}  // namespace tarvo::debugger
