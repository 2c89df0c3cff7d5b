#include "analysis/inactive_lines.h"

#include <string>

#include "base/run_tool.h"
#include "platform/process.h"
#include "platform/text.h"

namespace tarvo::analysis {

std::string InactiveCodeCommand(const std::string& root, const std::string& options, const std::string& output,
                                const std::string& source) {
    std::string command = base::ToolCommand(root, kInactiveCodeTool);
    if (!options.empty()) command += " " + options;
    command += " -showifdeflines";
    platform::AppendArgument(command, "-Fo" + output);
    platform::AppendArgument(command, source);
    return command;
}

void ClearInactiveMarks(editor::Document& doc) {
    for (editor::Line* l = doc.lines->next; l != doc.lines; l = l->next)
        l->marks &= static_cast<std::uint8_t>(~editor::kMarkInactive);
}

long MarkInactiveLines(editor::Document& doc, std::string_view toolOutput) {
    long marked = 0;
    long lastNumber = 0;
    editor::Line* last = nullptr;
    auto mark = [&](editor::Line* l) {
        if (!(l->marks & editor::kMarkInactive)) ++marked;
        l->marks |= editor::kMarkInactive;
    };
    while (!toolOutput.empty()) {
        std::size_t end = toolOutput.find('\n');
        std::string_view record = toolOutput.substr(0, end);
        toolOutput.remove_prefix(end == std::string_view::npos ? toolOutput.size() : end + 1);
        long number = AtoL(std::string(record.substr(0, 32)));
        if (number < 1 || number > doc.lineCount) continue;
        // Reports come in order: the next number is usually the next line.
        editor::Line* line = last && number == lastNumber + 1 ? last->next : editor::LineAtNumber(doc, number);
        if (!line) continue;
        mark(line);
        lastNumber = number;
        last = line;
        while (last->length > 0 && last->text[last->length - 1] == '\\' && last->next != doc.lines) {
            last = last->next;
            ++lastNumber;
            mark(last);
        }
    }
    return marked;
}

}  // namespace tarvo::analysis
