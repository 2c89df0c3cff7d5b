// What the grep dialog shows and keeps between uses (until the program ends): the last
// request, the histories of expressions and directories, and the checks of a filled form. The
// flags live in the settings record ("Grep"). The list the hits go to belongs to the frame,
// reached through one seam.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/grep.h"

namespace tarvo::tools {

// The place a row of the output list leads to (no file: it leads nowhere).
struct ListTarget {
    std::string file;
    long line = 0;
};

// The rows of a tools' list and their places, made when the list shows them: a search with some
// hundred thousand hits is listed without first making as many texts.
class ListedRows {
public:
    virtual ~ListedRows() = default;
    virtual std::size_t Count() const = 0;
    virtual std::string Row(std::size_t i) const = 0;
    virtual ListTarget Target(std::size_t i) const = 0;
};

struct GrepSession {
    std::string expression;
    std::string masks{kGrepDefaultMasks};
    std::string directory;
    std::vector<std::string> expressions;  // most recent first
    std::vector<std::string> directories;
    // Installed by the frame: the output list cleared and filled with these rows.
    void (*showList)(std::shared_ptr<const ListedRows> rows) = nullptr;
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

// The list of an outcome, which it keeps: the header, then a row per hit leading to the hit.
std::shared_ptr<const ListedRows> GrepRows(const GrepRequest& request, GrepOutcome outcome, std::string projectDirectory);

// Other tools fill the same list with the usages of a name: the header "Usage of %s: %d hits."
// (or the not-found report), then a row per usage, "name: text" with the file's name as grep
// shows it, or, for lines of documents, the line's text alone; every row leads to its usage.
struct Usage {
    std::string file;
    long line = 0;
    std::string text;
};
enum class UsageForm { Named, DocumentLines };
std::shared_ptr<const ListedRows> UsageRows(const std::string& name, std::vector<Usage> usages, UsageForm form,
                                            std::string projectDirectory);
// The lines of the open documents (not the internal buffer) that hold `word` as a whole word,
// in its case: Symbol usage lists them.
std::vector<Usage> UsagesInDocuments(const std::string& word);

}  // namespace tarvo::tools
