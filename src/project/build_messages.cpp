#include "project/build_messages.h"

#include "base/messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::project {
namespace {

constexpr unsigned kMsgBuiltSuccessfully = 433;  // "%s built successfully. (%3.1f sec)."
constexpr unsigned kMsgTimeAndCode = 436;        // "Compilation + link time:%3.1f sec, Return code: %d"
constexpr size_t kShortestRow = 30;              // rows are not cut shorter
constexpr size_t kSplitReach = 15;               // how far back a blank or '(' is looked for

bool startsWith(std::string_view text, std::string_view start) { return text.substr(0, start.size()) == start; }

std::string inDirectory(std::string_view name, const std::string& dir) {
    if (platform::IsAbsolutePath(name) || dir.empty()) return std::string(name);
    std::string_view rest = name;
    while (startsWith(rest, ".\\")) rest.remove_prefix(2);
    return dir + "\\" + std::string(rest);
}

std::string_view skipBlanks(std::string_view text, std::string_view blanks = " \t") {
    size_t at = text.find_first_not_of(blanks);
    return at == std::string_view::npos ? std::string_view() : text.substr(at);
}

// Every digit at the start; 0 when there is none.
long number(std::string_view& text) {
    long n = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        n = n < 100000000 ? n * 10 + (text[i] - '0') : n;
    text.remove_prefix(i);
    return n;
}

// "Error <file>: <line> <text>", "Warning ...", "CPP ...".
std::optional<BuildMessage> compilerForm(std::string_view text, const std::string& makeDir) {
    bool cpp = SameText(text.substr(0, 3), "CPP");
    size_t blank = text.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(blank + 1);
    // The name runs to the first colon that does not start a path ("c:\my dir\a.c: 7").
    size_t colon = 0;
    for (;; ++colon) {
        colon = rest.find(':', colon);
        if (colon == std::string_view::npos) return std::nullopt;
        if (colon + 1 >= rest.size() || rest[colon + 1] != '\\') break;
    }
    std::string name(rest.substr(0, colon));
    if (name.empty()) return std::nullopt;
    if (cpp) name = Lower(name);
    rest = skipBlanks(rest.substr(colon + 1));
    long line = number(rest);
    if (line < 1) return std::nullopt;
    rest = skipBlanks(rest, " :");
    return BuildMessage{inDirectory(name, makeDir), line, Printf("[%ld]:%s", line, std::string(rest).c_str())};
}

// "<file>(<line>) : error <code> : <text>", as resource compilers write.
std::optional<BuildMessage> parenthesisForm(std::string_view text, const std::string& makeDir) {
    size_t open = text.find('(');
    if (open == 0 || open == std::string_view::npos) return std::nullopt;
    std::string name = Lower(text.substr(0, open));
    std::string_view rest = text.substr(open + 1);
    long line = number(rest);
    if (line < 1 || !startsWith(rest, ")")) return std::nullopt;
    rest = skipBlanks(rest.substr(1), " :");
    size_t wordEnd = rest.find_first_of(" \t:");
    std::string_view word = rest.substr(0, wordEnd);
    if (!SameText(word, "warning") && word != "error") return std::nullopt;
    std::string_view after = wordEnd == std::string_view::npos ? std::string_view() : skipBlanks(rest.substr(wordEnd));
    size_t codeEnd = after.find_first_of(" \t");
    std::string_view tail = codeEnd == std::string_view::npos ? std::string_view() : after.substr(codeEnd);
    return BuildMessage{inDirectory(name, makeDir), line, std::string(word) + " " + std::string(skipBlanks(tail))};
}

}  // namespace

MessageFile ReadMessages(std::string_view text) {
    MessageFile out;
    if (text.size() >= kMessageFileLimit) {
        out.tooBig = true;
        text = text.substr(0, kMessageFileLimit - 1);
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        bool last = end == std::string_view::npos;
        std::string_view line = text.substr(start, last ? std::string_view::npos : end - start);
        if (line.size() >= kMessageLineLimit) {
            out.tooBig = true;
            break;
        }
        if (last && out.tooBig) break;  // cut by the limit: not a whole line
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        size_t phrase = line.find(kUndefinedReference);
        if (phrase != std::string_view::npos) {
            std::string_view symbol = skipBlanks(line.substr(phrase + kUndefinedReference.size()));
            while (!symbol.empty() && std::string_view("`'\"").find(symbol.front()) != std::string_view::npos)
                symbol.remove_prefix(1);
            while (!symbol.empty() && std::string_view("`'\" ").find(symbol.back()) != std::string_view::npos)
                symbol.remove_suffix(1);
            out.undefinedSymbols.emplace_back(symbol);
            out.undefinedLines.emplace_back(line);
        } else {
            out.lines.emplace_back(line);
        }
        if (last) break;
        start = end + 1;
    }
    return out;
}

