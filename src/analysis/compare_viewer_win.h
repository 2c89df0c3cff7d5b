// The side-by-side viewer "%s vs %s" and the interactive merge "Merge of %s and %s": both texts
// in two panes with the changes coloured, the current change highlighted and brought into view,
// its captions above the panes and the buttons that move through the changes or choose a side.
#pragma once
#include <windows.h>

#include <string>

#include "analysis/compare.h"

namespace tarvo::analysis {

// Opens the side-by-side viewer on two files; the names are what the title and the
// sides show (a file's name, or "name 1.2" for a revision). False after a message.
// Files without differences show "Files identical" and open no window (true).
bool ShowComparison(const std::string& firstPath, const std::string& secondPath,
                    const std::string& firstName, const std::string& secondName);

struct ComparisonWindowRequest {
    std::string firstPath, secondPath;
    std::string firstName, secondName;  // empty: the file's name
    CompareOptions options;
    bool merge = false;
    std::string output;  // where a merge writes its result
};
// Compares the files and opens the viewer or the merge window on them. Identical files give
// "Files identical" and no window; the window, or null (after a message, or when identical).
HWND OpenComparisonWindow(const ComparisonWindowRequest& request);

// The class of those windows, for the tests that look for them.
inline constexpr const char* kComparisonClass = "TarvoCompare";

}  // namespace tarvo::analysis
