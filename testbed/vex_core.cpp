#include "vex_core.h"

#include <algorithm>
#include <cctype>

#include "standin_core.h"

namespace tarvo::testbed {
namespace {

constexpr const char* kClang = "/usr/bin/clang-14";

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

// The compiler options of the makefile's CFLAGS and what clang is given for each.
bool CompilerOption(const std::string& a, bool wide, std::vector<std::string>& flags) {
    auto add = [&](std::initializer_list<const char*> more) {
        for (const char* f : more)
            if (std::find(flags.begin(), flags.end(), f) == flags.end()) flags.push_back(f);
        return true;
    };
    if (a == "-O") return add({"-O2"});
    // Every debug level asks for the same CodeView, which the debugger reads (its locals are
    // frame-relative, so the frame pointer stays); the stack-trace levels add nothing here.
    if (a == "-g2" || a == "-g3" || a == "-g4") return add({"-g", "-gcodeview", "-fno-omit-frame-pointer"});
    if (a == "-A") return add({"-Wall"});
    if (a == "-unused") return add({"-Wunused"});
    if (a == "-ansic") return add({"-pedantic"});
    if (a == "-p6") return wide ? true : add({"-march=pentiumpro"});
    // Browse information, assembly listings and -z have no counterpart here.
    if (a == "-x" || a == "-S" || a == "-z") return true;
    if (a.compare(0, 3, "-Zp") == 0) {
        std::string n = a.substr(3);
        if (n != "1" && n != "2" && n != "4" && n != "8" && n != "16") return false;
        flags.push_back("-fpack-struct=" + n);
        return true;
    }
    return false;
}

// "-Xvalue" or "-X value": the value, or "" with `i` unchanged when there is none.
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i, std::size_t prefix) {
    if (args[i].size() > prefix) return args[i].substr(prefix);
    if (i + 1 < args.size()) return args[++i];
    return "";
}

std::string Rest(const std::string& s, std::size_t from) {
    std::size_t a = s.find_first_not_of(' ', from);
    return a == std::string::npos ? "" : s.substr(a);
}

// A message line of clang: "<file>:<line>[:<column>]: <kind>: <text>".
struct ClangMessage {
    std::string file, kind, text;
    long line = 0;  // 0: no place
};

bool ParseClangLine(const std::string& s, ClangMessage& m) {
    static const char* const kinds[] = {"fatal error", "error", "warning", "note"};
    std::size_t best = std::string::npos;
    for (const char* kind : kinds) {
        std::string marker = std::string(kind) + ": ";
        // At the start of the line, or after ": ".
        std::size_t at = s.compare(0, marker.size(), marker) == 0 ? 0 : s.find(": " + marker);
        if (at == std::string::npos) continue;
        std::size_t textAt = at == 0 ? marker.size() : at + 2 + marker.size();
        if (best == std::string::npos || at < best) {
            best = at;
            m.kind = kind;
            m.text = Rest(s, textAt);
            m.file = s.substr(0, at);
        }
    }
    if (best == std::string::npos) return false;
    // The place: up to two numbers behind colons (line, then column).
    long numbers[2] = {0, 0};
    int count = 0;
    while (count < 2) {
        std::size_t colon = m.file.rfind(':');
        if (colon == std::string::npos || !AllDigits(m.file.substr(colon + 1)) || m.file.size() - colon > 10) break;
        numbers[count++] = std::stol(m.file.substr(colon + 1));
        m.file.resize(colon);
    }
    m.line = count == 2 ? numbers[1] : count == 1 ? numbers[0] : 0;
    if (count == 0) m.file.clear();  // "clang: error: ..." names the program, not a file
    return true;
}

// The quoted name of clang's "'x.h' file not found" for an #include, or "" for any other message.
std::string MissingInclude(const ClangMessage& m) {
    const std::string tail = " file not found";
    if (m.kind != "fatal error" || m.text.size() < tail.size() + 3 || m.text[0] != '\'' ||
        m.text.compare(m.text.size() - tail.size(), tail.size(), tail) != 0)
        return "";
    std::string name = m.text.substr(0, m.text.size() - tail.size());
    return name.back() == '\'' ? name : "";
}

}  // namespace

VexCommand ParseVexArguments(const std::vector<std::string>& args, bool wide) {
    VexCommand c;
    bool compile = false, depend = false;
    for (std::size_t i = 0; i < args.size() && c.problem.empty(); ++i) {
        const std::string& a = args[i];
        if (a == "-M") depend = true;
        else if (a == "-c") compile = true;
        else if (a.compare(0, 3, "-Fo") == 0) c.output = OptionValue(args, i, 3);
        else if (a.compare(0, 2, "-I") == 0) {
            std::string dir = OptionValue(args, i, 2);
            if (dir.empty()) c.problem = "-I names no directory";
            else c.includes.push_back(dir);
        } else if (a.compare(0, 2, "-D") == 0 || a.compare(0, 2, "-U") == 0) {
            std::string name = OptionValue(args, i, 2);
            if (name.empty()) c.problem = a.substr(0, 2) + " names no macro";
            else c.macros.push_back(a.substr(0, 2) + name);
        } else if (!a.empty() && a[0] == '-') {
            if (!CompilerOption(a, wide, c.clangFlags)) c.problem = "unknown option " + a;
        } else if (!c.source.empty()) {
            c.problem = "more than one source file: " + c.source + " and " + a;
        } else {
            c.source = a;
        }
    }
    c.mode = depend ? VexCommand::Mode::Dependencies : VexCommand::Mode::Compile;
    if (!c.problem.empty()) return c;
    if (depend == compile) c.problem = "give either -c (compile) or -M (dependency list)";
    else if (c.source.empty()) c.problem = "no source file given";
    else if (depend && c.output.empty()) c.problem = "-M needs -Fo<file> for the dependency list";
    return c;
}

