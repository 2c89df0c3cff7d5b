#include "base/app_win.h"

namespace tarvo::base {

App& app() {
    static App a;
    return a;
}

}  // namespace tarvo::base
