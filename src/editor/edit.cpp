#include "editor/edit.h"

#include <algorithm>
#include <new>

#include "editor/cursor.h"
#include "editor/editor_messages.h"
#include "editor/places.h"
#include "editor/undo.h"
#include "platform/ui.h"
#include "base/messages.h"
#include "base/settings.h"

namespace tarvo::editor {
namespace {

bool AutoIndent() { return (base::settings().editorFlags & base::kEditorAutoIndent) != 0; }

// The last character of the line that is neither blank nor tab nor inside a comment or after
// its start; 0 when there is none.
char LastCodeChar(std::string_view text) {
    char last = 0;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == '\\') ++i;
            else if (c == quote) quote = 0;
            last = c;
            continue;
        }
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') break;
        if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            std::size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos) break;
            i = end + 1;
            continue;
        }
        if (c == '"' || c == '\'') quote = c;
        if (c != ' ' && c != '\t') last = c;
    }
    return last;
}

bool IsCKeyword(std::string_view word) {
    constexpr unsigned kFirstKeyword = 996;
    for (unsigned id = kFirstKeyword;; ++id) {
        std::string_view keyword = base::GetString(id);
        if (keyword.empty()) return false;
        if (keyword == word) return true;
    }
}

bool InsertAtCursor(std::string_view text) {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    if (text.empty()) return true;
    try {
        if (v.cursorLine == d.lines) {
            // After the last line: the text becomes a new last line.
            Line* line = NewLine(d.pool);
            try {
                SetText(*line, text);
            } catch (...) {
                FreeLine(d.pool, line);
                throw;
            }
            LinkBefore(d.lines, line);
            ++d.lineCount;
            MarkChanged(d, false);
            v.cursorLine = line;
            v.cursorColumn = static_cast<long>(text.size());
            KeepGoalColumn();
            return true;
        }
        Line& line = *v.cursorLine;
        long column = std::clamp<long>(v.cursorColumn, 0, line.length);
        InsertText(line, static_cast<std::size_t>(column), text);
        MarkChanged(d, true);
        long n = static_cast<long>(text.size());
        ForEachPlace(d, [&](Line*& l, long& c) {
            if (l == &line && c > column) c += n;
        });
        v.cursorColumn = column + n;
        NotifyLineEdited(d, &line, column, n);
        KeepGoalColumn();
        return true;
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
        return false;
    }
}

}  // namespace

bool CanEdit(Document& doc) {
    if (!(doc.flags & kReadOnly)) return true;
    platform::ui().statusText(base::GetString(kMsgReadOnly));
    return false;
}

void MarkChanged(Document& doc, bool oneLine) {
    doc.flags = static_cast<std::uint16_t>((doc.flags | kModified) & ~(kAutoSaved | kFunctionsCurrent));
    RequestRedraw(doc, oneLine ? kRedrawLine : kRedrawAll);
    NotifyTextChanged(doc);
}

bool InsertCharacters(long count, char c) {
    if (count < 1) return true;
    try {
        return InsertAtCursor(std::string(static_cast<std::size_t>(count), c));
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
        return false;
    }
}

bool InsertRun(std::string_view text) { return InsertAtCursor(text); }

