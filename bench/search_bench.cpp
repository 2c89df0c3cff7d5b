// Searches a generated C file of 100 MB or more with the regular-expression engine, line by
// line over a loaded document as the editor does, and puts each time beside GNU grep -c on the
// same file and pattern, run in the same process; then times the function list of a C file of
// 100,000 lines.
//
//   tarvo_search_bench [directory [megabytes [rounds]]]
//
// Targets: the literal search within three times grep's time; no search slower than twenty
// times grep. Figures are medians.
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
#include "editor/regex.h"

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
    s += "/* function " + std::to_string(f) + ": adds up a table of values */\r\n";
    s += "static int sum_" + std::to_string(f) + "(const int *table, int count)\r\n{\r\n";
    s += "\tint total = 0;\r\n\tfor (int i = 0; i < count; i++) {\r\n";
    s += "\t\tif (table[i] > " + std::to_string(f % 97) + ")\r\n\t\t\ttotal += table[i];\r\n";
    s += "\t\telse\r\n\t\t\ttotal -= table[i] / 2;\r\n\t}\r\n";
    if (f % 7 == 0) s += "\tcount = foo" + std::to_string(f % 1000) + "bar(total);\r\n";
    if (f % 1000 == 0) s += "\ttotal += zanzibar_quota;\r\n";
    if (f % 50 == 0) s += "\tconst char *text = \"" + std::string(600 + f % 300, 'x') + "\";\r\n";
    s += "\treturn total;\r\n}\r\n\r\n";
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
    std::printf("%-16s %9s %9s %9s %9s %7s\n", "pattern", "lines", "tarvo s", "grep", "grep s", "ratio");
    bool ok = true;
    const char* patterns[] = {"zanzibar_quota", "foo[0-9]+bar", ".*zanzibar"};
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
        std::printf("%-16s %9ld %9.3f %9ld %9.3f %7.1f\n", pattern, found, a, grepped, b, a / b);
        ok = ok && found == grepped;
    }

    // The function list of a C file of 100,000 lines.
    std::vector<std::string> owned;
    for (long f = 0; static_cast<long>(owned.size()) < 100000; ++f) {
        std::string chunk = Function(f);
        for (std::size_t at = 0; at < chunk.size();) {
            std::size_t end = chunk.find("\r\n", at);
            owned.push_back(chunk.substr(at, end - at));
            at = end + 2;
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
