#include "platform/clipboard.h"

namespace tarvo::platform {
namespace {

struct LocalClipboard {
    bool hasText = false;
    std::string text;
};

LocalClipboard& local() {
    static LocalClipboard board;
    return board;
}

bool localGet(std::string& text) {
    if (!local().hasText) return false;
    text = local().text;
    return true;
}

bool localSet(const std::string& text) {
    local().text = text;
    local().hasText = true;
    return true;
}

Clipboard& current() {
    static Clipboard impl{localGet, localSet};
    return impl;
}

}  // namespace

const Clipboard& clipboard() { return current(); }
void setClipboard(const Clipboard& impl) { current() = impl; }

void resetClipboard() {
    local() = LocalClipboard{};
    current() = Clipboard{localGet, localSet};
}

}  // namespace tarvo::platform
