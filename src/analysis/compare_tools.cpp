#include "analysis/compare_tools.h"

#include <algorithm>

#include "analysis/analysis_messages.h"
#include "analysis/compare_files.h"
#include "analysis/compare_view.h"
#include "base/messages.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::analysis {

DiffName ResolveDiffName(const std::string& typed, const std::string& projectDirectory) {
    DiffName name;
    bool bare = typed.find_first_of("\\/") == std::string::npos && !platform::IsAbsolutePath(typed);
    name.path = bare && !projectDirectory.empty() ? platform::FullPath(typed, projectDirectory) : platform::FullPath(typed);
    if (typed.find('*') != std::string::npos) {
        name.directory = platform::DirectoryOf(name.path);
        name.pattern = platform::BaseName(name.path);
    } else if (platform::DirectoryExists(name.path)) {
        name.directory = name.path;
        name.pattern = "*";
    }
    return name;
}

namespace {
bool LessWithoutCase(const std::string& a, const std::string& b) { return Lower(a) < Lower(b); }
}  // namespace

DirectoryPairing PairFiles(const std::vector<std::string>& first, const std::vector<std::string>& second) {
    std::vector<std::string> a = first, b = second;
    std::sort(a.begin(), a.end(), LessWithoutCase);
    std::sort(b.begin(), b.end(), LessWithoutCase);
    DirectoryPairing pairing;
    std::size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && LessWithoutCase(a[i], b[j]))) {
            pairing.onlyFirst.push_back(a[i++]);
        } else if (i == a.size() || LessWithoutCase(b[j], a[i])) {
            pairing.onlySecond.push_back(b[j++]);
        } else {
            pairing.both.push_back(a[i++]);
            ++j;
        }
    }
    return pairing;
}

std::vector<std::string> MatchingFiles(const DiffName& name) {
    std::vector<std::string> found;
    for (const std::string& file : platform::ListDirectory(name.directory))
        if (WildcardMatch(name.pattern, file)) found.push_back(file);
    return found;
}

namespace {

const Function* FunctionAt(const FunctionRecords& functions, long line) {
    for (const Function& f : functions)
        if (f.startLine <= line && line <= f.endLine) return &f;
    return nullptr;
}

}  // namespace

ChangePlaces PlaceChanges(const std::vector<Change>& changes, const FunctionRecords& firstFunctions,
                          const FunctionRecords& secondFunctions, std::string_view firstName,
                          std::string_view secondName) {
    ChangePlaces places;
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const Change& c = changes[i];
        // A change with no lines on a side lies between two lines: the one after the place.
        const Function* f = FunctionAt(firstFunctions, c.first + 1);
        if (!f) f = FunctionAt(secondFunctions, c.second + 1);
        if (f) {
            if (std::find(places.functions.begin(), places.functions.end(), f->name) == places.functions.end()) {
                places.functions.push_back(f->name);
                places.functionChange.push_back(static_cast<long>(i));
            }
            continue;
        }
        places.outside.push_back(Lower(Printf("%ld %s %ld %s", c.FirstDeletedLine(), std::string(firstName).c_str(),
                                              c.FirstInsertedLine(), std::string(secondName).c_str())));
        places.outsideChange.push_back(static_cast<long>(i));
    }
    return places;
}

ReportTarget ReportTargetOf(bool exists, std::string_view firstBytes) {
    if (!exists) return ReportTarget::Create;
    return IsComparisonReport(firstBytes) ? ReportTarget::Append : ReportTarget::AskToErase;
}

bool WriteComparisonReport(const std::string& reportFile, std::string_view report) {
    std::string existing;
    bool exists = platform::FileExists(reportFile);
    if (exists && !ReadBytesFile(reportFile, existing)) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), reportFile.c_str()));
        return false;
    }
    std::string bytes;
    switch (ReportTargetOf(exists, existing)) {
    case ReportTarget::Create: bytes = report; break;
    case ReportTarget::Append: bytes = AppendReport(existing, report); break;
    case ReportTarget::AskToErase:
        if (!base::Confirm(Printf(base::GetString(kMsgEraseReport), reportFile.c_str()))) return false;
        bytes = report;
        break;
    }
    if (WriteBytesFile(reportFile, bytes)) return true;
    base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), reportFile.c_str()));
    return false;
}

}  // namespace tarvo::analysis
