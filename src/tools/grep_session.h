// What the grep dialog shows and keeps between uses (until the program ends): the last
// request, the histories of expressions and directories, and the checks of a filled form. The
// flags live in the settings record ("Grep"). The list the hits go to belongs to the frame,
// reached through one seam.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/grep.h"

namespace tarvo::tools {

// A row of the output list and the place it leads to (no file: it leads nowhere).
struct ListTarget {
    std::string file;
    long line = 0;
};

struct GrepSession {
    std::string expression;
    std::string masks{kGrepDefaultMasks};
    std::string directory;
    std::vector<std::string> expressions;  // most recent first
    std::vector<std::string> directories;
    // Installed by the frame: the output list cleared and filled with these rows.
    void (*showList)(const std::vector<std::string>& rows, std::vector<ListTarget> targets) = nullptr;
};

GrepSession& grepSession();
void ResetGrepSession();  // the seam stays

inline constexpr std::size_t kGrepHistoryLength = 16;

// The form the dialog opens with: the last request, the word at the cursor when there is one
// as the expression, and the project directory when none was chosen yet.
GrepRequest FormToShow(const GrepSession& session, std::uint16_t flags, const std::string& wordAtCursor,
                       const std::string& projectDirectory);
// "Multiple (several expr)" ticked: ignore case on, whole words off.
std::uint16_t FlagsForMultiple(std::uint16_t flags);
// 0 when the form can be searched, else the message id of what is missing.
unsigned CheckForm(const GrepRequest& request);
// The text moves to the front of the history (once), which keeps its length.
void Remember(std::vector<std::string>& history, const std::string& text);
// The form was searched: it is kept for the next time and enters the histories.
void KeepForm(GrepSession& session, const GrepRequest& request);

// The list of an outcome: the header and a row per hit, with their places.
void ListRows(const GrepRequest& request, const GrepOutcome& outcome, const std::string& projectDirectory,
              std::vector<std::string>& rows, std::vector<ListTarget>& targets);

}  // namespace tarvo::tools
