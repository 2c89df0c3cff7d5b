// Searches a generated C file of 100 MB or more with the regular-expression engine through the
// editor's own forward search (Find Next from each matching line to the next), and puts the
// number of matching lines and the time beside GNU grep -c on the same file and pattern, run in
// the same process; then times the function list of a C file of
// 100,000 lines.
//
//   tarvo_search_bench [directory [megabytes [rounds [pattern]]]]
//
// Targets: literal and simple patterns at grep's speed or better; no pattern of the set slower
// than ten times grep. Figures are medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/function_list.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/comments.h"
#include "editor/cursor.h"
#include "editor/language.h"
#include "editor/regex.h"
#include "editor/replace.h"
#include "editor/search.h"
#include "base/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One function of an ordinary C file; every 1000th holds the rare word, every 7th a token
// of the form foo<digits>bar.
std::string Function(long f) {
    std::string s;
    s += "/* function " + std::to_string(f) + ": adds up a table of values */\n";
    s += "static int sum_" + std::to_string(f) + "(const int *table, int count)\n{\n";
    s += "\tint total = 0;\n\tfor (int i = 0; i < count; i++) {\n";
    s += "\t\tif (table[i] > " + std::to_string(f % 97) + ")\n\t\t\ttotal += table[i];\n";
    s += "\t\telse\n\t\t\ttotal -= table[i] / 2;\n\t}\n";
    if (f % 7 == 0) s += "\tcount = foo" + std::to_string(f % 1000) + "bar(total);\n";
    if (f % 1000 == 0) s += "\ttotal += zanzibar_quota;\n";
    if (f % 50 == 0) s += "\tconst char *text = \"" + std::string(600 + f % 300, 'x') + "\";\n";
    s += "\treturn total;\n}\n\n";
    return s;
}

bool Generate(const std::string& path, std::size_t bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::size_t written = 0;
    for (long f = 0; written < bytes; ++f) {
        std::string chunk = Function(f);
        if (std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size()) break;
        written += chunk.size();
    }
    return std::fclose(out) == 0 && written >= bytes;
}

// Lines matching, and the time taken: Find Next from the top as the editor runs it, each match
// counted once per line and the search going on from the next line.
long SearchLines(tarvo::editor::Document& doc, const char* pattern, double& seconds) {
    namespace ed = tarvo::editor;
    ed::SearchState& state = ed::searchState();
    state.flags = ed::kFindCurrentWindow | ed::kFindRegex | ed::kFindForwards;
    ed::SetSearchText(pattern);
    if (!ed::SearchRegex()) return -1;  // compiled before the clock starts
    auto start = Clock::now();
    long lines = 0;
    ed::Hit hit;
    for (ed::Line* l = doc.lines->next; l != doc.lines; l = hit.line->next) {
        if (ed::SearchDocument(doc, l, 0, false, false, hit) != ed::LineSearch::Found) break;
        ++lines;
    }
    seconds = Seconds(start);
    return lines;
}

long Grep(const std::string& pattern, const std::string& file, double& seconds) {
    std::string command = "LC_ALL=C grep -E -c '" + pattern + "' '" + file + "'";
    auto start = Clock::now();
    std::FILE* p = popen(command.c_str(), "r");
    long count = -1;
    if (p) {
        if (std::fscanf(p, "%ld", &count) != 1) count = -1;
        pclose(p);
    }
    seconds = Seconds(start);
    return count;
}

}  // namespace

