#include "tools/tools_commands_win.h"

#include "base/command_ids.h"
#include "tools/obj_xref_win.h"

namespace tarvo::tools {

bool RunToolsCommand(int id, std::intptr_t, std::intptr_t& result) {
    switch (id) {
    case CMD_OBJ_XREF: result = ObjXrefCommand(); return true;
    default: return false;
    }
}

}  // namespace tarvo::tools
