#include "tools/obj_xref_win.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "base/settings.h"
#include "platform/files.h"
#include "resource_ids.h"
#include "tools/relations.h"
#include "tools/tools_messages.h"

namespace tarvo::tools {
namespace {

constexpr char kRelationsClass[] = "tarvoRelations";

LRESULT Send(HWND dialog, int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendDlgItemMessageA(dialog, id, message, w, l);
}

void AddLine(HWND dialog, int id, const std::string& text) {
    Send(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int Selected(HWND dialog, int id) { return static_cast<int>(Send(dialog, id, LB_GETCURSEL)); }

// The files dialog: the output directory's objects, all selected; Add appends more.
bool ChooseFiles(std::vector<std::string>& files) {
    std::string directory = base::settings().project.makeDir;
    if (directory.empty()) directory = platform::CurrentDirectory();
    files = ObjectFilesIn(directory);
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        SetWindowTextA(d, base::GetString(kMsgXrefFileTitle));
        for (const std::string& f : files) AddLine(d, IDC_XREF_FILES, f);
        Send(d, IDC_XREF_FILES, LB_SETSEL, TRUE, -1);
    };
    plan.command = [&](HWND d, WPARAM w) {
        if (LOWORD(w) != IDC_XREF_ADD) return false;
        std::vector<std::string> more;
        if (base::AskFileNames(base::FileDialog::Open, true, more, base::GetString(kMsgXrefFileTitle)))
            for (const std::string& f : more) {
                files.push_back(f);
                AddLine(d, IDC_XREF_FILES, f);
                Send(d, IDC_XREF_FILES, LB_SETSEL, TRUE, static_cast<LPARAM>(files.size() - 1));
            }
        return true;
    };
    plan.ok = [&](HWND d) -> INT_PTR {
        std::vector<std::string> chosen;
        for (std::size_t i = 0; i < files.size(); ++i)
            if (Send(d, IDC_XREF_FILES, LB_GETSEL, i) > 0) chosen.push_back(files[i]);
        if (chosen.empty()) {
            base::ErrorBoxId(kMsgXrefNoFiles);
            return base::kStayOpen;
        }
        files = std::move(chosen);
        return IDOK;
    };
    return base::RunDialog(IDD_OBJ_XREF_FILES, plan) == IDOK;
}

void ShowModule(HWND d, const XrefModel& model, int index) {
    for (int id : {IDC_XREF_PUBLICS, IDC_XREF_EXTERNS, IDC_XREF_SECTIONS, IDC_XREF_UNREFERENCED}) Send(d, id, LB_RESETCONTENT);
    SetDlgItemTextA(d, IDC_XREF_SYMBOL_TEXT, "");
    if (index < 0 || index >= static_cast<int>(model.modules.size())) return;
    const XrefModule& m = model.modules[static_cast<std::size_t>(index)];
    SetDlgItemTextA(d, IDC_XREF_MODULE_TEXT, ModuleText(m).c_str());
    SetDlgItemTextA(d, IDC_XREF_SYMBOL_COUNT, SymbolCountText(m).c_str());
    for (const XrefPublic& p : m.publics) AddLine(d, IDC_XREF_PUBLICS, p.name);
    for (const XrefExtern& e : m.externs) AddLine(d, IDC_XREF_EXTERNS, e.name);
    for (const XrefSection& s : m.sections) AddLine(d, IDC_XREF_SECTIONS, s.name + "  " + std::to_string(s.size));
    for (const XrefPublic* p : Unreferenced(m)) AddLine(d, IDC_XREF_UNREFERENCED, p->name);
}

void ShowXref(const XrefModel& model) {
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        for (const XrefModule& m : model.modules) AddLine(d, IDC_XREF_MODULES, platform::BaseName(m.file));
        SetDlgItemTextA(d, IDC_XREF_TOTALS, TotalsText(Totals(model)).c_str());
        Send(d, IDC_XREF_MODULES, LB_SETCURSEL, 0);
        ShowModule(d, model, 0);
    };
    plan.command = [&](HWND d, WPARAM w) {
        int id = LOWORD(w), module = Selected(d, IDC_XREF_MODULES);
        const XrefModule* m = module >= 0 && module < static_cast<int>(model.modules.size()) ? &model.modules[module] : nullptr;
        if (HIWORD(w) == LBN_SELCHANGE && id == IDC_XREF_MODULES) {
            ShowModule(d, model, module);
            return true;
        }
        if (HIWORD(w) == LBN_SELCHANGE && m && id == IDC_XREF_PUBLICS) {
            int p = Selected(d, id);
            if (p >= 0) SetDlgItemTextA(d, IDC_XREF_SYMBOL_TEXT, PublicText(model, m->publics[p]).c_str());
            return true;
        }
        if (HIWORD(w) == LBN_SELCHANGE && m && id == IDC_XREF_EXTERNS) {
            int e = Selected(d, id);
            if (e >= 0) SetDlgItemTextA(d, IDC_XREF_SYMBOL_TEXT, ExternText(model, m->externs[e]).c_str());
            return true;
        }
        if (id == IDC_XREF_FIND && HIWORD(w) == BN_CLICKED) {
            std::string name;
            if (base::PromptDialog(base::GetString(kMsgXrefTitle), base::GetString(kMsgXrefSymbolName), name) && !name.empty())
                base::InfoBox(FindText(model, name, Find(model, name)));
            return true;
        }
        if (id == IDC_XREF_PLOT && HIWORD(w) == BN_CLICKED) {
            ShowRelations(model);
            return true;
        }
        return false;
    };
    base::RunDialog(IDD_OBJ_XREF, plan);
}

// What the window draws: its own copy, so it outlives the dialog.
struct Relations {
    RelationPicture picture;
    std::vector<std::string> names;
};

void Arrowhead(HDC dc, int x1, int y1, int x2, int y2) {
    double dx = x2 - x1, dy = y2 - y1, length = std::max(1.0, std::sqrt(dx * dx + dy * dy));
    dx /= length, dy /= length;
    POINT head[3] = {{x2, y2},
                     {static_cast<LONG>(x2 - 10 * dx + 5 * dy), static_cast<LONG>(y2 - 10 * dy - 5 * dx)},
                     {static_cast<LONG>(x2 - 10 * dx - 5 * dy), static_cast<LONG>(y2 - 10 * dy + 5 * dx)}};
    Polygon(dc, head, 3);
}

void PaintRelations(HWND window, HDC dc, const Relations& r) {
    RECT client;
    GetClientRect(window, &client);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, std::max(1, r.picture.width), std::max(1, r.picture.height), nullptr);
    SetViewportExtEx(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom), nullptr);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    for (const RelationArrow& a : r.picture.arrows) {
        MoveToEx(dc, a.x1, a.y1, nullptr);
        LineTo(dc, a.x2, a.y2);
        Arrowhead(dc, a.x1, a.y1, a.x2, a.y2);
        if (a.both) Arrowhead(dc, a.x2, a.y2, a.x1, a.y1);
    }
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    for (const RelationBox& b : r.picture.boxes) {
        Rectangle(dc, b.x, b.y, b.x + b.width, b.y + b.height);
        RECT text{b.x + 2, b.y + 2, b.x + b.width - 2, b.y + b.height - 2};
        const std::string& name = r.names[b.module];
        DrawTextA(dc, name.c_str(), static_cast<int>(name.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    SelectObject(dc, oldBrush);
}

LRESULT CALLBACK RelationsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* r = reinterpret_cast<Relations*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_SIZE: InvalidateRect(window, nullptr, TRUE); return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (r) PaintRelations(window, dc, *r);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        delete r;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

HWND ShowRelations(const XrefModel& model) {
    base::RegisterWindowClass({.name = kRelationsClass, .procedure = RelationsProc, .style = CS_HREDRAW | CS_VREDRAW});
    auto r = std::make_unique<Relations>();
    r->picture = LayOutRelations(model);
    for (const XrefModule& m : model.modules) r->names.push_back(platform::BaseName(m.file));
    HWND window = CreateWindowExA(0, kRelationsClass, base::GetString(kMsgXrefRelations), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                                  480, base::app().frame, nullptr, base::app().instance, r.get());
    if (!window) return nullptr;
    r.release();  // the window owns it now
    ShowWindow(window, SW_SHOW);
    return window;
}

bool ObjXrefCommand() {
    std::vector<std::string> files;
    if (!ChooseFiles(files)) return false;
    XrefModel model;
    if (!BuildXref(files, model) || model.modules.empty()) return false;
    ShowXref(model);
    return true;
}

}  // namespace tarvo::tools
