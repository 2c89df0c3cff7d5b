#include "tools/binary_view_win.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "base/app_win.h"
#include "base/dialogs_win.h"
#include "base/messages.h"
#include "editor/editor_messages.h"
#include "editor/search_messages.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "resource_ids.h"
#include "tools/binary_view.h"
#include "tools/binary_view_messages.h"
#include "tools/structure_file.h"

namespace tarvo::tools {
namespace {

using Buffer = std::vector<std::uint8_t>;

struct View {
    std::string path;
    platform::ReadHandle file;
    platform::FileStamp stamp;
    std::uint64_t offset = 0;  // of the first byte shown
    ViewFormat format;
    Buffer pattern;
    bool atMatch = false;  // the offset is the last match: Find next starts after it
    std::string structurePath;
    std::optional<Structure> structure;
    Overlay overlay;
    HWND window = nullptr, overlayList = nullptr;
    int lineHeight = 16, charWidth = 8;
};

View* ViewOf(HWND window) { return reinterpret_cast<View*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

HFONT RowFont() {
    return base::app().fixedFont ? base::app().fixedFont : static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
}

void Error(unsigned id, const std::string& argument) { base::ErrorBox(Printf(base::GetString(id), argument.c_str())); }

int RowsOnPage(const View& v) {
    RECT r;
    GetClientRect(v.window, &r);
    int height = r.bottom;
    if (v.overlayList && IsWindowVisible(v.overlayList)) height -= (r.bottom * 2) / 5;
    return std::max(1, height / v.lineHeight);
}

std::uint64_t LastOffset(const View& v) { return v.file.size == 0 ? 0 : v.file.size - 1; }

// The rows of the page, read at the offset in one bounded read; false after a read error.
bool PageRows(View& v, std::vector<std::string>& rows) {
    const int count = RowsOnPage(v);
    Buffer bytes(static_cast<std::size_t>(count) * kBytesPerRow);
    std::int64_t got = platform::ReadAt(v.file, v.offset, bytes.data(), bytes.size());
    if (got < 0) return false;
    const int width = OffsetWidth(v.file.size, v.format.decimalOffsets);
    for (std::size_t at = 0; at < static_cast<std::size_t>(got); at += kBytesPerRow) {
        binary::Bytes row(bytes.data() + at, std::min<std::size_t>(kBytesPerRow, static_cast<std::size_t>(got) - at));
        rows.push_back(RowText(FormatRow(v.offset + at, row, v.format), width, v.format));
    }
    return true;
}

void LayOverlay(View& v) {
    if (!v.overlayList) return;
    SendMessageA(v.overlayList, LB_RESETCONTENT, 0, 0);
    const bool shown = v.structure.has_value();
    if (shown) {
        const bool hex = !v.format.decimalOffsets;
        v.overlay = LayStructure(v.file, v.offset, *v.structure, hex);
        for (const OverlayLine& l : v.overlay.lines) {
            std::string text = l.field + "  " + l.offset + ": " + l.values;
            if (l.pastEnd) text += base::GetString(kMsgStructPastEnd);
            SendMessageA(v.overlayList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageA(v.overlayList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(v.overlay.following.c_str()));
        if (v.overlay.readError) platform::ui().statusText(Printf(base::GetString(kMsgBinCannotRead), v.path.c_str()).c_str());
    }
    ShowWindow(v.overlayList, shown ? SW_SHOW : SW_HIDE);
}

void UpdateScrollBar(View& v) {
    ScrollScale s = ScaleFor(v.file.size);
    const int page = std::max<int>(1, static_cast<int>(static_cast<std::uint64_t>(RowsOnPage(v)) / s.unit));
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, ScrollPosition(s, s.rows) + page - 1),
                  static_cast<UINT>(page), ScrollPosition(s, v.offset / kBytesPerRow), 0};
    SetScrollInfo(v.window, SB_VERT, &si, TRUE);
}

void Layout(View& v) {
    RECT r;
    GetClientRect(v.window, &r);
    const int listHeight = (r.bottom * 2) / 5;
    MoveWindow(v.overlayList, 0, r.bottom - listHeight, r.right, listHeight, TRUE);
}

void Refresh(View& v) {
    LayOverlay(v);
    Layout(v);
    UpdateScrollBar(v);
    InvalidateRect(v.window, nullptr, TRUE);
}

void MoveTo(View& v, std::uint64_t offset, bool match = false) {
    v.offset = std::min(offset, LastOffset(v));
    v.atMatch = match;
    Refresh(v);
}

// Rows up or down from the offset, kept inside the file.
void MoveRows(View& v, std::int64_t rows) {
    const std::uint64_t step = static_cast<std::uint64_t>(rows < 0 ? -rows : rows) * kBytesPerRow;
    if (rows < 0) MoveTo(v, v.offset > step ? v.offset - step : 0);
    else if (LastOffset(v) - std::min(LastOffset(v), v.offset) >= step) MoveTo(v, v.offset + step);
}

void ShowLastPage(View& v) {
    const std::uint64_t lastRow = LastOffset(v) / kBytesPerRow;
    const std::uint64_t page = static_cast<std::uint64_t>(RowsOnPage(v));
    MoveTo(v, (lastRow >= page ? lastRow - page + 1 : 0) * kBytesPerRow);
}

void Scroll(View& v, WPARAM wParam) {
    const int page = RowsOnPage(v);
    switch (LOWORD(wParam)) {
    case SB_LINEUP: MoveRows(v, -1); break;
    case SB_LINEDOWN: MoveRows(v, 1); break;
    case SB_PAGEUP: MoveRows(v, -page); break;
    case SB_PAGEDOWN: MoveRows(v, page); break;
    case SB_TOP: MoveTo(v, 0); break;
    case SB_BOTTOM: ShowLastPage(v); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit tracking position, not the 16-bit one of the message.
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(v.window, SB_VERT, &si);
        MoveTo(v, RowAtPosition(ScaleFor(v.file.size), si.nTrackPos) * kBytesPerRow);
        break;
    }
    }
}

// Opens the file again (after a change, or when it changed on disk).
bool Reopen(View& v) {
    v.stamp = platform::StampOf(v.path);
    if (!platform::OpenForReading(v.path, v.file)) {
        Error(kMsgBinCannotRead, v.path);
        return false;
    }
    v.offset = std::min(v.offset, LastOffset(v));
    Refresh(v);
    return true;
}

// ---- The value entry of Search and Change: values of a kind collected with Add, cleared with Reset.

ValueKind KindChosen(HWND d) {
    if (base::Checked(d, IDC_BIN_KIND_16)) return ValueKind::Bits16;
    if (base::Checked(d, IDC_BIN_KIND_32)) return ValueKind::Bits32;
    if (base::Checked(d, IDC_BIN_KIND_TEXT)) return ValueKind::Text;
    return ValueKind::Bits8;
}

void ShowPattern(HWND d, const Buffer& pattern) { SetDlgItemTextA(d, IDC_BIN_PATTERN, BlockBytes(pattern).c_str()); }

// Adds the value typed; false, with the reason, when it is refused.
bool AddTypedValue(HWND d, Buffer& pattern) {
    const std::string text = base::ItemText(d, IDC_BIN_VALUE);
    const ValueKind kind = KindChosen(d);
    switch (AddValue(text, kind, base::Checked(d, IDC_BIN_HEX), pattern)) {
    case ValueProblem::None:
        SetDlgItemTextA(d, IDC_BIN_VALUE, "");
        ShowPattern(d, pattern);
        return true;
    case ValueProblem::Empty: base::ErrorBoxId(kMsgBinEmptyValue); break;
    case ValueProblem::NotANumber: Error(kMsgBinBadValue, text); break;
    case ValueProblem::OutOfRange:
        base::ErrorBox(Printf(base::GetString(kMsgBinValueRange), text.c_str(),
                              kind == ValueKind::Bits8 ? 8 : kind == ValueKind::Bits16 ? 16 : 32));
        break;
    }
    return false;
}

void InitEntry(HWND d, const Buffer& pattern) {
    base::Check(d, IDC_BIN_KIND_8, true);
    ShowPattern(d, pattern);
}

bool EntryCommand(HWND d, WPARAM w, Buffer& pattern) {
    if (HIWORD(w) != BN_CLICKED) return false;
    if (LOWORD(w) == IDC_BIN_ADD) {
        AddTypedValue(d, pattern);
        return true;
    }
    if (LOWORD(w) == IDC_BIN_RESET) {
        pattern.clear();
        ShowPattern(d, pattern);
        return true;
    }
    return false;
}

// OK takes a value still in the box as if Add had been pressed.
bool TakeTypedValue(HWND d, Buffer& pattern) { return base::ItemText(d, IDC_BIN_VALUE).empty() || AddTypedValue(d, pattern); }

// ---- Commands of the window.

void Search(View& v, bool next) {
    if (!next || v.pattern.empty()) {
        Buffer pattern = v.pattern;
        base::DialogPlan plan;
        plan.init = [&](HWND d) { InitEntry(d, pattern); };
        plan.command = [&](HWND d, WPARAM w) { return EntryCommand(d, w, pattern); };
        plan.ok = [&](HWND d) -> INT_PTR {
            if (!TakeTypedValue(d, pattern)) return base::kStayOpen;
            if (pattern.empty()) {
                base::ErrorBoxId(kMsgBinEmptyPattern);
                return base::kStayOpen;
            }
            return IDOK;
        };
        if (base::RunDialog(IDD_BIN_SEARCH, plan) != IDOK) return;
        // Searching again from a match goes on after it, or it would find the same one for ever.
        v.pattern = std::move(pattern);
    }
    std::uint64_t found = 0;
    switch (FindPattern(v.file, NextSearchStart(v.offset, v.atMatch), v.pattern, found)) {
    case SearchResult::Found: MoveTo(v, found, true); break;
    case SearchResult::NotFound: base::InfoBox(base::GetString(editor::kMsgStringNotFound)); break;
    case SearchResult::ReadError: Error(kMsgBinCannotRead, v.path); break;
    case SearchResult::Empty: base::ErrorBoxId(kMsgBinEmptyPattern); break;
    case SearchResult::NoMemory: base::OutOfMemoryBox(); break;
    }
}

void GoToOffset(View& v) {
    std::string text;
    if (!base::PromptDialog(base::GetString(kMsgBinGoToTitle), base::GetString(kMsgBinOffsetPrompt), text)) return;
    std::uint64_t offset = 0;
    if (!ParseOffset(text, !v.format.decimalOffsets, offset)) {
        Error(kMsgBinBadValue, text);
        return;
    }
    if (offset > LastOffset(v)) {
        base::ErrorBox(Printf(base::GetString(kMsgBinPastEnd), text.c_str(), std::to_string(v.file.size).c_str()));
        return;
    }
    MoveTo(v, offset);
}

// The block that Change replaces: its range, size and last bytes.
void ShowBlock(HWND d, View& v) {
    std::uint64_t count = 0;
    ParseOffset(base::ItemText(d, IDC_BIN_REPLACED), false, count);
    count = std::min(count, v.file.size - std::min(v.offset, v.file.size));
    const bool decimal = v.format.decimalOffsets;
    SetDlgItemTextA(d, IDC_BIN_BLOCK, count ? BlockRange(v.offset, v.offset + count - 1, decimal).c_str() : "");
    SetDlgItemTextA(d, IDC_BIN_BLOCK_SIZE, Printf(base::GetString(kMsgBinBlockSize), static_cast<int>(std::min<std::uint64_t>(count, INT32_MAX))).c_str());
    Buffer last(static_cast<std::size_t>(std::min<std::uint64_t>(count, 200)));
    std::int64_t got = platform::ReadAt(v.file, v.offset + count - last.size(), last.data(), last.size());
    last.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
    SetDlgItemTextA(d, IDC_BIN_BLOCK_BYTES, BlockBytes(last).c_str());
    SetDlgItemTextA(d, IDC_BIN_BLOCK_CHARS, BlockChars(last).c_str());
}

void Change(View& v) {
    ChangePlan plan;
    plan.offset = v.offset;
    base::DialogPlan dialog;
    dialog.init = [&](HWND d) {
        InitEntry(d, plan.added);
        SetDlgItemTextA(d, IDC_BIN_REPLACED, "0");
        ShowBlock(d, v);
    };
    dialog.command = [&](HWND d, WPARAM w) {
        if (LOWORD(w) == IDC_BIN_REPLACED && HIWORD(w) == EN_CHANGE) {
            ShowBlock(d, v);
            return true;
        }
        return EntryCommand(d, w, plan.added);
    };
    dialog.ok = [&](HWND d) -> INT_PTR {
        if (!TakeTypedValue(d, plan.added)) return base::kStayOpen;
        const std::string count = base::ItemText(d, IDC_BIN_REPLACED);
        if (!ParseOffset(count, false, plan.removed)) {
            Error(kMsgBinBadValue, count);
            return base::kStayOpen;
        }
        if (plan.added.empty() && plan.removed == 0) {
            base::ErrorBoxId(kMsgBinNoBytes);
            return base::kStayOpen;
        }
        plan.backup = base::Checked(d, IDC_BIN_BACKUP);
        return IDOK;
    };
    if (base::RunDialog(IDD_BIN_CHANGE, dialog) != IDOK) return;
    plan.seen = v.stamp;
    // The view's own handle would keep Windows from moving the new file in.
    platform::CloseReading(v.file);
    const ChangeResult result = ApplyChange(v.path, plan);
    switch (result) {
    case ChangeResult::Done: break;
    case ChangeResult::ChangedOnDisk: Error(kMsgBinChangedOnDisk, v.path); break;
    case ChangeResult::PastEnd:
        base::ErrorBox(Printf(base::GetString(kMsgBinPastEnd), FormatOffset(plan.offset, v.format.decimalOffsets).c_str(),
                              std::to_string(v.stamp.size).c_str()));
        break;
    case ChangeResult::CannotRead: Error(kMsgBinCannotRead, v.path); break;
    case ChangeResult::WriteFailed: base::ErrorBoxId(editor::kMsgWriteError); break;
    case ChangeResult::CannotReplace: Error(editor::kMsgCannotReplace, v.path); break;
    case ChangeResult::NoMemory: base::OutOfMemoryBox(); break;
    }
    Reopen(v);
}

void ChooseRepresentation(View& v) {
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        base::Check(d, IDC_BIN_REP_FIRST + static_cast<int>(v.format.representation), true);
        base::Check(d, IDC_BIN_BASE_HEX + static_cast<int>(v.format.base), true);
        base::Check(d, IDC_BIN_DECIMAL_OFFSETS, v.format.decimalOffsets);
    };
    plan.ok = [&](HWND d) -> INT_PTR {
        for (int i = 0; i < kRepresentationCount; ++i)
            if (base::Checked(d, IDC_BIN_REP_FIRST + i)) v.format.representation = static_cast<Representation>(i);
        for (int i = 0; i < 3; ++i)
            if (base::Checked(d, IDC_BIN_BASE_HEX + i)) v.format.base = static_cast<NumberBase>(i);
        v.format.decimalOffsets = base::Checked(d, IDC_BIN_DECIMAL_OFFSETS);
        return IDOK;
    };
    if (base::RunDialog(IDD_BIN_REPRESENTATION, plan) == IDOK) Refresh(v);
}

// Says what went wrong with a description file; true when structures can be offered.
bool ReportStructureFile(StructureFileStatus status, const std::string& path) {
    switch (status) {
    case StructureFileStatus::Ok: return true;
    case StructureFileStatus::Missing: Error(kMsgStructNoFile, path); return false;
    case StructureFileStatus::NotDescription: Error(kMsgStructNotDescription, path); return false;
    case StructureFileStatus::Malformed: base::ErrorBoxId(kMsgStructIncorrect); return true;  // those before the bad line
    case StructureFileStatus::NoStructures: base::ErrorBoxId(kMsgStructNone); return false;
    case StructureFileStatus::CannotRead: Error(kMsgBinCannotRead, path); return false;
    case StructureFileStatus::CannotWrite: Error(kMsgStructCannotWrite, path); return false;
    }
    return false;
}

void ChooseStructure(View& v) {
    std::vector<std::string> names;
    if (!v.structurePath.empty()) names.push_back(v.structurePath);
    if (!base::AskFileNames(base::FileDialog::Open, false, names, base::GetString(kMsgBinStructTitle)) || names.empty()) return;
    std::vector<Structure> structures;
    const std::string path = names.front();
    if (!ReportStructureFile(ReadStructureFile(path, structures), path) || structures.empty()) return;
    v.structurePath = path;
    int chosen = -1;
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        for (const Structure& s : structures) SendDlgItemMessageA(d, IDC_BIN_STRUCTURES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.name.c_str()));
        SendDlgItemMessageA(d, IDC_BIN_STRUCTURES, LB_SETCURSEL, 0, 0);
    };
    plan.ok = [&](HWND d) -> INT_PTR {
        chosen = static_cast<int>(SendDlgItemMessageA(d, IDC_BIN_STRUCTURES, LB_GETCURSEL, 0, 0));
        return chosen < 0 ? base::kStayOpen : IDOK;
    };
    if (base::RunDialog(IDD_BIN_CHOOSE, plan) != IDOK) return;
    v.structure = structures[static_cast<std::size_t>(chosen)];
    Refresh(v);
}

