#include "base/app_win.h"

namespace tarvo::base {

App& app() {
    static App a;
    return a;
}

bool RegisterWindowClass(const WindowClass& wanted) {
    HINSTANCE instance = app().instance;
    WNDCLASSA c{};
    if (GetClassInfoA(instance, wanted.name, &c)) return true;
    c.style = wanted.style;
    c.lpfnWndProc = wanted.procedure;
    c.hInstance = instance;
    c.hIcon = wanted.icon;
    c.hCursor = wanted.cursor ? LoadCursorA(nullptr, wanted.cursor) : nullptr;
    c.hbrBackground = wanted.background;
    c.lpszClassName = wanted.name;
    return RegisterClassA(&c) != 0;
}

}  // namespace tarvo::base
