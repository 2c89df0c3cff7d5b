// Loads and saves a generated C file of 100 MB or more through the document code and puts the
// times beside `wc -l` and `cp` on the same file, run in the same process.
//
//   tarvo_document_bench [directory [megabytes [rounds]]]
//   tarvo_document_bench --open FILE   (the memory of opening one file; run by the above)
//
// The target: load and save each within three times the time of cp. Figures are medians.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/function_list.h"
#include "editor/comments.h"
#include "editor/document.h"
#include "editor/document_io.h"
#include "editor/language.h"
#include "base/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// A C source of at least `bytes` bytes with CR LF line ends: functions of ordinary lines,
// tabs, comments and some long lines, so loading sees what a real file has.
long Generate(const std::string& path, std::size_t bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return -1;
    std::string chunk;
    std::size_t written = 0;
    long lines = 0;
    for (long f = 0; written < bytes; ++f) {
        chunk.clear();
        chunk += "/* function " + std::to_string(f) + ": adds up a table of values */\r\n";
        chunk += "static int sum_" + std::to_string(f) + "(const int *table, int count)\r\n{\r\n";
        chunk += "\tint total = 0;\r\n\tfor (int i = 0; i < count; i++) {\r\n";
        chunk += "\t\tif (table[i] > " + std::to_string(f % 97) + ")\r\n\t\t\ttotal += table[i];\r\n";
        chunk += "\t\telse\r\n\t\t\ttotal -= table[i] / 2;\r\n\t}\r\n";
        if (f % 50 == 0) chunk += "\tconst char *text = \"" + std::string(600 + f % 300, 'x') + "\";\r\n";
        chunk += "\treturn total;\r\n}\r\n\r\n";
        lines += static_cast<long>(std::count(chunk.begin(), chunk.end(), '\n'));
        if (std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size()) {
            std::fclose(out);
            return -1;
        }
        written += chunk.size();
    }
    return std::fclose(out) == 0 ? lines : -1;
}

// Resident memory now, in MB (Linux).
double ResidentMegabytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double TimeCommand(const std::string& command) {
    auto start = Clock::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
    return Seconds(start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

// Opens the file as the program does and reports the memory: the document alone, then what a
// window onto it adds (the comment map scanned down to the last line, as showing the end of the
// file does, and the function list), and the process's peak beside the file's size.
int OpenAndMeasure(const std::string& file) {
    namespace editor = tarvo::editor;
    struct stat info {};
    if (stat(file.c_str(), &info) != 0) return 1;
    editor::InstallBuiltInLanguages();
    editor::BuildLanguages();
    editor::editor().seam.chooseLanguage = editor::ChooseLanguageForDocument;
    double size = static_cast<double>(info.st_size) / 1048576.0;
    double base = ResidentMegabytes();
    editor::Document* doc = editor::OpenDocument(file);
    if (!doc) return 1;
    double loaded = ResidentMegabytes() - base;
    editor::ScanWholeCommentMap(*doc);
    double mapped = ResidentMegabytes() - base;
    double peak = PeakMegabytes();  // what a window showing the file needs
    tarvo::analysis::FindFunctions(*doc);
    double listed = ResidentMegabytes() - base;
    std::printf("memory for a %.1f MB file (%zu-bit lines of %zu bytes): document %.1f MB (%.2f x), + comment map "
                "%.1f MB (%.2f x), + function list %.1f MB (%.2f x)\n",
                size, sizeof(void*) * 8, sizeof(editor::Line), loaded, loaded / size, mapped, mapped / size, listed,
                listed / size);
    std::printf("peak resident of a process opening it and showing its end: %.1f MB (%.2f x the file); with the "
                "function list built: %.1f MB\n",
                peak, peak / size, PeakMegabytes());
    std::printf("target (peak at most 2 x the file): %s\n", peak <= 2 * size ? "met" : "NOT met");
    return 0;
}

int main(int argc, char** argv) {
    namespace editor = tarvo::editor;
    if (argc == 3 && std::string(argv[1]) == "--open") return OpenAndMeasure(argv[2]);
    std::string dir = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    std::size_t megabytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 100;
    int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    std::string file = dir + "/tarvo-bench-big.c";
    std::string copy = dir + "/tarvo-bench-copy.c";

    long lines = Generate(file, megabytes << 20);
    if (lines < 0) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    struct stat info {};
    stat(file.c_str(), &info);
    std::printf("file %s: %.1f MB, %ld lines\n", file.c_str(), info.st_size / 1048576.0, lines);

    tarvo::base::settings().editorFlags = 0;  // no backups, no checks: the plain save
    std::vector<double> wc, cp, load, save;
    bool ok = true;
    for (int round = 0; round < rounds && ok; ++round) {
        wc.push_back(TimeCommand("wc -l '" + file + "' > /dev/null"));
        cp.push_back(TimeCommand("cp '" + file + "' '" + copy + "'"));

        editor::ResetEditor();
        auto start = Clock::now();
        editor::Document* doc = editor::OpenDocument(file);
        load.push_back(Seconds(start));
        if (!doc || doc->lineCount != lines) {
            std::fprintf(stderr, "load failed or wrong line count\n");
            ok = false;
            break;
        }
        editor::SetCurrentView(editor::AddView(doc, 1));
        doc->flags |= editor::kModified;
        start = Clock::now();
        bool saved = editor::SaveCurrentDocument();
        save.push_back(Seconds(start));
        // The file had CR LF line ends and no trailing blanks: it must come back byte for byte.
        if (!saved || std::system(("cmp -s '" + file + "' '" + copy + "'").c_str()) != 0) {
            std::fprintf(stderr, "save failed or changed the file\n");
            ok = false;
        }
        editor::ResetEditor();  // frees the document before the next round
    }
    std::remove(copy.c_str());

    // Memory, in a process of its own so its peak is that of opening the file.
    editor::ResetEditor();
    std::fflush(stdout);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    if (std::system(("'" + self + "' --open '" + file + "'").c_str()) != 0) ok = false;
    editor::ResetEditor();
    std::remove(file.c_str());
    if (!ok) return 1;

    double c = Median(cp);
    std::printf("median of %d rounds (seconds)\n", rounds);
    std::printf("  wc -l  %7.3f\n", Median(wc));
    std::printf("  cp     %7.3f\n", c);
    std::printf("  load   %7.3f  (%.2f x cp)\n", Median(load), Median(load) / c);
    std::printf("  save   %7.3f  (%.2f x cp)\n", Median(save), Median(save) / c);
    bool met = Median(load) <= 3 * c && Median(save) <= 3 * c;
    std::printf("target (load and save within 3 x cp): %s\n", met ? "met" : "NOT met");
    return met ? 0 : 2;
}
