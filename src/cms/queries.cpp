#include "cms/queries.h"

#include <array>
#include <charconv>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "cms/keywords.h"
#include "cms/repository_store.h"
#include "platform/files.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr std::array<std::string_view, 12> kMonths = {"January", "February", "March",     "April",   "May",      "June",
                                                      "July",    "August",   "September", "October", "November", "December"};
constexpr std::size_t kKeywordSpan = 364;  // the longest keyword text between two '$' the list looks at
constexpr std::size_t kShortestRecord = 3;

std::string say(unsigned id) { return base::GetString(id); }
std::string say(unsigned id, const std::string& a) { return Printf(base::GetString(id), a.c_str()); }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while ((at = line.find_first_not_of(" \t", at)) != std::string_view::npos) {
        std::size_t end = line.find_first_of(" \t", at);
        if (end == std::string_view::npos) end = line.size();
        out.push_back(line.substr(at, end - at));
        at = end;
    }
    return out;
}

// Each line of a text, indented, for a log or the description.
void Indented(const std::string& text, std::vector<std::string>& lines) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back("  " + text.substr(at, end - at));
        at = end + 1;
    }
}

bool Passes(std::string_view filter, std::string_view word) { return filter == "*" || word.starts_with(filter); }

// The fields of one log record, whichever of the log's three kinds it is.
struct LogRecord {
    std::string_view operation, revision, user, date;
};
LogRecord ParseRecord(std::string_view line) {
    std::vector<std::string_view> w = Words(line);
    LogRecord r;
    if (w.empty()) return r;
    r.operation = w[0];
    auto suffixed = [](std::string_view word, char suffix) {
        return word.size() > 1 && word.back() == suffix ? word.substr(0, word.size() - 1) : std::string_view();
    };
    if (w.size() >= 9 && !suffixed(w[1], 'r').empty() && !suffixed(w[6], 'o').empty()) {
        // "put 1.2r 2b 0f 2t <date>c <date>o user file"
        r.revision = suffixed(w[1], 'r');
        r.date = suffixed(w[6], 'o');
        r.user = w[7];
    } else if (w.size() == 5 && ValidDate(w[2])) {
        // "lock revision date user file"
        r.revision = w[1];
        r.date = w[2];
        r.user = w[3];
    } else if (w.size() >= 2) {
        // "warn message user"
        r.user = w.back();
    }
    return r;
}

}  // namespace

bool SplitDate(std::string_view date, DateFields& out) {
    int f[6] = {};
    std::size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        std::size_t end = date.find('.', at);
        if (end == std::string_view::npos) end = date.size();
        if (end == at || end - at > 4) return false;
        auto [next, error] = std::from_chars(date.data() + at, date.data() + end, f[i]);
        if (error != std::errc() || next != date.data() + end) return false;
        if ((i < 5) != (end < date.size())) return false;
        at = end + 1;
    }
    if (f[0] < 100) f[0] += 1900;
    out = {f[0], f[1], f[2], f[3], f[4], f[5]};
    return f[1] >= 1 && f[1] <= 12 && f[2] >= 1 && f[2] <= 31;
}

std::string_view MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : std::string_view(); }

std::string LocksText(const Repository& repo) {
    std::string text;
    for (const auto& [user, revision] : repo.locks) text += (text.empty() ? "" : " ") + Printf("%s %s", user.c_str(), revision.c_str());
    return text;
}

std::vector<std::string> QueryLines(const Repository& repo) {
    std::vector<std::string> lines;
    lines.push_back(say(kMsgQueryHead, repo.head));
    lines.push_back(say(kMsgQueryBranch, repo.defaultBranch));
    lines.push_back(say(kMsgQueryLocks));
    for (const auto& [user, revision] : repo.locks) lines.push_back(Printf("  %s %s", user.c_str(), revision.c_str()));
    lines.push_back(say(kMsgQueryAccess));
    for (const std::string& user : repo.access) lines.push_back("  " + user);
    lines.push_back(say(kMsgQuerySymbols));
    for (const auto& [name, number] : repo.symbols) lines.push_back(Printf("  %s: %s;", name.c_str(), number.c_str()));
    lines.push_back(Printf(base::GetString(kMsgQueryRevisionCount), static_cast<int>(repo.deltas.size())));
    lines.push_back(say(kMsgQueryDescription));
    Indented(repo.description, lines);
    std::vector<const Delta*> order;
    std::string message;
    if (!WalkOrder(repo, order, message)) {
        lines.push_back(message);
        return lines;
    }
    for (const Delta* d : order) {
        lines.push_back(say(kMsgQueryRevision, d->number));
        DateFields t;
        if (SplitDate(d->date, t))
            lines.push_back(Printf("%2d %10s%4d,%2dh,%2dm,%2ds %-12s %-15s", t.day, std::string(MonthName(t.month)).c_str(),
                                   t.year, t.hour, t.minute, t.second, d->author.c_str(), d->state.c_str()));
        Indented(d->log, lines);
    }
    return lines;
}

bool ReadForQuery(const CmsContext& c, const std::string& file, std::string& cmsPath, Repository& repo) {
    if (!CheckName(c, file, cmsPath)) return false;
    if (!platform::FileExists(cmsPath)) {
        base::FileNotFoundBox(cmsPath);
        return false;
    }
    return SemaphoreFree(cmsPath) && ReadRepositoryFile(cmsPath, repo) == OpenResult::Ok && OnAccessList(repo, c.user);
}

bool Query(const CmsContext& c, const std::string& file, bool locksOnly, std::string& locks) {
    std::string cmsPath;
    Repository repo;
    if (!ReadForQuery(c, file, cmsPath, repo)) return false;
    locks = LocksText(repo);
    if (locksOnly || !c.show) return true;
    c.show(HeaderLine("query " + file));
    c.show(say(kMsgCmsFile, cmsPath));
    for (const std::string& line : QueryLines(repo)) c.show(line);
    return true;
}

