#include "editor/typing.h"

#include <cctype>

#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "base/settings.h"
#include "base/command_ids.h"

namespace tarvo::editor {
namespace {

constexpr unsigned char kEscape = 27;
constexpr unsigned char kBackspace = 8;
constexpr unsigned char kTab = 9;
constexpr unsigned char kEnter = 13;

// A read-only document moves the cursor instead: logged as the key it stands for.
bool MoveInstead(std::uintptr_t window, unsigned key, long count) {
    LogAction(window, kActionKey, key, count);
    bool moved = key == kKeyDown ? MoveDown(count) : key == kKeyLeft ? MoveLeft(count) : MoveRight(count);
    if (!moved) DropLastAction();
    return moved;
}

}  // namespace

bool MacroKeyIs(const std::string& key, char letter) {
    if (key.empty()) return false;
    if (key.size() > 1 && key[key.size() - 2] != '+') return false;
    return std::tolower(static_cast<unsigned char>(key.back())) == std::tolower(static_cast<unsigned char>(letter));
}

const base::Macro* FindMacro(char letter) {
    for (const base::Macro& m : base::settings().macros)
        if (MacroKeyIs(m.key, letter)) return &m;
    return nullptr;
}

long InsertMacro(char letter) {
    const base::Macro* macro = FindMacro(letter);
    if (!macro) return -1;
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return 0;
    ClearSelection();
    Line* start = v.cursorLine;
    long startColumn = v.cursorColumn;
    Line* last = d.lines->prev;
    bool atEnd = start == d.lines;
    // Inserted, never overtyped: Undo takes the macro out by its length.
    bool overtype = v.overtype;
    v.overtype = false;
    for (char c : macro->text) {
        bool ok = c == '\n' ? Newline(1) : c == '\t' ? InsertCharacters(1, '\t') : TypeCharacter(c, 1);
        if (!ok && c != '\t' && static_cast<unsigned char>(c) >= 32 && c != '\n') break;
    }
    v.overtype = overtype;
    if (atEnd) {
        start = last->next;
        startColumn = 0;
    }
    long count = CharactersBetween(d, start, startColumn, v.cursorLine, v.cursorColumn);
    SetCursorLine(start, startColumn);
    if (macro->position > 0) MoveRight(macro->position);
    return count;
}

bool HandleCharacter(std::uintptr_t window, unsigned char c, long count, bool ctrl) {
    View* view = CurrentView();
    if (!view || count < 1) return false;
    Document& d = *view->document;
    bool readOnly = (d.flags & kReadOnly) != 0;
    if (HasSelection()) {
        if (c == kEscape) {
            ClearSelection();
            return true;
        }
        if (!ctrl) {
            LogCommand(window, CMD_CUT);
            DeleteSelectionToCutBuffer();
            ClearSelection();
            if (c == kBackspace) return true;
        }
    }
    if (ctrl && c >= 1 && c <= 26) {
        LogCommand(window, CMD_MACRO);
        long inserted = InsertMacro(static_cast<char>('a' + c - 1));
        if (inserted < 0) {
            DropLastAction();
            return false;
        }
        SetCommandCount(CMD_MACRO, inserted);
        return inserted > 0;
    }
    if (c == kEnter) {
        if (readOnly) return MoveInstead(window, kKeyDown, count);
        if (view->overtype) {
            LogAction(window, kActionOvertype, kEnter, 0);
            return Newline(count);
        }
        Action record = MakeAction(window, kActionCharacter, kEnter, count);
        if (!Newline(count, &record.indent)) return false;
        AppendAction(std::move(record));
        return true;
    }
    if (c == kBackspace) {
        if (readOnly) return MoveInstead(window, kKeyLeft, count);
        LogAction(window, kActionCharacter, kBackspace, count);
        if (DeleteBackward(count)) return true;
        DropLastAction();
        return false;
    }
    if (readOnly && (c == kTab || c == ' ')) return MoveInstead(window, kKeyRight, count);
    if (c == kTab) {
        Action record = MakeAction(window, kActionCharacter, kTab, count);
        if (!InsertCharacters(count, '\t')) return false;
        AppendAction(std::move(record));
        return true;
    }
    if (c < 32) return false;
    // Overwritten characters are logged while typing; the typing's record follows them so that
    // Undo takes it out first and then puts them back.
    Action record = MakeAction(window, kActionCharacter, c, count);
    TypedCharacter typed;
    if (!TypeCharacter(static_cast<char>(c), count, &typed)) return false;
    record.at.column = typed.column;
    record.text = std::move(typed.removed);
    AppendAction(std::move(record));
    return true;
}

bool KeyDelete(std::uintptr_t window, long count) {
    View* view = CurrentView();
    if (!view || (view->document->flags & kReadOnly)) return false;
    if (HasSelection()) {
        LogCommand(window, CMD_CUT);
        return DeleteSelectionToCutBuffer();
    }
    LogAction(window, kActionKey, kKeyDelete, count);
    long deleted = 0;
    DeleteForward(count, false, &deleted);
    if (deleted == 0) {
        DropLastAction();
    } else {
        // At the end of the text fewer went than were saved.
        std::string& saved = actionLog().records.back().text;
        if (static_cast<long>(saved.size()) > deleted) saved.resize(static_cast<std::size_t>(deleted));
    }
    return deleted > 0;
}

}  // namespace tarvo::editor
