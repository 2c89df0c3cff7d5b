#include "editor/keywords.h"

#include <algorithm>
#include <cstdlib>

#include "base/messages.h"

namespace tarvo::editor {

std::int32_t KeywordHash(std::string_view word) {
    std::uint32_t h = 0;
    for (char c : word) h = (h << 2) ^ static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return static_cast<std::int32_t>(h);
}

int KeywordBucket(std::int32_t hash) { return std::abs(hash % kKeywordBuckets); }

void KeywordTable::Add(std::string_view word) {
    auto& bucket = buckets[static_cast<std::size_t>(KeywordBucket(KeywordHash(word)))];
    if (std::find(bucket.begin(), bucket.end(), word) == bucket.end()) bucket.emplace_back(word);
}

bool KeywordTable::Contains(std::string_view word) const {
    const auto& bucket = buckets[static_cast<std::size_t>(KeywordBucket(KeywordHash(word)))];
    return std::find(bucket.begin(), bucket.end(), word) != bucket.end();
}

std::size_t KeywordTable::Count() const {
    std::size_t n = 0;
    for (const auto& bucket : buckets) n += bucket.size();
    return n;
}

std::vector<std::string> CKeywords() {
    std::vector<std::string> words;
    for (unsigned id = kFirstCKeywordMessage; *base::GetString(id) != '\0'; ++id) words.emplace_back(base::GetString(id));
    return words;
}

bool IsCKeyword(std::string_view word) {
    // The message table is fixed for the program's life: one table built on first use.
    static const KeywordTable table = [] {
        KeywordTable t;
        for (const std::string& w : CKeywords()) t.Add(w);
        return t;
    }();
    return table.Contains(word);
}

bool IsPreprocessorDirective(std::string_view word) {
    return std::find(kPreprocessorDirectives.begin(), kPreprocessorDirectives.end(), word) != kPreprocessorDirectives.end();
}

}  // namespace tarvo::editor