// Replaces every 'e' by 'E' over the first `lines` lines of the file, opened in a window of its
// own, with the comment map built first as a displayed window has it, or without one.
double ReplaceAll(const std::string& file, long lines, bool commentMap, long& count) {
    namespace ed = tarvo::editor;
    std::string part = file + ".part.c";
    {
        std::FILE* in = std::fopen(file.c_str(), "rb");
        std::FILE* out = std::fopen(part.c_str(), "wb");
        if (!in || !out) return -1;
        int c;
        for (long n = 0; n < lines && (c = std::fgetc(in)) != EOF;) {
            std::fputc(c, out);
            n += c == '\n';
        }
        std::fclose(in);
        std::fclose(out);
    }
    ed::ResetEditor();
    ed::Document* doc = ed::OpenDocument(part);
    if (!doc) return -1;
    ed::SetCurrentView(ed::AddView(doc, 1));
    if (commentMap && !ed::UpdateCommentMap(*doc)) return -1;
    ed::ReplaceRequest r;
    r.text = "e";
    r.replacement = "E";
    r.matchCase = true;
    r.confirm = false;
    auto start = Clock::now();
    ed::Replace(r, &count);
    if (commentMap) ed::UpdateCommentMap(*doc);  // as the next paint does
    double seconds = Seconds(start);
    ed::ResetEditor();
    std::filesystem::remove(part);
    return seconds;
}

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100;
    int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    const char* only = argc > 4 ? argv[4] : nullptr;  // one pattern of the set, for profiling
    std::string file = dir + "/tarvo_search_bench.c";
    if (!Generate(file, megabytes << 20)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    tarvo::editor::Document doc;
    if (tarvo::editor::LoadFile(file, doc, false) != tarvo::editor::kLoadOk) {
        std::fprintf(stderr, "cannot load %s\n", file.c_str());
        return 1;
    }
    std::printf("%zu MB, %ld lines; medians of %d rounds\n", megabytes, doc.lineCount, rounds);
    std::printf("%-8s %-36s %9s %9s %9s %9s %7s\n", "kind", "pattern", "lines", "tarvo s", "grep", "grep s", "ratio");
    bool ok = true;
    // The set: literals, simple patterns (a literal with sets and loops around it) and the
    // hard ones, where no literal or first character narrows the places to try.
    const char* literals[] = {"zanzibar_quota", "return", "total", "table\\[i\\]", "i < count", "\\+= "};
    const char* simple[] = {"foo[0-9]+bar", "sum_[0-9]+\\(", "^static", "^}", ";$", "else$", "ab*c",
                            "function 1[0-9]*:", "int [a-z]+ =", "\t\t\t", "x+\";"};
    const char* hard[] = {".*zanzibar", "[a-zA-Z_][a-zA-Z0-9_]* *= *[0-9]", "a?b?c?d?e?f?x", "(if|for|while) *\\(",
                          "[0-9][0-9]*", "(total|count) [-+]?=", "/\\*.*\\*/", "[A-Z]", "\".*\"",
                          "(foo|bar|baz)[0-9]", "[^ ]+ \\+= table", "(a|b|c|d|e)+x"};
    struct Group {
        const char* name;
        const char* const* patterns;
        std::size_t count;
        double limit;  // the largest ratio to grep allowed
        double worst = 0;
    } groups[] = {{"literal", literals, std::size(literals), 1.0}, {"simple", simple, std::size(simple), 1.0},
                  {"hard", hard, std::size(hard), 10.0}};
    for (Group& group : groups)
        for (std::size_t i = 0; i < group.count; ++i) {
            const char* pattern = group.patterns[i];
            if (only && std::string(only) != pattern) continue;
            std::vector<double> ours, theirs;
            long found = 0, grepped = 0;
            for (int r = 0; r < rounds; ++r) {
                double s = 0;
                found = SearchLines(doc, pattern, s);
                ours.push_back(s);
                grepped = Grep(pattern, file, s);
                theirs.push_back(s);
            }
            double a = Median(ours), b = Median(theirs);
            std::printf("%-8s %-36s %9ld %9.3f %9ld %9.3f %7.2f\n", group.name, pattern, found, a, grepped, b, a / b);
            group.worst = std::max(group.worst, a / b);
            ok = ok && found == grepped;
        }
    bool met = true;
    for (const Group& group : groups) {
        std::printf("worst %s ratio %.2f (target at most %.1f)\n", group.name, group.worst, group.limit);
        met = met && group.worst <= group.limit;
    }
    std::printf("targets: %s\n", met ? "met" : "NOT met");
    if (only) {
        std::filesystem::remove(file);
        return ok ? 0 : 1;
    }

    // Replace-all in a window, with the comment map kept and without it.
    tarvo::base::ResetSettings();
    tarvo::editor::InstallBuiltInLanguages();
    tarvo::editor::BuildLanguages();
    tarvo::editor::editor().seam.chooseLanguage = tarvo::editor::ChooseLanguageForDocument;
    for (bool map : {false, true}) {
        std::vector<double> times;
        long count = 0;
        for (int r = 0; r < rounds; ++r) times.push_back(ReplaceAll(file, 350000, map, count));
        std::printf("replace e by E over 350,000 lines, %s: %ld replacements, %.3f s\n",
                    map ? "comment map kept" : "no comment map", count, Median(times));
    }

    // The function list of a C file of 100,000 lines.
    std::vector<std::string> owned;
    for (long f = 0; static_cast<long>(owned.size()) < 100000; ++f) {
        std::string chunk = Function(f);
        for (std::size_t at = 0; at < chunk.size();) {
            std::size_t end = chunk.find("\n", at);
            owned.push_back(chunk.substr(at, end - at));
            at = end + 1;
        }
    }
    tarvo::analysis::Lines lines(owned.begin(), owned.end());
    std::vector<double> times;
    std::size_t functions = 0;
    for (int r = 0; r < rounds; ++r) {
        auto start = Clock::now();
        functions = tarvo::analysis::FindCFunctions(lines).size();
        times.push_back(Seconds(start));
    }
    std::printf("function list: %zu lines, %zu functions, %.4f s\n", lines.size(), functions, Median(times));
    std::filesystem::remove(file);
    if (!ok) std::printf("MISMATCH between the counts\n");
    return ok ? 0 : 1;
}
