#include "analysis/edit_script.h"

#include "analysis/analysis_messages.h"
#include "base/messages.h"
#include "platform/text.h"

namespace tarvo::analysis {
namespace {

constexpr long kLargestNumber = 0x7fffffffL;  // line numbers and counts stay within 31 bits

enum class Number { None, Ok, TooLarge };

Number ReadNumber(std::string_view s, std::size_t& p, long& value) {
    std::size_t start = p;
    value = 0;
    bool tooLarge = false;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
        value = value * 10 + (s[p++] - '0');
        if (value > kLargestNumber) tooLarge = true, value = kLargestNumber;
    }
    if (p == start) return Number::None;
    return tooLarge ? Number::TooLarge : Number::Ok;
}

void SkipBlanks(std::string_view s, std::size_t& p) {
    while (p < s.size() && (s[p] == ' ' || s[p] == '\t')) ++p;
}

bool Fail(std::string& message, unsigned id) {
    message = base::GetString(id);
    return false;
}

}  // namespace

bool ApplyEditScript(TextLines& text, std::string_view s, std::string& message) {
    // The input is the text itself until a command goes back; `text` changes only at the end.
    const TextLines* in = &text;
    TextLines out, rewound;
    out.reserve(text.size() + 16);
    std::size_t at = 0;  // the next unread input line
    // A line without its line end followed by another: the lines would run together.
    bool runTogether = false;
    auto unended = [&out] { return !out.empty() && (out.back().empty() || out.back().back() != '\n'); };
    auto copyTo = [&](std::size_t end) {
        if (end > at && unended()) runTogether = true;
        out.insert(out.end(), in->begin() + static_cast<long>(at), in->begin() + static_cast<long>(end));
        at = end;
    };
    // A command before the previous one: finish this pass and number the lines anew.
    auto rewind = [&] {
        copyTo(in->size());
        rewound.swap(out);
        out.clear();
        in = &rewound;
        at = 0;
    };
    std::size_t p = 0;
    for (;;) {
        while (p < s.size() && (s[p] == ' ' || s[p] == '\t' || s[p] == '\n')) ++p;
        if (p == s.size()) break;
        char command = s[p++];
        if (command != 'a' && command != 'd') {
            message = Printf(base::GetString(kMsgUnknownScriptCommand), command);
            return false;
        }
        long line = 0, count = 0;
        SkipBlanks(s, p);
        Number first = ReadNumber(s, p, line);
        if (first == Number::None) return Fail(message, kMsgMissingLineNumber);
        SkipBlanks(s, p);
        if (first == Number::TooLarge || ReadNumber(s, p, count) != Number::Ok) return Fail(message, kMsgIncorrectRange);
        SkipBlanks(s, p);
        if (p < s.size() && s[p] != '\n') return Fail(message, kMsgIncorrectRange);
        if (p < s.size()) ++p;
        std::size_t n = static_cast<std::size_t>(line), k = static_cast<std::size_t>(count);
        if (k == 0) continue;  // changes nothing, and must not start a new pass
        if (command == 'd') {
            if (n == 0) return Fail(message, kMsgIncorrectRange);
            if (n - 1 < at) rewind();
            if (n - 1 + k > in->size()) return Fail(message, kMsgEofDuringEdit);
            copyTo(n - 1);
            at = n - 1 + k;
            continue;
        }
        if (n < at) rewind();
        if (n > in->size()) return Fail(message, kMsgBeyondEnd);
        copyTo(n);
        for (std::size_t i = 0; i < k; ++i) {
            if (p == s.size()) return Fail(message, kMsgUnexpectedEof);
            std::size_t end = s.find('\n', p);
            end = end == std::string_view::npos ? s.size() : end + 1;
            if (unended()) runTogether = true;
            out.push_back(s.substr(p, end - p));
            p = end;
        }
    }
    copyTo(in->size());
    if (runTogether) return Fail(message, kMsgBeyondEnd);
    text.swap(out);
    return true;
}

std::uint32_t TextChecksum(std::string_view text) {
    std::uint32_t s = 0x90909090u, t = 0xEAEAEAEAu;
    for (char ch : text) {
        std::uint32_t c = static_cast<unsigned char>(ch);
        bool carry = (s & (1u << 27)) != 0;
        s = (s << 1) ^ (carry ? c + 1 : c);
        t = t + (c << (c & 3));
    }
    return ((s & 0xFFFFu) << 12) ^ (t != 0 ? 1u : 0u);
}

std::string DoubleAt(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '@') out += '@';
    }
    return out;
}

std::string PatchScript(std::string_view a, std::string_view b) {
    std::string script = DoubleAt(EditScript(SplitLines(a), SplitLines(b)));
    // A last line without its line end runs into the closing `@`, which keeps it so.
    return script + Printf("@\n%10ld %10ld\n", static_cast<long>(TextChecksum(a)), static_cast<long>(TextChecksum(b)));
}

std::string MergePatch(const std::vector<Change>& changes, const std::vector<bool>& taken, const TextLines& b) {
    std::vector<Change> chosen;
    for (std::size_t i = 0; i < changes.size(); ++i)
        if (taken[i]) chosen.push_back(changes[i]);
    return DoubleAt(EditScript(chosen, b)) + Printf("@\n%10ld %10ld\n", 0L, 0L);
}

bool ParsePatch(std::string_view text, Patch& patch, std::string& message) {
    patch = Patch{};
    std::size_t p = 0;
    while (p < text.size()) {
        char c = text[p++];
        if (c != '@') {
            patch.script += c;
        } else if (p < text.size() && text[p] == '@') {
            patch.script += '@';
            ++p;
        } else {
            break;
        }
    }
    if (p >= text.size()) return true;  // ended without the checksum line
    // After the closing `@`: its line end and the two checksums, nothing else. Anything else
    // means the `@` was a lone one inside the script, whose rest would be lost.
    if (text[p] != '\n') return Fail(message, kMsgMissingDelimiter);
    ++p;
    long sums[2];
    for (long& sum : sums) {
        SkipBlanks(text, p);
        if (ReadNumber(text, p, sum) != Number::Ok) return Fail(message, kMsgMissingDelimiter);
    }
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\n')) ++p;
    if (p != text.size()) return Fail(message, kMsgMissingDelimiter);
    patch.sourceSum = static_cast<std::uint32_t>(sums[0]);
    patch.resultSum = static_cast<std::uint32_t>(sums[1]);
    return true;
}

}  // namespace tarvo::analysis
