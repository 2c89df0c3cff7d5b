#include "make_core.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <set>

#include "standin_core.h"

namespace tarvo::testbed {
namespace {

bool IsMacroName(const std::string& name) {
    return !name.empty() && std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '.';
    });
}

// Logical lines: "\" before the line's end joins the next line with one blank; the number is
// that of the first physical line.
std::vector<std::pair<int, std::string>> LogicalLines(const std::string& text) {
    std::vector<std::pair<int, std::string>> lines;
    std::string current;
    int number = 0, first = 0;
    bool joining = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (joining) {
            current.erase(current.find_last_not_of(" \t") + 1);
            current += " " + Trim(line);
        } else {
            current = line;
            first = number;
        }
        joining = !current.empty() && current.back() == '\\';
        if (joining) {
            current.pop_back();
            continue;
        }
        lines.emplace_back(first, current);
    }
    if (joining) lines.emplace_back(first, current);
    return lines;
}

// Where the rule's separating colon is: followed by a blank, a tab or the line's end, outside
// quotes; npos when there is none.
std::size_t RuleColon(const std::string& line) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (quoted || line[i] != ':') continue;
        if (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t') return i;
    }
    return std::string::npos;
}

std::string Key(const std::string& name) { return Lower(name); }

struct Maker {
    const Makefile& makefile;
    bool question;
    const MakeHooks& hooks;
    std::map<std::string, std::vector<const MakeRule*>> rulesOf;
    std::map<std::string, long long> made;  // target -> its time once made or found current
    std::set<std::string> remade, inProgress;
    int status = 0;  // non-zero: stop, and return it

    // The time of `name` once it is current, or nothing when making must stop.
    std::optional<long long> Make(const std::string& name) {
        std::string key = Key(name);
        if (auto done = made.find(key); done != made.end()) return done->second;
        if (inProgress.count(key)) return Stop(kMakeFailed, "make: circular dependency on " + name + ", dropped"), std::nullopt;
        auto found = rulesOf.find(key);
        std::optional<long long> own = hooks.fileTime(name);
        if (found == rulesOf.end()) {
            if (own) return made[key] = *own;
            if (question) return Stop(kMakeNotUpToDate, ""), std::nullopt;
            return Stop(kMakeFailed, "make: don't know how to make " + name), std::nullopt;
        }
        inProgress.insert(key);
        bool stale = !own;
        const MakeRule* withCommands = nullptr;
        for (const MakeRule* rule : found->second) {
            if (!rule->commands.empty()) withCommands = rule;
            for (const std::string& prerequisite : rule->prerequisites) {
                std::optional<long long> time = Make(prerequisite);
                if (!time) return std::nullopt;
                if (remade.count(Key(prerequisite)) || (own && *time > *own)) stale = true;
            }
        }
        inProgress.erase(key);
        if (!stale) return made[key] = *own;
        if (question) return Stop(kMakeNotUpToDate, ""), std::nullopt;
        if (withCommands && !RunCommands(*withCommands, name)) return std::nullopt;
        remade.insert(key);
        // A target that leaves no file (like "link") counts as newer than everything.
        return made[key] = hooks.fileTime(name).value_or(LLONG_MAX);
    }

    bool RunCommands(const MakeRule& rule, const std::string& target) {
        for (const std::string& written : rule.commands) {
            std::string problem;
            std::string command = Trim(ExpandMacros(makefile, written, hooks.environment, problem));
            if (!problem.empty()) return Stop(kMakeFailed, "make: line " + std::to_string(rule.line) + ": " + problem), false;
            bool silent = false, ignore = false;
            while (!command.empty() && (command[0] == '@' || command[0] == '-')) {
                (command[0] == '@' ? silent : ignore) = true;
                command = Trim(command.substr(1));
            }
            if (command.empty()) continue;
            if (!silent && hooks.echo) hooks.echo(command);
            int code = hooks.run(command);
            if (code != 0 && !ignore)
                return Stop(code, "make: *** [" + target + "] Error " + std::to_string(code)), false;
        }
        return true;
    }

    void Stop(int code, const std::string& text) {
        status = code;
        if (!text.empty()) hooks.message(text);
    }
};

}  // namespace

std::vector<std::string> SplitNames(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    bool quoted = false, any = false;
    for (char c : text) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t')) {
            if (any) names.push_back(name);
            name.clear();
            any = false;
        } else {
            name += c;
            any = true;
        }
    }
    if (any) names.push_back(name);
    return names;
}

