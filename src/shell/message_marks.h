// The lines that the build's messages point at, marked in the open documents for as long as
// the message list shows them.
#pragma once
#include <vector>

#include "editor/document.h"
#include "project/build_messages.h"

namespace tarvo::shell {

// Clears every earlier mark, then marks the messages' lines in the documents open now.
// Returns the documents whose marks changed, to be drawn again.
std::vector<editor::Document*> MarkMessageLines(const std::vector<project::BuildMessage>& messages);
// Marks the messages' lines in one document (opened after the list was filled).
bool MarkMessageLinesIn(editor::Document& doc, const std::vector<project::BuildMessage>& messages);

}  // namespace tarvo::shell
