#include "hcrtf_core.h"

#include <cctype>
#include <set>

#include "standin_core.h"

namespace tarvo::testbed {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

bool ValidContext(const std::string& c) {
    if (c.empty() || c.size() > 255) return false;
    for (char ch : c)
        if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '_' && ch != '.') return false;
    return true;
}

enum class Destination { Text, Footnote, Hidden, JumpText, Skipped };

struct Group {
    Destination destination = Destination::Text;
    bool first = true;   // nothing read in the group yet
    char mark = 0;       // a footnote's mark
    std::string text;    // what a footnote, hidden text or jump text collects
};

struct Parser {
    const std::string& rtf;
    const std::string& file;
    std::vector<HelpTopicDump>& topics;
    std::vector<std::string>& errors;
    std::vector<Group> groups;
    HelpTopicDump topic;
    std::string line;
    bool lineUsed = false;
    std::string pendingJump;  // a jump's text waiting for its hidden context string
    bool jumpPending = false;
    long lineNumber = 1;

    void Error(const std::string& what) { errors.push_back(file + "(" + std::to_string(lineNumber) + "): " + what); }

    void EndLine() {
        if (lineUsed || !line.empty()) topic.text.push_back(line);
        line.clear();
        lineUsed = false;
    }

    void EndTopic() {
        EndLine();
        while (!topic.text.empty() && topic.text.back().empty()) topic.text.pop_back();
        bool empty = topic.contexts.empty() && topic.title.empty() && topic.text.empty() && topic.jumps.empty();
        if (!empty) {
            if (topic.contexts.empty()) Error("a topic without a context string (" + topic.title + ")");
            if (topic.title.empty()) Error("a topic without a title");
            topics.push_back(std::move(topic));
        }
        topic = HelpTopicDump{};
    }

    void Char(char c) {
        Group& g = groups.back();
        g.first = false;
        if (g.destination == Destination::Skipped) return;
        if (g.destination != Destination::Text) {
            g.text += c;
            return;
        }
        if (jumpPending && c != ' ') {
            Error("jump \"" + pendingJump + "\" without a context string");
            jumpPending = false;
        }
        line += c;
    }

    void ControlWord(const std::string& word) {
        Group& g = groups.back();
        bool first = g.first;
        g.first = false;
        if (word == "footnote") {
            if (!first) Error("\\footnote not at the start of its group");
            g.destination = Destination::Footnote;
            // The mark is the character just before the group.
            if (groups.size() >= 2) {
                std::string& outer = line;
                if (!outer.empty()) {
                    g.mark = outer.back();
                    outer.pop_back();
                }
            }
            return;
        }
        if (word == "fonttbl" || word == "colortbl") {
            g.destination = Destination::Skipped;
            return;
        }
        if (word == "v") {
            g.destination = Destination::Hidden;
            return;
        }
        if (word == "uldb") {
            g.destination = Destination::JumpText;
            return;
        }
        if (g.destination == Destination::Text && (word == "par" || word == "line")) {
            EndLine();
            lineUsed = true;
        } else if (g.destination == Destination::Text && word == "page") {
            EndTopic();
        } else if (g.destination == Destination::Text && word == "tab") {
            line += '\t';
        }
    }

    void CloseGroup() {
        Group g = std::move(groups.back());
        groups.pop_back();
        std::string t = Trim(g.text);
        switch (g.destination) {
            case Destination::Footnote:
                switch (g.mark) {
                    case '#':
                        if (!ValidContext(t)) Error("invalid context string \"" + t + "\"");
                        topic.contexts.push_back(t);
                        break;
                    case '$': topic.title = t; break;
                    case 'K': topic.keywords = t; break;
                    case '+': topic.browse = t; break;
                    case '!': break;  // a macro run on entering the topic
                    default: Error(std::string("footnote with an unknown mark '") + g.mark + "'");
                }
                break;
            case Destination::JumpText:
                if (groups.back().destination != Destination::Text) break;
                pendingJump = g.text;
                jumpPending = true;
                break;
            case Destination::Hidden:
                if (!jumpPending) {
                    Error("hidden text \"" + t + "\" without a jump");
                    break;
                }
                if (!ValidContext(t)) Error("invalid context string \"" + t + "\" in a jump");
                topic.jumps.push_back({pendingJump, t});
                line += pendingJump;
                jumpPending = false;
                break;
            default: break;
        }
    }

