#include "cms/keywords.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "base/messages.h"
#include "cms/cms_messages.h"
#include "cms/repository.h"
#include "platform/text.h"

namespace tarvo::cms {
namespace {

constexpr size_t kNameLimit = 30;
constexpr int kCenturyPivot = 70;

enum Keyword { Author = 1, Date, Header, Id, Locker, Log, CmsFile, Revision, Source, State };
constexpr std::array<const char*, 11> kNames = {"",       "Author",  "Date",     "Header", "Id",   "Locker",
                                                "Log",    "CmsFile", "Revision", "Source", "State"};

// Three numbers split at any separator: "24/05/01", "2024-5-1", "14:05:09".
bool triple(std::string_view text, long out[3]) {
    int n = 0;
    size_t start = 0;
    while (n < 3) {
        size_t end = start;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
        if (end == start || end - start > 4) return false;
        out[n++] = std::stol(std::string(text.substr(start, end - start)));
        if (end == text.size()) break;
        start = end + 1;
    }
    return n == 3 && start <= text.size();
}

struct Scan {
    KeywordValues& v;
    std::string& message;
    bool fail(unsigned id, const std::string& a = {}) {
        message = Printf(base::GetString(id), a.c_str());
        return false;
    }
    bool identifier(const std::string& word, std::string& into, size_t limit) {
        if (word.size() > limit) return fail(kMsgKeywordTooLong);
        if (!std::isalpha(static_cast<unsigned char>(word[0]))) return fail(kMsgNotALetter, word);
        if (!ValidIdentifier(word)) {
            for (char c : word)
                if (!ValidIdentifier(std::string("a") + c)) {
                    message = Printf(base::GetString(kMsgBadIdentifierChar), c, word.c_str());
                    return false;
                }
        }
        into = word;
        return true;
    }
    bool text(const std::string& word, std::string& into, size_t limit) {
        if (word.size() > limit) return fail(kMsgKeywordTooLong);
        into = word;
        return true;
    }
    bool revision(const std::string& word) {
        if (word.size() > 29) return fail(kMsgKeywordTooLong);
        if (word.find_first_not_of("0123456789.") != std::string::npos) return fail(kMsgBadRevisionNumber);
        v.revision = word;
        return true;
    }
    // The date at words[at]; how many words it took (0: none there).
    bool date(const std::vector<std::string>& words, size_t& at) {
        if (at >= words.size()) return fail(kMsgMissingKeywordValue);
        std::string day = words[at], time = at + 1 < words.size() ? words[at + 1] : std::string();
        std::string d = KeywordDate(day, {});
        if (!d.empty()) {
            ++at;
        } else {
            d = KeywordDate(day, time);
            if (d.empty()) return fail(kMsgBadKeywordDate, day + " " + time);
            at += 2;
        }
        v.date = d;
        return true;
    }
};

}  // namespace

bool IsKeywordName(std::string_view word) {
    return !word.empty() && std::find(kNames.begin() + 1, kNames.end(), word) != kNames.end();
}

std::string KeywordDate(std::string_view day, std::string_view time) {
    if (time.empty()) {  // the store's own form, whole in one word
        if (std::count(day.begin(), day.end(), '.') == 5 && ValidDate(day)) return std::string(day);
        return {};
    }
    long d[3], t[3];
    if (day.size() > 10 || time.size() > 8 || !triple(day, d) || !triple(time, t)) return {};
    long year = d[0];
    if (day.find_first_not_of("0123456789") == 2) year += year < kCenturyPivot ? 2000 : 1900;  // two digits
    std::string date = Printf("%ld.%ld.%ld.%ld.%ld.%ld", year, d[1], d[2], t[0], t[1], t[2]);
    return ValidDate(date) ? date : std::string();
}

bool ReadKeywords(std::string_view text, KeywordValues& v, std::string& message) {
    v = {};
    Scan scan{v, message};
    size_t pos = 0;
    auto complete = [&] {
        return !v.author.empty() && !v.revision.empty() && !v.state.empty() && !v.date.empty() && !v.file.empty();
    };
    while (!complete()) {
        size_t dollar = text.find('$', pos);
        if (dollar == std::string_view::npos) break;
        size_t end = text.find_first_of("$:\n", dollar + 1);
        if (end == std::string_view::npos || end - dollar - 1 > kNameLimit || text[end] == '\n') {
            pos = dollar + 1;
            continue;
        }
        std::string name(text.substr(dollar + 1, end - dollar - 1));
        int keyword = 0;
        for (int k = 1; k < static_cast<int>(kNames.size()); ++k)
            if (name == kNames[k]) keyword = k;
        if (!keyword || text[end] == '$') {  // not ours, or no values: "$Id$"
            pos = keyword ? end + 1 : dollar + 1;
            continue;
        }
        size_t close = text.find_first_of("$\n", end + 1);
        std::string_view values = text.substr(end + 1, close == std::string_view::npos ? std::string_view::npos : close - end - 1);
        if (close == std::string_view::npos || text[close] == '\n')
            v.warnings.push_back(Printf(base::GetString(kMsgClosingMissing), '$'));
        pos = close == std::string_view::npos ? text.size() : close + 1;
        std::vector<std::string> words;
        for (size_t at = 0; at < values.size();) {
            size_t s = values.find_first_not_of(" \t\r", at);
            if (s == std::string_view::npos) break;
            size_t e = values.find_first_of(" \t\r", s);
            words.emplace_back(values.substr(s, e == std::string_view::npos ? std::string_view::npos : e - s));
            at = e == std::string_view::npos ? values.size() : e;
        }
        for (std::string& w : words)
            if (w[0] == '$') w.clear();
        auto need = [&](size_t i) -> const std::string* {
            if (i < words.size() && !words[i].empty()) return &words[i];
            message = base::GetString(kMsgMissingKeywordValue);
            return nullptr;
        };
        const std::string* w = nullptr;
        switch (keyword) {
        case Author:
            if (!(w = need(0)) || !scan.identifier(*w, v.author, 31)) return false;
            break;
        case Date: {
            size_t at = 0;
            if (!scan.date(words, at)) return false;
            break;
        }
        case Header:
        case Id: {
            if (!(w = need(0)) || !scan.text(*w, v.file, keyword == Header ? 255 : 249)) return false;
            if (!(w = need(1)) || !scan.revision(*w)) return false;
            size_t at = 2;
            if (!scan.date(words, at)) return false;
            if (!(w = need(at)) || !scan.identifier(*w, v.author, 31)) return false;
            if (at + 1 < words.size() && !words[at + 1].empty() && !scan.identifier(words[at + 1], v.state, 31)) return false;
            if (at + 2 < words.size() && !words[at + 2].empty()) v.locker = words[at + 2];
            break;
        }
        case Locker:
            if (!(w = need(0))) return false;
            v.locker = *w;
            break;
        case Log:
        case Source:
            if (!(w = need(0)) || !scan.text(*w, v.file, 255)) return false;
            break;
        case CmsFile:
            if (!(w = need(0)) || !scan.text(*w, v.file, 249)) return false;
            break;
        case Revision:
            if (!(w = need(0)) || !scan.revision(*w)) return false;
            break;
        case State:
            if (!(w = need(0)) || !scan.identifier(*w, v.state, 31)) return false;
            break;
        }
    }
    return true;
}

}  // namespace tarvo::cms
