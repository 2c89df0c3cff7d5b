// The structure viewer and binary editor window (class "bStruct"): a file as rows of offset,
// bytes and characters, Search and Find next, Go to offset, Change, the data representation,
// and structures from a description file laid over the bytes at the current offset.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace tarvo::tools {

inline constexpr char kBinaryViewClass[] = "bStruct";
// Private messages of the window, for tests and tools in this process only. The text message
// copies the rows on show, a line "--", then the overlay's lines into the std::string that
// lParam points at; the offset message writes the current offset to the std::uint64_t there.
inline constexpr UINT kBinaryViewTextMessage = WM_APP + 0x2410;
inline constexpr UINT kBinaryViewOffsetMessage = WM_APP + 0x2411;

// Asks for a file and shows it; false when cancelled or the file cannot be read.
bool BinaryEditorCommand();
// A window showing the file from its start; null, after a message, when it cannot be read.
HWND OpenBinaryView(const std::string& path);

}  // namespace tarvo::tools
