// The build's message list under the output bar: filled by the build, and a chosen message
// leads to its source line.
#pragma once
#include <string>
#include <vector>

namespace tarvo::shell {

// Creates the (hidden) list; called once the frame exists.
void CreateMessageList();
// Shows the lines, long ones over several rows, and selects the last; no lines hide the list.
void ShowMessages(const std::vector<std::string>& lines);
// The selected row's message: its file opened at its line.
void ChooseListedMessage();

}  // namespace tarvo::shell