bool SplitLine() {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    Line* lower = nullptr;
    try {
        lower = NewLine(d.pool);
        if (v.cursorLine != d.lines) {
            Line& upper = *v.cursorLine;
            long column = std::clamp<long>(v.cursorColumn, 0, upper.length);
            SetText(*lower, LineText(upper).substr(static_cast<std::size_t>(column)));
        }
    } catch (const std::bad_alloc&) {
        if (lower) FreeLine(d.pool, lower);
        base::OutOfMemoryBox();
        return false;
    }
    if (v.cursorLine == d.lines) {
        // After the last line: an empty line is added and the cursor stays after it.
        LinkBefore(d.lines, lower);
        ++d.lineCount;
        MarkChanged(d, false);
        return true;
    }
    Line* upper = v.cursorLine;
    long column = std::clamp<long>(v.cursorColumn, 0, upper->length);
    // The text moving down takes the line's breakpoint and debugger marks with it; both
    // parts stay inactive code if the line was.
    lower->marks = upper->marks;
    upper->marks &= kMarkInactive;
    LinkAfter(upper, lower);
    TruncateText(*upper, static_cast<std::size_t>(column));
    ++d.lineCount;
    ForEachPlace(d, [&](Line*& l, long& c) {
        if (l == upper && c >= column) {
            l = lower;
            c -= column;
        }
    });
    v.cursorLine = lower;
    v.cursorColumn = 0;
    if (upper->length && (upper->text[upper->length - 1] == '/' || upper->text[upper->length - 1] == '*'))
        d.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    RingChanged(d, upper);
    MarkChanged(d, false);
    NotifyLineSplit(d, upper, lower, column);
    KeepGoalColumn();
    return true;
}

bool JoinLines() {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    Line* upper = v.cursorLine;
    if (upper == d.lines) return false;
    Line* lower = upper->next;
    if (lower == d.lines) {
        // Nothing to join; only an empty last line goes away.
        if (upper->length != 0) return false;
        RemoveLine(d, upper);
        v.cursorLine = d.lines;
        v.cursorColumn = 0;
        MarkChanged(d, false);
        return true;
    }
    long upperLength = upper->length;
    try {
        InsertText(*upper, upper->length, LineText(*lower));
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
        return false;
    }
    upper->marks &= static_cast<std::uint8_t>(~kMarkBreakpoint);  // breakpoints of both lines go
    RemoveLine(d, lower, upper, upperLength);
    MarkChanged(d, false);
    return true;
}

bool DeleteForward(long count, bool save, long* deleted) {
    View& v = *CurrentView();
    Document& d = *v.document;
    long done = 0;
    if (deleted) *deleted = 0;
    if (count < 1) return true;
    if (!CanEdit(d)) return false;
    std::string& cut = editor().cutBuffer;
    while (done < count) {
        Line* line = v.cursorLine;
        if (line == d.lines) break;
        long column = std::clamp<long>(v.cursorColumn, 0, line->length);
        v.cursorColumn = column;
        long available = static_cast<long>(line->length) - column;
        if (available > 0) {
            long n = std::min(count - done, available);
            if (save) cut.append(line->text + column, static_cast<std::size_t>(n));
            EraseText(*line, static_cast<std::size_t>(column), static_cast<std::size_t>(n));
            ForEachPlace(d, [&](Line*& l, long& c) {
                if (l == line && c > column) c = std::max(column, c - n);
            });
            NotifyLineEdited(d, line, column, -n);
            MarkChanged(d, true);
            done += n;
            continue;
        }
        bool last = line->next == d.lines;
        if (last && line->length != 0) break;  // the end of the text
        if (!JoinLines()) break;
        if (save) cut += '\n';
        ++done;
        if (last) break;
    }
    if (deleted) *deleted = done;
    KeepGoalColumn();
    return done == count;
}

bool BackwardExtent(long count, Line*& line, long& column, long& deleting) {
    const View& v = *CurrentView();
    const Document& d = *v.document;
    line = v.cursorLine;
    column = v.cursorColumn;
    deleting = count;
    long left = count;
    if (line == d.lines) {
        if (d.lines->prev == d.lines) return false;
        line = d.lines->prev;
        column = line->length;
        // That step only reaches the end of the last line: nothing lies between.
        --left;
        --deleting;
    }
    while (left > 0) {
        if (column >= left) {
            column -= left;
            left = 0;
        } else if (line->prev == d.lines) {
            return false;  // the start of the document comes first
        } else {
            left -= column + 1;
            line = line->prev;
            column = line->length;
        }
    }
    return true;
}

