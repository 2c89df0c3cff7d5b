#include "editor/keys.h"

#include <algorithm>
#include <iterator>

#include "editor/cursor.h"
#include "editor/screen.h"
#include "editor/selection.h"
#include "editor/typing.h"
#include "editor/undo.h"

namespace tarvo::editor {
namespace {

namespace vk = shell::vk;

enum class Extend { Keep, Clear };

struct SelectionCommand {
    int command;
    Extend extend;  // Keep: the anchor stays (or starts at the cursor); Clear: no selection
    bool (*move)();
};

bool Down() { return MoveDown(1); }
bool Up() { return MoveUp(1); }
bool Right() { return MoveRight(1); }
bool Left() { return MoveLeft(1); }

bool SelectAll() {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (d.lineCount == 0) return false;
    MoveToEnd();
    v.anchorLine = d.lines->next;
    v.anchorColumn = 0;
    return true;
}

bool SelectWord() {
    View& v = *CurrentView();
    Document& d = *v.document;
    Line* line = v.cursorLine;
    if (line == d.lines) return false;
    std::string_view text = LineText(*line);
    long start = std::min<long>(v.cursorColumn, static_cast<long>(text.size()));
    long end = start;
    while (start > 0 && IsWordChar(text[start - 1])) --start;
    while (end < static_cast<long>(text.size()) && IsWordChar(text[end])) ++end;
    if (start == end) return false;
    SetCursorLine(line, end);
    v.anchorLine = line;
    v.anchorColumn = start;
    return true;
}

constexpr SelectionCommand kSelectionCommands[] = {
    {1115, Extend::Keep, Down},        {1153, Extend::Keep, Up},
    {1154, Extend::Keep, Right},       {1155, Extend::Keep, Left},
    {1163, Extend::Clear, WordRight},  {1164, Extend::Clear, WordLeft},
    {1165, Extend::Keep, WordRight},   {1272, Extend::Keep, WordLeft},
    {1171, Extend::Keep, MoveToTop},   {1172, Extend::Keep, MoveToEnd},
    {1188, Extend::Keep, MoveToLineEnd}, {1199, Extend::Keep, MoveToLineStart},
    {1211, Extend::Keep, PageUp},      {1212, Extend::Keep, PageDown},
    {kCommandSelectAll, Extend::Clear, SelectAll}, {kCommandSelectWord, Extend::Clear, SelectWord},
};

const SelectionCommand* FindSelectionCommand(int command) {
    for (const SelectionCommand& c : kSelectionCommands)
        if (c.command == command) return &c;
    return nullptr;
}

// A cursor key: logged before it acts; the record goes again when the cursor did not move.
bool LoggedMove(std::uintptr_t window, int key, long count, bool (*move)(long)) {
    LogAction(window, kActionKey, key, count);
    ClearSelection();
    if (!move(count)) {
        DropLastAction();
        return false;
    }
    return true;
}

}  // namespace

bool IsSelectionCommand(int command) { return FindSelectionCommand(command) != nullptr; }

bool RunSelectionCommand(int command) {
    const SelectionCommand* c = FindSelectionCommand(command);
    View* view = CurrentView();
    if (!c || !view) return false;
    if (c->extend == Extend::Keep) StartSelection();
    else ClearSelection();
    bool moved = c->move();
    View& v = *view;
    if (v.anchorLine == v.cursorLine && v.anchorColumn == v.cursorColumn) ClearSelection();
    v.redraw |= kRedrawCursor;
    return moved;
}

KeyResult KeyDown(std::uintptr_t window, int key, int held, long count,
                  std::span<const shell::CommandKey> keys, bool debugging) {
    KeyResult result;
    if (key == editor::key::Control || key == editor::key::Shift || key == editor::key::Menu) return result;
    if (int command = shell::EditorKeyCommand(keys, key, held, debugging)) {
        result.command = command;
        return result;
    }
    View* view = CurrentView();
    if (!view) return result;
    View& v = *view;
    count = std::max(count, 1L);
    bool ctrl = (held & shell::kModCtrl) != 0;
    result.handled = true;
    switch (key) {
    case editor::key::Escape:
        result.command = kCommandEscape;
        result.handled = false;
        break;
    case vk::Prior:
    case vk::Next:
        LogAction(window, kActionKey, key, count);
        ClearSelection();
        for (long i = 0; i < count; ++i) key == vk::Prior ? PageUp() : PageDown();
        break;
    case vk::End: {
        LogAction(window, kActionKey, key, count);
        bool hadSelection = HasSelection();
        ClearSelection();
        if (!MoveToLineEnd() && !hadSelection) DropLastAction();
        break;
    }
    case vk::Home:
        if (v.cursorColumn > 0) {
            LogAction(window, kActionKey, key, count);
            ClearSelection();
            MoveToLineStart();
        } else {
            ClearSelection();
        }
        break;
    case vk::Left:
        if (HasSelection()) {
            LogAction(window, kActionKey, key, count);
            SetCursorLine(v.anchorLine, v.anchorColumn);
            ClearSelection();
        } else {
            LoggedMove(window, key, count, MoveLeft);
        }
        break;
    case vk::Right:
        LoggedMove(window, key, count, MoveRight);
        break;
    case vk::Up:
    case vk::Down:
        if (ctrl) {
            LogAction(window, kActionScroll, 0, 0);
            ClearSelection();
            if (!ScrollRows(v, key == vk::Up ? -count : count, v.rows)) DropLastAction();
        } else {
            LoggedMove(window, key, count, key == vk::Up ? MoveUp : MoveDown);
        }
        break;
    case vk::Insert:
        v.overtype = !v.overtype;
        v.redraw |= kRedrawOvertype;
        break;
    case vk::Delete:
        KeyDelete(window, count);
        break;
    default:
        result.handled = false;
        break;
    }
    if (result.handled) v.redraw |= kRedrawCursor;
    return result;
}

}  // namespace tarvo::editor
