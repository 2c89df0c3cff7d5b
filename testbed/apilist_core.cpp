#include "apilist_core.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace tarvo::testbed {

const ApiEntry* FindApiEntry(std::span<const ApiEntry> entries, std::string_view symbol) {
    // Sorted once per table: a link reports a handful of symbols, each looked up here.
    static std::mutex guard;
    static const ApiEntry* sortedFor = nullptr;
    static std::vector<const ApiEntry*> sorted;
    std::lock_guard<std::mutex> lock(guard);
    if (sortedFor != entries.data() || sorted.size() != entries.size()) {
        sorted.clear();
        for (const ApiEntry& e : entries) sorted.push_back(&e);
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const ApiEntry* a, const ApiEntry* b) { return std::strcmp(a->name, b->name) < 0; });
        sortedFor = entries.data();
    }
    auto at = std::lower_bound(sorted.begin(), sorted.end(), symbol,
                               [](const ApiEntry* e, std::string_view s) { return std::string_view(e->name) < s; });
    return at != sorted.end() && (*at)->name == symbol ? *at : nullptr;
}

int FindApi(std::span<const ApiEntry> entries, const char* symbol, char* library, char* detail, std::size_t size) {
    if (!symbol || !library || !detail || size == 0) return -1;
    const ApiEntry* e = FindApiEntry(entries, symbol);
    if (!e) return -1;
    std::snprintf(library, size, "%s.lib", e->library);
    std::snprintf(detail, size, "%s.dll", e->library);
    return 0;
}

}  // namespace tarvo::testbed