std::string FieldLine(const StructureField& f) { return "'" + f.name + "' " + FieldTypeName(f.type) + "[" + std::to_string(f.count) + "]"; }

void DefineStructure(View& v) {
    Structure s = v.structure.value_or(Structure{});
    base::DialogPlan plan;
    plan.init = [&](HWND d) {
        SetDlgItemTextA(d, IDC_BIN_STRUCT_NAME, s.name.c_str());
        for (const StructureField& f : s.fields)
            SendDlgItemMessageA(d, IDC_BIN_FIELDS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FieldLine(f).c_str()));
        for (int t = 0; t < kFieldTypeCount; ++t)
            SendDlgItemMessageA(d, IDC_BIN_FIELD_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FieldTypeName(t)));
        SendDlgItemMessageA(d, IDC_BIN_FIELD_TYPE, CB_SETCURSEL, kUnsigned8, 0);
        SetDlgItemTextA(d, IDC_BIN_FIELD_COUNT, "1");
    };
    plan.command = [&](HWND d, WPARAM w) {
        if (HIWORD(w) != BN_CLICKED) return false;
        if (LOWORD(w) == IDC_BIN_FIELD_ADD) {
            StructureField f;
            f.name = base::ItemText(d, IDC_BIN_FIELD_NAME);
            f.type = static_cast<int>(SendDlgItemMessageA(d, IDC_BIN_FIELD_TYPE, CB_GETCURSEL, 0, 0));
            std::uint64_t count = 0;
            if (!ValidFieldName(f.name)) {
                base::ErrorBoxId(kMsgStructBadName);
            } else if (!ParseOffset(base::ItemText(d, IDC_BIN_FIELD_COUNT), false, count) || count < 1 || count > kFieldCountLimit) {
                base::ErrorBox(Printf(base::GetString(kMsgStructBadCount), kFieldCountLimit));
            } else if (f.type >= 0 && f.type < kFieldTypeCount) {
                f.count = static_cast<int>(count);
                s.fields.push_back(f);
                SendDlgItemMessageA(d, IDC_BIN_FIELDS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FieldLine(f).c_str()));
                SetDlgItemTextA(d, IDC_BIN_FIELD_NAME, "");
            }
            return true;
        }
        if (LOWORD(w) == IDC_BIN_FIELD_REMOVE) {
            int at = static_cast<int>(SendDlgItemMessageA(d, IDC_BIN_FIELDS, LB_GETCURSEL, 0, 0));
            if (at >= 0 && at < static_cast<int>(s.fields.size())) {
                s.fields.erase(s.fields.begin() + at);
                SendDlgItemMessageA(d, IDC_BIN_FIELDS, LB_DELETESTRING, static_cast<WPARAM>(at), 0);
            }
            return true;
        }
        return false;
    };
    plan.ok = [&](HWND d) -> INT_PTR {
        s.name = base::ItemText(d, IDC_BIN_STRUCT_NAME);
        if (!ValidStructureName(s.name)) {
            base::ErrorBoxId(kMsgStructBadName);
            return base::kStayOpen;
        }
        if (s.fields.empty()) {
            base::ErrorBoxId(kMsgStructNoFields);
            return base::kStayOpen;
        }
        return IDOK;
    };
    if (base::RunDialog(IDD_BIN_DEFINE, plan) != IDOK) return;
    std::string path = v.structurePath;
    if (!base::PromptDialog(base::GetString(kMsgBinStructTitle), base::GetString(kMsgBinStructTitle), path) || path.empty()) return;
    if (!ReportStructureFile(SaveStructure(path, s), path)) return;
    platform::ui().statusText(Printf(base::GetString(kMsgStructSaved), s.name.c_str(), path.c_str()).c_str());
    v.structurePath = path;
    v.structure = s;
    Refresh(v);
}

