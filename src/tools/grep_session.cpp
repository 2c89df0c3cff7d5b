#include "tools/grep_session.h"

#include <algorithm>

#include "tools/grep_messages.h"

namespace tarvo::tools {

GrepSession& grepSession() {
    static GrepSession session;
    return session;
}

void ResetGrepSession() {
    GrepSession& s = grepSession();
    auto showList = s.showList;
    s = GrepSession{};
    s.showList = showList;
}

GrepRequest FormToShow(const GrepSession& session, std::uint16_t flags, const std::string& wordAtCursor,
                       const std::string& projectDirectory) {
    GrepRequest r;
    r.expression = wordAtCursor.empty() ? session.expression : wordAtCursor;
    r.masks = session.masks;
    r.directory = session.directory.empty() ? projectDirectory : session.directory;
    r.flags = flags;
    return r;
}

std::uint16_t FlagsForMultiple(std::uint16_t flags) {
    if (!(flags & kGrepMultipleWords)) return flags;
    return static_cast<std::uint16_t>(flags & ~(kGrepCaseSensitive | kGrepWholeWords));
}

unsigned CheckForm(const GrepRequest& request) {
    if (SplitMasks(request.masks).empty()) return kMsgGrepNoMasks;
    if (request.expression.empty()) return kMsgGrepEmptyExpression;
    return 0;
}

void Remember(std::vector<std::string>& history, const std::string& text) {
    if (text.empty()) return;
    history.erase(std::remove(history.begin(), history.end(), text), history.end());
    history.insert(history.begin(), text);
    if (history.size() > kGrepHistoryLength) history.resize(kGrepHistoryLength);
}

void KeepForm(GrepSession& session, const GrepRequest& request) {
    session.expression = request.expression;
    session.masks = request.masks;
    session.directory = request.directory;
    Remember(session.expressions, request.expression);
    Remember(session.directories, request.directory);
}

void ListRows(const GrepRequest& request, const GrepOutcome& outcome, const std::string& projectDirectory,
              std::vector<std::string>& rows, std::vector<ListTarget>& targets) {
    rows.clear();
    targets.clear();
    rows.reserve(outcome.hits.size() + 1);
    targets.reserve(outcome.hits.size() + 1);
    rows.push_back(GrepHeader(request, outcome.hits.size()));
    targets.push_back({});
    // A file's hits follow one another: its name is worked out once for all of them.
    const std::string* named = nullptr;
    std::string shown;
    for (const GrepHit& hit : outcome.hits) {
        if (!named || *named != hit.path) {
            shown = ShownName(hit.path, projectDirectory);
            named = &hit.path;
        }
        AppendRow(rows.emplace_back(), shown, hit);
        targets.push_back({hit.path, hit.line});
    }
}

}  // namespace tarvo::tools
