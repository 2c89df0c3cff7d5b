// Repository files of the version store: every revision of one working file, the newest trunk
// revision whole and every other one as an edit script against a neighbour. This module reads
// and writes the file, rebuilds revisions and adds new ones; it has no limits of its own on
// the length of the history.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarvo::cms {

// Revision numbers: decimal fields separated by periods; an even count names a revision, an
// odd count a branch.
bool ValidNumber(std::string_view number);  // digits, single periods, fields of 9 digits at most
int FieldCount(std::string_view number);
// Field by field as integers; a number that is a prefix of another is less.
int CompareNumbers(std::string_view a, std::string_view b);
// The number without its last field ("1.2.1" for "1.2.1.3"; "" for "1").
std::string DropField(std::string_view number);

// A name the file can hold as an identifier: a letter, then letters, digits and the signs
// !"#%&'()*+-/<=>?[\]^_`{|}~ (no blank, period or letter beyond ASCII).
bool ValidIdentifier(std::string_view name);
// Six fields of a date, "year.month.day.hour.minute.second", each in its range.
bool ValidDate(std::string_view date);

struct Delta {
    std::string number;
    std::string date;
    std::string author;
    std::string state;                  // may be empty
    std::vector<std::string> branches;  // first revision of each branch starting here
    std::string next;                   // trunk: next older; branch: next newer; may be empty
    std::string log;
    std::string text;       // the head's whole text, else an edit script ("@" single)
    std::string lockedBy;   // from the lock list
    char mark = 0;          // 'D': not written
    bool operator==(const Delta&) const = default;
};

struct Repository {
    std::string head;                                          // empty: no revision yet
    std::string defaultBranch;
    std::vector<std::string> access;
    std::vector<std::pair<std::string, std::string>> symbols;  // name, number
    std::vector<std::pair<std::string, std::string>> locks;    // user, revision
    std::string comment;                                       // read, never written
    long version = 0;
    long binary = 0;
    std::string description;
    std::vector<Delta> deltas;                                 // in file order
    std::unordered_map<std::string, std::size_t> index;        // number -> deltas[]

    Delta* Find(std::string_view number);
    const Delta* Find(std::string_view number) const;
    // Same content; the comment is not compared (it is never written).
    bool SameContent(const Repository& other) const;
};

enum class Weight { Error, Warning, Report };
struct Problem {
    Weight weight;
    std::string text;
};
struct Problems {
    std::vector<Problem> list;
    bool failed = false;  // an error: nothing read may be used
    void Add(Weight weight, std::string text);
    bool Clean() const { return list.empty(); }
};

inline constexpr std::string_view kSignature = "This is a CMS file. Do NOT edit!\n";

// Parses a repository file's bytes (line ends CR LF or LF). False after an error; warnings and
// reports leave the parse going. `name` is the file's name for the messages.
bool ParseRepository(std::string_view bytes, const std::string& name, Repository& repo, Problems& problems);
// The file's bytes, CR LF line ends, in the house layout; records marked 'D' left out. Logs and
// the description are written with a final line end.
std::string FormatRepository(const Repository& repo);
// What writing and reading back makes of logs and the description (a final line end).
void NormaliseForWriting(Repository& repo);

// Delta records in the order they are written: each, then the walk of its next, then of each
// of its branches. Empty with a message when a revision is reached twice or is missing.
bool WalkOrder(const Repository& repo, std::vector<const Delta*>& order, std::string& message);
// The delta records from the head to the revision, in the order their texts apply.
bool PathTo(const Repository& repo, std::string_view number, std::vector<const Delta*>& path, std::string& message);
// The text of a revision, rebuilt in memory; false with the message.
bool Rebuild(const Repository& repo, std::string_view number, std::string& text, std::string& message);

struct NewRevision {
    std::string number;  // a new head of the trunk, or the next revision of a branch
    std::string parent;  // the revision it follows: the head, or a branch point or branch end
    std::string date, author, state = "Exp", log;
    std::string text;    // its whole text (encoded for a binary file)
};
// Adds a revision to the model: a new head takes the whole text and the old head becomes a
// reverse script; a branch revision is a forward script against its parent. False with the
// message when the numbers do not fit the history.
bool AddRevision(Repository& repo, const NewRevision& revision, std::string& message);

// The names the file stores as identifiers (author, states, access list, symbols, lockers), each
// checked; the message names the first that cannot be stored.
bool CheckNames(const Repository& repo, std::string& message);

}  // namespace tarvo::cms
