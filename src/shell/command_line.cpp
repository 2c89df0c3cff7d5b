#include "shell/command_line.h"

#include "platform/files.h"

#include <algorithm>
#include <cctype>

#include "platform/text.h"
#include "base/messages.h"

namespace tarvo::shell {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string trimmed(std::string_view s) {
    size_t first = 0, last = s.size();
    while (first < last && blank(s[first])) ++first;
    while (last > first && blank(s[last - 1])) --last;
    return std::string(s.substr(first, last - first));
}

bool isOption(const Token& t) {
    return !t.quoted && !t.text.empty() && (t.text[0] == '/' || t.text[0] == '-');
}

bool hasWildcard(std::string_view s) { return s.find_first_of("*?") != std::string_view::npos; }

// A process id or event handle: decimal digits only, not 0, within 32 bits.
bool parseNumber(const std::string& digits, unsigned long& value) {
    if (digits.empty() || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    unsigned long long v = std::stoull(digits);
    if (v == 0 || v > 0xFFFFFFFFull) return false;
    value = static_cast<unsigned long>(v);
    return true;
}

// The number of an option: the rest of its word, or else the next word ("/p 1234").
bool optionNumber(const std::vector<Token>& tokens, size_t& i, unsigned long& value) {
    std::string digits = tokens[i].text.substr(2);
    if (digits.empty() && i + 1 < tokens.size() && !tokens[i + 1].quoted) {
        unsigned long next;
        if (parseNumber(tokens[i + 1].text, next)) {
            ++i;
            value = next;
            return true;
        }
    }
    if (parseNumber(digits, value)) return true;
    base::ErrorBox(Printf(base::GetString(kTextOptionNeedsNumber), tokens[i].text.substr(0, 2).c_str(),
                    tokens[i].text.c_str()));
    return false;
}

bool isExecutable(const std::string& name) {
    size_t dot = name.rfind('.');
    size_t sep = name.find_last_of("\\/");
    if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return false;
    return Lower(name.substr(dot)) == ".exe";
}

// An argument that was quoted keeps its quotes when it needs them to stay one argument.
std::string argument(const Token& t) {
    bool group = t.text.empty() || t.text.find_first_of(" \t") != std::string::npos;
    return t.quoted && group ? "\"" + t.text + "\"" : t.text;
}

}  // namespace

std::string CommandTail(std::string_view line) {
    size_t i = 0;
    if (!line.empty() && line[0] == '"') {
        size_t close = line.find('"', 1);
        i = close == std::string_view::npos ? line.size() : close + 1;
    } else {
        while (i < line.size() && !blank(line[i])) ++i;
    }
    while (i < line.size() && blank(line[i])) ++i;
    return std::string(line.substr(i));
}

StartupOptions InitialOptions(std::string_view tail, bool anotherInstance) {
    StartupOptions o;
    o.tail = std::string(tail);
    o.banner = o.tail.find("/w") == std::string::npos;
    o.reopen = o.saveAtExit = o.banner;
    o.anotherInstance = anotherInstance;
    return o;
}

void FirstPass(StartupOptions& o) {
    // Lower-casing keeps every position, so the project name is cut from the user's text.
    size_t prj = Lower(o.tail).find("/prj:");
    if (prj != std::string::npos) {
        std::string name = trimmed(std::string_view(o.tail).substr(prj + 5));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
            name = name.substr(1, name.size() - 2);
        o.projectName = name;
        o.anotherInstance = false;
        o.tail.clear();
        return;
    }
    // Options are whole words: a "-p2" inside a file name must not attach the debugger.
    std::vector<Token> tokens = SplitTokens(o.tail);
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (!isOption(tokens[i]) || tokens[i].text.size() < 2) continue;
        char letter = lower(tokens[i].text[1]);
        unsigned long value;
        if (letter == 'd' || letter == 'p') {
            if (!optionNumber(tokens, i, value)) continue;
            o.attach = true;
            o.attachPid = value;
            o.reopen = o.saveAtExit = false;
            o.anotherInstance = true;
        } else if (letter == 'e') {
            if (!optionNumber(tokens, i, value)) continue;
            o.hasAttachEvent = true;
            o.attachEvent = value;
        } else if (letter == 'f') {
            o.reopen = o.saveAtExit = false;
        }
    }
}

std::vector<Token> SplitTokens(std::string_view s) {
    std::vector<Token> tokens;
    size_t i = 0;
    for (;;) {
        while (i < s.size() && blank(s[i])) ++i;
        if (i == s.size()) return tokens;
        Token t;
        bool inQuotes = false;
        for (; i < s.size() && (inQuotes || !blank(s[i])); ++i) {
            if (s[i] == '"') {
                inQuotes = !inQuotes;
                t.quoted = true;
            } else {
                t.text += s[i];
            }
        }
        tokens.push_back(std::move(t));
    }
}

OpenPlan SecondPass(StartupOptions& o) {
    OpenPlan plan;
    if (o.attach) return plan;
    std::vector<Token> tokens = SplitTokens(o.tail);
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (i == kMaxCommandLineNames) {
            base::ErrorBox(Printf(base::GetString(kTextTooManyNames), t.text.c_str()));
            break;
        }
        if (isOption(t)) {
            char letter = t.text.size() > 1 ? lower(t.text[1]) : '\0';
            if (letter == 'f' || letter == 'w') o.reopen = o.saveAtExit = false;
            if (letter == 'w') o.banner = false;
            continue;
        }
        if (t.text.empty()) continue;
        if (!hasWildcard(t.text) && isExecutable(t.text)) {
            plan.debug = true;
            plan.executable = t.text;
            for (size_t a = i + 1; a < tokens.size(); ++a) {
                if (a > i + 1) plan.arguments += ' ';
                plan.arguments += argument(tokens[a]);
            }
            break;
        }
        plan.patterns.push_back(t.text);
    }
    return plan;
}

bool CommandLineTakesOver(StartupOptions& o, int filesOpened) {
    if (filesOpened <= 0 && o.tail.empty()) return false;
    o.reopen = o.saveAtExit = false;
    return true;
}

std::vector<std::string> ExpandPattern(const std::string& pattern, const DirectoryLister& list) {
    size_t sep = pattern.find_last_of("\\/");
    std::string prefix = sep == std::string::npos ? "" : pattern.substr(0, sep + 1);
    std::string namePart = pattern.substr(prefix.size());
    std::string directory = prefix.empty() ? "" : platform::DirectoryOf(pattern);
    std::vector<std::string> found;
    if (!namePart.empty() && !hasWildcard(prefix)) {
        std::vector<std::string> names = list(directory);
        for (const std::string& n : names) {
            if (n == "." || n == "..") continue;
            if (hasWildcard(namePart) ? WildcardMatch(namePart, n) : Lower(n) == Lower(namePart))
                found.push_back(hasWildcard(namePart) ? prefix + n : pattern);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    found.erase(std::unique(found.begin(), found.end()), found.end());
    if (found.empty()) base::IncorrectFileNameBox(pattern);
    return found;
}

}  // namespace tarvo::shell
