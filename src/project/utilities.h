// User utilities: the macros of their command lines, the list edited by the utilities page,
// and the command that starts one. The window layer supplies what the macros read.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

// What the macros of a utility's text stand for at the moment it runs.
struct MacroContext {
    std::string file;            // the current document's name
    std::uintptr_t window = 0;   // the active document window
    std::string word;            // the word at the cursor, empty for none
    size_t cursorInWord = 0;     // where the cursor stands in it
    std::string selection;       // the selected text, empty for none
    bool selectionLines = false; // the selection spans several lines
    std::string exe, makeDir;    // the current project's executable and make directory
    std::string currentDir;      // the current-directory setting
    // Asks for a text with this title; false when cancelled. Null: $ASK$ fails.
    std::function<bool(const std::string& title, std::string& answer)> ask;
    std::string askTitle;
};

// Names longer than this between two '$' are no macro names.
inline constexpr size_t kMacroNameLimit = 30;

// Replaces every $NAME$ of the text (the replacement followed by a blank). False after a
// message (a selection over several lines) or when $ASK$ is cancelled or not allowed.
bool ExpandMacros(const std::string& text, const MacroContext& context, std::string& expanded);

// The utility ids are 1300 to 1312, one each: the lowest free one, or 0 when all are taken.
long FreeUtilityId(const std::vector<base::Utility>& utilities);
const base::Utility* FindUtility(const std::vector<base::Utility>& utilities, long id);

enum class UtilityEdit { Refused, Changed, Added };
// Change/Add of the utilities page: a utility of the same nickname is changed in place, any
// other is put in front with a free id. Refused after a message (no name or program, or no
// free id); `id` receives the id of the changed or added utility.
UtilityEdit ChangeOrAddUtility(std::vector<base::Utility>& utilities, const base::Utility& entered, long& id);
// Delete of the utilities page; false after a message when no utility has this nickname.
// `id` receives the id of the removed one.
bool DeleteUtility(std::vector<base::Utility>& utilities, const std::string& nickname, long& id);

// A file processor needs both its command line and its output file; false after a message.
bool ValidFileProcessor(const base::FileProcessor& processor);

}  // namespace tarvo::project
