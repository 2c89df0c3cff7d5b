#include "shell/window_classes_win.h"

#include "base/messages.h"

namespace tarvo::shell {
namespace {

enum class Background { FrameBrush, AppWorkspace, White, ButtonFace, Yellow, None };
enum class Cursor { Arrow, Cross, IBeam, None };

struct ClassRow {
    unsigned nameId;        // message id of the class name, or 0
    const char* name;       // the name when it has no message id
    Cursor cursor;
    Background background;
    const char* menu;
    const char* icon;
    WNDPROC ClassProcedures::*procedure;  // null: default processing for now
};

constexpr const char* kDocumentIcon = "DOCICON";
constexpr const char* kEditorIcon = "EDICON";

// Classes without a procedure of their own yet belong to tools that come later; they are
// registered with their tools (registering them now would only slow the start-up down).
constexpr ClassRow kClasses[] = {
    {3969, nullptr, Cursor::Arrow, Background::FrameBrush, "EditMenu", kDocumentIcon, &ClassProcedures::frame},
    {3971, nullptr, Cursor::Arrow, Background::AppWorkspace, "InfoDisplay", kDocumentIcon, nullptr},
    {3972, nullptr, Cursor::Cross, Background::White, nullptr, kDocumentIcon, nullptr},
    {3973, nullptr, Cursor::Arrow, Background::White, nullptr, kDocumentIcon, nullptr},
    {3970, nullptr, Cursor::IBeam, Background::White, nullptr, kEditorIcon, &ClassProcedures::document},
    {0, "bStruct", Cursor::Arrow, Background::White, "StructDefMenu", nullptr, nullptr},
    {0, "FilesToolbar", Cursor::None, Background::FrameBrush, nullptr, nullptr, nullptr},
    {0, "TableCtrlW", Cursor::Arrow, Background::White, nullptr, nullptr, nullptr},
    {0, "smallTextPopup", Cursor::Arrow, Background::Yellow, nullptr, nullptr, &ClassProcedures::popup},
    {0, "TarvoOutput", Cursor::None, Background::ButtonFace, nullptr, nullptr, &ClassProcedures::outputBar},
    {0, "FunctionControl", Cursor::Arrow, Background::White, nullptr, nullptr, nullptr},
};

HCURSOR LoadRowCursor(Cursor cursor) {
    switch (cursor) {
    case Cursor::Arrow: return LoadCursor(nullptr, IDC_ARROW);
    case Cursor::Cross: return LoadCursor(nullptr, IDC_CROSS);
    case Cursor::IBeam: return LoadCursor(nullptr, IDC_IBEAM);
    case Cursor::None: return nullptr;
    }
    return nullptr;
}

HBRUSH RowBrush(Background background, HBRUSH frameBrush) {
    switch (background) {
    case Background::FrameBrush: return frameBrush;
    case Background::AppWorkspace: return GetSysColorBrush(COLOR_APPWORKSPACE);
    case Background::White: return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    case Background::ButtonFace: return GetSysColorBrush(COLOR_BTNFACE);
    case Background::Yellow: return CreateSolidBrush(RGB(255, 255, 0));
    case Background::None: return nullptr;
    }
    return nullptr;
}

}  // namespace

HBRUSH CreateFrameBrush() {
    HDC screen = GetDC(nullptr);
    int colours = GetDeviceCaps(screen, NUMCOLORS);
    int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    ReleaseDC(nullptr, screen);
    bool few = bits <= 8 && colours != -1 && colours < 255;
    return few ? CreateSolidBrush(GetSysColor(COLOR_MENU)) : CreateSolidBrush(RGB(224, 224, 224));
}

bool RegisterWindowClasses(HINSTANCE instance, const ClassProcedures& procedures,
                           HBRUSH frameBrush) {
    // Each icon once: several classes share one.
    HICON documentIcon = LoadIconA(instance, kDocumentIcon), editorIcon = LoadIconA(instance, kEditorIcon);
    for (const ClassRow& row : kClasses) {
        if (!row.procedure || !(procedures.*row.procedure)) continue;
        WNDCLASSA wc{};
        wc.style = CS_DBLCLKS | CS_OWNDC;
        wc.lpfnWndProc = procedures.*row.procedure;
        wc.cbWndExtra = 40;
        wc.hInstance = instance;
        wc.hIcon = row.icon == kDocumentIcon ? documentIcon : row.icon == kEditorIcon ? editorIcon : nullptr;
        wc.hCursor = LoadRowCursor(row.cursor);
        wc.hbrBackground = RowBrush(row.background, frameBrush);
        wc.lpszMenuName = row.menu;
        wc.lpszClassName = row.nameId ? base::GetString(row.nameId) : row.name;
        if (!RegisterClassA(&wc)) return false;
    }
    return true;
}

}  // namespace tarvo::shell
