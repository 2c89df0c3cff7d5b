// vexlnk.exe, the compiler system's linker. This stand-in hands the work to the mingw gcc driver
// (and GNU ld) of its own build's machine: i686-w64-mingw32-gcc, or x86_64-w64-mingw32-gcc in
// the 64-bit build.
//
//   vexlnk [-s] [-dll] [-entry <symbol>] [-subsystem console|windows] [-map <file>]
//          [-nounderscores] [-L <dir>] -o <output> <objects> <.res files> <libraries>
//
// A ".res" from vrc is a COFF object and is linked as one. A library named without a directory
// is looked for in the working directory, the -L directories and the root's lib folder; when
// it is in none of them it is the toolchain's own import library (winmm.lib: -lwinmm).
// -nounderscores is accepted and changes nothing. Unless -s strips the image, the CodeView
// records of the objects, and of the members ld took from the libraries given as files
// (.debug$S, .debug$T, which GNU ld drops), are converted to CodeView 4
// and added to the image as a ".debug" section (codeview_core.h), placed by ld's map: the one
// -map asks for, else a scratch map that is removed afterwards.
// Messages go to stderr, one line each; an undefined symbol reads
// "<object>: undefined reference to <symbol>". Exit status: 0 done; 1 the link failed, or
// TARVO_TOOL_FAIL asks; 2 gcc cannot be run; 3 a wrong command line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bridge_win.h"
#include "standin_win.h"
#include "vexlnk_core.h"

using namespace tarvo::testbed;

namespace {

int Fail(int status, const std::string& text) {
    std::fprintf(stderr, "Error vexlnk: %s\n", text.c_str());
    return status;
}

// <root>\lib, the root being the folder above our own bin folder.
std::string RootLib() {
    char path[32768];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string own(path, n < sizeof path ? n : 0);
    for (int i = 0; i < 2; ++i) own = own.substr(0, own.find_last_of('\\') == std::string::npos ? 0 : own.find_last_of('\\'));
    return own + "\\lib";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadBytes(const std::string& path, std::vector<std::uint8_t>& out) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart < (1ll << 31);
    if (ok) out.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    ok = ok && (out.empty() || (ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &got, nullptr) && got == out.size()));
    CloseHandle(f);
    return ok;
}

// Whole, under a scratch name first, then moved over the old file.
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string scratch = path + ".cv~";
    HANDLE f = CreateFileA(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    ok = CloseHandle(f) && ok;
    if (ok && MoveFileExA(scratch.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(scratch.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (StandinStart("vexlnk")) return Fail(1, "failing as TARVO_TOOL_FAIL asks");
    LinkCommand command = ParseLinkArguments(Arguments(argc, argv));
    if (!command.problem.empty()) return Fail(3, command.problem);
    bool debugInfo = WantsDebugInfo(command);
    std::string scratchMap = debugInfo ? ScratchFile() : "";
    if (debugInfo && scratchMap.empty()) return Fail(2, "no scratch file for the map");
    std::string map = debugInfo ? MapFile(command, scratchMap) : "";
    if (map != scratchMap) DeleteFileA(scratchMap.c_str());
    std::string problem;
    std::vector<std::string> gcc = GccLinkCommand(command, kWideBuild, RootLib(), Exists, UnixPath, problem);
    int status = 0;
    if (!problem.empty()) status = Fail(3, problem);
    LinuxRun run;
    if (status == 0) run = RunLinuxHere(gcc);
    if (status == 0 && !run.problem.empty()) status = Fail(2, run.problem);
    if (status == 0) {
        std::fputs(LinkerMessages(run.errors + run.output, WindowsPath).c_str(), stderr);
        status = run.exitCode == 0 ? 0 : 1;
    }
    if (status == 0 && debugInfo) {
        std::string messages;
        if (!AddDebugInfo(command, gcc, map, {ReadBytes, WriteBytes}, WindowsPath, messages)) status = 1;
        std::fputs(messages.c_str(), stderr);
    }
    if (map == scratchMap) DeleteFileA(scratchMap.c_str());
    return status;
}
