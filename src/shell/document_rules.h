// Decisions about the open documents that the exit sequence and the statistics window need,
// without windows.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editor/document.h"

namespace tarvo::shell {

// The documents the exit offers for saving: every modified document with a file, and the
// internal buffer when text was typed into it (it has no file and is saved through Save as).
struct SaveQuestion {
    std::vector<std::string> names;
    editor::Document* buffer = nullptr;
};
SaveQuestion DocumentsToSave();

// The statistics window: a row "name<tab>lines<tab>bytes" per document, bytes as the file is
// saved (each line ending in CR LF), then the total row.
std::vector<std::string> StatisticsRows();

// Command CMD_SHARED_FUNCTION_STUB with the shared command area's text: when the current
// document defines the function, the cursor goes to it; else the stub is inserted at the cursor
// as one insertion that Undo takes back. Refused on a read-only document. False when the text
// names no function or nothing changed.
bool PlaceFunctionStub(std::uintptr_t window, std::string_view sharedText);

}  // namespace tarvo::shell
