// The function list of a document: each function (procedure, subroutine) defined in it with
// the lines where it begins and ends, found by the finder of the document's language, and kept
// in step with edits until it is rebuilt.
#pragma once
#include <array>
#include <memory>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/char_source.h"
#include "editor/keywords.h"
#include "editor/document.h"
#include "editor/language.h"

namespace tarvo::analysis {

// Line numbers are 1-based. Lines are held by number, not by Line pointer, so that a list
// that outlives an edit never points at a freed line.
struct Function {
    std::string name;
    std::int32_t hash = 0;   // editor::KeywordHash of the name
    long startLine = 0;      // where the declaration starts (C: after the return type's walk)
    int startColumn = 0;
    long startNumber = 0;    // C: the line of the parameter list's '('; others: the matching line
    long endNumber = 0;      // C: the line of the body's closing brace; others: the ending line
    long bodyLine = 0;       // where the scanner stood on recognising it (C: the opening brace)
    long endLine = 0;        // last line of the body
    // Two tables for the tools that annotate functions, made by the first that fills them: a
    // file of 400,000 functions would otherwise carry hundreds of megabytes of empty tables.
    std::shared_ptr<std::array<editor::KeywordTable, 2>> tables;
};

using FunctionRecords = std::vector<Function>;

// The finders, over lines. `name` is the document's name for messages.
FunctionRecords FindCFunctions(const Lines& lines);
FunctionRecords FindFortranFunctions(const Lines& lines);
FunctionRecords FindPascalFunctions(const Lines& lines);
FunctionRecords FindEiffelFunctions(const Lines& lines);
// The pattern-driven finder; shows "%s: open function definition" when the text ends inside
// one, and returns false after a pattern's own error.
bool FindPatternFunctions(const Lines& lines, const editor::Language& language, std::string_view name,
                          FunctionRecords& out);
// Dispatches on the language; no language finds nothing.
FunctionRecords FindFunctionsIn(const Lines& lines, const editor::Language* language, std::string_view name);

}  // namespace tarvo::analysis

namespace tarvo::editor {

// What Document::functions holds.
struct FunctionList {
    analysis::FunctionRecords functions;
    bool stale = false;  // an edit touched a function's first or last line: rebuild before use
};

}  // namespace tarvo::editor

namespace tarvo::analysis {

// Builds the document's list from scratch, stores it and sets FunctionsCurrent; true when at
// least one function was found.
bool FindFunctions(editor::Document& doc);
void FreeFunctionList(editor::Document& doc);
// The document's list, built again when it is missing or the text changed since.
const editor::FunctionList& FunctionsOf(editor::Document& doc);
// The functions as a list to choose from ("name<tab>line N" each) and the line each goes to.
struct FunctionChoices {
    std::vector<std::string> items;
    std::vector<long> lines;
};
FunctionChoices FunctionChoicesOf(editor::Document& doc);
// The function whose lines hold line number n, or null.
const Function* FunctionAtLine(editor::Document& doc, long n);

// Keeping the list in step with edits: records after an inserted or removed line move by one;
// a change on a record's first or last line makes the list stale. A document's first list
// makes the function lists listen to the edits.
void FunctionsAfterSplit(editor::Document& doc, editor::Line* upper);
void FunctionsBeforeLineDeleted(editor::Document& doc, editor::Line* line);
void FunctionsAfterLinesInserted(editor::Document& doc, editor::Line* after, long count);
void FunctionsAfterLineEdited(editor::Document& doc, editor::Line* line);
extern const editor::DocumentListener kFunctionListListener;

}  // namespace tarvo::analysis