    void Run() {
        if (rtf.compare(0, 6, "{\\rtf1") != 0) Error("not a rich text file: it does not start with {\\rtf1");
        bool closed = false;
        for (std::size_t i = 0; i < rtf.size(); ++i) {
            char c = rtf[i];
            if (c == '\n') ++lineNumber;
            if (closed) {
                if (!std::isspace(static_cast<unsigned char>(c))) {
                    Error("text after the closing brace of the file");
                    return;
                }
                continue;
            }
            if (c == '\r' || c == '\n') continue;
            if (c == '{') {
                // A group inside a footnote, hidden text or a jump adds to what that collects.
                Group g;
                if (!groups.empty() && groups.back().destination != Destination::Text)
                    g.destination = groups.back().destination;
                groups.push_back(g);
                continue;
            }
            if (groups.empty()) {
                Error("text outside the file's group");
                return;
            }
            if (c == '}') {
                if (groups.size() == 1) closed = true;
                if (groups.size() >= 2 && groups.back().destination == groups[groups.size() - 2].destination &&
                    groups.back().destination != Destination::Text) {
                    // a group inside a footnote or a jump: its text belongs to the outer one
                    std::string inner = groups.back().text;
                    groups.pop_back();
                    groups.back().text += inner;
                    continue;
                }
                CloseGroup();
                continue;
            }
            if (c != '\\') {
                Char(c);
                continue;
            }
            if (++i >= rtf.size()) {
                Error("a backslash at the end of the file");
                return;
            }
            c = rtf[i];
            if (c == '\\' || c == '{' || c == '}') {
                Char(c);
            } else if (c == '\'') {
                if (i + 2 >= rtf.size() || !std::isxdigit(static_cast<unsigned char>(rtf[i + 1])) ||
                    !std::isxdigit(static_cast<unsigned char>(rtf[i + 2]))) {
                    Error("\\' without two hexadecimal digits");
                } else {
                    Char(static_cast<char>(std::stoi(rtf.substr(i + 1, 2), nullptr, 16)));
                    i += 2;
                }
            } else if (std::isalpha(static_cast<unsigned char>(c))) {
                std::size_t start = i;
                while (i < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
                std::string word = rtf.substr(start, i - start);
                if (i < rtf.size() && (rtf[i] == '-' || std::isdigit(static_cast<unsigned char>(rtf[i])))) {
                    ++i;
                    while (i < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[i]))) ++i;
                }
                if (i < rtf.size() && rtf[i] == ' ') ++i;  // the delimiter
                --i;
                ControlWord(word);
            } else if (c == '\r' || c == '\n') {
                if (c == '\n') ++lineNumber;
                ControlWord("par");
            } else {
                groups.back().first = false;  // another control symbol
            }
        }
        if (!closed) Error("unbalanced braces: " + std::to_string(groups.size()) + " group(s) still open at the end");
        if (jumpPending) Error("jump \"" + pendingJump + "\" without a context string");
        EndTopic();
    }
};

}  // namespace

bool ParseHelpProject(const std::string& text, HelpProjectFile& project, std::vector<std::string>& errors) {
    std::size_t before = errors.size();
    std::string section;
    bool sawFiles = false;
    for (const std::string& raw : SplitLines(text)) {
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') errors.push_back("project: bad section line " + line);
            section = Lower(line);
            if (section != "[config]" && section != "[options]" && section != "[files]")
                errors.push_back("project: unknown section " + line);
            sawFiles = sawFiles || section == "[files]";
            continue;
        }
        if (section == "[options]") {
            std::size_t eq = line.find('=');
            if (eq == std::string::npos) {
                errors.push_back("project: option without '=': " + line);
                continue;
            }
            std::string key = Lower(Trim(line.substr(0, eq))), value = Trim(line.substr(eq + 1));
            if (key == "title") project.title = value;
            else if (key == "contents") project.contents = value;
            else if (key == "errorlog") project.errorLog = value;
            else errors.push_back("project: unknown option " + key);
        } else if (section == "[files]") {
            project.files.push_back(line);
        } else if (section.empty()) {
            errors.push_back("project: text before the first section: " + line);
        }
    }
    if (!sawFiles || project.files.empty()) errors.push_back("project: no [FILES] to compile");
    return errors.size() == before;
}

bool CheckHelpTopics(const std::string& rtf, const std::string& fileName, std::vector<HelpTopicDump>& topics,
                     std::vector<std::string>& errors) {
    std::size_t before = errors.size();
    Parser p{rtf, fileName, topics, errors, {}, {}, {}, false, {}, false, 1};
    p.Run();
    return errors.size() == before;
}

bool CheckHelpLinks(const HelpProjectFile& project, const std::vector<HelpTopicDump>& topics,
                    std::vector<std::string>& errors) {
    std::size_t before = errors.size();
    std::set<std::string> contexts;
    for (const HelpTopicDump& t : topics)
        for (const std::string& c : t.contexts)
            if (!contexts.insert(Lower(c)).second) errors.push_back("context string " + c + " defined twice");
    for (const HelpTopicDump& t : topics)
        for (const auto& [text, context] : t.jumps)
            if (!contexts.count(Lower(context)))
                errors.push_back("jump \"" + text + "\" to " + context + ", which no topic defines");
    if (project.contents.empty()) errors.push_back("no CONTENTS topic named");
    else if (!contexts.count(Lower(project.contents))) errors.push_back("the CONTENTS topic " + project.contents + " does not exist");
    return errors.size() == before;
}

std::string HelpDump(const HelpProjectFile& project, const std::vector<HelpTopicDump>& topics) {
    std::string out = "TARVO HELP DUMP 1\nTITLE " + project.title + "\nCONTENTS " + project.contents + "\n";
    for (const HelpTopicDump& t : topics) {
        out += "TOPIC";
        for (std::size_t i = 0; i < t.contexts.size(); ++i) out += (i ? " " : " ") + t.contexts[i];
        out += "\t" + t.title + "\n";
        if (!t.keywords.empty()) out += "KEYWORDS " + t.keywords + "\n";
        if (!t.browse.empty()) out += "BROWSE " + t.browse + "\n";
        for (const std::string& l : t.text) out += "TEXT " + l + "\n";
        for (const auto& [text, context] : t.jumps) out += "JUMP " + text + "\t" + context + "\n";
    }
    return out;
}

}  // namespace tarvo::testbed
