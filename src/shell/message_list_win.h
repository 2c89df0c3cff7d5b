// The build's message list under the output bar: filled by the build, and a chosen message
// leads to its source line.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "tools/grep_session.h"

namespace tarvo::shell {

// Creates the (hidden) list; called once the frame exists.
void CreateMessageList();
// Shows the lines, long ones over several rows, and selects the last; no lines hide the list.
void ShowMessages(const std::vector<std::string>& lines);
// Rows that each know their place (grep's hits and other tools' lists): shown as they are,
// the first selected; choosing a row with a file opens it at its line.
void ShowTargetedRows(std::shared_ptr<const tools::ListedRows> rows);
// The selected row's message: its file opened at its line.
void ChooseListedMessage();
// The next (direction 1) or previous (-1) message after the selected row, chosen; the status
// line says so when there is none.
void StepMessage(int direction);
// A document was opened: the lines the listed messages point at are marked in it.
void MarkListedMessagesIn(const std::string& file);

}  // namespace tarvo::shell
