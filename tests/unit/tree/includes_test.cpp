#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

#include "source_tree.h"

namespace tarvo::tree {
namespace {

// Includes point one way: a folder may include its own files and those of the folders below
// it. The four subsystems on one floor do not include each other.
const std::map<std::string, int> kFloors = {
    {"platform", 0}, {"base", 1},     {"binary", 1}, {"editor", 2}, {"analysis", 3}, {"project", 4},
    {"debugger", 4}, {"cms", 4},      {"tools", 4},  {"shell", 5},
};

// The Windows headers a portable file must not include.
const std::set<std::string> kWindowsHeaders = {
    "windows.h", "windowsx.h", "commdlg.h", "commctrl.h", "shellapi.h", "shlobj.h",
    "psapi.h",   "winreg.h",   "winuser.h", "wingdi.h",   "winbase.h",  "tlhelp32.h",
};

bool IsWin32Layer(const std::string& path) { return path.find("_win.") != std::string::npos; }

std::string FolderOf(const std::string& path) {  // "src/editor/x.cpp" -> "editor"
    std::size_t first = path.find('/'), second = path.find('/', first + 1);
    return path.substr(first + 1, second - first - 1);
}

// What is wrong with one include line of a file, or the empty text.
std::string Fault(const std::string& file, const std::string& line) {
    static const std::regex quoted(R"(^\s*#\s*include\s+"([^"]+)\")");
    static const std::regex angled(R"(^\s*#\s*include\s+<([^>]+)>)");
    std::smatch m;
    if (std::regex_search(line, m, angled)) {
        std::string header = m[1];
        for (char& c : header) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!IsWin32Layer(file) && kWindowsHeaders.count(header))
            return "a portable file includes the Windows header <" + m[1].str() + ">";
        return "";
    }
    if (!std::regex_search(line, m, quoted)) return "";
    std::string included = m[1];
    if (!IsWin32Layer(file) && IsWin32Layer(included))
        return "a portable file includes the Win32 layer's " + included;
    std::size_t slash = included.find('/');
    if (slash == std::string::npos) return "";  // resource ids and the like: no floor
    std::string from = FolderOf(file), to = included.substr(0, slash);
    auto fromFloor = kFloors.find(from), toFloor = kFloors.find(to);
    if (fromFloor == kFloors.end()) return "the folder src/" + from + " has no floor";
    if (toFloor == kFloors.end()) return "the folder " + to + " has no floor";
    if (from == to) return "";
    if (toFloor->second >= fromFloor->second)
        return from + " may not include " + to + " (" + included + ")";
    return "";
}

TEST(Includes, PointDownTheFloorsOnly) {
    std::vector<SourceFile> files = SourceFiles({"src"});
    ASSERT_GT(files.size(), 100u);
    for (const SourceFile& f : files)
        for (std::size_t n = 0; n < f.lines.size(); ++n) {
            std::string fault = Fault(f.path, f.lines[n]);
            EXPECT_EQ(fault, "") << f.path << ":" << n + 1 << ": " << f.lines[n];
        }
}

TEST(Includes, TheCheckSeesUpwardAndWindowsIncludes) {
    EXPECT_NE(Fault("src/editor/a.cpp", "#include \"shell/shell_state.h\""), "");
    EXPECT_NE(Fault("src/base/a.cpp", "#include \"editor/document.h\""), "");
    EXPECT_NE(Fault("src/cms/a.cpp", "#include \"tools/diff.h\""), "");  // one floor
    EXPECT_NE(Fault("src/editor/a.cpp", "#include <windows.h>"), "");
    EXPECT_NE(Fault("src/editor/a.cpp", "#include \"editor/editor_window_win.h\""), "");
    EXPECT_NE(Fault("src/gadgets/a.cpp", "#include \"base/messages.h\""), "");
    EXPECT_EQ(Fault("src/editor/a_win.cpp", "#include <windows.h>"), "");
    EXPECT_EQ(Fault("src/shell/a.cpp", "#include \"analysis/checks.h\""), "");
    EXPECT_EQ(Fault("src/editor/a_win.cpp", "#include \"resource_ids.h\""), "");
    EXPECT_EQ(Fault("src/editor/a.cpp", "  #  include \"editor/line.h\""), "");
}

}  // namespace
}  // namespace tarvo::tree
