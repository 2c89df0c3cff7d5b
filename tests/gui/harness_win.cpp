#include "harness_win.h"

#include "base/app_win.h"

#include <cstdio>
#include <algorithm>
#include <cstring>

namespace tarvo::gui {
namespace {

HWND FindWindowOf(DWORD pid, const char* className) {
    return FindTopLevel(pid, [className](HWND window) {
        return ClassOf(window) == className && IsWindowVisible(window);
    });
}

bool Alive(const Running& tarvo) {
    return tarvo.process.hProcess &&
           WaitForSingleObject(tarvo.process.hProcess, 0) == WAIT_TIMEOUT;
}

void Release(Running& tarvo) {
    if (tarvo.process.hProcess) CloseHandle(tarvo.process.hProcess);
    if (tarvo.process.hThread) CloseHandle(tarvo.process.hThread);
    tarvo = Running{};
}

}  // namespace

std::string TarvoExe() { return BuildRoot() + "\\bin\\tarvo.exe"; }

void DeleteKey(const std::string& key) { RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str()); }

void SetValue(const std::string& key, const std::string& name, const std::string& text) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(handle);
}

bool GetValue(const std::string& key, const std::string& name, std::string& text) {
    char buffer[4096];
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return false;
    text = buffer;
    return true;
}

void ResetSettings() {
    test::EmptyFolder(BuildRoot() + "\\tarvoautosave");
    DeleteKey("Software\\vex");
    SetValue("Software\\vex\\Compiler", "includepath", BuildRoot() + "\\include");
    SetValue("Software\\vex\\vexlnk", "libpath", BuildRoot() + "\\lib");
}

bool Launch(Running& tarvo, const std::string& tail, const std::string& folder, bool minimised) {
    std::string commandLine = "\"" + TarvoExe() + "\"" + (tail.empty() ? "" : " " + tail);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (minimised) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWMINNOACTIVE;
    }
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &tarvo.process) != FALSE;
}

bool WaitForFrame(Running& tarvo, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds && Alive(tarvo); waited += 100) {
        tarvo.frame = FindWindowOf(tarvo.process.dwProcessId, "clMDIFrame");
        if (tarvo.frame) {
            WaitForInputIdle(tarvo.process.hProcess, 5000);
            return true;
        }
        Sleep(100);
    }
    return false;
}

bool Start(Running& tarvo, const std::string& tail, const std::string& folder) {
    return Launch(tarvo, tail, folder) && WaitForFrame(tarvo);
}

bool Close(Running& tarvo, DWORD* exitCode) {
    if (!tarvo.process.hProcess) return false;
    if (tarvo.frame) PostMessageA(tarvo.frame, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(tarvo.process.hProcess, 20000) == WAIT_OBJECT_0;
    if (ended && exitCode) GetExitCodeProcess(tarvo.process.hProcess, exitCode);
    if (!ended) Kill(tarvo);
    Release(tarvo);
    return ended;
}

void Kill(Running& tarvo) {
    if (Alive(tarvo)) {
        TerminateProcess(tarvo.process.hProcess, 99);
        WaitForSingleObject(tarvo.process.hProcess, 5000);
    }
    Release(tarvo);
}

struct Search {
    DWORD pid;
    const std::function<bool(HWND)>* wanted;
    HWND found;
};

BOOL CALLBACK SearchTopLevel(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid || !(*search->wanted)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(DWORD pid, const std::function<bool(HWND)>& wanted) {
    Search search{pid, &wanted, nullptr};
    EnumWindows(SearchTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double Milliseconds() {
    static LARGE_INTEGER frequency{};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

HWND ChildOfClass(HWND parent, const char* className) {
    return FindWindowExA(parent, nullptr, className, nullptr);
}

HWND MdiClient(HWND frame) { return ChildOfClass(frame, "MDIClient"); }

std::vector<HWND> MdiChildren(HWND frame) {
    std::vector<HWND> children;
    HWND client = MdiClient(frame);
    for (HWND child = client ? GetWindow(client, GW_CHILD) : nullptr; child;
         child = GetWindow(child, GW_HWNDNEXT))
        if (GetParent(child) == client && ClassOf(child) != "ScrollBar") children.push_back(child);
    return children;
}

bool HasMenuBar(HWND frame) {
    if (!GetMenu(frame)) return false;
    // The menu bar lies between the caption and the client area.
    RECT window, client;
    GetWindowRect(frame, &window);
    GetClientRect(frame, &client);
    POINT origin{0, 0};
    ClientToScreen(frame, &origin);
    int aboveClient = origin.y - window.top;
    return aboveClient >= GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) - 1;
}

LRESULT Command(HWND frame, unsigned id, LPARAM param) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(frame, WM_COMMAND, id, param, SMTO_NORMAL, 10000, &result);
    return static_cast<LRESULT>(result);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    for (DWORD waited = 0; waited <= milliseconds; waited += 20) {
        if (condition()) return true;
        Sleep(20);
    }
    return false;
}

bool Settle(const Running& tarvo, DWORD milliseconds) {
    static UINT_PTR ticket = 0;
    if (!tarvo.frame || !IsWindow(tarvo.frame)) return false;
    HANDLE wanted = reinterpret_cast<HANDLE>(++ticket);
    if (!PostMessageA(tarvo.frame, base::kMsgSync, ticket, 0)) return false;
    for (DWORD waited = 0; waited <= milliseconds; waited += 10) {
        if (GetPropA(tarvo.frame, base::kSyncProperty) == wanted) return true;
        Sleep(10);
    }
    return false;
}

// A dialog that can be answered: the start-up banner has no buttons.
bool HasButton(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (_stricmp(ClassOf(child).c_str(), "Button") == 0) return true;
    return false;
}

HWND WaitForBox(const Running& tarvo, DWORD milliseconds) {
    HWND box = nullptr;
    WaitUntil([&] {
        box = FindTopLevel(tarvo.process.dwProcessId, [](HWND window) {
            return ClassOf(window) == "#32770" && IsWindowVisible(window) && HasButton(window);
        });
        return box != nullptr;
    }, milliseconds);
    return box;
}

std::string BoxText(HWND box) {
    std::string longest;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (_stricmp(ClassOf(child).c_str(), "Static") != 0) continue;
        std::string text = Text(child);
        if (text.size() > longest.size()) longest = text;
    }
    return longest;
}

void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    for (int tick = 0; tick < 100 && IsWindow(box); ++tick) Sleep(50);
}

bool Banner(const Running& tarvo) {
    HWND banner = FindWindowOf(tarvo.process.dwProcessId, "TarvoBanner");
    return banner && IsWindowVisible(banner);
}

bool WriteSharedArea(const std::string& text) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, "tarvo");
    if (!mapping) return false;
    char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 1024));
    if (view) {
        std::memcpy(view, text.c_str(), std::min<size_t>(text.size() + 1, 1024));
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return view != nullptr;
}

}  // namespace tarvo::gui