std::vector<std::string> KeywordLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t at = text.find('$');
    while (at != std::string_view::npos) {
        std::size_t lineEnd = text.find('\n', at + 1);
        std::size_t close = text.find('$', at + 1);
        if (close == std::string_view::npos) break;
        bool sameLine = lineEnd == std::string_view::npos || close < lineEnd;
        std::string_view inside = text.substr(at + 1, close - at - 1);
        std::size_t colon = inside.find(':');
        if (sameLine && inside.size() <= kKeywordSpan && colon != std::string_view::npos &&
            IsKeywordName(inside.substr(0, colon))) {
            std::string_view value = inside.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r')) value.remove_suffix(1);
            lines.push_back(Printf("%-15s | %s", std::string(inside.substr(0, colon)).c_str(), std::string(value).c_str()));
            at = text.find('$', close + 1);
        } else {
            at = close;  // the closing '$' may open the next keyword
        }
    }
    if (lines.empty()) lines.push_back(say(kMsgNoKeywords));
    return lines;
}

bool KeywordList(const std::string& path, std::vector<std::string>& lines, std::string& message) {
    platform::FileContent content;
    if (platform::ReadWholeFile(path, content) != platform::ReadStatus::Ok) {
        message = say(kMsgIdentCantOpen, path);
        return false;
    }
    lines = KeywordLines(std::string_view(content.data.get(), content.size));
    return true;
}

LogView ViewLog(std::string_view log, const LogFilter& f) {
    LogView view;
    const bool showOperation = f.operation == "*", showUser = f.user == "*", showDate = f.month == 0,
               showModule = f.module == "*";
    view.heading = std::string(showOperation ? "Operations" : "") + " Versions" + (showUser ? "     Users" : "") +
                   (showDate ? "  Date" : "") + (showModule ? "      Module" : "");
    for (std::size_t at = 0; at < log.size();) {
        std::size_t end = log.find('\n', at);
        if (end == std::string_view::npos) end = log.size();
        std::string_view line = log.substr(at, end - at);
        at = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.size() < kShortestRecord) continue;
        ++view.total;
        LogRecord r = ParseRecord(line);
        if (!(f.module == "*" || line.ends_with(f.module)) || !Passes(f.operation, r.operation) || !Passes(f.user, r.user))
            continue;
        DateFields t;
        bool dated = SplitDate(r.date, t);
        if (f.month != 0 && (!dated || t.month != f.month)) continue;
        ++view.selected;
        std::vector<std::string_view> w = Words(line);
        std::string row;
        if (showOperation) row += Printf("%-7s", std::string(r.operation).c_str());
        row += Printf("%-7s", std::string(r.revision).c_str());
        if (showUser) row += " " + Printf("%-10s", std::string(r.user).c_str());
        // Four-digit years: a year less 1900 reads as "124".
        if (showDate)
            row += dated ? Printf(" %2d %9s%5d,%2d:%2d:%2d", t.day, std::string(MonthName(t.month)).c_str(), t.year, t.hour,
                                  t.minute, t.second)
                         : std::string(27, ' ');
        if (showModule && !r.revision.empty() && !w.empty()) row += " " + std::string(w.back());
        view.rows.push_back(row);
    }
    return view;
}

std::string CountLine(const LogView& view) {
    return Printf(base::GetString(kMsgOperationsSelected), view.selected, view.total);
}

bool WriteScratch(const std::string& path, const std::string& content) {
    platform::ReplaceFile replace;
    platform::ReplaceStatus status = platform::BeginReplace(replace, path);
    if (status == platform::ReplaceStatus::Ok) {
        if (!platform::WriteReplace(replace, content.data(), content.size())) status = platform::ReplaceStatus::WriteFailed;
        else status = platform::FinishReplace(replace);
    }
    if (status != platform::ReplaceStatus::Ok) {
        base::ErrorBox(Printf(base::GetString(kMsgCannotCreateSemaphore), path.c_str()));
        return false;
    }
    return true;
}

bool RevisionSides(const CmsContext& c, const std::string& file, const std::string& first, const std::string& second,
                   const std::string& scratchDirectory, ComparedSides& out) {
    out = {};
    std::string cmsPath;
    Repository repo;
    if (!ReadForQuery(c, file, cmsPath, repo)) return false;
    std::string working = c.workingDirectory + "\\" + file;
    if (second.empty() && !platform::FileExists(working)) {
        base::FileNotFoundBox(working);
        return false;
    }
    // One side retrieved into a scratch file; "Can't get revision" when it cannot be.
    auto retrieve = [&](const std::string& asked, std::string& path, std::string& name) {
        std::string number, message, content;
        std::vector<const Delta*> found;
        if ((!asked.empty() && !ExpandRevision(repo, asked, number, message)) ||
            !SearchRevision(repo, asked.empty() ? repo.defaultBranch : number, {}, found, message) ||
            !RetrieveRevision(repo, found.back()->number, content, message)) {
            base::ErrorBox(say(kMsgCantGetRevision, asked.empty() ? repo.head : asked));
            return false;
        }
        if (!repo.binary) content = CrLf(content);
        path = platform::UnusedFileName(scratchDirectory, "rev");
        name = file + " " + found.back()->number;
        if (!WriteScratch(path, content)) return false;
        out.scratch.push_back(path);
        return true;
    };
    if (!retrieve(first, out.firstPath, out.firstName)) return false;
    if (second.empty()) {
        out.secondPath = working;
        out.secondName = file;
        return true;
    }
    return retrieve(second, out.secondPath, out.secondName);
}

}  // namespace tarvo::cms
