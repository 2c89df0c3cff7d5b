// Stand-in for the compiler system's cross-reference tool, as far as the editor's "Show
// inactive code" needs it:
//
//   xrefgen [-Dname[=value]] [-Uname] [-Ipath] ... -showifdeflines -Fo<output> <source>
//
// writes to <output> one line for every source line that conditional compilation leaves out:
// the line number, a blank and the line's text. The directive lines of a conditional (#if,
// #else, #endif ...) are listed only when the whole conditional lies in excluded code. Conditions understood: a number, a macro name (defined with a
// number, or undefined: 0), defined(NAME) / defined NAME, and a leading '!' on any of these;
// #ifdef, #ifndef, #elif, #else, #define and #undef. A condition of any other form counts as
// true, so that unknown code is never greyed. Exit status: 0 done, 1 the source cannot be
// read (or TARVO_TOOL_FAIL asks for a failure), 2 the output cannot be written, 3 a wrong
// command line.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "standin_win.h"

namespace {

std::map<std::string, std::string> macros;

std::string Trim(const std::string& s) {
    std::size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos) return "";
    std::size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

// The directive text without comments.
std::string StripComments(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s.compare(i, 2, "//") == 0) break;
        if (s.compare(i, 2, "/*") == 0) {
            std::size_t end = s.find("*/", i + 2);
            if (end == std::string::npos) break;
            i = end + 1;
            out += ' ';
            continue;
        }
        out += s[i];
    }
    return out;
}

bool IsIdentifier(const std::string& s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
    return true;
}

bool IsNumber(const std::string& s) {
    if (s.empty()) return false;
    char* end = nullptr;
    std::strtol(s.c_str(), &end, 0);
    while (*end == 'L' || *end == 'l' || *end == 'U' || *end == 'u') ++end;
    return *end == '\0';
}

// 1 true, 0 false, -1 a form this stand-in does not evaluate.
int Evaluate(std::string e, int depth = 0) {
    e = Trim(e);
    if (depth > 8) return -1;
    if (!e.empty() && e[0] == '!') {
        int v = Evaluate(e.substr(1), depth + 1);
        return v < 0 ? -1 : !v;
    }
    if (e.size() > 2 && e.front() == '(' && e.back() == ')') return Evaluate(e.substr(1, e.size() - 2), depth + 1);
    if (e.compare(0, 7, "defined") == 0) {
        std::string name = Trim(e.substr(7));
        if (!name.empty() && name.front() == '(' && name.back() == ')') name = Trim(name.substr(1, name.size() - 2));
        return IsIdentifier(name) ? macros.count(name) != 0 : -1;
    }
    if (IsNumber(e)) return std::strtol(e.c_str(), nullptr, 0) != 0;
    if (IsIdentifier(e)) {
        auto it = macros.find(e);
        if (it == macros.end()) return 0;
        return it->second.empty() || it->second == e ? -1 : Evaluate(it->second, depth + 1);
    }
    return -1;
}

struct Level {
    bool outerActive;  // the code around this #if is compiled
    bool active;       // the current branch is compiled
    bool taken;        // some branch so far was (or may be) compiled
};

void Define(const std::string& rest) {
    std::string text = Trim(rest);
    std::size_t i = 0;
    while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    std::string name = text.substr(0, i);
    if (name.empty()) return;
    macros[name] = (i < text.size() && text[i] == '(') ? std::string() : Trim(text.substr(i));
}

int Usage() {
    std::fprintf(stderr, "usage: xrefgen [-Dname[=value]] [-Uname] -showifdeflines -Fo<output> <source>\n");
    return 3;
}

}  // namespace

int main(int argc, char** argv) {
    if (tarvo::testbed::StandinStart("xrefgen")) {
        std::fprintf(stderr, "xrefgen: failing as TARVO_TOOL_FAIL asks\n");
        return 1;
    }
    std::string output, source;
    bool showIfdefLines = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-showifdeflines") showIfdefLines = true;
        else if (a.compare(0, 3, "-Fo") == 0) output = a.substr(3);
        else if (a.compare(0, 2, "-D") == 0) {
            std::string d = a.substr(2);
            std::size_t eq = d.find('=');
            macros[d.substr(0, eq)] = eq == std::string::npos ? "1" : d.substr(eq + 1);
        } else if (a.compare(0, 2, "-U") == 0) macros.erase(a.substr(2));
        else if (a[0] == '-') continue;  // include paths and the like change nothing here
        else source = a;
    }
    if (!showIfdefLines || output.empty() || source.empty()) return Usage();
    std::ifstream in(source, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "xrefgen: cannot read %s\n", source.c_str());
        return 1;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    std::vector<Level> stack;
    auto active = [&] { return stack.empty() || stack.back().active; };
    std::string listing;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string text = lines[n];
        std::size_t first = n;
        // A directive may continue over lines ending in a backslash.
        std::string t = Trim(text);
        bool directive = !t.empty() && t[0] == '#';
        while (directive && !text.empty() && text.back() == '\\' && n + 1 < lines.size()) {
            text.pop_back();
            text += lines[++n];
        }
        if (!directive) {
            if (!active()) listing += std::to_string(n + 1) + " " + lines[n] + "\n";
            continue;
        }
        std::string body = Trim(StripComments(Trim(text).substr(1)));
        std::size_t end = 0;
        while (end < body.size() && std::isalpha(static_cast<unsigned char>(body[end]))) ++end;
        std::string word = body.substr(0, end), rest = Trim(body.substr(end));
        bool wasActive = active();
        // The directives of a conditional nested in excluded code are excluded with it.
        bool nested = !stack.empty() && !stack.back().outerActive;
        bool structure = word == "elif" || word == "else" || word == "endif";
        if ((word == "if" || word == "ifdef" || word == "ifndef") ? !wasActive : structure && nested)
            for (std::size_t k = first; k <= n; ++k) listing += std::to_string(k + 1) + " " + lines[k] + "\n";
        if (word == "if" || word == "ifdef" || word == "ifndef") {
            int v = word == "if" ? Evaluate(rest) : (macros.count(Trim(rest)) != 0) == (word == "ifdef");
            bool on = wasActive && v != 0;
            stack.push_back({wasActive, on, v != 0});
        } else if (word == "elif" && !stack.empty()) {
            Level& l = stack.back();
            int v = Evaluate(rest);
            l.active = l.outerActive && !l.taken && v != 0;
            l.taken = l.taken || v != 0;
        } else if (word == "else" && !stack.empty()) {
            Level& l = stack.back();
            l.active = l.outerActive && !l.taken;
            l.taken = true;
        } else if (word == "endif" && !stack.empty()) {
            stack.pop_back();
        } else if (!wasActive) {
            // Any other directive inside excluded code is excluded too.
            for (std::size_t k = first; k <= n; ++k) listing += std::to_string(k + 1) + " " + lines[k] + "\n";
        } else if (word == "define") {
            Define(rest);
        } else if (word == "undef") {
            macros.erase(Trim(rest));
        }
    }
    std::FILE* out = std::fopen(output.c_str(), "wb");
    if (!out || std::fwrite(listing.data(), 1, listing.size(), out) != listing.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "xrefgen: cannot write %s\n", output.c_str());
        return 2;
    }
    return 0;
}
