#include "analysis/function_list.h"

#include <memory>

#include "base/messages.h"
#include "editor/window_messages.h"
#include "platform/text.h"

namespace tarvo::analysis {

FunctionRecords FindFunctionsIn(const Lines& lines, const editor::Language* language, std::string_view name) {
    if (!language) return {};
    switch (language->finder) {
        case editor::FunctionFinder::C:
            return FindCFunctions(lines);
        case editor::FunctionFinder::Fortran:
            return FindFortranFunctions(lines);
        case editor::FunctionFinder::Pascal:
            return FindPascalFunctions(lines);
        case editor::FunctionFinder::Eiffel:
            return FindEiffelFunctions(lines);
        case editor::FunctionFinder::Pattern: {
            FunctionRecords out;
            FindPatternFunctions(lines, *language, name, out);
            return out;
        }
    }
    return {};
}

bool FindFunctions(editor::Document& doc) {
    editor::Listen(kFunctionListListener);  // the list must follow the edits from now on
    auto list = std::make_shared<editor::FunctionList>();
    list->functions = FindFunctionsIn(LinesOf(doc), doc.language, doc.name);
    bool found = !list->functions.empty();
    doc.functions = std::move(list);
    doc.flags |= editor::kFunctionsCurrent;
    return found;
}

void FreeFunctionList(editor::Document& doc) {
    doc.functions.reset();
    doc.flags &= static_cast<std::uint16_t>(~editor::kFunctionsCurrent);
}

const editor::FunctionList& FunctionsOf(editor::Document& doc) {
    // Any change to the text may have added a function the list does not know yet.
    if (!doc.functions || doc.functions->stale || !(doc.flags & editor::kFunctionsCurrent)) FindFunctions(doc);
    return *doc.functions;
}

FunctionChoices FunctionChoicesOf(editor::Document& doc) {
    FunctionChoices choices;
    for (const Function& f : FunctionsOf(doc).functions) {
        long line = f.startLine > 0 ? f.startLine : f.startNumber;
        choices.items.push_back(Printf(base::GetString(editor::kMsgFunctionLine), f.name.c_str(), line));
        choices.lines.push_back(line);
    }
    return choices;
}

const Function* FunctionAtLine(editor::Document& doc, long n) {
    for (const Function& f : FunctionsOf(doc).functions)
        if (f.startLine <= n && n <= f.endNumber) return &f;
    return nullptr;
}

namespace {

// Moves every line number beyond `after` by `delta`; marks the list stale when a record's
// first or last line is `touched`.
void Shift(editor::Document& doc, long after, long delta, long touched) {
    if (!doc.functions) return;
    for (Function& f : doc.functions->functions) {
        if (f.startLine == touched || f.startNumber == touched || f.endNumber == touched) doc.functions->stale = true;
        for (long* n : {&f.startLine, &f.startNumber, &f.endNumber, &f.bodyLine, &f.endLine})
            if (*n > after) *n += delta;
    }
}

}  // namespace

void FunctionsAfterSplit(editor::Document& doc, editor::Line* upper) {
    if (!doc.functions) return;
    // `upper` keeps its number; the new line after it pushes the rest down.
    long n = editor::LineIndex(doc, upper);
    if (n <= 0) return;
    Shift(doc, n, 1, n);
    // A function ending on the split line now ends on its lower part.
    for (Function& f : doc.functions->functions)
        if (f.startLine <= n && f.endNumber == n) f.endNumber = f.endLine = n + 1;
}

void FunctionsBeforeLineDeleted(editor::Document& doc, editor::Line* line) {
    if (!doc.functions) return;
    long n = editor::LineIndex(doc, line);
    if (n <= 0) return;
    Shift(doc, n, -1, n);
}

void FunctionsAfterLinesInserted(editor::Document& doc, editor::Line* after, long count) {
    if (!doc.functions || count <= 0) return;
    long n = after == doc.lines ? 0 : editor::LineIndex(doc, after);
    Shift(doc, n, count, -1);
}

void FunctionsAfterLineEdited(editor::Document& doc, editor::Line* line) {
    if (!doc.functions || doc.functions->stale) return;
    long n = editor::LineIndex(doc, line);
    for (const Function& f : doc.functions->functions)
        if (f.startLine == n || f.startNumber == n || f.endNumber == n) {
            doc.functions->stale = true;
            return;
        }
}

const editor::DocumentListener kFunctionListListener = {
    .lineDeleted = [](editor::Document& doc, editor::Line* line, editor::Line*, long) {
        FunctionsBeforeLineDeleted(doc, line);
    },
    .lineSplit = [](editor::Document& doc, editor::Line* upper, editor::Line*, long) {
        FunctionsAfterSplit(doc, upper);
    },
    .linesInserted = FunctionsAfterLinesInserted,
    .lineEdited = [](editor::Document& doc, editor::Line* line, long, long) {
        FunctionsAfterLineEdited(doc, line);
    },
    .textReplaced = FreeFunctionList,
};

}  // namespace tarvo::analysis
