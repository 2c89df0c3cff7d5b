#include "bridge_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace tarvo::testbed {
namespace {

using SpawnFunction = LONG(CDECL*)(char* const argv[], int wait);
using ToUnixFunction = char*(CDECL*)(LPCWSTR);
using ToDosFunction = WCHAR*(CDECL*)(LPCSTR);

template <typename F>
F WineExport(const char* module, const char* name) {
    HMODULE m = GetModuleHandleA(module);
    return m ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}

std::wstring Wide(const std::string& s, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(n > 0 ? n : 1, L'\0');
    MultiByteToWideChar(codePage, 0, s.c_str(), -1, w.data(), n);
    w.resize(n > 0 ? n - 1 : 0);
    return w;
}

std::string Narrow(const wchar_t* w, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, w, -1, nullptr, 0, nullptr, nullptr);
    std::string s(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(codePage, 0, w, -1, s.data(), n, nullptr, nullptr);
    s.resize(n > 0 ? n - 1 : 0);
    return s;
}

// Sets the directory, sends the output to the scratch files, and runs the program in a process
// group of its own, so that the exit code is the program's own (126: no such directory, 127: no
// such program). A watchdog ends that group when the Windows side is gone (a stopped build
// ends the stand-in; the compiler it started must not run on): the shell's parent is the
// stand-in's process, and the shell is handed to another parent the moment it dies.
constexpr const char kScript[] =
    "cd \"$1\" || exit 126; o=$2; e=$3; shift 3\n"
    "setsid \"$@\" </dev/null >\"$o\" 2>\"$e\" & c=$!\n"
    "(while sleep 0.2; do read -r l </proc/$$/stat || exit; set -- $l\n"
    "  [ \"$4\" = \"$PPID\" ] || { kill -KILL -$c; exit; }; done) </dev/null >/dev/null 2>&1 & w=$!\n"
    "wait $c; s=$?; kill $w 2>/dev/null; exit $s";

}  // namespace

std::string UnixPath(const std::string& windowsPath) {
    static const ToUnixFunction toUnix = WineExport<ToUnixFunction>("kernel32.dll", "wine_get_unix_file_name");
    if (!toUnix || windowsPath.empty()) return "";
    std::wstring path = Wide(windowsPath, CP_ACP);
    wchar_t full[32768];
    DWORD n = GetFullPathNameW(path.c_str(), 32768, full, nullptr);
    if (n == 0 || n >= 32768) return "";
    char* unix = toUnix(full);
    if (!unix) return "";
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string WindowsPath(const std::string& unixPath) {
    static const ToDosFunction toDos = WineExport<ToDosFunction>("kernel32.dll", "wine_get_dos_file_name");
    if (!toDos || unixPath.empty()) return "";
    WCHAR* dos = toDos(unixPath.c_str());
    if (!dos) return "";
    std::string result = Narrow(dos, CP_ACP);
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::string ScratchFile() {
    char dir[MAX_PATH], name[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, dir);
    if (n == 0 || n >= MAX_PATH || !GetTempFileNameA(dir, "tvb", 0, name)) return "";
    return name;
}

std::string ReadWholeFile(const std::string& path, std::size_t limit) {
    std::string text;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; text.size() < limit && (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            text.append(buffer, std::min(n, limit - text.size()));
        std::fclose(f);
    }
    return text;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

LinuxRun RunLinux(const std::vector<std::string>& argv, const std::string& directory) {
    LinuxRun run;
    static const SpawnFunction spawn = WineExport<SpawnFunction>("ntdll.dll", "__wine_unix_spawnvp");
    if (!spawn) {
        run.problem = "this program needs Wine to run Linux tools";
        return run;
    }
    std::string out = ScratchFile(), err = ScratchFile();
    std::string unixOut = UnixPath(out), unixErr = UnixPath(err);
    if (unixOut.empty() || unixErr.empty()) {
        run.problem = "no scratch file for the output of " + argv[0];
    } else {
        std::vector<std::string> words = {"/bin/sh", "-c", kScript, "bridge", directory, unixOut, unixErr};
        words.insert(words.end(), argv.begin(), argv.end());
        std::vector<char*> pointers;
        for (std::string& w : words) pointers.push_back(w.data());
        pointers.push_back(nullptr);
        LONG status = spawn(pointers.data(), 1);
        if (status < 0) run.problem = "/bin/sh could not be started";
        run.exitCode = static_cast<int>(status);
        run.output = ReadWholeFile(out);
        run.errors = ReadWholeFile(err);
        if (run.exitCode == 126) run.problem = "no such directory: " + directory;
        else if (run.exitCode == 127) run.problem = "cannot run " + argv[0];
    }
    if (!out.empty()) DeleteFileA(out.c_str());
    if (!err.empty()) DeleteFileA(err.c_str());
    return run;
}

}  // namespace tarvo::testbed
