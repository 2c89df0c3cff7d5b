#include "debugger/modules_menu.h"

#include <cctype>

#include "base/command_ids.h"

namespace tarvo::debugger {

std::vector<MenuItem> ModulesMenu(const DebugInfo& info) {
    std::vector<MenuItem> items;
    for (std::size_t m = 1; m < info.modules.size(); ++m) {
        if (info.modules[m].name.empty()) continue;  // numbered but never named: no item
        int command = CMD_FIRST_MODULE + static_cast<int>(m);
        if (command > CMD_LAST_MODULE) break;
        MenuItem item;
        for (char c : info.modules[m].name) item.text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (item.text.size() >= 4 && item.text.ends_with(".obj")) item.text.replace(item.text.size() - 4, 4, ".c");
        item.command = command;
        // The menu's first item is there before these; every 18th item opens a column.
        item.newColumn = (items.size() + 1) % kItemsPerColumn == 0;
        items.push_back(std::move(item));
    }
    return items;
}

int ModuleOfMenuCommand(int command) {
    return command > CMD_FIRST_MODULE && command <= CMD_LAST_MODULE ? command - CMD_FIRST_MODULE : 0;
}

}  // namespace tarvo::debugger