std::optional<BuildMessage> ParseMessage(std::string_view text, const std::string& makeDir) {
    if (startsWith(text, "Warning") || startsWith(text, "Error") || SameText(text.substr(0, 3), "CPP"))
        return compilerForm(text, makeDir);
    return parenthesisForm(text, makeDir);
}

std::optional<BuildMessage> ParseEiffelMessage(std::string_view text, const std::string& sourcesDir) {
    if (!SameText(text.substr(0, 4), "Line")) return std::nullopt;
    std::string_view rest = skipBlanks(text.substr(4));
    long line = number(rest);
    size_t open = rest.find('('), close = rest.find(')');
    if (line < 1 || open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::nullopt;
    std::string name(rest.substr(open + 1, close - open - 1));
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return BuildMessage{inDirectory(name, sourcesDir), line, std::string(text)};
}

std::optional<BuildMessage> ParseProjectMessage(std::string_view text, const base::ProjectSettings& project) {
    if (!(project.projectFlags & base::kProjectEiffel)) return ParseMessage(text, project.makeDir);
    return ParseEiffelMessage(text, project.sourcesDir.empty() ? project.makeDir : project.sourcesDir);
}

std::vector<std::string> SplitForList(const std::string& text, const std::function<bool(std::string_view)>& fits) {
    std::vector<std::string> rows;
    std::string rest = text;
    for (;;) {
        if (fits(rest)) break;
        size_t fitting = rest.size();
        while (fitting > kShortestRow && !fits(std::string_view(rest).substr(0, fitting))) --fitting;
        if (fitting <= kShortestRow) break;
        size_t split = rest.find_last_of(" (", fitting - 1);
        if (split == std::string::npos || split <= kShortestRow || fitting - split >= kSplitReach) split = fitting;
        rows.push_back(rest.substr(0, split));
        rest = std::string(kContinuation) + rest.substr(split);
    }
    rows.push_back(rest);
    return rows;
}

JoinedMessage JoinRows(const std::vector<std::string>& rows, size_t row) {
    JoinedMessage m;
    if (row >= rows.size()) return m;
    while (row > 0 && startsWith(rows[row], kContinuation)) --row;
    m.first = row;
    m.text = rows[row];
    for (size_t next = row + 1; next < rows.size() && startsWith(rows[next], kContinuation); ++next)
        m.text += rows[next].substr(kContinuation.size());
    return m;
}

std::vector<std::string> ClosingLines(bool emptyFile, const std::string& executable, double seconds, long returnCode) {
    std::vector<std::string> lines;
    size_t slash = executable.find_last_of("\\/");
    std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
    // Nothing said is success only when make also said so: a stopped or crashed build is silent too.
    if (emptyFile && returnCode == 0)
        lines.push_back(Printf(base::GetString(kMsgBuiltSuccessfully), name.c_str(), seconds));
    lines.push_back(Printf(base::GetString(kMsgTimeAndCode), seconds, static_cast<int>(returnCode)));
    return lines;
}

bool RewriteLibsLine(const std::string& makefile, const std::string& libraries, std::string& rewritten) {
    rewritten.clear();
    bool replaced = false;
    size_t start = 0;
    while (start < makefile.size()) {
        size_t end = makefile.find('\n', start);
        size_t lineEnd = end == std::string::npos ? makefile.size() : end;
        std::string_view line(makefile.data() + start, lineEnd - start);
        if (startsWith(line, "LIBS=")) {
            rewritten += "LIBS=" + libraries + (line.ends_with("\r") ? "\r" : "");
            replaced = true;
        } else {
            rewritten += line;
        }
        if (end == std::string::npos) break;
        rewritten += '\n';
        start = end + 1;
    }
    return replaced;
}

}  // namespace tarvo::project
