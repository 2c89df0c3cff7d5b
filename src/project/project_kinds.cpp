#include "project/project_kinds.h"

namespace tarvo::project {

const char* KindExtension(long flags) {
    if (IsLibrary(flags)) return ".lib";
    if (IsDll(flags)) return ".dll";
    return ".exe";
}

const char* KindName(long flags) {
    if (IsLibrary(flags)) return "Library";
    if (IsDll(flags)) return "Dll";
    if (IsConsole(flags)) return "Console application";
    return "Windows application";
}

}  // namespace tarvo::project
