// What a build reports: the message file read back into list lines, the messages that lead
// to a source line, the lines that continue a long message, and the closing lines.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"

namespace tarvo::project {

// The message file is read up to these sizes; a larger one is "too big".
inline constexpr size_t kMessageFileLimit = 65536;
inline constexpr size_t kMessageLineLimit = 1401;
inline constexpr std::string_view kUndefinedReference = "undefined reference to";
inline constexpr std::string_view kContinuation = " + ";

struct MessageFile {
    std::vector<std::string> lines;            // to be listed
    std::vector<std::string> undefinedLines;   // held back while libraries are looked for
    std::vector<std::string> undefinedSymbols;
    bool tooBig = false;                       // reading stopped at a limit
};

MessageFile ReadMessages(std::string_view text);

struct BuildMessage {
    std::string file;  // full path
    long line = 0;     // 1 or more
    std::string display;
};

// A compiler or resource-compiler message, or nothing. Relative names are taken in the make
// directory, where the tools ran.
std::optional<BuildMessage> ParseMessage(std::string_view text, const std::string& makeDir);
// The Eiffel compiler's form: "Line <n> (<file>) ...".
std::optional<BuildMessage> ParseEiffelMessage(std::string_view text, const std::string& sourcesDir);
// The form of the project's tools: the Eiffel compiler's for an Eiffel project.
std::optional<BuildMessage> ParseProjectMessage(std::string_view text, const base::ProjectSettings& project);

// A text as rows of the list: `fits` tells whether a text fits the list's width. Rows after
// the first start with " + ".
std::vector<std::string> SplitForList(const std::string& text, const std::function<bool(std::string_view)>& fits);

// The message a row belongs to: the first row of it, and its text joined from its rows.
struct JoinedMessage {
    size_t first = 0;
    std::string text;
};
JoinedMessage JoinRows(const std::vector<std::string>& rows, size_t row);

// The closing lines: success only for a clean exit with nothing said, then time and code.
std::vector<std::string> ClosingLines(bool emptyFile, const std::string& executable, double seconds, long returnCode);

// The makefile with every "LIBS=" line holding the libraries; false when it has none.
bool RewriteLibsLine(const std::string& makefile, const std::string& libraries, std::string& rewritten);

}  // namespace tarvo::project
