#include "tools/grep.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "editor/byte_search.h"
#include "editor/line.h"
#include "editor/text_scan.h"
#include "platform/files.h"
#include "platform/text.h"
#include "tools/grep_messages.h"
#include "base/messages.h"

namespace tarvo::tools {
namespace {

bool WordAt(std::string_view line, std::size_t start, std::size_t end) {
    bool before = start > 0 && editor::IsWordChar(line[start - 1]);
    bool after = end < line.size() && editor::IsWordChar(line[end]);
    return !before && !after;
}

// Every occurrence is tried, not only the first: "print(x); int y;" holds the word int.
bool HoldsWord(std::string_view line, const editor::RegexNeedle& needle, bool wholeWords) {
    const std::size_t length = needle.text.size();
    for (std::size_t at = needle.Find(line, 0); at != std::string_view::npos; at = needle.Find(line, at + 1))
        if (!wholeWords || WordAt(line, at, at + length)) return true;
    return false;
}

bool RegexLineMatches(const GrepMatcher& m, std::string_view line, unsigned& error) {
    editor::RegexMatch match;
    for (std::size_t from = 0; from <= line.size();) {
        switch (editor::ExecuteRegexQuietly(m.program, line, from, match, error)) {
            case editor::RegexResult::Failed:
                return false;
            case editor::RegexResult::NoMatch:
                return false;
            case editor::RegexResult::Match:
                break;
        }
        const auto start = static_cast<std::size_t>(match.start[0]);
        const auto end = static_cast<std::size_t>(match.end[0]);
        if (!m.wholeWords || WordAt(line, start, end)) return true;
        from = start + 1;
    }
    return false;
}

std::vector<std::string> BlankSeparated(std::string_view text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) break;
        std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        out.emplace_back(text.substr(start, end - start));
        at = end;
    }
    return out;
}

