// apilist.dll, the compiler system's symbol-to-library index: the program asks it which import
// library provides a function that a link left undefined.
//
//   int _FindApi(const char* symbol, char* library, char* detail)   (named so by apilist.def)
//
// Buffers of 256 characters; a negative result for a symbol it does not know; otherwise the
// library ("winmm.lib") and the DLL that holds the function ("winmm.dll").
#include <windows.h>

#include "apilist_core.h"

namespace {

// Made at build time from the import libraries of the root's lib folder.
constexpr tarvo::testbed::ApiEntry kEntries[] = {
#include "apilist_table.inc"
};

}  // namespace

extern "C" int FindApi(const char* symbol, char* library, char* detail) {
    return tarvo::testbed::FindApi(kEntries, symbol, library, detail, 256);
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
