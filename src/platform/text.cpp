#include "platform/text.h"

#include <cstdarg>
#include <cstdio>

namespace tarvo {

std::string Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out;
    if (size > 0) {
        out.resize(static_cast<size_t>(size) + 1);
        std::vsnprintf(out.data(), out.size(), format, again);
        out.resize(static_cast<size_t>(size));
    }
    va_end(again);
    return out;
}

long AtoL(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    const long long limit = negative ? 2147483648LL : 2147483647LL;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;  // saturate, like strtol
    }
    return static_cast<long>(negative ? -value : value);
}

namespace {
char lowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lowerChar(c);
    return out;
}

std::string Upper(std::string_view text) {
    std::string out;
    UpperInto(text, out);
    return out;
}

// Branch-free, so the compiler can do it many bytes at a time (grep upper-cases whole files).
void UpperInto(std::string_view text, std::string& upper) {
    upper.resize(text.size());
    const auto* from = reinterpret_cast<const unsigned char*>(text.data());
    auto* to = reinterpret_cast<unsigned char*>(upper.data());
    for (std::size_t i = 0; i < text.size(); ++i)
        to[i] = static_cast<unsigned char>(from[i] - 32 * (static_cast<unsigned char>(from[i] - 'a') < 26));
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerChar(a[i]) != lowerChar(b[i])) return false;
    return true;
}

namespace {

bool matchPlain(std::string_view p, std::string_view n) {
    size_t pi = 0, ni = 0, star = std::string_view::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || lowerChar(p[pi]) == lowerChar(n[ni]))) {
            ++pi, ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (matchPlain(pattern, name)) return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos &&
           matchPlain(pattern.substr(0, pattern.size() - 2), name);
}

std::string LfLineEnds(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    std::size_t start = 0;
    for (std::size_t cr; (cr = bytes.find("\r\n", start)) != std::string_view::npos; start = cr + 1)
        text.append(bytes.substr(start, cr - start));
    text.append(bytes.substr(start));
    return text;
}

}  // namespace tarvo
