#include "analysis/analysis_hooks.h"

#include "analysis/checks.h"
#include "analysis/function_list.h"

namespace tarvo::analysis {
namespace {

// The hooks that were installed before ours.
struct Chained {
    editor::EditorHooks previous{};
};

Chained& chained() {
    static Chained state;
    return state;
}

void LineSplit(editor::Document& doc, editor::Line* upper, editor::Line* lower, long column) {
    if (chained().previous.lineSplit) chained().previous.lineSplit(doc, upper, lower, column);
    FunctionsAfterSplit(doc, upper);
}

void LineDeleted(editor::Document& doc, editor::Line* line, editor::Line* heir, long shift) {
    if (chained().previous.lineDeleted) chained().previous.lineDeleted(doc, line, heir, shift);
    FunctionsBeforeLineDeleted(doc, line);
}

void LinesInserted(editor::Document& doc, editor::Line* after, long count) {
    if (chained().previous.linesInserted) chained().previous.linesInserted(doc, after, count);
    FunctionsAfterLinesInserted(doc, after, count);
}

void LineEdited(editor::Document& doc, editor::Line* line, long column, long delta) {
    if (chained().previous.lineEdited) chained().previous.lineEdited(doc, line, column, delta);
    FunctionsAfterLineEdited(doc, line);
}

void TextReplaced(editor::Document& doc) {
    if (chained().previous.textReplaced) chained().previous.textReplaced(doc);
    FreeFunctionList(doc);
}

}  // namespace

void InstallAnalysisHooks() {
    editor::EditorHooks& hooks = editor::editor().hooks;
    if (hooks.lineSplit == LineSplit) return;  // installed already: chaining twice would loop
    Chained& c = chained();
    c.previous = hooks;
    hooks.lineSplit = LineSplit;
    hooks.lineDeleted = LineDeleted;
    hooks.linesInserted = LinesInserted;
    hooks.lineEdited = LineEdited;
    hooks.textReplaced = TextReplaced;
    hooks.checkBeforeSave = CheckBeforeSave;
}

}  // namespace tarvo::analysis
