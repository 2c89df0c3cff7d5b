// GNU RCS as an outside check of the version store: our repository file translated into an
// RCS file, and `co` to check revisions out of it.
#pragma once
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cms/repository.h"
#include "platform/text.h"

namespace tarvo::test {

inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Our file in RCS's own format: the same structure under RCS's keywords, LF line ends, dates
// with two-digit fields, no format-version or binary clauses. Works on the bytes, not on our
// parser's model, so that the parser is checked too.
inline std::string ToRcs(const std::string& bytes) {
    static const std::map<std::string, std::string> kKeywords = {
        {"Head", "head"},     {"Branch", "branch"}, {"Access", "access"},   {"RevNames", "symbols"},
        {"Locks", "locks"},   {"Date", "date"},     {"Author", "author"},   {"State", "state"},
        {"Branches", "branches"}, {"Next", "next"}, {"Description", "desc"}, {"Log", "log"},
        {"Text", "text"}};
    std::string text = LfLineEnds(bytes), out;
    std::size_t i = std::string(cms::kSignature).size();
    bool date = false;
    while (i < text.size()) {
        char c = text[i];
        if (c == '@') {
            std::size_t j = i + 1;
            for (;; ++j) {
                j = text.find('@', j);
                if (j + 1 < text.size() && text[j + 1] == '@') ++j;
                else break;
            }
            out += text.substr(i, j + 1 - i);
            i = j + 1;
        } else if (IsLetter(c)) {
            std::size_t j = i;
            while (j < text.size() && !std::strchr(" \t\n;:@", text[j])) ++j;
            std::string word = text.substr(i, j - i);
            if (word == "CmsVersion" || word == "Binary") {
                j = text.find(';', j) + 1;
            } else {
                auto found = kKeywords.find(word);
                out += found == kKeywords.end() ? word : found->second;
                date = word == "Date";
            }
            i = j;
        } else if (date && c >= '0' && c <= '9') {
            std::size_t j = text.find(';', i);
            std::vector<int> f;
            std::istringstream fields(text.substr(i, j - i));
            for (std::string part; std::getline(fields, part, '.');) f.push_back(std::stoi(part));
            out += Printf("%04d.%02d.%02d.%02d.%02d.%02d", f[0], f[1], f[2], f[3], f[4], f[5]);
            date = false;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// `co -p` of a revision; false when co fails.
inline bool CheckOut(const std::string& rcsFile, const std::string& number, std::string& out) {
    std::string command = "co -q -kb -p -r" + number + " '" + rcsFile + "' 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    out.clear();
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    return pclose(pipe) == 0;
}

}  // namespace tarvo::test
