// Applying edit scripts, and patch scripts: an edit script with every `@` doubled, ended by a
// lone `@` and a line with the checksums of the old and the new text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/compare.h"

namespace tarvo::analysis {

// Applies an edit script (its `@` already undoubled) to the lines. Line numbers refer to the
// text before the script; a command whose line lies before the previous one starts a new pass
// over the text produced so far. On failure `text` is unchanged and `message` says why.
// Added lines are views into `script`, which must outlive the text.
bool ApplyEditScript(TextLines& text, std::string_view script, std::string& message);

// The checksum of a text (line ends as "\n"): the one patch scripts carry.
std::uint32_t TextChecksum(std::string_view text);

// Every `@` doubled, as inside an `@` string.
std::string DoubleAt(std::string_view text);

// The patch script that turns `a` into `b`.
std::string PatchScript(std::string_view a, std::string_view b);

// The patch a merge applies to the first text: the commands and lines of the changes taken
// from the second text (taken[i] for changes[i]), and a checksum line of zeros.
std::string MergePatch(const std::vector<Change>& changes, const std::vector<bool>& taken, const TextLines& b);

struct Patch {
    std::string script;           // undoubled
    std::uint32_t sourceSum = 0;  // 0: not given
    std::uint32_t resultSum = 0;
};
// Reads a patch script; the end of the text may stand for the closing `@` and checksum line.
// False with the message on a malformed script (a lone `@` inside it, a bad checksum line).
bool ParsePatch(std::string_view text, Patch& patch, std::string& message);

}  // namespace tarvo::analysis
