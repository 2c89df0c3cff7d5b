#include "project/project_state.h"

namespace tarvo::project {

ProjectRun& projectRun() {
    static ProjectRun run;
    return run;
}

void ResetProjectRun() { projectRun() = ProjectRun{}; }

}  // namespace tarvo::project
