// Reading the program's own source tree for the tests that hold its shape: the files, their
// lines, and the lines with comments and string literals blanked out.
#pragma once
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace tarvo::tree {

struct SourceFile {
    std::string path;  // relative to the top of the tree, with '/'
    std::vector<std::string> lines;
};

// Every .cpp and .h file under the given folders of the tree, in a stable order.
inline std::vector<SourceFile> SourceFiles(const std::vector<std::string>& folders) {
    namespace fs = std::filesystem;
    std::vector<SourceFile> files;
    for (const std::string& folder : folders) {
        fs::path top = fs::path(TARVO_SOURCE_DIR) / folder;
        if (!fs::exists(top)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(top)) {
            std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            SourceFile file{fs::relative(entry.path(), TARVO_SOURCE_DIR).generic_string(), {}};
            std::ifstream in(entry.path());
            for (std::string line; std::getline(in, line);) file.lines.push_back(line);
            files.push_back(std::move(file));
        }
    }
    std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    return files;
}

// The lines with comments, string and character literals replaced by blanks, so that what is
// left is code. Raw strings are not used in the tree's command contexts and are not handled.
inline std::vector<std::string> CodeOnly(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    bool inBlock = false;
    for (const std::string& line : lines) {
        std::string code(line.size(), ' ');
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (inBlock) {
                if (line.compare(i, 2, "*/") == 0) inBlock = false, ++i;
                continue;
            }
            if (line.compare(i, 2, "//") == 0) break;
            if (line.compare(i, 2, "/*") == 0) {
                inBlock = true;
                ++i;
                continue;
            }
            if (line[i] == '"' || line[i] == '\'') {
                char quote = line[i];
                for (++i; i < line.size() && line[i] != quote; ++i)
                    if (line[i] == '\\') ++i;
                continue;
            }
            code[i] = line[i];
        }
        out.push_back(code);
    }
    return out;
}

}  // namespace tarvo::tree