bool DeleteBackward(long count) {
    View& v = *CurrentView();
    if (count < 1) return true;
    if (!CanEdit(*v.document)) return false;
    Line* line = nullptr;
    long column = 0, deleting = 0;
    if (!BackwardExtent(count, line, column, deleting)) return false;
    v.cursorLine = line;
    v.cursorColumn = column;
    KeepGoalColumn();
    return DeleteForward(deleting, false);
}

bool Newline(long count, long* indented) {
    if (indented) *indented = 0;
    if (count < 1) return true;
    View& v = *CurrentView();
    if (v.overtype) {
        MoveDown(count);
        v.cursorColumn = 0;
        KeepGoalColumn();
        return true;
    }
    if (count == 1 && AutoIndent()) return IndentingNewline(indented);
    for (long i = 0; i < count; ++i)
        if (!SplitLine()) return false;
    return true;
}

bool IndentingNewline(long* indented) {
    if (indented) *indented = 0;
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    Line* pressed = v.cursorLine;
    if (pressed == d.lines) return SplitLine();
    const long tab = TabWidth();
    Line* above = pressed;
    while (above != d.lines && above->length == 0) above = above->prev;
    long amount = above == d.lines ? 0 : IndentWidth(LineText(*above));
    bool first = pressed->prev == d.lines;
    if (!SplitLine()) return false;
    amount -= IndentWidth(LineText(*v.cursorLine));
    if ((d.flags & kCLanguage) && !first) {
        std::string_view text = LineText(*pressed);
        if (!text.empty() && ControlRule(text) != 0 && LastCodeChar(text) != ';')
            amount += tab;
        else if (pressed->prev != d.lines && ControlRule(LineText(*pressed->prev)) == 2)
            amount -= tab;
    }
    if (amount < 1) return true;
    if (!InsertCharacters(amount / tab, '\t') || !InsertCharacters(amount % tab, ' ')) return false;
    if (indented) *indented = amount / tab + amount % tab;
    return true;
}

int ControlRule(std::string_view line) {
    char last = LastCodeChar(line);
    if (last == '{') return 1;
    std::size_t i = IndentLength(line);
    std::string word;
    if (i < line.size()) {
        word += line[i++];
        while (i < line.size() && word.size() < 100 && line[i] >= 'a' && line[i] <= 'z') word += line[i++];
    }
    if (!IsCKeyword(word)) return 0;
    if ((last == ')' || last == '&' || last == '|') &&
        (word == "if" || word == "for" || word == "while" || word == "do"))
        return 2;
    if (word == "else") return 2;
    if (last == ':' && word == "case") return 1;
    return 0;
}

bool TypeCharacter(char c, long count, TypedCharacter* typed) {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    if (static_cast<unsigned char>(c) < 32 || count < 1) return false;
    const long tab = TabWidth();
    if (v.overtype) {
        for (long i = 0; i < count; ++i) {
            Line* line = v.cursorLine;
            if (line == d.lines || v.cursorColumn >= static_cast<long>(line->length)) break;
            char under = line->text[v.cursorColumn];
            if (under == '\t') {
                long at = DisplayColumn(*line, static_cast<std::size_t>(v.cursorColumn));
                if (at != (at / tab + 1) * tab - 1) continue;  // a wide tab makes room itself
            }
            LogAction(v.window, kActionOvertype, static_cast<unsigned char>(under), 0);
            if (!DeleteForward(1, false)) return false;
        }
    }
    Line* line = v.cursorLine;
    if (c == '}' && (d.flags & kCLanguage) && AutoIndent() && line != d.lines &&
        IndentLength(LineText(*line)) == line->length) {
        long at = DisplayColumn(*line, static_cast<std::size_t>(v.cursorColumn));
        if (at >= tab) {
            std::size_t cut = IndexAtDisplayColumn(LineText(*line), at - tab);
            if (typed) typed->removed.assign(line->text + cut, line->length - cut);
            long removed = static_cast<long>(line->length - cut);
            TruncateText(*line, cut);
            long column = static_cast<long>(cut);
            ForEachPlace(d, [&](Line*& l, long& col) {
                if (l == line && col > column) col = column;
            });
            v.cursorColumn = column;
            NotifyLineEdited(d, line, column, -removed);
            MarkChanged(d, true);
        }
    }
    if (typed) typed->column = v.cursorColumn;
    return InsertCharacters(count, c);
}

