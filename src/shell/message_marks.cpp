#include "shell/message_marks.h"

#include <algorithm>

namespace tarvo::shell {

bool MarkMessageLinesIn(editor::Document& doc, const std::vector<project::BuildMessage>& messages) {
    bool changed = false;
    for (const project::BuildMessage& m : messages) {
        if (editor::CompareNames(m.file, doc.name) != 0) continue;
        editor::Line* line = editor::LineAtNumber(doc, m.line);
        if (!line || (line->marks & editor::kMarkMessage)) continue;
        line->marks |= editor::kMarkMessage;
        changed = true;
    }
    if (changed) editor::RequestRedraw(doc, editor::kRedrawAll);
    return changed;
}

std::vector<editor::Document*> MarkMessageLines(const std::vector<project::BuildMessage>& messages) {
    std::vector<editor::Document*> changed;
    for (const std::unique_ptr<editor::Document>& doc : editor::editor().documents) {
        bool cleared = false;
        for (editor::Line* line = doc->lines->next; line != doc->lines; line = line->next) {
            cleared |= (line->marks & editor::kMarkMessage) != 0;
            line->marks &= static_cast<std::uint8_t>(~editor::kMarkMessage);
        }
        if (cleared) editor::RequestRedraw(*doc, editor::kRedrawAll);
        if (MarkMessageLinesIn(*doc, messages) || cleared) changed.push_back(doc.get());
    }
    return changed;
}

}  // namespace tarvo::shell
