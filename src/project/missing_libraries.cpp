#include "project/missing_libraries.h"

#include <algorithm>

#include "platform/files.h"
#include "platform/text.h"
#include "project/build_messages.h"
#include "project/makefile.h"

namespace tarvo::project {
namespace {

bool named(const std::vector<std::string>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& n) { return SameText(n, name); });
}

}  // namespace

MissingLibraries FindMissingLibraries(const std::vector<std::string>& symbols, const SymbolIndex& index,
                                      const std::function<bool(const std::string&)>& inRootLib,
                                      const std::string& projectLibraries) {
    MissingLibraries found;
    std::vector<std::string> known = SplitList(projectLibraries, ' ');
    std::vector<std::string> seen;
    for (const std::string& symbol : symbols) {
        if (named(seen, symbol)) continue;  // one line a symbol, however often it was missed
        seen.push_back(symbol);
        std::string library, detail;
        if (index(symbol, library, detail) < 0 || library.empty()) continue;
        size_t dot = library.rfind('.');
        library = Lower((dot == std::string::npos ? library : library.substr(0, dot)) + ".lib");
        if (!inRootLib(library)) continue;
        found.lines.push_back(symbol + " (" + detail + ") " + library);
        // A library the project links already cannot be the answer: adding it again would
        // only send the user round the same loop.
        if (!named(found.candidates, library) && !named(known, library)) found.candidates.push_back(library);
    }
    return found;
}

std::string AddLibraries(const std::string& libraries, const std::vector<std::string>& candidates) {
    std::string out = libraries;
    for (const std::string& c : candidates) out += (out.empty() ? "" : " ") + c;
    return out;
}

LibsUpdate UpdateMakefileLibs(const std::string& makeDir, const base::ProjectSettings& project) {
    std::string path = makeDir + "\\Makefile";
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) return LibsUpdate::Failed;
    std::string rewritten;
    if (!RewriteLibsLine(std::string(content.data.get(), content.size), LibsValue(project), rewritten))
        return LibsUpdate::NoLibsLine;
    platform::ReplaceFile out;
    if (platform::BeginReplace(out, path) != platform::ReplaceStatus::Ok) return LibsUpdate::Failed;
    if (!platform::WriteReplace(out, rewritten.data(), rewritten.size())) return LibsUpdate::Failed;
    return platform::FinishReplace(out) == platform::ReplaceStatus::Ok ? LibsUpdate::Rewritten : LibsUpdate::Failed;
}

}  // namespace tarvo::project
