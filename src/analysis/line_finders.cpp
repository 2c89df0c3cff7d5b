// Finders that look at one line at a time: the Fortran finder and the pattern-driven finder of
// languages defined by their start and end patterns.
#include <cctype>

#include "analysis/analysis_messages.h"
#include "analysis/function_list.h"
#include "editor/regex.h"
#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::analysis {
namespace {


bool IsBlank(char c) { return c == ' ' || c == '\t'; }

Function Record(std::string name, long line) {
    Function f;
    f.name = std::move(name);
    f.hash = editor::KeywordHash(f.name);
    f.startLine = f.startNumber = f.bodyLine = line;
    return f;
}

void End(Function& f, long line) { f.endNumber = f.endLine = line; }

// The words of an upper-case Fortran line, with where each starts.
struct Word {
    std::string_view text;
    std::size_t at;
};
std::vector<Word> Words(std::string_view line) {
    std::vector<Word> words;
    for (std::size_t i = 0; i < line.size();) {
        if (!editor::IsWordChar(line[i])) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (i < line.size() && editor::IsWordChar(line[i])) ++i;
        words.push_back({line.substr(start, i - start), start});
    }
    return words;
}

bool IsFortranType(std::string_view w) {
    return w == "INTEGER" || w == "REAL" || w == "DOUBLE" || w == "PRECISION" || w == "LOGICAL" ||
           w == "CHARACTER" || w == "COMPLEX" || w == "RECURSIVE" || w == "PURE" || w == "ELEMENTAL" ||
           (!w.empty() && std::isdigit(static_cast<unsigned char>(w[0])));  // INTEGER*4
}

// The name after a unit keyword: up to a blank, a tab or '('.
std::string NameAfter(std::string_view line, std::size_t at) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end]) && line[end] != '(') ++end;
    return std::string(line.substr(at, end - at));
}

}  // namespace

FunctionRecords FindFortranFunctions(const Lines& lines) {
    FunctionRecords out;
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view raw = lines[i];
        if (raw.empty() || !IsBlank(raw[0])) continue;  // labels and comments start in column 1
        std::string line = Upper(raw);
        std::vector<Word> words = Words(line);
        std::size_t first = 0;
        while (first < words.size() && std::isdigit(static_cast<unsigned char>(words[first].text[0]))) ++first;  // a label
        if (first >= words.size()) continue;
        if (!inside) {
            // Whole words only: CALL PROGRAMX is no program.
            for (std::size_t w = first; w < words.size(); ++w) {
                std::string_view word = words[w].text;
                bool unit = word == "PROGRAM" || word == "SUBROUTINE";
                if (word == "FUNCTION") {
                    unit = true;
                    for (std::size_t k = first; k < w; ++k) unit = unit && IsFortranType(words[k].text);
                }
                if (!unit) continue;
                std::string name = NameAfter(line, words[w].at + word.size());
                if (name.empty()) break;
                out.push_back(Record(name, static_cast<long>(i) + 1));
                inside = true;
                break;
            }
        } else if (words[first].text == "END") {
            // END, END SUBROUTINE and the like close the unit; END IF and END DO do not.
            bool closes = first + 1 == words.size();
            if (!closes) {
                std::string_view next = words[first + 1].text;
                closes = next == "PROGRAM" || next == "SUBROUTINE" || next == "FUNCTION";
            }
            if (closes) {
                End(out.back(), static_cast<long>(i) + 1);
                inside = false;
            }
        }
    }
    if (inside) End(out.back(), static_cast<long>(lines.size()));
    return out;
}

bool FindPatternFunctions(const Lines& lines, const editor::Language& language, std::string_view name,
                          FunctionRecords& out) {
    if (language.startFunction.empty()) return true;
    const bool upper = language.flags & editor::kLanguageIgnoreCase;
    auto start = editor::CompileRegex(upper ? Upper(language.startFunction) : language.startFunction);
    if (!start) return false;
    std::unique_ptr<editor::Regex> end;
    if (!language.endFunction.empty()) {
        end = editor::CompileRegex(upper ? Upper(language.endFunction) : language.endFunction);
        if (!end) return false;
    }
    const char comment = language.comment.empty() ? '\0' : language.comment[0];
    bool inside = false;
    editor::RegexMatch m;
    std::string scratch;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = lines[i];
        if (upper) text = scratch = Upper(text);
        std::size_t first = text.find_first_not_of(" \t");
        if (comment && first != std::string_view::npos && text[first] == comment) continue;
        const long number = static_cast<long>(i) + 1;
        editor::RegexResult r = editor::ExecuteRegex(inside ? *end : *start, text, 0, m);
        if (r == editor::RegexResult::Failed) return false;
        if (r == editor::RegexResult::NoMatch) continue;
        if (inside) {
            End(out.back(), number);
            inside = false;
            continue;
        }
        if (!end && !out.empty() && out.back().endNumber == 0) End(out.back(), number - 1);
        std::string title;
        if (!start->mustContain.empty()) {
            title = text;
            std::size_t at = title.find(start->mustContain);
            if (at != std::string::npos) title.erase(at, start->mustContain.size());
        } else {
            std::string_view matched = text.substr(static_cast<std::size_t>(m.start[0]),
                                                   static_cast<std::size_t>(m.end[0] - m.start[0]));
            std::size_t from = matched.find_first_not_of(" \t");
            if (from == std::string_view::npos) from = matched.size();
            std::size_t to = matched.find_first_of(" \t", from);
            title = matched.substr(from, to == std::string_view::npos ? std::string_view::npos : to - from);
        }
        for (char& c : title)
            if (c == '\t') c = ' ';
        std::size_t a = title.find_first_not_of(' ');
        title = a == std::string::npos ? std::string() : title.substr(a, title.find_last_not_of(' ') - a + 1);
        out.push_back(Record(title, number));
        inside = end != nullptr;
    }
    if (!out.empty() && out.back().endNumber == 0) End(out.back(), static_cast<long>(lines.size()));
    if (inside) base::ErrorBox(Printf(base::GetString(kMsgOpenFunction), std::string(name).c_str()));
    return true;
}

}  // namespace tarvo::analysis