bool InsertString(std::string_view text) {
    while (!text.empty()) {
        std::size_t lf = text.find('\n');
        if (!InsertRun(text.substr(0, lf))) return false;
        if (lf == std::string_view::npos) break;
        if (!SplitLine()) return false;
        text.remove_prefix(lf + 1);
    }
    return true;
}

bool InsertWrappedText(std::string_view text, long width) {
    const long limit = std::max(1L, width - 5);
    for (char c : text) {
        if (c == '\n') {
            if (!SplitLine()) return false;
            continue;
        }
        if (!InsertRun(std::string_view(&c, 1))) return false;
        View& v = *CurrentView();
        Line* line = v.cursorLine;
        if (static_cast<long>(line->length) <= limit) continue;
        std::string_view before = LineText(*line).substr(0, static_cast<std::size_t>(v.cursorColumn));
        std::size_t blank = before.find_last_of(' ');
        if (blank == std::string_view::npos || blank == 0) continue;
        long rest = v.cursorColumn - static_cast<long>(blank + 1);
        v.cursorColumn = static_cast<long>(blank + 1);
        if (!SplitLine()) return false;
        v.cursorColumn = rest;
    }
    return true;
}

namespace {

// Rebuilds the leading white space of every line; `convert` gives the new white space for a
// line's old one, or false to leave the line alone.
template <class Convert>
bool ConvertIndentation(Convert convert) {
    View& v = *CurrentView();
    Document& d = *v.document;
    if (!CanEdit(d)) return false;
    Position cursor = CursorPosition();
    long cursorDisplay = DisplayColumn(*v.cursorLine, static_cast<std::size_t>(v.cursorColumn));
    std::vector<SavedLine> saved;
    long number = 0;
    try {
        for (Line* line = d.lines->next; line != d.lines; line = line->next) {
            ++number;
            std::string_view text = LineText(*line);
            std::size_t n = IndentLength(text);
            std::string lead;
            if (n == 0 || !convert(text.substr(0, n), lead)) continue;
            std::string rebuilt = lead + std::string(text.substr(n));
            std::vector<std::pair<long*, long>> places;
            ForEachPlace(d, [&](Line*& l, long& c) {
                if (l == line) places.push_back({&c, DisplayColumn(text, static_cast<std::size_t>(c))});
            });
            saved.push_back({number, std::string(text), line->marks});
            SetText(*line, rebuilt);
            for (auto& [column, display] : places)
                *column = static_cast<long>(IndexAtDisplayColumn(LineText(*line), display));
        }
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
    }
    if (saved.empty()) return true;
    d.flags &= static_cast<std::uint16_t>(~kCommentMapCurrent);
    MarkChanged(d, false);
    LogLineRestore(v.window, cursor, std::move(saved));
    SetCursor({cursor.line, 0});
    GoToDisplayColumn(cursorDisplay);
    return true;
}

}  // namespace

bool SpacesToTabs() {
    const long tab = TabWidth();
    return ConvertIndentation([tab](std::string_view lead, std::string& out) {
        bool hasTab = lead.find('\t') != std::string_view::npos;
        bool hasBlank = lead.find(' ') != std::string_view::npos;
        long width = DisplayColumn(lead, lead.size());
        if ((!hasTab && width < tab) || !hasBlank) return false;
        out.assign(static_cast<std::size_t>(width / tab), '\t');
        out.append(static_cast<std::size_t>(width % tab), ' ');
        return out != lead;
    });
}

bool TabsToSpaces() {
    return ConvertIndentation([](std::string_view lead, std::string& out) {
        if (lead.find('\t') == std::string_view::npos) return false;
        out.assign(static_cast<std::size_t>(DisplayColumn(lead, lead.size())), ' ');
        return true;
    });
}

}  // namespace tarvo::editor
