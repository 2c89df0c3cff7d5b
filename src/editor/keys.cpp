#include "editor/keys.h"

#include <algorithm>
#include <iterator>

#include "editor/cursor.h"
#include "editor/screen.h"
#include "editor/selection.h"
#include "editor/typing.h"
#include "editor/undo.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {

namespace vk = base::vk;

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
    Line* line = v.cursorLine;
    long start = 0, end = 0;
    if (!WordAtCursor(start, end)) return false;
    SetCursorLine(line, end);
    v.anchorLine = line;
    v.anchorColumn = start;
    return true;
}

constexpr SelectionCommand kSelectionCommands[] = {
    {CMD_EXTEND_LINE_DOWN, Extend::Keep, Down},        {CMD_EXTEND_LINE_UP, Extend::Keep, Up},
    {CMD_EXTEND_CHAR_RIGHT, Extend::Keep, Right},       {CMD_EXTEND_CHAR_LEFT, Extend::Keep, Left},
    {CMD_WORD_RIGHT, Extend::Clear, WordRight},  {CMD_WORD_LEFT, Extend::Clear, WordLeft},
    {CMD_EXTEND_WORD_RIGHT, Extend::Keep, WordRight},   {CMD_EXTEND_WORD_LEFT, Extend::Keep, WordLeft},
    {CMD_EXTEND_TO_TOP, Extend::Keep, MoveToTop},   {CMD_EXTEND_TO_END, Extend::Keep, MoveToEnd},
    {CMD_EXTEND_TO_LINE_END, Extend::Keep, MoveToLineEnd}, {CMD_EXTEND_TO_LINE_START, Extend::Keep, MoveToLineStart},
    {CMD_EXTEND_PAGE_UP, Extend::Keep, PageUp},      {CMD_EXTEND_PAGE_DOWN, Extend::Keep, PageDown},
    {CMD_SELECT_ALL, Extend::Clear, SelectAll}, {CMD_SELECT_WORD, Extend::Clear, SelectWord},
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

int KeyCommand(std::span<const base::CommandKey> keys, int key, int held, bool debugging) {
    int command = base::EditorKeyCommand(keys, key, held, debugging);
    const base::CommandKey* row = command ? base::FindKeyRow(keys, key, held) : nullptr;
    bool letter = key >= 'A' && key <= 'Z' && (held & base::kModCtrl);
    if (row && row->command == command && letter && base::IsAddedKeyRow(keys, row) &&
        FindMacro(static_cast<char>(key)))
        return 0;  // the key's character message types the macro
    return command;
}

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
                  std::span<const base::CommandKey> keys, bool debugging) {
    KeyResult result;
    if (key == key::Control || key == key::Shift || key == key::Menu) return result;
    if (int command = KeyCommand(keys, key, held, debugging)) {
        result.command = command;
        return result;
    }
    View* view = CurrentView();
    if (!view) return result;
    View& v = *view;
    count = std::max(count, 1L);
    bool ctrl = (held & base::kModCtrl) != 0;
    result.handled = true;
    switch (key) {
    case key::Escape:
        result.command = CMD_ESCAPE;
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
