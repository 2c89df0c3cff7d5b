// Reading a file into lines. The file is read in pieces and each line's text is copied into
// one block the size of the file, line ends left out, so the lines of a loaded file lie back to
// back in memory: the block holds only their characters (the line ends' share of the file is
// never touched), and a search can run over many lines at once.
#pragma once
#include <string>
#include <vector>

#include "editor/line.h"
#include "platform/files.h"

namespace tarvo::editor {

struct ReadLines {
    // The lines in order, made from the pool and linked to each other (first->prev and
    // last->next are null), not yet to any document.
    Line* first = nullptr;
    Line* last = nullptr;
    long count = 0;
    std::vector<platform::FileContent> blocks;  // their text; `size` is the part in use
    bool binary = false;                        // the file holds NUL bytes
};

// Reads the file's lines: LF ends a line and one CR before it is dropped; a last line without
// a line end is kept, and a final line end adds no line. With skipFirstLine the first line is
// left out. On failure (NoMemory also for a line longer than a line can hold) the lines made
// go back to the pool and `out` is left empty.
platform::ReadStatus ReadFileLines(const std::string& path, LinePool& pool, bool skipFirstLine, ReadLines& out);
// Gives lines read but not used back to the pool and empties `read`.
void DiscardLines(LinePool& pool, ReadLines& read);

}  // namespace tarvo::editor