// The bytes a line of the content ends with that are not its text.
std::string_view WithoutLineEnd(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

unsigned CompileGrep(const GrepRequest& request, GrepMatcher& m) {
    m = GrepMatcher{};
    m.ignoreCase = !(request.flags & kGrepCaseSensitive);
    m.wholeWords = request.flags & kGrepWholeWords;
    m.regex = request.flags & kGrepRegex;
    // Without case the expression and every line are compared in upper case.
    const std::string expression = m.ignoreCase ? Upper(request.expression) : request.expression;
    if (expression.empty()) return kMsgGrepEmptyExpression;
    if (m.regex) {
        if (unsigned error = editor::CompileRegexQuietly(expression, m.program)) return error;
        if (const editor::RegexNeedle* literal = editor::RequiredLiteral(m.program)) m.finder.Set(literal->text, m.ignoreCase);
        return 0;
    }
    if (request.flags & kGrepMultipleWords) {
        m.words = BlankSeparated(expression);
        if (m.words.empty()) return kMsgGrepEmptyExpression;
    } else {
        m.words.push_back(expression);
    }
    m.needles.resize(m.words.size());
    std::size_t lead = 0;  // the longest word is the rarest in most text: it finds the lines to look at
    for (std::size_t i = 0; i < m.words.size(); ++i) {
        m.needles[i].Set(m.words[i]);
        if (m.words[i].size() > m.words[lead].size()) lead = i;
    }
    m.finder.Set(m.words[lead], m.ignoreCase);
    return 0;
}

bool LineMatches(const GrepMatcher& m, std::string_view line, unsigned& error) {
    error = 0;
    if (m.regex) return RegexLineMatches(m, line, error);
    for (const editor::RegexNeedle& needle : m.needles)
        if (!HoldsWord(line, needle, m.wholeWords)) return false;
    return true;
}

void SearchContent(const GrepMatcher& m, std::string_view content, const std::string& path, FileSearch& out) {
    const editor::RegexNeedle* needle = m.finder.text.empty() ? nullptr : &m.finder;
    // A pattern without such a literal may still be a row of pieces, looked for across lines.
    const bool byRow = m.regex && !needle && (m.program.rowAcrossLines || m.program.rowWithoutLiteral);
    // Lines are compared in upper case when ignoring case: the lines the finder picks one at a
    // time, or, when nothing picks them, the whole content at once.
    std::string_view hay = content;
    if (m.ignoreCase && !needle) {
        UpperInto(content, out.upper);
        hay = out.upper;
    }
    const char* const base = hay.data();
    const std::size_t size = hay.size();
    long lineNumber = 1;
    std::size_t counted = 0;  // lines are counted up to here
    std::size_t pos = 0;      // the start of a line
    while (pos < size) {
        std::size_t sureLength = std::string_view::npos;  // the row's match at the candidate, when sure
        std::size_t candidate = needle ? needle->Find(hay, pos)
                                : byRow ? editor::FindRowStart(m.program, hay, pos, &sureLength)
                                        : pos;
        if (candidate == std::string_view::npos) break;
        std::size_t start = candidate;
        while (start > pos && base[start - 1] != '\n') --start;
        const std::size_t end = static_cast<std::size_t>(editor::FindByte(base + candidate, base + size, '\n') - base);
        std::string_view line = WithoutLineEnd(hay.substr(start, end - start));
        unsigned error = 0;
        // A needle found whole inside the line is the whole test of a plain single text.
        const std::size_t lineEnd = start + line.size();
        const bool found = !m.wholeWords && (m.regex ? sureLength != std::string_view::npos && candidate + sureLength <= lineEnd
                                                     : m.needles.size() == 1 && candidate + m.words[0].size() <= lineEnd);
        bool matches = found;
        if (!found) {
            if (m.ignoreCase && needle) {
                UpperInto(line, out.upper);  // the content is not in it: the finder reads the content
                line = out.upper;
            }
            matches = LineMatches(m, line, error);
        }
        if (error || matches) {
            lineNumber += static_cast<long>(editor::CountByte(base + counted, base + start, '\n'));
            counted = start;
        }
        if (error) {
            out.error = error;
            out.errorLine = lineNumber;
            return;
        }
        if (matches)
            out.hits->push_back({path, lineNumber, std::string(WithoutLineEnd(content.substr(start, end - start)))});
        pos = end + 1;
    }
}

std::vector<std::string> SplitMasks(std::string_view masks) {
    std::vector<std::string> out;
    for (std::string& mask : BlankSeparated(masks))
        if (std::none_of(out.begin(), out.end(), [&](const std::string& m) { return SameText(m, mask); }))
            out.push_back(std::move(mask));
    return out;
}

GrepOutcome RunGrep(const GrepRequest& request, const GrepMatcher& matcher, const std::atomic<bool>* stop) {
    GrepOutcome outcome;
    const std::vector<std::string> masks = SplitMasks(request.masks);
    std::string buffer;
    FileSearch search;
    search.hits = &outcome.hits;
    auto visit = [&](const std::string& path) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            outcome.end = GrepEnd::Stopped;
            return false;
        }
        // Each file once, however many of the masks it matches.
        const std::string name = platform::BaseName(path);
        if (std::none_of(masks.begin(), masks.end(), [&](const std::string& m) { return WildcardMatch(m, name); }))
            return true;
        std::size_t size = 0;
        if (!platform::ReadFileInto(path, buffer, size)) {
            ++outcome.filesSkipped;
            return true;
        }
        ++outcome.filesSearched;
        SearchContent(matcher, std::string_view(buffer.data(), size), path, search);
        if (search.error) {
            outcome.end = GrepEnd::RegexFailed;
            outcome.error = search.error;
            outcome.errorFile = path;
            outcome.errorLine = search.errorLine;
            return false;
        }
        return true;
    };
    if (!platform::WalkFiles(request.directory, request.flags & kGrepSubdirectories, visit))
        outcome.end = GrepEnd::NoDirectory;
    return outcome;
}

std::string GrepHeader(const GrepRequest& request, std::size_t hits) {
    if (hits == 0) return Printf(base::GetString(kMsgGrepNotFound), request.expression.c_str());
    return Printf(base::GetString(kMsgGrepHeader), request.expression.c_str(), request.masks.c_str(),
                  static_cast<int>(hits));
}

std::string ShownName(const std::string& path, const std::string& projectDirectory) {
    std::string_view project = projectDirectory;
    while (project.size() > 1 && (project.back() == '\\' || project.back() == '/')) project.remove_suffix(1);
    const bool inProject = !project.empty() && SameText(platform::DirectoryOf(path), project);
    return Lower(inProject ? platform::BaseName(path) : path);
}

std::string HitRow(const GrepHit& hit, const std::string& projectDirectory) {
    const std::string shownName = ShownName(hit.path, projectDirectory);
    std::size_t first = hit.text.find_first_not_of(" \t");
    std::string_view text = first == std::string::npos ? std::string_view{} : std::string_view(hit.text).substr(first);
    char number[24];
    const std::size_t digits = static_cast<std::size_t>(std::to_chars(number, number + sizeof number, hit.line).ptr - number);
    std::string row;
    row.reserve(shownName.size() + digits + text.size() + 4);
    row += '[';
    row += shownName;
    row += ':';
    row.append(number, digits);
    row += "] ";
    row += text;
    return row;
}

}  // namespace tarvo::tools
