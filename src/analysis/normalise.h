// Normalise: rewrites a C source with its layout taken out, for comparing sources regardless
// of blanks, line breaks and comments, and the table that leads back from the rewrite's lines
// to the source's.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "analysis/char_source.h"

namespace tarvo::analysis {

struct Normalised {
    std::vector<std::string> lines;  // the rewrite
    // table[n] for source line n (1-based): the rewrite line (1-based) where its first output
    // went; lines without output take the entry of the line before. table[0] = source lines.
    std::vector<long> table;
};

Normalised NormaliseLines(const Lines& lines);

// Normalises a file (taken from its open document, or read for the occasion) into a scratch
// file written with CR LF line ends; the line table, or nothing after a message.
std::optional<std::vector<long>> Normalise(const std::string& fileName, const std::string& scratchFileName);

}  // namespace tarvo::analysis
