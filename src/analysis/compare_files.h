// Comparing files: the request the comparison tools and the version store share, patch
// script files and their application, and the checks of a diff or merge request.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "analysis/compare.h"

namespace tarvo::analysis {

inline constexpr unsigned kKeepChanges = 1;     // keep the change list (else write the script)
inline constexpr unsigned kIgnoreSpaces = 4;
inline constexpr unsigned kIgnoreCase = 8;
inline constexpr unsigned kAssumeCSyntax = 16;  // compare the normalised texts
inline constexpr unsigned kTextReport = 32;
inline constexpr unsigned kPatchScript = 64;    // with kTextReport

struct CompareRequest {
    std::string firstFile;
    std::string secondFile;
    std::string scriptFile;  // where the edit script goes without kKeepChanges
    unsigned flags = 0;
    std::vector<Change> changes;  // the result with kKeepChanges; with C syntax the first lines
                                  // are file lines, the counts normalised lines
};

enum CompareResult { kCompareInternalError = -1, kCompareSame = 0, kCompareChanged = 1, kCompareCannotOpen = 2 };
int CompareFiles(CompareRequest& request);

// A file's text as a text read gives it: CR LF as "\n". False when it cannot be read.
bool ReadTextFile(const std::string& path, std::string& text);
// Writes a text with CR LF line ends in place of the file, whole or not at all.
bool WriteTextFile(const std::string& path, std::string_view text);
// Writes bytes as they are in place of the file, whole or not at all.
bool WriteBytesFile(const std::string& path, std::string_view bytes);
// A file's bytes as they are; false when it cannot be read.
bool ReadBytesFile(const std::string& path, std::string& bytes);

// Writes the patch script that turns the first file into the second; a CompareResult.
int WritePatchFile(const std::string& first, const std::string& second, const std::string& patchFile);
// Applies a patch script to the source and writes the result; asks before going on when the
// source's checksum differs. False after a message.
bool ApplyPatchFile(const std::string& patchFile, const std::string& source, const std::string& result);

struct DiffRequestNames {
    std::string first, second, output;  // as typed; output may be empty
    bool firstIsPattern = false, secondIsPattern = false;
    bool merge = false, patch = false, cSyntax = false;
    std::string directory;  // where relative names are taken from
};
// The message id that refuses the request, or 0 when it may go on.
unsigned CheckDiffRequest(const DiffRequestNames& names);
// Two names of one file: full paths compared without regard to case.
bool SameFile(const std::string& a, const std::string& b, const std::string& directory = {});

}  // namespace tarvo::analysis
