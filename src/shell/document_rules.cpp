#include "shell/document_rules.h"

#include "analysis/function_list.h"
#include "base/command_ids.h"
#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/selection.h"
#include "editor/undo.h"
#include "platform/text.h"
#include "shell/shell_messages.h"
#include "shell/startup_rules.h"

namespace tarvo::shell {
namespace {

// Text typed into the internal buffer must not go without a question.
bool UnsavedBufferText(const editor::Document& doc) {
    if (!(doc.flags & editor::kInternalBuffer) || !(doc.flags & editor::kModified)) return false;
    editor::TextCount count = editor::CountLinesAndCharacters(doc);
    return count.characters > 0 || count.lines > 1;
}

}  // namespace

SaveQuestion DocumentsToSave() {
    SaveQuestion question;
    for (const auto& doc : editor::editor().documents) {
        bool buffer = (doc->flags & editor::kInternalBuffer) != 0;
        if (buffer ? !UnsavedBufferText(*doc) : !(doc->flags & editor::kModified)) continue;
        if (buffer) question.buffer = doc.get();
        question.names.push_back(doc->name);
    }
    return question;
}

std::vector<std::string> StatisticsRows() {
    std::vector<std::string> rows;
    long long totalLines = 0, totalBytes = 0;
    for (const auto& doc : editor::editor().documents) {
        editor::TextCount count = editor::CountLinesAndCharacters(*doc);
        long long bytes = count.characters + 2LL * count.lines;
        totalLines += count.lines;
        totalBytes += bytes;
        rows.push_back(Printf("%s\t%ld\t%lld", doc->name.c_str(), count.lines, bytes));
    }
    rows.push_back(Printf(base::GetString(kMsgStatisticsTotal), totalLines, totalBytes));
    return rows;
}

bool PlaceFunctionStub(std::uintptr_t window, std::string_view sharedText) {
    FunctionStub stub;
    editor::Document* doc = editor::CurrentDocument();
    if (!doc || !ParseFunctionStub(sharedText, stub)) return false;
    for (const analysis::Function& f : analysis::FunctionsOf(*doc).functions)
        if (f.name == stub.name) return editor::GoToLine(f.startLine > 0 ? f.startLine : f.startNumber);
    if (!editor::CanEdit(*doc)) return false;
    editor::ClearSelection();
    // Logged as a text insertion at the cursor: Undo takes its characters out again.
    editor::LogCommand(window, CMD_MACRO);
    std::string text;
    for (const std::string& line : stub.lines) text += line + "\n";
    editor::SetCommandCount(CMD_MACRO, editor::InsertCounted(text));
    editor::RequestRedraw(*doc, editor::kRedrawAll);
    return true;
}

}  // namespace tarvo::shell
