// The C function finder on real C that nobody here wrote, beside universal-ctags
// (`ctags --kinds-C=f`). The corpus comes from Debian packages that scripts/setup.sh installs,
// all plain C: the headers of libpython3-dev (static inline functions), of linux-libc-dev
// (the kernel's user-space headers), glibc's inline and fortified headers from libc6-dev, and
// the compiler probe sources of cmake-data. Every function ctags lists must be found at the
// same line and no other, except the differences listed below with their reasons.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/function_list.h"

namespace tarvo::analysis {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Corpus() {
    std::vector<std::string> files;
    auto add = [&](const fs::path& dir, const std::string& extension, bool recursive) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) return;
        if (recursive) {
            for (const auto& e : fs::recursive_directory_iterator(dir, ec))
                if (e.is_regular_file() && e.path().extension() == extension) files.push_back(e.path().string());
        } else {
            for (const auto& e : fs::directory_iterator(dir, ec))
                if (e.is_regular_file() && e.path().extension() == extension) files.push_back(e.path().string());
        }
    };
    std::error_code ec;
    for (const auto& e : fs::directory_iterator("/usr/include", ec)) {
        std::string name = e.path().filename().string();
        if (name.rfind("python3.", 0) == 0) add(e.path(), ".h", true);  // libpython3-dev
        if (name.size() > 10 && name.ends_with("-linux-gnu")) add(e.path() / "bits", ".h", false);  // libc6-dev
    }
    add("/usr/include/linux", ".h", true);  // linux-libc-dev
    for (const char* h : {"ctype.h", "argp.h", "argz.h"}) files.push_back(std::string("/usr/include/") + h);
    for (const auto& e : fs::directory_iterator("/usr/share", ec))
        if (e.path().filename().string().rfind("cmake-", 0) == 0) add(e.path() / "Modules", ".c", false);  // cmake-data
    std::sort(files.begin(), files.end());
    return files;
}

// file -> {(name, line)}
using Found = std::map<std::string, std::set<std::pair<std::string, long>>>;

Found Ctags(const std::vector<std::string>& files) {
    std::string command = "ctags-universal --language-force=C --kinds-C=f -x '--_xformat=%F\t%N\t%n'";
    for (const auto& f : files) command += " '" + f + "'";
    command += " 2>/dev/null";
    Found found;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return found;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, p)) {
        std::string line(buffer);
        std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        found[line.substr(0, a)].insert({line.substr(a + 1, b - a - 1), std::stol(line.substr(b + 1))});
    }
    pclose(p);
    return found;
}

std::set<std::pair<std::string, long>> Ours(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    std::string text = bytes.str();
    std::vector<std::string> owned;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        owned.push_back(text.substr(at, end - at));
        if (!owned.back().empty() && owned.back().back() == '\r') owned.back().pop_back();
        at = end + 1;
    }
    Lines lines(owned.begin(), owned.end());
    std::set<std::pair<std::string, long>> found;
    for (const Function& f : FindCFunctions(lines)) found.insert({f.name, f.startNumber});
    return found;
}

// Where ctags is wrong, or the difference follows from how the scanner reads C.
struct Difference {
    const char* file;  // the end of the path
    const char* name;  // as ctags or the finder has it
    const char* why;
};
const Difference kKnown[] = {
    // Preprocessor lines are skipped, not evaluated: both branches of an #ifdef are read, ctags
    // reads only the first. pydtrace.h defines its empty probes in the #else branch.
    {"/pydtrace.h", "*", "ctags reads only the first branch of #ifdef WITH_DTRACE"},
    {"/pycore_atomic.h", "*", "one implementation per #if/#elif branch; ctags reads only the first"},
    {"/pycore_atomic_funcs.h", "*", "one implementation per #if/#elif branch; ctags reads only the first"},
    // The same: a K&R main in the #ifdef branch, an ANSI one in the #else branch; the '{' after
    // #endif belongs to the header just before it.
    {"/CMakeCCompilerABI.c", "main", "ctags takes the first branch's header, the finder the one before '{'"},
    // A run of macro uses without ';' before a definition: ctags takes them for the head of a
    // K&R definition and names the macro.
    {"/ctype.h", "__isctype_f", "ctags names the macro uses before tolower"},
    {"/ctype.h", "tolower", "ctags names the macro uses before tolower"},
    {"/nilfs2_api.h", "NILFS_SUINFO_FNS", "ctags names the macro use before the definition"},
    {"/nilfs2_api.h", "nilfs_suinfo_clean", "ctags names the macro use before the definition"},
    {"/nilfs2_ondisk.h", "NILFS_SEGMENT_USAGE_FNS", "ctags names the macro use before the definition"},
    {"/nilfs2_ondisk.h", "nilfs_segment_usage_set_clean", "ctags names the macro use before the definition"},
};

bool Known(const std::string& file, const std::string& name) {
    for (const Difference& d : kKnown)
        if (file.ends_with(d.file) && (std::string(d.name) == "*" || name == d.name)) return true;
    return false;
}

TEST(CFunctionsOnRealCode, AgreeWithCtagsOnDebianHeadersAndSources) {
    std::vector<std::string> files = Corpus();
    ASSERT_GT(files.size(), 100u) << "the corpus is installed by scripts/setup.sh";
    Found theirs = Ctags(files);
    long functions = 0;
    for (const auto& [file, set] : theirs) functions += static_cast<long>(set.size());
    ASSERT_GT(functions, 400) << "universal-ctags (scripts/setup.sh) did not list the corpus";
    std::string differences;
    long checked = 0;
    for (const std::string& file : files) {
        auto ours = Ours(file);
        const auto& expected = theirs[file];
        std::set<long> oursLines, ntLines;
        for (const auto& [name, line] : ours) oursLines.insert(line);
        for (const auto& [name, line] : expected) {
            // ctags names the glibc wrapper in "__NTH (tolower (int c))"; the finder the function.
            if (name == "__NTH") {
                ntLines.insert(line);
                if (!oursLines.count(line)) differences += "missed " + file + ": " + name + " " + std::to_string(line) + "\n";
                continue;
            }
            ++checked;
            if (!ours.count({name, line}) && !Known(file, name))
                differences += "missed " + file + ": " + name + " " + std::to_string(line) + "\n";
        }
        for (const auto& [name, line] : ours) {
            EXPECT_NE(name, "__NTH") << file << " " << line;
            if (!expected.count({name, line}) && !ntLines.count(line) && !Known(file, name))
                differences += "phantom " + file + ": " + name + " " + std::to_string(line) + "\n";
        }
    }
    EXPECT_EQ(differences, "");
    EXPECT_GT(checked, 300);
}

}  // namespace
}  // namespace tarvo::analysis
