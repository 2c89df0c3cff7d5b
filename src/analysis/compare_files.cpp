#include "analysis/compare_files.h"

#include <algorithm>

#include "analysis/analysis_messages.h"
#include "analysis/edit_script.h"
#include "analysis/normalise.h"
#include "base/messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::analysis {
namespace {

// Lines without their line ends, as the normaliser reads them.
Lines BareLines(const TextLines& lines) {
    Lines bare;
    bare.reserve(lines.size());
    for (std::string_view line : lines) {
        if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
        bare.push_back(line);
    }
    return bare;
}

// The file line (0-based) of a normalised line (0-based): the first whose rewrite starts at
// or after it.
long FileLine(const std::vector<long>& table, long scratchLine) {
    long total = table.empty() ? 0 : table[0];
    for (long n = 1; n <= total; ++n)
        if (table[n] >= scratchLine + 1) return n - 1;
    return total;
}

std::vector<Change> CompareNormalised(const TextLines& a, const TextLines& b) {
    Normalised na = NormaliseLines(BareLines(a)), nb = NormaliseLines(BareLines(b));
    auto withEnds = [](const Normalised& n, std::vector<std::string>& store) {
        TextLines lines;
        for (const std::string& line : n.lines) store.push_back(line + "\n");
        for (const std::string& line : store) lines.push_back(line);
        return lines;
    };
    std::vector<std::string> storeA, storeB;
    TextLines la = withEnds(na, storeA), lb = withEnds(nb, storeB);
    std::vector<Change> changes = CompareLines(la, lb);
    for (Change& c : changes) {
        c.first = FileLine(na.table, c.first);
        c.second = FileLine(nb.table, c.second);
    }
    return changes;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& text) {
    std::string bytes;
    if (!ReadBytesFile(path, bytes)) return false;
    text = LfLineEnds(bytes);
    return true;
}

bool WriteTextFile(const std::string& path, std::string_view text) {
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) != platform::ReplaceStatus::Ok) return false;
    platform::BufferedWriter writer(out);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            writer.Put(text.data() + start, text.size() - start);
            break;
        }
        writer.Put(text.data() + start, end - start);
        writer.Put("\r\n", 2);
        start = end + 1;
    }
    return writer.Flush() && platform::FinishReplace(out) == platform::ReplaceStatus::Ok;
}

bool WriteBytesFile(const std::string& path, std::string_view bytes) {
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) != platform::ReplaceStatus::Ok) return false;
    return platform::WriteReplace(out, bytes.data(), bytes.size()) &&
           platform::FinishReplace(out) == platform::ReplaceStatus::Ok;
}

bool ReadBytesFile(const std::string& path, std::string& bytes) {
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return false;
    bytes.assign(content.data.get(), content.size);
    return true;
}

int CompareFiles(CompareRequest& request) {
    std::string a, b;
    if (!ReadTextFile(request.firstFile, a) || !ReadTextFile(request.secondFile, b)) return kCompareCannotOpen;
    TextLines la = SplitLines(a), lb = SplitLines(b);
    CompareOptions options{(request.flags & kIgnoreSpaces) != 0, (request.flags & kIgnoreCase) != 0};
    request.changes = request.flags & kAssumeCSyntax ? CompareNormalised(la, lb) : CompareLines(la, lb, options);
    int result = request.changes.empty() ? kCompareSame : kCompareChanged;
    if (!(request.flags & kKeepChanges)) {
        // Line numbers of normalised texts mean nothing to the file: no script from them.
        if (request.flags & kAssumeCSyntax) return kCompareInternalError;
        if (!WriteTextFile(request.scriptFile, EditScript(request.changes, lb))) return kCompareCannotOpen;
        request.changes.clear();
    }
    return result;
}

int WritePatchFile(const std::string& first, const std::string& second, const std::string& patchFile) {
    std::string a, b;
    if (!ReadTextFile(first, a) || !ReadTextFile(second, b)) return kCompareCannotOpen;
    if (!WriteTextFile(patchFile, PatchScript(a, b))) return kCompareCannotOpen;
    return a == b ? kCompareSame : kCompareChanged;
}

bool ApplyPatchFile(const std::string& patchFile, const std::string& source, const std::string& result) {
    std::string patchText, sourceText, message;
    if (!ReadTextFile(patchFile, patchText)) {
        base::FileNotFoundBox(patchFile);
        return false;
    }
    if (!ReadTextFile(source, sourceText)) {
        base::FileNotFoundBox(source);
        return false;
    }
    Patch patch;
    if (!ParsePatch(patchText, patch, message)) {
        base::ErrorBox(message);
        return false;
    }
    if (patch.sourceSum != 0 && patch.sourceSum != TextChecksum(sourceText) && !base::ConfirmId(kMsgSourceCrc))
        return false;
    TextLines lines = SplitLines(sourceText);
    if (!ApplyEditScript(lines, patch.script, message)) {
        base::ErrorBox(message);
        return false;
    }
    std::string out = JoinLines(lines);
    if (!WriteTextFile(result, out)) {
        base::ErrorBox(Printf(base::GetString(kMsgCantOpenWorking), result.c_str()));
        return false;
    }
    if (patch.resultSum != 0 && patch.resultSum != TextChecksum(out)) {
        base::ErrorBoxId(kMsgResultCrc);
        return false;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b, const std::string& directory) {
    return Lower(platform::FullPath(a, directory)) == Lower(platform::FullPath(b, directory));
}

unsigned CheckDiffRequest(const DiffRequestNames& names) {
    if (SameFile(names.first, names.second, names.directory)) return kMsgSameName;
    if (names.merge && (names.firstIsPattern || names.secondIsPattern)) return kMsgMergeTwoFiles;
    // Line numbers found in normalised texts do not fit the files they would be applied to.
    if ((names.merge || names.patch) && names.cSyntax) return kMsgNoCSyntaxForPatch;
    if (names.patch && names.output.empty()) return kMsgPatchNameRequired;
    if (names.merge && (names.output.empty() || SameFile(names.output, names.first, names.directory) ||
                        SameFile(names.output, names.second, names.directory)))
        return kMsgOutputDiffers;
    return 0;
}

}  // namespace tarvo::analysis
