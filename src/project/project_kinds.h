// What a project builds, as bits of its compiler flags, and what follows from it.
#pragma once
#include <string>

namespace tarvo::project {

inline constexpr long kKindWindows = 0x40;
inline constexpr long kKindConsole = 0x80;
inline constexpr long kKindDll = 0x100;
inline constexpr long kKindLibrary = 0x400;
inline constexpr long kKindBits = kKindWindows | kKindConsole | kKindDll | kKindLibrary;
inline constexpr long kFlagDebugInfo = 0x08;  // always set on a created project

inline bool IsLibrary(long flags) { return flags & kKindLibrary; }
inline bool IsDll(long flags) { return !IsLibrary(flags) && (flags & kKindDll); }
inline bool IsConsole(long flags) { return !IsLibrary(flags) && !IsDll(flags) && (flags & kKindConsole); }

// ".lib", ".dll" or ".exe".
const char* KindExtension(long flags);
// "Library", "Dll", "Console application" or "Windows application".
const char* KindName(long flags);

// The default DLL entry point; the link rule names only another one.
inline constexpr const char* kDefaultDllEntry = "LibMain";

}  // namespace tarvo::project
