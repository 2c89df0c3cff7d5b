#include "platform/files_win.h"

#include <windows.h>

#include <new>
#include <string>

#include "platform/files.h"

namespace tarvo::platform {
namespace {

// Paths are kept in the ANSI code page, as every other file call of the program takes them.
std::wstring Wide(const std::string& text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string Narrow(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 1 ? n : 1), '\0');
    if (n > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.pop_back();  // the terminating zero
    return out;
}

HANDLE FindFirst(const std::wstring& pattern, WIN32_FIND_DATAW& found) {
    // The basic form skips the short names and fetches many entries a call; systems before
    // Windows 7 refuse it, and get the plain form.
    HANDLE handle = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        handle = FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0);
    return handle;
}

bool List(const std::string& directory, DirectoryListing& out) {
    std::wstring pattern = Wide(directory);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found;
    HANDLE handle = FindFirst(pattern, found);
    if (handle == INVALID_HANDLE_VALUE) return DirectoryExists(directory);  // an empty drive root
    do {
        const wchar_t* name = found.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        // A junction or a directory link is never followed: a link back up the tree would
        // make the walk go round for ever.
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? out.directories : out.files).push_back(Narrow(name));
    } while (FindNextFileW(handle, &found));
    FindClose(handle);
    return true;
}

constexpr std::size_t kLeastBuffer = 1 << 16;

bool ReadInto(const std::string& path, std::string& buffer, std::size_t& size) {
    size = 0;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    try {
        // No call for the size: the buffer is usually larger than the file already, and a read
        // that comes up short is the end of the file.
        if (buffer.size() < kLeastBuffer) buffer.resize(kLeastBuffer);
        for (;;) {
            if (size == buffer.size()) {
                // A file larger than the buffer: grown once to its size, when that is known.
                LARGE_INTEGER length{};
                std::size_t larger = buffer.size() * 2;
                if (GetFileSizeEx(file, &length) && static_cast<unsigned long long>(length.QuadPart) < SIZE_MAX / 2 &&
                    static_cast<std::size_t>(length.QuadPart) >= larger)
                    larger = static_cast<std::size_t>(length.QuadPart) + 1;
                buffer.resize(larger);
            }
            const std::size_t room = buffer.size() - size;
            const DWORD ask = room > 0x40000000 ? 0x40000000 : static_cast<DWORD>(room);
            DWORD got = 0;
            if (!ReadFile(file, buffer.data() + size, ask, &got, nullptr)) {
                ok = false;
                break;
            }
            size += got;
            if (got < ask) break;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    CloseHandle(file);
    if (!ok) size = 0;
    return ok;
}

}  // namespace

void InstallWin32Files() { setWalkOps({List, ReadInto}); }

}  // namespace tarvo::platform
