// The standard output of a Linux command, for tests that compare with another program.
#pragma once
#include <cstdio>
#include <string>

namespace tarvo::test {

inline std::string CommandOutput(const std::string& command) {
    std::string out;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[8192];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
    return out;
}

inline bool HaveCommand(const std::string& name) { return !CommandOutput("command -v " + name).empty(); }

}  // namespace tarvo::test
