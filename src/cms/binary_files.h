// Binary working files: recognised by their extension or their content, and stored as their
// uuencoded text.
#pragma once
#include <string>
#include <string_view>

namespace tarvo::cms {

// O, OBJ, RES, ICO, CUR, BMP, GIF, LZH, EXE, COM (any case), or content a text read would
// change: a NUL, a 0x1A (the end of a text on Windows) or a CR that does not start a line end.
bool IsBinaryFile(const std::string& name, std::string_view content);

// The uuencoded text ("\n" line ends): a blank line, "begin 0666 <name>", the lines of 45
// bytes, "`" and "end".
std::string Uuencode(std::string_view data, const std::string& name);
// The bytes back; false when the text is not a complete uuencoded file.
bool Uudecode(std::string_view text, std::string& data);

}  // namespace tarvo::cms
