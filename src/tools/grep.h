// Grep: the files of a directory (and perhaps its subdirectories) that match one of a set of
// file masks are searched for a text, a regular expression or several words, and every line
// that matches becomes a hit. The search never shows anything itself, so it can run in a thread
// of its own; its outcome says what went wrong, and the caller shows it.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/regex.h"

namespace tarvo::tools {

// The `Grep` flags of the settings.
inline constexpr std::uint16_t kGrepCaseSensitive = 2;
inline constexpr std::uint16_t kGrepSubdirectories = 8;
inline constexpr std::uint16_t kGrepRegex = 64;
inline constexpr std::uint16_t kGrepWholeWords = 128;
inline constexpr std::uint16_t kGrepMultipleWords = 256;

inline constexpr std::string_view kGrepDefaultMasks = "*.c *.h";

struct GrepRequest {
    std::string expression;
    std::string masks;      // blank-separated
    std::string directory;  // full path
    std::uint16_t flags = 0;
};

struct GrepHit {
    std::string path;  // full path, as the walk gave it
    long line = 0;     // from 1
    std::string text;  // as read, without its line end
};

// The compiled form of a request's expression.
struct GrepMatcher {
    bool ignoreCase = false;
    bool wholeWords = false;
    bool regex = false;
    std::vector<std::string> words;  // plain text: one; multiple words: each (upper case when ignoring case)
    std::vector<editor::RegexNeedle> needles;
    editor::Regex program;
    // The literal every matching line holds, which finds the lines to look at, in the text as
    // it stands (so ignoring case as asked); empty when there is none: every line is tried.
    editor::RegexNeedle finder;
};

// Compiles the expression: 0, or the message id of the pattern's error.
unsigned CompileGrep(const GrepRequest& request, GrepMatcher& matcher);

// The hits of one file's content; `path` is copied into each. Stops early with the regular
// expression's message id in `error` when the engine gives up on a line (`errorLine` is then
// that line's number); 0 otherwise.
struct FileSearch {
    std::vector<GrepHit>* hits = nullptr;
    unsigned error = 0;
    long errorLine = 0;
    std::string upper;  // a line or the content in upper case, the storage kept for the next file
};
void SearchContent(const GrepMatcher& matcher, std::string_view content, const std::string& path, FileSearch& out);

// A line of text matches: the same test as SearchContent, for one line.
bool LineMatches(const GrepMatcher& matcher, std::string_view line, unsigned& error);

enum class GrepEnd { Done, Stopped, NoDirectory, RegexFailed };

struct GrepOutcome {
    GrepEnd end = GrepEnd::Done;
    std::vector<GrepHit> hits;
    std::size_t filesSearched = 0;
    std::size_t filesSkipped = 0;  // could not be opened or read
    unsigned error = 0;            // message id of the engine's failure
    std::string errorFile;
    long errorLine = 0;
};

// The masks of a request, each once.
std::vector<std::string> SplitMasks(std::string_view masks);

// The whole search. `stop`, when given, is looked at between files and ends the walk early.
GrepOutcome RunGrep(const GrepRequest& request, const GrepMatcher& matcher, const std::atomic<bool>* stop = nullptr);

// The rows of the output list: the header (or the not-found report) and one row per hit,
// "[name:line] text", the name lower-cased and without its directory when the file lies in
// `projectDirectory`, the text without leading blanks and tabs.
std::string GrepHeader(const GrepRequest& request, std::size_t hits);
std::string HitRow(const GrepHit& hit, const std::string& projectDirectory);
// A file's name as a row shows it.
std::string ShownName(const std::string& path, const std::string& projectDirectory);

}  // namespace tarvo::tools
