#include "shell/shared_area_win.h"

#include <windows.h>

#include <cstring>

namespace tarvo::shell {
namespace {

struct SharedArea {
    HANDLE mapping = nullptr;
    char* view = nullptr;
};

SharedArea& area() {
    static SharedArea a;
    return a;
}

}  // namespace

bool CreateSharedArea() {
    SharedArea& a = area();
    a.mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                   kSharedAreaSize, "tarvo");
    if (!a.mapping) return false;
    a.view = static_cast<char*>(
        MapViewOfFile(a.mapping, FILE_MAP_ALL_ACCESS, 0, 0, kSharedAreaMapped));
    return a.view != nullptr;
}

void CloseSharedArea() {
    SharedArea& a = area();
    if (a.view) UnmapViewOfFile(a.view);
    if (a.mapping) CloseHandle(a.mapping);
    a = SharedArea{};
}

std::string SharedAreaText() {
    const char* view = area().view;
    if (!view) return {};
    // Another program wrote it: never read past the mapped part, even without a zero byte.
    return std::string(view, strnlen(view, kSharedAreaMapped));
}

}  // namespace tarvo::shell
