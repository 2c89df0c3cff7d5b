#include "editor/status.h"

#include "editor/window_messages.h"
#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::editor {

std::string WindowTitle(const Document& doc) {
    std::string title = doc.name;
    if (doc.flags & kReadOnly) title = Printf(base::GetString(kMsgTitleReadOnly), title.c_str());
    if (doc.flags & kModified) title = Printf(base::GetString(kMsgTitleModified), title.c_str());
    return title;
}

std::string CursorPositionText(const View& view) {
    const Document& d = *view.document;
    long line = LineIndex(d, view.cursorLine);
    long column = view.cursorLine == d.lines ? 0 : DisplayColumn(*view.cursorLine, static_cast<std::size_t>(view.cursorColumn));
    return Printf(base::GetString(kMsgCursorPosition), line, column + 1);
}

long ParseLineNumber(std::string_view text, long lineCount) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    long n = 0;
    std::size_t digits = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
        if (n > lineCount) return 0;  // far too big; stops before it could overflow
        n = n * 10 + (text[i] - '0');
    }
    while (i < text.size() && text[i] == ' ') ++i;
    if (digits == 0 || i != text.size() || n < 1 || n > lineCount) return 0;
    return n;
}

}  // namespace tarvo::editor