Makefile ParseMakefile(const std::string& text, const Environment& environment) {
    Makefile makefile;
    std::size_t rule = 0;  // 1 + the index of the rule that tab-indented lines belong to
    for (const auto& [number, line] : LogicalLines(text)) {
        std::string trimmed = Trim(line);
        if (!line.empty() && line[0] == '\t' && rule) {
            if (!trimmed.empty() && trimmed[0] != '#') makefile.rules[rule - 1].commands.push_back(trimmed);
            continue;
        }
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::size_t equals = line.find('='), colon = RuleColon(line);
        if (equals != std::string::npos && (colon == std::string::npos || equals < colon) &&
            IsMacroName(Trim(line.substr(0, equals)))) {
            makefile.macros[Trim(line.substr(0, equals))] = Trim(line.substr(equals + 1));
            rule = 0;
            continue;
        }
        if (colon == std::string::npos) {
            makefile.problem = "line " + std::to_string(number) + ": neither a macro nor a rule: " + trimmed;
            return makefile;
        }
        std::string problem;
        MakeRule next;
        next.line = number;
        // As other makes do, names are expanded when the rule is read.
        next.targets = SplitNames(ExpandMacros(makefile, line.substr(0, colon), environment, problem));
        next.prerequisites = SplitNames(ExpandMacros(makefile, line.substr(colon + 1), environment, problem));
        if (next.targets.empty()) problem = "a rule without a target";
        if (!problem.empty()) {
            makefile.problem = "line " + std::to_string(number) + ": " + problem;
            return makefile;
        }
        makefile.rules.push_back(next);
        rule = makefile.rules.size();
    }
    return makefile;
}

std::string ExpandMacros(const Makefile& makefile, const std::string& text, const Environment& environment,
                         std::string& problem) {
    // Depth stands in for the chain of names: a macro that refers to itself never bottoms out.
    struct Expander {
        const Makefile& makefile;
        const Environment& environment;
        std::string& problem;
        std::string Expand(const std::string& text, int depth) {
            std::string out;
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] != '$' || i + 1 == text.size()) {
                    out += text[i];
                } else if (text[i + 1] == '$') {
                    out += '$';
                    ++i;
                } else if (text[i + 1] == '(') {
                    std::size_t close = text.find(')', i + 2);
                    if (close == std::string::npos) {
                        problem = "\"$(\" without \")\"";
                        return out;
                    }
                    std::string name = text.substr(i + 2, close - i - 2);
                    i = close;
                    if (depth > 64) {
                        problem = "macro " + name + " refers to itself";
                        return out;
                    }
                    if (auto m = makefile.macros.find(name); m != makefile.macros.end())
                        out += Expand(m->second, depth + 1);
                    else if (environment)
                        out += environment(name).value_or("");
                    if (!problem.empty()) return out;
                } else {
                    out += text[i];
                }
            }
            return out;
        }
    };
    return Expander{makefile, environment, problem}.Expand(text, 0);
}

int RunMake(const Makefile& makefile, const std::string& goal, bool question, const MakeHooks& hooks) {
    Maker maker{makefile, question, hooks, {}, {}, {}, {}};
    for (const MakeRule& rule : makefile.rules)
        for (const std::string& target : rule.targets) maker.rulesOf[Key(target)].push_back(&rule);
    std::string target = goal;
    if (target.empty()) {
        if (makefile.rules.empty()) {
            hooks.message("make: no target in the makefile");
            return kMakeFailed;
        }
        target = makefile.rules.front().targets.front();
    }
    maker.Make(target);
    return maker.status;
}

MakeCommand ParseMakeArguments(const std::vector<std::string>& args) {
    MakeCommand command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-q") {
            command.question = true;
        } else if (a == "-f") {
            if (i + 1 == args.size()) {
                command.problem = "-f names no makefile";
                return command;
            }
            command.makefile = args[++i];
        } else if (a.size() > 2 && a.compare(0, 2, "-f") == 0) {
            command.makefile = a.substr(2);
        } else if (!a.empty() && a[0] == '-') {
            command.problem = "unknown option " + a;
            return command;
        } else {
            command.goals.push_back(a);
        }
    }
    return command;
}

}  // namespace tarvo::testbed