void RunCommand(View& v, int id) {
    switch (id) {
    case IDC_BIN_SEARCH: Search(v, false); break;
    case IDC_BIN_FIND_NEXT: Search(v, true); break;
    case IDC_BIN_GO_TO: GoToOffset(v); break;
    case IDC_BIN_CHANGE: Change(v); break;
    case IDC_BIN_REPRESENTATION: ChooseRepresentation(v); break;
    case IDC_BIN_CHOOSE: ChooseStructure(v); break;
    case IDC_BIN_DEFINE: DefineStructure(v); break;
    case IDC_BIN_NEXT_STRUCTURE:
        if (v.structure && v.overlay.after <= LastOffset(v)) MoveTo(v, v.overlay.after);
        break;
    case IDC_BIN_NO_STRUCTURE:
        v.structure.reset();
        Refresh(v);
        break;
    }
}

void Paint(View& v, HDC dc) {
    HGDIOBJ old = SelectObject(dc, RowFont());
    std::vector<std::string> rows;
    if (v.file.file && PageRows(v, rows))
        for (std::size_t i = 0; i < rows.size(); ++i)
            TextOutA(dc, 2, static_cast<int>(i) * v.lineHeight, rows[i].c_str(), static_cast<int>(rows[i].size()));
    SelectObject(dc, old);
}

