// Where a regular-expression search stops in a document, written out for comparison: Find Next
// from the top to the end, and the pattern tried on each line alone.
#pragma once
#include <string>

#include "editor/regex.h"
#include "editor/search.h"
#include "editor/search_state.h"

namespace tarvo::editor::test {

// "line:start-end " for each match Find Next stops at, going on from the line after each.
inline std::string FindNextStops(Document& doc, const std::string& pattern) {
    searchState().flags = kFindCurrentWindow | kFindRegex | kFindForwards;
    SetSearchText(pattern);
    std::string found;
    Hit hit;
    for (Line* l = doc.lines->next; l != doc.lines; l = hit.line->next) {
        if (SearchDocument(doc, l, 0, false, false, hit) != LineSearch::Found) break;
        found += std::to_string(LineIndex(doc, hit.line)) + ":" + std::to_string(hit.match.start) + "-" +
                 std::to_string(hit.match.start + hit.match.length) + " ";
    }
    return found;
}

// The same from trying the program on each line on its own.
inline std::string EachLineMatches(const Document& doc, const Regex& re) {
    std::string expected;
    long n = 1;
    for (Line* l = doc.lines->next; l != doc.lines; l = l->next, ++n) {
        RegexMatch m;
        unsigned error = 0;
        if (ExecuteRegexQuietly(re, LineText(*l), 0, m, error) == RegexResult::Match)
            expected += std::to_string(n) + ":" + std::to_string(m.start[0]) + "-" + std::to_string(m.end[0]) + " ";
    }
    return expected;
}

}  // namespace tarvo::editor::test