std::string ObjectPath(const std::string& directory, const std::string& source) {
    std::size_t slash = source.find_last_of("\\/:");
    std::string base = slash == std::string::npos ? source : source.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.resize(dot);
    std::string dir = directory;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir + Lower(base) + ".obj";
}

std::vector<std::string> ClangCommand(const VexCommand& c, const std::string& output, bool wide,
                                      const PathMapping& toUnix, std::string& problem) {
    std::vector<std::string> cmd = {kClang, wide ? "--target=x86_64-w64-windows-gnu" : "--target=i686-w64-windows-gnu",
                                    "-fno-caret-diagnostics", "-fno-color-diagnostics",
                                    "-fno-diagnostics-show-option", "-fno-diagnostics-fixit-info"};
    if (c.mode == VexCommand::Mode::Dependencies) {
        // User headers only (the toolchain's own never change), and headers that are not found
        // are listed rather than fatal, so that the list is complete up to them.
        cmd.insert(cmd.end(), {"-MM", "-MG", "-MT", "x", "-MF", output});
    } else {
        cmd.push_back("-c");
        cmd.insert(cmd.end(), c.clangFlags.begin(), c.clangFlags.end());
        cmd.insert(cmd.end(), {"-o", output});
    }
    auto mapped = [&](const std::string& path) {
        std::string unix = toUnix(path);
        if (unix.empty() && problem.empty()) problem = "no Linux path for " + path;
        return unix;
    };
    for (const std::string& dir : c.includes) cmd.push_back("-I" + mapped(dir));
    // Resource scripts are scanned for their includes as the resource compiler sees them.
    std::string source = Lower(c.source);
    if (source.size() > 3 && source.compare(source.size() - 3, 3, ".rc") == 0) cmd.push_back("-DRC_INVOKED");
    cmd.insert(cmd.end(), c.macros.begin(), c.macros.end());
    // Always C: to clang ".C" would mean C++, and ".rc" no source at all.
    cmd.insert(cmd.end(), {"-x", "c", mapped(c.source)});
    return cmd;
}

std::vector<std::string> RulePrerequisites(const std::string& rule) {
    std::vector<std::string> names;
    std::string word;
    bool inWord = false, pastTarget = false;
    auto finish = [&] {
        if (inWord && pastTarget) names.push_back(word);
        else if (inWord && !word.empty() && word.back() == ':') pastTarget = true;
        word.clear();
        inWord = false;
    };
    for (std::size_t i = 0; i < rule.size(); ++i) {
        char ch = rule[i];
        if (ch == '\\' && i + 1 < rule.size() && (rule[i + 1] == '\n' || rule[i + 1] == '\r')) {
            finish();
            ++i;
        } else if (ch == '\\' && i + 1 < rule.size() && (rule[i + 1] == ' ' || rule[i + 1] == '#')) {
            word += rule[++i];
            inWord = true;
        } else if (ch == '$' && i + 1 < rule.size() && rule[i + 1] == '$') {
            word += rule[++i];
            inWord = true;
        } else if (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r') {
            finish();
        } else {
            word += ch;
            inWord = true;
        }
    }
    finish();
    if (!names.empty()) names.erase(names.begin());  // the source itself
    return names;
}

std::string CompilerMessages(const std::string& clangOutput, const PathMapping& toWindows) {
    std::string out;
    std::size_t start = 0;
    while (start < clangOutput.size()) {
        std::size_t end = clangOutput.find('\n', start);
        if (end == std::string::npos) end = clangOutput.size();
        std::string line = clangOutput.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ClangMessage m;
        if (!ParseClangLine(line, m) || m.kind == "note") continue;
        bool warning = m.kind == "warning";
        if (m.line <= 0 || m.file.empty()) {
            out += std::string(warning ? "Warning" : "Error") + " vex: " + m.text + "\n";
            continue;
        }
        std::string file = toWindows(m.file);
        if (file.empty()) file = m.file;
        std::string include = MissingInclude(m);
        std::string head = !include.empty() ? "CPP " : warning ? "Warning " : "Error ";
        std::string text = !include.empty() ? "include file " + include + " not found" : m.text;
        out += head + file + ": " + std::to_string(m.line) + " " + text + "\n";
    }
    return out;
}

}  // namespace tarvo::testbed