std::string WindowText(View& v) {
    std::vector<std::string> rows;
    if (v.file.file) PageRows(v, rows);
    std::string text;
    for (const std::string& r : rows) text += r + "\n";
    text += "--\n";
    if (v.overlayList && v.structure)
        for (int i = 0, n = static_cast<int>(SendMessageA(v.overlayList, LB_GETCOUNT, 0, 0)); i < n; ++i) {
            std::string line(static_cast<std::size_t>(SendMessageA(v.overlayList, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), '\0');
            SendMessageA(v.overlayList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
            text += line + "\n";
        }
    return text;
}

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    View* v = ViewOf(window);
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_SIZE:
        if (v) Refresh(*v);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        if (v) Paint(*v, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_VSCROLL:
        if (v) Scroll(*v, wParam);
        return 0;
    case WM_MOUSEWHEEL:
        if (v) MoveRows(*v, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? -3 : 3);
        return 0;
    case WM_KEYDOWN:
        if (!v) break;
        switch (wParam) {
        case VK_UP: MoveRows(*v, -1); return 0;
        case VK_DOWN: MoveRows(*v, 1); return 0;
        case VK_PRIOR: MoveRows(*v, -RowsOnPage(*v)); return 0;
        case VK_NEXT: MoveRows(*v, RowsOnPage(*v)); return 0;
        case VK_HOME: MoveTo(*v, 0); return 0;
        case VK_END: ShowLastPage(*v); return 0;
        }
        break;
    case WM_COMMAND:
        if (v && lParam == 0) {
            RunCommand(*v, LOWORD(wParam));
            return 0;
        }
        break;
    case kBinaryViewTextMessage:
        if (v && lParam) *reinterpret_cast<std::string*>(lParam) = WindowText(*v);
        return 0;
    case kBinaryViewOffsetMessage:
        if (v && lParam) *reinterpret_cast<std::uint64_t*>(lParam) = v->offset;
        return 0;
    case WM_NCDESTROY:
        delete v;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The window's menus: item texts follow each menu's title in the message table.
HMENU ViewMenu() {
    struct Menu {
        unsigned title;
        std::vector<int> items;  // 0: a separator
    };
    const Menu menus[] = {
        {kMsgBinBytesMenu, {IDC_BIN_SEARCH, IDC_BIN_FIND_NEXT, IDC_BIN_GO_TO, 0, IDC_BIN_CHANGE, 0, IDC_BIN_REPRESENTATION}},
        {kMsgBinStructureMenu, {IDC_BIN_CHOOSE, IDC_BIN_DEFINE, IDC_BIN_NEXT_STRUCTURE, IDC_BIN_NO_STRUCTURE}},
    };
    HMENU bar = CreateMenu();
    for (const Menu& m : menus) {
        HMENU popup = CreatePopupMenu();
        unsigned text = m.title;
        for (int id : m.items) {
            if (id == 0) AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
            else AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(id), base::GetString(++text));
        }
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), base::GetString(m.title));
    }
    return bar;
}

}  // namespace

