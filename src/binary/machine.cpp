#include "binary/machine.h"

namespace tarvo::binary {
const Machine* MachineOf(std::uint16_t machine) {
    for (const Machine* m : {&kI386, &kAmd64})
        if (m->machine == machine) return m;
    return nullptr;
}

std::string_view UndecoratedName(const Machine& machine, std::string_view name) {
    if (!machine.decoration.empty() && name.starts_with(machine.decoration)) name.remove_prefix(machine.decoration.size());
    std::size_t at = name.find('@');
    return at == std::string_view::npos || at == 0 ? name : name.substr(0, at);
}

}  // namespace tarvo::binary
