// What the stand-ins' native tests share: a path mapping of their own and a way to show words.
#pragma once
#include <string>
#include <vector>

namespace tarvo::testbed::test {

// "Z:\a\b" is "/a/b"; other drives have no Linux path.
inline std::string ToUnix(const std::string& path) {
    if (path.compare(0, 3, "Z:\\") != 0) return "";
    std::string unix = path.substr(2);
    for (char& c : unix)
        if (c == '\\') c = '/';
    return unix;
}
inline std::string ToWindows(const std::string& path) {
    std::string w = "Z:" + path;
    for (char& c : w)
        if (c == '/') c = '\\';
    return w;
}

inline std::string Joined(const std::vector<std::string>& words) {
    std::string s;
    for (const std::string& w : words) s += (s.empty() ? "" : " ") + w;
    return s;
}

}  // namespace tarvo::testbed::test
