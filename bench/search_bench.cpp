// Searches a generated C file of 100 MB or more with the regular-expression engine, line by
// line over a loaded document as the editor does, and puts each time beside GNU grep -c on the
// same file and pattern, run in the same process; then times the function list of a C file of
// 100,000 lines.
//
//   tarvo_search_bench [directory [megabytes [rounds]]]
//
// Targets: literal and simple patterns at grep's speed or better; no pattern of the set slower
// than ten times grep. Figures are medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// Lines matching, and the time taken.
long SearchLines(const tarvo::editor::Document& doc, const tarvo::editor::Regex& re, double& seconds) {
    auto start = Clock::now();
    long lines = 0;
    tarvo::editor::RegexMatch m;
    unsigned error = 0;
    for (tarvo::editor::Line* l = doc.lines->next; l != doc.lines; l = l->next)
        if (tarvo::editor::ExecuteRegexQuietly(re, tarvo::editor::LineText(*l), 0, m, error) ==
            tarvo::editor::RegexResult::Match)
            ++lines;
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
    std::printf("%-36s %9s %9s %9s %9s %7s\n", "pattern", "lines", "tarvo s", "grep", "grep s", "ratio");
    bool ok = true;
    // The set: literals, simple patterns (a literal with sets and loops around it) and the
    // hard ones, where no literal or first character narrows the places to try.
    const char* patterns[] = {
        "zanzibar_quota", "return", "total", "table\\[i\\]", "i < count", "\\+= ",  // literals
        "foo[0-9]+bar", "sum_[0-9]+\\(", "^static", "^}", ";$", "else$", "ab*c", "function 1[0-9]*:",
        "int [a-z]+ =", "\t\t\t", "x+\";",                                              // simple
        ".*zanzibar", "[a-zA-Z_][a-zA-Z0-9_]* *= *[0-9]", "a?b?c?d?e?f?x", "(if|for|while) *\\(",
        "[0-9][0-9]*", "(total|count) [-+]?=", "/\\*.*\\*/", "[A-Z]", "\".*\"", "(foo|bar|baz)[0-9]",
        "[^ ]+ \\+= table", "(a|b|c|d|e)+x",
    };
    for (const char* pattern : patterns) {
        tarvo::editor::Regex re;
        if (tarvo::editor::CompileRegexQuietly(pattern, re)) return 1;
        std::vector<double> ours, theirs;
        long found = 0, grepped = 0;
        for (int r = 0; r < rounds; ++r) {
            double s = 0;
            found = SearchLines(doc, re, s);
            ours.push_back(s);
            grepped = Grep(pattern, file, s);
            theirs.push_back(s);
        }
        double a = Median(ours), b = Median(theirs);
        std::printf("%-36s %9ld %9.3f %9ld %9.3f %7.1f\n", pattern, found, a, grepped, b, a / b);
        ok = ok && found == grepped;
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