HWND OpenBinaryView(const std::string& path) {
    auto v = std::make_unique<View>();
    v->path = path;
    v->stamp = platform::StampOf(path);
    if (!platform::OpenForReading(path, v->file)) {
        Error(kMsgBinCannotRead, path);
        return nullptr;
    }
    base::RegisterWindowClass({.name = kBinaryViewClass, .procedure = ViewProc, .style = CS_HREDRAW | CS_VREDRAW});
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, RowFont());
    TEXTMETRICA tm;
    if (GetTextMetricsA(screen, &tm)) {
        v->lineHeight = std::max<int>(1, tm.tmHeight);
        v->charWidth = std::max<int>(1, tm.tmAveCharWidth);
    }
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    const int width = v->charWidth * 84 + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXFRAME);
    View* view = v.get();
    HWND window = CreateWindowExA(0, kBinaryViewClass, path.c_str(), WS_OVERLAPPEDWINDOW | WS_VSCROLL, CW_USEDEFAULT, CW_USEDEFAULT,
                                  width, 480, base::app().frame, ViewMenu(),
                                  base::app().instance, v.get());
    if (!window) return nullptr;
    v.release();  // the window owns it now
    view->window = window;
    view->overlayList = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "", WS_CHILD | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0,
                                        0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_BIN_OVERLAY)),
                                        base::app().instance, nullptr);
    SendMessageA(view->overlayList, WM_SETFONT, reinterpret_cast<WPARAM>(RowFont()), 0);
    SendMessageA(view->overlayList, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(view->charWidth * 600), 0);
    Refresh(*view);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    return window;
}

bool BinaryEditorCommand() {
    std::vector<std::string> names;
    if (!base::AskFileNames(base::FileDialog::Open, false, names, base::GetString(kMsgBinFileTitle)) || names.empty()) return false;
    return OpenBinaryView(names.front()) != nullptr;
}

}  // namespace tarvo::tools
