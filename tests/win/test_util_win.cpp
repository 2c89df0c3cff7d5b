#include "test_util_win.h"

#include <fstream>
#include <sstream>

namespace tarvo::test {
namespace {

// Unix paths of the build reach Windows programs through Wine's Z: drive.
std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

}  // namespace

void EmptyFolder(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName, path = dir + "\\" + name;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA(path.c_str());
        } else if (name != "." && name != "..") {
            EmptyFolder(path);  // a project's output directories from an earlier run
            RemoveDirectoryA(path.c_str());
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

std::string BuildRoot() { return WindowsPath(TARVO_ROOT_DIR); }

std::string ScratchDir(const std::string& name) {
    std::string base = WindowsPath(TARVO_BUILD_DIR) + "\\guitest";
    CreateDirectoryA(base.c_str(), nullptr);
    std::string dir = base + "\\" + name;
    EmptyFolder(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void ShiftFileTime(const std::string& path, int seconds) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    FILETIME written;
    if (GetFileTime(file, nullptr, nullptr, &written)) {
        ULARGE_INTEGER t{{written.dwLowDateTime, written.dwHighDateTime}};
        t.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ULL;
        written = {t.LowPart, t.HighPart};
        SetFileTime(file, nullptr, nullptr, &written);
    }
    CloseHandle(file);
}

std::string Text(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool Screenshot(const std::string& path) {
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DWORD rowBytes = ((width * 3 + 3) / 4) * 4, size = rowBytes * height;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + size;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return out.good();
}

}  // namespace tarvo::test
