// The history of one C function through the revisions of its file: every revision on the way
// to a chosen one (from the first trunk revision, down the branches it lies on), the
// function's text in each as the source scanner finds it, and the revisions in which that
// text changed, ignoring changes of spacing.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cms/repository.h"

namespace tarvo::cms {

enum class FunctionChangeKind { Added, Changed, Removed };

struct FunctionChange {
    FunctionChangeKind kind = FunctionChangeKind::Changed;
    std::string revision;  // where the change is
    std::string previous;  // the revision it is compared with; empty for the first revision
    std::string date, author, log;
};

struct FunctionHistory {
    std::vector<std::string> revisions;  // oldest first, ending at the chosen revision
    std::vector<std::string> texts;      // the function in each; empty where it is absent
    std::vector<bool> present;
    std::vector<FunctionChange> changes;  // oldest first
    // The function's text in a revision of the history; empty when absent or not in it.
    std::string TextOf(std::string_view revision) const;
};

// Traces the function up to `last` (a number or symbolic name; empty: the default revision).
// `progress` is told the revisions done and their total and may stop the trace by returning
// false. False with the message when the revision cannot be found or a revision cannot be
// rebuilt; a function found in no revision is an empty list of changes, not a failure.
bool TraceFunction(const Repository& repo, std::string_view name, const std::string& last, FunctionHistory& out,
                   std::string& message, const std::function<bool(int, int)>& progress = {});

}  // namespace tarvo::cms
