// Lines for the scanner tests, from one text with LF line ends.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "analysis/char_source.h"

namespace tarvo::analysis::test {

struct Text {
    std::vector<std::string> owned;
    Lines lines;
    explicit Text(const std::string& source) {
        std::istringstream in(source);
        for (std::string l; std::getline(in, l);) owned.push_back(l);
        for (const std::string& l : owned) lines.push_back(l);
    }
};

}  // namespace tarvo::analysis::test
