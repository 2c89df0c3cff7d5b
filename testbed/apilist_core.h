// The symbol-to-library index behind apilist.dll: which import library of the compiler system
// provides a Win32 function. The table is made at build time from the import libraries that
// the root's lib folder receives.
#pragma once
#include <span>
#include <string_view>

namespace tarvo::testbed {

struct ApiEntry {
    const char* name;     // the function, undecorated
    const char* library;  // its import library's base name, e.g. "winmm"
};

// The entry for `symbol` (exact case), or null. `entries` need not be sorted.
const ApiEntry* FindApiEntry(std::span<const ApiEntry> entries, std::string_view symbol);

// The index's call: a negative result for a symbol it does not know; otherwise `library`
// receives "<name>.lib" and `detail` the DLL that holds the function ("<name>.dll"), both cut
// to fit buffers of `size` characters.
int FindApi(std::span<const ApiEntry> entries, const char* symbol, char* library, char* detail, std::size_t size);

}  // namespace tarvo::testbed
