// Looking for a byte in a large stretch of memory. The C library's memchr is fast on Linux but
// a byte at a time in the Windows runtime the program runs on under Wine, and loading a file of
// 100 MB looks at every byte twice (line ends and NUL bytes), so on Windows the search runs
// sixteen bytes at a time with SSE2 when the processor has it.
#pragma once
#include <cstddef>

namespace tarvo::editor {

// The first place in [from, end) holding `c`, or `end`.
const char* FindByte(const char* from, const char* end, char c);
// How many bytes in [from, end) hold `c`.
std::size_t CountByte(const char* from, const char* end, char c);

}  // namespace tarvo::editor
