#include "tools/grep_session.h"

#include <algorithm>

#include "base/messages.h"
#include "editor/document.h"
#include "editor/line.h"
#include "platform/text.h"
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

namespace {

class GrepListedRows final : public ListedRows {
public:
    GrepListedRows(std::string header, GrepOutcome outcome, std::string projectDirectory)
        : header_(std::move(header)), outcome_(std::move(outcome)), project_(std::move(projectDirectory)) {}
    std::size_t Count() const override { return outcome_.hits.size() + 1; }
    std::string Row(std::size_t i) const override {
        if (i == 0) return header_;
        return HitRow(outcome_.hits[i - 1], project_);
    }
    ListTarget Target(std::size_t i) const override {
        if (i == 0 || i > outcome_.hits.size()) return {};
        const GrepHit& hit = outcome_.hits[i - 1];
        return {hit.path, hit.line};
    }

private:
    std::string header_;
    GrepOutcome outcome_;
    std::string project_;
};

class UsageListedRows final : public ListedRows {
public:
    UsageListedRows(std::string header, std::vector<Usage> usages, UsageForm form, std::string projectDirectory)
        : header_(std::move(header)), usages_(std::move(usages)), form_(form), project_(std::move(projectDirectory)) {}
    std::size_t Count() const override { return usages_.size() + 1; }
    std::string Row(std::size_t i) const override {
        if (i == 0) return header_;
        const Usage& u = usages_[i - 1];
        return form_ == UsageForm::DocumentLines ? u.text : ShownName(u.file, project_) + ": " + u.text;
    }
    ListTarget Target(std::size_t i) const override {
        if (i == 0 || i > usages_.size()) return {};
        return {usages_[i - 1].file, usages_[i - 1].line};
    }

private:
    std::string header_;
    std::vector<Usage> usages_;
    UsageForm form_;
    std::string project_;
};

}  // namespace

std::shared_ptr<const ListedRows> UsageRows(const std::string& name, std::vector<Usage> usages, UsageForm form,
                                            std::string projectDirectory) {
    std::string header = usages.empty() ? Printf(base::GetString(kMsgGrepNotFound), name.c_str())
                                        : Printf(base::GetString(kMsgUsageHeader), name.c_str(), static_cast<int>(usages.size()));
    return std::make_shared<UsageListedRows>(std::move(header), std::move(usages), form, std::move(projectDirectory));
}

std::vector<Usage> UsagesInDocuments(const std::string& word) {
    std::vector<Usage> usages;
    GrepMatcher matcher;
    if (CompileGrep({word, "", "", kGrepCaseSensitive | kGrepWholeWords}, matcher)) return usages;
    for (const auto& doc : editor::editor().documents) {
        if (doc->permanent) continue;
        long number = 1;
        for (editor::Line* line = doc->lines->next; line != doc->lines; line = line->next, ++number) {
            unsigned error = 0;
            if (LineMatches(matcher, editor::LineText(*line), error))
                usages.push_back({doc->name, number, std::string(editor::LineText(*line))});
        }
    }
    return usages;
}

std::shared_ptr<const ListedRows> GrepRows(const GrepRequest& request, GrepOutcome outcome, std::string projectDirectory) {
    std::string header = GrepHeader(request, outcome.hits.size());
    return std::make_shared<GrepListedRows>(std::move(header), std::move(outcome), std::move(projectDirectory));
}

}  // namespace tarvo::tools
